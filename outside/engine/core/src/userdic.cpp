// User dictionaries: a pair of files "NAME.dic" (the entries) and "NAME.idx" (their order).
//
// All integers are big-endian. "NAME.dic":
//   0   8 bytes  magic "YVUDIC\r\n"
//   8   u16      format version (1)
//   10  u16      0
//   12  u32      number of entries
//   16  u32      bytes of the record area that follows the header
//   20  u32      CRC-32 (IEEE) of the record area
//   24  records, each: u8 headword length (1-255), headword; u16 translation length,
//       translation; u8 part-of-speech length, part of speech. Text is CP932.
// "NAME.idx":
//   0   8 bytes  magic "YVUIDX\r\n"
//   8   u16      format version (1)
//   10  u16      0
//   12  u32      number of entries (the .dic's)
//   16  u32      the .dic's record-area CRC-32: an index of another state is stale
//   20  u32 × n  offsets of the records in the record area, in order of their headwords
//                (bytes compared with ASCII letters folded to lower case)
// The .dic alone is the truth: an index that is missing, damaged or stale is rebuilt in
// memory and written afresh with the next change. Every length and offset is checked
// against the bytes present before it is used.
#include "userdicformat.h"

#include <platform/atomicfile.h>
#include <platform/textutil.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace yv::engine {

namespace Internal {

namespace {

constexpr std::string_view kDicMagic = "YVUDIC\r\n";
constexpr std::string_view kIdxMagic = "YVUIDX\r\n";
constexpr std::uint16_t kFormatVersion = 1;
constexpr std::size_t kHeaderBytes = 20;
constexpr std::size_t kDicHeaderBytes = 24;

std::uint32_t crc32(std::string_view bytes)
{
    static const auto kTable = [] {
        std::array<std::uint32_t, 256> table{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        return table;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char b : bytes)
        crc = kTable[(crc ^ static_cast<unsigned char>(b)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void putU16(std::string& out, std::uint16_t v)
{
    out += static_cast<char>(v >> 8);
    out += static_cast<char>(v & 0xFF);
}

void putU32(std::string& out, std::uint32_t v)
{
    putU16(out, static_cast<std::uint16_t>(v >> 16));
    putU16(out, static_cast<std::uint16_t>(v & 0xFFFF));
}

std::uint32_t getU16(std::string_view b, std::size_t at)
{
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) << 8) | static_cast<unsigned char>(b[at + 1]);
}

std::uint32_t getU32(std::string_view b, std::size_t at)
{
    return (getU16(b, at) << 16) | getU16(b, at + 2);
}

struct Record {
    userdic::Entry entry;
    std::uint32_t offset;
};

// Reads the record at `at`; nothing when it runs past the end.
std::optional<userdic::Entry> readRecord(std::string_view area, std::size_t& at)
{
    const auto field = [&](std::size_t lengthBytes, std::size_t minimum) -> std::optional<std::string> {
        if (area.size() - at < lengthBytes)
            return std::nullopt;
        const std::size_t length = lengthBytes == 1 ? static_cast<unsigned char>(area[at]) : getU16(area, at);
        at += lengthBytes;
        if (length < minimum || area.size() - at < length)
            return std::nullopt;
        std::string text(area.substr(at, length));
        at += length;
        return text;
    };
    auto headword = field(1, 1);
    if (!headword)
        return std::nullopt;
    auto translation = field(2, 0);
    if (!translation)
        return std::nullopt;
    auto pos = field(1, 0);
    if (!pos)
        return std::nullopt;
    return userdic::Entry{std::move(*headword), std::move(*translation), std::move(*pos)};
}

bool headerMatches(std::string_view bytes, std::string_view magic)
{
    return bytes.size() >= kHeaderBytes && bytes.substr(0, magic.size()) == magic
           && getU16(bytes, 8) == kFormatVersion;
}

} // namespace

bool headwordLess(std::string_view a, std::string_view b)
{
    const auto n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(text::asciiLower(a[i]));
        const auto cb = static_cast<unsigned char>(text::asciiLower(b[i]));
        if (ca != cb)
            return ca < cb;
    }
    return a.size() < b.size();
}

bool headwordEqual(std::string_view a, std::string_view b)
{
    return text::equalsIgnoringAsciiCase(a, b);
}

std::optional<UserDictionaryData> parseUserDictionary(std::string_view dic, std::string_view idx)
{
    if (!headerMatches(dic, kDicMagic) || dic.size() < kDicHeaderBytes || dic.size() > kMaxUserDictionaryBytes)
        return std::nullopt;
    const std::uint32_t count = getU32(dic, 12);
    const std::uint32_t areaBytes = getU32(dic, 16);
    const std::uint32_t areaCrc = getU32(dic, 20);
    if (areaBytes != dic.size() - kDicHeaderBytes || count > areaBytes / 4)
        return std::nullopt;
    const std::string_view area = dic.substr(kDicHeaderBytes);
    if (crc32(area) != areaCrc)
        return std::nullopt;
    std::vector<Record> records;
    records.reserve(count);
    std::size_t at = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const auto offset = static_cast<std::uint32_t>(at);
        auto entry = readRecord(area, at);
        if (!entry)
            return std::nullopt;
        records.push_back({std::move(*entry), offset});
    }
    if (at != area.size())
        return std::nullopt;

