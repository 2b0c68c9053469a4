// The Win32 system text back end with the code page as a parameter: the
// public functions of system_text.h pass the ANSI code page, tests pass others.
// Only Windows builds have it.
#ifndef QUILLON_CORE_SYSTEM_TEXT_WIN32_H
#define QUILLON_CORE_SYSTEM_TEXT_WIN32_H

#include <stdint.h>

// EncodeSystemChar in `codePage`.
int EncodeCodePageChar(uint32_t cp, unsigned codePage, char* out);

// The NUL-terminated UTF-16 path `wide` in `codePage`: at most `size` - 1
// bytes into `path` (`size` > 0), always NUL-terminated. Returns the whole
// converted length in bytes; `held` tells whether every character is there as
// it is. One that is not is written as '?': no look-alike (a yen sign read as
// a backslash, say) may make the path name another file.
unsigned SystemPathFromWide(const wchar_t* wide, unsigned codePage, char* path, unsigned size, bool* held);

// BlankLength in `codePage`.
int CodePageBlankLength(const char* text, unsigned codePage);

// NameIsDevice in `codePage`.
int CodePageNameIsDevice(const char* name, unsigned codePage);

#endif
