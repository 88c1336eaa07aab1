// SPDX-License-Identifier: MIT
#include "SignInRules.h"

#include "ArgumentScan.h"
#include "CredentialFile.h"
#include "Files.h"

#include <QStringDecoder>

#include <sys/prctl.h>
#include <sys/resource.h>

namespace zan {
namespace {
// A credential file holds one short line. Anything near this size is not
// one, and offering it would only stall the dialog.
constexpr qint64 maximumCredentialFileBytes = 1 << 20;

bool isEntrySpace(QChar c)
{
    return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space;
}
} // namespace

std::optional<QString> offeredUserName(const QByteArray &fileContent)
{
    const qsizetype nul = fileContent.indexOf('\0');
    const QByteArrayView bytes =
        nul >= 0 ? QByteArrayView(fileContent).first(nul) : QByteArrayView(fileContent);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        wipe(text);
        return std::nullopt;
    }
    qsizetype end = 0;
    while (end < text.size()) {
        const QChar c = text.at(end);
        if (c == QLatin1Char(':') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            break;
        ++end;
    }
    if (end == text.size())
        return text;
    QString name = text.left(end);
    // What follows the name may be a password.
    wipe(text);
    return name;
}

std::optional<QString> offeredUserNameFromArguments(const QByteArrayList &arguments,
                                                    QLatin1String option)
{
    const std::optional<QByteArray> path = firstOptionValue(arguments, option);
    if (!path)
        return std::nullopt;
    ReadResult file = readWholeFile(*path, maximumCredentialFileBytes);
    if (!file.data)
        return std::nullopt;
    std::optional<QString> name = offeredUserName(*file.data);
    wipe(*file.data);
    return name;
}

QStringView trimmedEntry(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isEntrySpace(text.at(begin)))
        ++begin;
    while (end > begin && isEntrySpace(text.at(end - 1)))
        --end;
    return text.sliced(begin, end - begin);
}

ModeControls controlsForMode(int mode)
{
    ModeControls controls;
    controls.userFields = mode == int(AuthMode::Basic);
    controls.apiKeyField = mode == int(AuthMode::ApiKey);
    controls.noAuthFirstCheck = mode == int(AuthMode::Kerberos);
    return controls;
}

std::optional<AuthMode> checkedMode(bool basicOn, bool apiKeyOn, bool kerberosOn)
{
    if (basicOn)
        return AuthMode::Basic;
    if (apiKeyOn)
        return AuthMode::ApiKey;
    if (kerberosOn)
        return AuthMode::Kerberos;
    return std::nullopt;
}

QString userCredential(QStringView user, QStringView password)
{
    // Reserved up front so that appending never reallocates and leaves a
    // partial copy of the password behind in freed memory.
    QString credential;
    credential.reserve(user.size() + 1 + password.size());
    credential.append(user).append(QLatin1Char(':')).append(password);
    return credential;
}

QString apiCredential(QStringView key)
{
    static const QLatin1String prefix("-keyauth ");
    QString credential;
    credential.reserve(prefix.size() + key.size());
    credential.append(prefix).append(key);
    return credential;
}

QString kerberosCredential(bool noAuthFirst)
{
    return noAuthFirst ? QStringLiteral("-k -na") : QStringLiteral("-k");
}

Confirmation confirmServerSignIn(std::optional<AuthMode> mode, QStringView user,
                                 QStringView password, QStringView apiKey, bool noAuthFirst)
{
    Confirmation result;
    if (!mode)
        return result;
    switch (*mode) {
    case AuthMode::Basic: {
        const QStringView name = trimmedEntry(user);
        if (name.isEmpty()) {
            result.missing = MissingEntry::ZanUser;
            return result;
        }
        const QStringView secret = trimmedEntry(password);
        if (secret.isEmpty()) {
            result.missing = MissingEntry::ZanPassword;
            return result;
        }
        result.kind = CredentialKind::User;
        result.credential = userCredential(name, secret);
        return result;
    }
    case AuthMode::ApiKey: {
        const QStringView key = trimmedEntry(apiKey);
        if (key.isEmpty()) {
            result.missing = MissingEntry::ZanApiKey;
            return result;
        }
        result.kind = CredentialKind::Api;
        result.credential = apiCredential(key);
        return result;
    }
    case AuthMode::Kerberos:
        result.kind = CredentialKind::Kerberos;
        result.credential = kerberosCredential(noAuthFirst);
        return result;
    }
    return result;
}

Confirmation confirmProxySignIn(QStringView user, QStringView password)
{
    Confirmation result;
    const QStringView name = trimmedEntry(user);
    if (name.isEmpty()) {
        result.missing = MissingEntry::ProxyUser;
        return result;
    }
    const QStringView secret = trimmedEntry(password);
    if (secret.isEmpty()) {
        result.missing = MissingEntry::ProxyPassword;
        return result;
    }
    result.kind = CredentialKind::Proxy;
    result.credential = userCredential(name, secret);
    return result;
}

bool forbidCoreDumps()
{
    const struct rlimit none = {0, 0};
    const bool noCore = ::setrlimit(RLIMIT_CORE, &none) == 0;
    // Also keeps /proc/PID/mem and ptrace away from other processes of the
    // same user.
    const bool notDumpable = ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0;
    return noCore && notDumpable;
}

} // namespace zan
