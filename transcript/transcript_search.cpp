#include "transcript/transcript_search.h"

#include <algorithm>

#include "cli/cli_values.h"
#include "transcript/text_fold.h"

namespace belmo {
namespace {

// What stood before a character of the stream.
enum : uint8_t {
  kWordBreak = 1,   // a new word starts here
  kSoftBefore = 2,  // a blank, hyphen, comma or token boundary
  kHardBefore = 4,  // other punctuation
};

// The transcript's folded characters, each with its token and what stood
// before it.
class FoldedStream {
 public:
  explicit FoldedStream(const Transcript& transcript) : tokens_(transcript.tokens) {
    std::vector<FoldedChar> folded;
    Separator carried = Separator::None;
    tokenBegin_.reserve(tokens_.size() + 1);
    for (size_t t = 0; t < tokens_.size(); ++t) {
      tokenBegin_.push_back(chars_.size());
      const size_t first = folded.size();
      const Separator trailing = FoldText(tokens_[t].text, &folded);
      for (size_t k = first; k < folded.size(); ++k) {
        Separator before = folded[k].before;
        bool wordBreak = before != Separator::None;
        if (k == first) {
          // Between tokens there is at least a soft separator: the digits
          // of a number may come one token each.
          before = std::max({before, carried, Separator::Soft});
          wordBreak = wordBreak || carried != Separator::None || !tokens_[t].joinsPrevious;
        }
        chars_.push_back(folded[k].c);
        token_.push_back(static_cast<uint32_t>(t));
        flags_.push_back(static_cast<uint8_t>((wordBreak ? kWordBreak : 0) |
                                              (before == Separator::Soft ? kSoftBefore : 0) |
                                              (before == Separator::Hard ? kHardBefore : 0)));
      }
      carried = folded.size() == first ? std::max(carried, trailing) : trailing;
    }
    tokenBegin_.push_back(chars_.size());
  }

  // Every place word is said, whole where it is a Latin word.
  void Find(const std::u32string& word, size_t term, TranscriptFindings* findings) const {
    size_t from = 0;
    while (true) {
      const size_t at = chars_.find(word, from);
      if (at == std::u32string::npos) return;
      const size_t end = at + word.size();
      if (!StartsWord(at) || !EndsWord(end)) {
        from = at + 1;
        continue;
      }
      Add(term, at, end, findings);
      from = end;
    }
  }

  // Every run of at least least digits with nothing but soft separators
  // between them.
  void FindDigitRuns(int least, size_t term, TranscriptFindings* findings) const {
    const size_t n = chars_.size();
    size_t at = 0;
    while (at < n) {
      if (!IsFoldedDigit(chars_[at])) {
        ++at;
        continue;
      }
      size_t last = at;
      int count = 1;
      while (last + 1 < n && IsFoldedDigit(chars_[last + 1]) && !(flags_[last + 1] & kHardBefore)) {
        ++last;
        ++count;
      }
      if (count >= least) Add(term, at, last + 1, findings);
      at = last + 1;
    }
  }

 private:
  bool StartsWord(size_t at) const {
    return at == 0 || !IsLatinWordChar(chars_[at]) || !IsLatinWordChar(chars_[at - 1]) ||
           (flags_[at] & kWordBreak);
  }
  bool EndsWord(size_t end) const {
    return end == chars_.size() || !IsLatinWordChar(chars_[end - 1]) ||
           !IsLatinWordChar(chars_[end]) || (flags_[end] & kWordBreak);
  }

  // The match of the characters [at, end), unless the term has just found
  // the same tokens (twice in one cue is one place).
  void Add(size_t term, size_t at, size_t end, TranscriptFindings* findings) const {
    TranscriptMatch match;
    match.term = term;
    match.firstToken = token_[at];
    match.lastToken = token_[end - 1];
    if (!findings->matches.empty()) {
      const TranscriptMatch& previous = findings->matches.back();
      if (previous.term == term && previous.firstToken == match.firstToken &&
          previous.lastToken == match.lastToken) {
        return;
      }
    }
    match.startMs = tokens_[match.firstToken].startMs;
    match.endMs = tokens_[match.firstToken].endMs;
    for (size_t t = match.firstToken; t <= match.lastToken; ++t) {
      match.startMs = std::min(match.startMs, tokens_[t].startMs);
      match.endMs = std::max(match.endMs, tokens_[t].endMs);
    }
    match.wholePhrase = (tokens_[match.firstToken].phrase && at > tokenBegin_[match.firstToken]) ||
                        (tokens_[match.lastToken].phrase && end < tokenBegin_[match.lastToken + 1]);
    findings->wholePhrases += match.wholePhrase;
    ++findings->perTerm[term];
    findings->matches.push_back(match);
  }

