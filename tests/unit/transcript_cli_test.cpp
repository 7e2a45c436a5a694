// belmo-mask find and --transcript: what each mistake is told, and what a
// search prints. The bytes masked are checked against --ranges by
// transcript_test.sh, which runs the program itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/cli_texts.h"
#include "cli/mask_cli.h"
#include "document/document_texts.h"
#include "tests/unit/memory_files.h"
#include "tests/unit/wave_builder.h"

namespace belmo {
namespace {

using Bytes = std::vector<uint8_t>;

class TranscriptCliTest : public testing::Test {
 protected:
  void SetUp() override {
    // One second at 8 kHz, 16-bit mono.
    files_.files["in.wav"] = test::WaveBuilder().SampleRate(8000).SampleBytes(16000).Build();
    Put("t.srt", u8"1\n00:00:00,200 --> 00:00:00,400\nTanaka\n\n2\n00:00:00,500 --> "
                 u8"00:00:00,900\n山田 様\n");
    Put("edge.srt", "1\n00:00:00,900 --> 00:00:01,800\nTanaka\n");
    Put("late.srt", "1\n00:00:00,900 --> 00:00:02,100\nTanaka\n");
    Put("words.txt", std::string("\xEF\xBB\xBF# names\r\n\r\n  tanaka \r\n") + u8"山田\n");
    Put("symbols.txt", "Tanaka\n---\n");
    Put("empty.txt", "# none yet\n\n");
    Put("bad.json", "{\"segments\": [");
    Put("prose.txt", "hello\nworld\n");
    Put("latin1.srt", "1\n00:00:00,200 --> 00:00:00,400\nJos\xE9\n");
  }

  void Put(const std::string& name, const std::string& text) {
    files_.files[name] = Bytes(text.begin(), text.end());
  }

  int Run(std::vector<std::string> args) {
    out.clear();
    err.clear();
    return RunMaskCli(args, files_, &out, &err);
  }

  bool Has(const std::string& name) const { return files_.files.count(name) > 0; }

  std::string out;
  std::string err;

