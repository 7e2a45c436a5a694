// Texts the masks show.
#pragma once

#include "effects/mask_outcome.h"

namespace belmo::text {

inline constexpr char kMaskFinished[] = "処理が終了しました。";
inline constexpr char kNoOverwriteFile[] = "上書き用ファイルが選択されていません。";
inline constexpr char kRangeInvalid[] =
    "選択範囲が正しくありません。開始位置が終了位置より前になり、終了位置がファイルの長さを超えないように指定してください。";
inline constexpr char kSineFrequencyInvalid[] =
    "正弦波の周波数が正しくありません。設定で 0 より大きい値にしてください。";
inline constexpr char kSineFrequencyTooHigh[] =
    "正弦波の周波数が高すぎるため、このファイルには書き込めません。設定で周波数を下げてください。";
inline constexpr char kPitchRatioInvalid[] =
    "音程比が正しくありません。設定で 0 より大きい値にしてください。";
inline constexpr char kFftSizeInvalid[] =
    "FFTサンプル数の設定が正しくありません。設定で選び直してください。";
inline constexpr char kSourceUnreadable[] =
    "上書き用ファイルを開けませんでした。ファイルがあるか、ほかのプログラムが使用していないかを確認してください。";
inline constexpr char kSourceTooShort[] =
    "上書き用ファイルが短すぎるため、WAVEファイルとして読み込めません。";
inline constexpr char kSourceNotPcm[] = "この形式のWAVファイルには対応していません。";
inline constexpr char kSourceNoData[] = "上書き用ファイルに音声データ(data)が見つかりません。";
inline constexpr char kSourceEmpty[] = "上書き用ファイルの音声データが空のため、上書きできません。";
inline constexpr char kOutOfMemory[] =
    "メモリが足りないため処理できませんでした。範囲を短くしてやり直してください。";

}  // namespace belmo::text

namespace belmo {

// The message for a mask that did not run; nullptr for Applied and for a
// command with no document (which has nothing to say).
const char* MaskRefusalText(MaskOutcome outcome);

}  // namespace belmo
