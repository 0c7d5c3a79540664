// The accessibility bus through libatspi: the deepest accessible at the point, its text around
// the character there and the boxes of the characters the answer needs. Only the worker thread
// touches libatspi, on a main context of its own, so a client's main loop never dispatches
// the bus's messages concurrently.
#include "accessibilitybus.h"

#include "accessibleanswer.h"

#include <SNRCBK32.h>

#include <atspi/atspi.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

namespace yv::capture {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A call the bus leaves unanswered gives up after this long; the caller stops waiting sooner.
constexpr int kCallTimeoutMs = 150;
constexpr int kMaxApplications = 64;
constexpr int kMaxWindows = 32;
constexpr int kMaxDepth = 32;
// Box look-ups stop a little before the caller's time is up, so that a partial answer arrives.
constexpr auto kAnswerMargin = 20ms;

struct Unref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using Ref = std::unique_ptr<T, Unref>;

// Drops the error a call left; true when there was one.
bool failed(GError*& error)
{
    const bool was = error != nullptr;
    g_clear_error(&error);
    return was;
}

bool hasState(AtspiAccessible* accessible, AtspiStateType state)
{
    Ref<AtspiStateSet> states(atspi_accessible_get_state_set(accessible));
    return states && atspi_state_set_contains(states.get(), state);
}

struct Job {
    int request = 0;
    int x = 0, y = 0;
    Clock::time_point deadline;
    AcrobatSharedData answer{};
    bool answered = false;
    bool done = false;
};

// What the callers and the worker share.
struct Mailbox {
    std::mutex mutex;
    std::condition_variable wake, done;
    std::shared_ptr<Job> job;
};

std::atomic<bool> g_toldMissing{false};
std::atomic<bool> g_toldSlow{false};

// The worker's connection to the bus; only the worker thread uses it. libatspi cannot be set
// up again once shut down, so the connection lasts as long as the process.
class BusSession final {
public:
    [[noreturn]] void run(Mailbox& box)
    {
        for (;;) {
            std::shared_ptr<Job> job;
            {
                std::unique_lock lock(box.mutex);
                box.wake.wait(lock, [&] { return box.job != nullptr; });
                job = box.job;
            }
            const bool answered = answer(*job);
            {
                const std::lock_guard lock(box.mutex);
                job->answered = answered;
                job->done = true;
                box.job.reset();
            }
            box.done.notify_all();
        }
    }

private:
    bool connect()
    {
        if (!m_context) {
            atspi_init();
            atspi_set_timeout(kCallTimeoutMs, kCallTimeoutMs);
            m_context = g_main_context_new();
            atspi_set_main_context(m_context);
        }
        Ref<AtspiAccessible> desktop(atspi_get_desktop(0));
        GError* error = nullptr;
        const bool answers = desktop && atspi_accessible_get_child_count(desktop.get(), &error) >= 0 && !failed(error);
        if (!answers && !g_toldMissing.exchange(true))
            std::fprintf(stderr, "SNRAPI: the accessibility bus (at-spi) does not answer: text of programs that "
                                 "draw it themselves (Qt) cannot be captured.\n");
        return answers;
    }

    // The showing top-level window at the point (an active one before others), then its
    // deepest child there.
    Ref<AtspiAccessible> accessibleAt(const Job& job)
    {
        Ref<AtspiAccessible> desktop(atspi_get_desktop(0));
        GError* error = nullptr;
        const int apps = std::min(atspi_accessible_get_child_count(desktop.get(), &error), kMaxApplications);
        if (failed(error))
            return nullptr;
        Ref<AtspiAccessible> best;
        bool bestActive = false;
        for (int i = 0; i < apps && Clock::now() < job.deadline; ++i) {
            Ref<AtspiAccessible> app(atspi_accessible_get_child_at_index(desktop.get(), i, &error));
            if (failed(error) || !app)
                continue;
            const int windows = std::min(atspi_accessible_get_child_count(app.get(), &error), kMaxWindows);
            if (failed(error))
                continue;
            for (int w = 0; w < windows && Clock::now() < job.deadline; ++w) {
                Ref<AtspiAccessible> window(atspi_accessible_get_child_at_index(app.get(), w, &error));
                if (failed(error) || !window)
                    continue;
                Ref<AtspiComponent> component(atspi_accessible_get_component_iface(window.get()));
                if (!component || !atspi_component_contains(component.get(), job.x, job.y, ATSPI_COORD_TYPE_SCREEN, &error) ||
                    failed(error) || !hasState(window.get(), ATSPI_STATE_SHOWING))
                    continue;
                const bool active = hasState(window.get(), ATSPI_STATE_ACTIVE);
                if (!best || (active && !bestActive)) {
                    best = std::move(window);
                    bestActive = active;
                }
            }
        }
        for (int depth = 0; best && depth < kMaxDepth && Clock::now() < job.deadline; ++depth) {
            Ref<AtspiComponent> component(atspi_accessible_get_component_iface(best.get()));
            if (!component)
                break;
            Ref<AtspiAccessible> child(
                atspi_component_get_accessible_at_point(component.get(), job.x, job.y, ATSPI_COORD_TYPE_SCREEN, &error));
            if (failed(error) || !child || child.get() == best.get())
                break;
            best = std::move(child);
        }
        return best;
    }

