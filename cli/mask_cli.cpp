#include "cli/mask_cli.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <optional>

#include "cli/cli_texts.h"
#include "cli/run_in_progress.h"
#include "document/document_texts.h"
#include "document/wav_document.h"
#include "effects/apply_mask.h"
#include "effects/effects_texts.h"
#include "effects/file_overwrite.h"
#include "effects/streamed_mask.h"
#include "effects/voice_change_fft.h"
#include "numtext/number_text.h"
#include "settings/mask_settings.h"

namespace belmo {
namespace {

struct Request {
  MaskKind kind = MaskKind::Sine;
  std::string input;
  std::string output;
  std::map<std::string, std::string> options;  // "--hz" -> "440"
};

const std::map<MaskKind, std::vector<std::string>> kOptionsOf = {
    {MaskKind::Sine, {"--start", "--end", "--settings", "--hz", "--db"}},
    {MaskKind::VoiceChange,
     {"--start", "--end", "--settings", "--method", "--ratio", "--waves", "--fft-size"}},
    {MaskKind::FileOverwrite, {"--start", "--end", "--settings", "--source", "--mode"}},
};

struct Failure {
  int exitCode;
  std::string message;
};

bool Allowed(MaskKind kind, const std::string& option) {
  for (const std::string& name : kOptionsOf.at(kind)) {
    if (name == option) return true;
  }
  return false;
}

std::optional<MaskKind> KindOf(const std::string& command) {
  if (command == "sine") return MaskKind::Sine;
  if (command == "voice") return MaskKind::VoiceChange;
  if (command == "file") return MaskKind::FileOverwrite;
  return std::nullopt;
}

std::optional<Failure> Parse(const std::vector<std::string>& args, Request* request) {
  std::optional<MaskKind> kind = KindOf(args[0]);
  if (!kind) return Failure{kCliUsage, text::kCliUnknownCommand};
  request->kind = *kind;
  std::vector<std::string> files;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
      if (!Allowed(*kind, arg)) return Failure{kCliUsage, text::kCliUnknownOption + arg};
      if (i + 1 >= args.size()) return Failure{kCliUsage, text::kCliMissingValue + arg};
      request->options[arg] = args[++i];
    } else {
      files.push_back(arg);
    }
  }
  if (files.size() < 2) return Failure{kCliUsage, text::kCliMissingFiles};
  if (files.size() > 2) return Failure{kCliUsage, text::kCliTooManyFiles + files[2]};
  request->input = files[0];
  request->output = files[1];
  return std::nullopt;
}

const std::string* Option(const Request& request, const char* name) {
  auto found = request.options.find(name);
  return found == request.options.end() ? nullptr : &found->second;
}

// Seconds as the seconds boxes read them; a value no range can hold is
// marked so that the range check refuses it.
int64_t Milliseconds(const std::string& seconds) {
  return RoundHalfEven(TextToNumber(seconds) * 1000);
}

std::optional<Failure> ApplyOptions(const Request& request, FileStore& files,
                                    MaskSettings* settings) {
  if (const std::string* path = Option(request, "--settings")) {
    std::vector<uint8_t> bytes;
    if (!files.ReadWhole(*path, &bytes)) {
      return Failure{kCliUsage, std::string(text::kCannotReadFile) + " " + *path};
    }
    *settings = ParseSettingsText(std::string(bytes.begin(), bytes.end()));
  }
  if (const std::string* hz = Option(request, "--hz")) settings->SinHz = TextToNumber(*hz);
  if (const std::string* db = Option(request, "--db")) settings->SindB = TextToNumber(*db);
  if (const std::string* method = Option(request, "--method")) {
    if (*method != "simple" && *method != "fft") return Failure{kCliUsage, text::kCliBadMethod};
    settings->PitchUpType = *method == "fft" ? 1 : 0;
  }
  if (const std::string* ratio = Option(request, "--ratio")) {
    settings->VoicePitch = TextToNumber(*ratio);
  }
  if (const std::string* waves = Option(request, "--waves")) {
    double count = std::trunc(TextToNumber(*waves));
    if (!(count >= 1)) return Failure{kCliUsage, text::kCliBadWaves};
    settings->VoiceSample = 2 * count;
  }
  if (const std::string* size = Option(request, "--fft-size")) {
    const int index = FftIndexOfSize(TextToNumber(*size));
    if (index < 0) return Failure{kCliUsage, text::kCliBadFftSize};
    settings->FFTSample = static_cast<uint16_t>(index);
  }
  if (const std::string* source = Option(request, "--source")) {
    settings->OverWriteFilePath = *source;
  }
  if (const std::string* mode = Option(request, "--mode")) {
    if (*mode != "once" && *mode != "loop") return Failure{kCliUsage, text::kCliBadMode};
    settings->OverWriteType = *mode == "loop" ? kOverwriteContinuous : 0;
  }
  if (request.kind == MaskKind::VoiceChange && !(settings->VoicePitch > 0)) {
    return Failure{kCliUsage, text::kCliBadRatio};
  }
  return std::nullopt;
}

