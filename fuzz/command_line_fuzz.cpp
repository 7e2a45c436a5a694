// The program's own command line, as Explorer, a shortcut or a drop on the
// icon passes it: the input is the whole line. Each argument comes back
// whole however long it is; start-up refuses one that does not fit its
// 260-byte path buffers and cuts the program's folder at the reported
// backslash.
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "launch/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace belmo;
  const std::string line(reinterpret_cast<const char*>(data), size);
  const CommandLineArgs args = ParseCommandLine(line);
  const size_t lineBytes = line.find('\0') == std::string::npos ? line.size() : line.find('\0');
  BELMO_FUZZ_CHECK(args.Program.size() + args.File.size() <= lineBytes);
  for (const auto& [text, backslash] :
       {std::pair{&args.Program, args.ProgramLastBackslash},
        std::pair{&args.File, args.FileLastBackslash}}) {
    BELMO_FUZZ_CHECK(text->find('\0') == std::string::npos);
    BELMO_FUZZ_CHECK(text->find('"') == std::string::npos);
    // A token that restarts inside its argument may overwrite the recorded
    // backslash; the position still lies inside the argument.
    BELMO_FUZZ_CHECK(backslash >= -1 && backslash < static_cast<int>(text->size()));
    const PathProblem problem = FindPathProblem(*text);
    const bool fits = text->size() < static_cast<size_t>(kPathBufferBytes);
    BELMO_FUZZ_CHECK((problem == PathProblem::TooLong) == !fits);
    // A path that fits reaches its buffer whole (but for a stray lead byte
    // at its very end, which no real path has).
    if (problem == PathProblem::None) {
      char buffer[kPathBufferBytes];
      CopyToBuffer(*text, buffer);
      const std::string copied(buffer);
      BELMO_FUZZ_CHECK(text->compare(0, copied.size(), copied) == 0);
      BELMO_FUZZ_CHECK(copied.size() + 1 >= text->size());
    }
  }
  return 0;
}
