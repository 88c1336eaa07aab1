// SPDX-License-Identifier: MIT
#include "WarningAlert.h"

#include <QMessageBox>
#include <QPushButton>

namespace zan {

void runWarningAlert(const QString &text, QWidget *parent)
{
    //% "Warning"
    QMessageBox box(QMessageBox::Warning, qtTrId("LBLWarning"), text, QMessageBox::NoButton,
                    parent);
    // The text may come from another program: shown as it is, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    //% "OK"
    QPushButton *ok = box.addButton(qtTrId("LBLOK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
}

} // namespace zan
