// SPDX-License-Identifier: MIT
// Placeholder until the proxy sign-in dialog lands: cancels at once.
#pragma once

#include <QDialog>
#include <QObject>

namespace zan {

class AskHTTPProxyCredentialController : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    QDialog *window() { return &m_dialog; }
    QString strHTTPProxyCredential() const { return {}; }

private:
    QDialog m_dialog;
};

} // namespace zan
