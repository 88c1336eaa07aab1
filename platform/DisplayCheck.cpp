// SPDX-License-Identifier: MIT
#include "DisplayCheck.h"

#include <dlfcn.h>

namespace zan {
namespace {
QString environmentText(const char *name)
{
    return qEnvironmentVariableIsSet(name)
               ? QStringLiteral("%1=%2").arg(QLatin1String(name), qEnvironmentVariable(name))
               : QStringLiteral("%1 not set").arg(QLatin1String(name));
}
} // namespace

QStringList displayPlatforms(const QStringList &arguments)
{
    // Qt takes its own options with one dash or two.
    QString chosen = qEnvironmentVariable("QT_QPA_PLATFORM");
    for (qsizetype i = 1; i + 1 < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("-platform") ||
            arguments.at(i) == QLatin1String("--platform")) {
            chosen = arguments.at(i + 1);
            break;
        }
    }
    QStringList platforms;
    for (const QString &entry : chosen.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        platforms.append(entry.section(QLatin1Char(':'), 0, 0));
    if (!platforms.isEmpty())
        return platforms;
    if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
        qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland"))
        platforms.append(QStringLiteral("wayland"));
    platforms.append(QStringLiteral("xcb"));
    return platforms;
}

DisplayConnection::DisplayConnection(const QStringList &platforms)
{
    QStringList problems;
    for (const QString &platform : platforms) {
        QString problem;
        if (connect(platform, &problem))
            return;
        problems.append(problem);
    }
    m_problem = problems.join(QLatin1String("; "));
}

bool DisplayConnection::connect(const QString &platform, QString *problem)
{
    const bool x11 = platform == QLatin1String("xcb");
    const bool wayland = platform.startsWith(QLatin1String("wayland"));
    // Anything else (offscreen, minimal, vnc, eglfs, ...) draws without a
    // display server.
    if (!x11 && !wayland)
        return true;
    // The client library is opened at run time, as Qt's plugin opens it: the
    // launcher is linked against neither, and where one is missing the
    // plugin that needs it could not run either.
    const char *library = x11 ? "libxcb.so.1" : "libwayland-client.so.0";
    void *handle = ::dlopen(library, RTLD_NOW | RTLD_LOCAL);
    void *connectFunction =
        handle ? ::dlsym(handle, x11 ? "xcb_connect" : "wl_display_connect") : nullptr;
    void *hasErrorFunction = handle && x11 ? ::dlsym(handle, "xcb_connection_has_error") : nullptr;
    void *disconnectFunction =
        handle ? ::dlsym(handle, x11 ? "xcb_disconnect" : "wl_display_disconnect") : nullptr;
    if (!connectFunction || !disconnectFunction || (x11 && !hasErrorFunction)) {
        if (handle)
            ::dlclose(handle);
        *problem = QStringLiteral("%1: %2 cannot be loaded").arg(platform, QLatin1String(library));
        return false;
    }
    auto *disconnect = reinterpret_cast<void (*)(void *)>(disconnectFunction);
    void *connection = nullptr;
    if (x11) {
        // The same connection the plugin makes, authorisation included; a
        // failed one is still an object to release.
        connection =
            reinterpret_cast<void *(*)(const char *, int *)>(connectFunction)(nullptr, nullptr);
        if (connection && reinterpret_cast<int (*)(void *)>(hasErrorFunction)(connection) != 0) {
            disconnect(connection);
            connection = nullptr;
        }
    } else {
        connection = reinterpret_cast<void *(*)(const char *)>(connectFunction)(nullptr);
    }
    if (!connection) {
        ::dlclose(handle);
        *problem = x11 ? QStringLiteral("xcb: no X display, %1").arg(environmentText("DISPLAY"))
                       : QStringLiteral("%1: no compositor, %2")
                             .arg(platform, environmentText("WAYLAND_DISPLAY"));
        return false;
    }
    m_library = handle;
    m_connection = connection;
    m_disconnect = disconnect;
    return true;
}

void DisplayConnection::close()
{
    if (m_connection)
        m_disconnect(m_connection);
    if (m_library)
        ::dlclose(m_library);
    m_connection = nullptr;
    m_library = nullptr;
}

QString displayProblem(const QStringList &platforms)
{
    return DisplayConnection(platforms).problem();
}

} // namespace zan
