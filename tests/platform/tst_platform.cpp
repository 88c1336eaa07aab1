// SPDX-License-Identifier: MIT
// The layer both programs share: how a file is read whole and replaced, the
// message that ends a startup sequence and the line that says no display
// could be opened.
#include "Files.h"
#include "GuiStartup.h"
#include "TestSupport.h"
#include "WindowActivation.h"

#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <dirent.h>
#include <grp.h>
#include <optional>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace {
// The names in a folder, as bytes, hidden ones included.
QByteArrayList entries(const QByteArray &folder)
{
    QByteArrayList names;
    if (DIR *dir = ::opendir(folder.constData())) {
        while (const dirent *entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != "..")
                names.append(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

QByteArray contentAt(const QByteArray &path)
{
    const zan::ReadResult file = zan::readWholeFile(path);
    return file.data.value_or(QByteArray("<unreadable>"));
}

// The groups we are in.
QList<gid_t> ourGroups()
{
    QList<gid_t> groups(std::max(::getgroups(0, nullptr), 0));
    groups.resize(std::max(::getgroups(int(groups.size()), groups.data()), 0));
    groups.append(::getegid());
    return groups;
}

// A group of ours other than the one a new file gets; -1 when there is none.
gid_t anotherGroup()
{
    if (::geteuid() == 0)
        return 4242;
    for (const gid_t group : ourGroups())
        if (group != ::getegid())
            return group;
    return gid_t(-1);
}

// An access ACL as the kernel stores it, entries of tag, permissions and id
// (little-endian): the owner rw, user 4242 r, the group r, the mask rw, others
// nothing; the mode 0660.
const QByteArray sampleAcl =
    QByteArray::fromHex("02000000 01000600ffffffff 0200040092100000 04000400ffffffff "
                        "10000600ffffffff 20000000ffffffff");

// Writes as zan::writeFileAtomically does, in a child process that sees no
// /proc: a mount namespace of its own (in a user namespace of its own for an
// ordinary account, where it stays itself) with an empty file system over
// /proc, as some sandboxes and build roots have it. Unset when this machine
// lets us make no such namespace.
std::optional<zan::WriteResult> writeWithoutProc(const QByteArray &path, const QByteArray &bytes)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return std::nullopt;
    const QByteArray uid = QByteArray::number(::geteuid());
    const QByteArray gid = QByteArray::number(::getegid());
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        const auto put = [](const char *name, const QByteArray &text) {
            const int fd = ::open(name, O_WRONLY | O_CLOEXEC);
            const bool ok = fd >= 0 && ::write(fd, text.constData(), size_t(text.size())) ==
                                           ssize_t(text.size());
            if (fd >= 0)
                ::close(fd);
            return ok;
        };
        const bool alone = ::geteuid() == 0
                               ? ::unshare(CLONE_NEWNS) == 0
                               : ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0 &&
                                     put("/proc/self/setgroups", "deny") &&
                                     put("/proc/self/uid_map", uid + ' ' + uid + " 1") &&
                                     put("/proc/self/gid_map", gid + ' ' + gid + " 1");
        if (!alone || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("none", "/proc", "tmpfs", MS_NOSUID | MS_NODEV | MS_NOEXEC, nullptr) != 0 ||
            ::access("/proc/self", F_OK) == 0)
            ::_exit(2);
        const zan::WriteResult written = zan::writeFileAtomically(path, bytes);
        const QByteArray report = (written.ok ? "1" : "0") + written.error.toUtf8();
        const bool sent = ::write(channel[1], report.constData(), size_t(report.size())) ==
                          ssize_t(report.size());
        ::_exit(sent ? 0 : 3);
    }
    ::close(channel[1]);
    QByteArray report;
    char buffer[512];
    ssize_t got = 0;
    while (child > 0 &&
           ((got = ::read(channel[0], buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR)))
        report.append(buffer, std::max<ssize_t>(got, 0));
    ::close(channel[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return std::nullopt;
    zan::WriteResult result;
    result.ok = report.startsWith('1');
    result.error = QString::fromUtf8(report.mid(1));
    return result;
}

// Root acting as another account with no supplementary group for a while.
class ActingAs {
public:
    ActingAs(uid_t uid, gid_t gid) : m_groups(size_t(std::max(::getgroups(0, nullptr), 0)))
    {
        ::getgroups(int(m_groups.size()), m_groups.data());
        m_ok = ::setgroups(0, nullptr) == 0 && ::setegid(gid) == 0 && ::seteuid(uid) == 0;
    }
    ~ActingAs()
    {
        if (::seteuid(0) != 0 || ::setegid(0) != 0 ||
            ::setgroups(m_groups.size(), m_groups.data()) != 0)
            qFatal("cannot become root again");
    }
    bool m_ok = false;

private:
    std::vector<gid_t> m_groups;
};
} // namespace

class TestPlatform : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readWhole_data();
    void readWhole();
    void fileReplaced_data();
    void fileReplaced();
    void startupRemoveMessage_data();
    void startupRemoveMessage();
    void startupFailure();
    void startupMessages_data();
    void startupMessages();
    void startupEnds_data();
    void startupEnds();
};

// What a whole-file read takes and what it refuses, the size limit to the
// byte; anything but a regular file is refused without blocking.
void TestPlatform::readWhole_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<qint64>("maxBytes");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("reason"); // a part of the error
    QTest::newRow("exactly the limit: read whole") << "5 bytes" << qint64(5) << true << "";
    QTest::newRow("one byte over the limit: refused")
        << "6 bytes" << qint64(5) << false << "file too large";
    QTest::newRow("empty file") << "0 bytes" << qint64(5) << true << "";
    QTest::newRow("a FIFO without a writer")
        << "fifo" << qint64(5) << false << "not a regular file";
    QTest::newRow("a folder") << "folder" << qint64(5) << false << "is a folder";
    QTest::newRow("missing") << "missing" << qint64(5) << false << "No such file";
}

void TestPlatform::readWhole()
{
    QFETCH(QString, what);
    QFETCH(qint64, maxBytes);
    QFETCH(bool, ok);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QByteArray path = zantest::native(dir.filePath(QStringLiteral("file")));
    const QByteArray content = QByteArray("123456").left(what.section(' ', 0, 0).toInt());
    if (what.endsWith("bytes"))
        QVERIFY(zantest::writeBytes(dir.filePath(QStringLiteral("file")), content));
    else if (what == "fifo")
        QCOMPARE(::mkfifo(path.constData(), 0600), 0);
    else if (what == "folder")
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("file")));
    const zan::ReadResult file = zan::readWholeFile(path, maxBytes);
    QCOMPARE(file.data.has_value(), ok);
    if (ok) {
        QCOMPARE(*file.data, content);
        return;
    }
    QVERIFY2(file.error.contains(zan::displayPath(path)) && file.error.contains(reason),
             qPrintable(file.error));
}

