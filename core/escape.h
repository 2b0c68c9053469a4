// Paths as the Linux front ends show them: a name may hold any byte but '/'
// and NUL, and a line feed or a terminal control in it must not pass for a
// line or an effect of the program's own.
#ifndef QUILLON_CORE_ESCAPE_H
#define QUILLON_CORE_ESCAPE_H

#include <stddef.h>

#include <string>

// Worst case: every byte written as four.
enum { ESCAPE_GROWTH = 4 };

// The bytes shown as they are: all but the controls, DEL and the backslash.
struct ShownAsItIs {
    bool byte[256];
    constexpr ShownAsItIs() : byte() {
        for (int c = 0; c < 256; ++c) byte[c] = c >= 0x20 && c != 0x7F && c != '\\';
    }
};
constexpr ShownAsItIs kShownAsItIs;

// Copies `text` into `out` (room for `size` bytes, always NUL-terminated) with
// each control character, DEL and backslash written as `ls -b` writes them:
// \n, \t, \\ and the other controls as \ooo (three octal digits). The copy is
// cut before an escape that would not fit whole.
void EscapeControls(const char* text, char* out, size_t size);

// The same, whole, for text of any length.
std::string EscapeControls(const std::string& text);

#endif
