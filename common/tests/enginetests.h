// Test helpers for cases that run the reference engines or other programs of the suite:
// serving events until a condition holds, the engines' profile files in a test home, and
// closing the engines a case has started.
#pragma once

#include <Messages.h>
#include <platform/bus.h>
#include <testhome.h>

#include <chrono>
#include <cstdlib>

namespace yv::testing {

// Serves events until `done` or the time-out: generous by default (an engine may first have to
// build its dictionary cache, which takes half a minute under the sanitizers), yet well inside
// a test's own time limit, so that a wait that never ends fails where it waits.
template <typename Done>
bool serveUntil(Done done, int ms = 60000)
{
    const auto start = std::chrono::steady_clock::now();
    while (!done()) {
        if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(ms))
            return false;
        bus::waitServingEvents(10);
    }
    return true;
}

// Before the application exists: the engines share the build's dictionary cache, and when
// there is a display the programs show real windows (the engines' dialogs, activation).
inline void useReferenceEngines(const char* cacheDir)
{
    ::setenv("YORVANE_CACHE_DIR", cacheDir, 1);
    if (std::getenv("DISPLAY"))
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
}

// The engines' profile files, naming engine keys of the test's own.
inline void writeEngineProfiles(const TestHome& home)
{
    home.writeFile("machine/profile/EJRELAY.INI", "[RELAYER/EJ]\nREGPATH=Software\\Test\\EJ\n");
    home.writeFile("machine/profile/JERELAY.INI", "[RELAYER/JE]\nREGPATH=Software\\Test\\JE\n");
}

// Ends the engine windows of this instance and waits until they are gone.
inline void closeEngines()
{
    for (const auto windowClass : {messages::kEngineEjClass, messages::kEngineJeClass}) {
        bus::postMessage(windowClass, messages::kWmClose, 0, 0);
        serveUntil([&] { return !bus::findWindow(windowClass); }, 5000);
    }
}

} // namespace yv::testing
