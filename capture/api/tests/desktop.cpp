// Real programs on the test session's X server, and what the capture API finds in them.
#include "desktop.h"

#include <platform/codec.h>

#include <QImage>

#include <algorithm>
#include <cstring>
#include <map>
#include <string_view>
#include <thread>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace yv::capture::testing {

namespace {

using namespace std::chrono_literals;

constexpr auto kWindowTimeout = "20";
constexpr auto kSettleTimeout = 10s;
constexpr auto kSettlePoll = 50ms;
// A colour this far from the background (sum over the channels) is ink.
constexpr int kInkDistance = 120;
// No glyph has a straight stroke this long (vertically; twice this horizontally).
constexpr int kLongestStroke = 30;

template <typename T>
struct FreeReply {
    void operator()(T* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply<T>>;

int distance(std::uint32_t a, std::uint32_t b)
{
    int d = 0;
    for (int shift = 0; shift < 24; shift += 8)
        d += std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
    return d;
}

std::string utf8(const char* sjis)
{
    return yv::codec::cp932ToUtf8(sjis);
}

} // namespace

Program::Program(const std::vector<std::string>& command, bool withHook, const std::vector<std::string>& environment)
{
    // The caller's entries replace inherited ones of the same name (the tests run with Qt's
    // offscreen platform; a program on the screen needs xcb).
    const auto overridden = [&](std::string_view entry) {
        const std::size_t equals = entry.find('=');
        if (equals == std::string_view::npos)
            return false;
        const std::string_view name = entry.substr(0, equals + 1);
        return std::any_of(environment.begin(), environment.end(),
                           [&](const std::string& e) { return e.rfind(name, 0) == 0; });
    };
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        if (!overridden(*e))
            env.emplace_back(*e);
    }
    if (withHook)
        env.push_back("LD_PRELOAD=" + (yv::testing::binDir() / "libSNRCAPNT_hook.so").string());
    env.insert(env.end(), environment.begin(), environment.end());
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = command;
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    if (::posix_spawnp(&m_pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0)
        m_pid = -1;
}

Program::~Program()
{
    if (m_pid <= 0 || m_exited)
        return;
    ::kill(m_pid, SIGTERM);
    if (!waitForExit(2000)) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
}

std::optional<Box> Program::waitForWindow(const std::string& searchArguments)
{
    const std::string command =
        std::string("timeout ") + kWindowTimeout + " xdotool search --sync --onlyvisible " + searchArguments + " 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return std::nullopt;
    char line[64] = {};
    const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
    ::pclose(pipe);
    if (!read)
        return std::nullopt;
    m_window = static_cast<std::uint32_t>(std::strtoul(line, nullptr, 10));
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    std::optional<Box> box;
    if (!xcb_connection_has_error(c)) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        Reply<xcb_translate_coordinates_reply_t> origin(
            xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, m_window, root, 0, 0), nullptr));
        Reply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, xcb_get_geometry(c, m_window), nullptr));
        if (origin && geometry)
            box = Box{origin->dst_x, origin->dst_y, origin->dst_x + geometry->width, origin->dst_y + geometry->height};
    }
    xcb_disconnect(c);
    return box;
}

bool Program::waitForExit(int ms, int* status)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    int raw = 0;
    while (m_pid > 0 && !m_exited) {
        if (::waitpid(m_pid, &raw, WNOHANG) == m_pid) {
            m_exited = true;
            if (status)
                *status = raw;
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(10ms);
    }
    return m_exited;
}

Screen::Screen()
{
    m_connection = xcb_connect(nullptr, nullptr);
    if (!xcb_connection_has_error(m_connection))
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
}

Screen::~Screen()
{
    xcb_disconnect(m_connection);
}

std::vector<std::uint32_t> Screen::grab(const Box& area)
{
    const int w = area.right - area.left;
    const int h = area.bottom - area.top;
    std::vector<std::uint32_t> pixels;
    if (!m_root || w <= 0 || h <= 0)
        return pixels;
    Reply<xcb_get_image_reply_t> image(xcb_get_image_reply(
        m_connection,
        xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, static_cast<std::int16_t>(area.left),
                      static_cast<std::int16_t>(area.top), static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h),
                      ~0u),
        nullptr));
    if (!image || xcb_get_image_data_length(image.get()) < w * h * 4)
        return pixels;
    pixels.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    std::memcpy(pixels.data(), xcb_get_image_data(image.get()), pixels.size() * 4);
    for (std::uint32_t& p : pixels)
        p &= 0xFFFFFF;
    return pixels;
}

