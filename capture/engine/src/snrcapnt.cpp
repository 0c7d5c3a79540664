// The engine's exports: word, line-block and sentence capture at a screen point.
#include <SNRCAPNT.h>

#include "engine.h"

#include <SNRCBK32.h>
#include <captureengine/lineassembly.h>
#include <captureengine/linewalk.h>
#include <capturerules/codepage.h>

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace yv::capture {

namespace {

constexpr int kWideWordsChars = 256;
constexpr int kInfoSize = static_cast<int>(sizeof(SentenceLineInfo));
constexpr std::uint32_t kAnyStyle = 0xFFFFFFFF;

// A line's units as the active code page writes them; characters it cannot hold become "〓"
// where the code page has it, else "?".
std::string encode(std::u16string_view text, bool wide, int codePage)
{
    std::string out;
    for (const char16_t c : text) {
        if (!wide) {
            out.push_back(static_cast<char>(c & 0xFF));
            continue;
        }
        std::string bytes = encodeChar(codePage, c);
        if (bytes.empty())
            bytes = encodeChar(codePage, u'\u3013');
        out += bytes.empty() ? std::string("?") : bytes;
    }
    return out;
}

// Copies `bytes` into a buffer of `size` bytes, zero-terminated, never splitting a character.
void copyOut(char* buffer, int size, std::string_view bytes, int codePage)
{
    if (!buffer || size <= 0)
        return;
    const std::size_t length = prefixAtCharBoundary(codePage, bytes, static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, bytes.data(), length);
    buffer[length] = '\0';
}

SNRRect toRect(const Cell& c)
{
    return {c.left, c.top, c.right, c.bottom};
}

std::int32_t settingOf(std::int32_t area::CaptureArea::*field)
{
    area::CaptureArea* a = Engine::instance().area();
    return a ? area::load(a->*field) : 0;
}

std::int32_t exchangeSetting(std::int32_t area::CaptureArea::*field, std::int32_t value)
{
    area::CaptureArea* a = Engine::instance().area();
    return a ? std::atomic_ref<std::int32_t>(a->*field).exchange(value) : 0;
}

std::uint32_t exchangeShared(std::uint32_t area::CaptureArea::*field, std::uint32_t value)
{
    area::CaptureArea* a = Engine::instance().area();
    return a ? std::atomic_ref<std::uint32_t>(a->*field).exchange(value) : 0;
}

std::uint32_t sharedOf(std::uint32_t area::CaptureArea::*field)
{
    area::CaptureArea* a = Engine::instance().area();
    return a ? area::load(a->*field) : 0;
}

// Probes the rows of one window again, for the walks to the lines above and below.
class WindowRows final : public RowProber {
public:
    WindowRows(const TargetWindow& target, std::int32_t x)
        : m_target(target)
        , m_x(x)
    {
    }
    std::optional<Probe> probeRow(std::int32_t y) override
    {
        if (y < m_target.rect.top || y >= m_target.rect.bottom)
            return std::nullopt;
        return Engine::instance().probe(m_target, m_x, y);
    }

private:
    const TargetWindow& m_target;
    std::int32_t m_x;
};

int sentenceBreak(const AssembledLine& line, int* position, int direction)
{
    if (line.wide)
        return SentenceBreakProcW(line.text.c_str(), position, direction);
    const std::string bytes = encode(line.text, false, 0);
    return SentenceBreakProcA(bytes.c_str(), position, direction);
}

int captureSentence(int x, int y, char* text, int textSize, SentenceLineInfo* info, bool sentence)
{
    if (!text || textSize < SNR_SENTENCE_BUFFER)
        return 0;
    const bool withInfo = info && info->size == kInfoSize;
    if (withInfo) {
        info->lineCount = 0;
        info->linesAbove = 0;
        info->fourth = 0;
    }
    Engine& engine = Engine::instance();
    const std::lock_guard lock(engine.mutex());
    const std::optional<TargetWindow> target = engine.screen().targetAt(x, y);
    if (!target)
        return 0;
    const Probe first = engine.probe(*target, x, y);
    if (!first.found())
        return 0;
    const bool oneLine = target->popupMenu || IsSingleLineRecommend(target->className.c_str(), kAnyStyle);
    WalkSettings settings{settingOf(&area::CaptureArea::wordSpace), settingOf(&area::CaptureArea::lineExtra),
                          oneLine ? u'\r' : u' '};
    WindowRows rows(*target, x);
    LineBlock block;
    if (oneLine)
        block = singleLine(first, settings);
    else if (sentence)
        block = walkSentence(rows, first, y, settings, sentenceBreak);
    else
        block = walkLines(rows, first, y, settings);
    if (block.lines.empty())
        return 0;
    const BlockLine& hitLine = block.lines[static_cast<std::size_t>(block.above)];
    SNRSetActiveCharSet(hitLine.charSet);
    const int codePage = SNRGetActiveCodePage();
    std::string out;
    for (const BlockLine& line : block.lines)
        out += encode(line.text, line.wide, codePage) + "\r\n";
    copyOut(text, textSize, out, codePage);
    if (withInfo) {
        const std::size_t count = std::min<std::size_t>(block.lines.size(), SNR_MAX_LINES);
        info->lineCount = static_cast<std::int32_t>(count);
        info->linesAbove = block.above;
        info->fourth = sentence ? static_cast<std::int32_t>(target->window) : block.hitPosition;
        for (std::size_t i = 0; i < count; ++i)
            info->lines[i] = toRect(block.lines[i].rect);
    }
    return 1;
}

int captureWords(int x, int y, SNRRect* wordRect, char* words, int wordsSize, char* raw, int rawSize)
{
    if (wordRect)
        *wordRect = {x, y, x + 1, y + 1};
    Engine& engine = Engine::instance();
    const std::lock_guard lock(engine.mutex());
    const std::optional<TargetWindow> target = engine.screen().targetAt(x, y);
    if (!target)
        return 0;
    const Probe probe = engine.probe(*target, x, y);
    if (!probe.found())
        return 0;
    const AssembledLine line =
        assembleAroundHit(probe, settingOf(&area::CaptureArea::wordSpace), u' ');
    if (line.hitPosition < 0)
        return 0;
    SNRSetActiveCharSet(line.charSet);
    const int codePage = SNRGetActiveCodePage();
    int start = 0;
    int end = 0;
    if (!line.wide) {
        const std::string bytes = encode(line.text, false, codePage);
        if (!WordBreakProcA(bytes.c_str(), line.hitPosition, words, wordsSize, &start, &end))
            return 0;
        Cell rect;
        if (!spanRect(line, probe, start, end, &rect))
            return 0;
        if (wordRect)
            *wordRect = toRect(rect);
        copyOut(raw, rawSize, std::string_view(bytes).substr(static_cast<std::size_t>(start),
                                                              static_cast<std::size_t>(end - start + 1)),
                codePage);
        return 1;
    }
    char16_t found[kWideWordsChars] = {};
    if (!WordBreakProcW(line.text.c_str(), line.hitPosition, found, kWideWordsChars, &start, &end))
        return 0;
    Cell rect;
    if (!spanRect(line, probe, start, end, &rect))
        return 0;
    if (wordRect)
        *wordRect = toRect(rect);
    found[kWideWordsChars - 1] = u'\0';
    copyOut(words, wordsSize, encode(found, true, codePage), codePage);
    copyOut(raw, rawSize,
            encode(std::u16string_view(line.text).substr(static_cast<std::size_t>(start),
                                                         static_cast<std::size_t>(end - start + 1)),
                   true, codePage),
            codePage);
    return 1;
}

} // namespace

} // namespace yv::capture

