// Escaping of control characters for display.
#include "escape.h"

#include <string.h>

void EscapeControls(const char* text, char* out, size_t size) {
    if (size == 0) return;
    size_t used = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != '\0'; ++p) {
        char escaped[ESCAPE_GROWTH + 1] = {static_cast<char>(*p), '\0'};
        if (*p == '\n' || *p == '\t' || *p == '\\') {
            escaped[0] = '\\';
            escaped[1] = *p == '\n' ? 'n' : *p == '\t' ? 't' : '\\';
            escaped[2] = '\0';
        } else if (*p < 0x20 || *p == 0x7F) {
            escaped[0] = '\\';
            escaped[1] = static_cast<char>('0' + (*p >> 6));
            escaped[2] = static_cast<char>('0' + ((*p >> 3) & 7));
            escaped[3] = static_cast<char>('0' + (*p & 7));
            escaped[4] = '\0';
        }
        size_t n = strlen(escaped);
        if (used + n > size - 1) break;
        memcpy(out + used, escaped, n);
        used += n;
    }
    out[used] = '\0';
}
