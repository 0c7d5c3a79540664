// Reading, building and listing the word-substitution dictionary.
#include <capturerules/substitutiondictionary.h>

#include <platform/codec.h>

#include <algorithm>
#include <array>
#include <limits>

namespace yv::capture {

namespace {

using Bytes = std::span<const std::uint8_t>;

std::optional<std::uint32_t> readU32(Bytes bytes, std::uint64_t at)
{
    if (at > bytes.size() || bytes.size() - at < 4)
        return std::nullopt;
    return static_cast<std::uint32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16)
        | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::optional<std::uint16_t> readU16(Bytes bytes, std::uint64_t at)
{
    if (at > bytes.size() || bytes.size() - at < 2)
        return std::nullopt;
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

// Null when [at, at + length) does not lie inside the bytes.
std::optional<std::string_view> stringAt(Bytes bytes, std::uint64_t at, std::uint64_t length)
{
    if (at > bytes.size() || bytes.size() - at < length)
        return std::nullopt;
    return std::string_view(reinterpret_cast<const char*>(bytes.data() + at), length);
}

// Byte order: unsigned, a shorter key before the longer keys it begins.
int compareBytes(std::string_view a, std::string_view b)
{
    const int c = std::char_traits<char>::compare(a.data(), b.data(), std::min(a.size(), b.size()));
    if (c != 0)
        return c;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

std::uint16_t bucketCode(std::string_view key)
{
    const auto first = static_cast<unsigned char>(key[0]);
    const auto second = key.size() > 1 ? static_cast<unsigned char>(key[1]) : 0u;
    return static_cast<std::uint16_t>(first << 8 | second);
}

constexpr char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char asciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr bool isAsciiAlnum(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool endsWithIgnoringCase(std::string_view word, std::string_view lowerSuffix)
{
    if (word.size() < lowerSuffix.size())
        return false;
    const std::string_view tail = word.substr(word.size() - lowerSuffix.size());
    return std::equal(tail.begin(), tail.end(), lowerSuffix.begin(),
                      [](char a, char b) { return asciiLower(a) == b; });
}

bool endsWithDoubledConsonant(std::string_view stem)
{
    if (stem.size() < 2)
        return false;
    const char last = asciiLower(stem.back());
    const bool consonant
        = last >= 'a' && last <= 'z' && std::string_view("aeiou").find(last) == std::string_view::npos;
    return consonant && asciiLower(stem[stem.size() - 2]) == last;
}

// The base forms a word may be inflected from, most likely first.
std::vector<std::string> baseForms(std::string_view word)
{
    std::vector<std::string> forms;
    const auto add = [&forms](std::string_view form) { forms.emplace_back(form); };
    if (endsWithIgnoringCase(word, "ed")) {
        const std::string_view stem = word.substr(0, word.size() - 2);
        add(word.substr(0, word.size() - 1));  // baked: bake
        add(stem);                             // walked: walk
        if (endsWithDoubledConsonant(stem))
            add(stem.substr(0, stem.size() - 1));  // stopped: stop
    } else if (endsWithIgnoringCase(word, "ing") && word.size() >= 5) {
        const std::string_view stem = word.substr(0, word.size() - 3);
        if (endsWithDoubledConsonant(stem))
            add(stem.substr(0, stem.size() - 1));  // running: run
        add(stem);                                 // falling: fall
        add(std::string(stem) + 'e');              // making: make
    } else if (endsWithIgnoringCase(word, "s")) {
        add(word.substr(0, word.size() - 1));  // words: word
        if (endsWithIgnoringCase(word, "ses") || endsWithIgnoringCase(word, "xes"))
            add(word.substr(0, word.size() - 2));  // boxes: box
        if (endsWithIgnoringCase(word, "ies"))
            add(std::string(word.substr(0, word.size() - 3)) + 'y');  // studies: study
    }
    return forms;
}

// The words of a key, joined by single spaces; nothing when anything else is in it.
std::optional<std::string> normalizedKey(std::string_view raw)
{
    std::string key;
    std::size_t i = 0;
    while (i < raw.size()) {
        if (raw[i] == ' ') {
            ++i;
            continue;
        }
        if (!isAsciiAlnum(raw[i]))
            return std::nullopt;
        if (!key.empty())
            key += ' ';
        while (i < raw.size() && isAsciiAlnum(raw[i]))
            key += raw[i++];
        if (i < raw.size() && raw[i] != ' ')
            return std::nullopt;
    }
    if (key.empty() || key.size() > kMaxSubstitutionKeyBytes)
        return std::nullopt;
    return key;
}

void putU16(std::string& out, std::uint16_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

void putU32(std::string& out, std::uint32_t v)
{
    putU16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    putU16(out, static_cast<std::uint16_t>(v >> 16));
}

} // namespace

SubstitutionDictionary::SubstitutionDictionary(std::span<const std::uint8_t> bytes)
    : m_bytes(bytes)
{
}

std::optional<SubstitutionDictionary> SubstitutionDictionary::open(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < kHeaderBytes || bytes[0] != 'h' || bytes[1] != 'T')
        return std::nullopt;
    SubstitutionDictionary dictionary(bytes);
    dictionary.m_bucketsAt = *readU32(bytes, 6);
    dictionary.m_bucketCount = *readU32(bytes, 10);
    dictionary.m_entriesAt = *readU32(bytes, 14);
    dictionary.m_keysAt = *readU32(bytes, 22);
    dictionary.m_valuesAt = *readU32(bytes, 26);
    const std::uint64_t bucketsEnd
        = std::uint64_t{dictionary.m_bucketsAt} + std::uint64_t{dictionary.m_bucketCount} * kBucketBytes;
    if (bucketsEnd > bytes.size() || dictionary.m_entriesAt > bytes.size() || dictionary.m_keysAt > bytes.size()
        || dictionary.m_valuesAt > bytes.size())
        return std::nullopt;
    return dictionary;
}

std::optional<std::string_view> SubstitutionDictionary::find(std::string_view key) const
{
    if (key.empty())
        return std::nullopt;
    const std::uint16_t code = bucketCode(key);

    // The bucket table lies inside the bytes (checked on opening).
    std::uint32_t low = 0;
    std::uint32_t high = m_bucketCount;
    std::uint64_t bucket = 0;
    bool bucketFound = false;
    while (low < high) {
        const std::uint32_t mid = low + (high - low) / 2;
        bucket = m_bucketsAt + std::uint64_t{mid} * kBucketBytes;
        const auto midCode = static_cast<std::uint16_t>(m_bytes[bucket] << 8 | m_bytes[bucket + 1]);
        if (midCode == code) {
            bucketFound = true;
            break;
        }
        if (midCode < code)
            low = mid + 1;
        else
            high = mid;
    }
    if (!bucketFound)
        return std::nullopt;

    const std::uint64_t first = *readU32(m_bytes, bucket + 2);
    const std::uint64_t count = *readU32(m_bytes, bucket + 6);
    if (m_entriesAt + (first + count) * kEntryBytes > m_bytes.size())
        return std::nullopt;
    std::uint64_t lowEntry = first;
    std::uint64_t highEntry = first + count;
    while (lowEntry < highEntry) {
        const std::uint64_t mid = lowEntry + (highEntry - lowEntry) / 2;
        const std::uint64_t entry = m_entriesAt + mid * kEntryBytes;
        const std::optional<std::string_view> entryKey
            = stringAt(m_bytes, std::uint64_t{m_keysAt} + *readU32(m_bytes, entry), *readU16(m_bytes, entry + 4));
        if (!entryKey)
            return std::nullopt;
        const int order = compareBytes(key, *entryKey);
        if (order < 0) {
            highEntry = mid;
        } else if (order > 0) {
            lowEntry = mid + 1;
        } else {
            const std::uint16_t valueLength = *readU16(m_bytes, entry + 10);
            if (valueLength == 0)
                return std::string_view();
            const std::optional<std::string_view> value
                = stringAt(m_bytes, std::uint64_t{m_valuesAt} + *readU32(m_bytes, entry + 6), valueLength - 1u);
            if (!value)
                return std::nullopt;
            return value->substr(0, value->find('\0'));
        }
    }
    return std::nullopt;
}

std::optional<std::string_view> SubstitutionDictionary::lookUp(std::string_view phrase) const
{
    std::string lower(phrase);
    std::transform(lower.begin(), lower.end(), lower.begin(), asciiLower);
    std::string upper(phrase);
    std::transform(upper.begin(), upper.end(), upper.begin(), asciiUpper);
    const std::array<std::string_view, 3> variants{phrase, lower, upper};
    for (std::size_t v = 0; v < variants.size(); ++v) {
        const std::string_view variant = variants[v];
        if (std::find(variants.begin(), variants.begin() + static_cast<std::ptrdiff_t>(v), variant)
            != variants.begin() + static_cast<std::ptrdiff_t>(v))
            continue;
        if (const auto value = find(variant))
            return value;
        if (variant.size() < 4)
            continue;
        for (const std::string& form : baseForms(variant)) {
            if (const auto value = find(form))
                return value;
        }
    }
    return std::nullopt;
}

std::optional<std::vector<SubstitutionEntry>> parseSubstitutionList(std::string_view utf8, std::string* error)
{
    constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
    if (utf8.starts_with(kUtf8Bom))
        utf8.remove_prefix(kUtf8Bom.size());
    std::vector<SubstitutionEntry> entries;
    std::size_t lineNumber = 0;
    while (!utf8.empty()) {
        ++lineNumber;
        const std::size_t lineEnd = utf8.find('\n');
        std::string_view line = utf8.substr(0, lineEnd);
        utf8.remove_prefix(lineEnd == std::string_view::npos ? utf8.size() : lineEnd + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line.find_first_not_of(" \t") == std::string_view::npos || line.starts_with('#'))
            continue;

        const std::size_t tab = line.find('\t');
        const std::string_view rawKey = line.substr(0, tab);
        const std::string_view rawValue = tab == std::string_view::npos ? std::string_view() : line.substr(tab + 1);
        const auto fail = [&](const std::string& why) {
            if (error)
                *error = "line " + std::to_string(lineNumber) + ": " + why;
            return std::nullopt;
        };
        std::optional<std::string> key = normalizedKey(rawKey);
        if (!key)
            return fail("the key must be ASCII letters and digits in words separated by spaces");
        std::string value = codec::utf8ToCp932(rawValue);
        if (value.find('\0') != std::string::npos)
            return fail("the value holds a NUL character");
        if (value.size() > kMaxSubstitutionValueBytes)
            return fail("the value is longer than 65,534 bytes in Shift_JIS");
        entries.push_back({std::move(*key), std::move(value)});
    }
    return entries;
}

std::optional<std::string> buildSubstitutionDictionary(std::vector<SubstitutionEntry> entries, std::string* error)
{
    const auto fail = [error](const std::string& why) {
        if (error)
            *error = why;
        return std::nullopt;
    };
    for (SubstitutionEntry& entry : entries) {
        std::optional<std::string> key = normalizedKey(entry.key);
        if (!key)
            return fail("invalid key \"" + entry.key + "\"");
        if (entry.value.size() > kMaxSubstitutionValueBytes || entry.value.find('\0') != std::string::npos)
            return fail("invalid value for \"" + entry.key + "\"");
        entry.key = std::move(*key);
    }
    std::sort(entries.begin(), entries.end(),
              [](const SubstitutionEntry& a, const SubstitutionEntry& b) { return compareBytes(a.key, b.key) < 0; });
    for (std::size_t i = 1; i < entries.size(); ++i) {
        if (entries[i].key == entries[i - 1].key)
            return fail("the key \"" + entries[i].key + "\" is listed twice");
    }

    struct Bucket {
        std::uint16_t code;
        std::uint32_t first;
        std::uint32_t count;
    };
    std::vector<Bucket> buckets;
    std::string keys;
    std::string values;
    std::string entryTable;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const SubstitutionEntry& entry = entries[i];
        const std::uint16_t code = bucketCode(entry.key);
        if (buckets.empty() || buckets.back().code != code)
            buckets.push_back({code, static_cast<std::uint32_t>(i), 0});
        ++buckets.back().count;

        putU32(entryTable, static_cast<std::uint32_t>(keys.size()));
        putU16(entryTable, static_cast<std::uint16_t>(entry.key.size()));
        keys += entry.key;
        keys += '\0';
        if (entry.value.empty()) {
            putU32(entryTable, 0);
            putU16(entryTable, 0);
        } else {
            putU32(entryTable, static_cast<std::uint32_t>(values.size()));
            putU16(entryTable, static_cast<std::uint16_t>(entry.value.size() + 1));
            values += entry.value;
            values += '\0';
        }
    }

    const std::uint64_t bucketsAt = SubstitutionDictionary::kHeaderBytes;
    const std::uint64_t entriesAt = bucketsAt + buckets.size() * SubstitutionDictionary::kBucketBytes;
    const std::uint64_t keysAt = entriesAt + entryTable.size();
    const std::uint64_t valuesAt = keysAt + keys.size();
    if (valuesAt + values.size() > std::numeric_limits<std::uint32_t>::max())
        return fail("the dictionary would be larger than 4 GiB");

    std::string file = "hT";
    putU16(file, SubstitutionDictionary::kFormatVersion);
    putU16(file, 0);
    putU32(file, static_cast<std::uint32_t>(bucketsAt));
    putU32(file, static_cast<std::uint32_t>(buckets.size()));
    putU32(file, static_cast<std::uint32_t>(entriesAt));
    putU32(file, static_cast<std::uint32_t>(entries.size()));
    putU32(file, static_cast<std::uint32_t>(keysAt));
    putU32(file, static_cast<std::uint32_t>(valuesAt));
    for (const Bucket& bucket : buckets) {
        file += static_cast<char>(bucket.code >> 8);
        file += static_cast<char>(bucket.code & 0xFF);
        putU32(file, bucket.first);
        putU32(file, bucket.count);
    }
    file += entryTable;
    file += keys;
    file += values;
    return file;
}

} // namespace yv::capture
