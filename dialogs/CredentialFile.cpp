// SPDX-License-Identifier: MIT
#include "CredentialFile.h"

#include <cstring>

namespace zan {

QByteArray credentialFileContent(const QString &credential, CredentialForm form)
{
    QByteArray utf8 = credential.toUtf8();
    if (form == CredentialForm::Plain)
        return utf8;
    QByteArray encoded = utf8.toBase64();
    wipe(utf8);
    return encoded;
}

WriteResult writeCredentialFile(const QByteArray &path, const QString &credential,
                                CredentialForm form)
{
    QByteArray content = credentialFileContent(credential, form);
    const WriteResult result = writeFileAtomically(path, content, mode_t(0600));
    wipe(content);
    return result;
}

void wipe(QByteArray &secret)
{
    if (secret.isEmpty())
        return;
    // data() detaches first, so only this copy is overwritten; a shared
    // buffer belongs to whoever else holds it.
    char *bytes = secret.data();
    volatile char *cursor = bytes;
    for (qsizetype i = 0; i < secret.size(); ++i)
        cursor[i] = 0;
    secret.clear();
}

void wipe(QString &secret)
{
    if (secret.isEmpty())
        return;
    QChar *chars = secret.data();
    volatile char16_t *cursor = reinterpret_cast<char16_t *>(chars);
    for (qsizetype i = 0; i < secret.size(); ++i)
        cursor[i] = 0;
    secret.clear();
}

} // namespace zan
