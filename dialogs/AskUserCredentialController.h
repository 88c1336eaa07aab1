// SPDX-License-Identifier: MIT
// Placeholder until the server sign-in dialog lands: cancels at once.
#pragma once

#include <QDialog>
#include <QObject>

namespace zan {

class AskUserCredentialController : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    QDialog *window() { return &m_dialog; }
    QString strUserCredential() const { return {}; }
    QString strApiCredential() const { return {}; }
    QString strKerberosCredential() const { return {}; }

private:
    QDialog m_dialog;
};

} // namespace zan