 private:
  test::MemoryFiles files_;
};

TEST_F(TranscriptCliTest, MistakesAreNamedAndNothingIsWritten) {
  using S = std::string;
  const S sine = "sine";
  struct Case {
    std::vector<S> args;
    int exit;
    S message;  // what standard error holds
  };
  const std::vector<Case> cases = {
      {{sine, "in.wav", "out.wav", "--find", "Tanaka"}, kCliUsage,
       S(text::kCliSearchWithoutTranscript) + "--find"},
      {{sine, "in.wav", "out.wav", "--transcript", "t.srt"}, kCliUsage, text::kCliNothingToFind},
      {{sine, "in.wav", "out.wav", "--transcript", "t.srt", "--find", "x", "--start", "0.1"},
       kCliUsage, text::kCliTranscriptWithStartEnd},
      {{sine, "-", "out.wav", "--transcript", "-", "--find", "x"}, kCliUsage,
       text::kCliStandardInputTwice},
      {{"find", "t.srt", "--digits", "2.5"}, kCliUsage, S(text::kCliBadDigits) + "2.5"},
      {{"find", "t.srt", "--digits=0"}, kCliUsage, S(text::kCliBadDigits) + "0"},
      {{"find", "t.srt", "--find", "a", "--pad", "-1"}, kCliUsage, S(text::kCliBadPad) + "-1"},
      {{"find", "t.srt", "--find", "a", "--pad", "1s"}, kCliUsage, text::kCliNotANumber},
      {{"find", "t.srt", "--find", u8"、。"}, kCliUsage,
       S("--find") + text::kCliValueOpen + u8"、。" + text::kCliWordWithoutLetters},
      {{"find", "t.srt", "--words", "symbols.txt"}, kCliUsage,
       S("symbols.txt:2: ") + text::kCliWordOpen + "---" + text::kCliWordWithoutLetters},
      {{"find", "t.srt", "--words", "empty.txt"}, kCliUsage, S("empty.txt: ") + text::kCliNoWords},
      {{"find", "missing.srt", "--digits", "3"}, kCliUsage, S("missing.srt: ") + text::kCannotReadFile},
      {{"find", "bad.json", "--digits", "3"}, kCliUsage,
       S("bad.json: 1") + text::kCliTranscriptBadJsonAfter + text::kCliTranscriptFormats},
      {{"find", "prose.txt", "--digits", "3"}, kCliUsage,
       S("prose.txt: ") + text::kCliTranscriptUnknown + text::kCliTranscriptFormats},
      {{"find", "latin1.srt", "--digits", "3"}, kCliUsage,
       S("latin1.srt: ") + text::kCliTranscriptNotUtf8},
      {{"find", "t.srt", "--hz", "440"}, kCliUsage, S(text::kCliUnknownOption) + "--hz"},
      {{"find", "--find", "x"}, kCliUsage, text::kCliMissingTranscript},
      // Nothing found is no mistake in what was given, but nothing to do.
      {{"find", "t.srt", "--find", u8"佐藤", "--find", "Sato"}, kCliRefused,
       S("t.srt: ") + text::kCliNoneFoundBefore + u8"佐藤" + text::kCliTermSeparator + "Sato" +
           text::kCliNoneFoundAfter},
      {{sine, "in.wav", "out.wav", "--transcript", "t.srt", "--digits", "3"}, kCliRefused,
       S("t.srt: ") + text::kCliNoneFoundBefore + "3" + text::kCliDigitsTerm +
           text::kCliNoneFoundAfter + text::kCliNothingWritten},
      // A second past the end and it is another recording's transcript.
      {{sine, "in.wav", "out.wav", "--transcript", "late.srt", "--find", "tanaka"}, kCliRefused,
       S("late.srt: ") + text::kCliPastEndBefore + "2.100" + text::kCliPastEndRecording +
           "in.wav" + text::kCliPastEndLength + "1.000" + text::kCliPastEndAfter},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[1] + " " + c.args.back());
    EXPECT_EQ(Run(c.args), c.exit);
    EXPECT_EQ(err.rfind(text::kCliPrefix, 0), 0u) << err;
    EXPECT_NE(err.find(c.message), std::string::npos) << err;
    const std::string hint = std::string(" --help") + text::kCliHintAfter + "\n";
    EXPECT_EQ(err.size() >= hint.size() && err.compare(err.size() - hint.size(), hint.size(), hint) == 0,
              c.exit == kCliUsage)
        << err;
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(Has("out.wav"));
  }
}

TEST_F(TranscriptCliTest, FindWritesALabelFileAndCountsEachWord) {
  // A word given twice, as an argument and in a list, is looked for once,
  // under the name it was first given.
  ASSERT_EQ(Run({"find", "t.srt", "--words", "words.txt", "--find", u8"ＴＡＮＡＫＡ", "--find", "Ito"}),
            kCliOk)
      << err;
  // Padded by 0.2 s, the two overlap and merge; the cue is masked whole.
  EXPECT_EQ(out, std::string("0.000\t1.100\tTanaka / ") + u8"山田 様" + "\n");
  EXPECT_EQ(err, std::string(text::kCliFoundBefore) + "t.srt" + text::kCliFoundFormatOpen +
                     text::kCliFormatSubRip + text::kCliFoundAfter + "\n  " + u8"ＴＡＮＡＫＡ" +
                     ": 1" + text::kCliFoundCount + "\n  Ito: " + text::kCliFoundNone + "\n  " +
                     u8"山田" + ": 1" + text::kCliFoundCount + "\n  1" +
                     text::kCliWholePhrasesAfter + "\n" + text::kCliPrefix + "t.srt: " +
                     text::kCliNotFound + "Ito\n");

  // Within a second of the end, what was found is clipped to the recording.
  ASSERT_EQ(Run({"sine", "in.wav", "out.wav", "--transcript", "edge.srt", "--find", "tanaka"}),
            kCliOk)
      << err;
  EXPECT_NE(err.find("\n  0.700-1.000\n"), std::string::npos) << err;
  EXPECT_TRUE(Has("out.wav"));
}

}  // namespace
}  // namespace belmo
