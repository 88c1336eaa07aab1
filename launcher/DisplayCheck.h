// SPDX-License-Identifier: MIT
// Whether a window can be shown at all, decided before QApplication is built:
// when none of the window systems Qt tries can be reached, QApplication ends
// the process with abort() before anything could be logged.
#pragma once

#include <QString>
#include <QStringList>

namespace zan {

// The window-system plugins Qt 6 tries, in order, for this command line and
// the environment: the value of -platform, else QT_QPA_PLATFORM (a list
// separated by ";"), else wayland when the session is a Wayland one, then
// xcb. Plugin options after ":" are left off.
QStringList displayPlatforms(const QStringList &arguments);

// Tries to reach the window system of each plugin in turn. Empty when one
// answers, or when one of them needs no display server (offscreen, vnc, ...);
// otherwise why none could be opened, for the log.
QString displayProblem(const QStringList &platforms);

} // namespace zan
