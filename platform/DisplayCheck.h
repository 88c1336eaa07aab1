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

// A connection to the first window system of the plugins that answers, held
// until close(). It must outlive the building of QApplication: an X server
// whose last client leaves resets itself, and refuses the connection Qt
// makes in the meantime.
class DisplayConnection {
public:
    explicit DisplayConnection(const QStringList &platforms);
    ~DisplayConnection() { close(); }
    DisplayConnection(const DisplayConnection &) = delete;
    DisplayConnection &operator=(const DisplayConnection &) = delete;

    // Empty when a window system answered, or when one of the plugins needs
    // no display server (offscreen, vnc, ...); otherwise why none could be
    // opened, for the log.
    QString problem() const { return m_problem; }

    void close();

private:
    bool connect(const QString &platform, QString *problem);

    void *m_library = nullptr;
    void *m_connection = nullptr;
    void (*m_disconnect)(void *) = nullptr;
    QString m_problem;
};

// DisplayConnection(platforms).problem(), the connection closed at once.
QString displayProblem(const QStringList &platforms);

} // namespace zan
