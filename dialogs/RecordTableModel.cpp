// SPDX-License-Identifier: MIT
#include "RecordTableModel.h"

namespace zan {

void RecordTableModel::setColumns(QList<ColumnSpec> columns)
{
    beginResetModel();
    m_columns = std::move(columns);
    endResetModel();
}

int RecordTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

int RecordTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : recordCount();
}

QVariant RecordTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= recordCount() || index.column() >= m_columns.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole: {
        const QVariant value = recordValue(index.row(), index.column());
        // Looked up by name on every call, as bindings do: a dialog registers
        // its transformer after its panel has named it.
        const QString &name = m_columns.at(index.column()).transformer;
        if (!name.isEmpty()) {
            if (const auto transformer = valueTransformerForName(name))
                return transformer->transformedValue(value);
        }
        return value.toString();
    }
    case RawValueRole:
        return recordValue(index.row(), index.column());
    case Qt::TextAlignmentRole: {
        const QVariant value = recordValue(index.row(), index.column());
        const bool numeric =
            value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong;
        return QVariant::fromValue(Qt::AlignVCenter | (numeric ? Qt::AlignRight : Qt::AlignLeft));
    }
    default:
        return {};
    }
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_columns.size())
        return m_columns.at(section).title;
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace zan
