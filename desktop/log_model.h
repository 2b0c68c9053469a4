// The log's lines as a table for the view: the line itself, a renamed file's
// new name, and why a file was left as it was. Lines are only appended, in
// groups, or all removed at once.
#ifndef QUILLON_DESKTOP_LOG_MODEL_H
#define QUILLON_DESKTOP_LOG_MODEL_H

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

#include "log_row.h"

class LogModel : public QAbstractTableModel {
  public:
    enum Column { LINE_COLUMN, NEW_NAME_COLUMN, REASON_COLUMN, COLUMN_COUNT };

    explicit LogModel(QObject* parent) : QAbstractTableModel(parent) {}

    int rowCount(const QModelIndex& parent) const override;
    int columnCount(const QModelIndex& parent) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void Append(std::vector<LogRow> rows);
    void Clear();
    // The first column of every row, in order.
    QStringList Lines() const;
    // The text a cell shows in full.
    QString Text(int row, int column) const;

  private:
    std::vector<LogRow> rows_;
};

#endif
