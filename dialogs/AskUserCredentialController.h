// SPDX-License-Identifier: MIT
// The server sign-in dialog: user name and password, an API key, or Kerberos
// single sign-on. It builds the credential string of the chosen mode; the
// dispatcher writes it.
#pragma once

#include "SignInController.h"

#include <memory>

class QCheckBox;
class QLabel;
class QRadioButton;

namespace Ui {
class AskUserCredential;
}

namespace zan {

class AskUserCredentialController : public SignInController {
    Q_OBJECT
public:
    explicit AskUserCredentialController(QObject *parent = nullptr);
    ~AskUserCredentialController() override;

    // At most one is set, and only by a confirmed entry.
    QString strUserCredential() const { return m_strUserCredential; }
    QString strApiCredential() const { return m_strApiCredential; }
    QString strKerberosCredential() const { return m_strKerberosCredential; }
    void wipeCredentials() override;

    // The action of the three radio buttons, run when one is clicked or
    // becomes checked in any other way: the sender, by identity, picks the
    // mode; any other sender changes nothing.
    void radioClick(QObject *sender);
    // Enables the controls of one mode (0 user name and password, 1 API key,
    // 2 Kerberos) and turns the Kerberos check box off.
    void changeState(int mode);
    // Confirms: an alert for a missing entry, or the credential and code 1.
    void onOK();

protected:
    void loadPanel(QDialog *dialog) override;
    void windowDidLoad() override;
    QLineEdit *userNameField() const override;
    QLineEdit *passwordField() const override;
    QLineEdit *fieldOf(MissingEntry missing) const override;

private:
    std::unique_ptr<Ui::AskUserCredential> m_ui;
    QString m_strUserCredential;
    QString m_strApiCredential;
    QString m_strKerberosCredential;
};

} // namespace zan
