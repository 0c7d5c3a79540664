/* SNRCBK32: the language rules of screen capture. Which character set and code page captured
 * text is in, how a character is classified, how the word or words under the mouse and the
 * sentence around it are cut out of a captured line, width normalisation, which windows are
 * read one line at a time, and word-for-word substitution through the dictionary "KRLIB.DAT".
 *
 * Plain C functions, exported by name. Every setting is per process; nothing is shared between
 * processes except the dictionary mapping.
 *
 * Wide text is UTF-16 as char16_t (the Windows WCHAR is 16 bits; wchar_t on Linux is 32).
 * 8-bit text is in the active code page; code page 0 stands for the system code page, which
 * for this suite is Shift_JIS (932). Booleans are int, 0 or 1. */
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#else
#include <uchar.h>
#endif

#define SNRCBK32_API __attribute__((visibility("default")))

/* The ordinals by which the capture engine and the capture API import these functions on
 * Windows; on Linux they are linked by name and the numbers only document the interface. */
enum SNRCBK32Ordinal {
    SNRCBK32_ORD_SetWordBreakProcW = 102,
    SNRCBK32_ORD_SetWordBreakProcA = 103,
    SNRCBK32_ORD_SetSentenceBreakProcW = 104,
    SNRCBK32_ORD_SetSentenceBreakProcA = 105,
    SNRCBK32_ORD_TranslateFilterProc = 121,
    SNRCBK32_ORD_WordBreakProcW = 122,
    SNRCBK32_ORD_WordBreakProcA = 123,
    SNRCBK32_ORD_TranslateProcW = 124,
    SNRCBK32_ORD_TranslateProcA = 125,
    SNRCBK32_ORD_SentenceBreakProcW = 126,
    SNRCBK32_ORD_SentenceBreakProcA = 127,
    SNRCBK32_ORD_IsDictInitSuccess = 151,
    SNRCBK32_ORD_IsSingleLineRecommend = 161,
    SNRCBK32_ORD_SNRGetMaxDBCSChar = 201,
    SNRCBK32_ORD_SNRSetMaxDBCSChar = 202,
    SNRCBK32_ORD_SNRGetMaxSBCSWords = 203,
    SNRCBK32_ORD_SNRSetMaxSBCSWords = 204,
    SNRCBK32_ORD_SNRGetSBCCaseAbility = 205,
    SNRCBK32_ORD_SNRSetSBCCaseAbility = 206,
    SNRCBK32_ORD_SBC2DBCCaseW = 301,
    SNRCBK32_ORD_SBC2DBCCaseA = 302,
    SNRCBK32_ORD_SNRIsDBCSCharSetA = 401,
    SNRCBK32_ORD_SNRIsDBCSCharSetW = 402,
    SNRCBK32_ORD_SNRIsSBCSCharSetA = 403,
    SNRCBK32_ORD_SNRIsSBCSCharSetW = 404,
    SNRCBK32_ORD_SNRIsDBCSRegularCharW = 405,
    SNRCBK32_ORD_SNRGetActiveCodePage = 411,
    SNRCBK32_ORD_SNRGetActiveCharSet = 412,
    SNRCBK32_ORD_SNRSetActiveCharSet = 413,
    SNRCBK32_ORD_SNRSetDetectedCharSet = 414,
    SNRCBK32_ORD_SNRGetCharSetAutoDetect = 415,
    SNRCBK32_ORD_SNRSetCharSetAutoDetect = 416
};

/* Word-break procedure. `text` is one captured line, zero-terminated; `hitIndex` the character
 * (W) or byte (A) under the mouse. Writes the words found, zero-terminated, to `out` (may be
 * null) and the first and last position of the word under the mouse to `*start` / `*end`
 * (A: bytes, `*end` the last byte of its character). Returns 1 when something was found.
 * A: `outSize` bytes including the zero. W: `out` holds 256 characters; a positive `outSize`
 * below that bounds the characters written, the zero included. */
typedef int (*SNRWordBreakProcW)(const char16_t* text, int hitIndex, char16_t* out, int outSize, int* start,
                                 int* end);
typedef int (*SNRWordBreakProcA)(const char* text, int hitIndex, char* out, int outSize, int* start, int* end);

/* Sentence-break procedure. On entry `*position` is where to scan from, -1 for the end of the
 * text (backward) or its start (forward). Direction 1 finds the first position of the sentence,
 * any other value (2) the position of its terminating character (A: its last byte). Returns
 * nonzero when found; otherwise 0 with `*position` set to -1. */
typedef int (*SNRSentenceBreakProcW)(const char16_t* text, int* position, int direction);
typedef int (*SNRSentenceBreakProcA)(const char* text, int* position, int direction);

/* Break dispatchers: call the installed procedures (the built-in ones until a client installs
 * its own). Installing returns the previous procedure; installing null puts the built-in back. */
