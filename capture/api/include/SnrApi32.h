/* SnrApi32: the capture API. Loads the capture engine libSNRCAPNT.so from its own directory,
 * forwards the capture calls to it and the language settings to SNRCBK32, and post-processes
 * what the engine finds (width normalisation, separate sound marks merged). A second source
 * of text answers through the shared `AcrobatSharedData` block.
 *
 * Plain C functions, exported by name. Windows are X11 window ids. */
#pragma once

#include <SNRCAPNT.h>
#include <SNRCBK32.h>

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define SNRAPI_API __attribute__((visibility("default")))

#define SNRAPI_VERSION 0x20000

/* The argument of SNRInitCaptureEx. `size` must be sizeof(CaptureInitInfo). Zero for the
 * window and the procedures leaves them as they are. */
typedef struct CaptureInitInfo {
    int32_t size;
    int32_t exclusive;
    int32_t enableTranslate;
    int32_t reserved;
    uint32_t ownerWindow;
    SNRWordBreakProcA wordBreakA;
    SNRWordBreakProcW wordBreakW;
} CaptureInitInfo;

/* The block shared with the second source (offsets fixed, integers little-endian). */
typedef struct AcrobatSharedData {
    int32_t request; /* 0 none, 1 words, 2 sentence */
    int32_t x, y;
    int32_t answer; /* 1 when the text fields were filled in */
    int32_t fourth;
    char word[256];
    SNRRect wordRect;
    int32_t encodeCleared;
    char words[256];
    char sentence[6400];
    int32_t lineCount;
    int32_t linesAbove;
    SNRRect lines[25];
} AcrobatSharedData;

/* 0 when the library refused to load (see SNRIsLoaded): every call then fails. */
SNRAPI_API int SNRIsLoaded(void);

SNRAPI_API SNRWordBreakProcA SNRSetWordBreakProcA(SNRWordBreakProcA procedure);
SNRAPI_API SNRWordBreakProcW SNRSetWordBreakProcW(SNRWordBreakProcW procedure);
SNRAPI_API int SNRInitCaptureEx(const CaptureInitInfo* info);
SNRAPI_API int SNRGetWords(int x, int y, SNRRect* wordRect, char* words, int wordsSize, char* raw, int rawSize);
SNRAPI_API int SNRIsTranslateEnabled(void);
SNRAPI_API int SNREnableTranslate(int flag);
SNRAPI_API int SNRGetLine(int x, int y, char* text, int textSize);
SNRAPI_API uint32_t SNRSetOwnerWindow(uint32_t window);
SNRAPI_API int SNRGetSentence(int x, int y, char* text, int textSize, SentenceLineInfo* info);
SNRAPI_API void* SNRGetActualAddress(int slot);
SNRAPI_API void* SNRGetSMBBaseAddress(int slot);
SNRAPI_API uint32_t SNRGetOwnerWindow(void);
SNRAPI_API int SNRSetWordSpace(int pixels);
SNRAPI_API int SNRGetWordSpace(void);
SNRAPI_API int SNRSetLineExtra(int pixels);
SNRAPI_API int SNRGetLineExtra(void);
SNRAPI_API int SNRGetSentenceEx(int x, int y, char* text, int textSize, SentenceExInfo* info);
SNRAPI_API uint32_t SNRGetLastCapturedWindow(void);
SNRAPI_API int SNRGetEncode(void);
SNRAPI_API int SNROpenInterface(void);
SNRAPI_API int SNRCloseInterface(void);
SNRAPI_API int SNRGetRefCount(void);
SNRAPI_API int SNRGetVersion(void);
SNRAPI_API int SNRAcrobatGetWords(int x, int y, SNRRect* wordRect, char* words, int wordsSize, char* raw, int rawSize);
SNRAPI_API AcrobatSharedData* SNRGetAcrobatSharedData(void);
/* The language settings (SNRGetMaxDBCSChar … SNRSetCharSetAutoDetect, SNRSetActiveCharSet,
 * SBC2DBCCaseA/W) are SNRCBK32's own exports, which a client reaches through this library. */

#ifdef __cplusplus
}
#endif

#ifdef __cplusplus
static_assert(sizeof(AcrobatSharedData) == 7360, "the block's layout is fixed");
#endif
