// SPDX-License-Identifier: MIT
#include "SignInController.h"

#include "CredentialFile.h"
#include "ProcessArguments.h"
#include "SelectionController.h"
#include "SignInRules.h"
#include "WarningAlert.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>

namespace zan {
namespace {
// Qt's line edit tells accessibility clients about every change of its text
// with the text itself, whatever its echo mode, and the AT-SPI bridge sends
// that text to every program listening on the accessibility bus: each typed
// password character, each one Backspace removes, and the whole password when
// OK clears the field. While a sign-in panel lives, this filter sits where Qt
// hands such events to the platform and replaces the text of a field that
// shows none with the field's mask character, one per character, so that
// positions and lengths still match what the field shows. The field's role
// and its (empty) text interface are left as they are.
//
// Qt calls an installed update handler instead of the bridge; for one call the
// handler is taken out again, so that the event reaches the bridge. Sign-in
// panels hold no table, whose model-change events Qt would count twice so.
int accessibilityFilterUsers = 0;
QAccessible::UpdateHandler handlerBeforeFilter = nullptr;

void filterSecretText(QAccessibleEvent *event);

void passOn(QAccessibleEvent *event)
{
    if (handlerBeforeFilter) {
        handlerBeforeFilter(event);
        return;
    }
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(&filterSecretText);
}

QString masked(const QLineEdit *field, const QString &text)
{
    const int mask =
        field->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, field);
    return QString(text.size(), QChar(char16_t(mask)));
}

void filterSecretText(QAccessibleEvent *event)
{
    auto *field = qobject_cast<QLineEdit *>(event->object());
    if (!field || field->echoMode() == QLineEdit::Normal) {
        passOn(event);
        return;
    }
    switch (event->type()) {
    case QAccessible::TextInserted: {
        const auto *text = static_cast<QAccessibleTextInsertEvent *>(event);
        QAccessibleTextInsertEvent safe(field, text->changePosition(),
                                        masked(field, text->textInserted()));
        safe.setCursorPosition(text->cursorPosition());
        passOn(&safe);
        break;
    }
    case QAccessible::TextRemoved: {
        const auto *text = static_cast<QAccessibleTextRemoveEvent *>(event);
        QAccessibleTextRemoveEvent safe(field, text->changePosition(),
                                        masked(field, text->textRemoved()));
        safe.setCursorPosition(text->cursorPosition());
        passOn(&safe);
        break;
    }
    case QAccessible::TextUpdated: {
        const auto *text = static_cast<QAccessibleTextUpdateEvent *>(event);
        QAccessibleTextUpdateEvent safe(field, text->changePosition(),
                                        masked(field, text->textRemoved()),
                                        masked(field, text->textInserted()));
        safe.setCursorPosition(text->cursorPosition());
        passOn(&safe);
        break;
    }
    default:
        passOn(event);
        break;
    }
}

void startAccessibilityFilter()
{
    if (accessibilityFilterUsers++ == 0)
        handlerBeforeFilter = QAccessible::installUpdateHandler(&filterSecretText);
}

void stopAccessibilityFilter()
{
    if (--accessibilityFilterUsers == 0) {
        QAccessible::installUpdateHandler(handlerBeforeFilter);
        handlerBeforeFilter = nullptr;
    }
}

SignInController::AlertPresenter &presenterSlot()
{
    static SignInController::AlertPresenter presenter;
    return presenter;
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
    if (m_filtersAccessibility)
        stopAccessibilityFilter();
}

QDialog *SignInController::window()
{
    if (!m_window) {
        // Before any widget can hold a password.
        forbidCoreDumps();
        startAccessibilityFilter();
        m_filtersAccessibility = true;
        m_window = new PanelDialog([this] { windowWillClose(); });
        loadPanel(m_window);
        guardPasswordField(passwordField());
        // A line edit tells of its text cursor the first time the cursor is
        // placed; unplaced, that happens as Tab reaches the field, before Qt
        // tells of the focus, and a screen reader then never names the field.
        for (QLineEdit *field : m_window->findChildren<QLineEdit *>())
            field->setCursorPosition(0);
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
        runWarningAlert(text, m_window);
}

void SignInController::alertMissing(MissingEntry missing)
{
    alert(missingEntryText(missing));
    // The user goes on where the entry is missing, wherever the keyboard was
    // when OK was pressed.
    if (QLineEdit *field = fieldOf(missing))
        field->setFocus(Qt::OtherFocusReason);
}

QLineEdit *SignInController::fieldOf(MissingEntry missing) const
{
    switch (missing) {
    case MissingEntry::ZanUser:
    case MissingEntry::ProxyUser:
        return userNameField();
    case MissingEntry::ZanPassword:
    case MissingEntry::ProxyPassword:
        return passwordField();
    case MissingEntry::ZanApiKey:
    case MissingEntry::None:
        break;
    }
    return nullptr;
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
