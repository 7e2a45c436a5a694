#include "app/command_line.h"

#include <cstddef>

#include "document/wav_document.h"

namespace belmo {
namespace {

// Only the first 260 bytes of the command line are looked at, the size of
// the path buffers the arguments end up in.
constexpr size_t kScanLimit = kPathBufferBytes;

// One argument as a fixed buffer: a byte goes to its position in the current
// token, so a token that restarts inside the same argument overwrites its
// start instead of appending.
struct ArgumentBuffer {
  char bytes[kPathBufferBytes] = {};
  int lastBackslash = -1;

  void Store(size_t position, char c) {
    // An unquoted argument 0 could reach position 259; the last byte stays
    // the terminating zero.
    if (position >= kPathBufferBytes - 1) return;
    bytes[position] = c;
    if (c == '\\') lastBackslash = static_cast<int>(position);
  }

  std::string Text() const { return std::string(bytes); }
};

}  // namespace

CommandLineArgs ParseCommandLine(std::string_view commandLine) {
  auto byteAt = [commandLine](size_t i) -> char {
    return i < commandLine.size() ? commandLine[i] : '\0';
  };

  ArgumentBuffer arguments[2];
  int n = 0;
  bool quoted = false;
  size_t tokenStart = 0;
  for (size_t i = 0; i < kScanLimit && byteAt(i) != '\0'; ++i) {
    const char c = byteAt(i);
    if (c == '"') {
      quoted = !quoted;
      tokenStart = i + 1;
      if (i > 0 && byteAt(i + 1) != ' ') ++n;
    } else if (c == ' ' && !quoted) {
      tokenStart = i + 1;
      if (byteAt(i + 1) != '"') ++n;
    } else if (n < 2) {
      arguments[n].Store(i - tokenStart, c);
    }
  }

  CommandLineArgs args;
  args.Program = arguments[0].Text();
  args.ProgramLastBackslash = arguments[0].lastBackslash;
  args.File = arguments[1].Text();
  args.FileLastBackslash = arguments[1].lastBackslash;
  return args;
}

}  // namespace belmo
