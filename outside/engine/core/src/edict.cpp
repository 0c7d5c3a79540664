// EDICT parsing, index building and the binary cache file.
#include "edict.h"

#include "textscan.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace yv::engine::Internal {

static_assert(sizeof(EntryRecord) == 24 && sizeof(SenseRecord) == 16 && sizeof(KeyRecord) == 16,
              "cache records must have no padding");
static_assert(std::is_trivially_copyable_v<EntryRecord> && std::is_trivially_copyable_v<SenseRecord>
              && std::is_trivially_copyable_v<KeyRecord>);

namespace {

constexpr std::uint32_t kCacheVersion = 5;
constexpr char kCacheMagic[8] = {'Y', 'V', 'E', 'D', 'I', 'C', 'T', '\0'};
constexpr std::uint32_t kByteOrderMark = 0x01020304;
// EDICT lines longer than this are not dictionary entries.
constexpr std::size_t kMaxLineBytes = 16 * 1024;
constexpr std::size_t kMaxSensesPerEntry = 64;

struct CacheHeader {
    char magic[8];
    std::uint32_t version;
    std::uint32_t byteOrder;
    std::uint64_t sourceSize;
    std::int64_t sourceTime;
    std::uint64_t poolBytes;
    std::uint64_t entries;
    std::uint64_t senses;
    std::uint64_t english;
    std::uint64_t japanese;
    std::uint64_t checksum;
};

std::uint64_t checksumOf(std::string_view bytes)
{
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        hash = (hash ^ word) * 0x100000001b3ULL;
        hash ^= hash >> 29;
    }
    for (; i < bytes.size(); ++i)
        hash = (hash ^ static_cast<unsigned char>(bytes[i])) * 0x100000001b3ULL;
    return hash;
}

bool isTagWord(std::string_view part)
{
    if (part.empty() || part.size() > 10)
        return false;
    return std::all_of(part.begin(), part.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
    });
}

