// Capturing from real X11 programs that carry the hook: the word under a point and its
// rectangle against the ink on the screen, the lines around the point in order, the sentence
// cut at its breaks across lines; and programs that stay well whatever the capture area holds.
#include "desktop.h"

#include <captureengine/capturearea.h>
#include <platform/sharedmemory.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include <sys/stat.h>

namespace {

using namespace yv::capture::testing;
namespace area = yv::capture::area;

// How far a word's rectangle may stand off its ink: the side bearings of the glyphs.
constexpr int kBearing = 3;

const char* const kThreeLines = "First line of text\nThe sentence runs. It goes on over\ntwo lines here. Last words";

std::string trimmed(std::string s)
{
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

// Why a program's window did not appear: it ended (and how) or it is still running.
std::string fate(Program& program)
{
    int status = 0;
    if (!program.waitForExit(0, &status))
        return "still running";
    return WIFEXITED(status) ? "exited with " + std::to_string(WEXITSTATUS(status))
                             : "killed by signal " + std::to_string(WTERMSIG(status));
}

std::vector<std::string> trimmed(const std::vector<std::string>& lines)
{
    std::vector<std::string> out;
    for (const std::string& l : lines)
        out.push_back(trimmed(l));
    return out;
}

class CaptureDesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs the test session's X server";
        ASSERT_TRUE(api.loaded());
        // The capture area exists before the programs start, as it does once the toolbox runs.
        api.call<int(int)>("SNRSetWordSpace")(0);
    }

    // The first word in the window that reads as `raw` when pointed at where its ink starts;
    // fails the test when none does.
    Word findWord(const Box& window, const std::string& raw, int gap = 5)
    {
        std::vector<Box> tried;
        std::string seen;
        for (const auto& [x, y] : screen.wordStarts(window, gap)) {
            const bool known = std::any_of(tried.begin(), tried.end(), [&](const Box& b) {
                return b.left <= x && x < b.right && b.top <= y && y < b.bottom;
            });
            if (known)
                continue;
            Word w = wordAt(api, x + 1, y);
            if (w.found && w.raw == raw)
                return w;
            if (w.found)
                tried.push_back(w.rect);
            seen += " " + (w.found ? w.raw : "-");
        }
        ADD_FAILURE() << "no word in the window reads as " << raw << ":" << seen;
        return {};
    }

    // The word `raw` on the line with rectangle `line`, pointed at from left to right.
    Word scanLine(const Box& line, const std::string& raw)
    {
        for (int x = line.left + 1; x < line.right; x += 3) {
            Word w = wordAt(api, x, line.centreY());
            if (w.found && w.raw == raw)
                return w;
            if (w.found)
                x = std::max(x, w.rect.right - 2);
        }
        ADD_FAILURE() << "no word on the line reads as " << raw;
        return {};
    }

    // The word's rectangle holds its ink and stands off it by no more than the glyphs' bearings.
    // `cellSlack`: how much wider than its glyph a terminal may make a character's cell.
    void expectOnInk(const Word& word, int gap = 5, int cellSlack = 0)
    {
        const Box ink = screen.inkOf(word.rect, gap);
        SCOPED_TRACE(word.raw);
        ASSERT_LT(ink.left, ink.right) << "no ink under the word";
        EXPECT_LE(word.rect.left, ink.left);
        EXPECT_GE(word.rect.left, ink.left - kBearing);
        EXPECT_GE(word.rect.right, ink.right);
        EXPECT_LE(word.rect.right, ink.right + kBearing + cellSlack);
        EXPECT_LE(word.rect.bottom - word.rect.top, 3 * (ink.bottom - ink.top));
    }

    static void expectTopToBottom(const Lines& lines)
    {
        ASSERT_EQ(lines.rects.size(), lines.text.size());
        for (std::size_t i = 1; i < lines.rects.size(); ++i)
            EXPECT_GE(lines.rects[i].top, lines.rects[i - 1].bottom - 1) << "line " << i;
    }

