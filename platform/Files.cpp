// SPDX-License-Identifier: MIT
#include "Files.h"

#include "LargeMemory.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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

// Opens a regular file for reading; -1 with the reason otherwise. O_NONBLOCK
// keeps a FIFO without a writer from blocking the open; the type check then
// refuses it before any read.
int openRegularFile(const QString &path, qint64 maxBytes, qint64 *size, QString *error)
{
    if (path.isEmpty()) {
        *error = QStringLiteral("no file named");
        return -1;
    }
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        *error = describe(path, errnoText(errno));
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        *error = describe(path, errnoText(errno));
    } else if (!S_ISREG(info.st_mode)) {
        *error = describe(path, S_ISDIR(info.st_mode) ? QStringLiteral("is a folder")
                                                      : QStringLiteral("not a regular file"));
    } else if (info.st_size > maxBytes) {
        *error = describe(path, QStringLiteral("file too large (%1 bytes)").arg(info.st_size));
    } else {
        *size = info.st_size;
        return fd;
    }
    ::close(fd);
    return -1;
}

// Reads fd to its end into a buffer that Buffer::grow(n) enlarges to at least
// n bytes. The file may have grown since it was measured, so reading goes on
// past the expected size, up to maxBytes.
template <class Buffer>
bool readToEnd(int fd, Buffer &buffer, qint64 expected, qint64 maxBytes, const QString &path,
               QString *error)
{
    size_t filled = 0;
    buffer.grow(size_t(expected) + 1);
    for (;;) {
        if (filled == buffer.capacity()) {
            if (qint64(filled) > maxBytes) {
                *error = describe(path, QStringLiteral("file too large"));
                return false;
            }
            buffer.grow(std::max<size_t>(buffer.capacity() * 2, 4096));
        }
        const ssize_t got = ::read(fd, buffer.data() + filled, buffer.capacity() - filled);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            *error = describe(path, errnoText(errno));
            return false;
        }
        if (got == 0)
            break;
        filled += size_t(got);
    }
    if (qint64(filled) > maxBytes) {
        *error = describe(path, QStringLiteral("file too large"));
        return false;
    }
    buffer.setSize(filled);
    return true;
}

struct ByteArrayBuffer {
    QByteArray bytes;
    void grow(size_t n) { bytes.resize(qsizetype(n)); }
    char *data() { return bytes.data(); }
    size_t capacity() const { return size_t(bytes.size()); }
    void setSize(size_t n) { bytes.resize(qsizetype(n)); }
};

struct GrowingLargeBuffer {
    LargeBuffer buffer;
    void grow(size_t n)
    {
        LargeBuffer bigger(n);
        if (buffer.size() || buffer.capacity())
            std::memcpy(bigger.data(), buffer.data(), buffer.capacity());
        buffer = std::move(bigger);
    }
    char *data() { return buffer.data(); }
    size_t capacity() const { return buffer.capacity(); }
    void setSize(size_t n) { buffer.setSize(n); }
};
} // namespace

ReadResult readWholeFile(const QString &path, qint64 maxBytes)
{
    ReadResult result;
    qint64 size = 0;
    const int fd = openRegularFile(path, maxBytes, &size, &result.error);
    if (fd < 0)
        return result;
    ByteArrayBuffer buffer;
    const bool ok = readToEnd(fd, buffer, size, maxBytes, path, &result.error);
    ::close(fd);
    if (ok)
        result.data = std::move(buffer.bytes);
    return result;
}

LargeBuffer::LargeBuffer(size_t capacity)
    : m_data(static_cast<char *>(allocateLarge(capacity))), m_capacity(m_data ? capacity : 0)
{
    if (!m_data)
        throw std::bad_alloc();
}

LargeBuffer::LargeBuffer(LargeBuffer &&other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)),
      m_capacity(std::exchange(other.m_capacity, 0))
{}

LargeBuffer &LargeBuffer::operator=(LargeBuffer &&other) noexcept
{
    if (this != &other) {
        releaseLarge(m_data, m_capacity);
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_capacity = std::exchange(other.m_capacity, 0);
    }
    return *this;
}

LargeBuffer::~LargeBuffer()
{
    releaseLarge(m_data, m_capacity);
}

LargeReadResult readWholeLargeFile(const QString &path, qint64 maxBytes)
{
    LargeReadResult result;
    qint64 size = 0;
    const int fd = openRegularFile(path, maxBytes, &size, &result.error);
    if (fd < 0)
        return result;
    GrowingLargeBuffer buffer;
    const bool ok = readToEnd(fd, buffer, size, maxBytes, path, &result.error);
    ::close(fd);
    if (ok)
        result.data = std::move(buffer.buffer);
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
    // commit() ignores a failed flush of the buffered bytes (a full disk, the
    // file-size limit) and would rename a truncated file over the target.
    if (!file.flush()) {
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
    // Only what a program writes as a file: never a folder, nor a FIFO or a
    // device node that a path happened to name.
    if (::lstat(name.constData(), &info) != 0 || !(S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)))
        return false;
    return ::unlink(name.constData()) == 0;
}

} // namespace zan
