// Where the user left the two windows, kept between runs in a private file
// beside the undo journal ($XDG_STATE_HOME/Ombrix/Quillon/window-state): a
// window's place is state, not configuration.
#ifndef QUILLON_DESKTOP_WINDOW_STATE_H
#define QUILLON_DESKTOP_WINDOW_STATE_H

#include <QPoint>
#include <QRect>
#include <QSize>

#include <string>

struct WindowPlaces {
    bool hasMain = false;
    QPoint main;  // the main window's frame, top-left
    bool hasLog = false;
    QRect log;  // the log window's frame position and its size
    // What each frame adds to its window's size (title bar, borders), as the
    // window manager drew them last: a frame put back must fit whole.
    QSize mainMargins, logMargins;
};

std::string WindowStatePath();

// What the file holds; a missing or unreadable file, or a line that does not
// read as expected, counts as no place.
WindowPlaces LoadWindowPlaces();

// Replaces the file whole (written aside, private to the user, then renamed
// over it). Returns false, errno set, when it could not.
bool SaveWindowPlaces(const WindowPlaces& places);

#endif
