// Every text the version check shows: the window caption, the status lines
// (all begin with "状態 : "), the three answers to the comparison and the
// archive dialog's filter. Status lines that name the server are assembled
// from a head, the server text in double quotes, and a tail.
#pragma once

namespace belmo::text {

inline constexpr char kVersionCheckCaption[] = "最新バージョンのチェック";

inline constexpr char kStatusEmpty[] = "状態 : ";
inline constexpr char kStatusWinsockFailed[] = "状態 : Winsockの初期化に失敗しました。";
inline constexpr char kStatusSocketFailed[] = "状態 : ソケットの作成に失敗しました。";
inline constexpr char kStatusAbortingLookup[] = "状態 : 現在の作業を中断中";

// "状態 : " + '"' + server + '"' + one of these tails.
inline constexpr char kStatusServerHead[] = "状態 : \"";
inline constexpr char kTailLookingUp[] = "\"のIPアドレス検索中";
inline constexpr char kTailLookupFailed[] = "\"のIPアドレスの取得に失敗しました。";
inline constexpr char kTailConnecting[] = "\"に接続しています。";
inline constexpr char kTailConnectFailed[] = "\"への接続に失敗しました。";
inline constexpr char kTailConnected[] = "\"に接続しました。";

inline constexpr char kStatusAddressFound[] = "状態 : IPアドレスを取得しました。";

// Sending the request, by mode.
inline constexpr char kStatusSendingVersionFile[] = "状態 : バージョン情報ファイルを呼び出しています。";
inline constexpr char kStatusSendingCountLog[] = "状態 : カウントログを更新しています。";
inline constexpr char kStatusSendingDownload[] = "状態 : 最新版をダウンロードしています。";
inline constexpr char kStatusSendFailed[] = "状態 : データ送信に失敗しました。";

// A response that failed, by mode.
inline constexpr char kStatusVersionFileFailed[] =
    "状態 : バージョン情報ファイルを呼び出しに失敗しました。";
inline constexpr char kStatusCountLogFailed[] = "状態 : カウントログの更新に失敗しました。";
inline constexpr char kStatusDownloadFailed[] = "状態 : 最新バージョンのダウンロードに失敗しました。";

// A response that arrived whole, by mode.
inline constexpr char kStatusVersionFileDone[] = "状態 : バージョン情報ファイルを呼び出しました。";
inline constexpr char kStatusCountLogDone[] = "状態 : カウントログを更新しました。";
inline constexpr char kStatusSavingFile[] = "状態 : ファイルを保存中。";

inline constexpr char kStatusDownloaded[] = "状態 : 最新バージョンをダウンロードしました。";
inline constexpr char kStatusCancelled[] = "状態 : キャンセルされました。";
inline constexpr char kStatusComparing[] = "状態 : バージョンの比較中";
inline constexpr char kStatusCompared[] = "状態 : 確認作業が終了しました。";

// Our own additions: a server setting that names no server, and an
// archive that could not be written (the folder is then not opened).
inline constexpr char kStatusBadServerSetting[] =
    "状態 : BELMO_UPDATE_SERVERの値が正しくありません。";
inline constexpr char kStatusSaveFailed[] = "状態 : ファイルを保存できませんでした。";

// The answers to the comparison.
inline constexpr char kUpToDate[] = "このソフトは最新バージョンです。";
inline constexpr char kNewerHead[] =
    "このソフトは最新バージョンではありません。現在の最新バージョンは";
inline constexpr char kNewerTail[] = "です。最新バージョンにアップデートしますか。";
inline constexpr char kUnreleasedHead[] =
    "このソフトは現在公式リリースされていません。現在の公式最新バージョンは";
inline constexpr char kUnreleasedTail[] = "です。";

// The archive Save dialog: description and pattern, each ending in NUL,
// then the NUL that ends the list.
inline constexpr char kArchiveFilter[] = "ZIPファイル(*.zip)\0*.zip\0";
inline constexpr char kArchiveExtension[] = "zip";

}  // namespace belmo::text
