// The toolbox's fixed texts (UTF-8) and its commands: the buttons, the hot keys and the
// windows of the outside tools it closes with the suite.
#pragma once

#include <toolboxcore/keynames.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace yv::toolbox {

// "%s" stands for a key name or a path.
inline constexpr std::string_view kKeyRefused =
    "%s\nこのｷｰは他のｱﾌﾟﾘｹｰｼｮﾝが設定しているか、予約されているため設定できません。\n他のｷｰを指定してください。";
inline constexpr std::string_view kTextTooLong = "文字列が長すぎます。";
inline constexpr std::string_view kSearchKeyTooLong = "検索キーが長すぎます。";
inline constexpr std::string_view kCannotConnectLexdisc = "LEXDISCに接続できません";
inline constexpr std::string_view kCannotReadFile = "%s\nﾌｧｲﾙを読み込めません。";
inline constexpr std::string_view kNoSessionBus =
    "ｾｯｼｮﾝﾊﾞｽに接続できません。ﾃﾞｽｸﾄｯﾌﾟのｾｯｼｮﾝから起動してください。";
inline constexpr std::string_view kHelpMissing = "ﾍﾙﾌﾟが見つかりません。\n%s";

// "%s" of a text replaced by `value`.
std::string withValue(std::string_view text, std::string_view value);

// What a button or hot key asks for.
enum class ActionKind { Translate = 1, Dictionary = 2, CdRom = 3, Example = 4 };

// Command identifiers of the buttons (and, for the four actions, of the hot keys).
enum Command : std::uint32_t {
    CmdTranslate = 0x8003,
    CmdDictionary = 0x8004,
    CmdCdRom = 0x8005,
    CmdExample = 0x8006,
    CmdSettings = 0x800B,
    CmdBatch = 0x800C,
};

struct ButtonInfo {
    Command command;
    std::string_view label;
    std::string_view description;
};

// Left to right.
inline constexpr ButtonInfo kButtons[] = {
    {CmdTranslate, "翻訳", "翻訳します"},
    {CmdDictionary, "辞書", "辞書を引きます"},
    {CmdCdRom, "CD", "CDを引きます"},
    {CmdExample, "例文", "例文を検索"},
    {CmdBatch, "一括", "ﾌｧｲﾙを一括翻訳"},
    {CmdSettings, "設定", "環境設定"},
};

struct HotKeyInfo {
    std::uint32_t id;
    ActionKind kind;
    std::string_view valueName;  // in "キー設定"
};

inline constexpr HotKeyInfo kHotKeys[] = {
    {0x8003, ActionKind::Translate, "翻訳"},
    {0x8004, ActionKind::Dictionary, "辞書"},
    {0x8005, ActionKind::CdRom, "CDROM"},
    {0x8007, ActionKind::Example, "例文"},
};
// Released with the others although nothing registers it.
inline constexpr std::uint32_t kSpareHotKeyId = 0x8012;

// Windows of the outside dictionary tools, closed with the suite.
inline constexpr std::string_view kOutsideToolTitles[] = {
    "ﾕｰｻﾞ辞書標準仕様辞書->EJ辞書ｺﾝﾊﾞｰﾀ",
    "ﾕｰｻﾞ辞書標準仕様辞書->JE辞書ｺﾝﾊﾞｰﾀ",
    "EJ用辞書ツール",
    "JE用辞書ツール",
};

// Help topics 1-6: the page of each.
std::string_view helpPage(std::uint64_t topic);

} // namespace yv::toolbox
