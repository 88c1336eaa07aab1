// SPDX-License-Identifier: MIT
#include "EulaPrompt.h"

#include "SystemLog.h"
#include "WindowActivation.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace zan {
namespace {

// The agreement asks for a view of 500 by 600 points; it may grow with the
// window and shrink on a small screen. A text edit, not a text browser: Qt
// presents a text browser to screen readers as a label, whose text is not
// read line by line.
class AgreementView : public QTextEdit {
public:
    using QTextEdit::QTextEdit;
    QSize sizeHint() const override { return QSize(500, 600); }
    QSize minimumSizeHint() const override { return QSize(200, 150); }
};

} // namespace

EulaPrompt::EulaPrompt(QWidget *parent) : QDialog(parent)
{
    //% "License Agreement"
    setWindowTitle(qtTrId("LBLEULATitle"));
    setObjectName(QStringLiteral("EulaPrompt"));

    m_textAgreement = new AgreementView(this);
    m_textAgreement->setObjectName(QStringLiteral("textAgreement"));
    //% "License agreement"
    m_textAgreement->setAccessibleName(qtTrId("LBLEULAText"));
    m_textAgreement->setReadOnly(true);
    // A text caret the arrow keys move, as in any document: a screen reader
    // reads the line, word or letter it passes. Read-only alone leaves the
    // text selectable with the mouse only, and the arrow keys just scroll.
    m_textAgreement->setTextInteractionFlags(Qt::TextSelectableByKeyboard |
                                             Qt::TextSelectableByMouse);
    m_textAgreement->setFrameShape(QFrame::NoFrame);
    m_textAgreement->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_textAgreement->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_textAgreement->setLineWrapMode(QTextEdit::WidgetWidth);
    m_textAgreement->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_textAgreement->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setPageColour(Qt::white);

    m_lblLoadError = new QLabel(this);
    m_lblLoadError->setObjectName(QStringLiteral("lblLoadError"));
    m_lblLoadError->setWordWrap(true);
    m_lblLoadError->hide();

    auto *buttons = new QDialogButtonBox(this);
    //% "&Accept"
    m_btnAccept = buttons->addButton(qtTrId("LBLEULAAccept"), QDialogButtonBox::AcceptRole);
    m_btnAccept->setObjectName(QStringLiteral("btnAccept"));
    //% "&Cancel"
    m_btnCancel = buttons->addButton(qtTrId("LBLEULACancel"), QDialogButtonBox::RejectRole);
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    m_btnAccept->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_textAgreement, 1);
    layout->addWidget(m_lblLoadError);
    layout->addWidget(buttons);

    // The agreement takes the keyboard first, so the arrow and page keys
    // move through it; Enter still reaches the default button.
    setTabOrder(m_textAgreement, m_btnAccept);
    setTabOrder(m_btnAccept, m_btnCancel);
    m_textAgreement->setFocus();
}

RtfResult EulaPrompt::loadAgreement(const QString &path)
{
    RtfResult result = readRtfFile(path, *m_textAgreement->document());
    if (result.ok) {
        setPageColour(result.pageBackground.value_or(QColor(Qt::white)));
        m_textAgreement->moveCursor(QTextCursor::Start);
        m_textAgreement->show();
        m_lblLoadError->hide();
        m_btnAccept->setEnabled(true);
        m_btnAccept->setDefault(true);
        return result;
    }
    logEntry(QStringLiteral("The license agreement could not be loaded: %1").arg(result.error));
    //% "The license agreement could not be loaded."
    m_lblLoadError->setText(qtTrId("MESGEULANotLoaded"));
    m_lblLoadError->show();
    m_textAgreement->hide();
    m_btnAccept->setEnabled(false);
    m_btnCancel->setDefault(true);
    m_btnCancel->setFocus();
    return result;
}

int EulaPrompt::run(const QString &launchToken)
{
    // The launcher has no window of its own in front; the prompt asks to be
    // there once exec() has shown it (showing it before would make it
    // modeless) and the display has drawn it.
    winId();
    activateWhenExposed(windowHandle(), launchToken);
    return exec() == QDialog::Accepted && m_btnAccept->isEnabled() ? AcceptResult : DeclineResult;
}

void EulaPrompt::setPageColour(const QColor &colour)
{
    // The text takes the dark or light colour that reads on the page, not the
    // desktop theme's: a dark theme's light text would vanish on white.
    QPalette palette = m_textAgreement->palette();
    palette.setColor(QPalette::Base, colour);
    palette.setColor(QPalette::Text, colour.lightness() >= 128 ? Qt::black : Qt::white);
    m_textAgreement->setPalette(palette);
}

} // namespace zan
