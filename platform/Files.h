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

struct WriteResult {
    bool ok = false;
    QString error; // why, when not ok
};

// Replaces the file's content as a whole: a temporary file in the same folder
// is written, flushed and renamed over the target, so a failure leaves the old
// content intact. With permissions set, the new file gets exactly those.
WriteResult writeFileAtomically(const QString &path, const QByteArray &bytes,
                                std::optional<QFileDevice::Permissions> permissions = {});

// Removes a file or a symbolic link itself; never a folder. Returns whether
// something was removed.
bool removeFile(const QString &path);

} // namespace zan
