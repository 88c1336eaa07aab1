// SPDX-License-Identifier: MIT
#include "MainWindow.h"

#include "ui_MainWindow.h"

#include <QIcon>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>

namespace zan {

MainWindow::MainWindow(const std::optional<QString> &version, const std::optional<QString> &build,
                       QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::MainWindow>())
{
    m_ui->setupUi(this);
    //% "Zan Client Launcher"
    const QString name = qtTrId("launcher-window-name");
    setWindowTitle(name);
    const QIcon icon(QStringLiteral(":/launcher/launcher-icon.png"));
    setWindowIcon(icon);
    m_ui->lblIcon->setPixmap(icon.pixmap(64, 64));

    QFont nameFont = m_ui->lblName->font();
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.4);
    nameFont.setBold(true);
    m_ui->lblName->setFont(nameFont);
    m_ui->lblName->setText(name);

    //% "unknown"
    const QString unknown = qtTrId("launcher-window-unknown");
    //% "Version %1 (build %2)"
    m_ui->lblVersion->setText(
        qtTrId("launcher-window-version").arg(version.value_or(unknown), build.value_or(unknown)));
    //% "Zan Client Launcher starts remote sessions from links followed in a web browser."
    m_ui->lblDescription->setText(qtTrId("launcher-window-description"));

    //% "&Quit"
    m_quit =
        m_ui->buttonBox->addButton(qtTrId("launcher-window-quit"), QDialogButtonBox::RejectRole);
    m_quit->setObjectName(QStringLiteral("btnQuit"));
    m_quit->setDefault(true);
    m_quit->setFocus(Qt::OtherFocusReason);
    connect(m_quit, &QPushButton::clicked, this, &QDialog::close);

    auto *quitShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    connect(quitShortcut, &QShortcut::activated, this, &QDialog::close);
}

MainWindow::~MainWindow() = default;

void MainWindow::done(int result)
{
    const bool wasVisible = isVisible();
    QDialog::done(result);
    if (wasVisible)
        Q_EMIT closed();
}

} // namespace zan
