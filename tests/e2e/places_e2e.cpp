// The list of places, as a person works it: places gathered from the range
// and from a label file, each checked by choosing its row, all masked with
// one command and one Undo, and the record written out, which belmo-mask
// reads back to the very same bytes.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/driver.h"
#include "window/command_ids.h"

using namespace e2e;
using namespace belmo;

namespace {

// 8 kHz, 16-bit mono, no two neighbouring samples alike.
std::vector<uint8_t> Wave(int ms) {
  std::vector<uint8_t> samples;
  for (int i = 0; i < ms * 8; ++i) {
    const uint16_t v = static_cast<uint16_t>((i * 37) % 20000 - 10000);
    samples.push_back(static_cast<uint8_t>(v));
    samples.push_back(static_cast<uint8_t>(v >> 8));
  }
  return PcmWave(1, 8000, 16, samples);
}

std::vector<uint8_t> Bytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  ReadFileBytes(path, &bytes);
  return bytes;
}

std::vector<uint8_t> Utf8(const char* text) {
  return std::vector<uint8_t>(text, text + std::char_traits<char>::length(text));
}

// The transcript question's box for the words (or, read-only, for what
// was found): known by its style, in whatever order the boxes stand.
HWND MultiLineBox(HWND question, bool readOnly) {
  for (HWND box = FindWindowExA(question, nullptr, "Edit", nullptr); box;
       box = FindWindowExA(question, box, "Edit", nullptr)) {
    const LONG style = GetWindowLongA(box, GWL_STYLE);
    if ((style & ES_MULTILINE) && ((style & ES_READONLY) != 0) == readOnly) return box;
  }
  return nullptr;
}

class Places : public ::testing::Test {
 protected:
  Places()
      : sandbox_(std::string("places-") +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name()) {}

  void Start(const std::vector<uint8_t>& wave) {
    original_ = wave;
    ASSERT_TRUE(WriteFileBytes(Take(), wave));
    ASSERT_TRUE(belmo_.Start(sandbox_, " \"" + Take() + "\""));
    ASSERT_NE(belmo_.WaitMainWindow(), nullptr);
    c_ = std::make_unique<MainControls>(belmo_);
    belmo_.Command(kCmdPlaces);
    ASSERT_TRUE(belmo_.Flush());
    window_ = FindWindowA("PLACES", "マスク箇所");
    ASSERT_NE(window_, nullptr);
    list_ = FindWindowExA(window_, nullptr, WC_LISTVIEWA, nullptr);
    ASSERT_NE(list_, nullptr);
  }

  std::string Take() const { return sandbox_.Path("take.wav"); }

  void Type(HWND box, const std::string& text) {
    Send(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    for (char ch : text) PostMessageA(box, WM_CHAR, static_cast<uint8_t>(ch), 0);
    ASSERT_TRUE(belmo_.Flush());
  }

  void Press(const char* caption) {
    HWND button = FindWindowExA(window_, nullptr, "Button", caption);
    ASSERT_NE(button, nullptr) << caption;
    PostMessageA(button, BM_CLICK, 0, 0);
  }

  void ChooseInDialog(const std::string& path) {
    HWND dialog = belmo_.WaitFileDialog();
    ASSERT_NE(dialog, nullptr);
    Belmo::ChooseFile(dialog, path);
    ASSERT_TRUE(Belmo::WaitGone(dialog));
    ASSERT_TRUE(belmo_.Flush());
  }

  void AnswerBox(const std::string& text, int button) {
    HWND box = belmo_.WaitMessageBox();
    ASSERT_NE(box, nullptr) << "no box for: " << text;
    EXPECT_EQ(Belmo::BoxText(box), text);
    Belmo::Answer(box, button);
    ASSERT_TRUE(Belmo::WaitGone(box));
  }

  LRESULT Rows() const { return Send(list_, LVM_GETITEMCOUNT); }

  Sandbox sandbox_;
  Belmo belmo_;
  std::vector<uint8_t> original_;
  std::unique_ptr<MainControls> c_;
  HWND window_ = nullptr;
  HWND list_ = nullptr;
};

}  // namespace

