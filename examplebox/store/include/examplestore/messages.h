// The texts the example box shows: refusals, questions, status lines and the hit counts (UTF-8).
#pragma once

#include <string_view>

namespace yv::examplestore::messages {

inline constexpr std::string_view kRecycleBinName = "ごみ箱";
inline constexpr std::string_view kNewFolderName = "新しいﾌｫﾙﾀﾞ";

// Refusals (error boxes).
inline constexpr std::string_view kNameTooLong = "名前が長すぎます。";
inline constexpr std::string_view kFolderCannotBeRenamed = "このﾌｫﾙﾀﾞは名前を変更できません。";
inline constexpr std::string_view kNameExists =
    "名前を変更できません。指定された名前は既に存在します。別の名前を指定してください。";
inline constexpr std::string_view kDocumentCannotBeRenamed = "ｻﾝﾌﾟﾙﾌｧｲﾙは名前を変更できません。";
// A double quote would end the name early in base.dat.
inline constexpr std::string_view kNameHasQuote = "名前に \" は使えません。";
inline constexpr std::string_view kFolderCannotBeDeleted = "このﾌｫﾙﾀﾞは削除できません。";
inline constexpr std::string_view kRecycleBinCannotBeDeleted = "ごみ箱ﾌｫﾙﾀﾞは削除できません。";
inline constexpr std::string_view kFolderCannotBeMoved = "このﾌｫﾙﾀﾞは移動できません。";
inline constexpr std::string_view kSameNameAtTarget =
    "移動先に同じ名前のﾌｫﾙﾀﾞが存在します。名前を変更してから移動してください。";
inline constexpr std::string_view kTargetInsideSource = "移動できません。受け側のノードは送り側のサブノードです。";
inline constexpr std::string_view kTopLevelAdd = "ﾄｯﾌﾟﾚﾍﾞﾙにはｻﾝﾌﾟﾙ文書ﾌｧｲﾙを追加できません。";
// A folder without a directory of its own cannot hold documents.
inline constexpr std::string_view kFolderHoldsNoDocuments = "このﾌｫﾙﾀﾞにはｻﾝﾌﾟﾙ文書ﾌｧｲﾙを追加できません。";
inline constexpr std::string_view kDirectoryGiven = "ﾃﾞｨﾚｸﾄﾘは指定できません。";
inline constexpr const char* kNotADocumentFormat = "%s\nこのﾌｧｲﾙはｻﾝﾌﾟﾙ文書ﾌｧｲﾙの形式をしていません。";
inline constexpr std::string_view kNoFolderNumberLeft = "これ以上ﾌｫﾙﾀﾞを作成できません。";
inline constexpr std::string_view kTooManyHits = "ヒット数が多すぎて表示できません。";

// Questions (Yes / No).
inline constexpr const char* kDeleteFolderFormat = "ﾌｫﾙﾀﾞ「%s」と、それ以下のｻﾝﾌﾟﾙ文書ﾌｧｲﾙを削除してよろしいですか";
inline constexpr const char* kMoveToRecycleBinFormat = "これら%d個のﾌｫﾙﾀﾞ/ﾌｧｲﾙをごみ箱に移動してよろしいですか";
inline constexpr const char* kDeleteFinallyFormat = "これら%d個のﾌｫﾙﾀﾞ/ﾌｧｲﾙを削除してよろしいですか";
inline constexpr const char* kAddDocumentFormat = "ﾊﾟｽ: %s\nﾀｲﾄﾙ: %s\n\n追加してよろしいですか。";

// Status line.
inline constexpr std::string_view kUpdatingIndex = "ｲﾝﾃﾞｯｸｽを更新しています...";
inline constexpr std::string_view kWritingIndex = "ｲﾝﾃﾞｯｸｽを書き込んでいます...";
inline constexpr std::string_view kUpdating = "更新しています...";
inline constexpr const char* kHitCountsFormat = "[%d]文 / [%d]文書ヒット";

} // namespace yv::examplestore::messages
