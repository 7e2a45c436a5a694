// Splits the process command line into the program's path (argument 0) and
// the file to open (argument 1), byte by byte. Double quotes are never
// copied; blanks inside them are. Every blank outside quotes counts as a
// separator of its own, so two blanks leave argument 1 empty.
//
// The whole line is read and each argument is returned whole, however long:
// cutting a path short would open a different file or none at all. Whether
// a path fits the system's plain path limit is a separate question
// (FindPathProblem). The line is UTF-8, from the system's wide one.
#pragma once

#include <string>
#include <string_view>

#include "document/wav_document.h"

namespace belmo {

struct CommandLineArgs {
  std::string Program;             // argument 0
  int ProgramLastBackslash = -1;   // position in Program, -1 when none
  std::string File;                // argument 1, empty when none
  int FileLastBackslash = -1;      // position in File, -1 when none
};

CommandLineArgs ParseCommandLine(std::string_view commandLine);

// Why a path the program was given cannot be opened before even trying.
enum class PathProblem {
  None,
  TooLong,            // over 259 UTF-16 units, the system's plain path
                      // limit; where long paths are allowed, more than the
                      // document's path buffer holds
  UnusableCharacter,  // holds "?", which no file name can (outside the "\\?\"
                      // prefix); a program of the ANSI code page gets it for
                      // a character that code page cannot show
};

PathProblem FindPathProblem(std::string_view path, bool longPathsAllowed = false);

// The program's folder must hold the working copy and the copy that
// replaces it on every write; a folder whose paths for them do not fit
// could never open a file.
PathProblem FindProgramFolderProblem(const std::string& programDirectory);

// What the user is told about a path with a problem, null when it has none:
// for a file to open, and for the program's own folder (where the working
// copy must be written).
const char* FileProblemText(PathProblem problem);
const char* ProgramFolderProblemText(PathProblem problem);

}  // namespace belmo
