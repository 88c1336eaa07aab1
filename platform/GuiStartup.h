// SPDX-License-Identifier: MIT
// Starting Qt's window system, with the program's own words when it cannot.
//
// When no display can be had, Qt ends the process in the QApplication
// constructor with abort() (status 134) and leaves only its own messages on
// standard error. Qt alone decides which window system it uses (its
// -platform rules, QT_QPA_PLATFORM, the session type, a compositor
// connection handed over in WAYLAND_SOCKET); this only changes how that
// failure ends: one log line of ours and our status.
#pragma once

#include <QString>

namespace zan {

class GuiStartup {
public:
    // From here until started(), Qt's messages are held, and its fatal one
    // writes "No display could be opened (REASON); CONSEQUENCE" and ends the
    // process with failureStatus. So does a warning or critical message that
    // QT_FATAL_WARNINGS or QT_FATAL_CRITICALS make fatal (Qt aborts once the
    // message is handed over; the abort is caught until started()).
    GuiStartup(const char *programPath, const QString &consequence, int failureStatus);
    ~GuiStartup() { started(); }
    GuiStartup(const GuiStartup &) = delete;
    GuiStartup &operator=(const GuiStartup &) = delete;

    // The command line QApplication gets: the program path alone. Launch
    // parameters and dialog options are never Qt's (-display, -platform,
    // -reverse, -stylesheet FILE, -session ID would change the program).
    int &argc() { return m_argc; }
    char **argv() { return m_argv; }

    // QApplication is built: the messages held meanwhile go to the handler
    // that was there before, as later ones do.
    void started();

private:
    int m_argc = 1;
    char *m_argv[2];
    bool m_active = true;
};

// The log line for Qt's fatal start-up message, given the messages Qt wrote
// before it (the reason: "could not connect to display :5", ...).
QString startupFailureEntry(const QStringList &earlierMessages, const QString &fatalMessage,
                            const QString &consequence);

} // namespace zan
