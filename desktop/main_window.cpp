// The main window: its start-up (settings, log window, places), the routing
// of drops, the menu and closing, and the hand-over of a batch's lines from
// its thread to the log.
#include "main_window.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QThread>
#include <QVBoxLayout>

#include <errno.h>
#include <string.h>

#include <algorithm>
#include <utility>

#include "core/window_sequences.h"
#include "drop_site_qt.h"
#include "log_window.h"
#include "picture_view.h"
#include "placement.h"
#include "properties.h"
#include "qt_texts.h"
#include "quillon_version.h"
#include "settings/settings_store.h"
#include "undo_batch.h"
#include "window_menu.h"
#include "window_state.h"

namespace {

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

// Wide enough for the picture, and for a title bar that shows "Quillon"
// whole beside its icon and the buttons window managers put there whatever
// the window asks for (minimise, maximise, close), in a bold face.
int ContentWidth(const QWidget* window) {
    QFont bold = QApplication::font();
    bold.setBold(true);
    QFontMetrics metrics(bold);
    int title = metrics.horizontalAdvance(window->windowTitle()) + 9 * metrics.height();
    return std::max<int>(PictureView::PICTURE_SIZE, title);
}

QList<QRect> AvailableScreens() {
    QList<QRect> areas;
    for (QScreen* screen : QGuiApplication::screens()) areas.append(screen->availableGeometry());
    return areas;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      picture_(new PictureView(this)),
      status_(new QLabel(this)),
      log_(nullptr),
      runner_(this, [this](LogFeed::Taken taken) { Deliver(std::move(taken)); }) {
    setWindowTitle(QStringLiteral("Quillon"));
    setWindowIcon(QIcon(QStringLiteral(":/app.ico")));
    picture_->setAccessibleName(QTr("Drop MP3 files here"));
    setAccessibleName(QStringLiteral("Quillon"));
    setAccessibleDescription(
        QTr("Drop MP3 files here to rename them after the title and artist in their tags. "
            "Right-click or press the Menu key for more."));
    status_->setAlignment(Qt::AlignCenter);
    status_->setText(QTr("Right-click for the menu"));
    status_->setWordWrap(true);
    status_->setFixedWidth(ContentWidth(this));
    status_->setFixedHeight(2 * status_->fontMetrics().lineSpacing() + 4);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(picture_, 0, Qt::AlignHCenter);
    layout->addWidget(status_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->activate();

    previousSink_ = SetDiagnosticSink({Notice, this});
    StartSettings(&live_);
    setAcceptDrops(true);
    log_ = new LogWindow(this);
    menu_ = std::make_unique<WindowMenu>(
        this,
        WindowMenu::Handlers{[this] { OpenPropertiesDialog(); }, [this] { UndoLastDrop(); },
                             [this] { ShowLog(!log_->isVisible()); }, [this] { ShowAbout(); }, [this] { close(); },
                             [this] { OpenMenu(mapToGlobal(picture_->geometry().center())); }});
    menu_->AddKeysTo(log_);
    RestorePlaces();
    WindowSite site = {this};
    StartLog(&site, live_);
}

MainWindow::~MainWindow() {
    runner_.Wait();
    // Put back what was there, unless another window has taken over since.
    DiagnosticSink current = SetDiagnosticSink(previousSink_);
    if (current.context != this) SetDiagnosticSink(current);
}

QString MainWindow::Status() const {
    return status_->text();
}

void MainWindow::DrawStateImage() {
    picture_->SetBusy(live_.busy != 0);
}

void MainWindow::SetBusy(bool busy) {
    live_.busy = busy ? 1 : 0;
    DrawStateImage();
    menu_->SetBusy(busy);
}

void MainWindow::SetStatus(const QString& text) {
    status_->setText(text);
    log_->SetStatus(text);
}

void MainWindow::Notice(void* context, const char* text) {
    auto* window = static_cast<MainWindow*>(context);
    QString message = QString::fromUtf8(text);
    // A batch reports from its own thread; the notices are the window's.
    if (QThread::currentThread() == window->thread()) {
        window->notices_.append(message);
    } else {
        QMetaObject::invokeMethod(
            window, [window, message] { window->notices_.append(message); }, Qt::QueuedConnection);
    }
}

void MainWindow::ShowNotices() {
    if (notices_.isEmpty()) return;
    auto* box =
        new QMessageBox(QMessageBox::Warning, windowTitle(), notices_.join(QLatin1Char('\n')), QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    notices_.clear();
}

void MainWindow::StartDrop(const QList<QUrl>& urls) {
    if (live_.busy) return;
    Settings settings = live_;
    StartBatch([urls, settings](LogFeed* feed) { return RunDrop(urls, settings, feed); },
               N_("%1 renamed, %2 left as they were"));
}

void MainWindow::UndoLastDrop() {
    if (live_.busy) {
        QApplication::beep();
        return;
    }
    // Only this window's own drops: a run of the command line or another
    // window's drop is not the user's last drop here.
    if (drops_.empty()) {
        SetStatus(QTr("Nothing to undo"));
        return;
    }
    uint64_t batch = drops_.back();
    StartBatch([batch](LogFeed* feed) { return RunWindowUndo(feed, batch); }, N_("%1 put back, %2 left as they were"),
               true);
}

void MainWindow::StartBatch(BatchRunner::Job job, const char* totalsText, bool undo) {
    SetBusy(true);
    SetStatus(QString());
    runner_.Start(std::move(job), [this, totalsText, undo](BatchTotals totals) {
        SetBusy(false);
        // A drop's batch is undone until it is back whole, then the drop before.
        if (!undo && totals.batch != 0) drops_.push_back(totals.batch);
        if (undo && totals.batch != 0 && !drops_.empty() && totals.batch == drops_.back()) drops_.pop_back();
        // Only an undo can find nothing to do.
        SetStatus(totals.ran ? QTr(totalsText).arg(totals.done).arg(totals.left) : QTr("Nothing to undo"));
        ShowNotices();
        if (quitWhenDone_) close();
    });
}

void MainWindow::Deliver(LogFeed::Taken taken) {
    if (taken.clear) log_->Clear();
    log_->AddRows(std::move(taken.rows));
    if (!runner_.Running() || taken.total == 0) return;
    QString progress = QTr("%1 of %2").arg(taken.done).arg(taken.total);
    SetStatus(quitWhenDone_ ? progress + QLatin1Char('\n') + QTr("Quitting when done") : progress);
}

void MainWindow::OpenPropertiesDialog() {
    if (live_.busy) return;
    OpenProperties(this);
    if (quitWhenDone_) close();
}

void MainWindow::ShowAbout() {
    QString text =
        QStringLiteral("Quillon %1\n\n%2\n\n%3")
            .arg(QLatin1String(QUILLON_VERSION), QTr("Renames MP3 files after the title and artist in their ID3 tags."),
                 QTr("Copyright 2026 Ombrix. Free software under the MIT licence."));
    auto* box = new QMessageBox(QMessageBox::NoIcon, QTr("About Quillon"), text, QMessageBox::Ok, this);
    box->setIconPixmap(windowIcon().pixmap(64));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void MainWindow::OpenMenu(const QPoint& at) {
    menu_->Popup(at, log_->isVisible());
}

void MainWindow::ShowLog(bool show) {
    logWanted_ = show;
    if (!show) {
        log_->hide();
        return;
    }
    // Shown with this window, beside it, once this one has its place.
    if (!isVisible()) return;
    if (!logPlaced_) PlaceLog();
    log_->show();
}

void MainWindow::PlaceLog() {
    logPlaced_ = true;
    QRect frame = frameGeometry();
    if (savedLog_.isValid()) {
        QRect saved(KeepOnScreen(QRect(savedLog_.topLeft(), savedLog_.size() + savedLogMargins_), AvailableScreens()),
                    savedLog_.size());
        if (!saved.intersects(frame)) {
            log_->resize(saved.size());
            log_->move(saved.topLeft());
            return;
        }
    }
    // The log's frame is not known before it is shown: this window's stands in.
    QSize margins = frame.size() - size();
    log_->move(PlaceBeside(frame, log_->size() + margins, screen()->availableGeometry()));
}

void MainWindow::RestorePlaces() {
    WindowPlaces places = LoadWindowPlaces();
    if (places.hasLog) savedLog_ = places.log, savedLogMargins_ = places.logMargins;
    if (places.hasMain) {
        move(KeepOnScreen(QRect(places.main, size() + places.mainMargins), AvailableScreens()));
        return;
    }
    // The first time, the two windows side by side in the middle of the
    // screen: a place of the program's own, which window managers keep, so
    // that the log can be put beside it before either is shown.
    QRect available = screen()->availableGeometry();
    QSize log = log_->size();
    move(available.center().x() - (width() + WINDOW_GAP + log.width()) / 2,
         available.top() + std::max(0, (available.height() - log.height()) / 2));
}

void MainWindow::SavePlaces() const {
    WindowPlaces places = LoadWindowPlaces();
    places.hasMain = true;
    places.main = pos();
    places.mainMargins = frameGeometry().size() - size();
    if (logPlaced_) {
        places.hasLog = true;
        places.log = QRect(log_->pos(), log_->size());
        places.logMargins = log_->frameGeometry().size() - log_->size();
    }
    if (!SaveWindowPlaces(places)) {
        qWarning("quillon-gui: cannot keep the windows' places in %s: %s", WindowStatePath().c_str(), strerror(errno));
    }
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
    site->window->ShowLog(show != 0);
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
    event->accept();
    // The batch runs on its own thread: the drag source has its answer at once.
    StartDrop(event->mimeData()->urls());
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
    // From the keyboard the menu opens over the picture, not at the pointer.
    OpenMenu(event->reason() == QContextMenuEvent::Mouse ? event->globalPos()
                                                         : mapToGlobal(picture_->geometry().center()));
}

void MainWindow::showEvent(QShowEvent* /*event*/) {
    if (logWanted_ && !log_->isVisible()) ShowLog(true);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (CloseNow()) {
        event->accept();
    } else {
        event->ignore();
    }
}

bool MainWindow::CloseNow() {
    // A batch or the dialog ends first; the window closes right after.
    if (live_.busy) {
        quitWhenDone_ = true;
        SetStatus(QTr("Quitting when done"));
        return false;
    }
    SavePlaces();
    // The log and any message go with this window, so that nothing keeps the
    // program running.
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->isWindow()) child->hide();
    }
    return true;
}
