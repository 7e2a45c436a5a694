// A transcript with times, as a speech recogniser or a subtitle editor
// writes it, read into one list of timed tokens. The format is recognised
// from the content, never from the file's name:
// - JSON of the Whisper family: segments[].words[] (word, start, end in
//   seconds); WhisperX's word_segments[] when no segment has words, and its
//   words without times (numbers it could not align) placed between their
//   neighbours; a segment without words is one token of its whole text;
// - whisper.cpp's full JSON: transcription[].tokens[] (text, offsets.from
//   and .to in milliseconds), its special tokens ([_BEG_], [_TT_150] ...)
//   left out and the tokens that each hold part of one UTF-8 character
//   (which it writes as raw bytes) joined;
// - SubRip and WebVTT: a cue is a token. A cue that underlines one word
//   (<u>word</u>, as recognisers write a highlighted word) is that word;
//   a cue with timestamps inside (<00:00:01.500>) is a token a piece;
// - a label file with text: start, end and the text, as --ranges reads it.
// Anything else, or text that is not UTF-8, is refused with what is wrong.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace belmo {

enum class TranscriptFormat { WhisperJson, WhisperXJson, WhisperCppJson, SubRip, WebVtt, Labels };

struct TimedToken {
  std::string text;  // UTF-8, as written
  // Milliseconds from the start of the recording, the unit of every range;
  // never negative, never past kLatestTokenMs, end never before start.
  int64_t startMs = 0;
  int64_t endMs = 0;
  // The token goes on the word of the one before it (whisper.cpp's pieces
  // of words); a space in its text still parts them.
  bool joinsPrevious = false;
  // The token is a stretch of speech rather than a word (a cue, a segment,
  // a label): a word found in it makes the whole of it a range.
  bool phrase = false;
};

// The longest recording a range can reach, in milliseconds.
inline constexpr int64_t kLatestTokenMs = 2147483647;

struct Transcript {
  TranscriptFormat format = TranscriptFormat::Labels;
  std::vector<TimedToken> tokens;
  int untimedWords = 0;  // words given the times of their neighbours
};

enum class TranscriptRead {
  Ok,
  NotUtf8,        // bytes that are no UTF-8 outside whisper.cpp's split characters
  BadJson,        // begins as JSON but is not; problemLine says where
  BadCueTime,     // a SubRip or WebVTT timing line that cannot be read; problemLine
  BadLabelLine,   // a label file with a line it cannot read; problemLine
  UnknownFormat,  // none of the formats above
  OutOfMemory,
};

struct TranscriptReadResult {
  TranscriptRead outcome = TranscriptRead::Ok;
  int problemLine = 0;  // 1-based, for the outcomes that name a line
};

// Reads bytes, the whole file, into *transcript.
TranscriptReadResult ReadTranscript(std::string_view bytes, Transcript* transcript);

// The readers by format, for ReadTranscript. The JSON reader takes bytes
// that may hold whisper.cpp's raw pieces of characters; the others take
// UTF-8 without a byte order mark.
TranscriptReadResult ReadJsonTranscript(std::string_view bytes, Transcript* transcript);
TranscriptReadResult ReadCueTranscript(std::string_view text, Transcript* transcript);

// Seconds as a recogniser writes them, to the milliseconds of a token.
int64_t TokenMsOfSeconds(double seconds);

}  // namespace belmo
