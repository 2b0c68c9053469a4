// The log window: a standard list view over a plain list of lines, so that
// screen readers reach the lines through the platform's accessibility bridge.
#include "log_window.h"

#include <QAbstractListModel>
#include <QCloseEvent>
#include <QFont>
#include <QListView>
#include <QScreen>
#include <QVBoxLayout>

#include <vector>

#include "cjk_font.h"
#include "core/texts.h"

namespace {

// About the Windows log window's client area (228 by 188 dialog units in a
// 9-point gothic face).
const int kLogWidth = 342;
const int kLogHeight = 400;

QFont LogFont() {
    QFont font;
    QString family = CjkFamily(true);
    if (!family.isEmpty()) font.setFamily(family);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(9);
    return font;
}

}  // namespace

// Lines are only appended, or all removed at once.
class LogLines : public QAbstractListModel {
  public:
    explicit LogLines(QObject* parent) : QAbstractListModel(parent) {}

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(lines_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= static_cast<int>(lines_.size())) return QVariant();
        if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return QVariant();
        return lines_[static_cast<size_t>(index.row())];
    }
    // Readable, never selectable.
    Qt::ItemFlags flags(const QModelIndex& /*index*/) const override {
        return Qt::ItemIsEnabled;
    }

    void Append(const QString& line) {
        int row = static_cast<int>(lines_.size());
        beginInsertRows(QModelIndex(), row, row);
        lines_.push_back(line);
        endInsertRows();
    }
    void Clear() {
        beginResetModel();
        lines_.clear();
        endResetModel();
    }
    QStringList All() const {
        return QStringList(lines_.begin(), lines_.end());
    }

  private:
    std::vector<QString> lines_;
};

LogWindow::LogWindow(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      lines_(new LogLines(this)),
      view_(new QListView(this)) {
    setWindowTitle(QString::fromUtf8(Tr("Rename log")));
    view_->setModel(lines_);
    view_->setAccessibleName(windowTitle());
    view_->setFont(LogFont());
    view_->setSelectionMode(QAbstractItemView::NoSelection);
    view_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Long lines are cut at the edge, as the Windows list box cuts them.
    view_->setTextElideMode(Qt::ElideNone);
    view_->setWordWrap(false);
    // Every line is one row of the same font: the view need not measure each.
    view_->setUniformItemSizes(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    setFixedSize(kLogWidth, kLogHeight);
    // Centred on the screen when it is first shown, where window managers
    // leave the placing to the program.
    move(screen()->availableGeometry().center() - rect().center());
}

void LogWindow::Clear() {
    lines_->Clear();
}

void LogWindow::AddLine(const char* line) {
    lines_->Append(QString::fromUtf8(line));
}

void LogWindow::AddReady() {
    lines_->Append(QStringLiteral("READY."));
}

void LogWindow::AddConfiguration() {
    lines_->Append(QStringLiteral("Configuration..."));
}

QStringList LogWindow::Lines() const {
    return lines_->All();
}

void LogWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
}
