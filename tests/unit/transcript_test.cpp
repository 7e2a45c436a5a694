// Texts here are u8 literals: the transcripts and words are UTF-8 bytes,
// whatever code page the test's other literals are compiled to.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "transcript/text_fold.h"
#include "transcript/transcript.h"
#include "transcript/transcript_search.h"

namespace belmo {
namespace {

std::string U8(const char* text) { return text; }

TEST(TextFold, BothSidesFoldToTheSameCharacters) {
  struct Case {
    const char* text;
    std::u32string folded;
  };
  const std::vector<Case> cases = {
      {u8"ＡＢＣ１２３ｘｙｚ", U"abc123xyz"},
      {u8"ｶﾀｶﾅ ｶﾞｷﾞｸﾞ ﾊﾟﾋﾟﾌﾟ ｳﾞｧ ﾜﾞｦﾞ", U"カタカナガギグパピプヴァヷヺ"},
      // Decomposed marks, as some systems store kana.
      {u8"カ\u3099ハ\u309Aか\u3099ゝ\u3099", U"ガパがゞ"},
      // A mark with nothing to join to, or after a space, is dropped.
      {u8"ﾞア ﾟｱﾟ", U"アア"},
      {u8"Tanaka-San, ÉMILE Œ Ÿ İ", U"tanakasanémileœÿi"},
      {u8"〇九〇 一二三四 五六七八九", U"090123456789"},
      {u8"「田中」さん。々〆", U"田中さん々〆"},
      {u8"Ｓｍｉｔｈ’s — ＃１", U"smiths1"},
      {u8" \t\u3000・…―‐、，\uFEFF\u200B", U""},
      {u8"ｰｽﾞ", U"ーズ"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FoldWord(c.text), c.folded);
  }
}

TEST(TextFold, SeparatorsTellANumberFromTwo) {
  std::vector<FoldedChar> folded;
  const Separator trailing = FoldText(u8"12 3-4,5.6：7、８ー9コーヒー", &folded);
  const std::vector<Separator> before = {Separator::None, Separator::None, Separator::Soft,
                                         Separator::Soft, Separator::Soft, Separator::Hard,
                                         Separator::Hard, Separator::Soft, Separator::Soft,
                                         Separator::None, Separator::None, Separator::None,
                                         Separator::None};
  ASSERT_EQ(folded.size(), before.size());
  for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(folded[i].before, before[i]) << i;
  // ー is a hyphen after a digit, even one of the text before, and a letter
  // in a word.
  EXPECT_EQ(folded[10].c, U'ー');
  EXPECT_EQ(trailing, Separator::None);
  EXPECT_EQ(FoldText(u8"ー, ", &folded), Separator::Soft);
  EXPECT_EQ(folded.back().c, U'ー');
  folded.push_back(FoldedChar{U'7', Separator::None});
  EXPECT_EQ(FoldText(u8"ーa", &folded), Separator::None);
  EXPECT_EQ(folded.back().before, Separator::Soft);
}

TEST(TextFold, OnlyWellFormedUtf8IsText) {
  EXPECT_TRUE(IsUtf8(u8"田中 abc \U0001F600"));
  for (const char* bad : {"\xC0\xAF", "\xED\xA0\x80", "\xE7\x94", "\xF4\x90\x80\x80", "a\xB0"}) {
    EXPECT_FALSE(IsUtf8(bad)) << bad;
  }
}

struct Token {
  std::string text;
  int64_t startMs;
  int64_t endMs;
};

TEST(TranscriptRead, EveryFormatGivesTimedTokens) {
  struct Case {
    const char* name;
    std::string file;
    TranscriptFormat format;
    std::vector<Token> tokens;
    int untimed;
  };
  const std::vector<Case> cases = {
      {"whisper words",
       R"({"text":" Call Tanaka.","segments":[{"id":0,"start":0.0,"end":2.0,"text":" Call Tanaka.",
           "tokens":[50364,7255],"words":[{"word":" Call","start":0.24,"end":0.5,"probability":0.9},
           {"word":" Tanaka.","start":0.5,"end":1.1049999}]}],"language":"en"})",
       TranscriptFormat::WhisperJson, {{" Call", 240, 500}, {" Tanaka.", 500, 1105}}, 0},
      {"whisper japanese, escaped",
       u8R"({"segments":[{"start":1,"end":2,"words":[{"word":"\u7530\u4e2d","start":1.0,"end":1.4},
           {"word":"です","start":1.4,"end":2}]}]})",
       TranscriptFormat::WhisperJson, {{U8(u8"田中"), 1000, 1400}, {U8(u8"です"), 1400, 2000}}, 0},
      {"whisper segments without words",
       "\xEF\xBB\xBF{\"segments\":[{\"start\":3.5,\"end\":6,\"text\":\" Hello there\"}]}",
       TranscriptFormat::WhisperJson, {{" Hello there", 3500, 6000}}, 0},
      // WhisperX leaves numbers without times: they lie between their neighbours.
      {"whisperx unaligned number",
       R"({"segments":[{"start":1.0,"end":4.0,"text":"x","words":[{"word":"Room","start":1.2,"end":1.5,
           "score":0.9},{"word":"1204"},{"word":"now","start":2.5,"end":2.8},{"word":"5"}]}],
           "word_segments":[]})",
       TranscriptFormat::WhisperXJson,
       {{"Room", 1200, 1500}, {"1204", 1500, 2500}, {"now", 2500, 2800}, {"5", 2800, 4000}}, 2},
      {"whisperx word segments only",
       R"({"segments":[],"word_segments":[{"word":"a","start":0.1,"end":0.2},{"word":"b","end":0.5}]})",
       TranscriptFormat::WhisperXJson, {{"a", 100, 200}, {"b", 200, 500}}, 1},
      // Special tokens go; a character split over two tokens is one token.
      {"whisper.cpp full",
       "{\"transcription\":[{\"offsets\":{\"from\":0,\"to\":3000},\"text\":\"x\",\"tokens\":["
       "{\"text\":\"[_BEG_]\",\"offsets\":{\"from\":0,\"to\":0}},"
       "{\"text\":\"\xE7\x94\",\"offsets\":{\"from\":100,\"to\":300}},"
       "{\"text\":\"\xB0\xE4\xB8\xAD\",\"offsets\":{\"from\":300,\"to\":700}},"
       "{\"text\":\" \\\"OK\\\"\",\"offsets\":{\"from\":700,\"to\":900}},"
       "{\"text\":\"[_TT_45]\",\"offsets\":{\"from\":900,\"to\":900}}]}]}",
       TranscriptFormat::WhisperCppJson, {{U8(u8"田中"), 100, 700}, {" \"OK\"", 700, 900}}, 0},
      {"subrip",
       "1\r\n00:00:01,000 --> 00:00:01,500\r\n<i>Tanaka</i>\r\n\r\n2\r\n00:00:02,000 --> "
       "00:00:04,250\r\nsaid &amp; left\r\n{\\an8}again\r\n3\r\n01:00:00,5 --> 01:00:01,000\r\n"
       "late\r\n",
       TranscriptFormat::SubRip,
       {{"Tanaka", 1000, 1500}, {"said & left again", 2000, 4250}, {"late", 3600500, 3601000}}, 0},
      // A highlighted word is the cue's word; timestamps inside part a cue.
      {"webvtt",
       "WEBVTT\n\nNOTE written by hand\n\n00:01.000 --> 00:02.000 align:start\n"
       "<v Bob>Call <u>Tanaka</u> now\n\ncue-2\n00:00:03.000 --> 00:00:05.000\n"
       "one<00:00:03.500><c> two</c><00:00:04.200><c> three</c>\n",
       TranscriptFormat::WebVtt,
       {{"Tanaka", 1000, 2000}, {"one", 3000, 3500}, {"two", 3500, 4200}, {"three", 4200, 5000}},
       0},
      {"labels", "start\tend\tword\n1.5\t2.25\t" + U8(u8"山田 太郎") + "\n3,3.5,\"x, y\"\n",
       TranscriptFormat::Labels, {{U8(u8"山田 太郎"), 1500, 2250}, {"x, y", 3000, 3500}}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Transcript transcript;
    const TranscriptReadResult result = ReadTranscript(c.file, &transcript);
    ASSERT_EQ(result.outcome, TranscriptRead::Ok) << result.problemLine;
    EXPECT_EQ(transcript.format, c.format);
    EXPECT_EQ(transcript.untimedWords, c.untimed);
    ASSERT_EQ(transcript.tokens.size(), c.tokens.size());
    for (size_t i = 0; i < c.tokens.size(); ++i) {
      EXPECT_EQ(transcript.tokens[i].text, c.tokens[i].text) << i;
      EXPECT_EQ(transcript.tokens[i].startMs, c.tokens[i].startMs) << i;
      EXPECT_EQ(transcript.tokens[i].endMs, c.tokens[i].endMs) << i;
    }
  }
}

