// A stand-in for the outside capture wrapper: fixed words and a fixed sentence at any point.
#include <cstdint>
#include <cstring>

namespace {

struct WordRect {
    std::int32_t left, top, right, bottom;
};

void copyText(char* out, int size, const char* text)
{
    if (size <= 0)
        return;
    std::strncpy(out, text, static_cast<std::size_t>(size - 1));
    out[size - 1] = '\0';
}

} // namespace

extern "C" __attribute__((visibility("default"))) int MySNRGetWords(int x, int y, WordRect* rect, char* words,
                                                                    int wordsSize, char* raw, int rawSize)
{
    *rect = {x - 5, y - 5, x + 30, y + 10};
    copyText(words, wordsSize, "the library of books");
    copyText(raw, rawSize, "library");
    return 1;
}

extern "C" __attribute__((visibility("default"))) int MySNRGetSentence(int, int, char* text, int textSize, void*)
{
    copyText(text, textSize, "line one\r\nline\ttwo");
    return 1;
}
