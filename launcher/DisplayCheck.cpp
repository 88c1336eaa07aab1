// SPDX-License-Identifier: MIT
#include "DisplayCheck.h"

#include <dlfcn.h>

namespace zan {
namespace {
// The client libraries are opened at run time, as Qt's plugins open them:
// the launcher itself is linked against neither, and where one is missing
// the plugin that needs it could not run either.
class Library {
public:
    explicit Library(const char *name) : m_handle(::dlopen(name, RTLD_NOW | RTLD_LOCAL)) {}
    ~Library()
    {
        if (m_handle)
            ::dlclose(m_handle);
    }
    Library(const Library &) = delete;
    Library &operator=(const Library &) = delete;

    template <typename Function> Function *function(const char *name) const
    {
        return m_handle ? reinterpret_cast<Function *>(::dlsym(m_handle, name)) : nullptr;
    }

private:
    void *m_handle;
};

QString environmentText(const char *name)
{
    return qEnvironmentVariableIsSet(name)
               ? QStringLiteral("%1=%2").arg(QLatin1String(name), qEnvironmentVariable(name))
               : QStringLiteral("%1 not set").arg(QLatin1String(name));
}

QString x11Problem()
{
    const Library xcb("libxcb.so.1");
    using Connect = void *(const char *, int *);
    using HasError = int(void *);
    using Disconnect = void(void *);
    auto *connect = xcb.function<Connect>("xcb_connect");
    auto *hasError = xcb.function<HasError>("xcb_connection_has_error");
    auto *disconnect = xcb.function<Disconnect>("xcb_disconnect");
    if (!connect || !hasError || !disconnect)
        return QStringLiteral("xcb: libxcb.so.1 cannot be loaded");
    // The same connection the plugin makes, authorisation included; a
    // failed one is still an object to release.
    void *connection = connect(nullptr, nullptr);
    const bool failed = !connection || hasError(connection) != 0;
    if (connection)
        disconnect(connection);
    return failed ? QStringLiteral("xcb: no X display, %1").arg(environmentText("DISPLAY"))
                  : QString();
}

QString waylandProblem()
{
    const Library wayland("libwayland-client.so.0");
    using Connect = void *(const char *);
    using Disconnect = void(void *);
    auto *connect = wayland.function<Connect>("wl_display_connect");
    auto *disconnect = wayland.function<Disconnect>("wl_display_disconnect");
    if (!connect || !disconnect)
        return QStringLiteral("wayland: libwayland-client.so.0 cannot be loaded");
    void *display = connect(nullptr);
    if (!display)
        return QStringLiteral("wayland: no compositor, %1").arg(environmentText("WAYLAND_DISPLAY"));
    disconnect(display);
    return QString();
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
    if (!chosen.isEmpty()) {
        for (const QString &entry : chosen.split(QLatin1Char(';'), Qt::SkipEmptyParts))
            platforms.append(entry.section(QLatin1Char(':'), 0, 0));
    }
    if (!platforms.isEmpty())
        return platforms;
    if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
        qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland"))
        platforms.append(QStringLiteral("wayland"));
    platforms.append(QStringLiteral("xcb"));
    return platforms;
}

QString displayProblem(const QStringList &platforms)
{
    QStringList problems;
    for (const QString &platform : platforms) {
        QString problem;
        if (platform == QLatin1String("xcb"))
            problem = x11Problem();
        else if (platform.startsWith(QLatin1String("wayland")))
            problem = waylandProblem();
        // Anything else (offscreen, minimal, vnc, eglfs, ...) draws without a
        // display server.
        if (problem.isEmpty())
            return QString();
        problems.append(problem);
    }
    return problems.join(QLatin1String("; "));
}

} // namespace zan
