// SubRip and WebVTT: cues of a start, an end and lines of text.
#include <algorithm>

#include "numtext/text_lines.h"
#include "transcript/transcript.h"

namespace belmo {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

// A count of at most digits digits, none of them missing.
bool ReadCount(std::string_view text, size_t mostDigits, int64_t* value) {
  if (!AllDigits(text) || text.size() > mostDigits) return false;
  *value = 0;
  for (char c : text) *value = *value * 10 + (c - '0');
  return true;
}

// "hh:mm:ss,fff" (SubRip) or "hh:mm:ss.fff" / "mm:ss.fff" (WebVTT), the
// fraction of one to three digits; either separator is taken in both.
bool ReadCueTime(std::string_view text, int64_t* ms) {
  const size_t point = text.find_first_of(",.");
  if (point == std::string_view::npos) return false;
  std::string_view fraction = text.substr(point + 1);
  std::string_view clock = text.substr(0, point);
  int64_t fractionMs = 0;
  if (!ReadCount(fraction, 3, &fractionMs)) return false;
  for (size_t i = fraction.size(); i < 3; ++i) fractionMs *= 10;
  int64_t parts[3] = {0, 0, 0};
  int count = 0;
  while (true) {
    const size_t colon = clock.find(':');
    if (count == 3) return false;
    // Hours may run to any length; minutes and seconds are below 60.
    const std::string_view part = clock.substr(0, colon);
    if (!ReadCount(part, colon == std::string_view::npos || count > 0 ? 2 : 9, &parts[count])) {
      return false;
    }
    ++count;
    if (colon == std::string_view::npos) break;
    clock.remove_prefix(colon + 1);
  }
  if (count < 2) return false;
  const int64_t hours = count == 3 ? parts[0] : 0;
  const int64_t minutes = parts[count - 2];
  const int64_t seconds = parts[count - 1];
  if (minutes >= 60 || seconds >= 60) return false;
  *ms = std::min(((hours * 60 + minutes) * 60 + seconds) * 1000 + fractionMs, kLatestTokenMs);
  return true;
}

// "start --> end" and, in WebVTT, cue settings after the end.
bool ReadTimingLine(std::string_view line, int64_t* start, int64_t* end) {
  const size_t arrow = line.find("-->");
  if (arrow == std::string_view::npos) return false;
  std::string_view after = Trimmed(line.substr(arrow + 3));
  const size_t blank = after.find_first_of(" \t");
  return ReadCueTime(Trimmed(line.substr(0, arrow)), start) &&
         ReadCueTime(after.substr(0, blank), end);
}

// The entities a cue may use for what its markup reserves.
void AppendEntity(std::string_view name, std::string* out) {
  struct Entity {
    std::string_view name;
    std::string_view text;
  };
  static constexpr Entity kEntities[] = {{"amp", "&"},  {"lt", "<"},   {"gt", ">"},  {"quot", "\""},
                                         {"apos", "'"}, {"nbsp", " "}, {"lrm", ""}, {"rlm", ""}};
  for (const Entity& entity : kEntities) {
    if (entity.name == name) {
      out->append(entity.text);
      return;
    }
  }
  out->append("&").append(name).append(";");
}

// The words of a cue without its markup: <i>, <c.yellow>, <v Speaker>,
// {\an8} and the like go, entities become their characters.
std::string PlainText(std::string_view text) {
  std::string plain;
  size_t at = 0;
  while (at < text.size()) {
    const char c = text[at];
    const size_t close = c == '<' ? text.find('>', at) : c == '{' ? text.find('}', at) : std::string_view::npos;
    if (close != std::string_view::npos && (c == '<' || (at + 1 < text.size() && text[at + 1] == '\\'))) {
      at = close + 1;
      continue;
    }
    const size_t semicolon = c == '&' ? text.find(';', at) : std::string_view::npos;
    if (semicolon != std::string_view::npos && semicolon - at <= 5) {
      AppendEntity(text.substr(at + 1, semicolon - at - 1), &plain);
      at = semicolon + 1;
      continue;
    }
    plain.push_back(c);
    ++at;
  }
  return std::string(Trimmed(plain));
}

struct Cue {
  int64_t start = 0;
  int64_t end = 0;
  std::string text;  // its lines, joined by spaces
};

// A cue's tokens. Timestamps inside it (<00:01.500>, karaoke style) part it
// into words, each from its timestamp to the next; an underlined word is
// the word the cue is timed for; any other cue is a stretch of speech.
void AddCue(const Cue& cue, Transcript* transcript) {
  std::vector<std::pair<int64_t, std::string_view>> pieces;  // start, text
  int64_t pieceStart = cue.start;
  size_t pieceBegin = 0;
  for (size_t open = cue.text.find('<'); open != std::string::npos; open = cue.text.find('<', open + 1)) {
    const size_t close = cue.text.find('>', open);
    int64_t at = 0;
    if (close == std::string::npos ||
        !ReadCueTime(std::string_view(cue.text).substr(open + 1, close - open - 1), &at)) {
      continue;
    }
    pieces.emplace_back(pieceStart, std::string_view(cue.text).substr(pieceBegin, open - pieceBegin));
    pieceStart = std::clamp(at, cue.start, cue.end);
    pieceBegin = close + 1;
  }
  if (!pieces.empty()) {
    pieces.emplace_back(pieceStart, std::string_view(cue.text).substr(pieceBegin));
    for (size_t i = 0; i < pieces.size(); ++i) {
      TimedToken token;
      token.text = PlainText(pieces[i].second);
      if (token.text.empty()) continue;
      token.startMs = pieces[i].first;
      token.endMs = std::max(token.startMs, i + 1 < pieces.size() ? pieces[i + 1].first : cue.end);
      transcript->tokens.push_back(std::move(token));
    }
    return;
  }
  TimedToken token;
  token.startMs = cue.start;
  token.endMs = cue.end;
  const size_t underline = cue.text.find("<u>");
  const size_t underlineEnd = cue.text.find("</u>", underline);
  if (underline != std::string::npos && underlineEnd != std::string::npos) {
    token.text = PlainText(std::string_view(cue.text).substr(underline + 3, underlineEnd - underline - 3));
  } else {
    token.text = PlainText(cue.text);
    token.phrase = true;
  }
  transcript->tokens.push_back(std::move(token));
}

}  // namespace

