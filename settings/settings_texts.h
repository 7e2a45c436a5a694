// Every text of the settings window and its previews, in one place.
// Sources are UTF-8; the compiler turns them into code page 932.
#pragma once

namespace belmo::text {

inline constexpr char kSettingsCaption[] = "設定";
inline constexpr char kTabSine[] = "正弦波";
inline constexpr char kTabVoiceChange[] = "ボイスチェンジ";
inline constexpr char kTabFileOverwrite[] = "ファイル上書き";
inline constexpr char kButtonOk[] = "OK";
inline constexpr char kButtonCancel[] = "キャンセル";

inline constexpr char kLabelSineFrequency[] = "正弦波の周波数:";
inline constexpr char kUnitHz[] = "Hz";
inline constexpr char kLabelSineLevel[] = "正弦波の音量:";
inline constexpr char kUnitDb[] = "dB";
inline constexpr char kButtonSinePreview[] = "正弦波の試聴";

inline constexpr char kLabelPitchRatio[] = "音程比:";
inline constexpr char kGroupVoiceMethod[] = "ボイスチェンジの方法";
inline constexpr char kRadioFft[] = "FFT";
inline constexpr char kRadioSimple[] = "単純型";
inline constexpr char kUnitTimes[] = "倍";
inline constexpr char kLabelSampleWaveforms[] = "サンプル波形数:";
inline constexpr char kUnitCount[] = "回";
inline constexpr char kLabelFftSize[] = "FFTサンプル数:";
inline constexpr char kButtonVoicePreview[] = "ボイスチェンジの試聴";

inline constexpr char kLabelOverwriteFile[] = "上書きファイル:";
inline constexpr char kButtonBrowse[] = "参照";
inline constexpr char kGroupOverwriteMode[] = "上書き方法";
inline constexpr char kRadioOnce[] = "一回";
inline constexpr char kRadioContinuous[] = "連続";
inline constexpr char kButtonFilePreview[] = "上書きファイルの試聴";

// The drop-down entries, in the order of their FFTSample index.
inline constexpr const char* kFftSizeEntries[] = {"512", "1024", "2048", "4096", "8192"};

inline constexpr char kSineSettingsInvalid[] = "正弦波の設定値が異常です。";
inline constexpr char kVoiceSettingsInvalid[] = "ボイスチェンジの設定値が異常です。";
inline constexpr char kSettingsInvalid[] = "設定値が異常です。";
inline constexpr char kPreviewDeviceUnavailable[] =
    "サウンドデバイスを開けないため、試聴できません。ほかのプログラムが使用していないかを確認してください。";
inline constexpr char kPreviewOutOfMemory[] = "メモリが足りないため、試聴できません。";
inline constexpr char kPreviewFormatNotPlayable[] =
    "サウンドデバイスがこのファイルの形式を再生できないため、試聴できません。マスクと保存はこの形式のままできます。";

// The overwrite-source dialog: description and pattern, double-zero ended.
inline constexpr char kOverwriteFilter[] = "WAVファイル(*.wav)\0*.wav\0";
inline constexpr char kOverwriteDefaultExtension[] = "wav";

}  // namespace belmo::text