using namespace yv::capture;

extern "C" {

int GetWords(int x, int y, SNRRect* wordRect, char* words, int wordsSize, char* raw, int rawSize)
{
    return captureWords(x, y, wordRect, words, wordsSize, raw, rawSize);
}

int GetLine(int, int, char*, int)
{
    return 0;
}

int EnableTranslate(int flag)
{
    return static_cast<int>(exchangeShared(&area::CaptureArea::substitutionEnabled, flag ? 1u : 0u));
}

int IsTranslateEnabled(void)
{
    return static_cast<int>(sharedOf(&area::CaptureArea::substitutionEnabled));
}

uint32_t SetOwnerWindow(uint32_t window)
{
    return exchangeShared(&area::CaptureArea::ownerWindow, window);
}

uint32_t GetOwnerWindow(void)
{
    return sharedOf(&area::CaptureArea::ownerWindow);
}

int GetSentence(int x, int y, char* text, int textSize, SentenceLineInfo* info)
{
    return captureSentence(x, y, text, textSize, info, false);
}

// Drawn text is never offered for substitution on X11, so no message slot is ever in use.
void* GetActualAddress(int)
{
    return nullptr;
}

void* GetSMBBaseAddress(int)
{
    return nullptr;
}

int SetWordSpace(int pixels)
{
    return exchangeSetting(&area::CaptureArea::wordSpace, pixels);
}

int GetWordSpace(void)
{
    return settingOf(&area::CaptureArea::wordSpace);
}

int SetLineExtra(int pixels)
{
    return exchangeSetting(&area::CaptureArea::lineExtra, pixels);
}

int GetLineExtra(void)
{
    return settingOf(&area::CaptureArea::lineExtra);
}

int GetSentenceEx(int x, int y, char* text, int textSize, SentenceExInfo* info)
{
    return captureSentence(x, y, text, textSize, info, true);
}

uint32_t GetLastCapturedWindow(void)
{
    return sharedOf(&area::CaptureArea::lastCapturedWindow);
}

// The hook library in this process (when the session preloads it) records or stays idle.
static int switchHook(int on)
{
    using Switch = int (*)(int);
    if (auto* hookSwitch = reinterpret_cast<Switch>(::dlsym(RTLD_DEFAULT, "SnrHookEnable")))
        hookSwitch(on);
    return 1;
}

int CapEnable(void)
{
    return switchHook(1);
}

int CapDisable(void)
{
    return switchHook(0);
}

} // extern "C"
