// SPDX-License-Identifier: MIT
// The table of a selection dialog as a screen reader needs it: the cell the
// keyboard is on is announced when the table takes the focus and when
// another cell becomes current in it, and never while the keyboard is
// elsewhere.
#pragma once

#include <QTableView>

class QAccessibleInterface;

namespace zan {

// No Q_OBJECT: it adds no signals, slots or properties (and a test that links
// both programs' panels would meet two generated AppDelegate meta-objects).
class RecordTableView : public QTableView {
public:
    using QTableView::QTableView;

    // Tells accessibility clients that the current cell has the focus, when
    // the table has it and a client listens; otherwise does nothing.
    void announceCurrentCell();

    // Where the focus of a cell goes instead of to accessibility clients
    // (tests: none listens under the offscreen platform, and Qt then drops
    // every event); null restores the clients. Returns the sink it replaces.
    using CellFocusSink = void (*)(QAccessibleInterface *cell);
    static CellFocusSink setCellFocusSink(CellFocusSink sink);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
};

} // namespace zan
