#include "cli/transcript_cli.h"

#include <algorithm>
#include <cmath>

#include "cli/cli_texts.h"
#include "cli/cli_values.h"
#include "numtext/number_text.h"
#include "numtext/text_lines.h"
#include "selection/time_text.h"
#include "transcript/text_fold.h"

namespace belmo {
namespace {

// A recording's transcript may run a little past its end (the recogniser
// rounds, an editor pads the last cue); more than this and it is another
// recording's.
constexpr int64_t kPastEndToleranceMs = 1000;
constexpr double kLongestPad = 60;
constexpr int kMostDigits = 100;

std::string_view WithoutBlanks(std::string_view line) {
  const size_t begin = line.find_first_not_of(" \t\r");
  if (begin == std::string_view::npos) return std::string_view();
  return line.substr(begin, line.find_last_not_of(" \t\r") + 1 - begin);
}

const char* FormatName(TranscriptFormat format) {
  switch (format) {
    case TranscriptFormat::WhisperJson: return text::kCliFormatWhisper;
    case TranscriptFormat::WhisperXJson: return text::kCliFormatWhisperX;
    case TranscriptFormat::WhisperCppJson: return text::kCliFormatWhisperCpp;
    case TranscriptFormat::SubRip: return text::kCliFormatSubRip;
    case TranscriptFormat::WebVtt: return text::kCliFormatWebVtt;
    case TranscriptFormat::Labels: return text::kCliFormatLabels;
  }
  return "";
}

}  // namespace

bool TranscriptSearch::Asked(const CliArguments& arguments) {
  for (const std::string& option : kSearchOptions) {
    if (arguments.options.count(option) != 0 || arguments.repeated.count(option) != 0) return true;
  }
  return false;
}

std::optional<CliFailure> TranscriptSearch::Run(const std::string& path,
                                                const CliArguments& arguments) {
  shownPath_ = path == kStandardStream ? Own(text::kCliStandardInput) : path;
  const auto repeated = [&](const char* option) {
    const auto found = arguments.repeated.find(option);
    return found == arguments.repeated.end() ? std::vector<std::string>() : found->second;
  };
  const std::vector<std::string> finds = repeated("--find");
  const std::vector<std::string> wordFiles = repeated("--words");
  if (finds.empty() && wordFiles.empty() && arguments.options.count("--digits") == 0) {
    return CliFailure{kCliUsage, Own(text::kCliNothingToFind)};
  }
  if (auto failure = ReadPad(arguments)) return failure;
  if (auto failure = ReadDigits(arguments)) return failure;
  for (const std::string& find : finds) {
    std::string utf8;
    if (!console_.LocalTextToUtf8(find, &utf8)) {
      return CliFailure{kCliUsage, "--find" + Own(text::kCliArgumentNotText)};
    }
    if (auto failure = AddWord(utf8, find, "--find" + Own(text::kCliValueOpen))) return failure;
  }
  for (const std::string& file : wordFiles) {
    if (auto failure = ReadWordsFile(file)) return failure;
  }
  if (auto failure = ReadTranscriptFile(path)) return failure;
  TranscriptQuery query;
  for (const Term& term : terms_) query.words.push_back(term.folded);
  query.leastDigits = leastDigits_;
  findings_ = FindInTranscript(transcript_, query);
  return std::nullopt;
}

std::optional<CliFailure> TranscriptSearch::ReadPad(const CliArguments& arguments) {
  const auto given = arguments.options.find("--pad");
  const std::string pad = given == arguments.options.end() ? kDefaultPad : given->second;
  double seconds = 0;
  if (!ReadNumber(pad, &seconds)) {
    return CliFailure{kCliUsage, "--pad" + Own(text::kCliValueOpen) + pad + Own(text::kCliNotANumber)};
  }
  if (!(seconds >= 0 && seconds <= kLongestPad)) {
    return CliFailure{kCliUsage, Own(text::kCliBadPad) + pad};
  }
  padMs_ = RoundHalfEven(seconds * 1000);
  return std::nullopt;
}

std::optional<CliFailure> TranscriptSearch::ReadDigits(const CliArguments& arguments) {
  const auto given = arguments.options.find("--digits");
  if (given == arguments.options.end()) return std::nullopt;
  double digits = 0;
  if (!ReadNumber(given->second, &digits) || digits != std::trunc(digits) || digits < 1 ||
      digits > kMostDigits) {
    return CliFailure{kCliUsage, Own(text::kCliBadDigits) + given->second};
  }
  leastDigits_ = static_cast<int>(digits);
  return std::nullopt;
}

// where opens the message about a word with nothing to compare:
// "--find の値「" or "names.txt:3: 「".
std::optional<CliFailure> TranscriptSearch::AddWord(const std::string& utf8, std::string shown,
                                                    const std::string& where) {
  Term term{std::move(shown), FoldWord(utf8)};
  if (term.folded.empty()) {
    return CliFailure{kCliUsage, where + term.shown + Own(text::kCliWordWithoutLetters)};
  }
  // A word given twice is looked for once.
  for (const Term& known : terms_) {
    if (known.folded == term.folded) return std::nullopt;
  }
  terms_.push_back(std::move(term));
  return std::nullopt;
}

std::optional<CliFailure> TranscriptSearch::ReadWordsFile(const std::string& path) {
  const std::string shown = path == kStandardStream ? Own(text::kCliStandardInput) : path;
  std::string content;
  if (auto failure = ReadCliInput(path, shown, files_, console_, &content)) return failure;
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (content.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0) {
    content.erase(0, kByteOrderMark.size());
  }
  // A list saved by a Windows editor in its own code page is read in it.
  std::string utf8;
  if (IsUtf8(content)) {
    utf8 = std::move(content);
  } else if (!console_.LocalTextToUtf8(content, &utf8)) {
    return CliFailure{kCliUsage, shown + ": " + Own(text::kCliWordsNotText)};
  }
  bool any = false;
  std::string_view rest = utf8;
  for (int line = 1; !rest.empty(); ++line) {
    const std::string_view word = WithoutBlanks(TakeLine(&rest));
    if (word.empty() || word[0] == '#') continue;
    any = true;
    const std::string where = shown + ":" + std::to_string(line) + ": " + Own(text::kCliWordOpen);
    if (auto failure = AddWord(std::string(word), console_.Utf8Text(std::string(word)), where)) {
      return failure;
    }
  }
  if (!any) return CliFailure{kCliUsage, shown + ": " + Own(text::kCliNoWords)};
  return std::nullopt;
}

std::optional<CliFailure> TranscriptSearch::ReadTranscriptFile(const std::string& path) {
  std::string content;
  if (auto failure = ReadCliInput(path, shownPath_, files_, console_, &content)) return failure;
  const TranscriptReadResult read = ReadTranscript(content, &transcript_);
  const std::string formats = Own(text::kCliTranscriptFormats);
  // A file that is no transcript is refused as any unusable file is.
  const auto refused = [&](const std::string& why) {
    return CliFailure{kCliRefused, shownPath_ + ": " + why};
  };
  switch (read.outcome) {
    case TranscriptRead::Ok: return std::nullopt;
    case TranscriptRead::NotUtf8: return refused(Own(text::kCliTranscriptNotUtf8) + formats);
    case TranscriptRead::BadJson:
      return refused(std::to_string(read.problemLine) + Own(text::kCliTranscriptBadJsonAfter) +
                     formats);
    case TranscriptRead::BadCueTime:
      return CliFailure{kCliRefused, shownPath_ + ":" + std::to_string(read.problemLine) + ": " +
                                       Own(text::kCliTranscriptBadCueTime)};
    case TranscriptRead::BadLabelLine:
      return CliFailure{kCliUsage, shownPath_ + ":" + std::to_string(read.problemLine) + ": " +
                                       Own(text::kCliBadRangeLine)};
    case TranscriptRead::UnknownFormat: return refused(Own(text::kCliTranscriptUnknown) + formats);
    case TranscriptRead::OutOfMemory:
      return CliFailure{kCliRefused, shownPath_ + ": " + Own(text::kCliTranscriptOutOfMemory)};
  }
  return refused(Own(text::kCliTranscriptUnknown) + formats);
}

std::optional<CliFailure> TranscriptSearch::RangesIn(int64_t lengthMs,
                                                     const std::string& shownRecording,
                                                     std::vector<SampleRange>* ranges) const {
  int64_t latest = 0;
  for (const TranscriptMatch& match : findings_.matches) latest = std::max(latest, match.endMs);
  std::vector<SampleRange> found;
  for (const TranscriptMatch& match : findings_.matches) {
    SampleRange range;
    if (PaddedRange(match, padMs_, lengthMs, &range)) found.push_back(range);
  }
  // Words far past the end, or all of them past it: not this recording's.
  if (latest > lengthMs + kPastEndToleranceMs || (FoundAny() && found.empty())) {
    return CliFailure{kCliRefused, shownPath_ + ": " + Own(text::kCliPastEndBefore) +
                                       TimeText(latest) + Own(text::kCliPastEndRecording) +
                                       shownRecording + Own(text::kCliPastEndLength) +
                                       TimeText(lengthMs) + Own(text::kCliPastEndAfter)};
  }
  ranges->insert(ranges->end(), found.begin(), found.end());
  return std::nullopt;
}

std::string TranscriptSearch::LabelFile() const {
  std::string file;
  for (const LabeledRange& label : LabelMatches(transcript_, findings_.matches, padMs_, kLatestTokenMs)) {
    file += TimeText(label.range.start) + "\t" + TimeText(label.range.end) + "\t" + label.text + "\n";
  }
  return file;
}

std::string TranscriptSearch::TermName(size_t term) const {
  if (term < terms_.size()) return terms_[term].shown;
  return std::to_string(leastDigits_) + Own(text::kCliDigitsTerm);
}

std::string TranscriptSearch::Summary() const {
  std::string summary = Own(text::kCliFoundBefore) + shownPath_ +
                        Own(std::string(text::kCliFoundFormatOpen) + FormatName(transcript_.format) +
                            text::kCliFoundAfter) +
                        "\n";
  for (size_t term = 0; term < findings_.perTerm.size(); ++term) {
    const int count = findings_.perTerm[term];
    summary += "  " + TermName(term) + ": " +
               (count > 0 ? std::to_string(count) + Own(text::kCliFoundCount) : Own(text::kCliFoundNone)) +
               "\n";
  }
  if (transcript_.untimedWords > 0) {
    summary += Own(text::kCliUntimedBefore) + std::to_string(transcript_.untimedWords) +
               Own(text::kCliUntimedAfter) + "\n";
  }
  if (findings_.wholePhrases > 0) {
    summary += "  " + std::to_string(findings_.wholePhrases) + Own(text::kCliWholePhrasesAfter) + "\n";
  }
  return summary;
}

std::string TranscriptSearch::NotFoundWarnings() const {
  std::string warnings;
  for (size_t term = 0; term < findings_.perTerm.size(); ++term) {
    if (findings_.perTerm[term] > 0) continue;
    warnings += Own(text::kCliPrefix) + shownPath_ + ": " + Own(text::kCliNotFound) + TermName(term) + "\n";
  }
  return warnings;
}

std::string TranscriptSearch::NoneFound() const {
  std::string names;
  for (size_t term = 0; term < findings_.perTerm.size(); ++term) {
    names += (term > 0 ? Own(text::kCliTermSeparator) : "") + TermName(term);
  }
  return shownPath_ + ": " + Own(text::kCliNoneFoundBefore) + names + Own(text::kCliNoneFoundAfter);
}

int RunFindCli(const std::vector<std::string>& args, FileStore& files, CliConsole& console,
               std::string* out, std::string* err) {
  const auto fail = [&](const std::string& message) {
    // As grep: whatever stops a search is exit 2.
    *err += CliFailureText(CliFailure{kCliUsage, message}, "belmo-mask find", console);
    return kCliUsage;
  };
  CliArguments arguments;
  std::string option;
  switch (ReadCliArguments(args, kSearchOptions, kRepeatedSearchOptions, &arguments, &option)) {
    case ArgumentProblem::UnknownOption: return fail(console.OwnText(text::kCliUnknownOption) + option);
    case ArgumentProblem::MissingValue: return fail(console.OwnText(text::kCliMissingValue) + option);
    case ArgumentProblem::None: break;
  }
  if (arguments.help) {
    *out += console.OwnText(std::string(text::kCliUsageFind) + text::kCliSearchHeading +
                            text::kCliSearchHelp + text::kCliFindExitHelp);
    return kCliOk;
  }
  if (arguments.files.empty()) return fail(console.OwnText(text::kCliMissingTranscript));
  if (arguments.files.size() > 1) return fail(console.OwnText(text::kCliTooManyFiles) + arguments.files[1]);
  const auto words = arguments.repeated.find("--words");
  int readers = arguments.files[0] == kStandardStream;
  if (words != arguments.repeated.end()) {
    readers += static_cast<int>(std::count(words->second.begin(), words->second.end(), kStandardStream));
  }
  if (readers > 1) return fail(console.OwnText(text::kCliStandardInputTwice));

  TranscriptSearch search(files, console);
  if (auto failure = search.Run(arguments.files[0], arguments)) return fail(failure->message);
  if (!search.FoundAny()) {
    *err += console.OwnText(text::kCliPrefix) + search.NoneFound() + "\n";
    return kCliRefused;
  }
  *out += search.LabelFile();
  *err += search.Summary() + search.NotFoundWarnings();
  return kCliOk;
}

}  // namespace belmo
