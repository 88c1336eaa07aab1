// SPDX-License-Identifier: MIT
// The records a selection dialog shows, as a table model. Rows are plain
// structs in a vector: no object or widget per row, so lists of a million
// records stay cheap.
#pragma once

#include "LargeMemory.h"
#include "ValueTransformers.h"

#include <QAbstractTableModel>

#include <memory>
#include <vector>

namespace zan {

// Raw values for sorting; the display role carries the shown text.
inline constexpr int RawValueRole = Qt::UserRole + 1;

struct ColumnSpec {
    QByteArray property; // the record property the column is bound to
    QString title;
    QString transformer; // name of a registered value transformer, or empty
};

class RecordTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setColumns(QList<ColumnSpec> columns);
    const QList<ColumnSpec> &columns() const { return m_columns; }

    int columnCount(const QModelIndex &parent = {}) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The number of records, in list order.
    virtual int recordCount() const = 0;

protected:
    // The value of the column's property for the record at row.
    virtual QVariant recordValue(int row, int column) const = 0;

private:
    QList<ColumnSpec> m_columns;
};

// The model over one record type. Each column reads one property of the
// record through a plain function.
template <class Info> class RecordListModel : public RecordTableModel {
public:
    using Getter = QVariant (*)(const Info &);
    struct Column {
        ColumnSpec spec;
        Getter value;
    };

    using RecordTableModel::RecordTableModel;

    void setColumns(const QList<Column> &columns)
    {
        QList<ColumnSpec> specs;
        m_getters.clear();
        for (const Column &column : columns) {
            specs.append(column.spec);
            m_getters.push_back(column.value);
        }
        RecordTableModel::setColumns(specs);
    }

    // Replaces every record at once (one reset, not a signal per row).
    using Records = std::vector<Info, LargeAllocator<Info>>;

    void setRecords(Records records)
    {
        beginResetModel();
        m_records = std::move(records);
        endResetModel();
    }

    const Info &record(int row) const { return m_records.at(size_t(row)); }
    int recordCount() const override { return int(m_records.size()); }

protected:
    QVariant recordValue(int row, int column) const override
    {
        return m_getters.at(size_t(column))(m_records[size_t(row)]);
    }

private:
    Records m_records;
    std::vector<Getter> m_getters;
};

} // namespace zan
