/* SNRCAPNT: the capture engine. Finds the text another X11 program drew under a screen point:
 * the program (which carries the engine's hook library, libSNRCAPNT_hook.so, through the
 * session's LD_PRELOAD entry) redraws a one-pixel row under the point, records every character
 * it draws there into the shared capture area, and the engine assembles the line, the words or
 * the sentence at the point.
 *
 * Plain C functions, exported by name. Windows are X11 window ids. 8-bit text is in the active
 * code page of SNRCBK32. One capture at a time on the whole desktop. */
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define SNRCAPNT_API __attribute__((visibility("default")))

typedef struct SNRRect {
    int32_t left, top, right, bottom; /* screen pixels, right and bottom exclusive */
} SNRRect;

/* The line information of GetSentence and GetSentenceEx: used only when `size` is 416. The
 * fourth value is the point's position in its line (GetSentence) or the captured window
 * (GetSentenceEx). */
#define SNR_MAX_LINES 25
typedef struct SentenceLineInfo {
    int32_t size;
    int32_t lineCount;
    int32_t linesAbove;
    int32_t fourth;
    SNRRect lines[SNR_MAX_LINES];
} SentenceLineInfo;
typedef SentenceLineInfo SentenceExInfo;

/* Smallest text buffer of the sentence calls. */
#define SNR_SENTENCE_BUFFER 6400

SNRCAPNT_API int GetWords(int x, int y, SNRRect* wordRect, char* words, int wordsSize, char* raw, int rawSize);
SNRCAPNT_API int GetLine(int x, int y, char* text, int textSize); /* always 0 */
SNRCAPNT_API int EnableTranslate(int flag);
SNRCAPNT_API int IsTranslateEnabled(void);
SNRCAPNT_API uint32_t SetOwnerWindow(uint32_t window);
SNRCAPNT_API uint32_t GetOwnerWindow(void);
SNRCAPNT_API int GetSentence(int x, int y, char* text, int textSize, SentenceLineInfo* info);
SNRCAPNT_API void* GetActualAddress(int slot);
SNRCAPNT_API void* GetSMBBaseAddress(int slot);
SNRCAPNT_API int SetWordSpace(int pixels);
SNRCAPNT_API int GetWordSpace(void);
SNRCAPNT_API int SetLineExtra(int pixels);
SNRCAPNT_API int GetLineExtra(void);
SNRCAPNT_API int GetSentenceEx(int x, int y, char* text, int textSize, SentenceExInfo* info);
SNRCAPNT_API uint32_t GetLastCapturedWindow(void);
SNRCAPNT_API int CapEnable(void);
SNRCAPNT_API int CapDisable(void);

#ifdef __cplusplus
}
#endif

#ifdef __cplusplus
static_assert(sizeof(SentenceLineInfo) == 416, "the line information is 416 bytes");
#endif
