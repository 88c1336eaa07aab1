// SPDX-License-Identifier: MIT
#include "RecordTableView.h"

#include <QAccessible>
#include <QFocusEvent>
#include <QTimer>

namespace zan {
namespace {
RecordTableView::CellFocusSink cellFocusSink = nullptr;
} // namespace

RecordTableView::CellFocusSink RecordTableView::setCellFocusSink(CellFocusSink sink)
{
    const CellFocusSink previous = cellFocusSink;
    cellFocusSink = sink;
    return previous;
}

void RecordTableView::announceCurrentCell()
{
    if (!hasFocus() || (!cellFocusSink && !QAccessible::isActive()))
        return;
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return;
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(this);
    QAccessibleTableInterface *cells = table ? table->tableInterface() : nullptr;
    QAccessibleInterface *cell = cells ? cells->cellAt(current.row(), current.column()) : nullptr;
    if (!cell)
        return;
    if (cellFocusSink) {
        cellFocusSink(cell);
        return;
    }
    QAccessibleEvent focus(cell, QAccessible::Focus);
    QAccessible::updateAccessibility(&focus);
}

void RecordTableView::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    // Qt tells of the table's focus once this handler has returned, and of
    // the table alone: a screen reader would name the table but not the row
    // the keyboard is on. The cell's focus follows the table's.
    QTimer::singleShot(0, this, &RecordTableView::announceCurrentCell);
}

void RecordTableView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    // QTableView's own handler tells of every new current cell as a focus
    // move into the table, also while the keyboard is in the filter field
    // that narrowed the list: a screen reader would announce a move that did
    // not happen. The item view's handling, then the cell's focus only when
    // the table has it.
    QAbstractItemView::currentChanged(current, previous);
    announceCurrentCell();
}

} // namespace zan
