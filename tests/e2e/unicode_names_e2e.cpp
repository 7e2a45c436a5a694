// Recordings whose names hold characters code page 932 has no place for (a
// colleague's Hangul, a rarer kanji outside the basic plane, an accent and
// an emoji), in both programs: opened from the command line and by Open,
// masked, saved under the same and a new name, handed over by a second start, kept as the overwrite source in
// settings.ini, and given to belmo-mask.exe.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/driver.h"
#include "window/command_ids.h"

using namespace e2e;
using namespace belmo;

namespace {

const wchar_t* const kNames[] = {L"녹음_인터뷰.wav", L"𠮷野_会議.wav", L"café 🎤.wav"};
const std::string kFinished = "処理が終了しました。";

std::wstring Wide(const std::string& text, UINT codePage = CP_ACP) {
  std::wstring wide(text.size() + 1, L'\0');
  const int length = MultiByteToWideChar(codePage, 0, text.c_str(), -1, wide.data(),
                                         static_cast<int>(wide.size()));
  wide.resize(length > 0 ? length - 1 : 0);
  return wide;
}

std::string Utf8(const std::wstring& wide) {
  std::string text(wide.size() * 4 + 1, '\0');
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, text.data(),
                                         static_cast<int>(text.size()), nullptr, nullptr);
  text.resize(length > 0 ? length - 1 : 0);
  return text;
}

bool WriteWide(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                            nullptr) && written == bytes.size();
  return CloseHandle(file) && ok;
}

std::vector<uint8_t> ReadWide(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  bytes.resize(GetFileSize(file, nullptr));
  DWORD got = 0;
  if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) got = 0;
  bytes.resize(got);
  CloseHandle(file);
  return bytes;
}

std::wstring WideText(HWND window) {
  wchar_t text[1024] = {};
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 5000, &ignored);
  return text;
}

void AnswerFinished(Belmo& belmo) {
  HWND box = belmo.WaitMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(Belmo::BoxText(box), kFinished);
  Belmo::Answer(box, IDOK);
  ASSERT_TRUE(belmo.Flush());
}

