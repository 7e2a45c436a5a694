#include "cli/mask_cli.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <optional>

#include "cli/cli_command.h"
#include "cli/cli_texts.h"
#include "cli/cli_values.h"
#include "cli/run_in_progress.h"
#include "cli/transcript_cli.h"
#include "document/document_texts.h"
#include "document/wav_document.h"
#include "effects/apply_mask.h"
#include "effects/effects_texts.h"
#include "effects/file_overwrite.h"
#include "effects/streamed_mask.h"
#include "effects/voice_change_fft.h"
#include "numtext/number_text.h"
#include "selection/time_text.h"
#include "settings/mask_settings.h"
#include "transcript/text_fold.h"

namespace belmo {
namespace {

struct Request {
  MaskKind kind = MaskKind::Sine;
  std::string command;
  std::string input;
  std::string output;
  CliArguments arguments;
  // The transcript to find ranges in: empty for none.
  std::string transcript;

  const std::vector<std::string>& Every(const char* option) const {
    static const std::vector<std::string> none;
    const auto found = arguments.repeated.find(option);
    return found == arguments.repeated.end() ? none : found->second;
  }
};

const std::map<MaskKind, std::vector<std::string>> kOwnOptionsOf = {
    {MaskKind::Sine, {"--hz", "--db"}},
    {MaskKind::VoiceChange, {"--method", "--ratio", "--waves", "--fft-size"}},
    {MaskKind::FileOverwrite, {"--source", "--mode"}},
    {MaskKind::Silence, {}},
};
const std::vector<std::string> kCommonOptions = {"--start", "--end", "--range", "--ranges",
                                                 "--settings", "--transcript"};

std::vector<std::string> AllowedOptions(MaskKind kind) {
  std::vector<std::string> allowed = kOwnOptionsOf.at(kind);
  allowed.insert(allowed.end(), kCommonOptions.begin(), kCommonOptions.end());
  allowed.insert(allowed.end(), kSearchOptions.begin(), kSearchOptions.end());
  return allowed;
}

std::vector<std::string> RepeatedOptions() {
  std::vector<std::string> repeated = {"--range", "--ranges"};
  repeated.insert(repeated.end(), kRepeatedSearchOptions.begin(), kRepeatedSearchOptions.end());
  return repeated;
}

std::optional<MaskKind> KindOf(const std::string& command) {
  if (command == "sine") return MaskKind::Sine;
  if (command == "voice") return MaskKind::VoiceChange;
  if (command == "file") return MaskKind::FileOverwrite;
  if (command == "silence") return MaskKind::Silence;
  return std::nullopt;
}

std::string HelpOf(MaskKind kind) {
  switch (kind) {
    case MaskKind::Sine:
      return std::string(text::kCliUsageSine) + text::kCliIntro + text::kCliAboutSine;
    case MaskKind::VoiceChange:
      return std::string(text::kCliUsageVoice) + text::kCliIntro + text::kCliAboutVoice;
    case MaskKind::FileOverwrite:
      return std::string(text::kCliUsageFile) + text::kCliIntro + text::kCliAboutFile;
    case MaskKind::Silence:
      return std::string(text::kCliUsageSilence) + text::kCliIntro + text::kCliAboutSilence;
  }
  return std::string();
}

// The ranges, from times or from a transcript, and the rest.
std::string SharedHelp() {
  return std::string(text::kCliRangeHelp) + text::kCliTranscriptHelp + text::kCliSearchHelp +
         text::kCliTranscriptExitHelp + text::kCliCommonHelp;
}

std::string FullHelp() {
  return std::string(text::kCliUsage) + text::kCliIntro + text::kCliAboutSine +
         text::kCliAboutVoice + text::kCliAboutFile + text::kCliAboutSilence +
         text::kCliAboutFind + SharedHelp();
}

using Failure = CliFailure;

// A range as the user gave it, with where it was given for the messages.
struct Wanted {
  ListedRange range;
  bool toTheEnd = false;  // --start without --end
  std::string where;      // "--range 1-2", "labels.txt:3"
};

// The recording: a view of the file (or of standard input, read whole).
// The image stays in the view: only what a mask needs of it is ever read.
struct Input {
  std::unique_ptr<FileView> view;
  WaveFormat format;
  int32_t lengthMs = 0;
};

// While a run maps its input and writes its output, the handlers that end
// belmo-mask at once when the input is lost know where both are.
struct RunNotes {
  ~RunNotes() {
    NoteInputInUse(nullptr, 0);
    NoteInputLostMessage("");
    NoteOutputInProgress("");
  }
};

// One run of a subcommand, from its arguments to the file written. Each
// step either passes or names the one thing that stops the run; nothing
// is written before the last.
class MaskCommand {
 public:
  MaskCommand(FileStore& files, CliConsole& console, std::string* out, std::string* err)
      : files_(files), console_(console), out_(*out), err_(*err) {}

