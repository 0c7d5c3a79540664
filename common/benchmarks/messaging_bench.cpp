// Round trips between programs: SendMessage to another process, and a 64 KB hand-over.
// Each benchmark reports the median and the 95th percentile of single round trips.
#include "HandOver.h"
#include "Messages.h"

#include <platform/bus.h>

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

constexpr std::string_view kPeerClass = "QEL_RlyBenchWClass";

// The peer program, started once for all benchmarks and ended at exit.
class Peer {
public:
    Peer()
    {
        const std::string program = (std::filesystem::path(BENCH_PEER)).string();
        const std::string log = "/dev/null";
        const char* argv[] = {program.c_str(), "--class", kPeerClass.data(), "--log", log.c_str(), "--quiet", nullptr};
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        posix_spawn(&m_pid, program.c_str(), nullptr, nullptr, const_cast<char* const*>(argv), environ);
        for (int i = 0; i < 500 && !yv::bus::findWindow(kPeerClass); ++i)
            yv::bus::waitServingEvents(10);
    }
    ~Peer()
    {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }

private:
    pid_t m_pid = -1;
};

Peer& peer()
{
    static Peer p;
    return p;
}

void report(benchmark::State& state, std::vector<double>& micros)
{
    if (micros.empty())
        return;
    std::sort(micros.begin(), micros.end());
    state.counters["p50_us"] = micros[micros.size() / 2];
    state.counters["p95_us"] = micros[micros.size() * 95 / 100];
}

template <typename Work>
void timeRoundTrips(benchmark::State& state, Work work)
{
    peer();
    std::vector<double> micros;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        work(state);
        micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    report(state, micros);
}

void BM_SendMessageRoundTrip(benchmark::State& state)
{
    timeRoundTrips(state, [](benchmark::State& s) {
        if (!yv::bus::sendMessage(kPeerClass, yv::messages::kComeToFront + 100, 1, 2))
            s.SkipWithError("peer did not answer");
    });
}
BENCHMARK(BM_SendMessageRoundTrip)->Unit(benchmark::kMicrosecond);

void BM_HandOver64K(benchmark::State& state)
{
    const std::string text(65535, 'x');
    timeRoundTrips(state, [&](benchmark::State& s) {
        if (yv::handover::sendText(kPeerClass, text, yv::messages::kHandOver, 0) != yv::handover::Result::Delivered)
            s.SkipWithError("hand-over failed");
    });
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 65536);
}
BENCHMARK(BM_HandOver64K)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