  const std::vector<TimedToken>& tokens_;
  std::u32string chars_;
  std::vector<uint32_t> token_;
  std::vector<uint8_t> flags_;
  std::vector<size_t> tokenBegin_;  // each token's first character, then the end
};

bool IsAsciiAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

TranscriptFindings FindInTranscript(const Transcript& transcript, const TranscriptQuery& query) {
  TranscriptFindings findings;
  findings.perTerm.assign(query.words.size() + (query.leastDigits > 0 ? 1 : 0), 0);
  const FoldedStream stream(transcript);
  for (size_t term = 0; term < query.words.size(); ++term) {
    if (!query.words[term].empty()) stream.Find(query.words[term], term, &findings);
  }
  if (query.leastDigits > 0) stream.FindDigitRuns(query.leastDigits, query.words.size(), &findings);
  return findings;
}

std::string MatchText(const Transcript& transcript, const TranscriptMatch& match) {
  std::string text;
  for (size_t t = match.firstToken; t <= match.lastToken && t < transcript.tokens.size(); ++t) {
    const TimedToken& token = transcript.tokens[t];
    const size_t begin = token.text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) continue;
    const size_t end = token.text.find_last_not_of(" \t\r\n") + 1;
    // Words keep apart as they were written: by the space a token starts
    // with, or, between whole-word tokens, where two Latin words meet.
    const bool spaced = begin > 0 || (!token.joinsPrevious && !text.empty() &&
                                      IsAsciiAlnum(text.back()) && IsAsciiAlnum(token.text[begin]));
    if (spaced && !text.empty()) text += ' ';
    text.append(token.text, begin, end - begin);
  }
  // One line of a label file: its fields never hold a tab or a line end.
  std::replace_if(text.begin(), text.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; },
                  ' ');
  return text;
}

bool PaddedRange(const TranscriptMatch& match, int64_t padMs, int64_t lengthMs, SampleRange* range) {
  const int64_t limit = std::min(lengthMs, kLatestTokenMs);
  const int64_t start = std::max<int64_t>(0, match.startMs - padMs);
  if (start >= limit) return false;
  int64_t end = std::min(match.endMs + padMs, limit);
  if (end <= start) end = start + 1;
  range->start = static_cast<uint32_t>(start);
  range->end = static_cast<uint32_t>(end);
  return true;
}

std::vector<LabeledRange> LabelMatches(const Transcript& transcript,
                                       const std::vector<TranscriptMatch>& matches, int64_t padMs,
                                       int64_t lengthMs) {
  std::vector<std::pair<SampleRange, const TranscriptMatch*>> padded;
  std::vector<SampleRange> ranges;
  for (const TranscriptMatch& match : matches) {
    SampleRange range;
    if (!PaddedRange(match, padMs, lengthMs, &range)) continue;
    padded.emplace_back(range, &match);
    ranges.push_back(range);
  }
  std::stable_sort(padded.begin(), padded.end(), [](const auto& a, const auto& b) {
    return a.first.start < b.first.start || (a.first.start == b.first.start && a.first.end < b.first.end);
  });
  std::vector<LabeledRange> labeled;
  for (const SampleRange& range : MergeRanges(std::move(ranges))) labeled.push_back({range, {}});
  // Both in time order: each padded range lies in the first merged one
  // that ends at or after its end.
  size_t into = 0;
  std::vector<std::string> texts;
  for (const auto& [range, match] : padded) {
    while (labeled[into].range.end < range.end) {
      ++into;
      texts.clear();
    }
    const std::string text = MatchText(transcript, *match);
    if (text.empty() || std::find(texts.begin(), texts.end(), text) != texts.end()) continue;
    texts.push_back(text);
    std::string& label = labeled[into].text;
    label += (label.empty() ? "" : " / ") + text;
  }
  return labeled;
}

}  // namespace belmo