// A file is replaced as mv does it: the new content in a file of its own in
// the same folder, renamed over the old one. So the file itself need not be
// writable, as zanlauncher's files for an ordinary user often are not; the
// mode stays what it was; a link leads to the file replaced; a name that is
// not UTF-8 is that name.
void TestPlatform::fileReplaced_data()
{
    QTest::addColumn<QString>("before"); // what the name is before the write
    QTest::addColumn<int>("given");      // the mode the caller gives, or -1
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("mode");       // of the file written
    QTest::addColumn<QString>("reason"); // a part of the error, when refused
    QTest::newRow("a read-only list (0444) keeps its mode")
        << "file 0444" << -1 << true << 0444 << "";
    QTest::newRow("an owner-only list (0600) keeps its mode")
        << "file 0600" << -1 << true << 0600 << "";
    QTest::newRow("a new file: 0666 less the umask") << "nothing" << -1 << true << 0640 << "";
    QTest::newRow("a symbolic link: the file it names is replaced")
        << "link" << -1 << true << 0444 << "";
    QTest::newRow("a dangling link: the file it names is made")
        << "dangling" << -1 << true << 0640 << "";
    QTest::newRow("a loop of links: refused") << "loop" << -1 << false << 0 << "symbolic links";
    QTest::newRow("a folder: refused") << "folder" << -1 << false << 0 << "is a folder";
    QTest::newRow("a name in Latin-1: exactly those bytes") << "latin1" << -1 << true << 0640 << "";
    // The disk (here the file size limit) takes fewer bytes than written:
    // nothing is committed, the old file stays whole.
    QTest::newRow("a write cut short: refused")
        << "file 0644 cut" << -1 << false << 0 << "File too large";
    // What /dev/stdout names when the output goes to a pipe: no file to
    // replace, and the error says so.
    QTest::newRow("a pipe named through /dev/fd: refused")
        << "pipe" << -1 << false << 0 << "a pipe";
    QTest::newRow("a socket named through /dev/fd: refused")
        << "socket" << -1 << false << 0 << "not a regular file";
    // A link in a folder such as /tmp is followed only when it is ours or the
    // folder owner's, by our own rule whatever fs.protected_symlinks says;
    // the kernel's rule, where on, comes after it. These hold for root too.
    const QString foreign = QStringLiteral("another account");
    QTest::newRow("another account's link in a shared folder: refused")
        << "shared: foreign link" << -1 << false << 0 << foreign;
    QTest::newRow("another account's dangling link in a shared folder: refused")
        << "shared: foreign dangling" << -1 << false << 0 << foreign;
    QTest::newRow("another account's link to a folder, in a shared folder: refused")
        << "shared: foreign folder link" << -1 << false << 0 << foreign;
    QTest::newRow("our own link in a shared folder: followed")
        << "shared: own link" << -1 << true << 0444 << "";
    // The access that the file gave stays with it, or narrows.
    QTest::newRow("a group-shared file (0660) keeps its group")
        << "file 0660 group" << -1 << true << 0660 << "";
    QTest::newRow("the group cannot be kept: nothing for the group and others")
        << "file 0660 group not ours" << -1 << true << 0600 << "";
    QTest::newRow("the group cannot be kept: nothing for others either")
        << "file 0604 group not ours" << -1 << true << 0600 << "";
    QTest::newRow("an access ACL is kept") << "file 0600 acl" << -1 << true << 0660 << "";
    // A credential's mode is its whole access.
    QTest::newRow("a mode given (0600): the old file's ACL goes")
        << "file 0600 acl" << 0600 << true << 0600 << "";
    QTest::newRow("a mode given (0600): the folder's default ACL does not stay")
        << "nothing, default acl" << 0600 << true << 0600 << "";
    // Some sandboxes and build roots mount no /proc.
    QTest::newRow("without /proc: a symbolic link is followed")
        << "link, no proc" << -1 << true << 0444 << "";
    QTest::newRow("without /proc: an access ACL is kept")
        << "file 0600 acl, no proc" << -1 << true << 0660 << "";
}

