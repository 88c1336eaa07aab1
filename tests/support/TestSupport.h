// SPDX-License-Identifier: MIT
// What the tests of both programs share, QtCore only: files in a private
// folder, a folder that not even root can write into, capture of the log and
// of the exit seam, Info.plist texts, records as the dialogs print them, and
// the translators a test installed.
#pragma once

#include "ProcessExit.h"
#include "SystemLog.h"

#include <QCoreApplication>
#include <QFile>
#include <QList>
#include <QStringList>
#include <QTranslator>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <linux/fs.h>
#include <mutex>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zantest {

// A path as the programs take file names: bytes.
inline QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

// What readBytes gives for a file it cannot read; tests that expect no file
// compare with it.
inline const QByteArray noFile = QByteArrayLiteral("<no file>");

inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return noFile;
    return file.readAll();
}

// Replaces the file's contents; false unless every byte was written.
inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
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

// Lowers the largest file this process may write while it lives, so that a
// write past it fails with EFBIG (its signal ignored) as on a full disk, even
// for root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_previous);
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{std::min(bytes, m_previous.rlim_max), m_previous.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = nullptr;
};

// Records every log entry and every exit status while it lives. The log
// sink may be called from a reader thread, so entries are taken under a
// lock. A filter sees each entry first and may take it for itself (a flood
// of console output is then counted rather than kept).
class Capture {
public:
    using Filter = std::function<bool(const QString &entry)>;

    explicit Capture(Filter filter = {}) : m_filter(std::move(filter))
    {
        m_previousSink = zan::setLogSink([this](const QString &text) {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_filter || !m_filter(text))
                log.append(text);
        });
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

    // Whether an entry holds text.
    bool logHas(const QString &text) const
    {
        for (const QString &entry : log)
            if (entry.contains(text))
                return true;
        return false;
    }

    QStringList log;
    QList<int> statuses;

private:
    std::mutex m_mutex;
    Filter m_filter;
    zan::LogSink m_previousSink;
    zan::ExitHandler m_previousExit;
};

// Makes a folder refuse new entries while it lives. Permission bits stop an
// ordinary user; root ignores them, so for root the folder is also marked
// immutable (needs CAP_LINUX_IMMUTABLE and a file system that keeps the flag).
// ok() tells whether the folder really is unwritable now.
class UnwritableFolder {
public:
    explicit UnwritableFolder(const QString &path) : m_path(native(path))
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

// A property list document around body, as a bundle's Info.plist is one.
inline QByteArray plistDocument(const QByteArray &body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + body +
           "\n</plist>\n";
}

// An Info.plist whose dictionary holds entries (keys and values as XML).
inline QByteArray infoPlist(const QByteArray &entries)
{
    return plistDocument("<dict>\n" + entries + "</dict>");
}

// The entries every bundle carries: its version and its build.
inline QByteArray versionEntries(const QByteArray &version, const QByteArray &build)
{
    return "<key>CFBundleShortVersionString</key><string>" + version +
           "</string>\n<key>CFBundleVersion</key><string>" + build + "</string>\n";
}

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

// Removes and deletes the translators installed on the application except
// those in keep, so that the next test starts from the language it sets.
inline void removeTranslators(const QList<QTranslator *> &keep = {})
{
    const QList<QTranslator *> translators =
        QCoreApplication::instance()->findChildren<QTranslator *>();
    for (QTranslator *translator : translators) {
        if (keep.contains(translator))
            continue;
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

} // namespace zantest
