// SPDX-License-Identifier: MIT
// org.freedesktop.Application on the session bus: how the desktop hands the
// launcher a URL (Open) or asks for the application itself (Activate).
#pragma once

#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

namespace zan {

class AppDelegate;

// The object path for an application ID: dots become slashes.
QString objectPathForAppId(const QString &appId);

// The call that hands URLs (Open) or, without any, the request for the
// application itself (Activate) to the instance that owns appId on the bus,
// with the launch token in its platform data.
QDBusMessage applicationCall(const QString &appId, const QStringList &urls,
                             const QString &launchToken);

class UrlEventService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
public:
    explicit UrlEventService(AppDelegate *delegate);

public Q_SLOTS:
    // Each call is answered at once; the work is queued to the event loop,
    // since a get-URL event may run for as long as the console launcher does.
    // The desktop's launch token in the platform data goes with the request
    // (to the first URL's event only: a token is used once).
    void Activate(const QVariantMap &platformData);
    void Open(const QStringList &uris, const QVariantMap &platformData);
    void ActivateAction(const QString &actionName, const QVariantList &parameter,
                        const QVariantMap &platformData);

private:
    AppDelegate *m_delegate;
};

} // namespace zan
