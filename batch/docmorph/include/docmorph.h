/* docmorph: translates one Word, Excel or PowerPoint file into its output copy.
 *
 * Plain C functions. Paths are UTF-8. */
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Translates `source` into `output` (a writable copy of the source that the caller made),
 * posting the stages and the progress as WM_USER+4 to `window` and serving the caller's events
 * meanwhile. Direction 0 automatic, 1 English to Japanese, 2 Japanese to English. The version
 * arguments (97, 2000, 2002, 2003, 2007 or 0) are accepted for the callers' sake. Returns 1 on
 * success (and for files of other kinds, which are left alone), 0 on failure or stop. */
int docmorph(uint64_t window, const char* source, const char* output, int direction, int wordVersion,
             int powerPointVersion, int excelVersion);

/* Sets the stop flag of the running conversion to `flag` and returns it. */
int docmorph_stop(int flag);

/* Nothing needs initialising on this platform: returns non-zero (success). */
int MyOleInitialize(void);

#ifdef __cplusplus
}
#endif
