// SPDX-License-Identifier: MIT
#include "Files.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <linux/limits.h>
#include <new>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>

namespace zan {
namespace {
QString describe(const QByteArray &path, const QString &reason)
{
    return QStringLiteral("%1: %2").arg(displayPath(path), reason);
}

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString outOfMemory(qint64 bytes)
{
    return QStringLiteral("not enough memory to read it (%1 bytes)").arg(bytes);
}

// Opens a regular file for reading; -1 with the reason otherwise. O_NONBLOCK
// keeps a FIFO without a writer from blocking the open; the type check then
// refuses it before any read.
int openRegularFile(const QByteArray &path, qint64 maxBytes, qint64 *size, QString *error)
{
    if (path.isEmpty()) {
        *error = QStringLiteral("no file named");
        return -1;
    }
    const auto notRegular = [](const struct stat &info) {
        return S_ISDIR(info.st_mode) ? QStringLiteral("is a folder")
                                     : QStringLiteral("not a regular file");
    };
    struct stat info {};
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        const int why = errno;
        // A device node on a file system mounted nodev (Debian 13's /tmp)
        // cannot be opened at all: say what it is, not that it was refused.
        const bool other = ::stat(path.constData(), &info) == 0 && !S_ISREG(info.st_mode);
        *error = describe(path, other ? notRegular(info) : errnoText(why));
        return -1;
    }
    if (::fstat(fd, &info) != 0) {
        *error = describe(path, errnoText(errno));
    } else if (!S_ISREG(info.st_mode)) {
        *error = describe(path, notRegular(info));
    } else if (info.st_size > maxBytes) {
        *error = describe(path, QStringLiteral("file too large (%1 bytes)").arg(info.st_size));
    } else {
        *size = info.st_size;
        return fd;
    }
    ::close(fd);
    return -1;
}

// Reads fd to its end into the buffer. The file may have grown since it was
// measured, so reading goes on past the expected size, up to maxBytes.
bool readToEnd(int fd, ReadBuffer &buffer, qint64 expected, qint64 maxBytes, const QByteArray &path,
               QString *error)
{
    size_t filled = 0;
    if (!buffer.grow(size_t(expected) + 1)) {
        *error = describe(path, outOfMemory(expected));
        return false;
    }
    for (;;) {
        if (filled == buffer.capacity()) {
            if (qint64(filled) > maxBytes) {
                *error = describe(path, QStringLiteral("file too large"));
                return false;
            }
            if (!buffer.grow(std::max<size_t>(buffer.capacity() * 2, 4096))) {
                *error = describe(path, outOfMemory(qint64(filled)));
                return false;
            }
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

class ByteArrayBuffer final : public ReadBuffer {
public:
    bool grow(size_t n) override
    {
        // Qt reports a failed allocation by throwing; here it is a value.
        try {
            bytes.resize(qsizetype(n));
        } catch (const std::bad_alloc &) {
            return false;
        }
        return true;
    }
    char *data() override { return bytes.data(); }
    size_t capacity() const override { return size_t(bytes.size()); }
    void setSize(size_t n) override { bytes.resize(qsizetype(n)); }

    QByteArray bytes;
};
} // namespace

QString displayPath(const QByteArray &path)
{
    return QString::fromUtf8(path);
}

ReadResult readWholeFile(const QString &path, qint64 maxBytes)
{
    return readWholeFile(QFile::encodeName(path), maxBytes);
}

bool readWholeFile(const QByteArray &path, ReadBuffer &buffer, QString *error, qint64 maxBytes)
{
    qint64 size = 0;
    const int fd = openRegularFile(path, maxBytes, &size, error);
    if (fd < 0)
        return false;
    const bool ok = readToEnd(fd, buffer, size, maxBytes, path, error);
    ::close(fd);
    return ok;
}

ReadResult readWholeFile(const QByteArray &path, qint64 maxBytes)
{
    ReadResult result;
    ByteArrayBuffer buffer;
    if (readWholeFile(path, buffer, &result.error, maxBytes))
        result.data = std::move(buffer.bytes);
    return result;
}

namespace {
// The folder part of a path: "." for a bare name, "/" for a name at the root.
QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

QByteArray procName(int fd)
{
    return "/proc/self/fd/" + QByteArray::number(fd);
}

// The text of a symbolic link; false with errno set.
bool readLink(const QByteArray &path, QByteArray *text)
{
    QByteArray link(PATH_MAX, Qt::Uninitialized);
    const ssize_t length = ::readlink(path.constData(), link.data(), size_t(link.size()));
    if (length < 0)
        return false;
    if (length >= link.size()) {
        errno = ENAMETOOLONG;
        return false;
    }
    link.truncate(length);
    *text = link;
    return true;
}

// Whether a link (info from lstat) may be followed: a link in a folder that
// everyone may write to and only owners delete from, as /tmp, is followed
// only when it is ours or the folder owner's. Any other account could point
// a name that we are about to write at a file of ours. This is the rule the
// kernel applies to every lookup under fs.protected_symlinks.
bool mayFollow(const QByteArray &path, const struct stat &link)
{
    if (link.st_uid == ::geteuid())
        return true;
    struct stat folder {};
    if (::stat(folderOf(path).constData(), &folder) != 0)
        return false;
    const mode_t shared = S_ISVTX | S_IWOTH;
    return (folder.st_mode & shared) != shared || folder.st_uid == link.st_uid;
}

struct Target {
    QByteArray path; // the existing file's own name, with no link in it; else the name to make
    int file = -1;   // an O_PATH descriptor of the existing file, else -1
    QString error;
};

// Finds the file that a write to path replaces or makes. An existing file is
// opened through the kernel, which follows links by its own rules (what
// fs.protected_symlinks forbids fails here as it does for every program),
// and its name is the one the kernel gives the descriptor. A link to a name
// that does not exist yet names the file to make: the kernel follows no such
// link for us, so its rule is applied here, link by link.
Target findTarget(const QByteArray &path)
{
    Target target;
    QByteArray current = path;
    // As many links as the kernel follows in one lookup.
    for (int links = 0; links <= 40; ++links) {
        const int fd = ::open(current.constData(), O_PATH | O_CLOEXEC);
        if (fd >= 0) {
            QByteArray name;
            if (!readLink(procName(fd), &name) || !name.startsWith('/')) {
                target.error = errnoText(errno);
                ::close(fd);
                return target;
            }
            target.path = name;
            target.file = fd;
            return target;
        }
        struct stat info {};
        if (errno != ENOENT || ::lstat(current.constData(), &info) != 0) {
            if (errno == ENOENT)
                target.path = current; // a name to make
            else
                target.error = errnoText(errno);
            return target;
        }
        if (!S_ISLNK(info.st_mode)) { // the name appeared meanwhile
            target.error = errnoText(EAGAIN);
            return target;
        }
        if (!mayFollow(current, info)) {
            target.error = QStringLiteral("a link that another account left in a shared folder "
                                          "is not followed");
            return target;
        }
        QByteArray link;
        if (!readLink(current, &link)) {
            target.error = errnoText(errno);
            return target;
        }
        current = link.startsWith('/') ? link : folderOf(current) + '/' + link;
    }
    target.error = errnoText(ELOOP);
    return target;
}

// Creates a file of our own in the folder, named after the target with a
// random ending, so that no other file is ever opened or truncated. -1 with
// errno set when the folder takes no new file. (mkstemp would create it
// 0600: a new file without a mode of its own must get what the umask gives,
// and only the kernel applies the umask without changing it for the whole
// process.)
int createTemporaryFile(int folder, const QByteArray &target, mode_t mode, QByteArray *name)
{
    QByteArray base = target;
    // A hidden name, within the longest name a folder entry may have.
    base.truncate(NAME_MAX - 8);
    const QByteArray stem = "." + base + '.';
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray candidate = stem;
        for (int i = 0; i < 6; ++i)
            candidate += letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)];
        const int fd =
            ::openat(folder, candidate.constData(),
                     O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, mode);
        if (fd >= 0) {
            *name = candidate;
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    errno = EEXIST;
    return -1;
}

constexpr char accessAcl[] = "system.posix_acl_access";

// The access ACL of the file behind an O_PATH descriptor into *acl, empty
// when it has none. False when it has one that cannot be read.
bool readAccessAcl(int file, QByteArray *acl)
{
    QByteArray buffer(XATTR_SIZE_MAX, Qt::Uninitialized);
    const ssize_t size =
        ::getxattr(procName(file).constData(), accessAcl, buffer.data(), size_t(buffer.size()));
    if (size < 0)
        return errno == ENODATA || errno == ENOTSUP;
    *acl = buffer.left(size);
    return true;
}

// Gives the new file, still empty and owner-only, its access: the mode, the
// old file's group (old set) and the access ACL of aclFrom, an O_PATH
// descriptor (-1 for none). What cannot be carried over narrows the access
// and never widens it: without the old group or its ACL, the group and others
// get nothing. False with errno set when the mode cannot be set.
bool grantAccess(int fd, mode_t mode, const struct stat *old, int aclFrom)
{
    bool narrow = false;
    struct stat now {};
    if (old && (::fstat(fd, &now) != 0 ||
                (now.st_gid != old->st_gid && ::fchown(fd, uid_t(-1), old->st_gid) != 0)))
        narrow = true;
    QByteArray acl;
    if (aclFrom >= 0 && !narrow && !readAccessAcl(aclFrom, &acl))
        narrow = true;
    // The ACL sets the mode bits with it.
    if (!acl.isEmpty() && !narrow &&
        ::fsetxattr(fd, accessAcl, acl.constData(), size_t(acl.size()), 0) == 0)
        return true;
    narrow = narrow || !acl.isEmpty();
    // No ACL but what the mode says: one handed down by the folder would let
    // others in as soon as the mode opens the group bits.
    if (::fremovexattr(fd, accessAcl) != 0 && errno != ENODATA && errno != ENOTSUP)
        narrow = true;
    return ::fchmod(fd, narrow ? mode & ~mode_t(077) : mode) == 0;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    size_t left = size_t(bytes.size());
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        data += written;
        left -= size_t(written);
    }
    return true;
}

// Closes a descriptor when it goes.
struct Descriptor {
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int fd;
};
} // namespace

WriteResult writeFileAtomically(const QByteArray &path, const QByteArray &bytes,
                                std::optional<mode_t> mode)
{
    WriteResult result;
    if (path.isEmpty()) {
        result.error = QStringLiteral("no file named");
        return result;
    }
    const Target target = findTarget(path);
    const Descriptor oldFile(target.file);
    if (!target.error.isEmpty()) {
        result.error = describe(path, target.error);
        return result;
    }
    struct stat old {};
    const bool exists = oldFile.fd >= 0;
    if (exists && ::fstat(oldFile.fd, &old) != 0) {
        result.error = describe(path, errnoText(errno));
        return result;
    }
    if (exists && S_ISDIR(old.st_mode)) {
        result.error = describe(path, QStringLiteral("is a folder"));
        return result;
    }
    // A FIFO may stand where the file is expected and is replaced like a file;
    // a device node or a socket is never something to replace.
    if (exists && !S_ISREG(old.st_mode) && !S_ISFIFO(old.st_mode)) {
        result.error = describe(path, QStringLiteral("not a regular file"));
        return result;
    }
    // From here on the folder is held, and the file is named within it.
    const QByteArray name = target.path.mid(target.path.lastIndexOf('/') + 1);
    const Descriptor folder(
        ::open(folderOf(target.path).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (folder.fd < 0) {
        result.error = describe(path, errnoText(errno));
        return result;
    }
    struct stat entry {};
    if (exists && (::fstatat(folder.fd, name.constData(), &entry, AT_SYMLINK_NOFOLLOW) != 0 ||
                   entry.st_dev != old.st_dev || entry.st_ino != old.st_ino)) {
        result.error = describe(path, QStringLiteral("the file changed while being replaced"));
        return result;
    }
    // Without a mode of its own, a new file is created as any program would
    // create it: 0666 less the umask, which the kernel applies. Otherwise it
    // is made owner-only and opened up only once its group is right.
    const bool exactMode = mode || exists;
    const mode_t newMode = mode ? *mode : exists ? (old.st_mode & 0777) : 0666;

    QByteArray temporary;
    const int fd =
        createTemporaryFile(folder.fd, name, exactMode ? newMode & 0700 : newMode, &temporary);
    if (fd < 0) {
        result.error = describe(path, errnoText(errno));
        return result;
    }
    const auto fail = [&](int why) {
        result.error = describe(path, errnoText(why));
        ::unlinkat(folder.fd, temporary.constData(), 0);
        return result;
    };
    // Set before the first byte, so that a secret never sits in a file that
    // others may read, whatever the umask let through. The old file's group
    // stays; its ACL goes with its mode, while a mode given is the whole
    // access.
    if (exactMode && !grantAccess(fd, newMode, exists ? &old : nullptr, mode ? -1 : oldFile.fd)) {
        const int why = errno;
        ::close(fd);
        return fail(why);
    }
    // Every write checked, then the bytes on the disk before the rename: a
    // full disk or the file-size limit must never put a cut file in place. A
    // file system that has no syncing to offer (EINVAL, ENOSYS) keeps the
    // bytes as well as it can; any other failure to sync is lost data.
    if (!writeAll(fd, bytes) || (::fsync(fd) != 0 && errno != EINVAL && errno != ENOSYS)) {
        const int why = errno;
        ::close(fd);
        return fail(why);
    }
    if (::close(fd) != 0)
        return fail(errno);
    if (::renameat(folder.fd, temporary.constData(), folder.fd, name.constData()) != 0)
        return fail(errno);
    // The new name on the disk too; a folder that cannot be opened or synced
    // still holds the file, so this is not a failure.
    const Descriptor readable(::openat(folder.fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (readable.fd >= 0)
        ::fsync(readable.fd);
    result.ok = true;
    return result;
}

bool removeFile(const QByteArray &path)
{
    if (path.isEmpty())
        return false;
    struct stat info {};
    // Only what a program writes as a file: never a folder, nor a FIFO or a
    // device node that a path happened to name.
    if (::lstat(path.constData(), &info) != 0 || !(S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)))
        return false;
    return ::unlink(path.constData()) == 0;
}

} // namespace zan
