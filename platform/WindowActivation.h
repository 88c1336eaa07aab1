// SPDX-License-Identifier: MIT
// Bringing a window to the front for the user, at the moment the display
// system listens: once the window has been exposed.
//
// Qt uses only the launch token it finds in the environment when it starts,
// and offers no call for one that arrives later with a D-Bus event; the
// launcher gets its tokens that way, so they are handed over here.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

class QWindow;

namespace zan {

// Raises the window and asks for the keyboard once it has been exposed for
// the first time, or at once when it is exposed already. Call it before
// showing the window, with the native window created (QWidget::winId()).
//
// A request made earlier is lost: a Wayland compositor ignores activation of
// a surface that has no content yet, and a token sent with it is used up.
//
// With the desktop's launch token for this window: on X11 the window carries
// the startup ID (_NET_STARTUP_ID, read by window managers that prevent
// focus stealing) and the startup sequence ends once it shows; on Wayland
// the activation request carries the token. The token is used once. Without
// one, Qt uses what the desktop left in this program's environment.
void activateWhenExposed(QWindow *window, const QString &launchToken = QString());

// Gives back a launch token that no window of this program will use: on X11
// its startup sequence ends now rather than at the desktop's time-out; a
// Wayland token simply expires.
void releaseLaunchToken(const QString &launchToken);

// The X11 startup-notification message that ends the sequence with this ID:
// "remove: ID=" and the ID, with space, double quote and backslash escaped
// by a backslash so that the ID stays one value.
QByteArray startupRemoveMessage(QStringView id);

} // namespace zan
