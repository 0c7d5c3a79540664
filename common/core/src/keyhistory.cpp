// The search-key history list.
#include <etccore/keyhistory.h>

namespace yv::etc {

std::vector<std::string_view> splitHistory(std::string_view stored)
{
    std::vector<std::string_view> keys;
    while (!stored.empty() && keys.size() < kHistoryEntries) {
        const auto lf = stored.find('\n');
        const std::string_view piece = stored.substr(0, lf);
        if (!piece.empty())
            keys.push_back(piece);
        stored = lf == std::string_view::npos ? std::string_view() : stored.substr(lf + 1);
    }
    return keys;
}

std::string rememberKey(std::string_view stored, std::string_view key)
{
    std::string out;
    out.append(key).push_back('\n');
    std::size_t count = 1;
    for (const std::string_view old : splitHistory(stored)) {
        if (count == kHistoryEntries)
            break;
        if (old == key)
            continue;
        out.append(old).push_back('\n');
        ++count;
    }
    return out;
}

} // namespace yv::etc
