// The capture API: the engine loaded by name, the shared reference count and exclusive flag,
// the second source's block, and the post-processing of captured words.
#include <SnrApi32.h>

#include "accessibilitybus.h"
#include "accessibleanswer.h"
#include "soundmarks.h"

#include <platform/codec.h>
#include <platform/paths.h>
#include <platform/sharedmemory.h>

#include <dlfcn.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace yv::capture {

namespace {

constexpr char kSharedName[] = "SNRMAP-API";
constexpr char kEngineFile[] = "libSNRCAPNT.so";
constexpr char kRulesFile[] = "libSNRCBK32.so";
constexpr std::uint32_t kMagic = 0x41525659;  // "YVRA"
constexpr int kMaxProcesses = 64;
constexpr int kCharSetShiftJis = 128;
// Width normalisation may double a text; SBC2DBCCaseA wants at least this much room.
constexpr std::size_t kNormaliseRoom = 512;
// The accessibility bus can hang; a capture never waits for it longer than this.
constexpr std::chrono::milliseconds kBusBudget{200};

// Shared by every process that loaded the library. The reference count is the number of live
// processes in the table, so a program that died never holds the count (or exclusivity) up.
struct ApiShared {
    std::uint32_t magic;
    std::int32_t exclusiveProcess;
    std::uint32_t viewerFlag;
    std::int32_t processes[kMaxProcesses];
    AcrobatSharedData acrobat;
};

struct EngineCalls {
    decltype(&::GetWords) getWords;
    decltype(&::IsTranslateEnabled) isTranslateEnabled;
    decltype(&::EnableTranslate) enableTranslate;
    decltype(&::GetLine) getLine;
    decltype(&::GetSentence) getSentence;
    decltype(&::GetSentenceEx) getSentenceEx;
    decltype(&::SetOwnerWindow) setOwnerWindow;
    decltype(&::GetOwnerWindow) getOwnerWindow;
    decltype(&::SetWordSpace) setWordSpace;
    decltype(&::GetWordSpace) getWordSpace;
    decltype(&::SetLineExtra) setLineExtra;
    decltype(&::GetLineExtra) getLineExtra;
    decltype(&::GetActualAddress) getActualAddress;
    decltype(&::GetSMBBaseAddress) getSMBBaseAddress;
    decltype(&::GetLastCapturedWindow) getLastCapturedWindow;
    decltype(&::CapEnable) capEnable;
    decltype(&::CapDisable) capDisable;
};

struct Loaded {
    void* engine = nullptr;
    EngineCalls calls{};
    std::unique_ptr<shm::SharedBlock> block;
    ApiShared* shared = nullptr;
    std::unique_ptr<AccessibilityBus> bus;
};

Loaded* g_loaded = nullptr;

template <typename T>
std::atomic_ref<T> shared(T& field)
{
    return std::atomic_ref<T>(field);
}

bool alive(std::int32_t pid)
{
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

int liveProcesses(ApiShared& s)
{
    int count = 0;
    for (std::int32_t& slot : s.processes)
        count += alive(shared(slot).load()) ? 1 : 0;
    return count;
}

void registerProcess(ApiShared& s)
{
    const std::int32_t self = ::getpid();
    for (std::int32_t& slot : s.processes) {
        std::int32_t current = shared(slot).load();
        if ((current == 0 || !alive(current)) && shared(slot).compare_exchange_strong(current, self))
            return;
    }
}

void unregisterProcess(ApiShared& s)
{
    const std::int32_t self = ::getpid();
    for (std::int32_t& slot : s.processes) {
        std::int32_t mine = self;
        shared(slot).compare_exchange_strong(mine, 0);
    }
    std::int32_t exclusive = self;
    shared(s.exclusiveProcess).compare_exchange_strong(exclusive, 0);
}

bool exclusiveInForce(ApiShared& s)
{
    return alive(shared(s.exclusiveProcess).load());
}

// The library belongs to the suite when it lies beside the engine and the rules in a folder
// that only its owner can change: a stray copy elsewhere must not capture the desktop.
bool inSuiteDirectory(const std::filesystem::path& dir)
{
    struct stat st {};
    if (dir.empty() || ::stat(dir.c_str(), &st) != 0 || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(dir / kEngineFile, ec) && std::filesystem::is_regular_file(dir / kRulesFile, ec);
}

template <typename F>
bool lookUp(void* engine, const char* name, F* out)
{
    *out = reinterpret_cast<F>(::dlsym(engine, name));
    return *out != nullptr;
}

bool loadEngine(const std::filesystem::path& dir, Loaded& l)
{
    l.engine = ::dlopen((dir / kEngineFile).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!l.engine)
        return false;
    EngineCalls& c = l.calls;
    const bool complete = lookUp(l.engine, "GetWords", &c.getWords) &&
                          lookUp(l.engine, "IsTranslateEnabled", &c.isTranslateEnabled) &&
                          lookUp(l.engine, "EnableTranslate", &c.enableTranslate) && lookUp(l.engine, "GetLine", &c.getLine) &&
                          lookUp(l.engine, "GetSentence", &c.getSentence) &&
                          lookUp(l.engine, "GetSentenceEx", &c.getSentenceEx) &&
                          lookUp(l.engine, "SetOwnerWindow", &c.setOwnerWindow) &&
                          lookUp(l.engine, "GetOwnerWindow", &c.getOwnerWindow) &&
                          lookUp(l.engine, "SetWordSpace", &c.setWordSpace) &&
                          lookUp(l.engine, "GetWordSpace", &c.getWordSpace) &&
                          lookUp(l.engine, "SetLineExtra", &c.setLineExtra) &&
                          lookUp(l.engine, "GetLineExtra", &c.getLineExtra) &&
                          lookUp(l.engine, "GetActualAddress", &c.getActualAddress) &&
                          lookUp(l.engine, "GetSMBBaseAddress", &c.getSMBBaseAddress) &&
                          lookUp(l.engine, "GetLastCapturedWindow", &c.getLastCapturedWindow) &&
                          lookUp(l.engine, "CapEnable", &c.capEnable) && lookUp(l.engine, "CapDisable", &c.capDisable);
    if (!complete) {
        ::dlclose(l.engine);
        l.engine = nullptr;
    }
    return complete;
}

__attribute__((constructor)) void loadLibrary()
{
    const std::filesystem::path dir = paths::moduleDir(reinterpret_cast<const void*>(&loadLibrary));
    if (!inSuiteDirectory(dir)) {
        std::fprintf(stderr, "SNRAPI: libSnrApi32.so must be in the suite's program directory.\n");
        return;
    }
    auto l = std::make_unique<Loaded>();
    bool created = false;
    l->block = shm::SharedBlock::create(kSharedName, sizeof(ApiShared), &created);
    if (!l->block || !loadEngine(dir, *l))
        return;
    l->shared = reinterpret_cast<ApiShared*>(l->block->data());
    std::uint32_t magic = 0;
    if (shared(l->shared->magic).compare_exchange_strong(magic, kMagic) || magic != kMagic) {
        // New (or not ours): start from a clean block.
        std::memset(reinterpret_cast<char*>(l->shared) + sizeof(std::uint32_t), 0, sizeof(ApiShared) - sizeof(std::uint32_t));
        shared(l->shared->magic).store(kMagic);
    }
    registerProcess(*l->shared);
    l->bus = AccessibilityBus::make(dir);
    g_loaded = l.release();
}

__attribute__((destructor)) void unloadLibrary()
{
    if (!g_loaded)
        return;
    unregisterProcess(*g_loaded->shared);
    ::dlclose(g_loaded->engine);
    delete g_loaded;
    g_loaded = nullptr;
}

const EngineCalls* engine()
{
    return g_loaded ? &g_loaded->calls : nullptr;
}

void copyBounded(char* out, int size, const char* text, std::size_t capacity)
{
    if (!out || size <= 0)
        return;
    const std::size_t length = strnlen(text, capacity);
    const std::size_t n = std::min(length, static_cast<std::size_t>(size - 1));
    std::memcpy(out, text, n);
    out[n] = '\0';
}

// Asks the second source; 1 when it filled in the block.
int askSecondSource(int request, int x, int y)
{
    AcrobatSharedData& a = g_loaded->shared->acrobat;
    shared(a.answer).store(0);
    shared(a.x).store(x);
    shared(a.y).store(y);
    shared(a.request).store(request);
    const int answer = shared(a.answer).load();
    shared(a.request).store(0);
    return answer == 1 ? 1 : 0;
}

// The shorter of a buffer's text and its room, cut at a character boundary.
void storeShiftJis(char* out, int size, const std::string& text)
{
    if (!out || size <= 0)
        return;
    const std::size_t boundary = shiftJisPrefix(text, static_cast<std::size_t>(size - 1));
    std::memcpy(out, text.data(), boundary);
    std::memset(out + boundary, 0, static_cast<std::size_t>(size) - boundary);
}

// Programs that draw their text themselves answer through the accessibility bus, into the
// second source's block as the plug-in would; `fourth` is the sentence's value of that field.
int askAccessibilityBus(int request, int x, int y, std::int32_t fourth)
{
    auto answer = std::make_unique<AcrobatSharedData>();
    // The bus gives Unicode text: break it as the engine breaks wide text; no answer leaves
    // the character set as it was.
    const int previousCharSet = SNRGetActiveCharSet();
    SNRSetActiveCharSet(kCharSetShiftJis);
    if (!g_loaded->bus->ask(request, x, y, answer.get(), kBusBudget)) {
        SNRSetActiveCharSet(previousCharSet);
        return 0;
    }
    AcrobatSharedData& a = g_loaded->shared->acrobat;
    shared(a.request).store(request);
    shared(a.x).store(x);
    shared(a.y).store(y);
    if (request == 1) {
        std::memcpy(a.word, answer->word, sizeof a.word);
        std::memcpy(a.words, answer->words, sizeof a.words);
        a.wordRect = answer->wordRect;
    } else {
        std::memcpy(a.sentence, answer->sentence, sizeof a.sentence);
        a.lineCount = answer->lineCount;
        a.linesAbove = answer->linesAbove;
        std::memcpy(a.lines, answer->lines, sizeof a.lines);
        a.fourth = fourth;
    }
    shared(a.answer).store(1);
    shared(a.request).store(0);
    return 1;
}

void copyWordsAnswer(SNRRect* wordRect, char* words, int wordsSize, char* raw, int rawSize)
{
    const AcrobatSharedData& a = g_loaded->shared->acrobat;
    copyBounded(words, wordsSize, a.words, sizeof a.words);
    copyBounded(raw, rawSize, a.word, sizeof a.word);
    if (wordRect)
        std::memcpy(wordRect, &a.wordRect, sizeof *wordRect);
}

void copySentenceAnswer(char* text, int textSize, SentenceExInfo* info)
{
    const AcrobatSharedData& a = g_loaded->shared->acrobat;
    copyBounded(text, textSize, a.sentence, sizeof a.sentence);
    if (info && info->size == static_cast<int32_t>(sizeof(SentenceExInfo))) {
        info->lineCount = std::clamp(a.lineCount, 0, SNR_MAX_LINES);
        info->linesAbove = std::clamp(a.linesAbove, 0, SNR_MAX_LINES);
        info->fourth = a.fourth;
        std::memcpy(info->lines, a.lines, sizeof info->lines);
    }
}

} // namespace

} // namespace yv::capture

using namespace yv::capture;

extern "C" {

int SNRIsLoaded(void)
{
    return g_loaded ? 1 : 0;
}

SNRWordBreakProcA SNRSetWordBreakProcA(SNRWordBreakProcA procedure)
{
    return SetWordBreakProcA(procedure);
}

SNRWordBreakProcW SNRSetWordBreakProcW(SNRWordBreakProcW procedure)
{
    return SetWordBreakProcW(procedure);
}

int SNRInitCaptureEx(const CaptureInitInfo* info)
{
    if (!info)
        return 1;
    if (!g_loaded || info->size != static_cast<int32_t>(sizeof(CaptureInitInfo)))
        return 0;
    ApiShared& s = *g_loaded->shared;
    if (exclusiveInForce(s) || (info->exclusive && liveProcesses(s) > 1))
        return 0;
    if (info->ownerWindow)
        g_loaded->calls.setOwnerWindow(info->ownerWindow);
    g_loaded->calls.enableTranslate(info->enableTranslate);
    if (info->wordBreakA)
        SetWordBreakProcA(info->wordBreakA);
    if (info->wordBreakW)
        SetWordBreakProcW(info->wordBreakW);
    if (info->exclusive)
        shared(s.exclusiveProcess).store(::getpid());
    return 1;
}

int SNRAcrobatGetWords(int x, int y, SNRRect* wordRect, char* words, int wordsSize, char* raw, int rawSize)
{
    if (!g_loaded || !askSecondSource(1, x, y))
        return 0;
    copyWordsAnswer(wordRect, words, wordsSize, raw, rawSize);
    return 1;
}

int SNRGetWords(int x, int y, SNRRect* wordRect, char* words, int wordsSize, char* raw, int rawSize)
{
    if (!g_loaded)
        return 0;
    ApiShared& s = *g_loaded->shared;
    if (SNRAcrobatGetWords(x, y, wordRect, words, wordsSize, raw, rawSize)) {
        shared(s.viewerFlag).store(1);
    } else if (g_loaded->calls.getWords(x, y, wordRect, words, wordsSize, raw, rawSize)) {
        shared(s.viewerFlag).store(0);
    } else if (askAccessibilityBus(1, x, y, 0)) {
        copyWordsAnswer(wordRect, words, wordsSize, raw, rawSize);
        shared(s.viewerFlag).store(1);
    } else {
        shared(s.viewerFlag).store(0);
        return 0;
    }
    if (raw && rawSize > 0 && SNRGetSBCCaseAbility()) {
        std::vector<char> room(std::max(kNormaliseRoom, static_cast<std::size_t>(rawSize) * 2 + 1), '\0');
        std::memcpy(room.data(), raw, strnlen(raw, static_cast<std::size_t>(rawSize - 1)));
        SBC2DBCCaseA(room.data());
        storeShiftJis(raw, rawSize, room.data());
    }
    if (words && wordsSize > 0 && SNRGetEncode() == kCharSetShiftJis &&
        yv::codec::isLeadByte(static_cast<unsigned char>(words[0])))
        storeShiftJis(words, wordsSize, mergeSoundMarks(std::string_view(words, strnlen(words, static_cast<std::size_t>(wordsSize)))));
    return 1;
}

int SNRIsTranslateEnabled(void)
{
    return engine() ? engine()->isTranslateEnabled() : 0;
}

int SNREnableTranslate(int flag)
{
    return engine() ? engine()->enableTranslate(flag) : 0;
}

int SNRGetLine(int x, int y, char* text, int textSize)
{
    return engine() ? engine()->getLine(x, y, text, textSize) : 0;
}

uint32_t SNRSetOwnerWindow(uint32_t window)
{
    return engine() ? engine()->setOwnerWindow(window) : 0;
}

int SNRGetSentence(int x, int y, char* text, int textSize, SentenceLineInfo* info)
{
    return engine() ? engine()->getSentence(x, y, text, textSize, info) : 0;
}

void* SNRGetActualAddress(int slot)
{
    return engine() ? engine()->getActualAddress(slot) : nullptr;
}

void* SNRGetSMBBaseAddress(int slot)
{
    return engine() ? engine()->getSMBBaseAddress(slot) : nullptr;
}

uint32_t SNRGetOwnerWindow(void)
{
    return engine() ? engine()->getOwnerWindow() : 0;
}

int SNRSetWordSpace(int pixels)
{
    return engine() ? engine()->setWordSpace(pixels) : 0;
}

int SNRGetWordSpace(void)
{
    return engine() ? engine()->getWordSpace() : 0;
}

int SNRSetLineExtra(int pixels)
{
    return engine() ? engine()->setLineExtra(pixels) : 0;
}

int SNRGetLineExtra(void)
{
    return engine() ? engine()->getLineExtra() : 0;
}

int SNRGetSentenceEx(int x, int y, char* text, int textSize, SentenceExInfo* info)
{
    if (!g_loaded)
        return 0;
    ApiShared& s = *g_loaded->shared;
    if (askSecondSource(2, x, y)) {
        copySentenceAnswer(text, textSize, info);
        shared(s.viewerFlag).store(1);
        return 1;
    }
    shared(s.viewerFlag).store(0);
    if (g_loaded->calls.getSentenceEx(x, y, text, textSize, info))
        return 1;
    // The engine's rule for the text buffer holds for the bus's answer too.
    if (!text || textSize < SNR_SENTENCE_BUFFER ||
        !askAccessibilityBus(2, x, y, static_cast<std::int32_t>(g_loaded->calls.getLastCapturedWindow())))
        return 0;
    copySentenceAnswer(text, textSize, info);
    shared(s.viewerFlag).store(1);
    return 1;
}

uint32_t SNRGetLastCapturedWindow(void)
{
    return engine() ? engine()->getLastCapturedWindow() : 0;
}

int SNRGetEncode(void)
{
    if (g_loaded && shared(g_loaded->shared->viewerFlag).load()) {
        shared(g_loaded->shared->acrobat.encodeCleared).store(0);
        return 0;
    }
    return SNRGetActiveCharSet();
}

int SNROpenInterface(void)
{
    return engine() ? engine()->capEnable() : 0;
}

int SNRCloseInterface(void)
{
    return engine() ? engine()->capDisable() : 0;
}

int SNRGetRefCount(void)
{
    return g_loaded ? liveProcesses(*g_loaded->shared) : 0;
}

int SNRGetVersion(void)
{
    return SNRAPI_VERSION;
}

AcrobatSharedData* SNRGetAcrobatSharedData(void)
{
    return g_loaded ? &g_loaded->shared->acrobat : nullptr;
}

} // extern "C"
