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

// Memory that a whole-file read fills. grow(n) makes room for at least n
// bytes, keeping what is there, or returns false when no memory can be had;
// setSize() marks how much of it the file filled.
class ReadBuffer {
public:
    virtual bool grow(size_t bytes) = 0;
    virtual char *data() = 0;
    virtual size_t capacity() const = 0;
    virtual void setSize(size_t bytes) = 0;

protected:
    ~ReadBuffer() = default;
};

constexpr qint64 maximumReadBytes = qint64(4) << 30;

// Reads a regular file whole into the buffer. Anything else (a folder, a FIFO,
// a device) is refused without blocking, and so is a file larger than
// maxBytes, or one for which no memory can be had. Returns false with the
// reason, naming the path, in *error.
bool readWholeFile(const QByteArray &path, ReadBuffer &buffer, QString *error,
                   qint64 maxBytes = maximumReadBytes);

struct ReadResult {
    std::optional<QByteArray> data; // unset when the file could not be read
    QString error;                  // why, when data is unset
};

// The same into a byte array.
ReadResult readWholeFile(const QByteArray &path, qint64 maxBytes = maximumReadBytes);
// The same for a name held as text, such as a resource of the bundle.
ReadResult readWholeFile(const QString &path, qint64 maxBytes = maximumReadBytes);

struct WriteResult {
    bool ok = false;
    QString error; // why, when not ok
};

// Replaces the file's content as a whole, as mv and editors do: a temporary
// file in the target's folder gets its mode before the first byte, is written,
// flushed to the disk and renamed over the target. So only the folder needs to
// be writable, not the file, and a failure leaves the old file whole and no
// temporary file behind. The mode is the one given; else the old file's, with
// its access ACL; else what a new file gets under the umask. The old file's
// group stays; where it cannot (a group we are not in), the group and others
// get no access at all rather than pass it to another group. A symbolic link
// is followed to the file it names, which is replaced while the link stays,
// as the kernel follows links: never one that another account left in a
// shared sticky folder such as /tmp, at the end or on the way, whether or not
// the file it names exists yet and whatever the kernel's own switch for such
// links (fs.protected_symlinks) says. No /proc is needed. A folder, a device
// or a pipe (such as /dev/stdout may name) is never replaced.
WriteResult writeFileAtomically(const QByteArray &path, const QByteArray &bytes,
                                std::optional<mode_t> mode = {});

// Removes a regular file or a symbolic link itself; never a folder, a FIFO or
// a device. Returns whether something was removed.
bool removeFile(const QByteArray &path);

} // namespace zan
