// Search requests of the search service and the texts the search command shows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace yv::lexview {

// The key buffer holds this many bytes.
inline constexpr std::size_t kMaxRequestKeyBytes = 512;
// The not-found message quotes at most this many bytes of the key.
inline constexpr std::size_t kNotFoundKeyBytes = 91;

struct SearchRequest {
    std::string key;                          // Shift_JIS
    std::optional<std::uint64_t> returnWindow;  // the window Esc brings back
};

// "key" or "key TAB hexadecimal window"; nothing for a request to ignore (a TAB first). A
// window that does not parse leaves the return window unset.
std::optional<SearchRequest> parseSearchRequest(std::string_view sjis);

// Cut to the key buffer (never inside a double-byte character) with its white space
// normalised: a TAB becomes a space; in single-byte text CR, and LF after CR, become spaces
// and other LFs go; in text with double-byte characters CR and LF go.
std::string normaliseRequestKey(std::string_view sjis);

// "検索キー : "KEY" は見つかりませんでした" in Shift_JIS, with the key cut to 91 bytes.
std::string notFoundMessage(std::string_view sjisKey);

} // namespace yv::lexview
