// The windows' places.
#include "placement.h"

#include <stdlib.h>

#include <algorithm>
#include <limits>

namespace {

int Clamp(int value, int low, int high) {
    return std::max(low, std::min(value, high));
}

// `frame` moved into `area` as far as it fits; its top-left stays in when it
// is the larger, so that the title bar can be reached.
QPoint Inside(const QRect& frame, const QRect& area) {
    return QPoint(Clamp(frame.left(), area.left(), std::max(area.left(), area.right() - frame.width() + 1)),
                  Clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() - frame.height() + 1)));
}

}  // namespace

QPoint PlaceBeside(const QRect& owner, const QSize& size, const QRect& screen) {
    const QRect candidates[] = {
        QRect(QPoint(owner.right() + 1 + WINDOW_GAP, owner.top()), size),
        QRect(QPoint(owner.left(), owner.bottom() + 1 + WINDOW_GAP), size),
        QRect(QPoint(owner.left() - WINDOW_GAP - size.width(), owner.top()), size),
        QRect(QPoint(owner.left(), owner.top() - WINDOW_GAP - size.height()), size),
    };
    for (const QRect& c : candidates) {
        // Beside the owner along one axis, slid along the other into the screen.
        QRect moved(Inside(c, screen), size);
        if (screen.contains(moved) && !moved.intersects(owner)) return moved.topLeft();
    }
    return Inside(candidates[0], screen);
}

QPoint KeepOnScreen(const QRect& frame, const QList<QRect>& screens) {
    if (screens.isEmpty()) return frame.topLeft();
    // The screen that holds the most of the frame, else the nearest to it.
    const QRect* best = &screens.first();
    long bestScore = std::numeric_limits<long>::min();
    for (const QRect& s : screens) {
        QRect common = s.intersected(frame);
        QPoint centre = frame.center();
        long away = std::abs(centre.x() - Clamp(centre.x(), s.left(), s.right())) +
                    std::abs(centre.y() - Clamp(centre.y(), s.top(), s.bottom()));
        long score = common.isEmpty() ? -away : static_cast<long>(common.width()) * common.height();
        if (score > bestScore) best = &s, bestScore = score;
    }
    return Inside(frame, *best);
}