    bool answer(Job& job)
    {
        if (!connect())
            return false;
        const Ref<AtspiAccessible> target = accessibleAt(job);
        if (!target)
            return false;
        const Ref<AtspiText> text(atspi_accessible_get_text_iface(target.get()));
        if (!text)
            return false;
        GError* error = nullptr;
        const int offset = atspi_text_get_offset_at_point(text.get(), job.x, job.y, ATSPI_COORD_TYPE_SCREEN, &error);
        const int count = atspi_text_get_character_count(text.get(), &error);
        if (failed(error) || offset < 0 || offset >= count)
            return false;
        const int half = static_cast<int>(kMaxAccessibleChars / 2);
        const int from = std::max(0, offset - half);
        const int to = std::min(count, from + 2 * half);
        gchar* characters = atspi_text_get_text(text.get(), from, to, &error);
        if (failed(error) || !characters) {
            g_free(characters);
            return false;
        }
        TextAtPoint at{characters, from, offset};
        g_free(characters);
        const CharExtents extents = [&](int character) -> std::optional<CharBox> {
            if (Clock::now() >= job.deadline)
                return std::nullopt;
            GError* boxError = nullptr;
            AtspiRect* r = atspi_text_get_character_extents(text.get(), character, ATSPI_COORD_TYPE_SCREEN, &boxError);
            if (failed(boxError) || !r) {
                g_free(r);
                return std::nullopt;
            }
            const CharBox box{r->x, r->y, r->width, r->height};
            g_free(r);
            return box;
        };
        return job.request == 2 ? answerSentence(at, extents, SentenceBreakProcW, &job.answer)
                                : answerWords(at, extents, WordBreakProcW, &job.answer);
    }

    GMainContext* m_context = nullptr;
};

// One worker for the process, started on the first request. It is never joined: it may be
// stuck on a hung bus, and the module stays mapped for it.
std::shared_ptr<Mailbox> worker()
{
    static const std::shared_ptr<Mailbox> box = [] {
        auto shared = std::make_shared<Mailbox>();
        std::thread([shared] {
            BusSession session;
            session.run(*shared);
        }).detach();
        return shared;
    }();
    return box;
}

class AtspiBus final : public AccessibilityBus {
public:
    bool ask(int request, int x, int y, AcrobatSharedData* out, std::chrono::milliseconds budget) override
    {
        const std::shared_ptr<Mailbox> shared = worker();
        Mailbox& box = *shared;
        std::unique_lock lock(box.mutex);
        if (box.job)
            return false;  // the last request still waits for the bus
        auto job = std::make_shared<Job>();
        job->request = request;
        job->x = x;
        job->y = y;
        job->deadline = Clock::now() + std::max(budget - kAnswerMargin, budget / 2);
        box.job = job;
        box.wake.notify_all();
        if (!box.done.wait_for(lock, budget, [&] { return job->done; })) {
            if (!g_toldSlow.exchange(true))
                std::fprintf(stderr, "SNRAPI: the accessibility bus (at-spi) did not answer within %lld ms; it is "
                                     "not asked again until it does.\n", static_cast<long long>(budget.count()));
            return false;
        }
        if (!job->answered)
            return false;
        *out = job->answer;
        return true;
    }
};

} // namespace

} // namespace yv::capture

extern "C" __attribute__((visibility("default"))) yv::capture::AccessibilityBus* SnrAccessBusMake(void)
{
    return std::make_unique<yv::capture::AtspiBus>().release();
}
