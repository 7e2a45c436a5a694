// belmo-mask: the program's masks from a command line, for batch work.
// The same core code as the program runs each mask, with the same
// arithmetic; the input is read and checked as the program loads a file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "document/platform.h"
#include "settings/mask_settings.h"

namespace belmo {

enum CliExit { kCliOk = 0, kCliRefused = 1, kCliUsage = 2 };

// What belmo-mask needs of its process besides files: the console's
// encoding, and the standard streams for "-" as the input, the output or
// a ranges file. The plain one converts nothing and has no streams.
class CliConsole {
 public:
  virtual ~CliConsole() = default;
  // One of the program's own texts (code page 932) as the console shows
  // it. File names and the values the user typed never pass through here:
  // they are shown as they came.
  virtual std::string OwnText(const std::string& cp932) { return cp932; }
  // All of standard input; null when it cannot be read or held.
  virtual std::unique_ptr<FileView> ReadStandardInput() { return nullptr; }
  // Standard output for the result; null when it cannot be had.
  virtual std::unique_ptr<FileWriter> StandardOutput() { return nullptr; }
  // A WAVE image is never written to a screen.
  virtual bool OutputIsTerminal() { return false; }
  // Text in the system's encoding (the arguments; on Windows the ANSI code
  // page) as UTF-8, to compare with a transcript. False when it is not
  // text. The plain one takes UTF-8 as it is.
  virtual bool LocalTextToUtf8(const std::string& local, std::string* utf8);
  // UTF-8 text (a word read from a file) as the console shows it.
  virtual std::string Utf8Text(const std::string& utf8) { return utf8; }
  // How a settings file's overwrite path line is spelt on this system.
  virtual PathLineForm SettingsPathLine() { return PathLineForm(); }
};

// args are the arguments after the program name. out and err receive the
// texts for standard output and standard error, ready for the console.
// When the result goes to standard output, out stays empty.
int RunMaskCli(const std::vector<std::string>& args, FileStore& files, CliConsole& console,
               std::string* out, std::string* err);
int RunMaskCli(const std::vector<std::string>& args, FileStore& files, std::string* out,
               std::string* err);

}  // namespace belmo
