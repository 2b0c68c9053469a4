// Helpers for the tests that drive quillon-gui's windows inside the test
// process on Qt's offscreen platform: the application, drops delivered as a
// drag delivers them, and the log's lines.
#ifndef QUILLON_TESTS_DESKTOP_DESKTOP_TEST_SUPPORT_H
#define QUILLON_TESTS_DESKTOP_DESKTOP_TEST_SUPPORT_H

#include <QApplication>
#include <QDeadlineTimer>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <string>
#include <vector>

#include "log_window.h"
#include "main_window.h"

// One application for the whole test run, on the offscreen platform unless
// QT_QPA_PLATFORM names another.
inline void EnsureApplication() {
    static int argc = 1;
    static char name[] = "quillon-desktop-test";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() != nullptr) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Kept until the process ends, as a program's own application is.
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

// The URL a file manager sends for `path`: its bytes percent-encoded, so that
// any name survives.
inline QUrl FileUrl(const std::string& path) {
    return QUrl::fromEncoded(QByteArray("file://") + QByteArray::fromStdString(path).toPercentEncoding("/"));
}

// Runs the event loop until the window's drop or undo has ended and its lines
// are in the log; false when it has not within `seconds`.
inline bool WaitForBatch(MainWindow* window, int seconds = 60) {
    QDeadlineTimer deadline(seconds * 1000);
    // Sleeps until the next event: the batch's deliveries come every few
    // hundredths of a second, its end at once. (processEvents with a time
    // limit would not sleep, and would take the batch's processor away.)
    while (window->BatchRunning() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return !window->BatchRunning();
}

struct DropAnswer {
    bool accepted;
    Qt::DropAction action;
};

// Enter, move and drop over the window's centre, as a drag delivers them; then,
// unless `runBatch` is false, the event loop until the drop's batch is done.
inline DropAnswer DeliverDrop(QWidget* window, const QMimeData* data,
                              Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction, bool runBatch = true) {
    QPointF centre = QRectF(window->rect()).center();
    QDragEnterEvent enter(centre.toPoint(), offered, data, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    if (!enter.isAccepted()) return {false, Qt::IgnoreAction};
    QDragMoveEvent move(centre.toPoint(), offered, data, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window, &move);
    QDropEvent drop(centre, offered, data, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window, &drop);
    auto* main = dynamic_cast<MainWindow*>(window);
    if (runBatch && main != nullptr) WaitForBatch(main);
    return {drop.isAccepted(), drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction};
}

inline DropAnswer DropUrls(QWidget* window, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    return DeliverDrop(window, &data);
}

inline DropAnswer DropPaths(QWidget* window, const std::vector<std::string>& paths) {
    QList<QUrl> urls;
    for (const std::string& p : paths) urls.append(FileUrl(p));
    return DropUrls(window, urls);
}

inline std::vector<std::string> LogLines(const MainWindow& window) {
    std::vector<std::string> lines;
    for (const QString& line : window.Log()->Lines()) lines.push_back(line.toStdString());
    return lines;
}

#endif
