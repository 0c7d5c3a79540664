// The capture area inside a drawing program: found by name, checked, and written under the
// rules every reader relies on.
#include "hook.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace yv::capture::hook {

namespace {

// Text drawn off screen waiting for a copy onto a target.
constexpr int kMaxWaiting = 2048;

std::atomic<area::CaptureArea*> g_area{nullptr};
std::atomic<long> g_nextAttempt{0};
std::atomic<bool> g_enabled{true};
pthread_mutex_t g_lock = PTHREAD_RECURSIVE_MUTEX_INITIALIZER_NP;
thread_local int t_depth = 0;

struct Waiting {
    unsigned long drawable;
    std::uint32_t generation;
    DrawnChar c;
};
Waiting g_waiting[kMaxWaiting];
int g_waitingCount = 0;
std::uint32_t g_waitingGeneration = 0;

long nowMilliseconds()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    return ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

// The area's object name, as the suite's shared-memory name space gives it.
std::string areaObjectName()
{
    std::string tag = "0";
    const char* home = std::getenv("YORVANE_HOME");
    if (home && *home) {
        std::error_code ec;
        const std::string path = std::filesystem::absolute(home, ec).lexically_normal().string();
        std::uint64_t hash = 0xcbf29ce484222325ull;
        for (const unsigned char c : path)
            hash = (hash ^ c) * 0x100000001b3ull;
        char buf[17];
        std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(hash));
        tag = buf;
    }
    return "/yv5-" + std::to_string(::geteuid()) + "-" + tag + "-" + area::kBlockName;
}

area::CaptureArea* openArea()
{
    const int fd = ::shm_open(areaObjectName().c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW, 0);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    area::CaptureArea* mapped = nullptr;
    if (::fstat(fd, &st) == 0 && st.st_uid == ::geteuid() && S_ISREG(st.st_mode) &&
        static_cast<std::size_t>(st.st_size) >= sizeof(area::CaptureArea)) {
        void* p = ::mmap(nullptr, sizeof(area::CaptureArea), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (p != MAP_FAILED) {
            mapped = static_cast<area::CaptureArea*>(p);
            if (!area::headerValid(*mapped, sizeof(area::CaptureArea))) {
                ::munmap(p, sizeof(area::CaptureArea));
                mapped = nullptr;
            }
        }
    }
    ::close(fd);
    return mapped;
}

// The area when recording is on and it can be trusted; null otherwise. Cheap while recording
// is off: one load, and a look for a missing area at most every quarter second.
area::CaptureArea* recordingArea()
{
    if (!g_enabled.load(std::memory_order_relaxed))
        return nullptr;
    area::CaptureArea* a = g_area.load(std::memory_order_acquire);
    if (!a) {
        const long now = nowMilliseconds();
        if (now < g_nextAttempt.load(std::memory_order_relaxed))
            return nullptr;
        g_nextAttempt.store(now + area::kAreaRetryMilliseconds, std::memory_order_relaxed);
        a = openArea();
        if (!a)
            return nullptr;
        area::CaptureArea* expected = nullptr;
        if (!g_area.compare_exchange_strong(expected, a)) {
            ::munmap(a, sizeof(area::CaptureArea));
            a = expected;
        }
    }
    if (area::load(a->recording) == 0 || !area::headerValid(*a, sizeof(area::CaptureArea)))
        return nullptr;
    return a;
}

} // namespace

bool recordingNow()
{
    return recordingArea() != nullptr;
}

Nesting::Nesting()
    : m_outermost(t_depth++ == 0)
{
}

Nesting::~Nesting()
{
    --t_depth;
}

ProcessLock::ProcessLock()
{
    ::pthread_mutex_lock(&g_lock);
}

ProcessLock::~ProcessLock()
{
    ::pthread_mutex_unlock(&g_lock);
}

Recording::Recording(unsigned long drawable)
    : m_drawable(drawable)
{
    area::CaptureArea* a = recordingArea();
    if (!a)
        return;
    area::fetchAdd(a->writers, 1u);
    // Switched off while this process came in: nothing of this call belongs to the probe.
    if (area::load(a->recording) == 0) {
        area::fetchSub(a->writers, 1u);
        return;
    }
    m_area = a;
    m_generation = area::load(a->generation);
    m_probeX = area::load(a->probeX);
    m_probeY = area::load(a->probeY);
    const std::uint32_t targets = std::min<std::uint32_t>(area::load(a->targetCount), area::kMaxTargets);
    for (std::uint32_t i = 0; i < targets; ++i) {
        if (area::load(a->targets[i].window) == drawable && drawable != 0) {
            m_target = static_cast<int>(i);
            m_originX = area::load(a->targets[i].originX);
            m_originY = area::load(a->targets[i].originY);
            area::fetchAdd(a->activity, 1u);
            break;
        }
    }
}

