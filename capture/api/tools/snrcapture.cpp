// snrcapture X Y [--sentence|--lines]: the text another program drew at a screen point, for
// users and tests. Words: the words, the word as displayed and its rectangle, one per line.
// --lines: the lines around the point; --sentence: the sentence through it. UTF-8 output.
#include <SnrApi32.h>

#include <platform/codec.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: snrcapture X Y [--sentence|--lines]\n");
    return 2;
}

bool parseInt(const char* s, int* out)
{
    char* end = nullptr;
    const long v = std::strtol(s, &end, 10);
    if (!*s || *end || v < -100000 || v > 100000)
        return false;
    *out = static_cast<int>(v);
    return true;
}

// Captured text is in the active code page, which for this suite is Shift_JIS.
std::string utf8(const char* text)
{
    return yv::codec::cp932ToUtf8(text);
}

} // namespace

int main(int argc, char** argv)
{
    int x = 0;
    int y = 0;
    if (argc < 3 || argc > 4 || !parseInt(argv[1], &x) || !parseInt(argv[2], &y))
        return usage();
    const std::string mode = argc == 4 ? argv[3] : "";
    if (!mode.empty() && mode != "--sentence" && mode != "--lines")
        return usage();
    if (!SNRIsLoaded()) {
        std::fprintf(stderr, "snrcapture: the capture library could not be loaded\n");
        return 1;
    }
    if (mode.empty()) {
        SNRRect rect{};
        char words[256] = {};
        char raw[256] = {};
        if (!SNRGetWords(x, y, &rect, words, sizeof words, raw, sizeof raw)) {
            std::fprintf(stderr, "snrcapture: no text at %d,%d\n", x, y);
            return 1;
        }
        std::printf("%s\n%s\n%d %d %d %d\n", utf8(words).c_str(), utf8(raw).c_str(), rect.left, rect.top, rect.right,
                    rect.bottom);
        return 0;
    }
    std::vector<char> text(SNR_SENTENCE_BUFFER + 1, '\0');
    SentenceLineInfo info{};
    info.size = sizeof info;
    const int found = mode == "--sentence" ? SNRGetSentenceEx(x, y, text.data(), static_cast<int>(text.size()), &info)
                                           : SNRGetSentence(x, y, text.data(), static_cast<int>(text.size()), &info);
    if (!found) {
        std::fprintf(stderr, "snrcapture: no text at %d,%d\n", x, y);
        return 1;
    }
    std::string out = utf8(text.data());
    for (std::size_t at; (at = out.find("\r\n")) != std::string::npos;)
        out.replace(at, 2, "\n");
    std::fputs(out.c_str(), stdout);
    for (int i = 0; i < info.lineCount && i < SNR_MAX_LINES; ++i)
        std::printf("# %d %d %d %d\n", info.lines[i].left, info.lines[i].top, info.lines[i].right, info.lines[i].bottom);
    return 0;
}
