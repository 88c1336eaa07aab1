// SPDX-License-Identifier: MIT
// Whole-file reading and atomic replacement. Failures come back as values with
// a description that names the path and the reason.
//
// File names are bytes on Linux and need not be UTF-8: a name that another
// program put on our command line is opened, written, renamed and removed as
// exactly those bytes (a native path, as QFile::encodeName gives for text).
// A name becomes text only for a message.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <sys/types.h>

namespace zan {

// The name as text for a log line: bytes that are not UTF-8 show as U+FFFD.
QString displayPath(const QByteArray &path);

struct ReadResult {
    std::optional<QByteArray> data; // unset when the file could not be read
    QString error;                  // why, when data is unset
};

// Reads a regular file whole. Anything else (a folder, a FIFO, a device) is
// refused without blocking, and so is a file larger than maxBytes, or one for
// which no memory can be had.
ReadResult readWholeFile(const QByteArray &path, qint64 maxBytes = qint64(4) << 30);
// The same for a name held as text, such as a resource of the bundle.
ReadResult readWholeFile(const QString &path, qint64 maxBytes = qint64(4) << 30);

// A file's bytes in memory from allocateLarge (see LargeMemory.h).
class LargeBuffer {
public:
    LargeBuffer() = default;
    // Without memory to be had, the buffer is empty: no data, capacity 0.
    explicit LargeBuffer(size_t capacity);
    LargeBuffer(LargeBuffer &&other) noexcept;
    LargeBuffer &operator=(LargeBuffer &&other) noexcept;
    LargeBuffer(const LargeBuffer &) = delete;
    LargeBuffer &operator=(const LargeBuffer &) = delete;
    ~LargeBuffer();

    char *data() { return m_data; }
    const char *data() const { return m_data; }
    size_t size() const { return m_size; }
    size_t capacity() const { return m_capacity; }
    void setSize(size_t size) { m_size = size; }

private:
    char *m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

struct LargeReadResult {
    std::optional<LargeBuffer> data;
    QString error;
};

// readWholeFile for files that may run to hundreds of megabytes.
LargeReadResult readWholeLargeFile(const QByteArray &path, qint64 maxBytes = qint64(4) << 30);

struct WriteResult {
    bool ok = false;
    QString error; // why, when not ok
};

// Replaces the file's content as a whole, as mv and editors do: a temporary
// file in the target's folder gets its mode before the first byte, is written,
// flushed to the disk and renamed over the target. So only the folder needs to
// be writable, not the file, and a failure leaves the old file whole and no
// temporary file behind. The mode is the one given; else the old file's; else
// what a new file gets under the umask. A symbolic link is followed to the file
// it names, which is replaced while the link stays. A folder or a device is
// never replaced.
WriteResult writeFileAtomically(const QByteArray &path, const QByteArray &bytes,
                                std::optional<mode_t> mode = {});

// Removes a regular file or a symbolic link itself; never a folder, a FIFO or
// a device. Returns whether something was removed.
bool removeFile(const QByteArray &path);

} // namespace zan
