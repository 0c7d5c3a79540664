// The settings sheet's fixed texts (UTF-8): page captions, descriptions and messages.
#pragma once

#include <string_view>

namespace yv::toolbox {

inline constexpr std::string_view kSheetCaption = "環境設定";
inline constexpr std::string_view kPageCaptions[] = {"キー", "翻訳", "英日辞書", "日英辞書", "一括翻訳", "ソフト", "音声"};
// The product key's value holding the page shown last.
inline constexpr const char* kSheetPageValue = "SetenvPage";

inline constexpr std::string_view kKeyDescriptions[] = {
    "翻訳に使用するｷｰの変更ができます。ｸﾘｯｸしてｷｰを押してください。",
    "辞書引きに使用するｷｰの変更ができます。ｸﾘｯｸしてｷｰを押してください。",
    "CD-ROM検索に使用するｷｰの変更ができます。ｸﾘｯｸしてｷｰを押してください。",
    "例文検索に使用するｷｰの変更ができます。ｸﾘｯｸしてｷｰを押してください。",
};
inline constexpr std::string_view kPrecisionDescription = "英→日翻訳で、翻訳の精度を指定します。";
inline constexpr std::string_view kDirectionDescription =
    "翻訳の方向を指定します。通常は「自動判定」にしてください。\n英→日または日→英を指定するとその方向でのみ翻訳をおこないます。";
inline constexpr std::string_view kYouDescription = "英→日翻訳で、主語がYOUの場合の「訳出」か「省略」を指定します。";
inline constexpr std::string_view kStyleDescription = "英→日翻訳で、文末の表現を設定します。";
inline constexpr std::string_view kImperativeDescription = "英→日翻訳で、命令文の訳の文体を指定します。";
inline constexpr std::string_view kSubjectDescription = "日→英翻訳で、原文に主語がない場合の訳語を設定します。";

inline constexpr std::string_view kUserDictionaryDescription = "ﾕｰｻﾞ辞書を指定します。";
inline constexpr std::string_view kAddDictionaryDescription = "その他の辞書を追加します。";
inline constexpr std::string_view kDeleteDictionaryDescription = "その他の辞書の指定を削除します。";
inline constexpr std::string_view kOrderDictionaryDescription = "その他の辞書の順序を変更します。";
inline constexpr std::string_view kNewDictionaryDescription = "新しいﾕｰｻﾞ辞書を作成します。";
inline constexpr std::string_view kDictionaryToolDescription = "辞書の道具箱です。用語の一括登録や辞書内容の出力ができます。";
inline constexpr std::string_view kConverterDescription = "ﾕｰｻﾞ辞書標準仕様ｺﾝﾊﾞｰﾀを呼び出します。";

inline constexpr std::string_view kTextEditorDescription = "ﾃｷｽﾄﾌｧｲﾙの参照に使用するﾃｷｽﾄｴﾃﾞｨﾀを指定します。";
inline constexpr std::string_view kOfficeDescription = "ｲﾝｽﾄｰﾙされているMicrosoft Officeのﾊﾞｰｼﾞｮﾝを指定できます。";
inline constexpr std::string_view kSpyglassDescription = "画面上のｶｰｿﾙ位置の語句検索の設定をします。";

inline constexpr std::string_view kVoiceDescriptions[] = {
    "音声認識ｴﾝｼﾞﾝを起動し、使用できるようにします。起動には時間がかかります。",
    "音声認識を終了すると同時に翻訳を開始します。",
    "音声合成ｴﾝｼﾞﾝを起動し、使用できるようにします。",
    "翻訳を終了すると同時に読み上げます。",
    "マイクのセットを行います。",
    "音声認識のトレーニングを行います。",
};

inline constexpr std::string_view kDuplicateKeys =
    "同じキーが複数指定されています。キーの指定は同じものがあってはいけません。";
inline constexpr std::string_view kNotDictionaryExtension =
    "辞書の拡張子ではありません。正しい拡張子の辞書を指定してください。";
inline constexpr std::string_view kTooManyDictionaries = "辞書の指定は５つまでです。";
inline constexpr std::string_view kEngineBusy = "翻訳エンジンがビジーです。翻訳が終了してから再度実行してください。";
inline constexpr std::string_view kCannotConnectEj = "英日翻訳エンジンに接続できません。";
inline constexpr std::string_view kCannotConnectJe = "日英翻訳エンジンに接続できません。";
inline constexpr std::string_view kUserDictionaryRequired = "ﾕｰｻﾞ辞書は必ず指定してください。";
inline constexpr std::string_view kNotExecutable = "%s\n実行できるﾌｧｲﾙではありません。";
inline constexpr std::string_view kNoRecognizer = "この環境には音声認識ｴﾝｼﾞﾝがありません。";

// The capture hook's entry in the X session start-up file (this system's own, for X11).
inline constexpr std::string_view kSessionHookCaption = "ほかのプログラムの文字を読み取る (次回のログインから)";
inline constexpr std::string_view kSessionHookActive = "このセッションで起動したプログラムから読み取れます。";
inline constexpr std::string_view kSessionHookNextLogin =
    "登録済みです。次回のログイン後に起動したプログラムから有効になります。";
inline constexpr std::string_view kSessionHookAbsent =
    "適用すると、次回のログイン後に起動したプログラムから有効になります。";
inline constexpr std::string_view kSessionHookOther = "別の場所のﾗｲﾌﾞﾗﾘが登録されています。ﾁｪｯｸすると置き換えます。";
inline constexpr std::string_view kSessionHookBroken = "%s の登録を読み取れません。";
inline constexpr std::string_view kSessionHookInstalled =
    "%s に登録しました。\n次回のログイン後に起動したプログラムから文字を読み取れます。"
    "いま起動しているプログラムには適用されません。";
inline constexpr std::string_view kSessionHookRemoved =
    "%s から登録を削除しました。\n次回のログイン後に起動したプログラムからは文字を読み取りません。";
inline constexpr std::string_view kSessionHookMissing = "%s\nﾌｧｲﾙがみつかりません。インストール状態を確認してください。";
inline constexpr std::string_view kSessionHookUnusablePath =
    "%s\n空白やコロンを含む場所のﾗｲﾌﾞﾗﾘはログイン時に読み込ませることができません。";
inline constexpr std::string_view kSessionFileUnreadable = "%s\nﾌｧｲﾙを読み込めません。変更していません。";
inline constexpr std::string_view kSessionFileDamaged =
    "%s\n「# >>> yorvane5 capture hook >>>」と「# <<< yorvane5 capture hook <<<」の行の組が壊れています。"
    "ﾌｧｲﾙを直してから設定してください。変更していません。";
inline constexpr std::string_view kSessionFileUnwritable = "%s\nﾌｧｲﾙに書き込めません。変更していません。";

} // namespace yv::toolbox
