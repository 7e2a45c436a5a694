// Texts of belmo-mask, in the product's voice. Messages are put together
// with the file names and values the user gave, which are never converted:
// a text that names something ends where the name goes.
#pragma once

namespace belmo::text {

inline constexpr char kCliUsage[] =
    "使い方:\n"
    "  belmo-mask sine  入力.wav 出力.wav [範囲] [--hz 1000] [--db -10]\n"
    "  belmo-mask voice 入力.wav 出力.wav [範囲] [--method simple|fft] [--ratio 2]\n"
    "                   [--waves 50] [--fft-size 4096]\n"
    "  belmo-mask file  入力.wav 出力.wav [範囲] --source 素材.wav [--mode once|loop]\n"
    "  belmo-mask silence 入力.wav 出力.wav [範囲]\n"
    "  belmo-mask find  文字起こし (--find 語 | --words 語のファイル | --digits 桁数)... [--pad 0.2]\n"
    "  belmo-mask コマンド --help\n"
    "  belmo-mask --help | --version\n"
    "\n";
inline constexpr char kCliUsageSine[] =
    "使い方: belmo-mask sine 入力.wav 出力.wav [範囲] [--hz 1000] [--db -10]\n\n";
inline constexpr char kCliUsageVoice[] =
    "使い方: belmo-mask voice 入力.wav 出力.wav [範囲] [--method simple|fft] [--ratio 2]\n"
    "                         [--waves 50] [--fft-size 4096]\n\n";
inline constexpr char kCliUsageFile[] =
    "使い方: belmo-mask file 入力.wav 出力.wav [範囲] --source 素材.wav [--mode once|loop]\n\n";
inline constexpr char kCliUsageSilence[] =
    "使い方: belmo-mask silence 入力.wav 出力.wav [範囲]\n\n";
inline constexpr char kCliUsageFind[] =
    "使い方: belmo-mask find 文字起こし (--find 語 | --words 語のファイル | --digits 桁数)...\n"
    "                        [--pad 0.2]\n\n"
    "文字起こしの中で語や数字が話された所を探し、ラベルファイル (開始、終了、見つかった文字のタブ\n"
    "区切り、秒は小数 3 桁) として標準出力に書き出します。--ranges や音声編集ソフトでそのまま\n"
    "読めます。見つかった数は標準エラー出力に表示します。\n";
inline constexpr char kCliIntro[] =
    "入力ファイルの範囲にマスクをかけ、出力ファイルに書き出します。範囲を省略するとファイル全体が\n"
    "対象になります。出力ファイルは入力ファイルと同じでもかまいません。\n";
inline constexpr char kCliAboutSine[] =
    "  sine   正弦波上書き: 周波数 --hz (Hz、サンプリング周波数の半分まで) と音量 --db\n"
    "         (dB、0 が最大) の正弦波で上書きします。\n";
inline constexpr char kCliAboutVoice[] =
    "  voice  ボイスチェンジ: 音程を --ratio 倍にします。--method simple は単純型 (--waves は\n"
    "         サンプル波形数)、--method fft は FFT 型 (--fft-size は 512/1024/2048/4096/8192)。\n";
inline constexpr char kCliAboutFile[] =
    "  file   ファイル上書き: --source のWAVEファイルの音で上書きします。--mode once は一回、\n"
    "         loop は範囲の終わりまで繰り返します。\n";
inline constexpr char kCliAboutSilence[] =
    "  silence 無音: 範囲を無音 (そのファイル形式の無音の値) にします。\n";
inline constexpr char kCliAboutFind[] =
    "  find   文字起こしから探す: 語や数字が話された所を、ラベルファイルとして標準出力に書き出し\n"
    "         ます。\n";
inline constexpr char kCliRangeHelp[] =
    "\n"
    "範囲:\n"
    "  --start 時刻 --end 時刻  一つの範囲です。省略した側はファイルの先頭か終わりになります。\n"
    "  --range 開始-終了        範囲を一つ加えます (--range 1.2-3.5)。何度でも指定できます。\n"
    "  --ranges ファイル        一行に一つ範囲を書いたファイルから読みます。開始と終了の時刻を\n"
    "                           タブ、コンマ、空白のどれかで区切り、その後ろ (ラベル) は読み\n"
    "                           飛ばします。# で始まる行と空行も読み飛ばします。- は標準入力です。\n"
    "  範囲は時間順に並べ、重なる範囲やつながる範囲は一つにまとめて、ファイルを一度だけ読み書き\n"
    "  します。時刻は 秒 (83.5)、分:秒 (1:23.5)、時:分:秒 (1:01:23.5) のどれかで書きます。\n";
// For the masks, then (from "  --find") for find.
inline constexpr char kCliTranscriptHelp[] =
    "\n"
    "文字起こしから探す:\n"
    "  --transcript ファイル    文字起こしの中で、次の語が話された所をすべて範囲に加えます。\n"
    "                           --range や --ranges と一緒に使えます。\n";
inline constexpr char kCliSearchHeading[] = "\n探す語:\n";
inline constexpr char kCliSearchHelp[] =
    "  --find 語                探す語や句です。何度でも指定できます。\n"
    "  --words ファイル         探す語を一行に一つ書いたファイルです (UTF-8)。# で始まる行と空行は\n"
    "                           読み飛ばします。- は標準入力です。\n"
    "  --digits 桁数            その桁数以上続く数字 (電話番号、口座番号など) も探します。数字の間の\n"
    "                           空白、ハイフン、コンマは続きとみなし、〇一二三…九も数字とみなします。\n"
    "  --pad 秒                 見つかった所の前後に加える余白です (既定 0.2)。語の時刻は目安のため\n"
    "                           です。録音の外には広げません。\n"
    "  全角と半角、英字の大文字と小文字は区別せず、空白と記号は無視して比べます。英字と数字の語は\n"
    "  語全体が一致したときだけ見つかります (Al は also の中には見つかりません)。\n"
    "  読める文字起こし: Whisper・WhisperX・whisper.cpp (-ojf) の JSON、SubRip (.srt)、WebVTT\n"
    "  (.vtt)、文字の入ったラベルファイル (開始、終了、文字)。形式は中身で見分けます。\n";
inline constexpr char kCliTranscriptExitHelp[] =
    "  文字起こしで何も見つからず、ほかの範囲もないときは、何も書き出さず終了コード 1 で終わります。\n";
inline constexpr char kCliFindExitHelp[] =
    "\n"
    "終了コード: 0 見つかった、1 見つからなかった、2 指定の誤りや読めないファイル。\n";
inline constexpr char kCliCommonHelp[] =
    "\n"
    "そのほか:\n"
    "  --settings settings.ini  指定しなかった値をその設定ファイルから読み込みます。\n"
    "  入力.wav に - を指定すると標準入力から読みます (録音全体をメモリに読み込みます)。\n"
    "  出力.wav に - を指定すると標準出力に書き出し、メッセージはすべて標準エラー出力に出します。\n"
    "  --hz=440 のように = で値を続けても書けます。-- の後ろはすべてファイル名です。\n"
    "  終了すると、マスクした範囲とその合計の長さを標準エラー出力に表示します。\n"
    "  終了コード: 0 成功、1 ファイルかシステムに断られた (読めない、書けない、メモリ不足)、\n"
    "  2 指定の誤り (設定ファイルや範囲ファイルに書いた値や範囲の誤りも)。\n";

// Every message begins so, and a usage error ends with the hint.
inline constexpr char kCliPrefix[] = "belmo-mask: ";
// "使い方は belmo-mask sine --help で表示できます。"
inline constexpr char kCliHintBefore[] = "使い方は ";
inline constexpr char kCliHintAfter[] = " で表示できます。";

inline constexpr char kCliNoCommand[] =
    "コマンドを指定してください。sine、voice、file、find のどれかです。";
inline constexpr char kCliUnknownCommand[] =
    "コマンドが正しくありません。sine、voice、file、find のどれかを指定してください: ";
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

// "--ratio の値「1,5」は数値として読めません。…"
inline constexpr char kCliValueOpen[] = " の値「";
inline constexpr char kCliNotANumber[] =
    "」は数値として読めません。数字と小数点(.)で、1.5 や -10 のように指定してください。";
inline constexpr char kCliNotATime[] =
    "」は時刻として読めません。秒(83.5)、分:秒(1:23.5)、時:分:秒(1:01:23.5)のどれかで指定してください。";
inline constexpr char kCliNotARange[] =
    "」は範囲として読めません。開始-終了の形で、1.2-3.5 や 1:02-1:04.5 のように指定してください。";

// "labels.txt:3: 範囲として読めません。…"
inline constexpr char kCliBadRangeLine[] =
    "範囲として読めません。一行に開始と終了の時刻を、タブ、コンマ、空白のどれかで区切って書いてください。";
inline constexpr char kCliNoRanges[] = "範囲が一つも書かれていません。";
inline constexpr char kCliRangeFormsMixed[] =
    "--start と --end は --range や --ranges と一緒には使えません。どちらか一方で範囲を指定してください。";
// After the range's own kRangeInvalid: "(録音の長さは 12.345 秒です。)"
inline constexpr char kCliLengthBefore[] = "(録音の長さは ";
inline constexpr char kCliLengthAfter[] = " 秒です。)";

inline constexpr char kCliFrequencyNotPositive[] =
    "正弦波の周波数(--hz)は 0 より大きい値にしてください: ";
// "…書き込めません。--hz はサンプリング周波数の半分、22050 Hz 以下にしてください。"
inline constexpr char kCliFrequencyTooHigh[] =
    "正弦波の周波数が高すぎるため、このファイルには書き込めません。--hz はサンプリング周波数の半分、";
inline constexpr char kCliFrequencyLimitAfter[] = " Hz 以下にしてください。";
inline constexpr char kCliLevelAboveZero[] =
    "正弦波の音量(--db)は 0 以下にしてください(0 dB が最大です): ";
// "音程比(--ratio) 0.00001 では、…"
inline constexpr char kCliRatioTooSmallBefore[] = "音程比(--ratio) ";
inline constexpr char kCliRatioTooSmallAfter[] =
    " では、単純型で範囲を読み直した結果が大きくなりすぎて扱えません。--ratio を大きくするか、範囲を短くしてください。";

inline constexpr char kCliStandardInput[] = "標準入力";
inline constexpr char kCliStandardOutput[] = "標準出力";
inline constexpr char kCliStandardInputTwice[] =
    "標準入力(-)は、入力ファイル、--ranges、--transcript、--words のうち一つにしか使えません。";
inline constexpr char kCliStandardInputUnreadable[] =
    "最後まで読み込めませんでした。メモリが足りないか、読み込み中にエラーが起きました。";
inline constexpr char kCliOutputIsTerminal[] =
    "標準出力が端末のため、WAVEデータを書き出しません。出力に - を指定するときは、ファイルへのリダイレクトかパイプで受けてください。";
inline constexpr char kCliStandardOutputFailed[] =
    "書き出せませんでした。書き出した内容は途中で終わっています。";

inline constexpr char kCliWritten[] = "書き出しました: ";
// "マスクした範囲: 2 か所、合計 3.500 秒", then one line a range.
inline constexpr char kCliSummaryBefore[] = "マスクした範囲: ";
inline constexpr char kCliSummaryCount[] = " か所、合計 ";
inline constexpr char kCliSummaryAfter[] = " 秒";
inline constexpr char kCliInputLost[] =
    "処理中に入力ファイルが読めなくなったため、中止しました。出力ファイルは書き換えていません。";
inline constexpr char kCliInputLostMidStream[] =
    "処理中に入力ファイルが読めなくなったため、中止しました。標準出力に書き出した内容は途中で終わっています。";

// Transcripts: what to look for.
inline constexpr char kCliMissingTranscript[] = "文字起こしのファイルを指定してください。";
inline constexpr char kCliNothingToFind[] =
    "探す語を --find、--words、--digits のどれかで指定してください。";
inline constexpr char kCliSearchWithoutTranscript[] =
    "--find、--words、--digits、--pad は、--transcript で文字起こしを指定したときに使います: ";
inline constexpr char kCliTranscriptWithStartEnd[] =
    "--start と --end は --transcript と一緒には使えません。--range や --ranges で指定してください。";
inline constexpr char kCliBadDigits[] = "--digits には 1 から 100 までの整数を指定してください: ";
inline constexpr char kCliBadPad[] = "余白(--pad)は 0 以上 60 以下の秒数にしてください: ";
// "--find の値「---」には…", "names.txt:3: 「---」には…"
inline constexpr char kCliWordOpen[] = "「";
inline constexpr char kCliWordWithoutLetters[] =
    "」には文字も数字もありません。空白と記号は比べないため、探す語には文字か数字を含めてください。";
inline constexpr char kCliArgumentNotText[] = " の値を文字として読めません。";
inline constexpr char kCliWordsNotText[] =
    "文字として読めません。探す語のファイルは UTF-8 で保存してください。";
inline constexpr char kCliNoWords[] = "探す語が一つも書かれていません。";

// Transcripts that cannot be read: what is wrong, then what can be read.
inline constexpr char kCliTranscriptNotUtf8[] =
    "UTF-8 のテキストではないため読めません。文字起こしは UTF-8 で保存してください。";
// "take.json: 12 行目で JSON が正しくありません。…"
inline constexpr char kCliTranscriptBadJsonAfter[] = " 行目で JSON が正しくありません。";
inline constexpr char kCliTranscriptBadCueTime[] =
    "字幕の時刻として読めません。00:01:02,500 --> 00:01:04,000 のように書いてください。";
inline constexpr char kCliTranscriptUnknown[] = "文字起こしとして読めません。";
inline constexpr char kCliTranscriptFormats[] =
    "読めるのは、Whisper・WhisperX・whisper.cpp (-ojf) の JSON、SubRip (.srt)、WebVTT (.vtt)、"
    "文字の入ったラベルファイル (開始、終了、文字) です。";
inline constexpr char kCliTranscriptOutOfMemory[] =
    "メモリが足りないため、文字起こしを読み込めませんでした。";

// The summary on standard error.
// "文字起こし take.json (WhisperX の JSON) で見つかった所:", then a line a word.
inline constexpr char kCliFoundBefore[] = "文字起こし ";
inline constexpr char kCliFoundFormatOpen[] = " (";
inline constexpr char kCliFoundAfter[] = ") で見つかった所:";
inline constexpr char kCliFormatWhisper[] = "Whisper の JSON";
inline constexpr char kCliFormatWhisperX[] = "WhisperX の JSON";
inline constexpr char kCliFormatWhisperCpp[] = "whisper.cpp の JSON";
inline constexpr char kCliFormatSubRip[] = "SubRip";
inline constexpr char kCliFormatWebVtt[] = "WebVTT";
inline constexpr char kCliFormatLabels[] = "ラベルファイル";
// "  田中: 3 か所"
inline constexpr char kCliFoundCount[] = " か所";
inline constexpr char kCliFoundNone[] = "見つかりませんでした";
// "4 桁以上の数字"
inline constexpr char kCliDigitsTerm[] = " 桁以上の数字";
// "  時刻のない語 2 個には、前後の語の時刻を使いました。"
inline constexpr char kCliUntimedBefore[] = "  時刻のない語 ";
inline constexpr char kCliUntimedAfter[] = " 個には、前後の語の時刻を使いました。";
// "  3 か所は、語ごとの時刻がないため、…"
inline constexpr char kCliWholePhrasesAfter[] =
    " か所は、語ごとの時刻がないため、その語を含む字幕やセグメント全体を範囲にしました。";
// "belmo-mask: take.json: 見つかりませんでした: 山田"
inline constexpr char kCliNotFound[] = "見つかりませんでした: ";
// "take.json: 探した語 (田中、山田) はどれも見つかりませんでした。"
inline constexpr char kCliNoneFoundBefore[] = "探した語 (";
inline constexpr char kCliTermSeparator[] = "、";
inline constexpr char kCliNoneFoundAfter[] = ") はどれも見つかりませんでした。";
inline constexpr char kCliNothingWritten[] = "何も書き出していません。";
// "take.json: 見つかった語の時刻 (65.000 秒) が、録音 take.wav の長さ (12.345 秒) を…"
inline constexpr char kCliPastEndBefore[] = "見つかった語の時刻 (";
inline constexpr char kCliPastEndRecording[] = " 秒) が、録音 ";
inline constexpr char kCliPastEndLength[] = " の長さ (";
inline constexpr char kCliPastEndAfter[] =
    " 秒) を超えています。この録音の文字起こしですか? 何も書き出していません。";

}  // namespace belmo::text