TEST_F(Places, GatheredCheckedMaskedAllAtOnceAndWrittenOutAsBelmoMaskReadsThem) {
  ASSERT_NO_FATAL_FAILURE(Start(Wave(3000)));
  belmo_.Command(kCmdShowWaveform);
  ASSERT_TRUE(belmo_.Flush());

  // The main window's range, then a label file of an audio editor.
  ASSERT_NO_FATAL_FAILURE(Type(c_->startSeconds, "0.2"));
  ASSERT_NO_FATAL_FAILURE(Type(c_->endSeconds, "0.5"));
  ASSERT_NO_FATAL_FAILURE(Press("現在の範囲を追加(&A)"));
  ASSERT_TRUE(belmo_.Flush());
  EXPECT_EQ(Rows(), 1);
  ASSERT_TRUE(WriteFileBytes(sandbox_.Path("labels.txt"),
                             Utf8(u8"2.000\t2.250\t番号\n1.000\t1.300\t山田\n")));
  ASSERT_NO_FATAL_FAILURE(Press("読み込み(&I)..."));
  ASSERT_NO_FATAL_FAILURE(ChooseInDialog(sandbox_.Path("labels.txt")));
  EXPECT_EQ(Rows(), 3);

  // A file that is no list of ranges changes nothing and says so.
  ASSERT_TRUE(WriteFileBytes(sandbox_.Path("notes.txt"), Utf8("meeting notes\nsee you\n")));
  ASSERT_NO_FATAL_FAILURE(Press("読み込み(&I)..."));
  ASSERT_NO_FATAL_FAILURE(ChooseInDialog(sandbox_.Path("notes.txt")));
  HWND refusal = belmo_.WaitMessageBox();
  ASSERT_NE(refusal, nullptr);
  EXPECT_NE(Belmo::BoxText(refusal).find(sandbox_.Path("notes.txt")), std::string::npos);
  Belmo::Answer(refusal, IDOK);
  ASSERT_TRUE(Belmo::WaitGone(refusal));
  EXPECT_EQ(Rows(), 3);

  // Rows in time order: choosing one sets the main window's range.
  PostMessageA(list_, WM_KEYDOWN, VK_HOME, 0);
  ASSERT_TRUE(belmo_.Flush());
  EXPECT_EQ(Text(c_->startSeconds), "0.200");
  PostMessageA(list_, WM_KEYDOWN, VK_DOWN, 0);
  ASSERT_TRUE(belmo_.Flush());
  EXPECT_EQ(Text(c_->startSeconds), "1.000");
  EXPECT_EQ(Text(c_->endSeconds), "1.300");
  Screenshot(window_, "places-window");
  PostMessageA(list_, WM_KEYDOWN, VK_END, 0);
  ASSERT_TRUE(belmo_.Flush());
  Send(c_->endSeconds, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("3"));
  ASSERT_TRUE(belmo_.Flush());
  Screenshot(belmo_.Main(), "main-window-places-marked");

  ASSERT_NO_FATAL_FAILURE(Press("すべてマスク(&S)"));
  ASSERT_NO_FATAL_FAILURE(AnswerBox("処理が終了しました。3箇所をマスクしました。", IDOK));
  ASSERT_TRUE(belmo_.Flush());
  const std::vector<uint8_t> masked = Bytes(sandbox_.Path("temp.tmp"));
  EXPECT_TRUE(masked != original_);

  ASSERT_NO_FATAL_FAILURE(Press("書き出し(&E)..."));
  ASSERT_NO_FATAL_FAILURE(ChooseInDialog(sandbox_.Path("record.txt")));
  EXPECT_TRUE(Bytes(sandbox_.Path("record.txt")) ==
              Utf8(u8"0.200\t0.500\t[正弦波上書き]\n1.000\t1.300\t山田 [正弦波上書き]\n"
                   u8"2.000\t2.250\t番号 [正弦波上書き]\n"));
  // The record read back by belmo-mask gives the program's bytes.
  ASSERT_EQ(RunMaskTool("sine \"" + Take() + "\" \"" + sandbox_.Path("cli.wav") + "\" --ranges \"" +
                        sandbox_.Path("record.txt") + "\""),
            0);
  EXPECT_TRUE(Bytes(sandbox_.Path("cli.wav")) == masked);

  // One Undo puts every place back; the next brings the mask back.
  belmo_.Command(kCmdUndo);
  ASSERT_TRUE(belmo_.Flush());
  EXPECT_TRUE(Bytes(sandbox_.Path("temp.tmp")) == original_);
  belmo_.Command(kCmdUndo);
  ASSERT_TRUE(belmo_.Flush());
  EXPECT_TRUE(Bytes(sandbox_.Path("temp.tmp")) == masked);

  // The list belongs to the recording: leaving asks before it is dropped.
  belmo_.Close();
  ASSERT_NO_FATAL_FAILURE(
      AnswerBox("ファイルの内容が変更されています。保存しますか？", IDNO));
  ASSERT_NO_FATAL_FAILURE(AnswerBox(
      "マスク箇所の一覧に、まだマスクしていない箇所か、書き出していない記録があります。"
      "一覧を空にしてよろしいですか？",
      IDYES));
  EXPECT_TRUE(belmo_.WaitExit());
}