void TestPlatform::fileReplaced()
{
    QFETCH(QString, before);
    QFETCH(int, given);
    QFETCH(bool, ok);
    QFETCH(int, mode);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QByteArray folder = zantest::native(dir.path());
    QByteArray path = folder + "/list.json";
    QByteArray file = path; // what holds the content after the write
    if (before.startsWith("file")) {
        QVERIFY(zantest::writeBytes(dir.filePath("list.json"), "old"));
        QCOMPARE(::chmod(path.constData(),
                         mode_t(before.section(QLatin1Char(' '), 1, 1).toInt(nullptr, 8))),
                 0);
    }
    const bool root = ::geteuid() == 0;
    const bool notOurs = before.endsWith("not ours");
    const gid_t group = before.contains("group") ? anotherGroup() : gid_t(-1);
    if (notOurs && !root) {
        // An ordinary account gets a file of a group that it is not in from
        // a folder that hands that group down (set-group-ID); .ci/run makes
        // one. Renamed, the file keeps its group.
        const QByteArray handing = qgetenv("ZAN_TEST_OTHER_GROUP_FOLDER");
        if (handing.isEmpty())
            QSKIP("a file of a group we are not in needs root, or a folder that hands one "
                  "down (ZAN_TEST_OTHER_GROUP_FOLDER)");
        const QByteArray made = handing + "/list." + QByteArray::number(::getpid());
        QVERIFY(zantest::writeBytes(QFile::decodeName(made), "old"));
        QCOMPARE(::rename(made.constData(), path.constData()), 0);
        QCOMPARE(::chmod(path.constData(), mode_t(before.section(' ', 1, 1).toInt(nullptr, 8))), 0);
        struct stat old {};
        QCOMPARE(::stat(path.constData(), &old), 0);
        QVERIFY2(!ourGroups().contains(old.st_gid), "the folder handed down a group of ours");
    } else if (before.contains("group")) {
        if (group == gid_t(-1))
            QSKIP("no group of ours but the one a new file gets");
        QCOMPARE(::chown(path.constData(), notOurs ? 4243 : uid_t(-1), group), 0);
        if (notOurs)
            QCOMPARE(::chown(folder.constData(), 4243, group), 0);
    }
    if (before.contains("acl, no proc") && ::geteuid() != 0)
        QSKIP("an ordinary account sees no other account's ACL entry without /proc: its "
              "namespace maps only itself");
    const char *const aclName =
        before.contains("default acl") ? "system.posix_acl_default" : "system.posix_acl_access";
    if (before.contains("acl") &&
        ::setxattr(before.contains("default") ? folder.constData() : path.constData(), aclName,
                   sampleAcl.constData(), size_t(sampleAcl.size()), 0) != 0)
        QSKIP("this file system takes no ACL");
    int pipe[2] = {-1, -1};
    const auto closePipe = qScopeGuard([&] {
        for (const int end : pipe)
            if (end >= 0)
                ::close(end);
    });
    if (before.startsWith("shared")) {
        const bool foreign = before.contains("foreign");
        if (foreign && ::geteuid() != 0)
            QSKIP("planting another account's link needs root");
        const QByteArray shared = folder + "/shared";
        QCOMPARE(::mkdir(shared.constData(), 0700), 0);
        QCOMPARE(::chmod(shared.constData(), 01777), 0);
        path = shared + "/list.json";
        file = folder + (before.endsWith("dangling") ? "/made.json" : "/target.json");
        QByteArray link = path;
        if (before.endsWith("folder link")) {
            // The link names a folder of ours that holds the file.
            QCOMPARE(::mkdir(QByteArray(folder + "/box").constData(), 0700), 0);
            link = shared + "/box";
            path = link + "/target.json";
            file = folder + "/box/target.json";
        }
        if (!before.endsWith("dangling")) {
            QVERIFY(zantest::writeBytes(QFile::decodeName(file), "old"));
            QCOMPARE(::chmod(file.constData(), 0444), 0);
        }
        const QByteArray linkTarget = link == path ? file : folder + "/box";
        QCOMPARE(::symlink(linkTarget.constData(), link.constData()), 0);
        if (foreign)
            QVERIFY(::chown(shared.constData(), 4242, 4242) == 0 &&
                    ::lchown(link.constData(), 4243, 4243) == 0);
    } else if (before.startsWith("link")) {
        file = folder + "/target.json";
        QVERIFY(zantest::writeBytes(dir.filePath("target.json"), "old"));
        QCOMPARE(::chmod(file.constData(), 0444), 0);
        QCOMPARE(::symlink("target.json", path.constData()), 0);
    } else if (before == "dangling") {
        file = folder + "/made.json";
        QCOMPARE(::symlink("made.json", path.constData()), 0);
    } else if (before == "loop") {
        QCOMPARE(::symlink("list.json", path.constData()), 0);
    } else if (before == "folder") {
        QVERIFY(QDir(dir.path()).mkdir("list.json"));
    } else if (before == "latin1") {
        path = file = folder + "/caf\xe9";
    } else if (before == "pipe" || before == "socket") {
        QCOMPARE(before == "pipe" ? ::pipe(pipe) : ::socketpair(AF_UNIX, SOCK_STREAM, 0, pipe), 0);
        path = "/dev/fd/" + QByteArray::number(pipe[1]);
    }
    // QTemporaryDir finds a name that is not UTF-8 by its decoded form, which
    // names nothing; this one goes by its bytes.
    const auto removeLatin1 =
        qScopeGuard([&] { ::unlink(QByteArray(folder + "/caf\xe9").constData()); });
    const QByteArrayList namesBefore = entries(folder);

    const mode_t previousMask = ::umask(027);
    zan::WriteResult written;
    std::optional<zan::WriteResult> withoutProc;
    {
        const zantest::FileSizeLimit limit(before.endsWith("cut") ? 2 : RLIM_INFINITY);
        std::optional<ActingAs> actor;
        if (notOurs && root)
            QVERIFY(actor.emplace(4243, 4244).m_ok);
        const std::optional<mode_t> givenMode =
            given < 0 ? std::nullopt : std::optional<mode_t>(mode_t(given));
        if (before.endsWith("no proc"))
            withoutProc = writeWithoutProc(path, "new");
        else
            written = zan::writeFileAtomically(path, "new", givenMode);
        if (withoutProc)
            written = *withoutProc;
    }
    ::umask(previousMask);
    if (before.endsWith("no proc") && !withoutProc)
        QSKIP("no mount namespace of our own here, so no way to hide /proc");
    QCOMPARE(written.ok, ok);
    if (!ok) {
        QVERIFY2(written.error.contains(zan::displayPath(path)) && written.error.contains(reason),
                 qPrintable(written.error));
        QCOMPARE(entries(folder), namesBefore);
        if (before.startsWith("file") || before.endsWith("link"))
            QCOMPARE(contentAt(file), QByteArray("old"));
        return;
    }
    QVERIFY2(written.error.isEmpty(), qPrintable(written.error));
    QCOMPARE(contentAt(file), QByteArray("new"));
    QCOMPARE(zantest::permissionBits(file), mode_t(mode));
    struct stat link {};
    QCOMPARE(::lstat(path.constData(), &link), 0);
    QCOMPARE(S_ISLNK(link.st_mode), file != path);
    if (before.endsWith(" group"))
        QCOMPARE(link.st_gid, group);
    // The old file's ACL only where no mode was given; else none at all.
    QByteArray acl(100, 0);
    acl.truncate(std::max<ssize_t>(
        ::getxattr(file.constData(), "system.posix_acl_access", acl.data(), 100), 0));
    const bool aclKept = before.startsWith("file") && before.contains("acl") && given < 0;
    QCOMPARE(acl, aclKept ? sampleAcl : QByteArray());
    // The one name written, and no temporary file left beside it.
    QByteArrayList expected = namesBefore;
    if (!expected.contains(file.mid(folder.size() + 1)))
        expected.append(file.mid(folder.size() + 1));
    std::sort(expected.begin(), expected.end());
    QCOMPARE(entries(folder), expected);
}

