// SPDX-License-Identifier: MIT
// Whole-file reading and atomic replacement. Failures come back as values with
// a description that names the path and the reason.
#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <optional>

namespace zan {

struct ReadResult {
    std::optional<QByteArray> data; // unset when the file could not be read
    QString error;                  // why, when data is unset
};

// Reads a regular file whole. Anything else (a folder, a FIFO, a device) is
// refused without blocking, and so is a file larger than maxBytes.
ReadResult readWholeFile(const QString &path, qint64 maxBytes = qint64(4) << 30);

// A file's bytes in memory from allocateLarge (see LargeMemory.h).
class LargeBuffer {
public:
    LargeBuffer() = default;
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
LargeReadResult readWholeLargeFile(const QString &path, qint64 maxBytes = qint64(4) << 30);

struct WriteResult {
    bool ok = false;
    QString error; // why, when not ok
};

// Replaces the file's content as a whole: a temporary file in the same folder
// is written, flushed and renamed over the target, so a failure leaves the old
// content intact. With permissions set, the new file gets exactly those.
WriteResult writeFileAtomically(const QString &path, const QByteArray &bytes,
                                std::optional<QFileDevice::Permissions> permissions = {});

// Removes a regular file or a symbolic link itself; never a folder, a FIFO or
// a device. Returns whether something was removed.
bool removeFile(const QString &path);

} // namespace zan
