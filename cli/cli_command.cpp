#include "cli/cli_command.h"

#include <algorithm>
#include <memory>

#include "cli/cli_texts.h"
#include "document/document_texts.h"

namespace belmo {

ArgumentProblem ReadCliArguments(const std::vector<std::string>& args,
                                 const std::vector<std::string>& allowed,
                                 const std::vector<std::string>& repeated, CliArguments* read,
                                 std::string* option) {
  const auto among = [](const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  bool optionsEnded = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      read->files.push_back(arg);  // "-" too: a standard stream
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      read->help = true;
      continue;
    }
    const size_t equals = arg.find('=');
    *option = arg.substr(0, equals);
    if (!among(allowed, *option)) return ArgumentProblem::UnknownOption;
    std::string value;
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      return ArgumentProblem::MissingValue;
    }
    if (among(repeated, *option)) {
      read->repeated[*option].push_back(value);
    } else {
      read->options[*option] = value;
    }
  }
  return ArgumentProblem::None;
}

std::optional<CliFailure> ReadCliInput(const std::string& path, const std::string& shown,
                                       FileStore& files, CliConsole& console, std::string* content) {
  if (path == kStandardStream) {
    std::unique_ptr<FileView> read = console.ReadStandardInput();
    if (!read) {
      return CliFailure{kCliRefused, shown + ": " + console.OwnText(text::kCliStandardInputUnreadable)};
    }
    content->assign(reinterpret_cast<const char*>(read->Data()), read->Size());
    return std::nullopt;
  }
  std::vector<uint8_t> bytes;
  if (!files.ReadWhole(path, &bytes)) {
    return CliFailure{kCliRefused, shown + ": " + console.OwnText(text::kCannotReadFile)};
  }
  content->assign(bytes.begin(), bytes.end());
  return std::nullopt;
}

std::string CliFailureText(const CliFailure& failure, const std::string& command,
                           CliConsole& console) {
  std::string lines = console.OwnText(text::kCliPrefix) + failure.message + "\n";
  if (failure.exitCode == kCliUsage) {
    lines += console.OwnText(text::kCliHintBefore) + command + " --help" +
             console.OwnText(text::kCliHintAfter) + "\n";
  }
  return lines;
}

}  // namespace belmo
