// Index pages: descent through the non-leaf levels and the scan of the leaf level.
#include <book/indexsearch.h>

#include <span>

namespace yv::book {

namespace {

constexpr std::size_t kPageHeaderSize = 4;
constexpr std::size_t kPositionSize = 6;
constexpr std::size_t kChildSize = 4;

using Codes = std::span<const std::uint16_t>;

// A key as stored in a page: big-endian codes, ended by its length or a zero code.
struct PageKey {
    Bytes bytes;

    std::size_t codeCount() const
    {
        std::size_t n = 0;
        while (n * 2 + 1 < bytes.size() && (bytes[n * 2] | bytes[n * 2 + 1]) != 0)
            ++n;
        return n;
    }
    std::uint16_t code(std::size_t i) const { return readBe16(bytes, i * 2); }
};

// Code-by-code comparison as unsigned 16-bit values; a shorter key that is a prefix of the
// other sorts first.
int compareKeys(const PageKey& entry, Codes key)
{
    const std::size_t n = entry.codeCount();
    for (std::size_t i = 0; i < n && i < key.size(); ++i) {
        const std::uint16_t c = entry.code(i);
        if (c != key[i])
            return c < key[i] ? -1 : 1;
    }
    if (n == key.size())
        return 0;
    return n < key.size() ? -1 : 1;
}

bool keysEqual(const PageKey& entry, Codes key)
{
    return compareKeys(entry, key) == 0;
}

// The prefix rule stops after as many codes as the key has.
bool keyMatches(const PageKey& entry, Codes key, MatchRule rule)
{
    if (rule == MatchRule::Exact)
        return keysEqual(entry, key);
    // The key holds no zero code, so a zero in the entry ends the match too.
    if (entry.bytes.size() < key.size() * 2)
        return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (entry.code(i) != key[i])
            return false;
    }
    return true;
}

// A page as the source lends it: valid until the next page is read.
struct Page {
    Bytes bytes;
    std::uint8_t flags = 0;
    std::uint8_t keyLength = 0;
    std::uint16_t count = 0;

    Bytes view() const { return bytes; }
};

bool readPage(BlockSource& source, std::uint32_t block, Page& page)
{
    const auto bytes = source.block(block);
    if (!bytes || bytes->size() < kBlockSize)
        return false;
    page.bytes = *bytes;
    page.flags = page.bytes[0];
    page.keyLength = page.bytes[1];
    page.count = readBe16(page.bytes, 2);
    return true;
}

enum class Step { Continue, Stop, Cancelled, Malformed };

// The state of a leaf scan across consecutive pages.
class LeafScan final {
public:
    LeafScan(MatchRule rule, const SearchKey& key, HitList& hits, const std::function<bool()>& ask)
        : m_rule(rule), m_key(key), m_hits(hits), m_ask(ask)
    {
    }

    SearchOutcome run(BlockSource& source, std::uint32_t block, Page& page);

private:
    Step scanFixed(const Page& page);
    Step scanVariable(const Page& page);
    Step scanGroups(const Page& page);
    Step collect(Bytes page, std::size_t positionAt);

