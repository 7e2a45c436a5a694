// The voice change and the file overwrite as the user runs them, and the
// same masks from belmo-mask.exe: every result must be exactly what the
// core computes for the same file and settings.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "document/platform.h"
#include "document/wave_format.h"
#include "effects/file_overwrite.h"
#include "effects/sine_overwrite.h"
#include "effects/voice_change_fft.h"
#include "effects/voice_change_simple.h"
#include "settings/mask_settings.h"
#include "tests/e2e/driver.h"
#include "window/command_ids.h"

using namespace e2e;
using namespace belmo;

namespace {

using Bytes = std::vector<uint8_t>;

// One second at 8 kHz, 16-bit mono, a voice-like mix of two tones.
Bytes Take() {
  Bytes samples;
  for (int i = 0; i < 8000; ++i) {
    int v = static_cast<int>(9000 * std::sin(i * 0.07) + 4000 * std::sin(i * 0.31));
    samples.push_back(static_cast<uint8_t>(v));
    samples.push_back(static_cast<uint8_t>(v >> 8));
  }
  return PcmWave(1, 8000, 16, samples);
}

// A short 8-bit 11025 Hz source: converted to the take's format when used.
Bytes Source() {
  Bytes samples;
  for (int i = 0; i < 2000; ++i) samples.push_back(static_cast<uint8_t>(128 + (i % 50) * 2));
  return PcmWave(1, 11025, 8, samples);
}

// The take as the program reads it.
WaveFormat TakeFormat() {
  const Bytes take = Take();
  WaveFormat format;
  InspectWaveImage(take.data(), take.size(), &format);
  return format;
}

const WaveFormat kTakeLayout = TakeFormat();

Bytes FileBytes(const std::string& path) {
  Bytes bytes;
  ReadFileBytes(path, &bytes);
  return bytes;
}

void WriteSettings(const Sandbox& sandbox, const MaskSettings& settings) {
  std::string text = FormatSettingsText(settings);
  ASSERT_TRUE(WriteFileBytes(sandbox.Path("settings.ini"), Bytes(text.begin(), text.end())));
}

// Starts the program on take.wav with these settings and presses a mask
// button; returns the message box it answered with.
std::string PressMask(Belmo& belmo, const Sandbox& sandbox, const MaskSettings& settings,
                      HWND MainControls::*button) {
  WriteSettings(sandbox, settings);
  EXPECT_TRUE(WriteFileBytes(sandbox.Path("take.wav"), Take()));
  EXPECT_TRUE(belmo.Start(sandbox, " \"" + sandbox.Path("take.wav") + "\""));
  EXPECT_NE(belmo.WaitMainWindow(), nullptr);
  MainControls controls(belmo);
  PostMessageA(controls.*button, BM_CLICK, 0, 0);
  HWND box = belmo.WaitMessageBox();
  if (!box) return "<no message>";
  std::string text = Belmo::BoxText(box);
  Belmo::Answer(box, IDOK);
  belmo.Flush();
  return text;
}

// The range typed into the seconds boxes, a character at a time.
void TypeRange(const MainControls& controls, const char* start, const char* end) {
  for (auto [box, text] : {std::pair{controls.startSeconds, start}, {controls.endSeconds, end}}) {
    Send(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    for (const char* ch = text; *ch != '\0'; ++ch) PostMessageA(box, WM_CHAR, *ch, 0);
  }
}

void CloseWithoutSaving(Belmo& belmo) {
  belmo.Close();
  if (HWND question = belmo.WaitMessageBox(2000)) Belmo::Answer(question, IDNO);
  EXPECT_TRUE(belmo.WaitExit());
}

TEST(Masks, VoiceChangeAndFileOverwriteWriteWhatTheCoreComputes) {
  struct Case {
    const char* name;
    MaskSettings settings;
    HWND MainControls::*button;
  };
  MaskSettings simple;
  simple.VoicePitch = 1.5;
  simple.VoiceSample = 40;
  MaskSettings fft;
  fft.PitchUpType = 1;
  fft.VoicePitch = 0.75;
  fft.FFTSample = 1;
  MaskSettings once;
  MaskSettings loop;
  loop.OverWriteType = kOverwriteContinuous;
  const Case cases[] = {{"simple", simple, &MainControls::voiceButton},
                        {"fft", fft, &MainControls::voiceButton},
                        {"once", once, &MainControls::fileButton},
                        {"loop", loop, &MainControls::fileButton}};
  for (Case c : cases) {
    SCOPED_TRACE(c.name);
    Sandbox sandbox(std::string("masks-") + c.name);
    ASSERT_TRUE(WriteFileBytes(sandbox.Path("source.wav"), Source()));
    c.settings.OverWriteFilePath = sandbox.Path("source.wav");
    Belmo belmo;
    EXPECT_EQ(PressMask(belmo, sandbox, c.settings, c.button), "処理が終了しました。");

    Bytes expected = Take();
    UndoRecord undo;
    TwiddleTables tables;
    StdFileStore files;
    if (c.button == &MainControls::fileButton) {
      ApplyFileOverwrite(expected, kTakeLayout, 0, 1.0, c.settings.OverWriteFilePath,
                         c.settings.OverWriteType, files, undo);
    } else if (c.settings.PitchUpType != 0) {
      ApplyVoiceChangeFft(expected, kTakeLayout, 0, 1.0, c.settings.VoicePitch,
                          c.settings.FFTSample, tables, undo);
    } else {
      ApplyVoiceChangeSimple(expected, kTakeLayout, 0, 1.0, c.settings.VoicePitch,
                             c.settings.VoiceSample, undo);
    }
    EXPECT_TRUE(FileBytes(sandbox.Path("temp.tmp")) == expected);
    EXPECT_TRUE(FileBytes(sandbox.Path("temp.tmp")) != Take());
    EXPECT_FALSE(belmo.MenuGrayed(kCmdUndo));
    CloseWithoutSaving(belmo);
  }
}

// At 8 kHz mono a frame of N = 4096 lasts a second: a name masked over
// 0.8 s must still be changed, to its very end.
TEST(Masks, FftVoiceChangeMasksARangeShorterThanOneFrame) {
  Sandbox sandbox("masks-fft-short");
  MaskSettings fft;
  fft.PitchUpType = 1;
  fft.FFTSample = 3;
  WriteSettings(sandbox, fft);
  ASSERT_TRUE(WriteFileBytes(sandbox.Path("take.wav"), Take()));
  Belmo belmo;
  ASSERT_TRUE(belmo.Start(sandbox, " \"" + sandbox.Path("take.wav") + "\""));
  ASSERT_NE(belmo.WaitMainWindow(), nullptr);
  MainControls controls(belmo);
  TypeRange(controls, "0.1", "0.9");
  ASSERT_TRUE(belmo.Flush());
  PostMessageA(controls.voiceButton, BM_CLICK, 0, 0);
  HWND box = belmo.WaitMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(Belmo::BoxText(box), "処理が終了しました。");
  Belmo::Answer(box, IDOK);
  belmo.Flush();

  Bytes expected = Take();
  UndoRecord undo;
  TwiddleTables tables;
  ApplyVoiceChangeFft(expected, kTakeLayout, 0.1, 0.9, fft.VoicePitch, 3, tables, undo);
  const Bytes masked = FileBytes(sandbox.Path("temp.tmp"));
  EXPECT_TRUE(masked == expected);
  // The last 10 ms of the range (80 samples) are no longer the take's.
  const Bytes take = Take();
  const size_t end = 44 + 2 * 7200;
  EXPECT_FALSE(std::equal(take.begin() + end - 160, take.begin() + end, masked.begin() + end - 160));
  EXPECT_TRUE(std::equal(take.begin() + end, take.end(), masked.begin() + end));
  CloseWithoutSaving(belmo);
}

// A field recorder's file: 24-bit stereo broadcast WAVE, its "bext" and
// "JUNK" before the format, a title after the data. It opens, the tone
// masks the range at the format's own full scale, and Save As writes every
// other byte as it was.
Bytes BroadcastWave24() {
  auto le = [](Bytes& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
  };
  auto chunk = [&](Bytes& out, const char* id, const Bytes& body) {
    out.insert(out.end(), id, id + 4);
    le(out, static_cast<uint32_t>(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
  };
  Bytes bext(602, 0);
  const char description[] = "Interview 2026-12-07, metadata follows";
  std::copy(description, description + sizeof description - 1, bext.begin());
  Bytes fmt;
  le(fmt, 1, 2);
  le(fmt, 2, 2);
  le(fmt, 48000, 4);
  le(fmt, 48000 * 6, 4);
  le(fmt, 6, 2);
  le(fmt, 24, 2);
  Bytes data;
  for (int i = 0; i < 48000; ++i) {
    const auto v = static_cast<int32_t>(4000000 * std::sin(i * 0.05));
    le(data, static_cast<uint32_t>(v), 3);
    le(data, static_cast<uint32_t>(-v), 3);
  }
  Bytes body{'W', 'A', 'V', 'E'};
  chunk(body, "bext", bext);
  chunk(body, "JUNK", Bytes(28, 0));
  chunk(body, "fmt ", fmt);
  chunk(body, "data", data);
  chunk(body, "LIST", Bytes{'I', 'N', 'F', 'O', 'I', 'N', 'A', 'M', 2, 0, 0, 0, 'A', 0});
  Bytes file{'R', 'I', 'F', 'F'};
  le(file, static_cast<uint32_t>(body.size()), 4);
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

TEST(Masks, BroadcastWave24OpensMasksAndSavesAsItWas) {
  Sandbox sandbox("masks-bwf24");
  WriteSettings(sandbox, MaskSettings{});
  const Bytes original = BroadcastWave24();
  ASSERT_TRUE(WriteFileBytes(sandbox.Path("field.wav"), original));
  Belmo belmo;
  ASSERT_TRUE(belmo.Start(sandbox, " \"" + sandbox.Path("field.wav") + "\""));
  ASSERT_NE(belmo.WaitMainWindow(), nullptr);
  MainControls controls(belmo);
  ASSERT_EQ(Text(controls.infoBox), "停止中") << "the file did not open";
  EXPECT_EQ(Text(controls.endSeconds), "1.000");
  TypeRange(controls, "0.25", "0.5");
  ASSERT_TRUE(belmo.Flush());
  PostMessageA(controls.sineButton, BM_CLICK, 0, 0);
  HWND box = belmo.WaitMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(Belmo::BoxText(box), "処理が終了しました。");
  Belmo::Answer(box, IDOK);
  belmo.Flush();

  belmo.Command(kCmdSaveAs);
  HWND dialog = belmo.WaitFileDialog();
  ASSERT_NE(dialog, nullptr);
  Belmo::ChooseFile(dialog, sandbox.Path("masked.wav"));
  ASSERT_TRUE(Belmo::WaitGone(dialog));
  ASSERT_TRUE(belmo.Flush());

  Bytes expected = original;
  WaveFormat format;
  ASSERT_EQ(InspectWaveImage(expected.data(), expected.size(), &format), WaveCheck::Ok);
  UndoRecord undo;
  ASSERT_EQ(ApplySineOverwrite(expected, format, 0.25, 0.5, -10, 1000, undo), MaskOutcome::Applied);
  const Bytes saved = FileBytes(sandbox.Path("masked.wav"));
  EXPECT_TRUE(saved == expected);
  // Only the 0.25 s of samples changed; the tone is 0.316 of 24-bit full scale.
  const size_t start = static_cast<size_t>(format.DataStart()) + 6 * 12000;
  EXPECT_TRUE(std::equal(original.begin(), original.begin() + start, saved.begin()));
  EXPECT_TRUE(std::equal(original.begin() + start + 6 * 12000, original.end(),
                         saved.begin() + start + 6 * 12000));
  int32_t peak = 0;
  for (size_t at = start; at < start + 6 * 12000; at += 3) {
    const int32_t v = static_cast<int32_t>(static_cast<uint32_t>(saved[at]) << 8 |
                                           static_cast<uint32_t>(saved[at + 1]) << 16 |
                                           static_cast<uint32_t>(saved[at + 2]) << 24) / 256;
    peak = std::max(peak, v < 0 ? -v : v);
  }
  EXPECT_NEAR(peak / 8388607.0, 0.316, 0.005);
  Screenshot(belmo.Main(), "main-window-24bit");
  belmo.Close();
  EXPECT_TRUE(belmo.WaitExit());
}

// The identity of a file on its volume: the same after a write into it,
// another after it has been replaced by a new file.
uint64_t FileIdentity(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  BY_HANDLE_FILE_INFORMATION info = {};
  const bool known = file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &info);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return known ? (uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow) : 0;
}

// Two minutes of 44.1 kHz stereo: a mask of one second and its Undo and
// redo are written into the working copy where they changed it, not as a
// new copy of 21 MB, and the copy holds the image after each. The
// recording is read-only: the copy the system makes of it must not be.
TEST(Masks, EditsArePatchedIntoTheWorkingCopy) {
  Sandbox sandbox("masks-patched");
  WriteSettings(sandbox, MaskSettings{});
  Bytes samples(static_cast<size_t>(44100) * 4 * 120);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i * 131 >> 3);
  const Bytes original = PcmWave(2, 44100, 16, samples);
  ASSERT_TRUE(WriteFileBytes(sandbox.Path("long.wav"), original));
  ASSERT_TRUE(SetFileAttributesA(sandbox.Path("long.wav").c_str(), FILE_ATTRIBUTE_READONLY));
  Belmo belmo;
  ASSERT_TRUE(belmo.Start(sandbox, " \"" + sandbox.Path("long.wav") + "\""));
  ASSERT_NE(belmo.WaitMainWindow(), nullptr);
  MainControls controls(belmo);
  TypeRange(controls, "60", "61");
  ASSERT_TRUE(belmo.Flush());
  const std::string copy = sandbox.Path("temp.tmp");
  const uint64_t identity = FileIdentity(copy);
  ASSERT_NE(identity, 0u);

  PostMessageA(controls.sineButton, BM_CLICK, 0, 0);
  HWND box = belmo.WaitMessageBox();
  ASSERT_NE(box, nullptr);
  Belmo::Answer(box, IDOK);
  ASSERT_TRUE(belmo.Flush());
  Bytes masked = original;
  WaveFormat format;
  ASSERT_EQ(InspectWaveImage(masked.data(), masked.size(), &format), WaveCheck::Ok);
  UndoRecord undo;
  ASSERT_EQ(ApplySineOverwrite(masked, format, 60, 61, -10, 1000, undo), MaskOutcome::Applied);
  EXPECT_TRUE(FileBytes(copy) == masked);
  belmo.Command(kCmdUndo);
  ASSERT_TRUE(belmo.Flush());
  EXPECT_TRUE(FileBytes(copy) == original);
  belmo.Command(kCmdUndo);
  ASSERT_TRUE(belmo.Flush());
  EXPECT_TRUE(FileBytes(copy) == masked);
  EXPECT_EQ(FileIdentity(copy), identity) << "the working copy was written anew";
  EXPECT_FALSE(FileExists(copy + ".journal"));
  EXPECT_EQ(GetFileAttributesA(copy.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  CloseWithoutSaving(belmo);
  EXPECT_FALSE(FileExists(copy));
  SetFileAttributesA(sandbox.Path("long.wav").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(Masks, OverwriteFileThatCannotBeUsedChangesNothing) {
  Bytes floatSource = Source();
  floatSource[20] = 3;
  struct Case {
    const char* name;
    bool withPath;
    const char* message;
  };
  const Case cases[] = {{"no-path", false, "上書き用ファイルが選択されていません。"},
                        {"float", true, "この形式のWAVファイルには対応していません。"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Sandbox sandbox(std::string("masks-refused-") + c.name);
    ASSERT_TRUE(WriteFileBytes(sandbox.Path("float.wav"), floatSource));
    MaskSettings settings;
    if (c.withPath) settings.OverWriteFilePath = sandbox.Path("float.wav");
    Belmo belmo;
    EXPECT_EQ(PressMask(belmo, sandbox, settings, &MainControls::fileButton), c.message);
    EXPECT_EQ(belmo.WaitMessageBox(500), nullptr) << "no completion message after a refusal";
    EXPECT_TRUE(FileBytes(sandbox.Path("temp.tmp")) == Take());
    EXPECT_TRUE(belmo.MenuGrayed(kCmdUndo));
    belmo.Close();
    EXPECT_TRUE(belmo.WaitExit()) << "a refused mask must not count as a change";
  }
}

TEST(MaskCommandLine, RunsTheSameMasksOnWindows) {
  Sandbox sandbox("mask-tool");
  const std::string take = sandbox.Path("take.wav");
  const std::string source = sandbox.Path("source.wav");
  ASSERT_TRUE(WriteFileBytes(take, Take()));
  ASSERT_TRUE(WriteFileBytes(source, Source()));
  // Written over, a file keeps its attributes, as the program's Save does.
  ASSERT_TRUE(SetFileAttributesA(take.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  // A file of the user's at the name the result is written under first is
  // neither written over nor removed: the run takes the next free name.
  const Bytes users = Source();
  ASSERT_TRUE(WriteFileBytes(take + ".belmo-new", users));

  // Each run writes over its own input, so the masks add up.
  ASSERT_EQ(RunMaskTool("sine \"" + take + "\" \"" + take + "\" --start 0.1 --end 0.2 --hz 440"), 0);
  ASSERT_EQ(RunMaskTool("voice \"" + take + "\" \"" + take +
                        "\" --start 0.2 --end 0.6 --method fft --fft-size 512 --ratio 1.25"),
            0);
  ASSERT_EQ(RunMaskTool("file \"" + take + "\" \"" + take + "\" --start 0.6 --source \"" +
                        source + "\" --mode loop"),
            0);
  Bytes expected = Take();
  UndoRecord undo;
  TwiddleTables tables;
  StdFileStore files;
  ApplySineOverwrite(expected, kTakeLayout, 0.1, 0.2, -10, 440, undo);
  ApplyVoiceChangeFft(expected, kTakeLayout, 0.2, 0.6, 1.25, 0, tables, undo);
  ApplyFileOverwrite(expected, kTakeLayout, 0.6, 1.0, source, kOverwriteContinuous, files, undo);
  EXPECT_TRUE(FileBytes(take) == expected);
  EXPECT_TRUE(IsHidden(take));
  EXPECT_TRUE(FileBytes(take + ".belmo-new") == users);
  EXPECT_FALSE(FileExists(take + ".belmo-new1"));

  EXPECT_EQ(RunMaskTool("sine \"" + take + "\" \"" + sandbox.Path("out.wav") +
                        "\" --start 0.9 --end 0.8"),
            2);
  EXPECT_FALSE(FileExists(sandbox.Path("out.wav")));
}

// Standard input and output carry the WAVE untouched: in text mode a
// 0x1A byte would end the input and every 0x0A would go out as CR LF.
// Several ranges come from a label file with CR LF lines; the messages go
// to standard error only.
TEST(MaskCommandLine, PipesAndLabelFilesOnWindows) {
  Sandbox sandbox("mask-tool-streams");
  const Bytes take = Take();
  ASSERT_NE(std::find(take.begin(), take.end(), 0x1A), take.end());
  ASSERT_NE(std::find(take.begin(), take.end(), 0x0A), take.end());
  ASSERT_TRUE(WriteFileBytes(sandbox.Path("take.wav"), take));
  const std::string labels = "0.1\t0.2\tone\r\n0.15\t0.3\ttwo\r\n0.6\t0.7\tthree\r\n";
  ASSERT_TRUE(WriteFileBytes(sandbox.Path("labels.txt"), Bytes(labels.begin(), labels.end())));

  ASSERT_EQ(RunMaskTool("voice - - --method fft --fft-size 512 --ratio 1.25 --ranges \"" +
                            sandbox.Path("labels.txt") + "\"",
                        sandbox.Path("take.wav"), sandbox.Path("out.wav"), sandbox.Path("err.txt")),
            0);
  Bytes expected = take;
  UndoRecord undo;
  TwiddleTables tables;
  ApplyVoiceChangeFft(expected, kTakeLayout, 0.1, 0.3, 1.25, 0, tables, undo);
  ApplyVoiceChangeFft(expected, kTakeLayout, 0.6, 0.7, 1.25, 0, tables, undo);
  EXPECT_TRUE(FileBytes(sandbox.Path("out.wav")) == expected);
  const Bytes err = FileBytes(sandbox.Path("err.txt"));
  const std::string messages(err.begin(), err.end());
  EXPECT_NE(messages.find("  0.100-0.300\r\n  0.600-0.700\r\n"), std::string::npos) << messages;

  // Refused: nothing on standard output, the reason on standard error.
  EXPECT_EQ(RunMaskTool("sine - - --db 10", sandbox.Path("take.wav"), sandbox.Path("out.wav"),
                        sandbox.Path("err.txt")),
            2);
  EXPECT_TRUE(FileBytes(sandbox.Path("out.wav")).empty());
  const Bytes refusal = FileBytes(sandbox.Path("err.txt"));
  EXPECT_EQ(std::string(refusal.begin(), refusal.end()).rfind("belmo-mask: ", 0), 0u);
}

}  // namespace
