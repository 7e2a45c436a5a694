// belmo-mask and transcripts: the words to look for (--find, --words,
// --digits) and the padding (--pad), the transcript they are looked for
// in, and what was found: ranges for a mask (--transcript), or the label
// file that "belmo-mask find" writes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "cli/mask_cli.h"
#include "selection/sample_range.h"
#include "transcript/transcript.h"
#include "transcript/transcript_search.h"

namespace belmo {

inline const std::vector<std::string> kSearchOptions = {"--find", "--words", "--digits", "--pad"};
inline const std::vector<std::string> kRepeatedSearchOptions = {"--find", "--words"};

// Word times are approximate: a little before and after is masked too.
inline constexpr char kDefaultPad[] = "0.2";

class TranscriptSearch {
 public:
  TranscriptSearch(FileStore& files, CliConsole& console) : files_(files), console_(console) {}

  // True when arguments hold any of kSearchOptions.
  static bool Asked(const CliArguments& arguments);

  // Reads the words and the transcript at path ("-": standard input) and
  // looks for them.
  std::optional<CliFailure> Run(const std::string& path, const CliArguments& arguments);

  // The ranges to mask in a recording of lengthMs, named shownRecording in
  // messages; refused when what was found lies past its end.
  std::optional<CliFailure> RangesIn(int64_t lengthMs, const std::string& shownRecording,
                                     std::vector<SampleRange>* ranges) const;

  bool FoundAny() const { return !findings_.matches.empty(); }
  // find's standard output: a line a merged range, start, end and text.
  std::string LabelFile() const;
  // For standard error: the count of each word, and how times were had.
  std::string Summary() const;
  // A warning line for each word not found.
  std::string NotFoundWarnings() const;
  // Why nothing was found, without the prefix.
  std::string NoneFound() const;

 private:
  std::string Own(const std::string& cp932) const { return console_.OwnText(cp932); }
  std::optional<CliFailure> ReadPad(const CliArguments& arguments);
  std::optional<CliFailure> ReadDigits(const CliArguments& arguments);
  std::optional<CliFailure> AddWord(const std::string& utf8, std::string shown,
                                    const std::string& where);
  std::optional<CliFailure> ReadWordsFile(const std::string& path);
  std::optional<CliFailure> ReadTranscriptFile(const std::string& path);
  std::string TermName(size_t term) const;

  struct Term {
    std::string shown;  // as the console shows it
    std::u32string folded;
  };

  FileStore& files_;
  CliConsole& console_;
  std::string shownPath_;
  std::vector<Term> terms_;
  int leastDigits_ = 0;
  int64_t padMs_ = 200;
  Transcript transcript_;
  TranscriptFindings findings_;
};

// belmo-mask find TRANSCRIPT (--find TEXT | --words FILE | --digits N)...
// [--pad S]: exit 0 when something was found, 1 when nothing was, 2 for
// anything given wrong or unreadable, as grep does.
int RunFindCli(const std::vector<std::string>& args, FileStore& files, CliConsole& console,
               std::string* out, std::string* err);

}  // namespace belmo