bool isNumber(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string_view trimSpaces(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

// Usage marks that make a word a poor default translation.
bool isMarkedUsage(std::string_view tag)
{
    static constexpr std::string_view kMarks[] = {"male", "fem", "col", "vulg", "arch", "obs", "obsc", "chn", "derog",
                                                  "sl", "rare", "X", "poet", "joc", "ik", "io", "oK", "ok", "abbr", "dated", "hum", "hon"};
    return std::find(std::begin(kMarks), std::end(kMarks), tag) != std::end(kMarks);
}

bool isKatakanaOnly(std::string_view utf8)
{
    // Katakana U+30A0-U+30FF are E3 82 A0 - E3 83 BF in UTF-8.
    if (utf8.empty() || utf8.size() % 3 != 0)
        return false;
    for (std::size_t i = 0; i < utf8.size(); i += 3) {
        const auto b0 = static_cast<unsigned char>(utf8[i]);
        const auto b1 = static_cast<unsigned char>(utf8[i + 1]);
        const auto b2 = static_cast<unsigned char>(utf8[i + 2]);
        if (b0 != 0xE3 || !((b1 == 0x82 && b2 >= 0xA0) || b1 == 0x83))
            return false;
    }
    return true;
}

struct ParsedSense {
    std::string glosses;
    std::uint32_t posMask = 0;
    VerbClass verbClass = VerbClass::None;
    bool usuallyKana = false;
    bool marked = false; // slang, archaic, children's language and the like
    std::size_t glossCount = 0;
};

struct ParsedEntry {
    std::string_view headword;
    std::string_view reading;
    bool common = false;
    std::vector<ParsedSense> senses;
};

std::optional<ParsedEntry> parseLine(std::string_view line)
{
    const auto slash = line.find(" /");
    if (slash == std::string_view::npos || slash == 0 || line.size() > kMaxLineBytes)
        return std::nullopt;
    ParsedEntry entry;
    std::string_view head = trimSpaces(line.substr(0, slash));
    if (const auto open = head.find(" ["); open != std::string_view::npos) {
        const auto close = head.find(']', open);
        if (close == std::string_view::npos)
            return std::nullopt;
        entry.reading = head.substr(open + 2, close - open - 2);
        head = head.substr(0, open);
    }
    entry.headword = head;
    // EDICT's first line ("　？？？ /EDICT, ...") describes the file.
    if (entry.headword.empty() || entry.headword.starts_with("\u3000")
        || entry.headword.find_first_of(" /") != std::string_view::npos)
        return std::nullopt;
    std::string_view rest = line.substr(slash + 2);
    entry.senses.emplace_back();
    while (!rest.empty()) {
        const auto end = rest.find('/');
        std::string_view field = trimSpaces(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        if (field == "(P)") {
            entry.common = true;
            continue;
        }
        if (field.empty() || field.starts_with("EntL"))
            continue;
        while (field.starts_with('(')) {
            const auto close = field.find(')');
            if (close == std::string_view::npos)
                break;
            const std::string_view group = field.substr(1, close - 1);
            std::vector<std::string_view> parts;
            bool allTags = true;
            for (std::size_t start = 0; start <= group.size();) {
                const auto comma = std::min(group.find(',', start), group.size());
                const auto part = group.substr(start, comma - start);
                allTags = allTags && isTagWord(part);
                parts.push_back(part);
                start = comma + 1;
            }
            if (!allTags)
                break;
            std::uint32_t mask = 0;
            VerbClass verbClass = VerbClass::None;
            bool numbered = false;
            bool usuallyKana = false;
            bool marked = false;
            for (const auto part : parts) {
                if (isNumber(part))
                    numbered = true;
                else if (part == "uk")
                    usuallyKana = true;
                else if (!applyEdictTag(part, mask, verbClass))
                    marked = marked || isMarkedUsage(part);
            }
            if ((mask != 0 || numbered) && entry.senses.back().glossCount > 0
                && entry.senses.size() < kMaxSensesPerEntry) {
                ParsedSense next;
                if (mask == 0) {
                    next.posMask = entry.senses.back().posMask;
                    next.verbClass = entry.senses.back().verbClass;
                }
                entry.senses.push_back(std::move(next));
            }
            auto& sense = entry.senses.back();
            sense.posMask |= mask;
            if (verbClass != VerbClass::None)
                sense.verbClass = verbClass;
            sense.usuallyKana = sense.usuallyKana || usuallyKana;
            sense.marked = sense.marked || marked;
            field = trimSpaces(field.substr(close + 1));
        }
        if (field.empty())
            continue;
        auto& sense = entry.senses.back();
        if (!sense.glosses.empty())
            sense.glosses += '/';
        sense.glosses += field;
        ++sense.glossCount;
    }
    std::erase_if(entry.senses, [](const ParsedSense& s) { return s.glossCount == 0; });
    if (entry.senses.empty())
        return std::nullopt;
    return entry;
}

std::int16_t clampScore(int score)
{
    return static_cast<std::int16_t>(std::clamp(score, -30000, 30000));
}

} // namespace

std::string englishKey(std::string_view gloss, bool* isVerb)
{
    std::string key;
    int depth = 0;
    for (const char c : gloss) {
        if (c == '(') {
            ++depth;
        } else if (c == ')') {
            if (depth > 0)
                --depth;
        } else if (depth == 0) {
            if (static_cast<unsigned char>(c) >= 0x80)
                return {};
            const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
            if (lower == ' ' && (key.empty() || key.back() == ' '))
                continue;
            key += lower;
        }
    }
    while (!key.empty() && (key.back() == ' ' || key.back() == '.' || key.back() == '!'))
        key.pop_back();
    bool verb = false;
    if (key.starts_with("to ")) {
        verb = true;
        key.erase(0, 3);
    }
    for (const std::string_view article : {"a ", "an ", "the "}) {
        if (key.starts_with(article) && key.size() > article.size()) {
            key.erase(0, article.size());
            break;
        }
    }
    if (isVerb)
        *isVerb = verb;
    if (key.empty() || key.size() > kMaxEnglishKeyBytes
        || static_cast<std::size_t>(std::count(key.begin(), key.end(), ' ')) >= kMaxPhraseWords)
        return {};
    return key;
}

std::string plainGloss(std::string_view glosses, bool dropTo)
{
    std::string_view first = glosses.substr(0, glosses.find('/'));
    std::string out;
    int depth = 0;
    for (const char c : first) {
        if (c == '(')
            ++depth;
        else if (c == ')')
            depth = depth > 0 ? depth - 1 : 0;
        else if (depth == 0 && !(c == ' ' && (out.empty() || out.back() == ' ')))
            out += c;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    if (dropTo && out.starts_with("to ") && out.size() > 3)
        out.erase(0, 3);
    return out.empty() ? std::string(first) : out;
}

Dictionary Dictionary::parse(std::string_view utf8)
{
    Dictionary dict;
    const auto addString = [&dict](std::string_view s) {
        const StringRef ref{static_cast<std::uint32_t>(dict.m_pool.size()), static_cast<std::uint32_t>(s.size())};
        dict.m_pool += s;
        return ref;
    };
    forEachLine(utf8, [&](std::string_view line) {
        if (dict.m_pool.size() > 0xF0000000u)
            return;
        auto parsed = parseLine(line);
        if (!parsed)
            return;
        const auto entryIndex = static_cast<std::uint32_t>(dict.m_entries.size());
        EntryRecord entry;
        entry.headword = addString(parsed->headword);
        entry.reading = addString(parsed->reading);
        entry.firstSense = static_cast<std::uint32_t>(dict.m_senses.size());
        entry.senseCount = static_cast<std::uint16_t>(parsed->senses.size());
        entry.flags = parsed->common ? kCommonEntry : 0;
        dict.m_entries.push_back(entry);
        const int common = parsed->common ? 400 : 0;
        const int headChars = static_cast<int>(utf8Length(parsed->headword));
        const int loanword = isKatakanaOnly(parsed->headword) ? 60 : 0;
        for (std::size_t s = 0; s < parsed->senses.size(); ++s) {
            const auto& sense = parsed->senses[s];
            SenseRecord record;
            record.glosses = addString(sense.glosses);
            record.posMask = sense.posMask;
            record.verbClass = sense.verbClass;
            record.usuallyKana = sense.usuallyKana ? 1 : 0;
            dict.m_senses.push_back(record);
            std::size_t g = 0;
            std::string_view glosses = sense.glosses;
            while (!glosses.empty() && g < 8) {
                const auto end = glosses.find('/');
                const auto gloss = glosses.substr(0, end);
                glosses = end == std::string_view::npos ? std::string_view{} : glosses.substr(end + 1);
                const auto key = englishKey(gloss);
                if (!key.empty()) {
                    const int score = common - 40 * static_cast<int>(s) - 15 * static_cast<int>(g)
                                      - 2 * static_cast<int>(std::min<std::size_t>(sense.glossCount, 5))
                                      - (sense.marked ? 80 : 0) - loanword - 4 * std::min(headChars, 10);
                    dict.m_english.push_back({addString(key), entryIndex, static_cast<std::uint16_t>(s), clampScore(score)});
                }
                ++g;
            }
        }
        const int jeScore = common - 2 * std::min<int>(entry.senseCount, 20);
        dict.m_japanese.push_back({entry.headword, entryIndex, 0, clampScore(jeScore + 100)});
        if (entry.reading.length > 0)
            dict.m_japanese.push_back({entry.reading, entryIndex, 0, clampScore(jeScore)});
    });
    const auto byKeyThenScore = [&dict](const KeyRecord& a, const KeyRecord& b) {
        const auto ka = dict.text(a.key);
        const auto kb = dict.text(b.key);
        if (ka != kb)
            return ka < kb;
        if (a.score != b.score)
            return a.score > b.score;
        return a.entry < b.entry;
    };
    std::sort(dict.m_english.begin(), dict.m_english.end(), byKeyThenScore);
    std::sort(dict.m_japanese.begin(), dict.m_japanese.end(), byKeyThenScore);
    return dict;
}

std::span<const KeyRecord> Dictionary::range(const std::vector<KeyRecord>& index, std::string_view key) const
{
    const auto lower = std::lower_bound(index.begin(), index.end(), key,
                                        [this](const KeyRecord& r, std::string_view k) { return text(r.key) < k; });
    auto upper = lower;
    while (upper != index.end() && text(upper->key) == key)
        ++upper;
    return {lower, upper};
}

namespace {

template <typename T>
void appendArray(std::string& out, const std::vector<T>& items)
{
    if (!items.empty())
        out.append(reinterpret_cast<const char*>(items.data()), items.size() * sizeof(T));
}

template <typename T>
bool takeArray(std::string_view& bytes, std::uint64_t count, std::vector<T>& out)
{
    if (count > bytes.size() / sizeof(T))
        return false;
    out.resize(count);
    if (count > 0)
        std::memcpy(out.data(), bytes.data(), count * sizeof(T));
    bytes.remove_prefix(count * sizeof(T));
    return true;
}

} // namespace

std::string Dictionary::serialize(std::uint64_t sourceSize, std::int64_t sourceTime) const
{
    std::string payload = m_pool;
    appendArray(payload, m_entries);
    appendArray(payload, m_senses);
    appendArray(payload, m_english);
    appendArray(payload, m_japanese);
    CacheHeader header{};
    std::memcpy(header.magic, kCacheMagic, sizeof header.magic);
    header.version = kCacheVersion;
    header.byteOrder = kByteOrderMark;
    header.sourceSize = sourceSize;
    header.sourceTime = sourceTime;
    header.poolBytes = m_pool.size();
    header.entries = m_entries.size();
    header.senses = m_senses.size();
    header.english = m_english.size();
    header.japanese = m_japanese.size();
    header.checksum = checksumOf(payload);
    std::string out(reinterpret_cast<const char*>(&header), sizeof header);
    out += payload;
    return out;
}

std::optional<Dictionary> Dictionary::deserialize(std::string_view bytes, std::uint64_t sourceSize,
                                                  std::int64_t sourceTime)
{
    CacheHeader header;
    if (bytes.size() < sizeof header)
        return std::nullopt;
    std::memcpy(&header, bytes.data(), sizeof header);
    bytes.remove_prefix(sizeof header);
    if (std::memcmp(header.magic, kCacheMagic, sizeof header.magic) != 0 || header.version != kCacheVersion
        || header.byteOrder != kByteOrderMark || header.sourceSize != sourceSize
        || header.sourceTime != sourceTime || header.poolBytes > bytes.size()
        || checksumOf(bytes) != header.checksum)
        return std::nullopt;
    Dictionary dict;
    dict.m_pool.assign(bytes.substr(0, header.poolBytes));
    bytes.remove_prefix(header.poolBytes);
    if (!takeArray(bytes, header.entries, dict.m_entries) || !takeArray(bytes, header.senses, dict.m_senses)
        || !takeArray(bytes, header.english, dict.m_english) || !takeArray(bytes, header.japanese, dict.m_japanese)
        || !bytes.empty() || !dict.valid())
        return std::nullopt;
    return dict;
}

bool Dictionary::valid() const
{
    const auto inPool = [this](StringRef r) { return r.offset <= m_pool.size() && r.length <= m_pool.size() - r.offset; };
    for (const auto& e : m_entries) {
        if (!inPool(e.headword) || !inPool(e.reading) || e.firstSense > m_senses.size()
            || e.senseCount > m_senses.size() - e.firstSense)
            return false;
    }
    for (const auto& s : m_senses) {
        if (!inPool(s.glosses) || s.verbClass > VerbClass::Zuru)
            return false;
    }
    for (const auto* index : {&m_english, &m_japanese}) {
        for (const auto& k : *index) {
            if (!inPool(k.key) || k.entry >= m_entries.size() || k.sense >= m_entries[k.entry].senseCount)
                return false;
        }
    }
    return true;
}

} // namespace yv::engine::Internal
