// SPDX-License-Identifier: MIT
#include "Files.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zan {
namespace {
QString describe(const QString &path, const QString &reason)
{
    return QStringLiteral("%1: %2").arg(path, reason);
}

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}
} // namespace

ReadResult readWholeFile(const QString &path, qint64 maxBytes)
{
    ReadResult result;
    if (path.isEmpty()) {
        result.error = QStringLiteral("no file named");
        return result;
    }
    const QByteArray name = QFile::encodeName(path);
    // O_NONBLOCK keeps a FIFO without a writer from blocking the open; the
    // type check below refuses it before any read.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        result.error = describe(path, errnoText(errno));
        return result;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        result.error = describe(path, errnoText(errno));
        ::close(fd);
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.error = describe(path, S_ISDIR(info.st_mode) ? QStringLiteral("is a folder")
                                                            : QStringLiteral("not a regular file"));
        ::close(fd);
        return result;
    }
    if (info.st_size > maxBytes) {
        result.error =
            describe(path, QStringLiteral("file too large (%1 bytes)").arg(info.st_size));
        ::close(fd);
        return result;
    }
    QByteArray data;
    data.resize(qsizetype(info.st_size));
    qsizetype filled = 0;
    for (;;) {
        if (filled == data.size()) {
            // The file may have grown since fstat; keep reading to its end.
            if (data.size() >= maxBytes) {
                char probe;
                const ssize_t more = ::read(fd, &probe, 1);
                if (more > 0) {
                    result.error = describe(path, QStringLiteral("file too large"));
                    ::close(fd);
                    return result;
                }
                break;
            }
            data.resize(std::min<qint64>(maxBytes, std::max<qint64>(data.size() * 2, 4096)));
        }
        const ssize_t got = ::read(fd, data.data() + filled, size_t(data.size() - filled));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            result.error = describe(path, errnoText(errno));
            ::close(fd);
            return result;
        }
        if (got == 0)
            break;
        filled += got;
    }
    ::close(fd);
    data.resize(filled);
    result.data = std::move(data);
    return result;
}

WriteResult writeFileAtomically(const QString &path, const QByteArray &bytes,
                                std::optional<QFileDevice::Permissions> permissions)
{
    WriteResult result;
    if (path.isEmpty()) {
        result.error = QStringLiteral("no file named");
        return result;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        result.error = describe(path, file.errorString());
        return result;
    }
    // Set before any byte is written, so a secret never sits in a file that
    // others may read.
    if (permissions && !file.setPermissions(*permissions)) {
        result.error = describe(path, file.errorString());
        file.cancelWriting();
        return result;
    }
    if (file.write(bytes) != bytes.size()) {
        result.error = describe(path, file.errorString());
        file.cancelWriting();
        return result;
    }
    if (!file.commit()) {
        result.error = describe(path, file.errorString());
        return result;
    }
    result.ok = true;
    return result;
}

bool removeFile(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0 || S_ISDIR(info.st_mode))
        return false;
    return ::unlink(name.constData()) == 0;
}

} // namespace zan
