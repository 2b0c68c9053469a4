// The window-state file: two lines of numbers,
//   main X Y [MARGIN-WIDTH MARGIN-HEIGHT]
//   log X Y WIDTH HEIGHT [MARGIN-WIDTH MARGIN-HEIGHT]
#include "window_state.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <errno.h>
#include <fstream>
#include <sstream>

#include "core/journal.h"
#include "core/user_files.h"

namespace {

// The frame's margins that may follow on the line; none when absent or absurd.
QSize ReadMargins(std::istringstream& line) {
    int width, height;
    if (!(line >> width >> height) || width < 0 || height < 0 || width > 1000 || height > 1000) return QSize(0, 0);
    return QSize(width, height);
}

}  // namespace

std::string WindowStatePath() {
    return JournalFolderPath() + "/window-state";
}

WindowPlaces LoadWindowPlaces() {
    WindowPlaces places;
    std::ifstream in(WindowStatePath());
    for (std::string text; std::getline(in, text);) {
        std::istringstream line(text);
        std::string key;
        int x, y, width, height;
        if (!(line >> key >> x >> y)) continue;
        if (key == "main") {
            places.hasMain = true;
            places.main = QPoint(x, y);
            places.mainMargins = ReadMargins(line);
        } else if (key == "log" && line >> width >> height && width > 0 && height > 0) {
            places.hasLog = true;
            places.log = QRect(x, y, width, height);
            places.logMargins = ReadMargins(line);
        }
    }
    return places;
}

bool SaveWindowPlaces(const WindowPlaces& places) {
    std::string folder = JournalFolderPath();
    if (!MakeFolders(folder)) return false;
    std::ostringstream text;
    if (places.hasMain) {
        text << "main " << places.main.x() << ' ' << places.main.y() << ' ' << places.mainMargins.width() << ' '
             << places.mainMargins.height() << '\n';
    }
    if (places.hasLog) {
        const QRect& r = places.log;
        text << "log " << r.x() << ' ' << r.y() << ' ' << r.width() << ' ' << r.height() << ' '
             << places.logMargins.width() << ' ' << places.logMargins.height() << '\n';
    }
    std::string path = WindowStatePath();
    std::string aside = path + ".new";
    int fd = open(aside.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    // An older aside file of another mode keeps it through O_TRUNC.
    bool ok = fchmod(fd, 0600) == 0 && WriteAll(fd, text.str().data(), text.str().size()) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && rename(aside.c_str(), path.c_str()) == 0;
    if (!ok) {
        int error = errno;
        unlink(aside.c_str());
        errno = error;
    }
    return ok;
}
