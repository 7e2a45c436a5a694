// The editing loop as the user drives it: choosing a range, the sine mask,
// Undo, Revert, saving, opening another file and leaving the program, with
// the questions each of them asks.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/driver.h"
#include "window/command_ids.h"

using namespace e2e;
using namespace belmo;

namespace {

const std::string kFinished = "処理が終了しました。";
const std::string kSaveQuestion = "ファイルの内容が変更されています。保存しますか？";
const std::string kRevertQuestion = "今までの編集内容を破棄して保存されている状態に戻しますか？";
const std::string kRangeRefused = "選択範囲が正しくありません。";

// 8 kHz, 16-bit mono; no two neighbouring samples alike, so a tone written
// over it shows in every byte.
std::vector<uint8_t> Wave(int ms, int seed = 0) {
  std::vector<uint8_t> samples;
  for (int i = 0; i < ms * 8; ++i) {
    uint16_t v = static_cast<uint16_t>((i * 37 + seed) % 20000 - 10000);
    samples.push_back(static_cast<uint8_t>(v));
    samples.push_back(static_cast<uint8_t>(v >> 8));
  }
  return PcmWave(1, 8000, 16, samples);
}

// One period of the default tone (1000 Hz, -10 dB) at 8 kHz: 16 bytes,
// floor(10^(-10/20) * sin(2 pi k / 8) * 32767).
const int16_t kTonePeriod[8] = {0, 7326, 10361, 7326, 0, -7327, -10362, -7327};

// The wave with the tone over [startMs, endMs): a span runs from byte
// 44 + trunc(8000 * seconds) * 2, so a millisecond is 16 bytes, one whole
// period; the phase starts at the span.
std::vector<uint8_t> WithTone(std::vector<uint8_t> wave, int startMs, int endMs) {
  for (size_t at = 44 + startMs * 16, k = 0; at < 44 + static_cast<size_t>(endMs) * 16;
       at += 2, ++k) {
    uint16_t v = static_cast<uint16_t>(kTonePeriod[k % 8]);
    wave[at] = static_cast<uint8_t>(v);
    wave[at + 1] = static_cast<uint8_t>(v >> 8);
  }
  return wave;
}

std::vector<uint8_t> Bytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  ReadFileBytes(path, &bytes);
  return bytes;
}

// Empty when equal; otherwise where the bytes part, for a readable failure.
std::string Difference(const std::vector<uint8_t>& actual, const std::vector<uint8_t>& expected) {
  if (actual.size() != expected.size()) {
    return "size " + std::to_string(actual.size()) + ", expected " +
           std::to_string(expected.size());
  }
  auto parted = std::mismatch(actual.begin(), actual.end(), expected.begin());
  if (parted.first == actual.end()) return "";
  return "byte " + std::to_string(parted.first - actual.begin()) + " is " +
         std::to_string(*parted.first) + ", expected " + std::to_string(*parted.second);
}

// The program on "take.wav" in a sandbox of the test's own name.
class Editing : public ::testing::Test {
 protected:
  Editing()
      : sandbox_(std::string("editing-") +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name()) {}

  void Start(const std::vector<uint8_t>& wave) {
    original_ = wave;
    ASSERT_TRUE(WriteFileBytes(Take(), wave));
    ASSERT_TRUE(belmo_.Start(sandbox_, " \"" + Take() + "\""));
    ASSERT_NE(belmo_.WaitMainWindow(), nullptr);
    c_ = std::make_unique<MainControls>(belmo_);
  }

  std::string Take() const { return sandbox_.Path("take.wav"); }
  std::vector<uint8_t> WorkingCopy() const { return Bytes(sandbox_.Path("temp.tmp")); }

