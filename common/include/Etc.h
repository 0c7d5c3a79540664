/* Etc: the shared services every program of the suite links: settings, direction detection,
 * search-key history, temporary files, Office detection and the common message box.
 *
 * Plain C functions. Names, paths and string values are UTF-8; GetDirection reads CP932 text.
 * Failures are never reported: Get functions return their defaults, Set functions do nothing. */
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Settings roots. 0 reads the current user's key, falling back to the machine's only when the
 * user's key does not exist. */
typedef uintptr_t HKEY;
static const HKEY HKEY_CLASSES_ROOT = 0x80000000u;
static const HKEY HKEY_CURRENT_USER = 0x80000001u;
static const HKEY HKEY_LOCAL_MACHINE = 0x80000002u;

/* A top-level window: the X11 window id (any unique number under the offscreen platform). */
typedef uint64_t WindowHandle;

/* Translation directions. */
enum { DIRECTION_AUTO = 0, DIRECTION_EJ = 1, DIRECTION_JE = 2 };

typedef struct TransSettings {
    uint16_t subject;    /* 1 it, 2 I, 3 we, 4 you, 5 they, 6 this */
    uint16_t imperative; /* 1 NASAI, 2 KOTO, 3 SURU */
    uint16_t style;      /* 1 DEARU, 2 DESUMASU */
    uint16_t you;        /* 1 ON, 2 OFF */
    uint32_t parLimit;
} TransSettings;

typedef struct KeySettings {
    uint16_t translate; /* "翻訳" */
    uint16_t dictionary; /* "辞書" */
    uint16_t cdrom;     /* "CDROM" */
    uint16_t example;   /* "例文" */
} KeySettings;

#define ETC_MAX_PATH 260

typedef struct SoftSettings {
    uint32_t txtAuto;
    uint16_t txtId;
    char txtExe[ETC_MAX_PATH];
    uint32_t docAuto;
    uint16_t docId;
    uint32_t pptAuto;
    uint16_t pptId;
    uint32_t xlsAuto;
    uint16_t xlsId;
    uint32_t spyglass;
    uint32_t spyglassTime;
    uint16_t spyglassExec;
} SoftSettings;

typedef struct VoiceSettings {
    uint32_t useReg;
    uint32_t regTrans;
    uint32_t useSpeak;
    uint32_t transSpeak;
} VoiceSettings;

/* Product key "Software\Orvikan\Yorvane5\1.00.000"; a null subkey means the key itself. */
uint32_t GetRegDWORD(HKEY root, const char* subkey, const char* name, uint32_t def);
void SetRegDWORD(HKEY root, const char* subkey, const char* name, uint32_t value);
/* Copies def into buffer, then the value over it; 1 when the key could be opened. */
int GetRegStr(HKEY root, const char* subkey, const char* name, char* buffer, uint32_t size, const char* def);
void SetRegStr(HKEY root, const char* subkey, const char* name, const char* text);
/* Copies def first; returns the bytes read, 0 when the key or value is missing. */
int GetRegBin(HKEY root, const char* subkey, const char* name, void* buffer, uint32_t size,
              const void* def, uint32_t defSize);
void SetRegBin(HKEY root, const char* subkey, const char* name, const void* data, uint32_t size);

/* The same on the engine key of a direction (1 EJ, anything else JE), read from the engines'
 * profile files. The Set forms return 0 on success, non-zero otherwise. */
int GetRegStr_Engine(HKEY root, const char* subkey, const char* name, char* buffer, uint32_t size,
                     const char* def, int direction);
long SetRegStr_Engine(HKEY root, const char* subkey, const char* name, const char* text, int direction);
int GetRegBin_Engine(HKEY root, const char* subkey, const char* name, void* buffer, uint32_t size,
                     const void* def, uint32_t defSize, int direction);
long SetRegBin_Engine(HKEY root, const char* subkey, const char* name, const void* data, uint32_t size,
                      int direction);

void LoadEnvTrans(TransSettings* settings);
void SaveEnvTrans(const TransSettings* settings);
void LoadEnvKeys(KeySettings* settings);
void SaveEnvKeys(const KeySettings* settings);
void LoadEnvSoft(SoftSettings* settings);
void SaveEnvSoft(const SoftSettings* settings);
void LoadEnvVoice(VoiceSettings* settings);
void SaveEnvVoice(const VoiceSettings* settings);

/* Search-key history: newest first, 20 entries, each ended by a line feed. */
void MemorizeKey(HKEY root, const char* subkey, const char* name, const char* key);
/* Reads the history into buffer and returns up to 20 pointers into it, ended by a null
 * pointer. The list is the library's (per thread) and is overwritten by the next call. */
char** GetKeyList(HKEY root, const char* subkey, const char* name, char* buffer, uint32_t size);

/* Reserves an empty temporary file "<tempdir>/_wypts_NNNN<extension>" (extension with its
 * dot) and copies its path into out (ETC_MAX_PATH bytes); returns out, or null. */
char* TempFileName(const char* extension, char* out);
/* Deletes this user's reserved temporary files. */
void ClearTempFile(void);

/* Installed Office version (2007, 2003, 2002, 2000, 97) or 0. */
int AutoFindDoc(void);
int AutoFindPpt(void);
int AutoFindXls(void);

/* printf-style message box captioned "Yorvane5" (2,048 bytes of text at most); returns the
 * button pressed (IDOK 1 ... IDNO 7). */
int PrintBox(WindowHandle owner, unsigned style, const char* format, ...)
#ifdef __GNUC__
    __attribute__((format(printf, 3, 4)))
#endif
    ;

/* Closes the engine of a direction (1 EJ, 2 JE) so that new settings take effect; the
 * window argument is not used. */
void ResetEngine(WindowHandle window, int direction);
/* Stores the direction setting (0 automatic, 1 EJ, 2 JE) and tells the open boxes. */
void PostDirectionChanged(int direction);

/* Translates a text (or HTML) file into `dst` through the engine link while serving the
 * caller's events; posts WM_USER+4 with the progress percentage to `notify`. Direction 0 is
 * detected from the file. Returns the direction used, or -1. */
int CnvTxt(WindowHandle notify, const char* src, const char* dst, int direction);
void CnvTxt_stop(void);
int CnvHtm(WindowHandle notify, const char* src, const char* dst, int direction);
void CnvHtm_stop(void);

/* The address the web browser shows, into `out` (at most GETURL_MAX bytes with the NUL);
 * 1 when a reply was copied, 0 otherwise. */
#define GETURL_MAX 2048
int GetURL(void* unused, char* out);

/* A printf-style diagnostic line into the trace block, announced to a trace window
 * ("PserverWClass") when one exists; nothing happens without one. */
void TraceLine(const char* format, ...)
#ifdef __GNUC__
    __attribute__((format(printf, 1, 2)))
#endif
    ;

/* Direction of a CP932 text: 1 EJ or 2 JE. */
int GetDirection(const char* text);
/* 0 when the file cannot be read, else 1 or 2. */
int GetTxtFileDirection(const char* path);
/* -1 for a frame set, 0 when the file cannot be read, else 1 or 2. */
int GetHtmlFileDirection(const char* path);

#ifdef __cplusplus
}
#endif