std::vector<std::uint8_t> Screen::settledInk(const Box& area)
{
    const int w = area.right - area.left;
    const int h = area.bottom - area.top;
    std::vector<std::uint32_t> pixels;
    std::uint32_t background = 0;
    std::vector<std::uint8_t> ink;
    // Until the program has drawn: ink present, and two looks in a row the same.
    const auto deadline = std::chrono::steady_clock::now() + kSettleTimeout;
    for (std::vector<std::uint32_t> previous; std::chrono::steady_clock::now() < deadline; previous = pixels) {
        pixels = grab(area);
        if (pixels.empty())
            return {};
        std::map<std::uint32_t, int> counts;
        for (const std::uint32_t p : pixels)
            ++counts[p];
        background = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
        ink.assign(pixels.size(), 0);
        bool any = false;
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            ink[i] = distance(pixels[i], background) > kInkDistance ? 1 : 0;
            any = any || ink[i];
        }
        if (any && pixels == previous)
            break;
        std::this_thread::sleep_for(kSettlePoll);
    }
    // Frames, scroll bars and rules are long straight runs of ink; glyphs have none.
    const auto cell = [&](int x, int y) -> std::uint8_t& {
        return ink[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)];
    };
    std::vector<std::uint8_t> rule(ink.size(), 0);
    for (int x = 0; x < w; ++x)
        for (int y = 0, run = 0; y <= h; ++y) {
            if (y < h && cell(x, y)) {
                ++run;
                continue;
            }
            for (int k = y - run; run >= kLongestStroke && k < y; ++k)
                rule[static_cast<std::size_t>(k * w + x)] = 1;
            run = 0;
        }
    for (int y = 0; y < h; ++y)
        for (int x = 0, run = 0; x <= w; ++x) {
            if (x < w && cell(x, y)) {
                ++run;
                continue;
            }
            for (int k = x - run; run >= 2 * kLongestStroke && k < x; ++k)
                rule[static_cast<std::size_t>(y * w + k)] = 1;
            run = 0;
        }
    for (std::size_t i = 0; i < ink.size(); ++i)
        ink[i] = ink[i] && !rule[i];
    return ink;
}

std::vector<Box> Screen::inkedWords(const Box& area, int gap)
{
    const int w = area.right - area.left;
    const int h = area.bottom - area.top;
    const std::vector<std::uint8_t> ink = settledInk(area);
    if (ink.empty())
        return {};
    const auto inked = [&](int x, int y) {
        return ink[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)] != 0;
    };
    std::vector<Box> words;
    for (int y = 0; y < h;) {
        const auto rowInked = [&](int row) {
            for (int x = 0; x < w; ++x)
                if (inked(x, row))
                    return true;
            return false;
        };
        if (!rowInked(y)) {
            ++y;
            continue;
        }
        int bottom = y;
        while (bottom + 1 < h && rowInked(bottom + 1))
            ++bottom;
        int runStart = -1;
        int blank = 0;
        for (int x = 0; x <= w; ++x) {
            bool column = false;
            for (int row = y; x < w && row <= bottom && !column; ++row)
                column = inked(x, row);
            if (column) {
                if (runStart < 0)
                    runStart = x;
                blank = 0;
                continue;
            }
            if (runStart >= 0 && (++blank >= gap || x == w)) {
                const int runEnd = x - blank + 1;  // exclusive
                Box b{area.left + runStart, area.top + bottom + 1, area.left + runEnd, area.top + y};
                for (int row = y; row <= bottom; ++row)
                    for (int cx = runStart; cx < runEnd; ++cx)
                        if (inked(cx, row)) {
                            b.top = std::min(b.top, area.top + row);
                            b.bottom = std::max(b.bottom, area.top + row + 1);
                        }
                words.push_back(b);
                runStart = -1;
            }
        }
        y = bottom + 1;
    }
    return words;
}

