// The exports of SNRCBK32: per-process settings and procedures over the capture-rule core.
#include <SNRCBK32.h>

#include "dictionarymapping.h"

#include <capturerules/charsets.h>
#include <capturerules/codepage.h>
#include <capturerules/sentencebreak.h>
#include <capturerules/substitution.h>
#include <capturerules/widthnormalizer.h>
#include <capturerules/windowclasses.h>
#include <capturerules/wordbreak.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>

namespace {

using namespace yv::capture;

// The bytes SBC2DBCCaseA may always write (its callers' buffers hold at least this much).
constexpr std::size_t kSbcCaseBufferBytes = 512;

// Per process, as a library loaded into each process keeps its own; atomics so that a
// client thread changing a setting never tears a capture running on another.
struct ProcessState {
    std::atomic<int> charSet{kAnsiCharSet};
    std::atomic<int> codePage{kSystemDefaultCodePage};
    std::atomic<int> charSetAutoDetect{1};
    std::atomic<int> maxDbcsChars{kDefaultMaxDbcsChars};
    std::atomic<int> maxSbcsWords{kDefaultMaxSbcsWords};
    std::atomic<int> sbcCaseAbility{1};
    std::atomic<SNRWordBreakProcW> wordBreakW{DefaultWordBreakW};
    std::atomic<SNRWordBreakProcA> wordBreakA{DefaultWordBreakA};
    std::atomic<SNRSentenceBreakProcW> sentenceBreakW{DefaultSentenceBreakW};
    std::atomic<SNRSentenceBreakProcA> sentenceBreakA{DefaultSentenceBreakA};
};

ProcessState g_state;

BreakSettings currentSettings()
{
    BreakSettings settings;
    settings.charSet = g_state.charSet.load();
    settings.codePage = resolveCodePage(g_state.codePage.load());
    settings.maxDbcsChars = g_state.maxDbcsChars.load();
    settings.maxSbcsWords = g_state.maxSbcsWords.load();
    settings.normalizeWidth = g_state.sbcCaseAbility.load() != 0;
    return settings;
}

template <typename Char>
std::size_t boundedLength(const Char* text, std::size_t limit)
{
    std::size_t n = 0;
    while (n < limit && text[n] != Char{})
        ++n;
    return n;
}

// Published once per process, when it first needs the dictionary.
bool dictionaryReady()
{
    static const bool ready = Internal::publishDictionary(Internal::dictionaryFile());
    return ready;
}

int toFlag(bool value)
{
    return value ? 1 : 0;
}

} // namespace

