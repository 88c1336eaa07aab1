// SPDX-License-Identifier: MIT
#include "LaunchToken.h"

#include <QtGlobal>

namespace zan {
namespace {
constexpr qsizetype maximumTokenLength = 1024;

const char activationTokenVariable[] = "XDG_ACTIVATION_TOKEN";
const char startupIdVariable[] = "DESKTOP_STARTUP_ID";
// Where org.freedesktop.Application calls carry the token.
const QString activationTokenKey = QStringLiteral("activation-token");
const QString startupIdKey = QStringLiteral("desktop-startup-id");

QString &savedToken()
{
    static QString token;
    return token;
}
} // namespace

bool isUsableLaunchToken(QStringView token)
{
    if (token.isEmpty() || token.size() > maximumTokenLength)
        return false;
    for (const QChar c : token) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            return false;
    }
    return true;
}

QString takeLaunchTokenFromEnvironment()
{
    QString token = qEnvironmentVariable(activationTokenVariable);
    if (!isUsableLaunchToken(token))
        token = qEnvironmentVariable(startupIdVariable);
    qunsetenv(activationTokenVariable);
    qunsetenv(startupIdVariable);
    return isUsableLaunchToken(token) ? token : QString();
}

void saveLaunchToken(const QString &token)
{
    savedToken() = token;
}

QString savedLaunchToken()
{
    return savedToken();
}

QByteArray launchTokenVariable(QStringView platformName)
{
    return platformName == QLatin1String("xcb") ? QByteArray(startupIdVariable)
                                                : QByteArray(activationTokenVariable);
}

namespace {
QString tokenAt(const QVariantMap &platformData, const QString &key)
{
    const QVariant value = platformData.value(key);
    // A string, as GLib sends it; bytes or numbers under these names are no
    // token.
    if (value.metaType().id() != QMetaType::QString)
        return {};
    const QString token = value.toString();
    return isUsableLaunchToken(token) ? token : QString();
}
} // namespace

QString launchTokenFromPlatformData(const QVariantMap &platformData)
{
    const QString token = tokenAt(platformData, activationTokenKey);
    return token.isEmpty() ? tokenAt(platformData, startupIdKey) : token;
}

QVariantMap platformDataForLaunchToken(const QString &token)
{
    if (token.isEmpty())
        return {};
    return {{activationTokenKey, token}, {startupIdKey, token}};
}

} // namespace zan
