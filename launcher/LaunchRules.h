// SPDX-License-Identifier: MIT
// The launcher's decisions that need no event loop: how it was started, what
// a launch parameter list looks like in the log, which launch URLs it takes.
#pragma once

#include <QString>
#include <QStringList>

namespace zan {

// Option that the desktop entry's Exec line puts before the URL, so that a
// desktop without D-Bus activation reaches the get-URL event and never a
// command-line launch.
inline const QString desktopOpenOption = QStringLiteral("--open-url");

enum class StartPath {
    Browser,     // program path alone: wait for get-URL events
    DesktopOpen, // the desktop entry's Exec line: what follows are URLs
    CommandLine, // launch parameters on the command line
};

struct StartDecision {
    StartPath path = StartPath::Browser;
    QStringList parameters;           // launch parameters, or the URLs for DesktopOpen
    bool processSerialNumber = false; // a parameter begins with "-psn_"
};

// Decides the start path from the full argument list, program path first.
StartDecision decideStart(const QStringList &arguments);

// The warning shown when the system put a process serial number in place of
// the URL.
QString processSerialNumberWarning();

// A list as it appears in log entries: one line, each element quoted, with
// backslashes, quotes and control characters escaped, for example
// ("/opt/zan/bin/zan-client-launcher", "a b"). Empty: ().
QString describeList(const QStringList &list);

// A text quoted and escaped as describeList quotes an element.
QString quoteForLog(const QString &text);

// "start console:\n" followed by " " and each argument in order.
QString argumentSummary(const QStringList &arguments);

// Why a launch URL is refused, or an empty text when it is taken. Taken are
// texts of the zan: scheme (compared without regard to case) that hold no
// control characters nor line or paragraph separators.
QString launchUrlProblem(const QString &url);

} // namespace zan
