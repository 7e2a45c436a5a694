// The JSON transcripts: the Whisper family and whisper.cpp's full output.
#include <algorithm>
#include <new>
#include <optional>

#include <nlohmann/json.hpp>

#include "transcript/text_fold.h"
#include "transcript/transcript.h"

namespace belmo {
namespace {

using Json = nlohmann::json;

// whisper.cpp writes a token that holds part of a character as the raw
// bytes it has, which no JSON parser takes. Before parsing, each byte
// inside a string that is not part of a UTF-8 character is written as the
// private-use code point kRawByteBase + byte, and turned back afterwards.
constexpr char32_t kRawByteBase = 0x10FF00;

std::string EscapeRawBytes(std::string_view bytes, size_t* rawBytes) {
  std::string text;
  text.reserve(bytes.size());
  bool inString = false;
  size_t at = 0;
  while (at < bytes.size()) {
    const char byte = bytes[at];
    if (!inString || static_cast<uint8_t>(byte) < 0x80) {
      if (byte == '"') inString = !inString;
      text.push_back(byte);
      ++at;
      // An escaped character is copied with its backslash: \" ends nothing.
      if (inString && byte == '\\' && at < bytes.size()) text.push_back(bytes[at++]);
      continue;
    }
    const size_t begin = at;
    char32_t c;
    if (NextCodePoint(bytes, &at, &c)) {
      text.append(bytes.substr(begin, at - begin));
    } else {
      AppendUtf8(kRawByteBase + static_cast<uint8_t>(byte), &text);
      ++*rawBytes;
    }
  }
  return text;
}

std::string UnescapeRawBytes(const std::string& text) {
  std::string bytes;
  size_t at = 0;
  while (at < text.size()) {
    const size_t begin = at;
    char32_t c;
    if (NextCodePoint(text, &at, &c) && c >= kRawByteBase + 0x80 && c <= kRawByteBase + 0xFF) {
      bytes.push_back(static_cast<char>(c - kRawByteBase));
    } else {
      bytes.append(text, begin, at - begin);
    }
  }
  return bytes;
}

const Json* Member(const Json& object, const char* name) {
  if (!object.is_object()) return nullptr;
  const auto found = object.find(name);
  return found == object.end() ? nullptr : &*found;
}

const Json* ArrayMember(const Json& object, const char* name) {
  const Json* member = Member(object, name);
  return member != nullptr && member->is_array() ? member : nullptr;
}

std::string TextMember(const Json& object, const char* name) {
  const Json* member = Member(object, name);
  return member != nullptr && member->is_string() ? member->get<std::string>() : std::string();
}

std::optional<int64_t> SecondsMember(const Json& object, const char* name) {
  const Json* member = Member(object, name);
  if (member == nullptr || !member->is_number()) return std::nullopt;
  return TokenMsOfSeconds(member->get<double>());
}

std::optional<int64_t> MillisecondsMember(const Json* object, const char* name) {
  if (object == nullptr) return std::nullopt;
  const Json* member = Member(*object, name);
  if (member == nullptr || !member->is_number()) return std::nullopt;
  return TokenMsOfSeconds(member->get<double>() / 1000);
}

// A token as read, its times where the file gave them.
struct Read {
  TimedToken token;
  std::optional<int64_t> start;
  std::optional<int64_t> end;
};

// Gives the tokens of one segment their times: a token without them gets
// the end of the one before (or the segment's start) and the start of the
// next that has one (or the segment's end). Appends them to the transcript.
void PlaceSegment(std::vector<Read>& reads, std::optional<int64_t> segmentStart,
                  std::optional<int64_t> segmentEnd, Transcript* transcript) {
  std::vector<std::optional<int64_t>> nextStart(reads.size() + 1);
  nextStart[reads.size()] = segmentEnd;
  for (size_t i = reads.size(); i-- > 0;) {
    nextStart[i] = reads[i].start ? reads[i].start : nextStart[i + 1];
  }
  int64_t previousEnd = transcript->tokens.empty() ? 0 : transcript->tokens.back().endMs;
  if (segmentStart) previousEnd = *segmentStart;
  for (size_t i = 0; i < reads.size(); ++i) {
    Read& read = reads[i];
    if (!read.start || !read.end) ++transcript->untimedWords;
    const int64_t start = read.start ? *read.start : previousEnd;
    int64_t end = read.end ? *read.end : nextStart[i + 1].value_or(start);
    read.token.startMs = std::min(start, end);
    read.token.endMs = std::max(start, end);
    previousEnd = read.token.endMs;
    transcript->tokens.push_back(std::move(read.token));
  }
}

// A segment without word times: the smallest stretch there is.
Read PhraseOf(const Json& segment, std::optional<int64_t> start, std::optional<int64_t> end) {
  Read read;
  read.token.text = TextMember(segment, "text");
  read.token.phrase = true;
  read.start = start;
  read.end = end;
  return read;
}

// One word of segments[].words[] or word_segments[].
Read WordOf(const Json& word) {
  Read read;
  read.token.text = TextMember(word, "word");
  if (read.token.text.empty()) read.token.text = TextMember(word, "text");
  read.start = SecondsMember(word, "start");
  read.end = SecondsMember(word, "end");
  return read;
}

void ReadWhisper(const Json& root, Transcript* transcript) {
  const Json* segments = ArrayMember(root, "segments");
  const Json* wordSegments = ArrayMember(root, "word_segments");
  transcript->format =
      Member(root, "word_segments") ? TranscriptFormat::WhisperXJson : TranscriptFormat::WhisperJson;
  bool segmentsHaveWords = false;
  if (segments != nullptr) {
    for (const Json& segment : *segments) segmentsHaveWords |= ArrayMember(segment, "words") != nullptr;
  }
  if (!segmentsHaveWords && wordSegments != nullptr && !wordSegments->empty()) {
    std::vector<Read> reads;
    for (const Json& word : *wordSegments) reads.push_back(WordOf(word));
    PlaceSegment(reads, std::nullopt, std::nullopt, transcript);
    return;
  }
  if (segments == nullptr) return;
  for (const Json& segment : *segments) {
    if (!segment.is_object()) continue;
    const std::optional<int64_t> start = SecondsMember(segment, "start");
    const std::optional<int64_t> end = SecondsMember(segment, "end");
    std::vector<Read> reads;
    if (const Json* words = ArrayMember(segment, "words")) {
      for (const Json& word : *words) reads.push_back(WordOf(word));
    } else {
      reads.push_back(PhraseOf(segment, start, end));
    }
    PlaceSegment(reads, start, end, transcript);
  }
}

// [_BEG_], [_TT_150], [_SOT_] ...: markers of the decoder, not speech.
bool IsSpecialToken(const std::string& text) {
  return text.size() >= 3 && text.compare(0, 2, "[_") == 0 && text.back() == ']';
}

void ReadWhisperCpp(const Json& root, Transcript* transcript) {
  transcript->format = TranscriptFormat::WhisperCppJson;
  for (const Json& segment : *ArrayMember(root, "transcription")) {
    if (!segment.is_object()) continue;
    const Json* segmentOffsets = Member(segment, "offsets");
    const std::optional<int64_t> start = MillisecondsMember(segmentOffsets, "from");
    const std::optional<int64_t> end = MillisecondsMember(segmentOffsets, "to");
    std::vector<Read> reads;
    if (const Json* tokens = ArrayMember(segment, "tokens")) {
      for (const Json& token : *tokens) {
        Read read;
        read.token.text = TextMember(token, "text");
        if (IsSpecialToken(read.token.text)) continue;
        // Pieces of words; the first of a segment starts a word whatever it holds.
        read.token.joinsPrevious = !reads.empty();
        const Json* offsets = Member(token, "offsets");
        read.start = MillisecondsMember(offsets, "from");
        read.end = MillisecondsMember(offsets, "to");
        reads.push_back(std::move(read));
      }
    } else {
      reads.push_back(PhraseOf(segment, start, end));
    }
    PlaceSegment(reads, start, end, transcript);
  }
}

// Joins each token that ends inside a character with the tokens after it
// until the character is whole: the piece with the character's first byte
// starts it, the piece with its last byte ends it. False when a character
// stays broken.
bool JoinSplitCharacters(std::vector<TimedToken>* tokens) {
  std::vector<TimedToken> joined;
  joined.reserve(tokens->size());
  for (size_t i = 0; i < tokens->size();) {
    TimedToken token = std::move((*tokens)[i++]);
    // A character has at most four bytes, so at most four pieces.
    for (int pieces = 1; !IsUtf8(token.text) && pieces < 4 && i < tokens->size(); ++pieces) {
      const TimedToken& next = (*tokens)[i++];
      token.text += next.text;
      token.endMs = std::max(token.endMs, next.endMs);
    }
    if (!IsUtf8(token.text)) return false;
    joined.push_back(std::move(token));
  }
  *tokens = std::move(joined);
  return true;
}

int LineOfOffset(std::string_view text, size_t offset) {
  offset = std::min(offset, text.size());
  return 1 + static_cast<int>(std::count(text.begin(), text.begin() + offset, '\n'));
}

}  // namespace

TranscriptReadResult ReadJsonTranscript(std::string_view bytes, Transcript* transcript) {
  TranscriptReadResult result;
  try {
    size_t rawBytes = 0;
    const std::string text = EscapeRawBytes(bytes, &rawBytes);
    Json root;
    try {
      root = Json::parse(text);
    } catch (const Json::parse_error& error) {
      // byte is where the parser stopped, counted from 1.
      result.outcome = TranscriptRead::BadJson;
      result.problemLine = LineOfOffset(text, error.byte == 0 ? 0 : error.byte - 1);
      return result;
    }
    if (ArrayMember(root, "transcription") != nullptr) {
      ReadWhisperCpp(root, transcript);
    } else if (ArrayMember(root, "segments") != nullptr ||
               ArrayMember(root, "word_segments") != nullptr) {
      ReadWhisper(root, transcript);
    } else {
      result.outcome = TranscriptRead::UnknownFormat;
      return result;
    }
    if (rawBytes == 0) return result;
    // Only whisper.cpp splits characters; anywhere else raw bytes are a
    // file in another encoding.
    if (transcript->format != TranscriptFormat::WhisperCppJson) {
      result.outcome = TranscriptRead::NotUtf8;
      return result;
    }
    for (TimedToken& token : transcript->tokens) token.text = UnescapeRawBytes(token.text);
    if (!JoinSplitCharacters(&transcript->tokens)) result.outcome = TranscriptRead::NotUtf8;
  } catch (const std::bad_alloc&) {
    result.outcome = TranscriptRead::OutOfMemory;
  } catch (const Json::exception&) {
    // The reads above check every type before they convert; a value of an
    // unexpected type anywhere else still makes the file unknown, not a crash.
    result.outcome = TranscriptRead::UnknownFormat;
  }
  return result;
}

}  // namespace belmo
