// SPDX-License-Identifier: MIT
#include "SignInController.h"

#include "CredentialFile.h"
#include "ProcessArguments.h"
#include "SelectionController.h"
#include "SignInRules.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

namespace zan {
namespace {
SignInController::AlertPresenter &presenterSlot()
{
    static SignInController::AlertPresenter presenter;
    return presenter;
}

void showAlertBox(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, QString(), text, QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    //% "OK"
    QPushButton *ok = box.addButton(qtTrId("LBLOK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
}

QString missingEntryText(MissingEntry missing)
{
    switch (missing) {
    case MissingEntry::ZanUser:
        //% "Please enter your user name."
        return qtTrId("MESGInfoProvideZANUser");
    case MissingEntry::ZanPassword:
        //% "Please enter your password."
        return qtTrId("MESGInfoProvideZANPassword");
    case MissingEntry::ZanApiKey:
        //% "Please enter your API key."
        return qtTrId("MESGInfoProvideZANApiKey");
    case MissingEntry::ProxyUser:
        //% "Please enter the proxy user name."
        return qtTrId("MESGInfoProvideUser");
    case MissingEntry::ProxyPassword:
        //% "Please enter the proxy password."
        return qtTrId("MESGInfoProvidePassword");
    case MissingEntry::None:
        break;
    }
    return QString();
}
} // namespace

SignInController::SignInController(QLatin1String credentialOption, QObject *parent)
    : QObject(parent), m_credentialOption(credentialOption)
{}

SignInController::~SignInController()
{
    delete m_window;
}

QDialog *SignInController::window()
{
    if (!m_window) {
        // Before any widget can hold a password.
        forbidCoreDumps();
        m_window = new PanelDialog([this] { windowWillClose(); });
        loadPanel(m_window);
        guardPasswordField(passwordField());
        windowDidLoad();
    }
    return m_window;
}

void SignInController::windowDidLoad()
{
    parseCommandLine();
}

void SignInController::parseCommandLine()
{
    const std::optional<QString> name =
        offeredUserNameFromArguments(rawProcessArguments(), m_credentialOption);
    if (name)
        userNameField()->setText(*name);
}

void SignInController::guardPasswordField(QLineEdit *field)
{
    field->setEchoMode(QLineEdit::Password);
    field->setDragEnabled(false);
    field->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(field, &QWidget::customContextMenuRequested, field, [field](const QPoint &at) {
        QMenu *menu = passwordContextMenu(field);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(field->mapToGlobal(at));
    });
}

void SignInController::onCancel()
{
    endModal(0);
}

void SignInController::windowWillClose()
{
    if (m_btnClicked)
        return;
    if (m_window)
        m_window->done(0);
}

void SignInController::endModal(int code)
{
    m_btnClicked = true;
    if (m_window)
        m_window->done(code);
}

void SignInController::alert(const QString &text)
{
    if (const AlertPresenter &presenter = presenterSlot())
        presenter(m_window, text);
    else
        showAlertBox(m_window, text);
}

void SignInController::alertMissing(MissingEntry missing)
{
    alert(missingEntryText(missing));
}

SignInController::AlertPresenter SignInController::setAlertPresenter(AlertPresenter presenter)
{
    AlertPresenter previous = std::move(presenterSlot());
    presenterSlot() = std::move(presenter);
    return previous;
}

void SignInController::clearSecretField(QLineEdit *field)
{
    QString text = field->text();
    // The copy shares the field's buffer: overwrite it in place, so the field's
    // own text is gone too, rather than detaching a fresh copy to wipe.
    if (!text.isEmpty() && text.data_ptr().isMutable()) {
        volatile char16_t *cursor =
            reinterpret_cast<char16_t *>(const_cast<QChar *>(text.constData()));
        for (qsizetype i = 0; i < text.size(); ++i)
            cursor[i] = 0;
    }
    text.clear();
    // setText, unlike clear(), also drops the undo history with the typed
    // characters.
    field->setText(QString());
}

QMenu *passwordContextMenu(QLineEdit *field)
{
    // Built here rather than from the standard menu, whose Cut and Copy would
    // only be greyed out.
    auto *menu = new QMenu(field);
    //% "&Paste"
    QAction *paste = menu->addAction(qtTrId("LBLSignInPaste"), field, &QLineEdit::paste);
    paste->setObjectName(QStringLiteral("edit-paste"));
    paste->setEnabled(!field->isReadOnly() && !QGuiApplication::clipboard()->text().isEmpty());
    //% "Select &All"
    QAction *all = menu->addAction(qtTrId("LBLSignInSelectAll"), field, &QLineEdit::selectAll);
    all->setObjectName(QStringLiteral("select-all"));
    all->setEnabled(!field->text().isEmpty());
    return menu;
}

} // namespace zan