    // The sentence calls want room for 6400 bytes and fill the line information only when its
    // size is right.
    void expectBufferRules(int x, int y)
    {
        using Call = int(int, int, char*, int, SentenceLineInfo*);
        std::vector<char> text(SNR_SENTENCE_BUFFER, '\0');
        SentenceLineInfo info{};
        info.size = sizeof info;
        for (const char* name : {"SNRGetSentence", "SNRGetSentenceEx"}) {
            SCOPED_TRACE(name);
            EXPECT_EQ(api.call<Call>(name)(x, y, text.data(), SNR_SENTENCE_BUFFER - 1, &info), 0);
            EXPECT_EQ(api.call<Call>(name)(x, y, nullptr, SNR_SENTENCE_BUFFER, &info), 0);
            SentenceLineInfo ignored{};
            ignored.size = sizeof ignored - 1;
            ignored.lineCount = 77;
            EXPECT_EQ(api.call<Call>(name)(x, y, text.data(), SNR_SENTENCE_BUFFER, &ignored), 1);
            EXPECT_EQ(ignored.lineCount, 77);
            EXPECT_EQ(api.call<Call>(name)(x, y, text.data(), SNR_SENTENCE_BUFFER, nullptr), 1);
        }
    }

    // Word, lines and sentence from a window showing kThreeLines.
    void checkThreeLines(const Box& window, int gap = 5)
    {
        const Word line = findWord(window, "line", gap);
        ASSERT_TRUE(line.found);
        expectOnInk(line, gap);

        const Lines block = linesAt(api, line.rect.left + 1, line.rect.centreY(), false);
        ASSERT_TRUE(block.found);
        EXPECT_EQ(trimmed(block.text), (std::vector<std::string>{"First line of text", "The sentence runs. It goes on over",
                                                                 "two lines here. Last words"}));
        EXPECT_EQ(block.above, 0);
        expectTopToBottom(block);
        ASSERT_EQ(block.rects.size(), 3u);

        expectBufferRules(line.rect.left + 1, line.rect.centreY());

        const Word goes = scanLine(block.rects[1], "goes");
        ASSERT_TRUE(goes.found);
        expectOnInk(goes, gap);
        const Lines sentence = linesAt(api, goes.rect.left + 1, goes.rect.centreY(), true);
        ASSERT_TRUE(sentence.found);
        EXPECT_EQ(trimmed(sentence.text), (std::vector<std::string>{" It goes on over", "two lines here."}));
        EXPECT_EQ(sentence.above, 0);
        expectTopToBottom(sentence);
    }

    yv::testing::TestHome home;
    Api api;
    Screen screen;
};

TEST_F(CaptureDesktop, XmessageFontSetText)
{
    Program program({"xmessage", "-name", "yvcapxm", "-geometry", "+40+40", kThreeLines});
    const std::optional<Box> window = program.waitForWindow("--classname yvcapxm");
    ASSERT_TRUE(window) << fate(program);
    checkThreeLines(*window);
    const Word okay = wordAt(api, window->left + 30, window->bottom - 10);
    EXPECT_EQ(okay.raw, "okay");
}

TEST_F(CaptureDesktop, XtermCoreFont)
{
    const std::string file = (home.dir() / "three.txt").string();
    std::ofstream(file) << kThreeLines << '\n';
    Program program({"xterm", "-name", "yvcapxt", "-geometry", "60x6+40+40", "-hold", "-e", "cat", file});
    const std::optional<Box> window = program.waitForWindow("--classname yvcapxt");
    ASSERT_TRUE(window) << fate(program);
    checkThreeLines(*window);
}

