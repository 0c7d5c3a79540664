/* deploykit: file-system steps of installation and removal — copying the manual folder tree
 * with a progress window, removing it again, and opening a folder to everyone.
 *
 * Plain C functions; paths are UTF-8. Failures show only as trace lines (and, for
 * SetSecurity, in the result). */
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

/* Copies the "manual" folder beside the source's last component into destination/manual.
 * Always 0. */
int AllDirCopy(const char* source, const char* destination);

/* Removes path/manual with everything in it. Always 0. */
int AllDirRemove(const char* path);

/* Gives everyone full access to a file or folder (inherited by what a folder later holds):
 * 1 on success, 0 where the file system keeps no access lists or on failure. */
int SetSecurity(const char* path);

#ifdef __cplusplus
}
#endif
