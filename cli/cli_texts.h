// Texts of belmo-mask, in the product's voice.
#pragma once

namespace belmo::text {

inline constexpr char kCliUsage[] =
    "使い方:\n"
    "  belmo-mask sine  入力.wav 出力.wav [--start 秒] [--end 秒] [--hz 1000] [--db -10]\n"
    "  belmo-mask voice 入力.wav 出力.wav [--start 秒] [--end 秒] [--method simple|fft]\n"
    "                   [--ratio 2] [--waves 50] [--fft-size 4096]\n"
    "  belmo-mask file  入力.wav 出力.wav [--start 秒] [--end 秒] --source 素材.wav\n"
    "                   [--mode once|loop]\n"
    "  belmo-mask --help | --version\n"
    "\n"
    "入力ファイルの --start 秒から --end 秒までの範囲にマスクをかけ、出力ファイルに書き出します。\n"
    "範囲を省略するとファイル全体が対象になります。出力ファイルは入力ファイルと同じでもかまいません。\n"
    "  sine   正弦波上書き: 周波数 --hz (Hz) と音量 --db (dB, 0 が最大) の正弦波で上書きします。\n"
    "  voice  ボイスチェンジ: 音程を --ratio 倍にします。--method simple は単純型 (--waves は\n"
    "         サンプル波形数)、--method fft は FFT 型 (--fft-size は 512/1024/2048/4096/8192)。\n"
    "  file   ファイル上書き: --source のWAVEファイルの音で上書きします。--mode once は一回、\n"
    "         loop は範囲の終わりまで繰り返します。\n"
    "  --settings settings.ini を付けると、指定しなかった値をその設定ファイルから読み込みます。\n";

inline constexpr char kCliUnknownCommand[] = "コマンドが正しくありません。sine、voice、file のどれかを指定してください。";
inline constexpr char kCliMissingFiles[] = "入力ファイルと出力ファイルを指定してください。";
inline constexpr char kCliTooManyFiles[] = "ファイルの指定が多すぎます: ";
inline constexpr char kCliUnknownOption[] = "このコマンドでは使えないオプションです: ";
inline constexpr char kCliMissingValue[] = "オプションに値がありません: ";
inline constexpr char kCliBadMethod[] = "--method には simple か fft を指定してください。";
inline constexpr char kCliBadMode[] = "--mode には once か loop を指定してください。";
inline constexpr char kCliBadFftSize[] =
    "--fft-size には 512、1024、2048、4096、8192 のどれかを指定してください。";
inline constexpr char kCliBadRatio[] = "音程比(--ratio)は 0 より大きい値にしてください。";
inline constexpr char kCliBadWaves[] = "サンプル波形数(--waves)は 1 以上にしてください。";
inline constexpr char kCliWritten[] = "書き出しました: ";
inline constexpr char kCliInputLost[] =
    "処理中に入力ファイルが読めなくなったため、中止しました。出力ファイルは書き換えていません。";

}  // namespace belmo::text
