// How the platform spells text: the system's byte encoding of a character, the
// length of a character in bytes, and the path separator.
// system_text_posix.cpp (UTF-8) and system_text_win32.cpp (ANSI code page)
// implement it; the build picks one.
#ifndef QUILLON_CORE_SYSTEM_TEXT_H
#define QUILLON_CORE_SYSTEM_TEXT_H

#include <stdint.h>

// Writes the system-text bytes of Unicode code point `cp` to `out` (room for
// at least 4 bytes) and returns their count. A character the system text
// cannot hold is written as '?', never approximated by a look-alike.
int EncodeSystemChar(uint32_t cp, char* out);

// Bytes in the character that starts at `text`: 0 at the terminating NUL,
// 2 for a double-byte character whose trail byte is present, 1 otherwise.
int CharLength(const char* text);

// The byte that ends the directory part of a path.
char PathSeparator();

#endif
