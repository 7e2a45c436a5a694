// Blocks of hundreds of megabytes of samples. First touching such a block
// one 4 KiB page at a time costs more than filling it (each page is a
// fault), so where the system has larger pages they are asked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace belmo {

// Asks for 2 MiB pages for the whole ones inside the block; the system may
// say no, and then nothing changes.
void PreferLargePages(uint8_t* block, size_t size);

// An uninitialised block preferring large pages; null when memory runs short.
std::unique_ptr<uint8_t[]> NewLargeBlock(size_t size);

}  // namespace belmo
