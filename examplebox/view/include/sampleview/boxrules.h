// The example box's window rules without windows: the hand-over of a search key, how a document
// is opened in the editor, and the stored widths and placement.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yv::sampleview {

inline constexpr const char* kSettingsKey = "例文BOX";
inline constexpr const char* kMainTitle = "例文BOX(例文を検索します)";

// A hand-over whose length (wParam) reaches this is refused.
inline constexpr std::uint64_t kMaxHandOverLength = 257;
inline constexpr const char* kKeyTooLong = "検索キーが長すぎます。";

// The key of a hand-over: the first `length` bytes of the text block (as received, cut at a
// NUL) with their white space normalised; nothing when the length is refused.
std::optional<std::string> handOverKey(std::uint64_t length, std::string_view block);

// The program and arguments that open a document: the configured text editor (a command line,
// split as a shell would) followed by the path, or the desktop's opener when none is set.
std::vector<std::string> openCommand(std::string_view configuredEditor, const std::filesystem::path& document);
inline constexpr const char* kDesktopOpener = "xdg-open";

// List column widths are kept between 50 and 800; anything else reads as the default.
inline constexpr int kMinColumnWidth = 50;
inline constexpr int kMaxColumnWidth = 800;
int columnWidth(std::uint32_t stored, int fallback);

// "WIDTH" 680 and "HEIGHT" 450; "LEFT" and "TOP" have no default (the window manager places it).
inline constexpr int kDefaultWidth = 680;
inline constexpr int kDefaultHeight = 450;
inline constexpr std::uint32_t kUnset = 0xFFFFFFFFu;

struct Placement {
    std::optional<int> left, top;
    int width = kDefaultWidth;
    int height = kDefaultHeight;
};
// The stored values fitted to the work area (x, y, width, height): no side larger than it, and
// a stored corner outside it dropped (the window manager places the window then).
Placement fitPlacement(std::uint32_t left, std::uint32_t top, std::uint32_t width, std::uint32_t height,
                       int areaX, int areaY, int areaWidth, int areaHeight);

} // namespace yv::sampleview