Recording::~Recording()
{
    if (m_area)
        area::fetchSub(m_area->writers, 1u);
}

int Recording::append(const DrawnChar& c, std::int32_t dx, std::int32_t dy)
{
    const std::int64_t top = std::int64_t{c.top} + dy;
    const std::int64_t bottom = std::int64_t{c.bottom} + dy;
    if (!(top <= m_probeY && m_probeY < bottom))
        return -1;
    area::store(m_area->lineSeen[c.kind == area::RecordKind::Ansi ? 0 : 1], 1u);
    const std::uint32_t slot = area::fetchAdd(m_area->recordCount, 1u);
    if (slot >= static_cast<std::uint32_t>(area::kMaxRecords))
        return -1;
    area::CharRecord& r = m_area->records[slot];
    r.character = c.character;
    r.left = static_cast<std::int32_t>(c.left + dx);
    r.top = static_cast<std::int32_t>(top);
    r.right = static_cast<std::int32_t>(c.right + dx);
    r.bottom = static_cast<std::int32_t>(bottom);
    r.index = c.index;
    r.lineHeight = c.lineHeight;
    r.kind = c.kind;
    r.charSet = c.charSet;
    area::store(r.generation, m_generation);
    if (r.left <= m_probeX && m_probeX < r.right &&
        area::compareExchange(m_area->hitIndex, std::int32_t{-1}, static_cast<std::int32_t>(slot))) {
        area::store(m_area->hitCharSet, std::uint32_t{c.charSet});
        const std::int64_t step = std::int64_t{c.lineHeight} + area::load(m_area->lineExtra);
        area::store(m_area->rowStep, static_cast<std::int32_t>(std::clamp<std::int64_t>(step, 1, INT32_MAX)));
        area::store(m_area->hitState, c.kind == area::RecordKind::Ansi ? area::kHitAnsi : area::kHitWide);
    }
    return static_cast<int>(slot);
}

int Recording::add(const DrawnChar& c)
{
    if (!m_area)
        return -1;
    if (m_target >= 0)
        return append(c, m_originX, m_originY);
    ProcessLock lock;
    if (g_waitingGeneration != m_generation) {
        g_waitingGeneration = m_generation;
        g_waitingCount = 0;
    }
    if (g_waitingCount < kMaxWaiting)
        g_waiting[g_waitingCount++] = {m_drawable, m_generation, c};
    return -1;
}

void Recording::widen(int slot, std::int32_t right)
{
    if (!m_area || m_target < 0 || slot < 0 || slot >= area::kMaxRecords)
        return;
    area::CharRecord& r = m_area->records[slot];
    const std::int64_t screenRight = std::int64_t{right} + m_originX;
    if (area::load(r.generation) == m_generation && screenRight > r.right && screenRight < INT32_MAX)
        r.right = static_cast<std::int32_t>(screenRight);
}

void Recording::copied(unsigned long source, int srcX, int srcY, unsigned width, unsigned height, int dstX, int dstY)
{
    if (!m_area || m_target < 0)
        return;
    const std::int32_t dx = dstX - srcX;
    const std::int32_t dy = dstY - srcY;
    area::store(m_area->copyOffsetX, dx);
    area::store(m_area->copyOffsetY, dy);
    ProcessLock lock;
    if (g_waitingGeneration != m_generation)
        return;
    const std::int64_t right = std::int64_t{srcX} + width;
    const std::int64_t bottom = std::int64_t{srcY} + height;
    for (int i = 0; i < g_waitingCount; ++i) {
        Waiting& w = g_waiting[i];
        if (w.drawable != source || w.c.right <= srcX || w.c.left >= right || w.c.bottom <= srcY || w.c.top >= bottom)
            continue;
        append(w.c, dx + m_originX, dy + m_originY);
        w.drawable = 0;  // copied once; a second copy of the same text would only repeat it
    }
}

void* nextFunction(const char* name, const char* library, const void* self)
{
    void* f = ::dlsym(RTLD_NEXT, name);
    if (!f) {
        if (void* handle = ::dlopen(library, RTLD_LAZY | RTLD_NOLOAD)) {
            f = ::dlsym(handle, name);
            ::dlclose(handle);
        }
    }
    return f == self ? nullptr : f;
}

void* loadedFunction(const char* name, const char* library)
{
    if (void* f = ::dlsym(RTLD_DEFAULT, name))
        return f;
    if (void* handle = ::dlopen(library, RTLD_LAZY | RTLD_NOLOAD)) {
        void* f = ::dlsym(handle, name);
        ::dlclose(handle);
        return f;
    }
    return nullptr;
}

} // namespace yv::capture::hook

// Switches the recording of this process on or off; returns the previous state.
extern "C" __attribute__((visibility("default"))) int SnrHookEnable(int on)
{
    return yv::capture::hook::g_enabled.exchange(on != 0) ? 1 : 0;
}