  int Run(const std::vector<std::string>& args) {
    RunNotes notes;
    std::optional<Failure> failure = Parse(args);
    if (!failure && request_.arguments.help) {
      out_ += Own(HelpOf(request_.kind) + SharedHelp());
      return kCliOk;
    }
    if (!failure) failure = CheckStreams();
    if (!failure) failure = ReadSettings();
    if (!failure) failure = ReadRanges();
    if (!failure) failure = OpenInput();
    if (!failure) failure = FitToRecording();
    if (!failure) failure = Prepare();
    if (!failure) failure = WriteOutput();
    if (failure) {
      Report(*failure);
      return failure->exitCode;
    }
    Summarize();
    return kCliOk;
  }

 private:
  std::string Own(const std::string& cp932) { return console_.OwnText(cp932); }
  // The one rule of the exit codes: what the user asked for is wrong (an
  // option, a value, a range, also one read from a settings or ranges
  // file), or a file or the system refused (a file that cannot be read or
  // written or is no usable WAVE, memory, a closed output).
  Failure Usage(std::string message) { return Failure{kCliUsage, std::move(message)}; }
  Failure Refused(std::string message) { return Failure{kCliRefused, std::move(message)}; }

  // A file as messages name it; the standard streams by their names.
  std::string Shown(const std::string& path, const char* stream) {
    return path == kStandardStream ? Own(stream) : path;
  }
  std::string ShownInput() { return Shown(request_.input, text::kCliStandardInput); }

  const std::string* Option(const char* name) const {
    auto found = request_.arguments.options.find(name);
    return found == request_.arguments.options.end() ? nullptr : &found->second;
  }

  // A value as the user wrote it, or as the settings file had it.
  std::string ShownValue(const char* name, double value) const {
    const std::string* given = Option(name);
    return given ? *given : NumberToText(value);
  }

  std::optional<Failure> Parse(const std::vector<std::string>& args) {
    request_.command = args[0];
    std::optional<MaskKind> kind = KindOf(args[0]);
    if (!kind) {
      request_.command.clear();
      return Usage(Own(text::kCliUnknownCommand) + args[0]);
    }
    request_.kind = *kind;
    std::string option;
    switch (ReadCliArguments(args, AllowedOptions(*kind), RepeatedOptions(), &request_.arguments,
                             &option)) {
      case ArgumentProblem::UnknownOption: return Usage(Own(text::kCliUnknownOption) + option);
      case ArgumentProblem::MissingValue: return Usage(Own(text::kCliMissingValue) + option);
      case ArgumentProblem::None: break;
    }
    if (const std::string* transcript = Option("--transcript")) request_.transcript = *transcript;
    if (request_.arguments.help) return std::nullopt;
    const std::vector<std::string>& files = request_.arguments.files;
    if (files.size() < 2) return Usage(Own(text::kCliMissingFiles));
    if (files.size() > 2) return Usage(Own(text::kCliTooManyFiles) + files[2]);
    request_.input = files[0];
    request_.output = files[1];
    return std::nullopt;
  }

