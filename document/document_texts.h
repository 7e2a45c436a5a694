// Texts the document subsystem shows: why a file was not opened, and the
// prompts around saving.
#pragma once

namespace belmo::text {

inline constexpr char kWorkingCopyName[] = "temp.tmp";

inline constexpr char kNotPcmWave[] = "これはPCM形式のWAVEファイルではありません。";
inline constexpr char kCannotReadFile[] =
    "ファイルを開けませんでした。ファイルがあるか、ほかのプログラムが使用していないかを確認してください。";
inline constexpr char kFileTooShort[] =
    "ファイルが短すぎるため、WAVEファイルとして読み込めません。";
inline constexpr char kUnsupportedFormat[] =
    "このWAVEファイルの形式には対応していません。8ビットまたは16ビット、モノラルまたはステレオのPCM形式のファイルを開いてください。";
inline constexpr char kNoSampleData[] = "このWAVEファイルには音声データ(data)が見つかりません。";
inline constexpr char kFileTooLarge[] = "ファイルが大きすぎるため開けません。2GB未満のファイルを開いてください。";
inline constexpr char kWorkingCopyWriteFailed[] =
    "一時ファイル(temp.tmp)を書き込めなかったため、ファイルを開けませんでした。プログラムのあるフォルダに書き込めるかを確認してください。";
inline constexpr char kLengthUnknown[] =
    "サウンドデバイスでこのファイルの長さを取得できなかったため、開けませんでした。";

}  // namespace belmo::text
