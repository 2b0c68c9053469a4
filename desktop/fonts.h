// The face the log and the dialog are set in: the outcome messages are
// Japanese, half-width katakana included, and tag texts may be too.
#ifndef QUILLON_DESKTOP_FONTS_H
#define QUILLON_DESKTOP_FONTS_H

#include <QFont>

// The application's font in the first installed of the Japanese families
// that also cover Latin text (the monospaced one first, so that the log's
// messages line up), or the application's font itself when none is there.
QFont JapaneseFont();

#endif
