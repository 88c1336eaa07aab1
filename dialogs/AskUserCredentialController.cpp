// SPDX-License-Identifier: MIT
#include "AskUserCredentialController.h"

#include "CredentialFile.h"
#include "SignInRules.h"

#include "ui_AskUserCredential.h"

namespace zan {

AskUserCredentialController::AskUserCredentialController(QObject *parent)
    : SignInController(QLatin1String("-Auth"), parent)
{}

AskUserCredentialController::~AskUserCredentialController()
{
    wipeCredentials();
}

void AskUserCredentialController::wipeCredentials()
{
    wipe(m_strUserCredential);
    wipe(m_strApiCredential);
    wipe(m_strKerberosCredential);
}

void AskUserCredentialController::loadPanel(QDialog *dialog)
{
    m_ui = std::make_unique<Ui::AskUserCredential>();
    m_ui->setupUi(dialog);
    for (QRadioButton *radio : {m_ui->radioBasicAuth, m_ui->radioApiKey, m_ui->radioKerberos}) {
        // A button can become checked without a click: the accessibility
        // Toggle action, or setChecked, sends toggled only. A click on the
        // button already checked sends clicked only, and still turns the
        // check box off. A click that checks sends both, and the second mode
        // change repeats the first.
        connect(radio, &QAbstractButton::toggled, this, [this, radio](bool checked) {
            if (checked)
                radioClick(radio);
        });
        connect(radio, &QAbstractButton::clicked, this, [this, radio] { radioClick(radio); });
    }
    connect(m_ui->btnOK, &QPushButton::clicked, this, &AskUserCredentialController::onOK);
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &SignInController::onCancel);
}

void AskUserCredentialController::windowDidLoad()
{
    parseCommandLine();
    changeState(int(AuthMode::Basic));
    m_ui->tfUsername->setFocus(Qt::OtherFocusReason);
}

QLineEdit *AskUserCredentialController::userNameField() const
{
    return m_ui->tfUsername;
}

QLineEdit *AskUserCredentialController::passwordField() const
{
    return m_ui->tfPassword;
}

QLineEdit *AskUserCredentialController::fieldOf(MissingEntry missing) const
{
    return missing == MissingEntry::ZanApiKey ? m_ui->tfApiKey : SignInController::fieldOf(missing);
}

void AskUserCredentialController::radioClick(QObject *sender)
{
    if (sender == m_ui->radioApiKey)
        changeState(int(AuthMode::ApiKey));
    else if (sender == m_ui->radioBasicAuth)
        changeState(int(AuthMode::Basic));
    else if (sender == m_ui->radioKerberos)
        changeState(int(AuthMode::Kerberos));
}

void AskUserCredentialController::changeState(int mode)
{
    const ModeControls controls = controlsForMode(mode);
    m_ui->tfUsername->setEnabled(controls.userFields);
    m_ui->tfPassword->setEnabled(controls.userFields);
    m_ui->lblUsername->setEnabled(controls.userFields);
    m_ui->lblPassword->setEnabled(controls.userFields);
    m_ui->tfApiKey->setEnabled(controls.apiKeyField);
    m_ui->lblApiKey->setEnabled(controls.apiKeyField);
    m_ui->checkNoAuthFirst->setEnabled(controls.noAuthFirstCheck);
    m_ui->checkNoAuthFirst->setChecked(false);
}

void AskUserCredentialController::onOK()
{
    const std::optional<AuthMode> mode =
        checkedMode(m_ui->radioBasicAuth->isChecked(), m_ui->radioApiKey->isChecked(),
                    m_ui->radioKerberos->isChecked());
    // Shares the field's buffer; the rules read it through views, so the
    // password is copied once, into the credential.
    QString password = m_ui->tfPassword->text();
    QString apiKey = m_ui->tfApiKey->text();
    Confirmation result = confirmServerSignIn(mode, m_ui->tfUsername->text(), password, apiKey,
                                              m_ui->checkNoAuthFirst->isChecked());
    password.clear();
    apiKey.clear();
    if (result.missing != MissingEntry::None) {
        alertMissing(result.missing);
        return;
    }
    switch (result.kind) {
    case CredentialKind::User:
        m_strUserCredential = std::move(result.credential);
        break;
    case CredentialKind::Api:
        m_strApiCredential = std::move(result.credential);
        break;
    case CredentialKind::Kerberos:
        m_strKerberosCredential = std::move(result.credential);
        break;
    case CredentialKind::None:
    case CredentialKind::Proxy:
        break;
    }
    clearSecretField(m_ui->tfPassword);
    clearSecretField(m_ui->tfApiKey);
    endModal(1);
}

} // namespace zan
