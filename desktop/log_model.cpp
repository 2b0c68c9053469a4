// The log's table.
#include "log_model.h"

#include <iterator>

#include "qt_texts.h"
#include "reason_texts.h"

int LogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int LogModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : COLUMN_COUNT;
}

QString LogModel::Text(int row, int column) const {
    const LogRow& r = rows_[static_cast<size_t>(row)];
    switch (column) {
        case LINE_COLUMN:
            return QString::fromUtf8(r.line);
        case NEW_NAME_COLUMN:
            return QString::fromUtf8(r.newPath.mid(r.newPath.lastIndexOf('/') + 1));
        default:
            return ReasonText(r.reason, r.error);
    }
}

QVariant LogModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return QVariant();
    switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return Text(index.row(), index.column());
        case Qt::ToolTipRole: {
            // The whole of what an elided cell cuts; the new name with its folder.
            const LogRow& r = rows_[static_cast<size_t>(index.row())];
            QString whole =
                index.column() == NEW_NAME_COLUMN ? QString::fromUtf8(r.newPath) : Text(index.row(), index.column());
            return whole.isEmpty() ? QVariant() : QVariant(whole);
        }
        default:
            return QVariant();
    }
}

QVariant LogModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QVariant();
    static const char* const kHeaders[] = {N_("Outcome"), N_("New name"), N_("Reason")};
    return section >= 0 && section < COLUMN_COUNT ? QTr(kHeaders[section]) : QVariant();
}

void LogModel::Append(std::vector<LogRow> rows) {
    if (rows.empty()) return;
    int first = static_cast<int>(rows_.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
    rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    endInsertRows();
}

void LogModel::Clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

QStringList LogModel::Lines() const {
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(rows_.size()));
    for (const LogRow& r : rows_) lines.append(QString::fromUtf8(r.line));
    return lines;
}
