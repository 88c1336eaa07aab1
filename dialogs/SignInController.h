// SPDX-License-Identifier: MIT
// What the server and the proxy sign-in dialogs share: loading the panel,
// offering a user name from the credential file, the password field's
// guards, the alerts, and ending the modal session.
//
// What a QString cannot protect: Qt's text classes copy freely. Every key
// press in a QLineEdit reallocates its text, its undo history keeps the typed
// characters, and the freed buffers are not overwritten by Qt. This code
// overwrites the buffers it owns (the credential strings, the field's current
// text) and clears the field after OK; fragments in memory Qt has already
// released remain until reused. Core dumps are switched off before a panel is
// shown, so those fragments never reach a file. While a panel lives, the text
// that accessibility events carry from a password field is masked, so that
// the password never goes out over the accessibility bus.
#pragma once

#include <QDialog>
#include <QLatin1String>
#include <QPointer>

#include <functional>

class QLineEdit;
class QMenu;

namespace zan {

enum class MissingEntry;

class PanelDialog;

class SignInController : public QObject {
    Q_OBJECT
public:
    ~SignInController() override;

    // Loads the panel the first time it is asked for, then runs windowDidLoad.
    QDialog *window();

    // Set when OK or Cancel has ended the dialog, so that the window closing
    // afterwards does not end the modal session a second time.
    bool btnClicked() const { return m_btnClicked; }

    // Cancel: ends the modal session with 0.
    void onCancel();
    // The window is closing (close control or Escape): 0, unless OK or Cancel
    // already ended the session.
    void windowWillClose();

    // Overwrites the credential strings the controller holds. The dispatcher
    // calls it once it has written them; the destructor calls it too.
    virtual void wipeCredentials() = 0;

    // How an alert is shown. Production runs an application-modal warning box
    // with one button; tests install a recorder. Returns the previous one; an
    // empty function restores the box.
    using AlertPresenter = std::function<void(QWidget *parent, const QString &text)>;
    static AlertPresenter setAlertPresenter(AlertPresenter presenter);

protected:
    SignInController(QLatin1String credentialOption, QObject *parent);

    // Builds the panel's widgets into the dialog (the Designer form).
    virtual void loadPanel(QDialog *dialog) = 0;
    virtual void windowDidLoad();
    // Offers a user name from the credential file named on the command line.
    void parseCommandLine();

    virtual QLineEdit *userNameField() const = 0;
    virtual QLineEdit *passwordField() const = 0;

    // The alert with the text of one key and a single LBLOK button.
    void alert(const QString &text);
    // The alert that names the missing entry; the keyboard then goes to the
    // field where it is missing.
    void alertMissing(MissingEntry missing);
    // The field that takes the entry; the user name and the password here.
    virtual QLineEdit *fieldOf(MissingEntry missing) const;
    // Sets btnClicked and ends the modal session with the code.
    void endModal(int code);
    // Overwrites the text the field holds and empties it, undo history
    // included.
    static void clearSecretField(QLineEdit *field);

private:
    void guardPasswordField(QLineEdit *field);

    QLatin1String m_credentialOption;
    QPointer<PanelDialog> m_window;
    bool m_btnClicked = false;
    bool m_filtersAccessibility = false;
};

// The context menu of a password field: Paste and Select All, with no Cut or
// Copy, so the secret cannot be copied out. The field owns the menu.
QMenu *passwordContextMenu(QLineEdit *field);

} // namespace zan
