// Splits the process command line into the program's path (argument 0) and
// the file to open (argument 1), byte by byte. Double quotes are never
// copied; blanks inside them are. Every blank outside quotes counts as a
// separator of its own, so two blanks leave argument 1 empty.
#pragma once

#include <string>
#include <string_view>

namespace belmo {

struct CommandLineArgs {
  std::string Program;             // argument 0
  int ProgramLastBackslash = -1;   // position in Program, -1 when none
  std::string File;                // argument 1, empty when none
  int FileLastBackslash = -1;      // position in File, -1 when none
};

CommandLineArgs ParseCommandLine(std::string_view commandLine);

}  // namespace belmo
