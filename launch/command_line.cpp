#include "launch/command_line.h"

#include <utility>

#include "document/document_texts.h"
#include "document/platform.h"
#include "launch/launch_texts.h"
#include "window/utf8_path.h"

namespace belmo {
namespace {

// One argument: a byte goes to its position in the current token, so a
// token that restarts inside the same argument overwrites its start instead
// of appending. Positions only ever grow one past the end, so the text
// grows with them.
struct ArgumentText {
  std::string bytes;
  int lastBackslash = -1;

  void Store(size_t position, char c) {
    if (position < bytes.size()) {
      bytes[position] = c;
    } else {
      bytes.push_back(c);
    }
    if (c == '\\') lastBackslash = static_cast<int>(position);
  }
};

// The prefix that hands a path to the file system unparsed; its "?" is not
// part of any name.
constexpr std::string_view kVerbatimPrefix = "\\\\?\\";

}  // namespace

CommandLineArgs ParseCommandLine(std::string_view commandLine) {
  auto byteAt = [commandLine](size_t i) -> char {
    return i < commandLine.size() ? commandLine[i] : '\0';
  };

  ArgumentText arguments[2];
  int n = 0;
  bool quoted = false;
  size_t tokenStart = 0;
  for (size_t i = 0; byteAt(i) != '\0'; ++i) {
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
  args.Program = std::move(arguments[0].bytes);
  args.ProgramLastBackslash = arguments[0].lastBackslash;
  args.File = std::move(arguments[1].bytes);
  args.FileLastBackslash = arguments[1].lastBackslash;
  return args;
}

PathProblem FindPathProblem(std::string_view path, bool longPathsAllowed) {
  // The system counts a plain path in UTF-16 units, whatever its script.
  const bool tooLong = longPathsAllowed
                           ? path.size() >= static_cast<size_t>(kDocumentPathBytes)
                           : Utf16Length(path) >= static_cast<size_t>(kPathBufferBytes);
  if (tooLong) return PathProblem::TooLong;
  if (path.substr(0, kVerbatimPrefix.size()) == kVerbatimPrefix) {
    path.remove_prefix(kVerbatimPrefix.size());
  }
  // "?" (0x3F) is never the second byte of a double-byte character.
  if (path.find('?') != std::string_view::npos) return PathProblem::UnusableCharacter;
  return PathProblem::None;
}

PathProblem FindProgramFolderProblem(const std::string& programDirectory) {
  return FindPathProblem(PendingPathOf(programDirectory + "\\" + text::kWorkingCopyName));
}

const char* FileProblemText(PathProblem problem) {
  switch (problem) {
    case PathProblem::TooLong: return text::kPathTooLong;
    case PathProblem::UnusableCharacter: return text::kPathHasUnusableCharacters;
    case PathProblem::None: break;
  }
  return nullptr;
}

const char* ProgramFolderProblemText(PathProblem problem) {
  switch (problem) {
    case PathProblem::TooLong: return text::kProgramFolderTooLong;
    case PathProblem::UnusableCharacter: return text::kProgramFolderHasUnusableCharacters;
    case PathProblem::None: break;
  }
  return nullptr;
}

}  // namespace belmo
