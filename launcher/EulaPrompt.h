// SPDX-License-Identifier: MIT
// The licence agreement prompt: the agreement in a scrolling, read-only view
// and two buttons, Accept (the default) and Cancel.
#pragma once

#include "RtfReader.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTextEdit;

namespace zan {

class EulaPrompt : public QDialog {
    Q_OBJECT
public:
    // The result of run() when the user accepts; anything else declines.
    static constexpr int AcceptResult = 1;
    static constexpr int DeclineResult = 0;

    explicit EulaPrompt(QWidget *parent = nullptr);

    // Shows the agreement from an RTF file. When it cannot be read, the view
    // says so, Accept is disabled (no one accepts what they cannot read) and
    // the reason is logged; the result says why.
    RtfResult loadAgreement(const QString &path);

    // Runs the prompt modally: AcceptResult on Accept, DeclineResult on
    // Cancel, Escape or closing the window. The prompt comes to the front
    // with the desktop's launch token, when there is one.
    int run(const QString &launchToken = QString());

    QTextEdit *agreementView() const { return m_textAgreement; }
    QPushButton *acceptButton() const { return m_btnAccept; }
    QPushButton *cancelButton() const { return m_btnCancel; }
    QLabel *loadErrorLabel() const { return m_lblLoadError; }

private:
    void setPageColour(const QColor &colour);

    QTextEdit *m_textAgreement = nullptr;
    QLabel *m_lblLoadError = nullptr;
    QPushButton *m_btnAccept = nullptr;
    QPushButton *m_btnCancel = nullptr;
};

} // namespace zan