TEST_F(Places, WordsAndNumbersFoundInATranscriptBecomePlaces) {
  ASSERT_NO_FATAL_FAILURE(Start(Wave(3000)));
  ASSERT_TRUE(WriteFileBytes(
      sandbox_.Path("take.json"),
      Utf8(u8R"({"segments":[{"words":[{"word":" 鈴木","start":0.5,"end":0.8},)"
           u8R"({"word":"です","start":0.8,"end":1.0},{"word":" 090","start":1.5,"end":1.8},)"
           u8R"({"word":"1234","start":1.8,"end":2.1}]}]})")));
  ASSERT_NO_FATAL_FAILURE(Press("読み込み(&I)..."));
  HWND dialog = belmo_.WaitFileDialog();
  ASSERT_NE(dialog, nullptr);
  Belmo::ChooseFile(dialog, sandbox_.Path("take.json"));
  ASSERT_TRUE(Belmo::WaitGone(dialog));
  HWND question = nullptr;
  // Shown and in its own loop first: a click on a window not yet active
  // may be lost.
  for (int waited = 0; waited < 5000 && !question; waited += 20) {
    question = FindWindowA("PLACESFIND", nullptr);
    if (question && !IsWindowVisible(question)) question = nullptr;
    if (!question) Sleep(20);
  }
  ASSERT_NE(question, nullptr) << "no question for the transcript";
  ASSERT_TRUE(belmo_.Flush());
  HWND words = MultiLineBox(question, false);
  Send(words, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("鈴木\r\n佐藤"));
  PostMessageA(FindWindowExA(question, nullptr, "Button", "数字の並びも探す(&D)"), BM_CLICK, 0, 0);
  PostMessageA(FindWindowExA(question, nullptr, "Button", "検索(&F)"), BM_CLICK, 0, 0);
  ASSERT_TRUE(belmo_.Flush());
  HWND results = MultiLineBox(question, true);
  EXPECT_EQ(Text(results), "鈴木: 1箇所\r\n佐藤: 0箇所\r\n数字の並び: 1箇所\r\n");
  Screenshot(question, "places-transcript-question");
  PostMessageA(FindWindowExA(question, nullptr, "Button", "追加(&A)"), BM_CLICK, 0, 0);
  ASSERT_TRUE(Belmo::WaitGone(question));
  ASSERT_TRUE(belmo_.Flush());
  EXPECT_EQ(Rows(), 2);

  ASSERT_NO_FATAL_FAILURE(Press("書き出し(&E)..."));
  ASSERT_NO_FATAL_FAILURE(ChooseInDialog(sandbox_.Path("record.txt")));
  const std::vector<uint8_t> record = Bytes(sandbox_.Path("record.txt"));
  const std::string text(record.begin(), record.end());
  EXPECT_EQ(text.rfind("0.300\t1.000\t", 0), 0u) << text;
  EXPECT_NE(text.find("\n1.300\t2.300\t"), std::string::npos) << text;
  PostMessageA(list_, WM_KEYDOWN, VK_HOME, 0);
  PostMessageA(list_, WM_KEYDOWN, VK_DELETE, 0);
  ASSERT_TRUE(belmo_.Flush());
  EXPECT_EQ(Rows(), 1) << "Delete takes the chosen place out";
  belmo_.Close();
  EXPECT_TRUE(belmo_.WaitMessageBox() != nullptr) << "places not masked: the exit asks";
  Belmo::Answer(belmo_.WaitMessageBox(), IDYES);
  EXPECT_TRUE(belmo_.WaitExit());
}

TEST_F(Places, WhatIsHeardWhileSpaceIsHeldBecomesAPlace) {
  ASSERT_NO_FATAL_FAILURE(Start(Wave(3000)));
  PostMessageA(c_->playButton, BM_CLICK, 0, 0);
  auto heardMs = [&] {
    const std::string info = Text(c_->infoBox);
    const size_t colon = info.find(':');
    return colon == std::string::npos ? 0 : static_cast<int>(std::atof(info.c_str() + colon + 1) * 1000);
  };
  for (int waited = 0; waited < 5000 && heardMs() < 300; waited += 20) Sleep(20);
  ASSERT_GE(heardMs(), 300) << "playback did not advance: " << Text(c_->infoBox);
  PostMessageA(list_, WM_KEYDOWN, VK_SPACE, 0);
  PostMessageA(list_, WM_KEYDOWN, VK_SPACE, 1 << 30);  // the key repeating
  ASSERT_TRUE(belmo_.Flush());
  // Held until the device reports a later position (it does in steps).
  const int pressedAt = heardMs();
  for (int waited = 0; waited < 3000 && heardMs() <= pressedAt; waited += 20) Sleep(20);
  PostMessageA(list_, WM_KEYUP, VK_SPACE, 0xC0000001);
  ASSERT_TRUE(belmo_.Flush());
  EXPECT_EQ(Rows(), 1);
  PostMessageA(c_->playButton, BM_CLICK, 0, 0);
  for (int waited = 0; waited < 5000 && Text(c_->infoBox) != "停止中"; waited += 20) Sleep(20);
  belmo_.Close();
  HWND question = belmo_.WaitMessageBox();
  ASSERT_NE(question, nullptr) << "an unmasked place: the exit asks";
  Belmo::Answer(question, IDYES);
  EXPECT_TRUE(belmo_.WaitExit());
}