    UserDictionaryData data;
    bool indexUsable = headerMatches(idx, kIdxMagic) && getU32(idx, 12) == count && getU32(idx, 16) == areaCrc
                       && idx.size() == kHeaderBytes + 4ull * count;
    std::vector<std::size_t> order;
    if (indexUsable) {
        // Records lie in index order when the file was written by us; check, do not assume.
        for (std::uint32_t i = 0; i < count && indexUsable; ++i) {
            const auto offset = getU32(idx, kHeaderBytes + 4 * i);
            const auto found = std::lower_bound(records.begin(), records.end(), offset,
                                                [](const Record& r, std::uint32_t o) { return r.offset < o; });
            if (found == records.end() || found->offset != offset) {
                indexUsable = false;
                break;
            }
            const auto position = static_cast<std::size_t>(found - records.begin());
            if (!order.empty() && headwordLess(records[position].entry.headword, records[order.back()].entry.headword))
                indexUsable = false;
            order.push_back(position);
        }
        std::vector<std::size_t> sorted = order;
        std::sort(sorted.begin(), sorted.end());
        indexUsable = indexUsable && std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end();
    }
    if (!indexUsable) {
        order.resize(records.size());
        for (std::size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return headwordLess(records[a].entry.headword, records[b].entry.headword);
        });
        data.indexRebuilt = true;
    }
    data.entries.reserve(records.size());
    for (const auto position : order)
        data.entries.push_back(std::move(records[position].entry));
    return data;
}

UserDictionaryFiles serializeUserDictionary(std::vector<userdic::Entry> entries)
{
    std::stable_sort(entries.begin(), entries.end(),
                     [](const userdic::Entry& a, const userdic::Entry& b) { return headwordLess(a.headword, b.headword); });
    std::string area;
    std::vector<std::uint32_t> offsets;
    for (const auto& e : entries) {
        offsets.push_back(static_cast<std::uint32_t>(area.size()));
        area += static_cast<char>(e.headword.size());
        area += e.headword;
        putU16(area, static_cast<std::uint16_t>(e.translation.size()));
        area += e.translation;
        area += static_cast<char>(e.partOfSpeech.size());
        area += e.partOfSpeech;
    }
    const auto crc = crc32(area);
    UserDictionaryFiles files;
    files.dic = kDicMagic;
    putU16(files.dic, kFormatVersion);
    putU16(files.dic, 0);
    putU32(files.dic, static_cast<std::uint32_t>(entries.size()));
    putU32(files.dic, static_cast<std::uint32_t>(area.size()));
    putU32(files.dic, crc);
    files.dic += area;
    files.idx = kIdxMagic;
    putU16(files.idx, kFormatVersion);
    putU16(files.idx, 0);
    putU32(files.idx, static_cast<std::uint32_t>(entries.size()));
    putU32(files.idx, crc);
    for (const auto offset : offsets)
        putU32(files.idx, offset);
    return files;
}

std::vector<const userdic::Entry*> findUserEntries(const UserDictionaryData& data, std::string_view headword)
{
    std::vector<const userdic::Entry*> found;
    auto it = std::lower_bound(data.entries.begin(), data.entries.end(), headword,
                               [](const userdic::Entry& e, std::string_view key) { return headwordLess(e.headword, key); });
    for (; it != data.entries.end() && headwordEqual(it->headword, headword); ++it)
        found.push_back(&*it);
    return found;
}

} // namespace Internal

namespace userdic {

namespace {

std::filesystem::path withExtension(const std::filesystem::path& base, const char* extension)
{
    auto path = base;
    path += extension;
    return path;
}

bool write(const std::filesystem::path& base, std::vector<Entry> entries)
{
    const auto files = Internal::serializeUserDictionary(std::move(entries));
    // The dictionary first: an index left from before it no longer matches and is rebuilt.
    return files::writeAtomically(withExtension(base, ".dic"), files.dic)
           && files::writeAtomically(withExtension(base, ".idx"), files.idx);
}

} // namespace

bool create(const std::filesystem::path& pathWithoutExtension)
{
    return !pathWithoutExtension.empty() && write(pathWithoutExtension, {});
}

bool add(const std::filesystem::path& pathWithoutExtension, const Entry& entry)
{
    if (entry.headword.empty() || entry.headword.size() > Internal::kMaxUserHeadwordBytes
        || entry.translation.size() > Internal::kMaxUserTranslationBytes
        || entry.partOfSpeech.size() > Internal::kMaxUserPartOfSpeechBytes)
        return false;
    auto entries = read(pathWithoutExtension);
    if (!entries)
        return false;
    const auto same = std::find_if(entries->begin(), entries->end(), [&](const Entry& e) {
        return e.headword == entry.headword && e.partOfSpeech == entry.partOfSpeech;
    });
    if (same != entries->end())
        *same = entry;
    else
        entries->push_back(entry);
    return write(pathWithoutExtension, std::move(*entries));
}

std::optional<std::vector<Entry>> read(const std::filesystem::path& pathWithoutExtension)
{
    const auto dic = files::readWhole(withExtension(pathWithoutExtension, ".dic"), Internal::kMaxUserDictionaryBytes);
    if (!dic)
        return std::nullopt;
    const auto idx = files::readWhole(withExtension(pathWithoutExtension, ".idx"), Internal::kMaxUserDictionaryBytes);
    auto data = Internal::parseUserDictionary(*dic, idx ? std::string_view(*idx) : std::string_view{});
    if (!data)
        return std::nullopt;
    return std::move(data->entries);
}

} // namespace userdic

} // namespace yv::engine
