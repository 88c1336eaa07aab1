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
// Closes a descriptor when it goes; a moved one passes it on.
struct Descriptor {
    explicit Descriptor(int fd = -1) : fd(fd) {}
    Descriptor(Descriptor &&other) noexcept : fd(std::exchange(other.fd, -1)) {}
    Descriptor &operator=(Descriptor &&other) noexcept
    {
        std::swap(fd, other.fd);
        return *this;
    }
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    int fd;
};

// As many links as the kernel follows in one lookup.
constexpr int maximumLinks = 40;

// The text of the symbolic link behind an O_PATH descriptor; false with
// errno set.
bool readLink(int link, QByteArray *text)
{
    QByteArray buffer(PATH_MAX, Qt::Uninitialized);
    const ssize_t length = ::readlinkat(link, "", buffer.data(), size_t(buffer.size()));
    if (length < 0)
        return false;
    if (length >= buffer.size()) {
        errno = ENAMETOOLONG;
        return false;
    }
    buffer.truncate(length);
    *text = buffer;
    return true;
}

// Whether a link (info from lstat) in a folder (a descriptor) may be
// followed: a link in a folder that everyone may write to and only owners
// delete from, as /tmp, is followed only when it is ours or the folder
// owner's. Any other account could point a name that we are about to write
// at a file of ours. This is the rule the kernel applies to every lookup
// under fs.protected_symlinks, which is off on many machines.
bool mayFollow(int folder, const struct stat &link)
{
    if (link.st_uid == ::geteuid())
        return true;
    struct stat info {};
    if (::fstat(folder, &info) != 0)
        return false;
    const mode_t shared = S_ISVTX | S_IWOTH;
    return (info.st_mode & shared) != shared || info.st_uid == link.st_uid;
}

// Puts the names that a path is made of on the stack, the first on top. A
// path that ends in a slash names a folder, as one that ends in "." does.
void pushNames(const QByteArray &path, QByteArrayList *stack)
{
    QByteArrayList names = path.split('/');
    names.removeAll(QByteArray());
    if (names.isEmpty() || path.endsWith('/'))
        names.append(QByteArrayLiteral("."));
    for (qsizetype i = names.size(); i-- > 0;)
        stack->append(names.at(i));
}

struct Target {
    Descriptor folder; // the folder that holds the file, or is to hold it
    QByteArray name;   // the file's name in that folder, never a link
    Descriptor file;   // an O_PATH descriptor of the existing file, else none
    QString error;
};

