// Walking a search index: tree descent, then the leaf scan that collects hit positions.
#pragma once

#include <book/blocksource.h>
#include <book/searchkey.h>

#include <functional>
#include <unordered_set>
#include <vector>

namespace yv::book {

struct HitRecord {
    TextPosition text;
    TextPosition heading;
    bool hasHeading = false;
};

// Exact-word indexes compare whole keys; forward and backward indexes compare as many codes
// as the normalised key has (and their entries carry a heading position).
enum class MatchRule { Exact, Prefix };

enum class SearchOutcome { Found, NotFound, Cancelled, ReadError };

// Beyond this many hits the user is asked whether to show them.
inline constexpr std::size_t kHitLimit = 500;
// Deeper trees than this are taken for looping pages.
inline constexpr int kMaxIndexDepth = 32;

namespace PageFlag {
inline constexpr std::uint8_t Leaf = 0x80;
inline constexpr std::uint8_t LastLeaf = 0x20;
inline constexpr std::uint8_t GroupEntries = 0x10;
} // namespace PageFlag

namespace GroupTag {
inline constexpr std::uint8_t Single = 0x00;
inline constexpr std::uint8_t Head = 0x80;
inline constexpr std::uint8_t Member = 0xC0;
} // namespace GroupTag

// The hits of one search in order of discovery, one per text position.
class HitList final {
public:
    // False when a hit with the same text position is already present.
    bool add(const HitRecord& hit);
    void clear();
    std::size_t size() const { return m_hits.size(); }
    bool empty() const { return m_hits.empty(); }
    const std::vector<HitRecord>& hits() const { return m_hits; }
    bool contains(const TextPosition& text) const;

private:
    static std::uint64_t keyOf(const TextPosition& p) { return std::uint64_t{p.block} << 16 | p.offset; }

    std::vector<HitRecord> m_hits;
    std::unordered_set<std::uint64_t> m_seen;
};

// Searches the index starting at `startBlock` for the key (normalised for that index) and
// adds its hits. `askKeepHits` is asked when the limit is reached and more entries match:
// true keeps what was found, false discards it and the search ends as cancelled. Malformed
// pages end the search as a read error.
SearchOutcome searchIndex(BlockSource& source, std::uint32_t startBlock, MatchRule rule, const SearchKey& key,
                          HitList& hits, const std::function<bool()>& askKeepHits);

} // namespace yv::book
