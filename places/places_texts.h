// Every text of the list of places the user sees. Sources are UTF-8; the
// compiler turns them into code page 932, except the u8 texts, which are
// written into the UTF-8 label files as they are.
#pragma once

namespace belmo::text {

inline constexpr char kMenuPlaces[] = "マスク箇所の一覧(&L)...";
inline constexpr char kPlacesCaption[] = "マスク箇所";

inline constexpr char kColumnStart[] = "開始";
inline constexpr char kColumnEnd[] = "終了";
inline constexpr char kColumnLength[] = "長さ";
inline constexpr char kColumnText[] = "内容";
inline constexpr char kColumnState[] = "状態";

inline constexpr char kButtonAddRange[] = "現在の範囲を追加(&A)";
inline constexpr char kButtonImport[] = "読み込み(&I)...";
inline constexpr char kButtonExport[] = "書き出し(&E)...";
inline constexpr char kButtonDelete[] = "削除(&D)";
inline constexpr char kButtonMarkWhileListening[] = "聞きながら記録(&M)";
inline constexpr char kLabelMaskChoice[] = "マスクの種類(&K):";
inline constexpr char kButtonMaskAll[] = "すべてマスク(&S)";

// The states a row shows, by PlaceState; the masks by the names of their
// buttons.
inline constexpr const char* kPlaceStates[] = {"未処理", "正弦波上書き", "ボイスチェンジ",
                                               "ファイル上書き", "無音"};
inline constexpr const char* kPlaceStatesUtf8[] = {u8"未処理", u8"正弦波上書き",
                                                   u8"ボイスチェンジ", u8"ファイル上書き",
                                                   u8"無音"};
// The masks the list offers, in the order of the choice box (MaskKind).
inline constexpr const char* kMaskChoices[] = {"正弦波上書き", "ボイスチェンジ",
                                               "ファイル上書き", "無音"};

inline constexpr char kPlacesFilter[] =
    "ラベル・範囲・文字起こし(*.txt;*.csv;*.tsv;*.json;*.srt;*.vtt)\0"
    "*.txt;*.csv;*.tsv;*.json;*.srt;*.vtt\0すべてのファイル(*.*)\0*.*\0";
inline constexpr char kLabelFilter[] = "ラベルファイル(*.txt)\0*.txt\0";

// Messages; a file's path follows on a line of its own where one is named.
inline constexpr char kPlacesMaskFinishedFormat[] = "処理が終了しました。%zu箇所をマスクしました。";
inline constexpr char kPlacesNothingToMask[] =
    "まだマスクしていない箇所がありません。「現在の範囲を追加」か「読み込み」で箇所を加えてください。";
inline constexpr char kPlacesFileNotRead[] =
    "次のファイルを読み込めませんでした。マスク箇所の一覧は変わっていません:";
inline constexpr char kPlacesFileNotUnderstood[] =
    "次のファイルは、範囲を書いたファイル(1行に開始と終了の秒数)でも、このプログラムが読める文字起こしでもないため、読み込めませんでした。マスク箇所の一覧は変わっていません:";
inline constexpr char kPlacesFilePastEnd[] =
    "次のファイルの範囲は録音の長さを超えています。この録音のためのファイルか確かめてください。マスク箇所の一覧は変わっていません:";
inline constexpr char kPlacesNotWritten[] =
    "次のファイルに書き出せませんでした。書き込めるフォルダか、ほかのプログラムが開いていないかを確かめてください:";
inline constexpr char kPlacesDiscardQuestion[] =
    "マスク箇所の一覧に、まだマスクしていない箇所か、書き出していない記録があります。一覧を空にしてよろしいですか？";
inline constexpr char kPlacesRangeInvalid[] =
    "選択範囲が正しくありません。開始位置が終了位置より前で、終了位置が録音の長さ以内の範囲を追加してください。";

}  // namespace belmo::text

namespace belmo::text {

// The questions asked of a transcript read into the list.
inline constexpr char kFindCaption[] = "文字起こしから探す";
inline constexpr char kFindWordsLabel[] = "探す語や名前(&W) (1行に1つ):";
inline constexpr char kFindDigitsCheck[] = "数字の並びも探す(&D)";
inline constexpr char kFindDigitsLabel[] = "桁以上:";
inline constexpr char kFindPadLabel[] = "前後の余白(&P) (秒):";
inline constexpr char kFindSearchButton[] = "検索(&F)";
inline constexpr char kFindAddButton[] = "追加(&A)";
inline constexpr char kFindCancelButton[] = "キャンセル";
inline constexpr char kFindDigitsRun[] = "数字の並び";
inline constexpr char kFindPlacesSuffix[] = "箇所";
inline constexpr char kFindNothingAsked[] =
    "探す語を1行に1つ入力するか、「数字の並びも探す」を選んでください。";
inline constexpr char kFindBadDigits[] = "桁数には1から100までの整数を入力してください。";
inline constexpr char kFindBadPad[] = "前後の余白には0から60までの秒数を入力してください。";
inline constexpr char kFindNothingFound[] =
    "文字起こしの中に、探す語も数字の並びも見つかりませんでした。";
inline constexpr char kFindPastEnd[] =
    "文字起こしの時刻が録音の長さを超えています。この録音の文字起こしか確かめてください:";

}  // namespace belmo::text