extern "C" {

int DefaultWordBreakW(const char16_t* text, int hitIndex, char16_t* out, int outSize, int* start, int* end)
{
    if (!text)
        return 0;
    const auto found = wordBreakW({text, boundedLength(text, kMaxLineChars)}, hitIndex, currentSettings());
    if (!found)
        return 0;
    if (out) {
        const std::size_t capacity
            = outSize > 0 ? std::min(static_cast<std::size_t>(outSize), kWordBufferChars) : kWordBufferChars;
        const std::size_t n = std::min(found->words.size(), capacity - 1);
        std::copy_n(found->words.data(), n, out);
        out[n] = u'\0';
    }
    if (start)
        *start = found->start;
    if (end)
        *end = found->end;
    return 1;
}

int DefaultWordBreakA(const char* text, int hitIndex, char* out, int outSize, int* start, int* end)
{
    if (!text)
        return 0;
    const BreakSettings settings = currentSettings();
    // A character takes at most two bytes.
    const auto found = wordBreakA({text, boundedLength(text, 2 * kMaxAnsiLineChars)}, hitIndex, settings);
    if (!found)
        return 0;
    if (out && outSize > 0) {
        const std::size_t n
            = prefixAtCharBoundary(settings.codePage, found->words, static_cast<std::size_t>(outSize) - 1);
        std::memcpy(out, found->words.data(), n);
        out[n] = '\0';
    }
    if (start)
        *start = found->start;
    if (end)
        *end = found->end;
    return 1;
}

int DefaultSentenceBreakW(const char16_t* text, int* position, int direction)
{
    if (!position)
        return 0;
    const auto found = text ? sentenceBreakW(text, *position, direction) : std::nullopt;
    *position = found.value_or(kWholeText);
    return toFlag(found.has_value());
}

int DefaultSentenceBreakA(const char* text, int* position, int direction)
{
    if (!position)
        return 0;
    const auto found = text ? sentenceBreakA({text, boundedLength(text, 2 * kMaxAnsiSentenceChars)}, *position,
                                             direction, resolveCodePage(g_state.codePage.load()))
                            : std::nullopt;
    *position = found.value_or(kWholeText);
    return toFlag(found.has_value());
}

int WordBreakProcW(const char16_t* text, int hitIndex, char16_t* out, int outSize, int* start, int* end)
{
    return g_state.wordBreakW.load()(text, hitIndex, out, outSize, start, end);
}

int WordBreakProcA(const char* text, int hitIndex, char* out, int outSize, int* start, int* end)
{
    return g_state.wordBreakA.load()(text, hitIndex, out, outSize, start, end);
}

// The bracket depth lives in each scan, so there is nothing to reset between calls.
int SentenceBreakProcW(const char16_t* text, int* position, int direction)
{
    return g_state.sentenceBreakW.load()(text, position, direction);
}

int SentenceBreakProcA(const char* text, int* position, int direction)
{
    return g_state.sentenceBreakA.load()(text, position, direction);
}

SNRWordBreakProcW SetWordBreakProcW(SNRWordBreakProcW procedure)
{
    return g_state.wordBreakW.exchange(procedure ? procedure : DefaultWordBreakW);
}

SNRWordBreakProcA SetWordBreakProcA(SNRWordBreakProcA procedure)
{
    return g_state.wordBreakA.exchange(procedure ? procedure : DefaultWordBreakA);
}

SNRSentenceBreakProcW SetSentenceBreakProcW(SNRSentenceBreakProcW procedure)
{
    return g_state.sentenceBreakW.exchange(procedure ? procedure : DefaultSentenceBreakW);
}

SNRSentenceBreakProcA SetSentenceBreakProcA(SNRSentenceBreakProcA procedure)
{
    return g_state.sentenceBreakA.exchange(procedure ? procedure : DefaultSentenceBreakA);
}

int SNRGetMaxDBCSChar(void)
{
    return g_state.maxDbcsChars.load();
}

int SNRSetMaxDBCSChar(int value)
{
    return g_state.maxDbcsChars.exchange(value);
}

int SNRGetMaxSBCSWords(void)
{
    return g_state.maxSbcsWords.load();
}

int SNRSetMaxSBCSWords(int value)
{
    return g_state.maxSbcsWords.exchange(value);
}

int SNRGetSBCCaseAbility(void)
{
    return g_state.sbcCaseAbility.load();
}

int SNRSetSBCCaseAbility(int flag)
{
    return g_state.sbcCaseAbility.exchange(flag);
}

int SNRGetCharSetAutoDetect(void)
{
    return g_state.charSetAutoDetect.load();
}

int SNRSetCharSetAutoDetect(int flag)
{
    return g_state.charSetAutoDetect.exchange(flag);
}

int SNRGetActiveCodePage(void)
{
    return g_state.codePage.load();
}

int SNRGetActiveCharSet(void)
{
    return g_state.charSet.load();
}

int SNRSetActiveCharSet(int charSet)
{
    const int set = charSetOf(charSet);
    g_state.charSet.store(set);
    g_state.codePage.store(codePageForCharSet(set));
    return set;
}

int SNRSetDetectedCharSet(int charSet)
{
    return g_state.charSetAutoDetect.load() != 0 ? SNRSetActiveCharSet(charSet) : 0;
}

int SNRIsDBCSCharSetA(int charSet, unsigned char byte)
{
    return toFlag(isLeadByte(codePageForCharSet(charSet), byte));
}

int SNRIsDBCSCharSetW(int, char16_t c)
{
    return toFlag(c >= 0x100);
}

int SNRIsSBCSCharSetA(int charSet, unsigned char byte)
{
    return toFlag(isHalfWidthKanaByte(charSet, byte));
}

int SNRIsSBCSCharSetW(int charSet, char16_t c)
{
    return toFlag(isHalfWidthKanaChar(charSet, c));
}

int SNRIsDBCSRegularCharW(int charSet, char16_t c)
{
    return toFlag(isDbcsRegularChar(charSet, c));
}

int SBC2DBCCaseW(char16_t* text)
{
    if (!text)
        return 0;
    for (char16_t* c = text; *c != u'\0'; ++c)
        *c = normalizedWidth(*c);
    return 1;
}

int SBC2DBCCaseA(char* text)
{
    if (!text)
        return 0;
    const std::size_t length = std::strlen(text);
    const std::string normalized = normalizeWidthBytes(resolveCodePage(g_state.codePage.load()), {text, length},
                                                       std::max(kSbcCaseBufferBytes, length + 1));
    std::memcpy(text, normalized.data(), normalized.size());
    text[normalized.size()] = '\0';
    return static_cast<int>(normalized.size() + 1);
}

int IsSingleLineRecommend(const char* className, uint32_t style)
{
    return toFlag(className && recommendsSingleLine({className, boundedLength(className, kMaxClassNameChars)}, style));
}

int TranslateFilterProc(const char* className, uint32_t style)
{
    return toFlag(className && acceptsSubstitution({className, boundedLength(className, kMaxClassNameChars)}, style));
}

int TranslateProcA(const char* text, int length, char* out, int* outLength)
{
    dictionaryReady();
    if (!text || length < 0 || !out || !outLength || *outLength < 0)
        return 0;
    const auto published = Internal::PublishedDictionary::open();
    if (!published)
        return 0;
    const auto capacity = static_cast<std::size_t>(*outLength);
    const Substitution<char> result
        = substituteA(published->dictionary(), {text, boundedLength(text, static_cast<std::size_t>(length))},
                      resolveCodePage(g_state.codePage.load()), capacity);
    std::memcpy(out, result.text.data(), result.text.size());
    if (result.text.size() < capacity)
        out[result.text.size()] = '\0';
    *outLength = static_cast<int>(result.text.size());
    return toFlag(result.found);
}

int TranslateProcW(const char16_t* text, int length, char16_t* out, int* outLength)
{
    dictionaryReady();
    if (!text || length < 0 || !out || !outLength || *outLength < 0)
        return 0;
    const auto published = Internal::PublishedDictionary::open();
    if (!published)
        return 0;
    const auto capacity = static_cast<std::size_t>(*outLength);
    const Substitution<char16_t> result = substituteW(
        published->dictionary(), {text, boundedLength(text, static_cast<std::size_t>(length))}, capacity);
    std::copy(result.text.begin(), result.text.end(), out);
    if (result.text.size() < capacity)
        out[result.text.size()] = u'\0';
    *outLength = static_cast<int>(result.text.size());
    return toFlag(result.found);
}

int IsDictInitSuccess(void)
{
    return toFlag(dictionaryReady());
}

} // extern "C"