Box Screen::inkOf(const Box& rect, int gap)
{
    const int margin = 4 * gap;
    const Box area{rect.left - margin, rect.top, rect.right + margin, rect.bottom};
    const std::vector<std::uint32_t> pixels = grab(area);
    const int w = area.right - area.left;
    const int h = area.bottom - area.top;
    if (pixels.empty())
        return {};
    std::map<std::uint32_t, int> counts;
    for (const std::uint32_t p : pixels)
        ++counts[p];
    const std::uint32_t background =
        std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
    std::vector<bool> column(static_cast<std::size_t>(w));
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h && !column[static_cast<std::size_t>(x)]; ++y)
            column[static_cast<std::size_t>(x)] =
                distance(pixels[static_cast<std::size_t>(y * w + x)], background) > kInkDistance;
    int first = -1, last = -1;
    for (int x = margin; x < w - margin; ++x) {
        if (column[static_cast<std::size_t>(x)]) {
            first = first < 0 ? x : first;
            last = x;
        }
    }
    if (first < 0)
        return {};
    // Run on outwards across gaps narrower than a word space.
    for (int x = first - 1; x >= 0 && first - x < gap; --x)
        if (column[static_cast<std::size_t>(x)])
            first = x;
    for (int x = last + 1; x < w && x - last < gap; ++x)
        if (column[static_cast<std::size_t>(x)])
            last = x;
    Box ink{area.left + first, area.bottom, area.left + last + 1, area.top};
    for (int y = 0; y < h; ++y)
        for (int x = first; x <= last; ++x)
            if (distance(pixels[static_cast<std::size_t>(y * w + x)], background) > kInkDistance) {
                ink.top = std::min(ink.top, area.top + y);
                ink.bottom = std::max(ink.bottom, area.top + y + 1);
            }
    return ink;
}

std::vector<std::pair<int, int>> Screen::wordStarts(const Box& area, int gap)
{
    const int w = area.right - area.left;
    const int h = area.bottom - area.top;
    const std::vector<std::uint8_t> ink = settledInk(area);
    std::vector<std::pair<int, int>> starts;
    for (int y = 1; !ink.empty() && y < h; y += 3) {
        int blank = gap;
        for (int x = 0; x < w; ++x) {
            if (!ink[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)]) {
                ++blank;
                continue;
            }
            if (blank >= gap)
                starts.emplace_back(area.left + x, area.top + y);
            blank = 0;
        }
    }
    return starts;
}

bool Screen::save(const Box& area, const fs::path& file)
{
    const std::vector<std::uint32_t> pixels = grab(area);
    if (pixels.empty())
        return false;
    QImage image(area.right - area.left, area.bottom - area.top, QImage::Format_RGB32);
    std::memcpy(image.bits(), pixels.data(), pixels.size() * 4);
    return image.save(QString::fromStdString(file.string()), "PNG");
}

Word wordAt(const Api& api, int x, int y)
{
    Word word;
    SNRRect rect{};
    char words[256] = {};
    char raw[256] = {};
    word.found = api.call<int(int, int, SNRRect*, char*, int, char*, int)>("SNRGetWords")(x, y, &rect, words, sizeof words,
                                                                                          raw, sizeof raw) != 0;
    word.words = utf8(words);
    word.raw = utf8(raw);
    word.rect = {rect.left, rect.top, rect.right, rect.bottom};
    return word;
}

Lines linesAt(const Api& api, int x, int y, bool sentence)
{
    Lines lines;
    std::vector<char> text(SNR_SENTENCE_BUFFER + 1, '\0');
    SentenceLineInfo info{};
    info.size = sizeof info;
    using Call = int(int, int, char*, int, SentenceLineInfo*);
    lines.found = api.call<Call>(sentence ? "SNRGetSentenceEx" : "SNRGetSentence")(x, y, text.data(),
                                                                                  static_cast<int>(text.size()), &info) != 0;
    const std::string all = utf8(text.data());
    for (std::size_t at = 0; at < all.size();) {
        const std::size_t end = all.find("\r\n", at);
        lines.text.push_back(all.substr(at, end == std::string::npos ? std::string::npos : end - at));
        at = end == std::string::npos ? all.size() : end + 2;
    }
    for (int i = 0; i < info.lineCount && i < SNR_MAX_LINES; ++i)
        lines.rects.push_back({info.lines[i].left, info.lines[i].top, info.lines[i].right, info.lines[i].bottom});
    lines.above = info.linesAbove;
    return lines;
}

} // namespace yv::capture::testing