TranscriptReadResult ReadCueTranscript(std::string_view text, Transcript* transcript) {
  TranscriptReadResult result;
  transcript->format = text.substr(0, 6) == "WEBVTT" ? TranscriptFormat::WebVtt : TranscriptFormat::SubRip;
  Cue cue;
  bool open = false;
  std::string_view lastTextLine;
  const auto finish = [&](bool nextCueFollows) {
    if (!open) return;
    // Without a blank line between cues, the next cue's number ends this one.
    if (nextCueFollows && AllDigits(Trimmed(lastTextLine))) {
      cue.text.resize(cue.text.size() - std::min(cue.text.size(), Trimmed(lastTextLine).size()));
      cue.text = std::string(Trimmed(cue.text));
    }
    AddCue(cue, transcript);
    open = false;
  };
  int number = 0;
  while (!text.empty()) {
    const std::string_view line = TakeLine(&text);
    ++number;
    if (line.find("-->") != std::string_view::npos) {
      finish(true);
      cue = Cue();
      if (!ReadTimingLine(line, &cue.start, &cue.end)) {
        result.outcome = TranscriptRead::BadCueTime;
        result.problemLine = number;
        return result;
      }
      cue.end = std::max(cue.end, cue.start);
      open = true;
      lastTextLine = std::string_view();
    } else if (Trimmed(line).empty()) {
      finish(false);
    } else if (open) {
      if (!cue.text.empty()) cue.text += ' ';
      cue.text.append(Trimmed(line));
      lastTextLine = line;
    }
    // Anything else is a cue's number, the header or a note.
  }
  finish(false);
  return result;
}

}  // namespace belmo
