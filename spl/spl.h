// SysPrepLib stand-in: the two operations the window program uses to place its INI file
// in the user's application-data folder when no INI file lies beside the program.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// Puts the current user's application-data folder (NUL-terminated) into buffer.
// Returns 0, or -1 with an empty buffer on failure.
int spl_GetOsAndAppPath(char* buffer, int size);

// Creates the folder `path` (ending in a backslash or not) with every missing parent.
// Returns 0 when the folder exists afterwards, else a nonzero error code.
int spl_MakeFolder(const char* path);

#ifdef __cplusplus
}
#endif
