// SPDX-License-Identifier: MIT
#include "AskHTTPProxyCredentialController.h"

#include "CredentialFile.h"
#include "SignInRules.h"

#include "ui_AskHTTPProxyCredential.h"

namespace zan {

AskHTTPProxyCredentialController::AskHTTPProxyCredentialController(QObject *parent)
    : SignInController(QLatin1String("-ProxyAuth"), parent)
{}

AskHTTPProxyCredentialController::~AskHTTPProxyCredentialController()
{
    wipeCredentials();
}

void AskHTTPProxyCredentialController::wipeCredentials()
{
    wipe(m_strHTTPProxyCredential);
}

void AskHTTPProxyCredentialController::loadPanel(QDialog *dialog)
{
    m_ui = std::make_unique<Ui::AskHTTPProxyCredential>();
    m_ui->setupUi(dialog);
    connect(m_ui->btnOK, &QPushButton::clicked, this, &AskHTTPProxyCredentialController::onOK);
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &SignInController::onCancel);
}

void AskHTTPProxyCredentialController::windowDidLoad()
{
    parseCommandLine();
    // The panel's first tab stop, named here so it holds wherever the panel
    // is shown.
    m_ui->tfUsername->setFocus(Qt::OtherFocusReason);
}

QLineEdit *AskHTTPProxyCredentialController::userNameField() const
{
    return m_ui->tfUsername;
}

QLineEdit *AskHTTPProxyCredentialController::passwordField() const
{
    return m_ui->tfPassword;
}

void AskHTTPProxyCredentialController::onOK()
{
    // Shares the field's buffer; the password is copied once, into the
    // credential.
    QString password = m_ui->tfPassword->text();
    Confirmation result = confirmProxySignIn(m_ui->tfUsername->text(), password);
    password.clear();
    if (result.missing != MissingEntry::None) {
        alertMissing(result.missing);
        return;
    }
    m_strHTTPProxyCredential = std::move(result.credential);
    clearSecretField(m_ui->tfPassword);
    endModal(1);
}

} // namespace zan