void TestPlatform::startupRemoveMessage_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("GIO startup ID") << "gio-1234-host-xdg-open-0_TIME5678"
                                    << QByteArray("remove: ID=gio-1234-host-xdg-open-0_TIME5678");
    // A space would end the value and start a key of the sender's choosing.
    QTest::newRow("space, quote, backslash")
        << "a b\"c\\" << QByteArray("remove: ID=a\\ b\\\"c\\\\");
    QTest::newRow("non-ASCII as UTF-8")
        << QString::fromUtf8("zän") << QByteArray("remove: ID=z\xc3\xa4n");
}

void TestPlatform::startupRemoveMessage()
{
    QFETCH(QString, id);
    QFETCH(QByteArray, message);
    QCOMPARE(zan::startupRemoveMessage(id), message);
}

// Qt's fatal start-up message becomes one log line that names the reasons Qt
// gave before it, or else the fatal message's first line.
void TestPlatform::startupFailure()
{
    const QString fatal = QStringLiteral("Nothing could start.\n\nPlugins are: xcb.");
    QCOMPARE(zan::startupFailureEntry({"could not connect to display ", "Could not load\n\"xcb\""},
                                      fatal, QStringLiteral("none shown.")),
             QStringLiteral("No display could be opened (could not connect to display; Could not "
                            "load \"xcb\"); none shown."));
    QCOMPARE(zan::startupFailureEntry({}, fatal, QStringLiteral("none shown.")),
             QStringLiteral("No display could be opened (Nothing could start.); none shown."));
}

