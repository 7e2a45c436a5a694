// What the user is told about the paths the program was started with or
// handed by a second start. Sources are UTF-8; the compiler turns them
// into code page 932.
#pragma once

namespace belmo::text {

// Paths the program was given (command line, a second start) that it cannot use.
inline constexpr char kPathTooLong[] =
    "ファイルのパスが長すぎるため開けません。開けるのは259文字までのパスです。ファイルを浅いフォルダに移すか、名前を短くしてから開いてください。";
inline constexpr char kPathHasUnusableCharacters[] =
    "ファイルまたはフォルダの名前に、このプログラムでは使えない文字が含まれているため開けません。名前を変更してから開いてください。";
inline constexpr char kProgramFolderTooLong[] =
    "ベルモのあるフォルダのパスが長すぎるため起動できません。一時ファイルを置くフォルダのパスは240文字までです。ベルモを浅いフォルダに移してから起動してください。";
inline constexpr char kProgramFolderHasUnusableCharacters[] =
    "ベルモのあるフォルダの名前に、このプログラムでは使えない文字が含まれているため起動できません。フォルダの名前を変更してから起動してください。";

// A file handed over by a second start that cannot be opened now. The
// file's path follows on a line of its own.
inline constexpr char kCannotOpenWhileDialogShown[] =
    "メッセージまたはダイアログの表示中はファイルを開けません。それを閉じてから、もう一度ファイルを開いてください。次のファイルは開いていません:";
inline constexpr char kCannotOpenWhilePlaying[] =
    "再生中はファイルを開けません。再生を停止してから、もう一度ファイルを開いてください。次のファイルは開いていません:";
inline constexpr char kNotOpenedWhileEnding[] =
    "ベルモを終了するため、次のファイルは開いていません:";

}  // namespace belmo::text
