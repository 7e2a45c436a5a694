// Finding words and numbers in a transcript, and the ranges to mask
// around what was found.
//
// The transcript's tokens are folded (text_fold.h) into one stream of
// characters, so a word or a phrase is found across any number of tokens:
// "090-1234-5678" in the tokens "0", "9", "0", "1234", ..., "田中" in "田"
// and "中". A word of Latin letters or digits is found whole only: not "Al"
// in "also", nor "12" in "1234"; any other script is found anywhere.
// A match reaches from the start of its first token to the end of its last.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "selection/sample_range.h"
#include "transcript/transcript.h"

namespace belmo {

struct TranscriptQuery {
  std::vector<std::u32string> words;  // folded (FoldWord), none empty
  int leastDigits = 0;                // runs of at least so many digits; 0 for none
};

struct TranscriptMatch {
  size_t term = 0;  // the index of its word; words.size() for a run of digits
  size_t firstToken = 0;
  size_t lastToken = 0;
  int64_t startMs = 0;  // the earliest start and the latest end of its tokens
  int64_t endMs = 0;
  // A stretch of speech (a cue, a segment) holds more than what was found,
  // and all of it is the match.
  bool wholePhrase = false;
};

struct TranscriptFindings {
  std::vector<TranscriptMatch> matches;  // by term, each term's in the transcript's order
  std::vector<int> perTerm;              // matches of each word, then of the digit runs
  int wholePhrases = 0;                  // matches with wholePhrase
};

TranscriptFindings FindInTranscript(const Transcript& transcript, const TranscriptQuery& query);

// The transcript's text of a match's tokens, on one line.
std::string MatchText(const Transcript& transcript, const TranscriptMatch& match);

// The milliseconds to mask for a match: padMs more on each side, within
// 0 and lengthMs (the recording's length; kLatestTokenMs when not known).
// False when the match lies wholly at or after lengthMs. A match without
// length becomes one millisecond, so that a word is never left unmasked.
bool PaddedRange(const TranscriptMatch& match, int64_t padMs, int64_t lengthMs, SampleRange* range);

// The matches' ranges merged as --ranges merges them, each with the texts
// of the matches in it ("A / B"), in time order: the lines of a label file.
struct LabeledRange {
  SampleRange range;
  std::string text;
};
std::vector<LabeledRange> LabelMatches(const Transcript& transcript,
                                       const std::vector<TranscriptMatch>& matches, int64_t padMs,
                                       int64_t lengthMs);

}  // namespace belmo
