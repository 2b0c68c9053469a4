// Escaping of control characters for display.
#include "escape.h"

#include <string.h>

void EscapeControls(const char* text, char* out, size_t size) {
    if (size == 0) return;
    size_t used = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != '\0'; ++p) {
        // Nearly every byte is itself: runs of them are copied whole.
        const unsigned char* plain = p;
        while (kShownAsItIs.byte[*plain]) ++plain;
        size_t run = static_cast<size_t>(plain - p);
        if (run > size - 1 - used) {
            memcpy(out + used, p, size - 1 - used);
            used = size - 1;
            break;
        }
        memcpy(out + used, p, run);
        used += run;
        p = plain;
        if (*p == '\0') break;
        char escaped[ESCAPE_GROWTH] = {'\\', 0, 0, 0};
        size_t n = 2;
        if (*p == '\n' || *p == '\t' || *p == '\\') {
            escaped[1] = *p == '\n' ? 'n' : *p == '\t' ? 't' : '\\';
        } else {
            escaped[1] = static_cast<char>('0' + (*p >> 6));
            escaped[2] = static_cast<char>('0' + ((*p >> 3) & 7));
            escaped[3] = static_cast<char>('0' + (*p & 7));
            n = 4;
        }
        if (used + n > size - 1) break;
        memcpy(out + used, escaped, n);
        used += n;
    }
    out[used] = '\0';
}

std::string EscapeControls(const std::string& text) {
    std::string shown(text.size() * ESCAPE_GROWTH + 1, '\0');
    EscapeControls(text.c_str(), &shown[0], shown.size());
    shown.resize(strlen(shown.c_str()));
    return shown;
}