namespace {
// What reached the handler that was installed before start-up.
QStringList &handedOn()
{
    static QStringList messages;
    return messages;
}

void recordMessage(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    handedOn().append(QStringLiteral("%1:%2").arg(int(type)).arg(text));
}
} // namespace

// Messages Qt writes while it starts wait until it has started, then reach
// the handler that was there before, in their order; later ones go there at
// once.
void TestPlatform::startupMessages_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("held ones handed on") << QStringList{"first", "second"} << QStringList{};
    QTest::newRow("later ones not held") << QStringList{} << QStringList{"later"};
    QTest::newRow("both, in order") << QStringList{"early"} << QStringList{"later"};
}

void TestPlatform::startupMessages()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    handedOn().clear();
    const QtMessageHandler outer = qInstallMessageHandler(recordMessage);
    const auto restore = qScopeGuard([outer] { qInstallMessageHandler(outer); });
    QStringList expected;
    struct sigaction abortBefore = {};
    ::sigaction(SIGABRT, nullptr, &abortBefore);
    {
        zan::GuiStartup startup("tst_platform", QStringLiteral("none shown."), 7);
        for (const QString &text : std::as_const(before)) {
            qInfo("%s", qPrintable(text));
            expected.append(QStringLiteral("%1:%2").arg(int(QtInfoMsg)).arg(text));
        }
        QCOMPARE(handedOn(), QStringList());
        startup.started();
        QCOMPARE(handedOn(), expected);
    }
    // An abort after start-up is handled as before it.
    struct sigaction abortAfter = {};
    ::sigaction(SIGABRT, nullptr, &abortAfter);
    QCOMPARE(reinterpret_cast<void *>(abortAfter.sa_handler),
             reinterpret_cast<void *>(abortBefore.sa_handler));
    for (const QString &text : std::as_const(after)) {
        qInfo("%s", qPrintable(text));
        expected.append(QStringLiteral("%1:%2").arg(int(QtInfoMsg)).arg(text));
        QCOMPARE(handedOn(), expected);
    }
}