  // Typed as a person types: the box emptied, then one character at a time.
  void Type(HWND box, const std::string& text) {
    Send(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    for (char ch : text) PostMessageA(box, WM_CHAR, static_cast<uint8_t>(ch), 0);
    ASSERT_TRUE(belmo_.Flush());
  }
  void TypeRange(const std::string& start, const std::string& end) {
    Type(c_->startSeconds, start);
    Type(c_->endSeconds, end);
  }

  // Expects a box of the program's with this text (or text beginning with
  // it) and answers it.
  void Answer(const std::string& text, int button) {
    HWND box = belmo_.WaitMessageBox();
    ASSERT_NE(box, nullptr) << "no box for: " << text;
    EXPECT_EQ(Text(box), "ベルモ");
    EXPECT_EQ(Belmo::BoxText(box).substr(0, text.size()), text);
    Belmo::Answer(box, button);
    ASSERT_TRUE(Belmo::WaitGone(box));
    // Some answers end the program.
    ASSERT_TRUE(belmo_.Flush() || !belmo_.Running());
  }

  void Mask() {
    PostMessageA(c_->sineButton, BM_CLICK, 0, 0);
    Answer(kFinished, IDOK);
  }

  void ChooseInFileDialog(const std::string& pathOrCancel) {
    HWND dialog = belmo_.WaitFileDialog();
    ASSERT_NE(dialog, nullptr) << "no file dialog";
    if (pathOrCancel.empty()) {
      Belmo::CancelDialog(dialog);
    } else {
      Belmo::ChooseFile(dialog, pathOrCancel);
    }
    ASSERT_TRUE(Belmo::WaitGone(dialog));
    ASSERT_TRUE(belmo_.Flush());
  }

  // Whatever was posted has been handled without opening any box or dialog.
  void ExpectNothingAsked() {
    ASSERT_TRUE(belmo_.Flush());
    EXPECT_EQ(belmo_.WaitMessageBox(0), nullptr);
    EXPECT_EQ(belmo_.WaitFileDialog(0), nullptr);
  }

  void ExpectUndoRevert(bool enabled) {
    EXPECT_EQ(belmo_.MenuGrayed(kCmdUndo), !enabled) << "Undo";
    EXPECT_EQ(belmo_.MenuGrayed(kCmdRevert), !enabled) << "Revert";
  }

  void ExitWithoutQuestion() {
    belmo_.Close();
    if (!belmo_.WaitExit(5000)) {
      HWND box = belmo_.WaitMessageBox(0);
      FAIL() << "still running; box: " << (box ? Belmo::BoxText(box) : "none");
    }
    EXPECT_FALSE(FileExists(sandbox_.Path("temp.tmp")));
  }

  Sandbox sandbox_;
  Belmo belmo_;
  std::vector<uint8_t> original_;
  std::unique_ptr<MainControls> c_;
};

LRESULT Pos(HWND trackbar) { return Send(trackbar, TBM_GETPOS); }
LRESULT Min(HWND trackbar) { return Send(trackbar, TBM_GETRANGEMIN); }
LRESULT Max(HWND trackbar) { return Send(trackbar, TBM_GETRANGEMAX); }

}  // namespace