SNRCBK32_API int WordBreakProcW(const char16_t* text, int hitIndex, char16_t* out, int outSize, int* start, int* end);
SNRCBK32_API int WordBreakProcA(const char* text, int hitIndex, char* out, int outSize, int* start, int* end);
SNRCBK32_API int SentenceBreakProcW(const char16_t* text, int* position, int direction);
SNRCBK32_API int SentenceBreakProcA(const char* text, int* position, int direction);
SNRCBK32_API SNRWordBreakProcW SetWordBreakProcW(SNRWordBreakProcW procedure);
SNRCBK32_API SNRWordBreakProcA SetWordBreakProcA(SNRWordBreakProcA procedure);
SNRCBK32_API SNRSentenceBreakProcW SetSentenceBreakProcW(SNRSentenceBreakProcW procedure);
SNRCBK32_API SNRSentenceBreakProcA SetSentenceBreakProcA(SNRSentenceBreakProcA procedure);

/* The built-in procedures (exported by name only, for clients that fall back on them). */
SNRCBK32_API int DefaultWordBreakW(const char16_t* text, int hitIndex, char16_t* out, int outSize, int* start,
                                   int* end);
SNRCBK32_API int DefaultWordBreakA(const char* text, int hitIndex, char* out, int outSize, int* start, int* end);
SNRCBK32_API int DefaultSentenceBreakW(const char16_t* text, int* position, int direction);
SNRCBK32_API int DefaultSentenceBreakA(const char* text, int* position, int direction);

/* Settings; every setter returns the previous value. A maximum of 0 or less gives only the
 * character under the mouse (double-byte text) or only the word under it (single-byte). */
SNRCBK32_API int SNRGetMaxDBCSChar(void);             /* initially 16 */
SNRCBK32_API int SNRSetMaxDBCSChar(int value);
SNRCBK32_API int SNRGetMaxSBCSWords(void);            /* initially 8 */
SNRCBK32_API int SNRSetMaxSBCSWords(int value);
SNRCBK32_API int SNRGetSBCCaseAbility(void);          /* width normalisation, initially 1 */
SNRCBK32_API int SNRSetSBCCaseAbility(int flag);
SNRCBK32_API int SNRGetCharSetAutoDetect(void);       /* initially 1 */
SNRCBK32_API int SNRSetCharSetAutoDetect(int flag);

/* Character sets (only the low 8 bits of an argument count). The active set starts as 0
 * (ANSI) and the active code page as 0 (system). Setting a set also sets its code page and
 * returns the set; the detected-set call does so only while auto-detection is on (else 0). */
SNRCBK32_API int SNRGetActiveCodePage(void);
SNRCBK32_API int SNRGetActiveCharSet(void);
SNRCBK32_API int SNRSetActiveCharSet(int charSet);
SNRCBK32_API int SNRSetDetectedCharSet(int charSet);

/* Classification. DBCS A: a lead byte of the set's code page. DBCS W: 256 or above.
 * SBCS: a half-width katakana byte / character of Shift_JIS (set 128). Regular: a kana or
 * ideograph, captured in runs. */
SNRCBK32_API int SNRIsDBCSCharSetA(int charSet, unsigned char byte);
SNRCBK32_API int SNRIsDBCSCharSetW(int charSet, char16_t c);
SNRCBK32_API int SNRIsSBCSCharSetA(int charSet, unsigned char byte);
SNRCBK32_API int SNRIsSBCSCharSetW(int charSet, char16_t c);
SNRCBK32_API int SNRIsDBCSRegularCharW(int charSet, char16_t c);

/* Width normalisation in place, up to the terminating zero. W returns 1 (0 for null). A works
 * in the active code page and returns the bytes written including the zero; its buffer must
 * hold 512 bytes or the text's own length plus one, whichever is more. */
SNRCBK32_API int SBC2DBCCaseW(char16_t* text);
SNRCBK32_API int SBC2DBCCaseA(char* text);

/* Window-class tables. The caller passes the class name (WM_CLASS or the toolkit's class; null
 * for no window) and the window's style in Windows bits; a caller that knows no style passes
 * 0xFFFFFFFF. */
SNRCBK32_API int IsSingleLineRecommend(const char* className, uint32_t style);
SNRCBK32_API int TranslateFilterProc(const char* className, uint32_t style);

/* Word substitution through "KRLIB.DAT" in the machine data directory. On entry `*outLength`
 * is the capacity of `out` (A: bytes, W: characters); on return the length written (a zero
 * follows when there is room). Returns 1 when at least one dictionary entry was used. Without
 * a dictionary: 0, and `out` is left alone. `length` counts the bytes (A) or characters (W)
 * of `text` to look at; the text also ends at a zero. */
SNRCBK32_API int TranslateProcA(const char* text, int length, char* out, int* outLength);
SNRCBK32_API int TranslateProcW(const char16_t* text, int length, char16_t* out, int* outLength);
SNRCBK32_API int IsDictInitSuccess(void);

#ifdef __cplusplus
}
#endif