// Types the path into the program's file dialog, through the wide
// message, and confirms it.
void ChooseInFileDialog(Belmo& belmo, const std::wstring& path) {
  HWND dialog = belmo.WaitFileDialog();
  ASSERT_NE(dialog, nullptr);
  SendMessageW(GetDlgItem(dialog, 0x47C), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(Belmo::WaitGone(dialog));
  ASSERT_TRUE(belmo.Flush());
  EXPECT_EQ(belmo.WaitMessageBox(0), nullptr);
}

std::wstring CommandLineFor(const Sandbox& sandbox, const std::wstring& file) {
  return L"\"" + Wide(sandbox.ExePath()) + L"\" \"" + file + L"\"";
}

// The program shows the file as open under its name, masks it and saves it
// in place; *workingCopy is the masked image.
void ExpectOpenedMaskedAndSaved(Belmo& belmo, const Sandbox& sandbox, const std::wstring& name,
                                const std::wstring& path, const std::vector<uint8_t>& original,
                                std::vector<uint8_t>* workingCopy) {
  MainControls c(belmo);
  EXPECT_EQ(WideText(c.fileNameBox), name);
  EXPECT_EQ(Text(c.infoBox), "停止中");
  PostMessageA(c.sineButton, BM_CLICK, 0, 0);
  ASSERT_NO_FATAL_FAILURE(AnswerFinished(belmo));
  ASSERT_TRUE(ReadFileBytes(sandbox.Path("temp.tmp"), workingCopy));
  EXPECT_NE(*workingCopy, original);
  belmo.Command(kCmdSave);
  ASSERT_TRUE(belmo.Flush());
  EXPECT_EQ(belmo.WaitMessageBox(0), nullptr);
  EXPECT_EQ(ReadWide(path), *workingCopy);
}

TEST(UnicodeNames, OpenMaskSaveAndSaveAsKeepTheNameAsItIs) {
  int i = 0;
  for (const wchar_t* name : kNames) {
    SCOPED_TRACE(Utf8(name));
    Sandbox sandbox("unicode-" + std::to_string(i++));
    const std::wstring dir = Wide(sandbox.Dir());
    const std::wstring path = dir + L"\\" + name;
    const std::vector<uint8_t> original = OneSecondWave();
    ASSERT_TRUE(WriteWide(path, original));

    Belmo belmo;
    ASSERT_TRUE(belmo.StartRaw(CommandLineFor(sandbox, path), dir));
    ASSERT_NE(belmo.WaitMainWindow(), nullptr);
    ASSERT_TRUE(belmo.Flush());
    MainControls c(belmo);
    std::vector<uint8_t> workingCopy;
    ASSERT_NO_FATAL_FAILURE(
        ExpectOpenedMaskedAndSaved(belmo, sandbox, name, path, original, &workingCopy));

    const std::wstring copyName = std::wstring(L"コピー ") + name;
    belmo.Command(kCmdSaveAs);
    const std::wstring copyPath = dir + L"\\" + copyName;
    ASSERT_NO_FATAL_FAILURE(ChooseInFileDialog(belmo, copyPath));
    EXPECT_EQ(ReadWide(copyPath), workingCopy);
    EXPECT_EQ(WideText(c.fileNameBox), copyName);

    // Open takes such a name as well.
    ASSERT_TRUE(WriteWide(path, original));
    belmo.Command(kCmdOpen);
    ASSERT_NO_FATAL_FAILURE(ChooseInFileDialog(belmo, path));
    EXPECT_EQ(WideText(c.fileNameBox), name);
    ASSERT_TRUE(ReadFileBytes(sandbox.Path("temp.tmp"), &workingCopy));
    EXPECT_EQ(workingCopy, original);

    belmo.Close();
    ASSERT_TRUE(belmo.WaitExit());
  }
}

TEST(UnicodeNames, ASecondStartHandsSuchANameToTheFirst) {
  Sandbox sandbox("unicode-hand-over");
  const std::wstring dir = Wide(sandbox.Dir());
  const std::wstring path = dir + L"\\" + kNames[1];
  ASSERT_TRUE(WriteWide(path, OneSecondWave()));
  Belmo first;
  ASSERT_TRUE(first.Start(sandbox, ""));
  ASSERT_NE(first.WaitMainWindow(), nullptr);
  Belmo second;
  ASSERT_TRUE(second.StartRaw(CommandLineFor(sandbox, path), dir));
  ASSERT_TRUE(second.WaitExit());
  MainControls c(first);
  for (int waited = 0; waited < 5000 && WideText(c.fileNameBox) != kNames[1]; waited += 50) {
    Sleep(50);
  }
  EXPECT_EQ(WideText(c.fileNameBox), kNames[1]);
  EXPECT_EQ(Text(c.infoBox), "停止中");
  first.Close();
  ASSERT_TRUE(first.WaitExit());
}

// The source's path cannot stand in the ninth line, so it rides on the
// eleventh; the mask finds it there, and the file is written back as read.
TEST(UnicodeNames, OverwriteSourceOfSuchANameRoundTripsThroughSettingsIni) {
  Sandbox sandbox("unicode-settings");
  const std::wstring source = Wide(sandbox.Dir()) + L"\\" + kNames[2];
  std::vector<uint8_t> sourceSamples(8000 * 2, 0x11);
  ASSERT_TRUE(WriteWide(source, PcmWave(1, 8000, 16, sourceSamples)));
  const std::string settings =
      "[Settings]\r\nSinHz=1000\r\nSindB=-10\r\nPitchUpType=0\r\nVoicePitch=2\r\n"
      "VoiceSample=100\r\nFFTSample=3\r\nOverWriteFilePath=\r\nOverWriteType=1\r\n"
      "ShowWaveform=0\r\nOverWriteFileUTF8=" + Utf8(source) + "\r\n";
  ASSERT_TRUE(WriteFileBytes(sandbox.Path("settings.ini"),
                             std::vector<uint8_t>(settings.begin(), settings.end())));
  const std::string take = sandbox.Path("take.wav");
  ASSERT_TRUE(WriteFileBytes(take, OneSecondWave()));

  Belmo belmo;
  ASSERT_TRUE(belmo.Start(sandbox, " \"" + take + "\""));
  ASSERT_NE(belmo.WaitMainWindow(), nullptr);
  ASSERT_TRUE(belmo.Flush());
  MainControls c(belmo);
  PostMessageA(c.fileButton, BM_CLICK, 0, 0);
  ASSERT_NO_FATAL_FAILURE(AnswerFinished(belmo));
  std::vector<uint8_t> workingCopy;
  ASSERT_TRUE(ReadFileBytes(sandbox.Path("temp.tmp"), &workingCopy));
  ASSERT_EQ(workingCopy.size(), 44u + sourceSamples.size());
  EXPECT_EQ(std::vector<uint8_t>(workingCopy.begin() + 44, workingCopy.end()), sourceSamples);

  belmo.Close();
  HWND question = belmo.WaitMessageBox();
  ASSERT_NE(question, nullptr);
  Belmo::Answer(question, IDNO);
  ASSERT_TRUE(belmo.WaitExit());
  std::vector<uint8_t> written;
  ASSERT_TRUE(ReadFileBytes(sandbox.Path("settings.ini"), &written));
  EXPECT_EQ(std::string(written.begin(), written.end()), settings);
}

// The machine's opt-in to paths past MAX_PATH, for the length of a test.
class LongPathsEnabled {
 public:
  LongPathsEnabled() {
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key_,
                    nullptr);
    const DWORD one = 1;
    RegSetValueExW(key_, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
  }
  ~LongPathsEnabled() {
    RegDeleteValueW(key_, kValue);
    RegCloseKey(key_);
  }

 private:
  static constexpr const wchar_t* kKey = L"SYSTEM\\CurrentControlSet\\Control\\FileSystem";
  static constexpr const wchar_t* kValue = L"LongPathsEnabled";
  HKEY key_ = nullptr;
};

// Where the machine takes paths past 259 characters, so does the program:
// opened from the command line, masked, saved and saved under a new name.
TEST(UnicodeNames, PathsPast259CharactersOpenWhereTheSystemTakesThem) {
  Sandbox sandbox("unicode-long");
  std::wstring deep = Wide(sandbox.Dir());
  while (deep.size() < 300) {
    deep += L"\\녹음 폴더 recordings of the interview 2026";
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr));
  }
  const std::wstring path = deep + L"\\" + kNames[1];
  ASSERT_GT(path.size(), 300u);
  const std::vector<uint8_t> original = OneSecondWave();
  ASSERT_TRUE(WriteWide(L"\\\\?\\" + path, original));
  LongPathsEnabled allowed;

  Belmo belmo;
  ASSERT_TRUE(belmo.StartRaw(CommandLineFor(sandbox, path), Wide(sandbox.Dir())));
  ASSERT_NE(belmo.WaitMainWindow(), nullptr);
  ASSERT_TRUE(belmo.Flush());
  EXPECT_EQ(belmo.WaitMessageBox(0), nullptr);
  std::vector<uint8_t> workingCopy;
  ASSERT_NO_FATAL_FAILURE(ExpectOpenedMaskedAndSaved(belmo, sandbox, kNames[1],
                                                     L"\\\\?\\" + path, original, &workingCopy));
  belmo.Close();
  ASSERT_TRUE(belmo.WaitExit());
}

