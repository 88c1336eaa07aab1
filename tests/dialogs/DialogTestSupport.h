// SPDX-License-Identifier: MIT
// Helpers shared by the dialog program's tests: files in a private folder, a
// folder that not even root can write into, and capture of log and exit.
#pragma once

#include "ProcessExit.h"
#include "SystemLog.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zantest {

// A path as the programs take file names: bytes.
inline QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// Records every log entry and every exit status while it lives.
class Capture {
public:
    Capture()
    {
        m_previousSink = zan::setLogSink([this](const QString &text) { log.append(text); });
        m_previousExit = zan::setExitHandler([this](int status) { statuses.append(status); });
    }
    ~Capture()
    {
        zan::setLogSink(std::move(m_previousSink));
        zan::setExitHandler(std::move(m_previousExit));
    }
    Capture(const Capture &) = delete;
    Capture &operator=(const Capture &) = delete;

    // The one status the code ended with, as the parent process sees it; -2
    // when it did not end, -3 when it tried to end more than once.
    int exitStatus() const
    {
        if (statuses.isEmpty())
            return -2;
        if (statuses.size() > 1)
            return -3;
        return statuses.first() & 0xff;
    }

    QStringList log;
    QList<int> statuses;

private:
    zan::LogSink m_previousSink;
    zan::ExitHandler m_previousExit;
};

// Makes a folder refuse new entries while it lives. Permission bits stop an
// ordinary user; root ignores them, so for root the folder is also marked
// immutable (needs CAP_LINUX_IMMUTABLE and a file system that keeps the flag).
// ok() tells whether the folder really is unwritable now.
class UnwritableFolder {
public:
    explicit UnwritableFolder(const QString &path) : m_path(QFile::encodeName(path))
    {
        ::chmod(m_path.constData(), 0555);
        if (::geteuid() == 0)
            m_immutable = setImmutable(true);
        m_ok = probeUnwritable();
    }
    ~UnwritableFolder()
    {
        if (m_immutable)
            setImmutable(false);
        ::chmod(m_path.constData(), 0755);
    }
    UnwritableFolder(const UnwritableFolder &) = delete;
    UnwritableFolder &operator=(const UnwritableFolder &) = delete;

    bool ok() const { return m_ok; }

private:
    bool setImmutable(bool on)
    {
        const int fd = ::open(m_path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return false;
        int flags = 0;
        bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return done;
    }
    bool probeUnwritable() const
    {
        const QByteArray probe = m_path + "/.probe";
        const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0)
            return true;
        ::close(fd);
        ::unlink(probe.constData());
        return false;
    }

    QByteArray m_path;
    bool m_immutable = false;
    bool m_ok = false;
};

// A record as the dialogs print it: one member to a line, a tab before the key
// and one after the colon, the closing brace as the last byte.
inline QByteArray record(std::initializer_list<QByteArray> members)
{
    QByteArray text = "{\n";
    qsizetype left = qsizetype(members.size());
    for (const QByteArray &member : members)
        text += '\t' + member + (--left ? ",\n" : "\n");
    return text + '}';
}

inline QByteArray str(const char *key, const QByteArray &value)
{
    return '"' + QByteArray(key) + "\":\t\"" + value + '"';
}

inline QByteArray num(const char *key, qint64 value)
{
    return '"' + QByteArray(key) + "\":\t" + QByteArray::number(value);
}

inline mode_t permissionBits(const QByteArray &path)
{
    struct stat info {};
    if (::stat(path.constData(), &info) != 0)
        return mode_t(-1);
    return info.st_mode & 07777;
}

inline mode_t permissionBits(const QString &path)
{
    return permissionBits(native(path));
}

} // namespace zantest
