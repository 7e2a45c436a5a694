// The private message of the settings window's pages, shared by the program
// and its end-to-end tests (so no <windows.h> here).
#pragma once

namespace belmo {

// Sent to any page window: answers the preview player's state in bits 0-3
// (0 idle, 1 playing, 2 draining), its kind in bits 4-7 and the number of
// the block generated last from bit 8 on. Another process cannot see a
// wave-out device, so this is how the tests watch a preview run and end.
constexpr unsigned kMsgQueryPreview = 0x400 + 0x111;

}  // namespace belmo
