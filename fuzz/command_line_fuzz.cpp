// The program's own command line, as Explorer, a shortcut or a drop on the
// icon passes it: the input is the whole line. Each argument comes back
// whole however long it is; start-up refuses one past the system's 259
// UTF-16 units and cuts the program's folder at the reported backslash.
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "launch/command_line.h"
#include "window/utf8_path.h"

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
    const bool fits = Utf16Length(*text) < static_cast<size_t>(kPathBufferBytes);
    BELMO_FUZZ_CHECK((problem == PathProblem::TooLong) == !fits);
    // A path that fits reaches the document's buffer whole.
    if (problem == PathProblem::None) {
      static char buffer[kDocumentPathBytes];
      CopyToBuffer(*text, buffer);
      BELMO_FUZZ_CHECK(std::string(buffer) == *text);
    }
  }
  return 0;
}