// Walks the path a name at a time, each opened without following a link, so
// that every link on the way, to a folder or at the end, meets the rule
// above before it is followed here. The walk ends at the folder and the name
// of the file, without asking /proc for them; a link to a name that does not
// exist yet names the file to make. Returns why not, when it cannot get there.
QString walk(const QByteArray &path, Target *target)
{
    QByteArrayList names;
    pushNames(path, &names);
    Descriptor folder(::open(path.startsWith('/') ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (folder.fd < 0)
        return errnoText(errno);
    int links = 0;
    while (!names.isEmpty()) {
        const QByteArray name = names.takeLast();
        const bool last = names.isEmpty();
        // A folder on the way is opened as one, so that an automounted folder
        // is mounted; a link there is then "not a folder" and opened as such.
        int fd = -1;
        if (!last)
            fd = ::openat(folder.fd, name.constData(),
                          O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (last || (fd < 0 && errno == ENOTDIR))
            fd = ::openat(folder.fd, name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
        Descriptor entry(fd);
        if (entry.fd < 0) {
            if (errno != ENOENT || !last)
                return errnoText(errno);
            target->folder = std::move(folder);
            target->name = name;
            return {};
        }
        struct stat info {};
        if (::fstat(entry.fd, &info) != 0)
            return errnoText(errno);
        if (S_ISLNK(info.st_mode)) {
            if (++links > maximumLinks)
                return errnoText(ELOOP);
            if (!mayFollow(folder.fd, info))
                return QStringLiteral("a link that another account left in a shared folder "
                                      "is not followed");
            QByteArray text;
            if (!readLink(entry.fd, &text))
                return errnoText(errno);
            if (text.startsWith('/')) {
                folder = Descriptor(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
                if (folder.fd < 0)
                    return errnoText(errno);
            }
            pushNames(text, &names);
        } else if (last) {
            target->folder = std::move(folder);
            target->name = name;
            target->file = std::move(entry);
            return {};
        } else if (!S_ISDIR(info.st_mode)) {
            return errnoText(ENOTDIR);
        } else {
            folder = std::move(entry);
        }
    }
    return errnoText(ENOENT);
}

bool sameFile(const struct stat &one, const struct stat &other)
{
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

const QString changedMeanwhile = QStringLiteral("the file changed while being replaced");

// Finds the file that a write to path replaces or makes: the walk above,
// then the kernel's own lookup of the name, with whatever rules it has for
// links. Where the kernel refuses, so does the write, and it must find what
// the walk found. It finds a file where the walk finds none when a name
// such as /dev/stdout leads through /proc to a pipe, which has no name to
// replace.
Target findTarget(const QByteArray &path)
{
    Target target;
    target.error = walk(path, &target);
    if (!target.error.isEmpty())
        return target;
    const Descriptor kernel(::open(path.constData(), O_PATH | O_CLOEXEC));
    struct stat found {};
    if (kernel.fd < 0 || ::fstat(kernel.fd, &found) != 0) {
        if (errno != ENOENT)
            target.error = errnoText(errno);
        else if (target.file.fd >= 0)
            target.error = changedMeanwhile;
        return target;
    }
    struct stat walked {};
    if (target.file.fd >= 0 && ::fstat(target.file.fd, &walked) == 0 && sameFile(walked, found))
        return target;
    if (S_ISFIFO(found.st_mode))
        target.error = QStringLiteral("a pipe, not a file");
    else if (!S_ISREG(found.st_mode) && !S_ISDIR(found.st_mode))
        target.error = QStringLiteral("not a regular file");
    else
        target.error = changedMeanwhile;
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

QByteArray procName(int fd)
{
    return "/proc/self/fd/" + QByteArray::number(fd);
}

// The access ACL of the existing file into *acl, empty when it has none.
// False when it has one that cannot be read. An O_PATH descriptor has no
// attributes to read but by its name in /proc; where /proc is not mounted,
// the file is opened for reading to ask it, which a file that we may not
// read refuses.
bool readAccessAcl(const Target &target, QByteArray *acl)
{
    QByteArray buffer(XATTR_SIZE_MAX, Qt::Uninitialized);
    ssize_t size = ::getxattr(procName(target.file.fd).constData(), accessAcl, buffer.data(),
                              size_t(buffer.size()));
    if (size < 0 && errno == ENOENT) {
        const Descriptor readable(
            ::openat(target.folder.fd, target.name.constData(),
                     O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat opened {
        }, found{};
        if (readable.fd < 0 || ::fstat(readable.fd, &opened) != 0 ||
            ::fstat(target.file.fd, &found) != 0 || !sameFile(opened, found))
            return false;
        size = ::fgetxattr(readable.fd, accessAcl, buffer.data(), size_t(buffer.size()));
    }
    if (size < 0)
        return errno == ENODATA || errno == ENOTSUP;
    *acl = buffer.left(size);
    return true;
}

// Gives the new file, still empty and owner-only, its access: the mode, the
// old file's group (old set) and the access ACL of aclFrom (none when
// null). What cannot be carried over narrows the access
// and never widens it: without the old group or its ACL, the group and others
// get nothing. False with errno set when the mode cannot be set.
bool grantAccess(int fd, mode_t mode, const struct stat *old, const Target *aclFrom)
{
    bool narrow = false;
    struct stat now {};
    if (old && (::fstat(fd, &now) != 0 ||
                (now.st_gid != old->st_gid && ::fchown(fd, uid_t(-1), old->st_gid) != 0)))
        narrow = true;
    QByteArray acl;
    if (aclFrom && !narrow && !readAccessAcl(*aclFrom, &acl))
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
    if (!target.error.isEmpty()) {
        result.error = describe(path, target.error);
        return result;
    }
    struct stat old {};
    const bool exists = target.file.fd >= 0;
    if (exists && ::fstat(target.file.fd, &old) != 0) {
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
    const int folder = target.folder.fd;
    const QByteArray &name = target.name;
    struct stat entry {};
    if (exists && (::fstatat(folder, name.constData(), &entry, AT_SYMLINK_NOFOLLOW) != 0 ||
                   !sameFile(entry, old))) {
        result.error = describe(path, changedMeanwhile);
        return result;
    }
    // Without a mode of its own, a new file is created as any program would
    // create it: 0666 less the umask, which the kernel applies. Otherwise it
    // is made owner-only and opened up only once its group is right.
    const bool exactMode = mode || exists;
    const mode_t newMode = mode ? *mode : exists ? (old.st_mode & 0777) : 0666;

    QByteArray temporary;
    const int fd =
        createTemporaryFile(folder, name, exactMode ? newMode & 0700 : newMode, &temporary);
    if (fd < 0) {
        result.error = describe(path, errnoText(errno));
        return result;
    }
    const auto fail = [&](int why) {
        result.error = describe(path, errnoText(why));
        ::unlinkat(folder, temporary.constData(), 0);
        return result;
    };
    // Set before the first byte, so that a secret never sits in a file that
    // others may read, whatever the umask let through. The old file's group
    // stays; its ACL goes with its mode, while a mode given is the whole
    // access.
    if (exactMode && !grantAccess(fd, newMode, exists ? &old : nullptr, mode ? nullptr : &target)) {
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
    if (::renameat(folder, temporary.constData(), folder, name.constData()) != 0)
        return fail(errno);
    // The new name on the disk too; a folder that cannot be opened or synced
    // still holds the file, so this is not a failure.
    const Descriptor readable(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
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