    MatchRule m_rule;
    const SearchKey& m_key;
    HitList& m_hits;
    const std::function<bool()>& m_ask;
    bool m_started = false;  // the first match has been found
    bool m_inGroup = false;  // after a matching group head
};

Step LeafScan::collect(Bytes page, std::size_t positionAt)
{
    HitRecord hit;
    hit.text = readBinaryPosition(page, positionAt);
    if (m_rule == MatchRule::Prefix) {
        hit.heading = readBinaryPosition(page, positionAt + kPositionSize);
        hit.hasHeading = true;
    }
    if (m_hits.contains(hit.text))
        return Step::Continue;
    if (m_hits.size() >= kHitLimit) {
        if (m_ask && m_ask())
            return Step::Stop;
        m_hits.clear();
        return Step::Cancelled;
    }
    m_hits.add(hit);
    return Step::Continue;
}

Step LeafScan::scanFixed(const Page& page)
{
    const std::size_t entrySize = page.keyLength + kPositionSize;
    if (kPageHeaderSize + std::size_t{page.count} * entrySize > kBlockSize)
        return Step::Malformed;
    const Bytes bytes = page.view();
    auto keyAt = [&](std::size_t i) {
        return PageKey{bytes.subspan(kPageHeaderSize + i * entrySize, page.keyLength)};
    };
    std::size_t low = 0;
    std::size_t high = page.count;
    while (low < high) {
        const std::size_t mid = (low + high) / 2;
        if (compareKeys(keyAt(mid), m_key.entered) < 0)
            low = mid + 1;
        else
            high = mid;
    }
    // Fixed-length entries are whole keys: the hits lie within this page, without a limit.
    for (std::size_t i = low; i < page.count && keysEqual(keyAt(i), m_key.entered); ++i) {
        HitRecord hit;
        hit.text = readBinaryPosition(bytes, kPageHeaderSize + i * entrySize + page.keyLength);
        m_hits.add(hit);
    }
    return Step::Stop;
}

Step LeafScan::scanVariable(const Page& page)
{
    const Bytes bytes = page.view();
    const std::size_t positions = m_rule == MatchRule::Prefix ? 2 * kPositionSize : kPositionSize;
    std::size_t at = kPageHeaderSize;
    for (std::size_t i = 0; i < page.count; ++i) {
        if (at + 1 > kBlockSize)
            return Step::Malformed;
        const std::size_t length = bytes[at];
        if (at + 1 + length + positions > kBlockSize)
            return Step::Malformed;
        const PageKey entryKey{bytes.subspan(at + 1, length)};
        const bool matches = keyMatches(entryKey, m_key.normalized, m_rule);
        if (matches) {
            m_started = true;
            const Step step = collect(bytes, at + 1 + length);
            if (step != Step::Continue)
                return step;
        } else if (m_started) {
            return Step::Stop;
        }
        at += 1 + length + positions;
    }
    // A page without a match ends the search; otherwise the run may go on in the next page.
    return m_started ? Step::Continue : Step::Stop;
}

Step LeafScan::scanGroups(const Page& page)
{
    const Bytes bytes = page.view();
    const std::size_t positions = m_rule == MatchRule::Prefix ? 2 * kPositionSize : kPositionSize;
    std::size_t at = kPageHeaderSize;
    auto equalsEnteredOrFiltered = [&](const PageKey& k) {
        return keysEqual(k, m_key.entered) || keysEqual(k, m_key.filtered);
    };
    for (std::size_t i = 0; i < page.count; ++i) {
        if (at + 2 > kBlockSize)
            return Step::Malformed;
        const std::uint8_t tag = bytes[at];
        const std::size_t length = bytes[at + 1];
        if (tag == GroupTag::Single || tag == GroupTag::Member) {
            if (at + 2 + length + positions > kBlockSize)
                return Step::Malformed;
            const PageKey entryKey{bytes.subspan(at + 2, length)};
            if (tag == GroupTag::Single) {
                if (keyMatches(entryKey, m_key.normalized, m_rule)) {
                    m_started = true;
                    m_inGroup = false;
                    if (equalsEnteredOrFiltered(entryKey)) {
                        const Step step = collect(bytes, at + 2 + length);
                        if (step != Step::Continue)
                            return step;
                    }
                } else if (m_started) {
                    return Step::Stop;
                }
            } else if (m_started && m_inGroup && equalsEnteredOrFiltered(entryKey)) {
                const Step step = collect(bytes, at + 2 + length);
                if (step != Step::Continue)
                    return step;
            }
            at += 2 + length + positions;
        } else if (tag == GroupTag::Head) {
            if (at + 4 + length > kBlockSize)
                return Step::Malformed;
            const PageKey entryKey{bytes.subspan(at + 4, length)};
            if (keyMatches(entryKey, m_key.normalized, m_rule)) {
                m_started = true;
                m_inGroup = true;
            } else if (m_started) {
                return Step::Stop;
            } else {
                m_inGroup = false;
            }
            at += 4 + length;
        } else {
            return Step::Stop;
        }
    }
    return m_started ? Step::Continue : Step::Stop;
}

SearchOutcome LeafScan::run(BlockSource& source, std::uint32_t block, Page& page)
{
    for (;;) {
        Step step;
        if (page.keyLength != 0)
            step = scanFixed(page);
        else if (page.flags & PageFlag::GroupEntries)
            step = scanGroups(page);
        else
            step = scanVariable(page);
        if (step == Step::Malformed)
            return SearchOutcome::ReadError;
        if (step == Step::Cancelled)
            return SearchOutcome::Cancelled;
        if (step == Step::Stop || (page.flags & PageFlag::LastLeaf) || block == UINT32_MAX)
            break;
        // The run goes on in the next consecutive page, which must be a leaf of the same kind.
        ++block;
        if (!readPage(source, block, page))
            return SearchOutcome::ReadError;
        if (!(page.flags & PageFlag::Leaf) || page.keyLength != 0)
            return SearchOutcome::ReadError;
    }
    return SearchOutcome::NotFound;  // the caller tells by the hits whether any were found
}

} // namespace

bool HitList::add(const HitRecord& hit)
{
    if (!m_seen.insert(keyOf(hit.text)).second)
        return false;
    m_hits.push_back(hit);
    return true;
}

void HitList::clear()
{
    m_hits.clear();
    m_seen.clear();
}

bool HitList::contains(const TextPosition& text) const
{
    return m_seen.contains(keyOf(text));
}

SearchOutcome searchIndex(BlockSource& source, std::uint32_t startBlock, MatchRule rule, const SearchKey& key,
                          HitList& hits, const std::function<bool()>& askKeepHits)
{
    if (key.normalized.empty())
        return SearchOutcome::NotFound;
    Page page;
    std::uint32_t block = startBlock;
    for (int depth = 0;; ++depth) {
        if (depth > kMaxIndexDepth || !readPage(source, block, page))
            return SearchOutcome::ReadError;
        if (page.flags & PageFlag::Leaf)
            break;
        const std::size_t entrySize = page.keyLength + kChildSize;
        if (page.keyLength == 0 || kPageHeaderSize + std::size_t{page.count} * entrySize > kBlockSize)
            return SearchOutcome::ReadError;
        if (page.count == 0)
            return SearchOutcome::NotFound;
        const Bytes bytes = page.view();
        std::size_t low = 0;
        std::size_t high = page.count;
        while (low < high) {
            const std::size_t mid = (low + high) / 2;
            const PageKey k{bytes.subspan(kPageHeaderSize + mid * entrySize, page.keyLength)};
            if (compareKeys(k, key.normalized) < 0)
                low = mid + 1;
            else
                high = mid;
        }
        // Past every key: the last child still holds the nearest entries.
        const std::size_t chosen = low < page.count ? low : page.count - 1u;
        block = readBe32(bytes, kPageHeaderSize + chosen * entrySize + page.keyLength);
    }
    const std::size_t before = hits.size();
    LeafScan scan(rule, key, hits, askKeepHits);
    const SearchOutcome outcome = scan.run(source, block, page);
    if (outcome != SearchOutcome::NotFound)
        return outcome;
    return hits.size() > before ? SearchOutcome::Found : SearchOutcome::NotFound;
}

} // namespace yv::book
