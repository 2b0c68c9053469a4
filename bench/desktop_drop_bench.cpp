// Times drops on quillon-gui's real main window. Each folder on the command
// line is one drop of all its *.mp3 files, delivered as a drag of file URLs;
// the time runs from the drop until the batch is done and the windows are
// painted, and is printed with the log's line count and how many lines say
// renamed. Then, for each drop's size, the same number of lines alone is
// added to the emptied log and painted, timed apart from the files. The log is
// shown unless --hide-log comes first. scripts/bench.sh runs it on Xvfb; it
// is a benchmark, not a test.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <QDir>
#include <QElapsedTimer>

#include <algorithm>
#include <string>
#include <vector>

#include "core/drop_batch.h"
#include "desktop/desktop_test_support.h"
#include "settings/settings_store.h"

namespace {

std::vector<std::string> FilesIn(const char* folder) {
    std::vector<std::string> paths;
    QDir dir(QString::fromLocal8Bit(folder));
    for (const QString& name : dir.entryList({QStringLiteral("*.mp3")}, QDir::Files, QDir::Name)) {
        paths.push_back(QFile::encodeName(dir.filePath(name)).toStdString());
    }
    return paths;
}

long Renamed(const QStringList& lines) {
    QString ok = QString::fromUtf8(OutcomeMessageUtf8(RESULT_OK));
    return std::count_if(lines.begin(), lines.end(), [&](const QString& l) { return l.startsWith(ok); });
}

double TimeDrop(MainWindow& window, const std::vector<std::string>& paths) {
    QElapsedTimer timer;
    timer.start();
    DropPaths(&window, paths);
    QCoreApplication::processEvents();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

double TimeLines(MainWindow& window, unsigned count) {
    window.Log()->Clear();
    QCoreApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    for (unsigned k = 0; k < count; ++k) {
        char line[LINE_BUFFER];
        snprintf(line, sizeof line, "%s - /dev/shm/music/track%05u.mp3", OutcomeMessageUtf8(RESULT_OK), k + 1);
        window.Log()->AddLine(line);
    }
    window.Log()->AddReady();
    QCoreApplication::processEvents();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    int first = 1;
    bool hide = argc > 1 && strcmp(argv[1], "--hide-log") == 0;
    if (hide) ++first;
    if (first >= argc) {
        fputs("usage: quillon_desktop_drop_bench [--hide-log] FOLDER...\n", stderr);
        return 2;
    }
    // A store of the benchmark's own, holding "Title - Artist".
    char config[] = "/tmp/quillon-bench-config.XXXXXX";
    if (mkdtemp(config) == nullptr) return 1;
    setenv("XDG_CONFIG_HOME", config, 1);
    setenv("XDG_STATE_HOME", config, 1);
    SaveSettings(Settings{NAME_TITLE_ARTIST, PRIMARY_V2, hide ? LOG_HIDE : LOG_SHOW, 0});

    EnsureApplication();
    MainWindow window;
    window.show();
    QCoreApplication::processEvents();
    std::vector<unsigned> sizes;
    for (int i = first; i < argc; ++i) {
        std::vector<std::string> paths = FilesIn(argv[i]);
        double seconds = TimeDrop(window, paths);
        QStringList lines = window.Log()->Lines();
        printf("drop %u files: %.4f s, log lines %ld, renamed %ld\n", static_cast<unsigned>(paths.size()), seconds,
               static_cast<long>(lines.size()), Renamed(lines));
        sizes.push_back(static_cast<unsigned>(paths.size()));
    }
    for (unsigned count : sizes) printf("log %u lines: %.4f s\n", count, TimeLines(window, count));
    fflush(stdout);
    return 0;
}
