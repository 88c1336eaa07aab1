// SPDX-License-Identifier: MIT
// The credential file that a sign-in writes back for zanlauncher.
#pragma once

#include "Files.h"

#include <QString>

namespace zan {

enum class CredentialForm {
    Base64, // "user:password": stored as Base64 of its UTF-8 bytes, one line
    Plain,  // "-keyauth KEY", "-k", "-k -na": stored as they are
};

// The bytes written for a credential: UTF-8, no byte-order mark, no line break.
QByteArray credentialFileContent(const QString &credential, CredentialForm form);

// Replaces the credential file atomically with owner-only permissions (0600),
// whatever the old file had, so a password is never readable by others. The
// old file need not be writable (zanlauncher may leave it 0400), only its
// folder. The path is the name's bytes, as given on the command line.
WriteResult writeCredentialFile(const QByteArray &path, const QString &credential,
                                CredentialForm form);

// Overwrites a buffer that held a secret before it is released.
void wipe(QByteArray &secret);
void wipe(QString &secret);

} // namespace zan
