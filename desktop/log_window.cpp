// The log window: a standard tree view over a plain table, so that screen
// readers reach each line and cell through the platform's accessibility
// bridge.
#include "log_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

#include "cjk_font.h"
#include "log_model.h"
#include "placement.h"
#include "qt_texts.h"

namespace {

QAction* AddKeyAction(QWidget* owner, const char* text, const QList<QKeySequence>& keys) {
    auto* action = new QAction(QTr(text), owner);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    owner->addAction(action);
    return action;
}

// The messages line up in a monospaced Japanese face where one is installed;
// the size stays the desktop's.
QFont LogFont() {
    QFont font = QApplication::font();
    QString family = CjkFamily(true);
    if (!family.isEmpty()) font.setFamily(family);
    return font;
}

QTreeView* MakeView(LogModel* model, QWidget* parent) {
    auto* view = new QTreeView(parent);
    view->setModel(model);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setAllColumnsShowFocus(true);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Long paths lose their middle, where a file's own name is least often.
    view->setTextElideMode(Qt::ElideMiddle);
    view->setWordWrap(false);
    // Every line is one row of the same font: the view need not measure each.
    view->setUniformRowHeights(true);
    view->setFont(LogFont());
    view->setAccessibleName(QTr("Rename log"));
    view->header()->setStretchLastSection(true);
    view->header()->setSectionsMovable(false);
    return view;
}

}  // namespace

LogWindow::LogWindow(QWidget* owner)
    : QWidget(owner, Qt::Window), lines_(new LogModel(this)), view_(MakeView(lines_, this)), status_(new QLabel(this)) {
    setWindowTitle(QTr("Rename log"));
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    status_->setContentsMargins(6, 2, 6, 2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(view_);
    layout->addWidget(status_);

    QAction* copy = AddKeyAction(view_, N_("Copy"), {QKeySequence::Copy});
    connect(copy, &QAction::triggered, this, [this] { CopySelection(); });
    QAction* all = AddKeyAction(view_, N_("Select all"), {QKeySequence::SelectAll});
    connect(all, &QAction::triggered, view_, &QAbstractItemView::selectAll);
    view_->setContextMenuPolicy(Qt::ActionsContextMenu);
    QAction* hide = AddKeyAction(this, N_("Close"), {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)});
    hide->setShortcutContext(Qt::WindowShortcut);
    connect(hide, &QAction::triggered, this, &QWidget::close);

    QRect available = screen()->availableGeometry();
    resize(DefaultSize(available));
    // A file has a new name or a reason, never both; the reasons are the
    // longer texts and are read whole more often than a path.
    view_->header()->resizeSection(LogModel::LINE_COLUMN, width() * 5 / 12);
    view_->header()->resizeSection(LogModel::NEW_NAME_COLUMN, width() / 4);
}

QSize LogWindow::DefaultSize(const QRect& available) {
    // Room for the frames and the gap to the main window is left around it,
    // and beside it room for the main window itself.
    const int kWidth = 640, kHeight = 400, kMargin = 4 * WINDOW_GAP, kMainWindow = 200;
    return QSize(std::max(160, std::min(kWidth, available.width() - kMainWindow - kMargin)),
                 std::max(120, std::min(kHeight, available.height() - kMargin)));
}

void LogWindow::Clear() {
    lines_->Clear();
}

void LogWindow::AddRows(std::vector<LogRow> rows) {
    // The newest lines stay in view, unless the user has scrolled up to read.
    QScrollBar* bar = view_->verticalScrollBar();
    bool following = bar->value() == bar->maximum();
    lines_->Append(std::move(rows));
    if (following) view_->scrollToBottom();
}

void LogWindow::AddLine(const char* line) {
    std::vector<LogRow> rows(1);
    rows[0].line = QByteArray(line);
    AddRows(std::move(rows));
}

void LogWindow::AddReady() {
    AddLine("READY.");
}

void LogWindow::AddConfiguration() {
    AddLine("Configuration...");
}

void LogWindow::SetStatus(const QString& text) {
    status_->setText(text);
}

QString LogWindow::Status() const {
    return status_->text();
}

QStringList LogWindow::Lines() const {
    return lines_->Lines();
}

QString LogWindow::SelectedLines() const {
    QModelIndexList rows = view_->selectionModel()->selectedRows(LogModel::LINE_COLUMN);
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QString text;
    for (const QModelIndex& row : rows) text += lines_->Text(row.row(), LogModel::LINE_COLUMN) + QLatin1Char('\n');
    return text;
}

void LogWindow::CopySelection() {
    QString text = SelectedLines();
    if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}