  // Standard input holds one thing; a WAVE image on a screen helps nobody.
  std::optional<Failure> CheckStreams() {
    int readers = request_.input == kStandardStream ? 1 : 0;
    for (const char* option : {"--ranges", "--words"}) {
      for (const std::string& file : request_.Every(option)) readers += file == kStandardStream;
    }
    readers += request_.transcript == kStandardStream;
    if (readers > 1) return Usage(Own(text::kCliStandardInputTwice));
    if (request_.output == kStandardStream && console_.OutputIsTerminal()) {
      return Usage(Own(text::kCliOutputIsTerminal));
    }
    return std::nullopt;
  }

  std::optional<Failure> NotANumber(const char* name, const std::string& value) {
    return Usage(name + Own(text::kCliValueOpen) + value + Own(text::kCliNotANumber));
  }

  // A number option, when given, replaces the setting.
  std::optional<Failure> ReadNumberOption(const char* name, double* setting) {
    const std::string* given = Option(name);
    if (given == nullptr) return std::nullopt;
    if (!ReadNumber(*given, setting)) return NotANumber(name, *given);
    return std::nullopt;
  }

  std::optional<Failure> ReadSettings() {
    if (const std::string* path = Option("--settings")) {
      std::vector<uint8_t> bytes;
      if (!files_.ReadWhole(*path, &bytes)) {
        return Refused(*path + ": " + Own(text::kCannotReadFile));
      }
      settings_ = ParseSettingsText(std::string(bytes.begin(), bytes.end()),
                                    console_.SettingsPathLine());
    }
    if (auto failure = ReadNumberOption("--hz", &settings_.SinHz)) return failure;
    if (auto failure = ReadNumberOption("--db", &settings_.SindB)) return failure;
    if (const std::string* method = Option("--method")) {
      if (*method != "simple" && *method != "fft") return Usage(Own(text::kCliBadMethod));
      settings_.PitchUpType = *method == "fft" ? 1 : 0;
    }
    if (auto failure = ReadNumberOption("--ratio", &settings_.VoicePitch)) return failure;
    if (const std::string* waves = Option("--waves")) {
      double count = 0;
      if (!ReadNumber(*waves, &count)) return NotANumber("--waves", *waves);
      count = std::trunc(count);
      if (!(count >= 1)) return Usage(Own(text::kCliBadWaves));
      settings_.VoiceSample = 2 * count;
    }
    if (const std::string* size = Option("--fft-size")) {
      double n = 0;
      if (!ReadNumber(*size, &n)) return NotANumber("--fft-size", *size);
      const int index = FftIndexOfSize(n);
      if (index < 0) return Usage(Own(text::kCliBadFftSize));
      settings_.FFTSample = static_cast<uint16_t>(index);
    }
    if (const std::string* source = Option("--source")) settings_.OverWriteFilePath = *source;
    if (const std::string* mode = Option("--mode")) {
      if (*mode != "once" && *mode != "loop") return Usage(Own(text::kCliBadMode));
      settings_.OverWriteType = *mode == "loop" ? kOverwriteContinuous : 0;
    }
    return CheckSettings();
  }

  // Values no mask can use, whether given or read from the settings file;
  // the settings window refuses the same.
  std::optional<Failure> CheckSettings() {
    switch (request_.kind) {
      case MaskKind::Sine:
        if (!(settings_.SinHz > 0)) {
          return Usage(Own(text::kCliFrequencyNotPositive) + ShownValue("--hz", settings_.SinHz));
        }
        if (!(settings_.SindB <= 0)) {
          return Usage(Own(text::kCliLevelAboveZero) + ShownValue("--db", settings_.SindB));
        }
        break;
      case MaskKind::VoiceChange:
        if (!(settings_.VoicePitch > 0)) return Usage(Own(text::kCliBadRatio));
        break;
      case MaskKind::FileOverwrite:
        if (settings_.OverWriteFilePath.empty()) return Usage(Own(text::kNoOverwriteFile));
        break;
      case MaskKind::Silence:
        break;
    }
    return std::nullopt;
  }

