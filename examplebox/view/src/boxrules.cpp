// The example box's window rules.
#include <sampleview/boxrules.h>

#include <lexview/searchrequest.h>
#include <platform/process.h>

#include <algorithm>

namespace yv::sampleview {

std::optional<std::string> handOverKey(std::uint64_t length, std::string_view block)
{
    if (length >= kMaxHandOverLength)
        return std::nullopt;
    std::string_view key = block.substr(0, static_cast<std::size_t>(length));
    if (const auto nul = key.find('\0'); nul != std::string_view::npos)
        key = key.substr(0, nul);
    return lexview::normaliseRequestKey(key);
}

std::vector<std::string> openCommand(std::string_view configuredEditor, const std::filesystem::path& document)
{
    std::vector<std::string> command = process::splitArguments(configuredEditor);
    if (command.empty())
        command.emplace_back(kDesktopOpener);
    command.push_back(document.string());
    return command;
}

int columnWidth(std::uint32_t stored, int fallback)
{
    if (stored < static_cast<std::uint32_t>(kMinColumnWidth) || stored > static_cast<std::uint32_t>(kMaxColumnWidth))
        return fallback;
    return static_cast<int>(stored);
}

Placement fitPlacement(std::uint32_t left, std::uint32_t top, std::uint32_t width, std::uint32_t height,
                       int areaX, int areaY, int areaWidth, int areaHeight)
{
    Placement p;
    auto side = [](std::uint32_t stored, int fallback, int limit) {
        const int value = stored == kUnset || stored == 0 || stored > 0x7FFFFFFFu ? fallback : static_cast<int>(stored);
        return std::clamp(value, 1, std::max(1, limit));
    };
    p.width = side(width, kDefaultWidth, areaWidth);
    p.height = side(height, kDefaultHeight, areaHeight);
    const auto signedOf = [](std::uint32_t v) { return static_cast<int>(static_cast<std::int32_t>(v)); };
    if (left != kUnset && top != kUnset) {
        const int x = signedOf(left);
        const int y = signedOf(top);
        // The title bar must stay reachable: a corner off the work area is forgotten.
        if (x >= areaX && y >= areaY && x < areaX + areaWidth - 50 && y < areaY + areaHeight - 50) {
            p.left = std::min(x, areaX + areaWidth - p.width);
            p.top = std::min(y, areaY + areaHeight - p.height);
        }
    }
    return p;
}

} // namespace yv::sampleview
