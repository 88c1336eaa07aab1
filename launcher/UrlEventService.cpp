// SPDX-License-Identifier: MIT
#include "UrlEventService.h"

#include "AppDelegate.h"
#include "LaunchRules.h"
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

UrlEventService::UrlEventService(AppDelegate *delegate) : QObject(delegate), m_delegate(delegate) {}

void UrlEventService::Activate(const QVariantMap &)
{
    QMetaObject::invokeMethod(m_delegate, &AppDelegate::activate, Qt::QueuedConnection);
}

void UrlEventService::Open(const QStringList &uris, const QVariantMap &)
{
    AppDelegate *delegate = m_delegate;
    // An Open without any URL is an event without a direct object.
    if (uris.isEmpty()) {
        QMetaObject::invokeMethod(
            delegate, [delegate] { delegate->handleURLEvent(std::nullopt); }, Qt::QueuedConnection);
        return;
    }
    for (const QString &uri : uris) {
        QMetaObject::invokeMethod(
            delegate, [delegate, uri] { delegate->handleURLEvent(uri); }, Qt::QueuedConnection);
    }
}

void UrlEventService::ActivateAction(const QString &actionName, const QVariantList &,
                                     const QVariantMap &)
{
    // The application offers no actions.
    logEntry(QStringLiteral("Unknown action %1 ignored.").arg(quoteForLog(actionName)));
}

} // namespace zan
