// The capture wrapper: what the toolbox's cursor capture calls, answered by the capture API.
// Loading it fails when the API or the engine is missing, which leaves cursor capture off.
#include <SnrApi32.h>

#define SNRDLL_API extern "C" __attribute__((visibility("default")))

// The words under the point ("words" with their context, "raw" as displayed) and the word's
// rectangle; nonzero on success.
SNRDLL_API int MySNRGetWords(int x, int y, SNRRect* wordRect, char* words, int wordsSize, char* raw, int rawSize)
{
    return SNRIsLoaded() ? SNRGetWords(x, y, wordRect, words, wordsSize, raw, rawSize) : 0;
}

// The lines around the point, each followed by CR LF; nonzero on success.
SNRDLL_API int MySNRGetSentence(int x, int y, char* text, int textSize, void* lineInfo)
{
    return SNRIsLoaded() ? SNRGetSentence(x, y, text, textSize, static_cast<SentenceLineInfo*>(lineInfo)) : 0;
}
