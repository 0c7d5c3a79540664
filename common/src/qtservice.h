// Where the exports that talk to other programs run their Qt work (bus calls, the engine
// link's answers, starting the engines).
#pragma once

#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

namespace yv::etc {

// Runs `work` on the calling thread when the program has a Qt application of its own (the
// suite's programs). A host without one (a C program, a script, an add-in host) gets a thread
// of the library's own with a private Qt application; `work` then runs there while the caller
// waits, one call at a time. So the exports work, repeatedly, from any host.
void runWithQtWork(const std::function<void()>& work);

template <typename Work>
auto runWithQt(Work&& work) -> decltype(work())
{
    using Result = decltype(work());
    if constexpr (std::is_void_v<Result>) {
        runWithQtWork(work);
    } else {
        std::optional<Result> result;
        runWithQtWork([&] { result.emplace(work()); });
        return std::move(*result);
    }
}

} // namespace yv::etc