TEST_F(CaptureDesktop, XtermXftJapanese)
{
    Program program({"xterm", "-name", "yvcapxf", "-fa", "Noto Sans Mono CJK JP", "-fs", "12", "-geometry", "40x3+40+40",
                     "-hold", "-e", "printf", "日本語の文です。 capture here"},
                    true, {"LANG=C.UTF-8", "LC_ALL=C.UTF-8"});
    const std::optional<Box> window = program.waitForWindow("--classname yvcapxf");
    ASSERT_TRUE(window) << fate(program);
    // The Japanese text: the word at the first character starts there and reads as drawn.
    const Word japanese = findWord(*window, "日", 4);
    ASSERT_TRUE(japanese.found);
    EXPECT_EQ(std::string("日本語の文です。").rfind(japanese.raw, 0), 0u) << japanese.raw;
    // This font's glyphs are narrower than the cells the terminal gives them (half of a
    // wide character's).
    const int cell = (japanese.rect.right - japanese.rect.left) / 2;
    expectOnInk(japanese, 4, cell);
    // Buffers too small for a double-byte character get none of it.
    char raw[2] = {'x', 'x'};
    char words[3] = {'x', 'x', 'x'};
    SNRRect rect{};
    using GetWords = int(int, int, SNRRect*, char*, int, char*, int);
    ASSERT_EQ(api.call<GetWords>("SNRGetWords")(japanese.rect.left + 1, japanese.rect.centreY(), &rect, words, 3, raw, 2), 1);
    EXPECT_STREQ(raw, "");
    EXPECT_EQ(std::strlen(words) % 2, 0u);
    const Lines line = linesAt(api, japanese.rect.left + 1, japanese.rect.centreY(), false);
    ASSERT_TRUE(line.found);
    EXPECT_EQ(trimmed(line.text), (std::vector<std::string>{"日本語の文です。 capture here"}));
    ASSERT_EQ(line.rects.size(), 1u);
    const Word capture = scanLine(line.rects[0], "capture");
    expectOnInk(capture, 4, cell / 2);
}

TEST_F(CaptureDesktop, XeditTextPane)
{
    const std::string file = (home.dir() / "three.txt").string();
    std::ofstream(file) << kThreeLines << '\n';
    Program program({"xedit", "-name", "yvcaped", "-geometry", "500x260+40+40", file});
    const std::optional<Box> window = program.waitForWindow("--classname yvcaped");
    ASSERT_TRUE(window) << fate(program);
    checkThreeLines(*window);
}

TEST_F(CaptureDesktop, XclockDigitalDrawnIntoAPixmapAndCopied)
{
    Program program({"xclock", "-name", "yvcapxc", "-digital", "-strftime", "Capture clock", "-geometry", "+40+40"});
    const std::optional<Box> window = program.waitForWindow("--classname yvcapxc");
    ASSERT_TRUE(window) << fate(program);
    const Word word = findWord(*window, "Capture", 4);
    expectOnInk(word, 4);
}

TEST_F(CaptureDesktop, Gtk3DialogLayout)
{
    Program program({"zenity", "--info", "--title", "yvcapzen", "--text", kThreeLines});
    const std::optional<Box> window = program.waitForWindow("--name yvcapzen");
    ASSERT_TRUE(window) << fate(program);
    checkThreeLines(*window, 4);
}

// Programs with the hook start, draw and end as without it, whatever the capture area holds.
class CaptureHookRobustness : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs the test session's X server";
    }

    void runPrograms(const char* state)
    {
        SCOPED_TRACE(state);
        Screen screen;
        {
            // The shell ends once the test has seen the terminal drawn.
            const std::string done = (home.dir() / "drawn").string();
            std::filesystem::remove(done);
            Program xterm({"xterm", "-name", "yvcaprb", "-geometry", "30x3+40+40", "-e", "sh", "-c",
                           "printf 'still drawing'; while [ ! -e " + done + " ]; do sleep 0.05; done"});
            const std::optional<Box> window = xterm.waitForWindow("--classname yvcaprb");
            ASSERT_TRUE(window) << fate(xterm);
            EXPECT_FALSE(screen.inkedWords(*window).empty());
            std::ofstream{done};
            int status = -1;
            ASSERT_TRUE(xterm.waitForExit(20000, &status));
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        {
            Program message({"xmessage", "-name", "yvcaprm", "-timeout", "1", "drawn anyway"});
            const std::optional<Box> window = message.waitForWindow("--classname yvcaprm");
            ASSERT_TRUE(window) << fate(message);
            EXPECT_FALSE(screen.inkedWords(*window).empty());
            int status = -1;
            ASSERT_TRUE(message.waitForExit(20000, &status));
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        {
            Program editor({"xedit", "-name", "yvcapre", "-geometry", "300x200+40+40"});
            const std::optional<Box> window = editor.waitForWindow("--classname yvcapre");
            ASSERT_TRUE(window) << fate(editor);
            EXPECT_FALSE(screen.inkedWords(*window).empty());
            EXPECT_FALSE(editor.waitForExit(0));
        }
        {
            // zenity ends a dialog that timed out with status 5.
            Program dialog({"zenity", "--info", "--title", "yvcaprz", "--text", "drawn anyway", "--timeout", "1"});
            const std::optional<Box> window = dialog.waitForWindow("--name yvcaprz");
            ASSERT_TRUE(window) << fate(dialog);
            EXPECT_FALSE(screen.inkedWords(*window).empty());
            int status = -1;
            ASSERT_TRUE(dialog.waitForExit(20000, &status));
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 5);
        }
    }

    yv::testing::TestHome home;
};

