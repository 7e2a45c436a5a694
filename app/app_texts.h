// The texts of the main window, its menus and start-up.
// Sources are UTF-8; the compiler turns them into code page 932.
#pragma once

namespace belmo::text {


inline constexpr char kLabelFileName[] = "ファイル名:";
inline constexpr char kGroupRange[] = "範囲指定";
inline constexpr char kLabelStart[] = "開始位置";
inline constexpr char kLabelEnd[] = "加工範囲";
inline constexpr char kLabelSelection[] = "選択範囲:";
inline constexpr char kLabelSecondsFrom[] = "秒～";
inline constexpr char kLabelSeconds[] = "秒";
inline constexpr char kLabelInfo[] = "情報:";
inline constexpr char kButtonPlayStop[] = "再生／停止";
inline constexpr char kCheckSeekOnStop[] = "停止時にシークする";
inline constexpr char kRadioSeekStart[] = "開始位置移動";
inline constexpr char kRadioSeekRange[] = "範囲移動";
inline constexpr char kButtonSine[] = "正弦波上書き";
inline constexpr char kButtonVoiceChange[] = "ボイスチェンジ";
inline constexpr char kButtonFileOverwrite[] = "ファイル上書き";

inline constexpr char kMenuFile[] = "ファイル(&F)";
inline constexpr char kMenuOpen[] = "ファイルを開く(&O)";
inline constexpr char kMenuSave[] = "上書き保存(&S)";
inline constexpr char kMenuSaveAs[] = "名前をつけて保存(&A)";
inline constexpr char kMenuRevert[] = "元の状態に戻す(&R)";
inline constexpr char kMenuExit[] = "アプリケーションの終了(&E)";
inline constexpr char kMenuEdit[] = "編集(&E)";
inline constexpr char kMenuUndo[] = "元に戻す(&U)";
inline constexpr char kMenuSine[] = "正弦波上書き(&S)";
inline constexpr char kMenuVoiceChange[] = "ボイスチェンジ(&V)";
inline constexpr char kMenuFileOverwrite[] = "ファイル上書き(&F)";
inline constexpr char kMenuSettingsBar[] = "設定(&S)";
inline constexpr char kMenuSettings[] = "設定(&S)";
inline constexpr char kMenuShowWaveform[] = "波形を表示(&W)";
inline constexpr char kMenuHelpBar[] = "ヘルプ(&H)";
inline constexpr char kMenuHelp[] = "ヘルプ(&H)";
inline constexpr char kMenuAbout[] = "バージョン情報(&V)";
inline constexpr char kMenuVersionCheck[] = "最新バージョンの確認(&C)";

inline constexpr char kInfoNoFile[] = "ファイルが開かれてません";
inline constexpr char kRecoveringWorkingCopy[] =
    "前回正常終了しなかったため削除されなかった一時ファイルを開きます。";
inline constexpr char kHelpFileNotOpened[] =
    "ヘルプファイル(Belmo_help.chm)を開けませんでした。belmo.exe と同じフォルダにあるかを確認してください。";

// A second start whose running program of the same folder does not answer.
inline constexpr char kRunningProgramNotAnswering[] =
    "このフォルダのベルモがすでに起動していますが、応答がありません。処理が終わるのを待ってから、もう一度開いてください。";

}  // namespace belmo::text