  std::optional<Failure> ReadTimeOption(const char* name, int64_t* ms) {
    const std::string* given = Option(name);
    if (given == nullptr) return std::nullopt;
    if (!ReadTime(*given, ms)) {
      return Usage(name + Own(text::kCliValueOpen) + *given + Own(text::kCliNotATime));
    }
    return std::nullopt;
  }

  std::optional<Failure> ReadRanges() {
    const std::string* start = Option("--start");
    const std::string* end = Option("--end");
    if ((start || end) && !(request_.Every("--range").empty() && request_.Every("--ranges").empty())) {
      return Usage(Own(text::kCliRangeFormsMixed));
    }
    if ((start || end) && !request_.transcript.empty()) {
      return Usage(Own(text::kCliTranscriptWithStartEnd));
    }
    if (start || end) {
      Wanted wanted;
      wanted.toTheEnd = end == nullptr;
      if (auto failure = ReadTimeOption("--start", &wanted.range.start)) return failure;
      if (auto failure = ReadTimeOption("--end", &wanted.range.end)) return failure;
      wanted.where = start ? "--start " + *start : std::string();
      if (end) wanted.where += (start ? " --end " : "--end ") + *end;
      wanted_.push_back(wanted);
    }
    for (const std::string& given : request_.Every("--range")) {
      Wanted wanted;
      if (!ReadRangeArgument(given, &wanted.range)) {
        return Usage("--range" + Own(text::kCliValueOpen) + given + Own(text::kCliNotARange));
      }
      wanted.where = "--range " + given;
      wanted_.push_back(wanted);
    }
    for (const std::string& file : request_.Every("--ranges")) {
      if (auto failure = ReadRangesFile(file)) return failure;
    }
    return ReadTranscript();
  }

  // The words are looked for before the recording is opened: a mistake in
  // them costs no time.
  std::optional<Failure> ReadTranscript() {
    if (request_.transcript.empty()) {
      if (!TranscriptSearch::Asked(request_.arguments)) return std::nullopt;
      for (const std::string& option : kSearchOptions) {
        if (request_.arguments.options.count(option) || request_.arguments.repeated.count(option)) {
          return Usage(Own(text::kCliSearchWithoutTranscript) + option);
        }
      }
    }
    return transcript_.Run(request_.transcript, request_.arguments);
  }

  std::optional<Failure> ReadRangesFile(const std::string& file) {
    const std::string shown = Shown(file, text::kCliStandardInput);
    std::string content;
    if (auto failure = ReadCliInput(file, shown, files_, console_, &content)) return failure;
    std::vector<ListedRange> listed;
    int badLine = 0;
    if (!ReadRangesText(content, &listed, &badLine)) {
      return Usage(shown + ":" + std::to_string(badLine) + ": " + Own(text::kCliBadRangeLine));
    }
    if (listed.empty()) return Usage(shown + ": " + Own(text::kCliNoRanges));
    for (const ListedRange& range : listed) {
      wanted_.push_back(Wanted{range, false, shown + ":" + std::to_string(range.line)});
    }
    return std::nullopt;
  }

