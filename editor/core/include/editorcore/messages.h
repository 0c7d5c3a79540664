// The editor's fixed message texts (UTF-8); "%s" stands for a path.
#pragma once

#include <string>
#include <string_view>

namespace yv::editor::messages {

inline constexpr std::string_view kCannotOpen = "%s\n\nﾌｧｲﾙがｵｰﾌﾟﾝできません。ﾌｧｲﾙ名を確認してください。";
inline constexpr std::string_view kNotADocument = "%s\n文書ﾌｧｲﾙではありません。";
inline constexpr std::string_view kCannotCreateDocument = "%s\n\nﾌｧｲﾙを作成できません。ﾌｧｲﾙ名を確認してください。";
inline constexpr std::string_view kCannotCreateText = "ﾌｧｲﾙを作成できません。ﾃﾞｨｽｸが一杯でないか確認してください。";
inline constexpr std::string_view kNoMemory = "メモリが確保できません。\nいくつかのアプリケーションを終了してから再度実行してください。";
inline constexpr std::string_view kSavePrompt = "内容が変更されています。保存しますか？";
inline constexpr std::string_view kStoreFull = "文字列が挿入できません。扱うことの出来る文字数を超えました。";
inline constexpr std::string_view kTextTooLong = "挿入文字列が長すぎます。文中に挿入する場合は 64K バイト未満にしてください。";
inline constexpr std::string_view kEngineBusy = "翻訳エンジンがビジーです。翻訳が終了してから再度実行してください。";
inline constexpr std::string_view kCannotConnectEJ = "英日翻訳エンジンに接続できません。";
inline constexpr std::string_view kCannotConnectJE = "日英翻訳エンジンに接続できません。";
inline constexpr std::string_view kHandOverTooLong = "文字列が長すぎます。";
inline constexpr std::string_view kCannotConnectLexdisc = "LEXDISCに接続できません";
inline constexpr std::string_view kSearchDone = "検索が完了しました。";
inline constexpr std::string_view kNoWordChoice = "この単語は訳語選択できません。";
inline constexpr std::string_view kNotInDictionary = "指定の単語は辞書にありません。";
inline constexpr std::string_view kChooseTranslation = "訳語を指定してください。";
inline constexpr std::string_view kHeadwordTooLong = "登録できる見出し語の長さは125バイトまでです。";
inline constexpr std::string_view kNoUserDictionaryEJ = "英日ﾕｰｻﾞ辞書が指定されていません。環境設定で指定してください。";
inline constexpr std::string_view kNoUserDictionaryJE = "日英ﾕｰｻﾞ辞書が指定されていません。環境設定で指定してください。";
inline constexpr std::string_view kUntitled = "無題";
inline constexpr std::string_view kUntranslatable = "【翻訳不能文】";

// "%s" of a message replaced by `path`.
std::string withPath(std::string_view message, std::string_view path);
// Shows a message with the exclamation icon through the suite's message seam.
void warn(std::string_view text);

} // namespace yv::editor::messages
