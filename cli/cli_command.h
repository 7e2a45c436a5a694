// What belmo-mask's commands share: the scan of their arguments and the
// failure that ends a run.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli/mask_cli.h"

namespace belmo {

// Texts for the console, without the prefix: already in its encoding.
struct CliFailure {
  int exitCode;
  std::string message;
};

struct CliArguments {
  std::vector<std::string> files;                           // in order; "-" too
  std::map<std::string, std::string> options;               // the last of each: "--hz" -> "440"
  std::map<std::string, std::vector<std::string>> repeated;  // every one, in order
  bool help = false;
};

enum class ArgumentProblem { None, UnknownOption, MissingValue };

// Reads args after the command's name: "--name value" and "--name=value"
// for the options in allowed (those in repeated kept every time), "--help"
// or "-h", "--" before names that start with '-', anything else a file.
// On a problem, *option is the option it is about.
ArgumentProblem ReadCliArguments(const std::vector<std::string>& args,
                                 const std::vector<std::string>& allowed,
                                 const std::vector<std::string>& repeated, CliArguments* read,
                                 std::string* option);

// The standard stream as a file's name.
inline constexpr char kStandardStream[] = "-";

// The whole of a file the user named, or of standard input for "-"; shown
// names it in messages.
std::optional<CliFailure> ReadCliInput(const std::string& path, const std::string& shown,
                                       FileStore& files, CliConsole& console, std::string* content);

// A failure's lines for standard error: the program's name and the message,
// and after a usage error the way to the help of command ("belmo-mask
// sine"; "belmo-mask" before any command was known).
std::string CliFailureText(const CliFailure& failure, const std::string& command,
                           CliConsole& console);

}  // namespace belmo
