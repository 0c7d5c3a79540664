// Test helpers for capturing from real programs: the capture API loaded after the test's home
// is in place, programs started with the hook preloaded, their windows waited for, and the
// ink of their text found in a screenshot.
#pragma once

#include <SnrApi32.h>

#include <testhome.h>

#include <xcb/xcb.h>

#include <dlfcn.h>
#include <sys/types.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace yv::capture::testing {

namespace fs = std::filesystem;

// The capture API as a client loads it.
class Api final {
public:
    explicit Api(const fs::path& file = yv::testing::binDir() / "libSnrApi32.so")
        : m_handle(::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL))
    {
    }
    ~Api()
    {
        if (m_handle)
            ::dlclose(m_handle);
    }
    Api(const Api&) = delete;
    Api& operator=(const Api&) = delete;

    template <typename F>
    F* call(const char* name) const
    {
        return reinterpret_cast<F*>(::dlsym(m_handle, name));
    }
    bool loaded() const { return m_handle && call<int()>("SNRIsLoaded")(); }

private:
    void* m_handle;
};

struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
    int centreX() const { return (left + right) / 2; }
    int centreY() const { return (top + bottom) / 2; }
};

// A program of someone else's, started with the capture hook preloaded.
class Program final {
public:
    Program(const std::vector<std::string>& command, bool withHook = true,
            const std::vector<std::string>& environment = {});
    // Ended (asked, then made to) unless it ended by itself.
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    bool started() const { return m_pid > 0; }
    // The program's window, once mapped (its id, and its rectangle on the screen); nothing
    // when none appeared within the time limit.
    std::optional<Box> waitForWindow(const std::string& searchArguments);
    std::uint32_t window() const { return m_window; }
    // True when the program ended by itself within `ms`; `*status` as waitpid gives it.
    bool waitForExit(int ms, int* status = nullptr);

private:
    pid_t m_pid = -1;
    bool m_exited = false;
    std::uint32_t m_window = 0;
};

// Screenshots over the test's own X connection.
class Screen final {
public:
    Screen();
    ~Screen();
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    // The box of every inked word in the area: rows with ink form lines, columns with ink
    // separated by at least `gap` blank columns form words. Waits until the area has ink and
    // stops changing.
    std::vector<Box> inkedWords(const Box& area, int gap = 5);
    // Points where ink starts after a blank of at least `gap` columns, on every third row:
    // where words begin.
    std::vector<std::pair<int, int>> wordStarts(const Box& area, int gap = 5);
    // The ink of the word a rectangle stands for: the columns with ink in its rows, taken as
    // far left and right as they run on with gaps narrower than `gap`. Empty when the
    // rectangle holds no ink.
    Box inkOf(const Box& rect, int gap = 5);
    // The area as a PNG file.
    bool save(const Box& area, const fs::path& file);

private:
    std::vector<std::uint32_t> grab(const Box& area);
    // Ink (1) and background (0) of the area once the program has drawn it: ink present, and
    // two looks in a row the same. Frames, scroll bars and rules are left out.
    std::vector<std::uint8_t> settledInk(const Box& area);

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = 0;
};

// The word under a point as the API gives it, in UTF-8.
struct Word {
    bool found = false;
    std::string words, raw;
    Box rect;
};
Word wordAt(const Api& api, int x, int y);

// The lines (GetSentence) or the sentence (GetSentenceEx) at a point, in UTF-8, one entry a
// line, with the line rectangles.
struct Lines {
    bool found = false;
    std::vector<std::string> text;
    std::vector<Box> rects;
    int above = 0;
};
Lines linesAt(const Api& api, int x, int y, bool sentence);

} // namespace yv::capture::testing
