// The program's own command line, as Explorer, a shortcut or a drop on the
// icon passes it: the input is the whole line. Both arguments land in
// 260-byte path buffers, and the start-up cuts the program's folder at the
// reported backslash.
#include <string_view>

#include "app/command_line.h"
#include "document/wav_document.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace belmo;
  const std::string line(reinterpret_cast<const char*>(data), size);
  const CommandLineArgs args = ParseCommandLine(line);
  for (const auto& [text, backslash] :
       {std::pair{&args.Program, args.ProgramLastBackslash},
        std::pair{&args.File, args.FileLastBackslash}}) {
    BELMO_FUZZ_CHECK(text->size() < static_cast<size_t>(kPathBufferBytes));
    BELMO_FUZZ_CHECK(text->find('\0') == std::string::npos);
    BELMO_FUZZ_CHECK(backslash >= -1 && backslash < static_cast<int>(text->size()));
  }
  return 0;
}
