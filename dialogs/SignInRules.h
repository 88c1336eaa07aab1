// SPDX-License-Identifier: MIT
// What the two sign-in dialogs decide without a widget: the user name offered
// from the credential file, trimming, the authentication modes and the
// credential strings handed to the dispatcher.
#pragma once

#include <QByteArrayList>
#include <QLatin1String>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace zan {

// The user name offered from the text of a credential file: the text before
// the first ":" and before the first line break (CR or LF), untrimmed and
// possibly empty. A NUL byte ends the text. Unset when the bytes are not valid
// UTF-8. The line break ends the name because a file holding just a name and
// a newline would otherwise put the newline into the credential, which the
// trimming at OK keeps.
std::optional<QString> offeredUserName(const QByteArray &fileContent);

// Reads the file named after the first occurrence of the option and offers a
// user name from it. Unset when the option is missing or last, or the file
// cannot be read or decoded. Read buffers are overwritten before release: the
// file may hold a previous credential.
std::optional<QString> offeredUserNameFromArguments(const QByteArrayList &arguments,
                                                    QLatin1String option);

// Trims tabs and the Unicode space separators (category Zs) from both ends.
// Line breaks and inner spaces stay. A view: the secret is not copied.
QStringView trimmedEntry(QStringView text);

// The authentication modes of the server sign-in, by the number passed to
// changeState.
enum class AuthMode { Basic = 0, ApiKey = 1, Kerberos = 2 };

// Which controls a mode enables. The Kerberos check box is turned off on
// every mode change, whatever the mode.
struct ModeControls {
    bool userFields = false;  // user name, password and their captions
    bool apiKeyField = false; // API key and its caption
    bool noAuthFirstCheck = false;
};
ModeControls controlsForMode(int mode);

// The mode of the first radio button that is on, in the order basic, API key,
// Kerberos; unset when none is.
std::optional<AuthMode> checkedMode(bool basicOn, bool apiKeyOn, bool kerberosOn);

// The credential strings. Each returns a fresh buffer that the caller owns and
// overwrites once it is used.
QString userCredential(QStringView user, QStringView password); // "user:password"
QString apiCredential(QStringView key);                         // "-keyauth KEY"
QString kerberosCredential(bool noAuthFirst);                   // "-k -na" or "-k"

// The entry that OK found missing; each has its alert.
enum class MissingEntry {
    None,
    ZanUser,       // MESGInfoProvideZANUser
    ZanPassword,   // MESGInfoProvideZANPassword
    ZanApiKey,     // MESGInfoProvideZANApiKey
    ProxyUser,     // MESGInfoProvideUser
    ProxyPassword, // MESGInfoProvidePassword
};

enum class CredentialKind { None, User, Api, Kerberos, Proxy };

// The outcome of OK: something missing (the dialog stays open and nothing is
// set), or the credential of the chosen mode, or nothing when no mode is on.
struct Confirmation {
    MissingEntry missing = MissingEntry::None;
    CredentialKind kind = CredentialKind::None;
    QString credential;
};

// OK in the server sign-in. Only the fields of the chosen mode are examined.
Confirmation confirmServerSignIn(std::optional<AuthMode> mode, QStringView user,
                                 QStringView password, QStringView apiKey, bool noAuthFirst);

// OK in the proxy sign-in.
Confirmation confirmProxySignIn(QStringView user, QStringView password);

// Stops the kernel from writing a core file of this process, and other
// processes of the same user from reading its memory, while a secret is held.
// Returns whether both limits took effect.
bool forbidCoreDumps();

} // namespace zan
