// A transcript as anyone may hand one over: the input is the file. It is
// read or refused, never more; what is read keeps the promises the search
// relies on, and a search of it gives ranges a mask can take.
#include <string>

#include "fuzz/fuzz_support.h"
#include "transcript/text_fold.h"
#include "transcript/transcript.h"
#include "transcript/transcript_search.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace belmo;
  // An exact copy, so a read past the file is a read past a heap block.
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  Transcript transcript;
  const TranscriptReadResult read = ReadTranscript(bytes, &transcript);
  BELMO_FUZZ_CHECK(read.problemLine >= 0);
  if (read.outcome != TranscriptRead::Ok) {
    BELMO_FUZZ_CHECK(transcript.tokens.empty());
    return 0;
  }
  BELMO_FUZZ_CHECK(transcript.untimedWords >= 0);
  for (const TimedToken& token : transcript.tokens) {
    BELMO_FUZZ_CHECK(0 <= token.startMs && token.startMs <= token.endMs);
    BELMO_FUZZ_CHECK(token.endMs <= kLatestTokenMs);
    BELMO_FUZZ_CHECK(IsUtf8(token.text));
  }

  // Words taken from the file itself, and every run of three digits.
  TranscriptQuery query;
  for (size_t i = 0; i < transcript.tokens.size() && query.words.size() < 4; i += 3) {
    std::u32string word = FoldWord(transcript.tokens[i].text);
    if (!word.empty()) query.words.push_back(std::move(word));
  }
  query.words.push_back(FoldWord("a"));
  query.leastDigits = 3;
  const TranscriptFindings findings = FindInTranscript(transcript, query);
  BELMO_FUZZ_CHECK(findings.perTerm.size() == query.words.size() + 1);
  size_t counted = 0;
  for (int count : findings.perTerm) counted += static_cast<size_t>(count);
  BELMO_FUZZ_CHECK(counted == findings.matches.size());
  for (const TranscriptMatch& match : findings.matches) {
    BELMO_FUZZ_CHECK(match.firstToken <= match.lastToken);
    BELMO_FUZZ_CHECK(match.lastToken < transcript.tokens.size());
    BELMO_FUZZ_CHECK(match.startMs <= match.endMs);
    const std::string text = MatchText(transcript, match);
    BELMO_FUZZ_CHECK(text.find_first_of("\t\r\n") == std::string::npos);
  }
  // A recording of ten seconds: the ranges lie in it, in order, apart.
  constexpr int64_t kLengthMs = 10000;
  int64_t previousEnd = -1;
  for (const LabeledRange& label : LabelMatches(transcript, findings.matches, 200, kLengthMs)) {
    BELMO_FUZZ_CHECK(static_cast<int64_t>(label.range.start) > previousEnd);
    BELMO_FUZZ_CHECK(label.range.start < label.range.end && label.range.end <= kLengthMs);
    previousEnd = label.range.end;
  }
  return 0;
}