  // Checks IN as the program checks a file it loads, with the length
  // measured the way the sound device measures it.
  std::optional<Failure> OpenInput() {
    const std::string shown = ShownInput();
    if (request_.input == kStandardStream) {
      input_.view = console_.ReadStandardInput();
      if (!input_.view) return Refused(shown + ": " + Own(text::kCliStandardInputUnreadable));
    } else {
      input_.view = files_.OpenView(request_.input);
      if (!input_.view) {
        return Refused(shown + ": " + Own(LoadRefusalText(LoadOutcome::Unreadable)));
      }
    }
    NoteInputInUse(input_.view->Data(), input_.view->Size());
    NoteInputLostMessage(Own(text::kCliPrefix) + shown + ": " + Own(text::kCliInputLost) + "\n");
    const uint8_t* bytes = input_.view->Data();
    const size_t size = input_.view->Size();
    FormatClaim claim;
    WaveCheck check = InspectWaveImage(bytes, size, &input_.format, &claim);
    if (check != WaveCheck::Ok) {
      return Refused(shown + ": " + Own(LoadRefusalText(LoadOutcomeOf(check), claim)));
    }
    int64_t lengthMs = LengthMsByChunks(bytes, size, input_.format);
    if (lengthMs < 1 || lengthMs > std::numeric_limits<int32_t>::max()) {
      return Refused(shown + ": " + Own(LoadRefusalText(LoadOutcome::NoDataTag)));
    }
    input_.lengthMs = static_cast<int32_t>(lengthMs);
    return std::nullopt;
  }

  // What depends on the recording: the highest tone it can carry, and
  // every range inside it. The ranges are then merged.
  std::optional<Failure> FitToRecording() {
    const double highest = static_cast<double>(input_.format.SampleRate) / 2;
    if (request_.kind == MaskKind::Sine && settings_.SinHz > highest) {
      return Usage(ShownInput() + ": " + Own(text::kCliFrequencyTooHigh) + NumberToText(highest) +
                   Own(text::kCliFrequencyLimitAfter));
    }
    const int64_t length = input_.lengthMs;
    std::vector<SampleRange> ranges;
    for (const Wanted& wanted : wanted_) {
      const int64_t end = wanted.toTheEnd ? length : wanted.range.end;
      if (!(wanted.range.start < end && end <= length)) {
        return Usage(wanted.where + ": " + Own(text::kRangeInvalid) + Own(text::kCliLengthBefore) +
                     TimeText(length) + Own(text::kCliLengthAfter));
      }
      ranges.push_back(SampleRange{static_cast<uint32_t>(wanted.range.start),
                                   static_cast<uint32_t>(end)});
    }
    if (!request_.transcript.empty()) {
      if (auto failure = transcript_.RangesIn(length, ShownInput(), &ranges)) return failure;
      // Nothing found and no other range: the whole file is not what was meant.
      if (ranges.empty()) {
        return Refused(transcript_.NoneFound() + Own(text::kCliNothingWritten));
      }
    }
    if (ranges.empty()) ranges.push_back(SampleRange{0, static_cast<uint32_t>(length)});
    ranges_ = MergeRanges(std::move(ranges));
    return std::nullopt;
  }

  // The simple method reads the range into a buffer of its length divided
  // by the ratio: below 1, that buffer is what did not fit.
  Failure WantOfMemory() {
    if (request_.kind == MaskKind::VoiceChange && settings_.PitchUpType == 0 &&
        settings_.VoicePitch < 1) {
      return Usage(Own(text::kCliRatioTooSmallBefore) +
                   ShownValue("--ratio", settings_.VoicePitch) + Own(text::kCliRatioTooSmallAfter));
    }
    return Refused(Own(text::kOutOfMemory));
  }

  // Nothing can undo a command-line run, so nothing but the result is kept.
  std::optional<Failure> Prepare() {
    const MaskOutcome outcome = mask_.Prepare(request_.kind, ranges_, settings_, *input_.view,
                                              input_.format, input_.lengthMs, files_, tables_);
    switch (outcome) {
      case MaskOutcome::Applied: return std::nullopt;
      case MaskOutcome::OutOfMemory: return WantOfMemory();
      case MaskOutcome::SourceUnreadable:
      case MaskOutcome::SourceTooShort:
      case MaskOutcome::SourceNotPcm:
      case MaskOutcome::SourceNoData:
      case MaskOutcome::SourceEmpty:
        return Refused(settings_.OverWriteFilePath + ": " + Own(MaskRefusalText(outcome)));
      default: break;
    }
    // The values given are to blame for the rest.
    const char* message = MaskRefusalText(outcome);
    return Usage(Own(message ? message : text::kRangeInvalid));
  }