TEST_F(CaptureHookRobustness, MissingCorruptForeignAndFullAreas)
{
    runPrograms("no area");

    const std::size_t size = sizeof(area::CaptureArea);
    {
        auto block = yv::shm::SharedBlock::create(area::kBlockName, size);
        ASSERT_TRUE(block);
        // A valid header over hostile contents: recording on, counts and targets out of range.
        std::memset(block->data(), 0xA5, size);
        auto& a = *reinterpret_cast<area::CaptureArea*>(block->data());
        a.magic = area::kMagic;
        a.layoutVersion = area::kLayoutVersion;
        a.areaSize = size;
        a.recording = 1;
        runPrograms("corrupt records");
        // Full: every record taken, a probe running on windows of no one.
        std::memset(block->data() + 12, 0, size - 12);
        a.recording = 1;
        a.recordCount = area::kMaxRecords;
        a.targetCount = area::kMaxTargets;
        a.probeY = 45;
        a.hitIndex = -1;
        runPrograms("full");
        std::memset(block->data(), 0x5A, size);
        runPrograms("damaged header");
    }
    const std::string file = "/dev/shm" + yv::shm::objectName(area::kBlockName);
    ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
    runPrograms("owned by another user");
}

TEST_F(CaptureHookRobustness, FirstCaptureFindsAProgramThatKeepsDrawing)
{
    // The terminal draws all the time, and so looked for the area a moment before it exists.
    // It blinks one cell of the second row: dots in a row would scroll the words away on a slow
    // machine.
    Program program({"xterm", "-name", "yvcapfc", "-geometry", "40x4+40+40", "-e", "sh", "-c",
                     "echo 'first capture'; while :; do printf '\\r.'; sleep 0.05; printf '\\r '; sleep 0.05; done"});
    const std::optional<Box> window = program.waitForWindow("--classname yvcapfc");
    ASSERT_TRUE(window) << fate(program);
    Screen screen;
    // The top of the first word's first letter.
    const std::vector<std::pair<int, int>> starts = screen.wordStarts(*window);
    ASSERT_FALSE(starts.empty());
    Api api;
    ASSERT_TRUE(api.loaded());
    const Word word = wordAt(api, starts.front().first + 1, starts.front().second + 3);
    EXPECT_TRUE(word.found);
    EXPECT_EQ(word.raw, "first");
}

TEST_F(CaptureHookRobustness, ProgramsWithoutTheHookGiveNoTextPromptly)
{
    Api api;
    ASSERT_TRUE(api.loaded());
    Program program({"xmessage", "-name", "yvcapnh", "-geometry", "+40+40", "plain text"}, false);
    const std::optional<Box> window = program.waitForWindow("--classname yvcapnh");
    ASSERT_TRUE(window) << fate(program);
    Screen screen;
    const std::vector<Box> inked = screen.inkedWords(*window);
    ASSERT_FALSE(inked.empty());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(wordAt(api, inked.front().centreX(), inked.front().centreY()).found);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

} // namespace
