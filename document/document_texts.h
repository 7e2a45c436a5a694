// Texts the document subsystem shows: why a file was not opened, and the
// prompts around saving.
#pragma once

#include <string>

#include "document/wav_document.h"

namespace belmo::text {

inline constexpr char kWorkingCopyName[] = "temp.tmp";

inline constexpr char kNotPcmWave[] = "これはPCM形式のWAVEファイルではありません。";
inline constexpr char kCannotReadFile[] =
    "ファイルを開けませんでした。ファイルがあるか、ほかのプログラムが使用していないかを確認してください。";
inline constexpr char kFileTooShort[] =
    "ファイルが短すぎるため、WAVEファイルとして読み込めません。";
inline constexpr char kUnsupportedFormat[] =
    "このWAVEファイルの形式には対応していません。モノラルかステレオの、8・16・24・32ビットのPCM形式、32ビット浮動小数点形式、μ-law形式、A-law形式のファイルを開いてください。";
// "24ビット・6チャンネル" + kTooManyChannels
inline constexpr char kTooManyChannels[] =
    "のファイルには対応していません。モノラルかステレオに変換してください。";
inline constexpr char kBitsUnit[] = "ビット";
inline constexpr char kChannelsUnit[] = "チャンネル";
inline constexpr char kJoin[] = "・";
inline constexpr char kFloatName[] = "浮動小数点";
inline constexpr char kMuLawName[] = "μ-law";
inline constexpr char kALawName[] = "A-law";
// "12ビットのPCM形式" + kUnsupportedWidth
inline constexpr char kPcmWidth[] = "のPCM形式";
inline constexpr char kFloatWidth[] = "の浮動小数点形式";
inline constexpr char kUnsupportedWidth[] =
    "には対応していません。16ビットか24ビットのPCM形式、または32ビット浮動小数点形式に変換してください。";
// "MP3" + kCompressedFormat
inline constexpr char kCompressedFormat[] =
    "形式のWAVEファイルには対応していません。音声編集ソフトなどで、PCM形式（非圧縮）に変換してから開いてください。";
inline constexpr char kCompressedUnknown[] = "圧縮された";
inline constexpr char kRf64Format[] =
    "RF64／BW64形式のWAVEファイルには対応していません。音声編集ソフトなどで、2GB未満の通常のWAVEファイルに変換してください。";
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

// Why a file was not opened, in the words the user sees; claim is what the
// file said of its format.
std::string LoadRefusalText(LoadOutcome outcome, const FormatClaim& claim = {});

}  // namespace belmo
