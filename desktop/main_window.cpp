// The main window: its start-up (settings, log window), its picture, and the
// routing of drops and right clicks.
#include "main_window.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QIcon>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

#include "core/diagnostics.h"
#include "core/window_sequences.h"
#include "drop_site_qt.h"
#include "log_window.h"
#include "properties.h"
#include "settings/settings_store.h"

namespace {

// The pictures' size, which is also the window's client area.
const int kPictureSize = 140;

// A drop is answered as a copy (or a link) and never as a move: after a move
// the source may delete what it thinks it handed over, which would take away
// every file the batch did not rename. Returns false when the drag is refused.
bool ChooseDropAction(QDropEvent* event, const Settings& live) {
    // A list of files only, and none while a drop or the dialog is running.
    if (!event->mimeData()->hasUrls() || live.busy != 0) return false;
    Qt::DropActions offered = event->possibleActions();
    if (offered & Qt::CopyAction) {
        event->setDropAction(Qt::CopyAction);
    } else if (offered & Qt::LinkAction) {
        event->setDropAction(Qt::LinkAction);
    } else {
        return false;
    }
    return true;
}

void AnswerDrag(QDropEvent* event, const Settings& live) {
    if (ChooseDropAction(event, live)) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      log_(nullptr),
      idle_(QStringLiteral(":/idle.bmp")),
      busy_(QStringLiteral(":/busy.bmp")) {
    setWindowTitle(QStringLiteral("Quillon"));
    setWindowIcon(QIcon(QStringLiteral(":/app.ico")));
    setAccessibleName(QStringLiteral("Quillon"));
    setAccessibleDescription(
        QStringLiteral("Drop MP3 files here to rename them after the title and artist in their tags. "
                       "Right-click for the properties."));
    setFixedSize(kPictureSize, kPictureSize);
    // The picture covers every pixel: nothing to erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);

    SetDiagnosticSink({Notice, this});
    StartSettings(&live_);
    setAcceptDrops(true);
    log_ = new LogWindow(this);
    WindowSite site = {this};
    StartLog(&site, live_);
}

void MainWindow::DrawStateImage() {
    repaint();
}

void MainWindow::Notice(void* context, const char* text) {
    static_cast<MainWindow*>(context)->notices_.append(QString::fromUtf8(text));
}

void MainWindow::ShowNotices() {
    if (notices_.isEmpty()) return;
    auto* box =
        new QMessageBox(QMessageBox::Warning, windowTitle(), notices_.join(QLatin1Char('\n')), QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    notices_.clear();
}

void WindowDrawState(WindowSite* site, Settings /*settings*/) {
    site->window->DrawStateImage();
}

void WindowClearLog(WindowSite* site) {
    site->window->Log()->Clear();
}

void WindowAddReady(WindowSite* site) {
    site->window->Log()->AddReady();
}

void WindowAddConfiguration(WindowSite* site) {
    site->window->Log()->AddConfiguration();
}

void WindowShowLog(WindowSite* site, int show) {
    site->window->Log()->setVisible(show != 0);
}

void MainWindow::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, live_.busy ? busy_ : idle_);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    AnswerDrag(event, live_);
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    AnswerDrag(event, live_);
}

void MainWindow::dropEvent(QDropEvent* event) {
    if (!ChooseDropAction(event, live_)) {
        event->ignore();
        return;
    }
    QList<QUrl> urls = event->mimeData()->urls();
    event->accept();
    // The drag source waits for this answer; the batch runs right after it,
    // from the event loop, so that no source is kept waiting for a whole drop.
    QMetaObject::invokeMethod(
        this,
        [this, urls] {
            ProcessDrop(this, urls);
            ShowNotices();
        },
        Qt::QueuedConnection);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
    // A press inside and a release outside the window is no click on it.
    if (event->button() == Qt::RightButton && rect().contains(event->position().toPoint())) OpenProperties(this);
}
