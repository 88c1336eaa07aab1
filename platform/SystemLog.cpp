// SPDX-License-Identifier: MIT
#include "SystemLog.h"

#include <QByteArray>

#include <mutex>
#include <syslog.h>
#include <unistd.h>

namespace zan {
namespace {
std::mutex sinkMutex;
LogSink currentSink;
// syslog(3) reconnects on every call while no log socket exists, which costs a
// failed connect per entry on machines without a syslog daemon; skip it there.
bool syslogAvailable = false;

void writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        data += written;
        size -= size_t(written);
    }
}

// syslog(3) takes a C string and would end the entry at a NUL, dropping the
// rest of it; the stderr copy shows the same text as the entry.
QString withoutNul(const QString &text)
{
    if (!text.contains(QChar(0)))
        return text;
    QString entry = text;
    entry.replace(QChar(0), QChar::ReplacementCharacter);
    return entry;
}
} // namespace

void openSystemLog(const char *identity)
{
    ::openlog(identity, LOG_NDELAY, LOG_USER);
    syslogAvailable = ::access("/dev/log", W_OK) == 0;
}

void logEntry(const QString &given)
{
    const QString text = withoutNul(given);
    {
        std::lock_guard<std::mutex> lock(sinkMutex);
        if (currentSink) {
            currentSink(text);
            return;
        }
    }
    QByteArray line = text.toUtf8();
    if (syslogAvailable)
        ::syslog(LOG_NOTICE, "%s", line.constData());
    if (!line.endsWith('\n'))
        line.append('\n');
    writeAll(STDERR_FILENO, line.constData(), size_t(line.size()));
}

void logEntries(const QStringList &texts)
{
    {
        std::lock_guard<std::mutex> lock(sinkMutex);
        if (currentSink) {
            for (const QString &text : texts)
                currentSink(withoutNul(text));
            return;
        }
    }
    QByteArray lines;
    for (const QString &given : texts) {
        const QString text = withoutNul(given);
        const qsizetype start = lines.size();
        lines.append(text.toUtf8());
        if (syslogAvailable) {
            const QByteArray line = lines.mid(start);
            ::syslog(LOG_NOTICE, "%s", line.constData());
        }
        if (!text.endsWith(QLatin1Char('\n')))
            lines.append('\n');
    }
    writeAll(STDERR_FILENO, lines.constData(), size_t(lines.size()));
}

LogSink setLogSink(LogSink sink)
{
    std::lock_guard<std::mutex> lock(sinkMutex);
    LogSink previous = std::move(currentSink);
    currentSink = std::move(sink);
    return previous;
}

} // namespace zan
