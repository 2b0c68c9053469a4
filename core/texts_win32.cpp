// The Windows program shows the Japanese texts of its resources; what the
// shared code says through Tr() (diagnostics, which it installs no sink for)
// stays English there.
#include "texts.h"

void StartTexts() {}

const char* Tr(const char* english) {
    return english;
}