// The working copy and settings.ini lie beside the program, whose folder
// may have such a name too.
TEST(UnicodeNames, ProgramFolderOfSuchANameHoldsTheWorkingCopyAndSettings) {
  Sandbox sandbox("unicode-folder");
  const std::wstring folder = Wide(sandbox.Dir()) + L"\\프로그램 𠮷 🎤";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(
      CopyFileW(Wide(sandbox.ExePath()).c_str(), (folder + L"\\belmo.exe").c_str(), FALSE));
  const std::wstring take = folder + L"\\" + kNames[2];
  ASSERT_TRUE(WriteWide(take, OneSecondWave()));

  Belmo belmo;
  ASSERT_TRUE(belmo.StartRaw(L"\"" + folder + L"\\belmo.exe\" \"" + take + L"\"", folder));
  ASSERT_NE(belmo.WaitMainWindow(), nullptr);
  ASSERT_TRUE(belmo.Flush());
  MainControls c(belmo);
  EXPECT_EQ(Text(c.infoBox), "停止中");
  EXPECT_EQ(ReadWide(folder + L"\\temp.tmp"), OneSecondWave());
  belmo.Close();
  ASSERT_TRUE(belmo.WaitExit());
  EXPECT_TRUE(ReadWide(folder + L"\\temp.tmp").empty());
  const std::vector<uint8_t> settings = ReadWide(folder + L"\\settings.ini");
  EXPECT_EQ(std::string(settings.begin(), settings.end()).rfind("[Settings]\r\n", 0), 0u);
}

// belmo-mask.exe takes the names from its wide command line, and names
// them as they are in its messages (UTF-8 when redirected).
TEST(UnicodeNames, BelmoMaskTakesAndNamesThem) {
  Sandbox sandbox("unicode-mask");
  const std::wstring dir = Wide(sandbox.Dir());
  const std::wstring errors = dir + L"\\errors.txt";
  auto run = [&](const std::wstring& arguments) { return RunMaskTool(arguments, errors); };
  // Past 259 characters too: the system takes such a path with its
  // long-path prefix.
  std::wstring deep = dir;
  while (deep.size() < 260) {
    deep += L"\\녹음 폴더 recordings of the interview 2026";
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr));
  }
  const std::wstring cases[][2] = {
      {dir, kNames[0]}, {dir, kNames[1]}, {dir, kNames[2]}, {deep, L"take.wav"}};
  for (const auto& [folder, name] : cases) {
    SCOPED_TRACE(Utf8(folder + L"\\" + name));
    const std::wstring in = L"\\\\?\\" + folder + L"\\" + name;
    const std::wstring out = folder + L"\\masked " + name;
    const std::vector<uint8_t> original = OneSecondWave();
    ASSERT_TRUE(WriteWide(in, original));
    EXPECT_EQ(run(L"sine \"" + in.substr(4) + L"\" \"" + out + L"\" --start 0.1 --end 0.2"), 0);
    const std::vector<uint8_t> masked = ReadWide(L"\\\\?\\" + out);
    EXPECT_EQ(masked.size(), original.size());
    EXPECT_NE(masked, original);

    const std::wstring missing = folder + L"\\missing " + name;
    EXPECT_NE(run(L"sine \"" + missing + L"\" \"" + out + L"\""), 0);
    const std::vector<uint8_t> message = ReadWide(errors);
    EXPECT_NE(std::string(message.begin(), message.end()).find(Utf8(missing)), std::string::npos)
        << std::string(message.begin(), message.end());
    EXPECT_EQ(ReadWide(L"\\\\?\\" + out), masked)
        << "a refused run must leave the output as it was";
  }
}

}  // namespace