// How start-up ends in a process of its own, by the messages Qt writes and
// the variables that make them fatal: our one line and our status when Qt
// gives up, Qt's own rules once it has started.
void TestPlatform::startupEnds_data()
{
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QByteArray>("fatalVariable");
    QTest::addColumn<int>("status"); // -1: aborted
    QTest::addColumn<QByteArray>("errors");
    const QByteArray noDisplay =
        "No display could be opened (could not connect to display :99); nothing shown.\n";
    QTest::newRow("fatal message")
        << QStringList{"w:could not connect to display :99", "f:Nothing could start.\n\nReinstall."}
        << QByteArray() << 7 << noDisplay;
    QTest::newRow("warning made fatal")
        << QStringList{"w:could not connect to display :99", "f:never reached"}
        << QByteArray("QT_FATAL_WARNINGS=1") << 7 << noDisplay;
    QTest::newRow("critical made fatal")
        << QStringList{"c:could not connect to display :99", "f:never reached"}
        << QByteArray("QT_FATAL_CRITICALS=1") << 7 << noDisplay;
    // Counted once, as without start-up's holding: the second warning would
    // be fatal, and there is only one.
    QTest::newRow("fatal count not reached")
        << QStringList{"w:one warning"} << QByteArray("QT_FATAL_WARNINGS=2") << 0
        << QByteArray("one warning\n");
    QTest::newRow("started without messages")
        << QStringList{} << QByteArray("QT_FATAL_WARNINGS=1") << 0 << QByteArray();
    // An abort that follows no warning is not Qt's doing: it stays an abort.
    QTest::newRow("other abort during start-up")
        << QStringList{"i:loading", "abort"} << QByteArray() << -1 << QByteArray();
    // Qt's own rule once start-up is over: the warning, then its abort.
    QTest::newRow("warning made fatal after start-up")
        << QStringList{"w:early", "started", "w:late"} << QByteArray("QT_FATAL_WARNINGS=2") << -1
        << QByteArray("early\nlate\n");
}

void TestPlatform::startupEnds()
{
    QFETCH(QStringList, messages);
    QFETCH(QByteArray, fatalVariable);
    QFETCH(int, status);
    QFETCH(QByteArray, errors);
    QProcess helper;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_FATAL_WARNINGS"));
    environment.remove(QStringLiteral("QT_FATAL_CRITICALS"));
    environment.remove(QStringLiteral("QT_MESSAGE_PATTERN"));
    if (!fatalVariable.isEmpty()) {
        const QList<QByteArray> parts = fatalVariable.split('=');
        environment.insert(QString::fromLatin1(parts.at(0)), QString::fromLatin1(parts.at(1)));
    }
    helper.setProcessEnvironment(environment);
    helper.start(QStringLiteral(ZAN_STARTUP_HELPER), messages);
    QVERIFY(helper.waitForFinished(30000));
    const QByteArray stderrText = helper.readAllStandardError();
    if (status < 0) {
        QCOMPARE(helper.exitStatus(), QProcess::CrashExit);
    } else {
        QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
        QCOMPARE(helper.exitCode(), status);
        QCOMPARE(helper.readAllStandardOutput(), status == 0 ? QByteArray("started\n") : "");
    }
    QCOMPARE(stderrText, errors);
}

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
