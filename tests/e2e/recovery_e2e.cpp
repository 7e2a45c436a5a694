// A run that dies after an edit loses nothing: the next start opens the
// working copy it left, with the edit in it, and treats it as unsaved.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/driver.h"
#include "window/command_ids.h"

using namespace e2e;
using namespace belmo;

TEST(Recovery, MaskedWorkingCopySurvivesAKilledProgram) {
  Sandbox sandbox("recovery");
  const std::vector<uint8_t> original = OneSecondWave();
  ASSERT_TRUE(WriteFileBytes(sandbox.Path("take.wav"), original));

  std::vector<uint8_t> masked;
  {
    Belmo belmo;
    ASSERT_TRUE(belmo.Start(sandbox, " \"" + sandbox.Path("take.wav") + "\""));
    ASSERT_NE(belmo.WaitMainWindow(), nullptr);
    MainControls controls(belmo);
    PostMessageA(controls.sineButton, BM_CLICK, 0, 0);
    HWND done = belmo.WaitMessageBox();
    ASSERT_NE(done, nullptr);
    Belmo::Answer(done, IDOK);
    belmo.Flush();
    ASSERT_TRUE(ReadFileBytes(sandbox.Path("temp.tmp"), &masked));
    ASSERT_TRUE(masked != original);
    belmo.Kill();  // no normal exit: the working copy stays behind
  }
  ASSERT_TRUE(FileExists(sandbox.Path("temp.tmp")));

  Belmo belmo;
  ASSERT_TRUE(belmo.Start(sandbox, ""));
  HWND notice = belmo.WaitMessageBox();
  ASSERT_NE(notice, nullptr);
  EXPECT_EQ(Belmo::BoxText(notice),
            "前回正常終了しなかったため削除されなかった一時ファイルを開きます。");
  Belmo::Answer(notice, IDOK);
  ASSERT_NE(belmo.WaitMainWindow(), nullptr);
  belmo.Flush();
  MainControls controls(belmo);
  EXPECT_EQ(Text(controls.fileNameBox), "temp.tmp");
  std::vector<uint8_t> reopened;
  ASSERT_TRUE(ReadFileBytes(sandbox.Path("temp.tmp"), &reopened));
  EXPECT_TRUE(reopened == masked) << "the recovered document holds the masked image";
  std::vector<uint8_t> saved;
  ASSERT_TRUE(ReadFileBytes(sandbox.Path("take.wav"), &saved));
  EXPECT_TRUE(saved == original) << "the file itself was never saved";

  belmo.Close();
  HWND question = belmo.WaitMessageBox();
  ASSERT_NE(question, nullptr) << "a recovered edit counts as unsaved";
  EXPECT_EQ(Belmo::BoxText(question), "ファイルの内容が変更されています。保存しますか？");
  Belmo::Answer(question, IDYES);
  HWND dialog = belmo.WaitFileDialog();
  ASSERT_NE(dialog, nullptr);
  Belmo::ChooseFile(dialog, sandbox.Path("recovered.wav"));
  EXPECT_TRUE(belmo.WaitExit());
  std::vector<uint8_t> kept;
  ASSERT_TRUE(ReadFileBytes(sandbox.Path("recovered.wav"), &kept));
  EXPECT_TRUE(kept == masked);
  EXPECT_FALSE(FileExists(sandbox.Path("temp.tmp")));
}