  std::optional<Failure> WriteOutput() {
    const bool toStandardOutput = request_.output == kStandardStream;
    std::unique_ptr<FileWriter> writer =
        toStandardOutput ? console_.StandardOutput() : files_.BeginReplace(request_.output);
    NoteOutputInProgress(writer && !toStandardOutput ? writer->PendingPath() : "");
    if (toStandardOutput) {
      NoteInputLostMessage(Own(text::kCliPrefix) + ShownInput() + ": " +
                           Own(text::kCliInputLostMidStream) + "\n");
    }
    const StreamResult result = writer ? mask_.Write(*writer) : StreamResult::WriteFailed;
    // OUT may be IN, and a file still mapped cannot be replaced everywhere.
    NoteInputInUse(nullptr, 0);
    input_.view.reset();
    NoteOutputInProgress("");
    if (result == StreamResult::OutOfMemory) return WantOfMemory();
    if (result != StreamResult::Written || !writer->Commit()) {
      if (toStandardOutput) {
        return Refused(Own(text::kCliStandardOutput) + ": " + Own(text::kCliStandardOutputFailed));
      }
      return Refused(request_.output + ": " + Own(text::kSaveFailed));
    }
    return std::nullopt;
  }

  void Report(const Failure& failure) {
    err_ += CliFailureText(failure,
                           request_.command.empty() ? "belmo-mask" : "belmo-mask " + request_.command,
                           console_);
  }

  // With the result on standard output, every message goes to standard error.
  void Summarize() {
    const bool toStandardOutput = request_.output == kStandardStream;
    (toStandardOutput ? err_ : out_) +=
        Own(text::kCliWritten) + Shown(request_.output, text::kCliStandardOutput) + "\n";
    int64_t total = 0;
    for (const SampleRange& range : ranges_) total += range.end - range.start;
    if (!request_.transcript.empty()) err_ += transcript_.Summary() + transcript_.NotFoundWarnings();
    err_ += Own(text::kCliSummaryBefore) + std::to_string(ranges_.size()) +
            Own(text::kCliSummaryCount) + TimeText(total) + Own(text::kCliSummaryAfter) + "\n";
    for (const SampleRange& range : ranges_) {
      err_ += "  " + TimeText(range.start) + "-" + TimeText(range.end) + "\n";
    }
  }

  FileStore& files_;
  CliConsole& console_;
  std::string& out_;
  std::string& err_;
  Request request_;
  MaskSettings settings_;
  std::vector<Wanted> wanted_;
  TranscriptSearch transcript_{files_, console_};
  Input input_;
  std::vector<SampleRange> ranges_;  // merged, in time order
  TwiddleTables tables_;
  StreamedMask mask_;
};

}  // namespace

int RunMaskCli(const std::vector<std::string>& args, FileStore& files, CliConsole& console,
               std::string* out, std::string* err) {
  if (args.empty()) {
    *err += console.OwnText(std::string(text::kCliPrefix) + text::kCliNoCommand + "\n" +
                            text::kCliHintBefore + "belmo-mask --help" + text::kCliHintAfter +
                            "\n");
    return kCliUsage;
  }
  if (args[0] == "--help" || args[0] == "-h") {
    *out += console.OwnText(FullHelp());
    return kCliOk;
  }
  if (args[0] == "--version") {
    *out += std::string("belmo-mask ") + BELMO_VERSION + "\n";
    return kCliOk;
  }
  if (args[0] == "find") return RunFindCli(args, files, console, out, err);
  return MaskCommand(files, console, out, err).Run(args);
}

bool CliConsole::LocalTextToUtf8(const std::string& local, std::string* utf8) {
  if (!IsUtf8(local)) return false;
  *utf8 = local;
  return true;
}

int RunMaskCli(const std::vector<std::string>& args, FileStore& files, std::string* out,
               std::string* err) {
  CliConsole plain;
  return RunMaskCli(args, files, plain, out, err);
}

}  // namespace belmo
