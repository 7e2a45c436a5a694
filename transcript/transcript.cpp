#include "transcript/transcript.h"

#include <algorithm>
#include <new>

#include "cli/cli_values.h"
#include "numtext/number_text.h"
#include "numtext/text_lines.h"
#include "transcript/text_fold.h"

namespace belmo {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The first line of *rest that is not blank; what follows stays in *rest.
std::string_view FirstLine(std::string_view* rest) {
  while (!rest->empty()) {
    const std::string_view line = TakeLine(rest);
    if (line.find_first_not_of(" \t\r") != std::string_view::npos) return line;
  }
  return std::string_view();
}

// A cue number and a timing line, or a timing line alone, first.
bool LooksLikeSubRip(std::string_view text) {
  std::string_view rest = text;
  const std::string_view first = FirstLine(&rest);
  if (first.find("-->") != std::string_view::npos) return true;
  const size_t digits = first.find_first_not_of("0123456789");
  if (digits == 0 || first.find_first_not_of(" \t\r", digits) != std::string_view::npos) return false;
  return FirstLine(&rest).find("-->") != std::string_view::npos;
}

TranscriptReadResult ReadLabels(std::string_view text, Transcript* transcript) {
  TranscriptReadResult result;
  std::vector<ListedRange> labels;
  int badLine = 0;
  if (!ReadRangesText(text, &labels, &badLine)) {
    // After lines that were labels, a line that is not is a mistake in the
    // file; before any, the file is something else.
    result.outcome = labels.empty() ? TranscriptRead::UnknownFormat : TranscriptRead::BadLabelLine;
    result.problemLine = labels.empty() ? 0 : badLine;
    return result;
  }
  if (labels.empty()) {
    result.outcome = TranscriptRead::UnknownFormat;
    return result;
  }
  transcript->format = TranscriptFormat::Labels;
  for (ListedRange& label : labels) {
    TimedToken token;
    token.text = std::move(label.label);
    token.startMs = std::clamp<int64_t>(label.start, 0, kLatestTokenMs);
    token.endMs = std::clamp<int64_t>(label.end, token.startMs, kLatestTokenMs);
    token.phrase = true;
    transcript->tokens.push_back(std::move(token));
  }
  return result;
}

}  // namespace

int64_t TokenMsOfSeconds(double seconds) {
  if (!(seconds > 0)) return 0;
  if (seconds >= static_cast<double>(kLatestTokenMs) / 1000) return kLatestTokenMs;
  return RoundHalfEven(seconds * 1000);
}

TranscriptReadResult ReadTranscript(std::string_view bytes, Transcript* transcript) {
  *transcript = Transcript();
  TranscriptReadResult result;
  try {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
      bytes.remove_prefix(kByteOrderMark.size());
    }
    const auto first = std::find_if_not(bytes.begin(), bytes.end(), IsSpace);
    if (first != bytes.end() && (*first == '{' || *first == '[')) {
      result = ReadJsonTranscript(bytes, transcript);
    } else if (!IsUtf8(bytes)) {
      result.outcome = TranscriptRead::NotUtf8;
    } else if (bytes.substr(0, 6) == "WEBVTT" || LooksLikeSubRip(bytes)) {
      result = ReadCueTranscript(bytes, transcript);
    } else {
      result = ReadLabels(bytes, transcript);
    }
  } catch (const std::bad_alloc&) {
    result = TranscriptReadResult();
    result.outcome = TranscriptRead::OutOfMemory;
  }
  if (result.outcome != TranscriptRead::Ok) transcript->tokens.clear();
  return result;
}

}  // namespace belmo
