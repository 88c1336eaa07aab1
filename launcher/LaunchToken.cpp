// SPDX-License-Identifier: MIT
#include "LaunchToken.h"

#include <QtGlobal>

namespace zan {
namespace {
constexpr qsizetype maximumTokenLength = 1024;

const char activationTokenVariable[] = "XDG_ACTIVATION_TOKEN";
const char startupIdVariable[] = "DESKTOP_STARTUP_ID";

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

} // namespace zan
