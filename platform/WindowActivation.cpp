// SPDX-License-Identifier: MIT
#include "WindowActivation.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMetaObject>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace zan {
namespace {

bool onWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// Qt's own connection to the X server, or null when the program does not
// run on X11.
xcb_connection_t *x11Connection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

// Broadcasts a startup-notification message: its text and closing NUL byte
// in client messages of 20 bytes each, the first of type
// _NET_STARTUP_INFO_BEGIN, the rest _NET_STARTUP_INFO, sent to the root
// window for whoever listens for property changes there.
void broadcastStartupMessage(xcb_connection_t *connection, const QByteArray &message)
{
    const xcb_atom_t begin = internAtom(connection, "_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = internAtom(connection, "_NET_STARTUP_INFO");
    if (begin == XCB_ATOM_NONE || more == XCB_ATOM_NONE)
        return;
    const QByteArray text = message + QByteArray(1, '\0');
    constexpr qsizetype pieceSize = 20;
    for (xcb_screen_iterator_t screen = xcb_setup_roots_iterator(xcb_get_setup(connection));
         screen.rem; xcb_screen_next(&screen)) {
        const xcb_window_t root = screen.data->root;
        // A window of its own names the message, so that a listener puts its
        // pieces together apart from those of any other sender.
        const xcb_window_t sender = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, sender, root, -100, -100, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        for (qsizetype at = 0; at < text.size(); at += pieceSize) {
            xcb_client_message_event_t event;
            std::memset(&event, 0, sizeof event);
            event.response_type = XCB_CLIENT_MESSAGE;
            event.format = 8;
            event.window = sender;
            event.type = at == 0 ? begin : more;
            std::memcpy(event.data.data8, text.constData() + at,
                        size_t(std::min(pieceSize, text.size() - at)));
            xcb_send_event(connection, 0, root, XCB_EVENT_MASK_PROPERTY_CHANGE,
                           reinterpret_cast<const char *>(&event));
        }
        xcb_destroy_window(connection, sender);
    }
    xcb_flush(connection);
}

void setStartupIdProperty(xcb_connection_t *connection, xcb_window_t window, const QString &id)
{
    const xcb_atom_t property = internAtom(connection, "_NET_STARTUP_ID");
    const xcb_atom_t utf8 = internAtom(connection, "UTF8_STRING");
    if (property == XCB_ATOM_NONE || utf8 == XCB_ATOM_NONE)
        return;
    const QByteArray value = id.toUtf8();
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, utf8, 8,
                        uint32_t(value.size()), value.constData());
    xcb_flush(connection);
}

// Waits, as a child of the window, for its first expose, activates it once
// the expose has been handled (the first frame is then on its way), and goes.
class ExposeWatcher : public QObject {
public:
    ExposeWatcher(QWindow *window, const QString &launchToken)
        : QObject(window), m_window(window), m_token(launchToken)
    {
        window->installEventFilter(this);
    }

    ~ExposeWatcher() override
    {
        // The window went before it was ever shown.
        if (!m_done)
            releaseLaunchToken(m_token);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Expose && m_window->isExposed() &&
            !m_queued) {
            m_queued = true;
            QMetaObject::invokeMethod(this, &ExposeWatcher::activate, Qt::QueuedConnection);
        }
        return false;
    }

    void activate();

private:
    QWindow *m_window;
    QString m_token;
    bool m_queued = false;
    bool m_done = false;
};

void activateNow(QWindow *window, const QString &launchToken)
{
    window->raise();
    if (!launchToken.isEmpty() && onWayland()) {
        // Qt's Wayland support hands the compositor the token it finds here
        // when a window asks for activation, and removes the variable; it is
        // removed here as well for a compositor without activation, so that
        // no later window or child process gets it.
        qputenv("XDG_ACTIVATION_TOKEN", launchToken.toUtf8());
        window->requestActivate();
        qunsetenv("XDG_ACTIVATION_TOKEN");
        return;
    }
    window->requestActivate();
    // On X11 the window shows now: the startup sequence is over.
    releaseLaunchToken(launchToken);
}

void ExposeWatcher::activate()
{
    m_done = true;
    m_window->removeEventFilter(this);
    activateNow(m_window, m_token);
    deleteLater();
}

} // namespace

void activateWhenExposed(QWindow *window, const QString &launchToken)
{
    if (!window)
        return;
    if (!launchToken.isEmpty()) {
        if (xcb_connection_t *connection = x11Connection())
            setStartupIdProperty(connection, xcb_window_t(window->winId()), launchToken);
    }
    if (window->isExposed()) {
        activateNow(window, launchToken);
        return;
    }
    new ExposeWatcher(window, launchToken);
}

QByteArray startupRemoveMessage(QStringView id)
{
    QByteArray message("remove: ID=");
    for (const char byte : id.toUtf8()) {
        if (byte == ' ' || byte == '"' || byte == '\\')
            message.append('\\');
        message.append(byte);
    }
    return message;
}

void releaseLaunchToken(const QString &launchToken)
{
    if (launchToken.isEmpty())
        return;
    if (xcb_connection_t *connection = x11Connection())
        broadcastStartupMessage(connection, startupRemoveMessage(launchToken));
}

} // namespace zan
