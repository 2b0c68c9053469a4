// The Japanese-capable font family the windows ask for: the first of those
// the package may bring (fonts-noto-cjk, fonts-ipafont-gothic, fonts-vlgothic)
// that is installed, so that half-width katakana and kanji never fall to
// whatever fontconfig substitutes.
#ifndef QUILLON_DESKTOP_CJK_FONT_H
#define QUILLON_DESKTOP_CJK_FONT_H

#include <QString>

// A fixed-pitch family for the log (`fixedPitch`) or a proportional one for
// the dialog; empty when none is installed, which leaves the default font.
QString CjkFamily(bool fixedPitch);

#endif
