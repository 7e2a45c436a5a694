// Texts the document subsystem shows: why a file was not opened, and the
// prompts around saving.
#pragma once

#include "document/wav_document.h"

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

namespace belmo::text {

inline constexpr char kSaveChangesQuestion[] = "ファイルの内容が変更されています。保存しますか？";
inline constexpr char kRevertQuestion[] =
    "今までの編集内容を破棄して保存されている状態に戻しますか？";
inline constexpr char kSaveFailed[] =
    "ファイルを保存できませんでした。保存先に書き込めるか、ディスクの空き容量が足りているかを確認してください。";
inline constexpr char kWorkingCopyUpdateFailed[] =
    "一時ファイル(temp.tmp)を更新できませんでした。編集内容は保存するまでメモリ上にしかありません。早めに保存してください。";
inline constexpr char kCannotSaveOverWorkingCopy[] =
    "一時ファイル(temp.tmp)には保存できません。別の名前で保存してください。";

}  // namespace belmo::text

namespace belmo {

// Why a file was not opened, in the words the user sees.
const char* LoadRefusalText(LoadOutcome outcome);

}  // namespace belmo