TEST(TranscriptRead, WhatIsNotATranscriptIsNamed) {
  struct Case {
    const char* name;
    std::string file;
    TranscriptRead outcome;
    int line;
  };
  const std::vector<Case> cases = {
      {"cut short json", "{\"segments\": [\n{\"start\": 1,", TranscriptRead::BadJson, 2},
      {"json of something else", "{\n\"a\": 1\n}", TranscriptRead::UnknownFormat, 0},
      {"array", "[1, 2]", TranscriptRead::UnknownFormat, 0},
      {"prose", "hello world\nsecond line\n", TranscriptRead::UnknownFormat, 0},
      {"empty", "", TranscriptRead::UnknownFormat, 0},
      {"latin-1 subtitles", "1\n00:00:01,000 --> 00:00:02,000\nJos\xE9\n", TranscriptRead::NotUtf8, 0},
      {"utf-16", std::string("\xFF\xFE" "1\0\n\0", 6), TranscriptRead::NotUtf8, 0},
      {"raw bytes in whisper json",
       "{\"segments\":[{\"words\":[{\"word\":\"Jos\xE9\",\"start\":1,\"end\":2}]}]}",
       TranscriptRead::NotUtf8, 0},
      {"character never completed",
       "{\"transcription\":[{\"tokens\":[{\"text\":\"a\"},{\"text\":\"\xE7\x94\"}]}]}",
       TranscriptRead::NotUtf8, 0},
      {"bad cue time", "1\n00:00:01,000 --> 00:00:02,000\na\n\n2\n00:00:03 --> 00:00:04,000\nb\n",
       TranscriptRead::BadCueTime, 6},
      {"minutes past 59", "WEBVTT\n\n00:61.000 --> 01:02.000\nx\n", TranscriptRead::BadCueTime, 3},
      {"bad label line", "1.0\t2.0\tA\n2.5\tthree\tB\n", TranscriptRead::BadLabelLine, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Transcript transcript;
    const TranscriptReadResult result = ReadTranscript(c.file, &transcript);
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(result.problemLine, c.line);
    EXPECT_TRUE(transcript.tokens.empty());
  }
}

Transcript Tokens(std::vector<TimedToken> tokens) {
  Transcript transcript;
  transcript.tokens = std::move(tokens);
  return transcript;
}

TimedToken Word(const std::string& text, int64_t start, int64_t end) {
  TimedToken token;
  token.text = text;
  token.startMs = start;
  token.endMs = end;
  return token;
}

TimedToken Piece(const std::string& text, int64_t start, int64_t end) {
  TimedToken token = Word(text, start, end);
  token.joinsPrevious = true;
  return token;
}

TimedToken Phrase(const std::string& text, int64_t start, int64_t end) {
  TimedToken token = Word(text, start, end);
  token.phrase = true;
  return token;
}

TEST(TranscriptSearch, WordsPhrasesAndNumbersAreFoundAcrossTokens) {
  struct Span {
    size_t term;
    size_t first;
    size_t last;
  };
  struct Case {
    const char* name;
    Transcript transcript;
    std::vector<std::string> words;
    int digits;
    std::vector<Span> found;
    int wholePhrases;
  };
  const std::vector<Case> cases = {
      {"japanese a character or two a token",
       Tokens({Word(u8"田", 0, 10), Word(u8"中", 10, 20), Word(u8"さん", 20, 30), Word(u8"田", 40, 50)}),
       {u8"田中さん", u8"ﾀﾅｶ"}, 0, {{0, 0, 2}}, 0},
      {"a telephone number over punctuation and tokens",
       Tokens({Word("0", 0, 1), Word("9", 1, 2), Word("0", 2, 3), Word("-", 3, 4), Word("1234", 4, 5),
               Word("-5678.", 5, 6)}),
       {u8"０９０ー１２３４ー５６７８", "1234"}, 0, {{0, 0, 5}, {1, 4, 4}}, 0},
      {"latin words are found whole",
       Tokens({Word(" Also", 0, 1), Word(" Al", 1, 2), Word(" called.", 2, 3), Word(" AL's", 3, 4)}),
       {"al"}, 0, {{0, 1, 1}, {0, 3, 3}}, 0},
      {"pieces of one word are one word",
       Tokens({Piece(" Smith", 0, 1), Piece("ers", 1, 2), Piece(" Smith", 2, 3), Piece(",", 3, 4)}),
       {"smith", "Smithers"}, 0, {{0, 2, 2}, {1, 0, 1}}, 0},
      {"digit runs over blanks, hyphens, commas and ー, not other marks",
       Tokens({Word(u8"電話は", 0, 1), Word(u8"〇九〇", 1, 2), Word(u8"ー", 2, 3), Word("12 34", 3, 4),
               Word(u8"の", 4, 5), Word("1,234", 5, 6), Word(u8"時", 6, 7), Word("12:30", 7, 8),
               Word(u8"から", 8, 9), Word(u8"二〇二四年", 9, 10)}),
       {}, 4, {{0, 1, 3}, {0, 5, 5}, {0, 9, 9}}, 0},
      {"a word in a cue makes the cue the match, once",
       Tokens({Phrase(u8"田中さんと田中さん", 0, 1), Phrase(u8"田中", 1, 2)}),
       {u8"田中"}, 0, {{0, 0, 0}, {0, 1, 1}}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TranscriptQuery query;
    for (const std::string& word : c.words) query.words.push_back(FoldWord(word));
    query.leastDigits = c.digits;
    const TranscriptFindings findings = FindInTranscript(c.transcript, query);
    ASSERT_EQ(findings.matches.size(), c.found.size());
    for (size_t i = 0; i < c.found.size(); ++i) {
      EXPECT_EQ(findings.matches[i].term, c.found[i].term) << i;
      EXPECT_EQ(findings.matches[i].firstToken, c.found[i].first) << i;
      EXPECT_EQ(findings.matches[i].lastToken, c.found[i].last) << i;
    }
    EXPECT_EQ(findings.wholePhrases, c.wholePhrases);
  }
}

TEST(TranscriptSearch, MatchesArePaddedClippedAndMergedIntoLabels) {
  const Transcript transcript =
      Tokens({Word(" Tanaka", 1000, 1500), Word(" and", 1500, 1550), Word(" Sato", 1600, 1800),
              Word(" 42", 5000, 5000), Word(" Ito", 100, 300), Word(" end", 9900, 10400)});
  TranscriptQuery query;
  for (const char* word : {"tanaka", "sato", "42", "ito", "end", "tanaka and"}) {
    query.words.push_back(FoldWord(word));
  }
  const TranscriptFindings findings = FindInTranscript(transcript, query);
  ASSERT_EQ(findings.matches.size(), 6u);
  EXPECT_EQ(MatchText(transcript, findings.matches[5]), "Tanaka and");
  // Padding overlaps Tanaka and Sato; 42 has no length; Ito is clipped at
  // the start and end at the recording's end.
  const std::vector<LabeledRange> labels = LabelMatches(transcript, findings.matches, 200, 10000);
  const std::vector<std::pair<LabeledRange, const char*>> expected = {
      {{{0, 500}, ""}, "Ito"},
      {{{800, 2000}, ""}, "Tanaka / Tanaka and / Sato"},
      {{{4800, 5200}, ""}, "42"},
      {{{9700, 10000}, ""}, "end"},
  };
  ASSERT_EQ(labels.size(), expected.size());
  for (size_t i = 0; i < labels.size(); ++i) {
    EXPECT_EQ(labels[i].range.start, expected[i].first.range.start) << i;
    EXPECT_EQ(labels[i].range.end, expected[i].first.range.end) << i;
    EXPECT_EQ(labels[i].text, expected[i].second) << i;
  }
  SampleRange range;
  ASSERT_TRUE(PaddedRange(findings.matches[2], 0, 10000, &range));
  EXPECT_EQ(range.end - range.start, 1u);
  EXPECT_FALSE(PaddedRange(findings.matches[4], 0, 9900, &range));
}

}  // namespace
}  // namespace belmo