// Checks IN as the program checks a file it loads, with the length
// measured the way the sound device measures it. The image stays in the
// view: only what a mask needs of it is ever read.
struct Input {
  std::unique_ptr<FileView> view;
  WaveFormat format;
  int32_t lengthMs = 0;
};

std::optional<Failure> OpenInput(const std::string& path, FileStore& files, Input* input) {
  input->view = files.OpenView(path);
  if (!input->view) return Failure{kCliRefused, LoadRefusalText(LoadOutcome::Unreadable)};
  const uint8_t* bytes = input->view->Data();
  const size_t size = input->view->Size();
  FormatClaim claim;
  WaveCheck check = InspectWaveImage(bytes, size, &input->format, &claim);
  if (check != WaveCheck::Ok) {
    return Failure{kCliRefused, LoadRefusalText(LoadOutcomeOf(check), claim)};
  }
  int64_t lengthMs = LengthMsByChunks(bytes, size, input->format);
  if (lengthMs < 1 || lengthMs > std::numeric_limits<int32_t>::max()) {
    return Failure{kCliRefused, LoadRefusalText(LoadOutcome::NoDataTag)};
  }
  input->lengthMs = static_cast<int32_t>(lengthMs);
  return std::nullopt;
}

std::optional<Failure> ReadRange(const Request& request, int32_t lengthMs, SampleRange* range) {
  int64_t start = 0;
  int64_t end = lengthMs;
  if (const std::string* text = Option(request, "--start")) start = Milliseconds(*text);
  if (const std::string* text = Option(request, "--end")) end = Milliseconds(*text);
  if (start < 0 || end < 0 || end > lengthMs || start >= end) {
    return Failure{kCliUsage, text::kRangeInvalid};
  }
  range->start = static_cast<uint32_t>(start);
  range->end = static_cast<uint32_t>(end);
  return std::nullopt;
}

// Refusals caused by the values given are usage errors; the others (the
// source file, memory) are refusals of the input.
int ExitCodeOf(MaskOutcome outcome) {
  switch (outcome) {
    case MaskOutcome::RangeInvalid:
    case MaskOutcome::FrequencyTooHigh:
    case MaskOutcome::PitchRatioInvalid:
    case MaskOutcome::FftSizeInvalid:
    case MaskOutcome::NoOverwriteFile:
      return kCliUsage;
    default:
      return kCliRefused;
  }
}

// While a run maps its input and writes its output, the handlers that end
// belmo-mask at once when the input is lost know where both are.
struct RunNotes {
  ~RunNotes() {
    NoteInputInUse(nullptr, 0);
    NoteOutputInProgress("");
  }
};

int Run(const std::vector<std::string>& args, FileStore& files, std::string* out,
        std::string* err) {
  RunNotes notes;
  Request request;
  MaskSettings settings;
  Input input;
  SampleRange range;
  TwiddleTables tables;
  std::optional<Failure> failure = Parse(args, &request);
  if (!failure) failure = ApplyOptions(request, files, &settings);
  if (!failure) failure = OpenInput(request.input, files, &input);
  if (input.view) NoteInputInUse(input.view->Data(), input.view->Size());
  if (!failure) failure = ReadRange(request, input.lengthMs, &range);
  if (failure) {
    *err += failure->message + "\n";
    if (failure->exitCode == kCliUsage && failure->message == text::kCliUnknownCommand) {
      *err += text::kCliUsage;
    }
    return failure->exitCode;
  }
  // Nothing can undo a command-line run, so nothing but the result is kept.
  StreamedMask mask;
  MaskOutcome outcome = mask.Prepare(request.kind, range, settings, *input.view, input.format,
                                     input.lengthMs, files, tables);
  if (outcome != MaskOutcome::Applied) {
    const char* message = MaskRefusalText(outcome);
    *err += std::string(message ? message : text::kOutOfMemory) + "\n";
    return ExitCodeOf(outcome);
  }
  std::unique_ptr<FileWriter> writer = files.BeginReplace(request.output);
  NoteOutputInProgress(writer ? writer->PendingPath() : "");
  const StreamResult result = writer ? mask.Write(*writer) : StreamResult::WriteFailed;
  // OUT may be IN, and a file still mapped cannot be replaced everywhere.
  NoteInputInUse(nullptr, 0);
  input.view.reset();
  NoteOutputInProgress("");
  if (result == StreamResult::OutOfMemory) {
    *err += std::string(text::kOutOfMemory) + "\n";
    return kCliRefused;
  }
  if (result != StreamResult::Written || !writer->Commit()) {
    *err += std::string(text::kSaveFailed) + " " + request.output + "\n";
    return kCliRefused;
  }
  *out += text::kCliWritten + request.output + "\n";
  return kCliOk;
}

}  // namespace

int RunMaskCli(const std::vector<std::string>& args, FileStore& files, std::string* out,
               std::string* err) {
  if (args.empty()) {
    *err += text::kCliUsage;
    return kCliUsage;
  }
  if (args[0] == "--help" || args[0] == "-h") {
    *out += text::kCliUsage;
    return kCliOk;
  }
  if (args[0] == "--version") {
    *out += std::string("belmo-mask ") + BELMO_VERSION + "\n";
    return kCliOk;
  }
  return Run(args, files, out, err);
}

}  // namespace belmo
