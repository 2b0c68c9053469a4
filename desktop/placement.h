// Where the windows go: the log beside the main window, never over it, and
// every window on a screen that exists. Plain geometry, in the desktop's
// logical pixels; frames are outer rectangles, title bars included.
#ifndef QUILLON_DESKTOP_PLACEMENT_H
#define QUILLON_DESKTOP_PLACEMENT_H

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// Space left between the two windows.
enum { WINDOW_GAP = 12 };

// The top-left corner for a frame of `size` beside `owner` on the screen area
// `screen`: to its right, else below it, else to its left, else above it;
// when none has room, to its right as far as the screen allows.
QPoint PlaceBeside(const QRect& owner, const QSize& size, const QRect& screen);

// `frame` moved (not resized) to lie on the screen of `screens` that holds the
// most of it (the nearest when none holds any), as far as it fits there.
QPoint KeepOnScreen(const QRect& frame, const QList<QRect>& screens);

#endif
