// Phrase search over the posting lists: characters first, then words.
#include "indexstate.h"

#include <exampleindex/sampletext.h>

#include <platform/codec.h>

#include <algorithm>
#include <new>

namespace yv::exampleindex {

using namespace Internal;

namespace {

// The character phase reads at most this much of the key, the word phase this much.
constexpr std::size_t kCharacterKeyBytes = 254;
constexpr std::size_t kWordKeyBytes = 255;
// The word phase ends the key before the first of these that follows some other character.
constexpr std::string_view kWordKeyStops = ",.:;?[]()!";

// A missing list anywhere means the phase has no hits at all.
void arm(HitCursor& cursor, const std::vector<std::vector<Posting>*>& lists)
{
    cursor.lists.clear();
    cursor.next = 0;
    cursor.driver = 0;
    if (std::find(lists.begin(), lists.end(), nullptr) != lists.end())
        return;
    for (std::size_t k = 0; k < lists.size(); ++k) {
        cursor.lists.push_back({lists[k], 0});
        if (lists[k]->size() < lists[cursor.driver]->size())
            cursor.driver = k;
    }
}

void startCharacterPhase(IndexState& s)
{
    HitCursor& cursor = s.cursor;
    cursor.phase = SearchPhase::Characters;
    const std::string_view key = std::string_view(cursor.key).substr(0, sjisPrefixLength(cursor.key, kCharacterKeyBytes));
    std::vector<std::vector<Posting>*> lists;
    for (std::size_t i = 0; i < key.size();) {
        const SjisCharacter c = characterAt(key, i);
        // A lead byte left alone at the end of the key is no character.
        if (c.length == 1 && i + 1 == key.size() && codec::isLeadByte(static_cast<unsigned char>(c.code)))
            break;
        std::vector<Posting>* list = c.code < kCharacterCodes ? &s.postingsOf(s.characterList(c.code)) : nullptr;
        lists.push_back(list && !list->empty() ? list : nullptr);
        i += c.length;
    }
    arm(cursor, lists);
}

void startWordPhase(IndexState& s)
{
    HitCursor& cursor = s.cursor;
    cursor.phase = SearchPhase::Words;
    std::string_view key = std::string_view(cursor.key).substr(0, sjisPrefixLength(cursor.key, kWordKeyBytes));
    for (std::size_t i = 0; i < key.size();) {
        const SjisCharacter c = characterAt(key, i);
        if (i > 0 && c.length == 1 && kWordKeyStops.find(static_cast<char>(c.code)) != std::string_view::npos) {
            key = key.substr(0, i);
            break;
        }
        i += c.length;
    }
    std::vector<std::vector<Posting>*> lists;
    std::size_t i = 0;
    while (i < key.size()) {
        while (i < key.size() && (key[i] == ' ' || key[i] == '\t'))
            ++i;
        std::size_t end = i;
        while (end < key.size() && key[end] != ' ' && key[end] != '\t')
            end += characterAt(key, end).length;
        if (end > i) {
            WordEntry* word = s.findWord(key.substr(i, end - i));
            std::vector<Posting>* list = word ? &s.postingsOf(word->list) : nullptr;
            lists.push_back(list && !list->empty() ? list : nullptr);
        }
        i = end;
    }
    arm(cursor, lists);
}

// Whether the list holds `target`; targets only rise, so the search gallops on from the last one.
bool contains(PhraseList& list, Posting target)
{
    const auto& v = *list.postings;
    std::size_t from = list.cursor;
    std::size_t probe = from;
    for (std::size_t step = 1; probe < v.size() && v[probe] < target; step *= 2) {
        from = probe + 1;
        probe += step;
    }
    const auto it = std::lower_bound(v.begin() + static_cast<std::ptrdiff_t>(from),
                                     v.begin() + static_cast<std::ptrdiff_t>(std::min(probe + 1, v.size())), target);
    list.cursor = static_cast<std::size_t>(it - v.begin());
    return it != v.end() && *it == target;
}

// The start of a phrase whose k-th element stands at `q`, if the whole phrase fits in the line.
std::optional<Posting> candidateStart(Posting q, std::size_t k, std::size_t length)
{
    const auto position = static_cast<std::size_t>(positionOf(q));
    if (position < k || position - k + length > static_cast<std::size_t>(kMaxPositions))
        return std::nullopt;
    return q - static_cast<Posting>(k);
}

bool isHit(HitCursor& cursor, Posting start)
{
    for (std::size_t k = 0; k < cursor.lists.size(); ++k) {
        if (k != cursor.driver && !contains(cursor.lists[k], start + static_cast<Posting>(k)))
            return false;
    }
    return true;
}

std::optional<Posting> advance(IndexState& s)
{
    HitCursor& cursor = s.cursor;
    while (cursor.phase != SearchPhase::Done) {
        if (!cursor.lists.empty()) {
            const auto& driver = *cursor.lists[cursor.driver].postings;
            while (cursor.next < driver.size()) {
                const auto start = candidateStart(driver[cursor.next++], cursor.driver, cursor.lists.size());
                if (start && isHit(cursor, *start))
                    return start;
            }
        }
        if (cursor.phase == SearchPhase::Characters)
            startWordPhase(s);
        else
            cursor.phase = SearchPhase::Done;
    }
    return std::nullopt;
}

} // namespace

std::optional<Posting> FirstHit(IndexHandle& handle, std::string_view key)
{
    IndexState& s = *handle.d;
    try {
        s.cursor = {};
        s.cursor.key = std::string(key);
        startCharacterPhase(s);
        return advance(s);
    } catch (const std::bad_alloc&) {
        s.cursor = {};
        return std::nullopt;
    }
}

std::optional<Posting> NextHit(IndexHandle& handle)
{
    try {
        return advance(*handle.d);
    } catch (const std::bad_alloc&) {
        handle.d->cursor = {};
        return std::nullopt;
    }
}

} // namespace yv::exampleindex
