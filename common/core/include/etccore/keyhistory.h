// The search-key history: newest first, at most 20 keys, each ended by a line feed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace yv::etc {

inline constexpr std::size_t kHistoryEntries = 20;

// The keys of a stored history, skipping empty pieces, at most 20.
std::vector<std::string_view> splitHistory(std::string_view stored);

// The stored history after remembering `key`: the key first, then the old keys in order
// without those equal to it (case-sensitive), cut to 20.
std::string rememberKey(std::string_view stored, std::string_view key);

} // namespace yv::etc
