// SPDX-License-Identifier: MIT
#include "UrlEventService.h"

#include "AppDelegate.h"
#include "LaunchRules.h"
#include "LaunchToken.h"
#include "SystemLog.h"

#include <QMetaObject>

namespace zan {

QString objectPathForAppId(const QString &appId)
{
    QString path = QLatin1Char('/') + appId;
    path.replace(QLatin1Char('.'), QLatin1Char('/'));
    path.replace(QLatin1Char('-'), QLatin1Char('_'));
    return path;
}

QDBusMessage applicationCall(const QString &appId, const QStringList &urls,
                             const QString &launchToken)
{
    const bool open = !urls.isEmpty();
    QDBusMessage call = QDBusMessage::createMethodCall(
        appId, objectPathForAppId(appId), QStringLiteral("org.freedesktop.Application"),
        open ? QStringLiteral("Open") : QStringLiteral("Activate"));
    if (open)
        call << urls;
    call << platformDataForLaunchToken(launchToken);
    return call;
}

UrlEventService::UrlEventService(AppDelegate *delegate) : QObject(delegate), m_delegate(delegate) {}

void UrlEventService::Activate(const QVariantMap &platformData)
{
    AppDelegate *delegate = m_delegate;
    const QString token = launchTokenFromPlatformData(platformData);
    QMetaObject::invokeMethod(
        delegate, [delegate, token] { delegate->activate(token); }, Qt::QueuedConnection);
}

void UrlEventService::Open(const QStringList &uris, const QVariantMap &platformData)
{
    AppDelegate *delegate = m_delegate;
    const QString token = launchTokenFromPlatformData(platformData);
    // An Open without any URL is an event without a direct object.
    if (uris.isEmpty()) {
        QMetaObject::invokeMethod(
            delegate, [delegate, token] { delegate->handleURLEvent(std::nullopt, token); },
            Qt::QueuedConnection);
        return;
    }
    delegate->postURLEvents(uris, token);
}

void UrlEventService::ActivateAction(const QString &actionName, const QVariantList &,
                                     const QVariantMap &)
{
    // The application offers no actions.
    logEntry(QStringLiteral("Unknown action %1 ignored.").arg(quoteForLog(actionName)));
}

} // namespace zan
