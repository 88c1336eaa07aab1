// SPDX-License-Identifier: MIT
// The HTTP proxy sign-in dialog: a user name and a password joined by a colon;
// the dispatcher writes the Base64 form.
#pragma once

#include "SignInController.h"

#include <memory>

namespace Ui {
class AskHTTPProxyCredential;
}

namespace zan {

class AskHTTPProxyCredentialController : public SignInController {
    Q_OBJECT
public:
    explicit AskHTTPProxyCredentialController(QObject *parent = nullptr);
    ~AskHTTPProxyCredentialController() override;

    // Set only by a confirmed entry.
    QString strHTTPProxyCredential() const { return m_strHTTPProxyCredential; }
    void wipeCredentials() override;

    // Confirms: an alert for a missing entry, or the credential and code 1.
    void onOK();

protected:
    void loadPanel(QDialog *dialog) override;
    void windowDidLoad() override;
    QLineEdit *userNameField() const override;
    QLineEdit *passwordField() const override;

private:
    std::unique_ptr<Ui::AskHTTPProxyCredential> m_ui;
    QString m_strHTTPProxyCredential;
};

} // namespace zan
