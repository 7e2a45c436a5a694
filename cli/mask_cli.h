// belmo-mask: the program's masks from a command line, for batch work.
// The same core code as the program runs each mask, with the same
// arithmetic; the input is read and checked as the program loads a file.
#pragma once

#include <string>
#include <vector>

#include "document/platform.h"

namespace belmo {

enum CliExit { kCliOk = 0, kCliRefused = 1, kCliUsage = 2 };

// args are the arguments after the program name. out and err receive the
// texts for standard output and standard error, in code page 932.
int RunMaskCli(const std::vector<std::string>& args, FileStore& files, std::string* out,
               std::string* err);

}  // namespace belmo
