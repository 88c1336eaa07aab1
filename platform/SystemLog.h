// SPDX-License-Identifier: MIT
// The system log: one entry per call, to syslog(3) and, as a copy, to standard
// error. Safe to call from any thread.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace zan {

// Names the program in syslog entries; call once in main.
void openSystemLog(const char *identity);

// Writes one entry. The text is logged as given, except that a NUL character
// becomes U+FFFD (syslog would end the entry there); a trailing line break is
// not doubled on standard error.
void logEntry(const QString &text);

// Writes several entries: each is its own syslog entry, as with logEntry, but
// their copies reach standard error in one write, which keeps a fast producer
// from paying a system call per entry.
void logEntries(const QStringList &texts);

// Tests route entries here instead of the system log. Passing an empty
// function restores the system log. Returns the previous sink.
using LogSink = std::function<void(const QString &)>;
LogSink setLogSink(LogSink sink);

} // namespace zan