TEST_F(Editing, SlidersAndTypedSecondsKeepTheRangeInStep) {
  ASSERT_NO_FATAL_FAILURE(Start(Wave(3000)));
  MainControls& c = *c_;
  auto press = [&](HWND trackbar, WPARAM key) {
    PostMessageA(trackbar, WM_KEYDOWN, key, 1);
    PostMessageA(trackbar, WM_KEYUP, key, 0xC0000001);
    ASSERT_TRUE(belmo_.Flush());
  };

  // Page Up on the end slider pulls the end back by the page size; the
  // start slider may then reach no further than one millisecond before it.
  press(c.endTrackbar, VK_PRIOR);
  EXPECT_EQ(Pos(c.endTrackbar), 2990);
  EXPECT_EQ(Text(c.endSeconds), "2.990");
  EXPECT_EQ(Max(c.startTrackbar), 2989);

  press(c.startTrackbar, VK_RIGHT);
  press(c.startTrackbar, VK_RIGHT);
  EXPECT_EQ(Pos(c.startTrackbar), 2);
  EXPECT_EQ(Text(c.startSeconds), "0.002");
  EXPECT_EQ(Min(c.endTrackbar), 3);

  press(c.startTrackbar, VK_END);
  EXPECT_EQ(Pos(c.startTrackbar), 2989);
  EXPECT_EQ(Text(c.startSeconds), "2.989");
  EXPECT_EQ(Min(c.endTrackbar), 2990);
  EXPECT_EQ(Max(c.endTrackbar), 3000);

  // Typed seconds move the slider and stay as typed.
  ASSERT_NO_FATAL_FAILURE(Type(c.startSeconds, "1.5"));
  EXPECT_EQ(Pos(c.startTrackbar), 1500);
  EXPECT_EQ(Text(c.startSeconds), "1.5");
  EXPECT_EQ(Min(c.endTrackbar), 1501);
  ASSERT_NO_FATAL_FAILURE(Type(c.startSeconds, "abc"));
  EXPECT_EQ(Pos(c.startTrackbar), 0);
  EXPECT_EQ(Text(c.startSeconds), "abc");
  EXPECT_EQ(Min(c.endTrackbar), 1);

  // Pasting and deleting, from the keyboard or the box's menu, move the
  // slider as typing does.
  ASSERT_NO_FATAL_FAILURE(Type(c.startSeconds, "1.5"));
  Send(c.startSeconds, EM_SETSEL, 0, -1);
  PostMessageA(c.startSeconds, WM_KEYDOWN, VK_DELETE, 0);
  ASSERT_TRUE(belmo_.Flush());
  EXPECT_EQ(Text(c.startSeconds), "");
  EXPECT_EQ(Pos(c.startTrackbar), 0);
  {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 5);
    std::memcpy(GlobalLock(text), "2.25", 5);
    GlobalUnlock(text);
    SetClipboardData(CF_TEXT, text);
    CloseClipboard();
    PostMessageA(c.startSeconds, WM_PASTE, 0, 0);
    ASSERT_TRUE(belmo_.Flush());
    EXPECT_EQ(Text(c.startSeconds), "2.25");
    EXPECT_EQ(Pos(c.startTrackbar), 2250);
  }
  Send(c.startSeconds, EM_SETSEL, 0, -1);
  PostMessageA(c.startSeconds, WM_CLEAR, 0, 0);
  ASSERT_TRUE(belmo_.Flush());
  EXPECT_EQ(Pos(c.startTrackbar), 0);

  // Shift+Insert pastes too: typed for real, since the box asks for the
  // Shift key's state itself. Text put in place as an input method puts
  // its result (over the selection, with no character typed) counts alike.
  SetForegroundWindow(belmo_.Main());
  PostMessageA(c.startSeconds, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageA(c.startSeconds, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  ASSERT_TRUE(belmo_.Flush());
  ASSERT_EQ(belmo_.Focused(), c.startSeconds);
  Send(c.startSeconds, EM_SETSEL, 0, -1);
  {
    INPUT input[4] = {};
    const WORD keys[4] = {VK_SHIFT, VK_INSERT, VK_INSERT, VK_SHIFT};
    for (int i = 0; i < 4; ++i) {
      input[i].type = INPUT_KEYBOARD;
      input[i].ki.wVk = keys[i];
      input[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
    }
    SendInput(4, input, sizeof(INPUT));
    for (int waited = 0; waited < 2000 && Text(c.startSeconds) != "2.25"; waited += 10) Sleep(10);
    ASSERT_TRUE(belmo_.Flush());
    EXPECT_EQ(Text(c.startSeconds), "2.25");
    EXPECT_EQ(Pos(c.startTrackbar), 2250) << "Shift+Insert";
  }
  Send(c.startSeconds, EM_SETSEL, 0, -1);
  Send(c.startSeconds, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("1.75"));
  ASSERT_TRUE(belmo_.Flush());
  EXPECT_EQ(Pos(c.startTrackbar), 1750) << "an input method's result";

  // A typed range the masks cannot use is refused, whether reversed or past
  // the end of the recording, and nothing is written or recorded for Undo.
  const std::pair<const char*, const char*> refused[] = {{"2", "1"}, {"1", "3.5"}, {"1", "1"}};
  for (const auto& [start, end] : refused) {
    SCOPED_TRACE(std::string(start) + " - " + end);
    ASSERT_NO_FATAL_FAILURE(TypeRange(start, end));
    PostMessageA(c.sineButton, BM_CLICK, 0, 0);
    ASSERT_NO_FATAL_FAILURE(Answer(kRangeRefused, IDOK));
    EXPECT_EQ(belmo_.WaitMessageBox(0), nullptr) << "no completion message after a refusal";
    EXPECT_EQ(Difference(WorkingCopy(), original_), "");
    ExpectUndoRevert(false);
  }
  ExitWithoutQuestion();
}

TEST_F(Editing, SineMaskWritesTheToneExactlyOverTheRange) {
  ASSERT_NO_FATAL_FAILURE(Start(Wave(1000)));
  ASSERT_NO_FATAL_FAILURE(TypeRange("0.123", "0.457"));
  const std::vector<uint8_t> masked = WithTone(original_, 123, 457);

  PostMessageA(c_->sineButton, BM_CLICK, 0, 0);
  HWND box = belmo_.WaitMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(Text(box), "ベルモ");
  EXPECT_EQ(Belmo::BoxText(box), kFinished);
  Screenshot(GetDesktopWindow(), "sine-mask-finished");
  Belmo::Answer(box, IDOK);
  ASSERT_TRUE(Belmo::WaitGone(box));
  ASSERT_TRUE(belmo_.Flush());

  // Bytes 2012 to 7356 carry the tone; all others are as they were.
  EXPECT_EQ(Difference(WorkingCopy(), masked), "");
  EXPECT_EQ(Difference(Bytes(Take()), original_), "") << "a mask never touches the file itself";
  ExpectUndoRevert(true);

  // The menu item does what the button does.
  belmo_.Command(kCmdUndo);
  ASSERT_TRUE(belmo_.Flush());
  ASSERT_EQ(Difference(WorkingCopy(), original_), "");
  belmo_.Command(kCmdSine);
  ASSERT_NO_FATAL_FAILURE(Answer(kFinished, IDOK));
  EXPECT_EQ(Difference(WorkingCopy(), masked), "");
  ExpectUndoRevert(true);
}

// One mask and an Undo add up to no change at all: nothing to revert, and
// nothing to ask at exit.
TEST_F(Editing, UndoSwapsTheEditInAndOutAndCountsNetChanges) {
  ASSERT_NO_FATAL_FAILURE(Start(Wave(1000)));
  ASSERT_NO_FATAL_FAILURE(TypeRange("0.2", "0.5"));
  ASSERT_NO_FATAL_FAILURE(Mask());
  const std::vector<uint8_t> masked = WithTone(original_, 200, 500);

  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    belmo_.Command(kCmdUndo);
    ASSERT_TRUE(belmo_.Flush());
    EXPECT_EQ(Difference(WorkingCopy(), (round % 2 == 0 ? original_ : masked)), "");
    EXPECT_FALSE(belmo_.MenuGrayed(kCmdUndo));
  }
  belmo_.Command(kCmdRevert);
  ExpectNothingAsked();
  ExitWithoutQuestion();
  EXPECT_EQ(Difference(Bytes(Take()), original_), "");
}

TEST_F(Editing, RevertAsksThenReloadsTheSavedFile) {
  ASSERT_NO_FATAL_FAILURE(Start(Wave(1000)));
  ASSERT_NO_FATAL_FAILURE(TypeRange("0.1", "0.3"));
  ASSERT_NO_FATAL_FAILURE(Mask());
  const std::vector<uint8_t> masked = WorkingCopy();

  belmo_.Command(kCmdRevert);
  ASSERT_NO_FATAL_FAILURE(Answer(kRevertQuestion, IDCANCEL));
  EXPECT_EQ(Difference(WorkingCopy(), masked), "");
  ExpectUndoRevert(true);

  // The working copy held open by another program, sharing all but its
  // deletion (Windows refuses to replace a file in use): the new copy
  // cannot take its place, which is said; the recording, its copy and its
  // Undo stay as they were.
  HANDLE held = CreateFileA(sandbox_.Path("temp.tmp").c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  belmo_.Command(kCmdRevert);
  ASSERT_NO_FATAL_FAILURE(Answer(kRevertQuestion, IDOK));
  ASSERT_NO_FATAL_FAILURE(Answer("一時ファイル(temp.tmp)を書き込めなかった", IDOK));
  CloseHandle(held);
  EXPECT_EQ(Text(c_->fileNameBox), "take.wav");
  EXPECT_EQ(Difference(WorkingCopy(), masked), "");
  EXPECT_FALSE(FileExists(sandbox_.Path("temp.tmp.belmo-copy")));
  EXPECT_FALSE(FileExists(sandbox_.Path("temp.tmp.belmo-old")));
  for (const std::vector<uint8_t>* expected : {&std::as_const(original_), &masked}) {
    belmo_.Command(kCmdUndo);
    ASSERT_TRUE(belmo_.Flush());
    EXPECT_EQ(Difference(WorkingCopy(), *expected), "");
  }
  ExpectUndoRevert(true);

  // Revert reads the file again rather than undoing: what is on disk now is
  // what comes back.
  const std::vector<uint8_t> onDisk = Wave(2000, 5);
  ASSERT_TRUE(WriteFileBytes(Take(), onDisk));
  belmo_.Command(kCmdRevert);
  ASSERT_NO_FATAL_FAILURE(Answer(kRevertQuestion, IDOK));
  EXPECT_EQ(Difference(WorkingCopy(), onDisk), "");
  EXPECT_EQ(Text(c_->endSeconds), "2.000");
  ExpectUndoRevert(false);
  ExitWithoutQuestion();
}

TEST_F(Editing, SaveAsAndSaveWriteTheEditedRecording) {
  ASSERT_NO_FATAL_FAILURE(Start(Wave(1000)));
  ASSERT_NO_FATAL_FAILURE(TypeRange("0.1", "0.2"));
  ASSERT_NO_FATAL_FAILURE(Mask());
  const std::string saved = sandbox_.Path("saved.wav");
  // A file of the user's at the name a save writes beside its target first
  // is neither written over nor removed: the save takes the next free name.
  const std::vector<uint8_t> users = Wave(10, 9);
  ASSERT_TRUE(WriteFileBytes(saved + ".belmo-new", users));

  belmo_.Command(kCmdSaveAs);
  ASSERT_NO_FATAL_FAILURE(ChooseInFileDialog(saved));
  EXPECT_EQ(belmo_.WaitMessageBox(0), nullptr);
  EXPECT_EQ(Difference(Bytes(saved), WithTone(original_, 100, 200)), "");
  EXPECT_EQ(Difference(Bytes(saved), WorkingCopy()), "");
  // Copied from the hidden working copy, it is not hidden itself.
  EXPECT_EQ(GetFileAttributesA(saved.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(Difference(Bytes(Take()), original_), "");
  EXPECT_EQ(Text(c_->fileNameBox), "saved.wav");
  ExpectUndoRevert(false);

  // Save goes to the new name without asking.
  ASSERT_NO_FATAL_FAILURE(TypeRange("0.3", "0.4"));
  ASSERT_NO_FATAL_FAILURE(Mask());
  belmo_.Command(kCmdSave);
  ExpectNothingAsked();
  EXPECT_EQ(Difference(Bytes(saved), WithTone(WithTone(original_, 100, 200), 300, 400)), "");
  ExpectUndoRevert(false);

  // A file another program holds open cannot be replaced: that is reported,
  // the file stays whole and the edit still counts as unsaved.
  const std::vector<uint8_t> before = Bytes(saved);
  HANDLE held = CreateFileA(saved.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ASSERT_NO_FATAL_FAILURE(Mask());
  belmo_.Command(kCmdSave);
  ASSERT_NO_FATAL_FAILURE(Answer("ファイルを保存できませんでした。", IDOK));
  CloseHandle(held);
  EXPECT_EQ(Difference(Bytes(saved), before), "");
  EXPECT_FALSE(FileExists(saved + ".belmo-new1"));
  EXPECT_EQ(Difference(Bytes(saved + ".belmo-new"), users), "");
  EXPECT_FALSE(belmo_.MenuGrayed(kCmdRevert));
  belmo_.Close();
  ASSERT_NO_FATAL_FAILURE(Answer(kSaveQuestion, IDNO));
  EXPECT_TRUE(belmo_.WaitExit());
}

// Started from a command prompt in the recording's folder with its bare
// name: Save must go back to that file, although the program works in
// its own folder.
TEST_F(Editing, SaveOfAFileNamedRelativeToTheStartFolderWritesThatFile) {
  const std::string folder = sandbox_.Path("rec");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  original_ = Wave(1000);
  const std::string take = folder + "\\take.wav";
  ASSERT_TRUE(WriteFileBytes(take, original_));
  ASSERT_TRUE(belmo_.Start(sandbox_, " take.wav", folder));
  ASSERT_NE(belmo_.WaitMainWindow(), nullptr);
  c_ = std::make_unique<MainControls>(belmo_);
  ASSERT_NO_FATAL_FAILURE(TypeRange("0.1", "0.2"));
  ASSERT_NO_FATAL_FAILURE(Mask());
  belmo_.Command(kCmdSave);
  ExpectNothingAsked();
  EXPECT_EQ(Difference(Bytes(take), WithTone(original_, 100, 200)), "");
  EXPECT_FALSE(FileExists(Take())) << "saved into the program's folder";
  ExitWithoutQuestion();
}

TEST_F(Editing, OpenWithUnsavedChangesOffersToSaveFirst) {
  ASSERT_NO_FATAL_FAILURE(Start(Wave(1000)));
  const std::vector<uint8_t> other = Wave(2000, 7);
  ASSERT_TRUE(WriteFileBytes(sandbox_.Path("other.wav"), other));
  ASSERT_NO_FATAL_FAILURE(TypeRange("0.1", "0.2"));
  ASSERT_NO_FATAL_FAILURE(Mask());
  const std::vector<uint8_t> masked = WorkingCopy();

  belmo_.Command(kCmdOpen);
  ASSERT_NO_FATAL_FAILURE(Answer(kSaveQuestion, IDCANCEL));
  ExpectNothingAsked();

  // Backing out of the save backs out of the Open as well.
  belmo_.Command(kCmdOpen);
  ASSERT_NO_FATAL_FAILURE(Answer(kSaveQuestion, IDYES));
  ASSERT_NO_FATAL_FAILURE(ChooseInFileDialog(""));
  ExpectNothingAsked();
  EXPECT_EQ(Text(c_->fileNameBox), "take.wav");
  EXPECT_EQ(Difference(WorkingCopy(), masked), "");
  ExpectUndoRevert(true);

  belmo_.Command(kCmdOpen);
  ASSERT_NO_FATAL_FAILURE(Answer(kSaveQuestion, IDNO));
  ASSERT_NO_FATAL_FAILURE(ChooseInFileDialog(sandbox_.Path("other.wav")));
  EXPECT_EQ(belmo_.WaitMessageBox(0), nullptr);
  EXPECT_EQ(Text(c_->fileNameBox), "other.wav");
  EXPECT_EQ(Text(c_->endSeconds), "2.000");
  EXPECT_EQ(Difference(WorkingCopy(), other), "");
  EXPECT_EQ(Difference(Bytes(Take()), original_), "");
  ExpectUndoRevert(false);

  // The edit belonged to the other recording: Undo has nothing to give back.
  belmo_.Command(kCmdUndo);
  ASSERT_TRUE(belmo_.Flush());
  EXPECT_EQ(Difference(WorkingCopy(), other), "");
  ExitWithoutQuestion();
}

// Two masks and one Undo leave one edit unsaved, so leaving asks.
TEST_F(Editing, ExitWithUnsavedChangesAsksAndCanBeCancelled) {
  ASSERT_NO_FATAL_FAILURE(Start(Wave(1000)));
  ASSERT_NO_FATAL_FAILURE(TypeRange("0.1", "0.2"));
  ASSERT_NO_FATAL_FAILURE(Mask());
  ASSERT_NO_FATAL_FAILURE(TypeRange("0.5", "0.6"));
  ASSERT_NO_FATAL_FAILURE(Mask());
  belmo_.Command(kCmdUndo);
  ASSERT_TRUE(belmo_.Flush());
  const std::vector<uint8_t> edited = WorkingCopy();
  ASSERT_EQ(Difference(edited, WithTone(original_, 100, 200)), "");

  belmo_.Close();
  ASSERT_NO_FATAL_FAILURE(Answer(kSaveQuestion, IDCANCEL));
  EXPECT_TRUE(belmo_.Running());

  belmo_.Command(kCmdExit);
  ASSERT_NO_FATAL_FAILURE(Answer(kSaveQuestion, IDYES));
  ASSERT_NO_FATAL_FAILURE(ChooseInFileDialog(""));
  EXPECT_TRUE(belmo_.Running()) << "cancelling the save must cancel the exit";
  EXPECT_EQ(Difference(WorkingCopy(), edited), "");

  belmo_.Close();
  ASSERT_NO_FATAL_FAILURE(Answer(kSaveQuestion, IDNO));
  EXPECT_TRUE(belmo_.WaitExit());
  EXPECT_FALSE(FileExists(sandbox_.Path("temp.tmp")));
  EXPECT_EQ(Difference(Bytes(Take()), original_), "");
}

// "処理が終了しました。" has no owner, so the main window takes commands
// while it waits; each must see the mask already counted.
TEST_F(Editing, UndoWhileTheFinishedBoxWaitsKeepsUndoAndTheChangeCountInStep) {
  ASSERT_NO_FATAL_FAILURE(Start(Wave(1000)));
  ASSERT_NO_FATAL_FAILURE(TypeRange("0.2", "0.5"));
  PostMessageA(c_->sineButton, BM_CLICK, 0, 0);
  HWND box = belmo_.WaitMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_FALSE(belmo_.MenuGrayed(kCmdUndo)) << "the menu behind the box is not up to date";
  belmo_.Command(kCmdUndo);
  ASSERT_TRUE(belmo_.Flush());
  EXPECT_EQ(Difference(WorkingCopy(), original_), "");
  Belmo::Answer(box, IDOK);
  ASSERT_TRUE(Belmo::WaitGone(box));

  // The next Undo puts the mask back, and the exit offers to save it.
  belmo_.Command(kCmdUndo);
  ASSERT_TRUE(belmo_.Flush());
  EXPECT_EQ(Difference(WorkingCopy(), WithTone(original_, 200, 500)), "");
  belmo_.Close();
  ASSERT_NO_FATAL_FAILURE(Answer(kSaveQuestion, IDNO));
  EXPECT_TRUE(belmo_.WaitExit());
}

TEST_F(Editing, ExitWhileTheFinishedBoxWaitsOffersToSaveTheMask) {
  ASSERT_NO_FATAL_FAILURE(Start(Wave(1000)));
  ASSERT_NO_FATAL_FAILURE(TypeRange("0.2", "0.5"));
  PostMessageA(c_->sineButton, BM_CLICK, 0, 0);
  HWND box = belmo_.WaitMessageBox();
  ASSERT_NE(box, nullptr);
  belmo_.Command(kCmdExit);
  HWND question = belmo_.WaitMessageBox(5000, box);
  ASSERT_NE(question, nullptr) << "the exit did not ask to save the mask";
  EXPECT_EQ(Belmo::BoxText(question), kSaveQuestion);
  Belmo::Answer(question, IDYES);
  HWND dialog = belmo_.WaitFileDialog();
  ASSERT_NE(dialog, nullptr);
  Belmo::ChooseFile(dialog, sandbox_.Path("saved.wav"));
  EXPECT_TRUE(belmo_.WaitExit());
  EXPECT_EQ(Difference(Bytes(sandbox_.Path("saved.wav")), WithTone(original_, 200, 500)), "");
}

// A working copy left by a crash has no file behind it: it stays unsaved
// until it is saved under a name of its own.
TEST_F(Editing, RecoveredWorkingCopyMustBeSavedUnderANewName) {
  const std::vector<uint8_t> leftOver = Wave(1000, 3);
  ASSERT_TRUE(WriteFileBytes(sandbox_.Path("temp.tmp"), leftOver));
  ASSERT_TRUE(belmo_.Start(sandbox_, ""));
  HWND box = belmo_.WaitMessageBox();
  ASSERT_NE(box, nullptr);
  Belmo::Answer(box, IDOK);
  ASSERT_NE(belmo_.WaitMainWindow(), nullptr);
  c_ = std::make_unique<MainControls>(belmo_);

  belmo_.Close();
  ASSERT_NO_FATAL_FAILURE(Answer(kSaveQuestion, IDCANCEL));
  belmo_.Command(kCmdRevert);
  ExpectNothingAsked();

  belmo_.Command(kCmdSave);
  HWND dialog = belmo_.WaitFileDialog();
  ASSERT_NE(dialog, nullptr) << "Save must ask for a name";
  Belmo::ChooseFile(dialog, sandbox_.Path("temp.tmp"));
  box = belmo_.WaitMessageBox();
  ASSERT_NE(box, nullptr);
  if (Text(box) == "エラー") {  // the dialog's own overwrite question
    Belmo::Answer(box, IDYES);
    ASSERT_TRUE(Belmo::WaitGone(box));
  }
  ASSERT_NO_FATAL_FAILURE(Answer("一時ファイル(temp.tmp)には保存できません。", IDOK));
  EXPECT_EQ(Difference(WorkingCopy(), leftOver), "");

  const std::string saved = sandbox_.Path("kept.wav");
  belmo_.Command(kCmdSave);
  ASSERT_NO_FATAL_FAILURE(ChooseInFileDialog(saved));
  EXPECT_EQ(Difference(Bytes(saved), leftOver), "");
  EXPECT_EQ(Text(c_->fileNameBox), "kept.wav");
  ExitWithoutQuestion();
  EXPECT_TRUE(FileExists(saved));
}

// Posted key messages stand in for most keys. Shift+Tab is typed for real
// (SendInput), since the program asks for the Shift key's state itself;
// posted messages overtake typed ones, so once keys are typed, the rest is
// typed too or does not care about Shift.
TEST_F(Editing, KeyboardMovesFocusAndPressesButtons) {
  ASSERT_NO_FATAL_FAILURE(Start(Wave(1000)));
  MainControls& c = *c_;
  const std::pair<HWND, const char*> names[] = {
      {c.startTrackbar, "start slider"}, {c.endTrackbar, "end slider"},
      {c.startSeconds, "start box"},     {c.endSeconds, "end box"},
      {c.playButton, "play"},            {c.seekCheck, "seek check"},
      {c.seekStartRadio, "seek start"},  {c.seekRangeRadio, "seek range"},
      {c.sineButton, "sine"},            {c.voiceButton, "voice"},
      {c.fileButton, "file"}};
  auto name = [&](HWND window) -> std::string {
    for (const auto& n : names) {
      if (n.first == window) return n.second;
    }
    return "other " + ClassOf(window);
  };
  auto key = [&](UINT message, WPARAM code) {
    PostMessageA(belmo_.Focused(), message, code, 1);
    ASSERT_TRUE(belmo_.Flush());
  };
  auto tabs = [&](std::initializer_list<HWND> chain) {
    for (HWND next : chain) {
      HWND from = belmo_.Focused();
      key(WM_CHAR, VK_TAB);
      EXPECT_EQ(name(belmo_.Focused()), name(next)) << "Tab from " << name(from);
    }
  };
  auto typedTabs = [&](bool shift, std::initializer_list<HWND> chain) {
    for (HWND next : chain) {
      HWND from = belmo_.Focused();
      INPUT input[4] = {};
      const WORD keys[4] = {VK_SHIFT, VK_TAB, VK_TAB, VK_SHIFT};
      for (int i = 0; i < 4; ++i) {
        input[i].type = INPUT_KEYBOARD;
        input[i].ki.wVk = keys[i];
        input[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
      }
      // Shift down, Tab down, Tab up, Shift up; or only the middle two.
      SendInput(shift ? 4 : 2, shift ? input : input + 1, sizeof(INPUT));
      for (int waited = 0; waited < 2000 && belmo_.Focused() == from; waited += 10) Sleep(10);
      EXPECT_EQ(name(belmo_.Focused()), name(next))
          << (shift ? "Shift+Tab from " : "Tab from ") << name(from);
    }
  };

  // A click on the check box gives it the focus and lets the radio pair in.
  PostMessageA(c.seekCheck, BM_CLICK, 0, 0);
  ASSERT_TRUE(belmo_.Flush());
  ASSERT_EQ(name(belmo_.Focused()), "seek check");
  tabs({c.seekStartRadio, c.sineButton, c.voiceButton, c.fileButton, c.startTrackbar,
        c.endTrackbar, c.startSeconds, c.endSeconds, c.playButton, c.seekCheck});

  // Enter on the check box toggles it; the radio pair leaves the chain.
  key(WM_KEYDOWN, VK_RETURN);
  EXPECT_EQ(Send(c.seekCheck, BM_GETCHECK), BST_UNCHECKED);
  EXPECT_FALSE(Enabled(c.seekStartRadio));
  EXPECT_FALSE(Enabled(c.seekRangeRadio));
  tabs({c.sineButton, c.voiceButton, c.fileButton, c.startTrackbar, c.endTrackbar,
        c.startSeconds, c.endSeconds, c.playButton, c.seekCheck});
  key(WM_KEYDOWN, VK_RETURN);
  EXPECT_EQ(Send(c.seekCheck, BM_GETCHECK), BST_CHECKED);
  EXPECT_TRUE(Enabled(c.seekStartRadio));
  EXPECT_TRUE(Enabled(c.seekRangeRadio));
  tabs({c.seekStartRadio});

  // Either arrow hands the choice to the other radio button.
  key(WM_KEYDOWN, VK_RIGHT);
  EXPECT_EQ(name(belmo_.Focused()), "seek range");
  EXPECT_EQ(Send(c.seekRangeRadio, BM_GETCHECK), BST_CHECKED);
  EXPECT_EQ(Send(c.seekStartRadio, BM_GETCHECK), BST_UNCHECKED);
  key(WM_KEYDOWN, VK_LEFT);
  EXPECT_EQ(name(belmo_.Focused()), "seek start");
  EXPECT_EQ(Send(c.seekStartRadio, BM_GETCHECK), BST_CHECKED);
  key(WM_KEYDOWN, VK_RIGHT);
  tabs({c.sineButton});

  SetForegroundWindow(belmo_.Main());
  typedTabs(true, {c.seekRangeRadio, c.seekCheck, c.playButton, c.endSeconds, c.startSeconds,
                   c.endTrackbar, c.startTrackbar, c.fileButton, c.voiceButton, c.sineButton});

  // Enter on the sine button runs the mask.
  key(WM_KEYDOWN, VK_RETURN);
  ASSERT_NO_FATAL_FAILURE(Answer(kFinished, IDOK));
  EXPECT_EQ(Difference(WorkingCopy(), WithTone(original_, 0, 1000)), "");

  // Without the radio pair, Shift+Tab from the sine button goes straight
  // to the check box.
  PostMessageA(c.seekCheck, BM_CLICK, 0, 0);
  ASSERT_TRUE(belmo_.Flush());
  ASSERT_EQ(Send(c.seekCheck, BM_GETCHECK), BST_UNCHECKED);
  SetForegroundWindow(belmo_.Main());
  typedTabs(false, {c.sineButton});
  typedTabs(true, {c.seekCheck});
}
