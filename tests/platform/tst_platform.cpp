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
#include <signal.h>
#include <sys/stat.h>
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

// A group of ours other than the one a new file gets; -1 when there is none.
gid_t anotherGroup()
{
    if (::geteuid() == 0)
        return 4242;
    std::vector<gid_t> groups(size_t(std::max(::getgroups(0, nullptr), 0)));
    groups.resize(size_t(std::max(::getgroups(int(groups.size()), groups.data()), 0)));
    for (const gid_t group : groups)
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
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("mode"); // of the file written
    QTest::newRow("a read-only list (0444) keeps its mode") << "file 0444" << true << 0444;
    QTest::newRow("an owner-only list (0600) keeps its mode") << "file 0600" << true << 0600;
    QTest::newRow("a new file: 0666 less the umask") << "nothing" << true << 0640;
    QTest::newRow("a symbolic link: the file it names is replaced") << "link" << true << 0444;
    QTest::newRow("a dangling link: the file it names is made") << "dangling" << true << 0640;
    QTest::newRow("a loop of links: refused") << "loop" << false << 0;
    QTest::newRow("a folder: refused") << "folder" << false << 0;
    QTest::newRow("a name in Latin-1: exactly those bytes") << "latin1" << true << 0640;
    // The disk (here the file size limit) takes fewer bytes than written:
    // nothing is committed, the old file stays whole.
    QTest::newRow("a write cut short: refused") << "file 0644 cut" << false << 0;
    // A link in a folder such as /tmp is followed only when it is ours or the
    // folder owner's, whether the kernel follows it or we do.
    QTest::newRow("another account's link in a shared folder: refused")
        << "shared: foreign link" << false << 0;
    QTest::newRow("another account's dangling link in a shared folder: refused")
        << "shared: foreign dangling" << false << 0;
    QTest::newRow("our own link in a shared folder: followed")
        << "shared: own link" << true << 0444;
    // The access that the file gave stays with it, or narrows.
    QTest::newRow("a group-shared file (0660) keeps its group")
        << "file 0660 group" << true << 0660;
    QTest::newRow("the group cannot be kept: nothing for the group and others")
        << "file 0660 group not ours" << true << 0600;
    QTest::newRow("an access ACL is kept") << "file 0600 acl" << true << 0660;
}

void TestPlatform::fileReplaced()
{
    QFETCH(QString, before);
    QFETCH(bool, ok);
    QFETCH(int, mode);
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
    const gid_t group = before.contains("group") ? anotherGroup() : gid_t(-1);
    if (before.endsWith("not ours") && ::geteuid() != 0)
        QSKIP("acting as another account needs root");
    if (before.contains("group") && group == gid_t(-1))
        QSKIP("no group of ours but the one a new file gets");
    if (before.contains("group"))
        QCOMPARE(::chown(path.constData(), before.endsWith("ours") ? 4243 : uid_t(-1), group), 0);
    if (before.endsWith("not ours"))
        QCOMPARE(::chown(folder.constData(), 4243, group), 0);
    if (before.endsWith("acl") &&
        ::setxattr(path.constData(), "system.posix_acl_access", sampleAcl.constData(),
                   size_t(sampleAcl.size()), 0) != 0)
        QSKIP("this file system takes no ACL");
    if (before.startsWith("shared")) {
        const bool foreign = before.contains("foreign");
        if (foreign && ::geteuid() != 0)
            QSKIP("planting another account's link needs root");
        if (before.endsWith("foreign link") && contentAt("/proc/sys/fs/protected_symlinks") != "1")
            QSKIP("fs.protected_symlinks is off here: the kernel follows any link");
        const QByteArray shared = folder + "/shared";
        QCOMPARE(::mkdir(shared.constData(), 0700), 0);
        QCOMPARE(::chmod(shared.constData(), 01777), 0);
        path = shared + "/list.json";
        file = folder + (before.endsWith("dangling") ? "/made.json" : "/target.json");
        if (!before.endsWith("dangling")) {
            QVERIFY(zantest::writeBytes(QFile::decodeName(file), "old"));
            QCOMPARE(::chmod(file.constData(), 0444), 0);
        }
        QCOMPARE(::symlink(file.constData(), path.constData()), 0);
        if (foreign)
            QVERIFY(::chown(shared.constData(), 4242, 4242) == 0 &&
                    ::lchown(path.constData(), 4243, 4243) == 0);
    } else if (before == "link") {
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
    }
    // QTemporaryDir finds a name that is not UTF-8 by its decoded form, which
    // names nothing; this one goes by its bytes.
    const auto removeLatin1 =
        qScopeGuard([&] { ::unlink(QByteArray(folder + "/caf\xe9").constData()); });
    const QByteArrayList namesBefore = entries(folder);

    const mode_t previousMask = ::umask(027);
    zan::WriteResult written;
    {
        const zantest::FileSizeLimit limit(before.endsWith("cut") ? 2 : RLIM_INFINITY);
        std::optional<ActingAs> actor;
        if (before.endsWith("not ours"))
            QVERIFY(actor.emplace(4243, 4244).m_ok);
        written = zan::writeFileAtomically(path, "new");
    }
    ::umask(previousMask);
    QCOMPARE(written.ok, ok);
    if (!ok) {
        QVERIFY2(written.error.contains(zan::displayPath(path)), qPrintable(written.error));
        QCOMPARE(entries(folder), namesBefore);
        if (before.startsWith("file") || before.endsWith("foreign link"))
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
    QByteArray acl(100, 0);
    if (before.endsWith("acl"))
        QCOMPARE(acl.left(::getxattr(file.constData(), "system.posix_acl_access", acl.data(), 100)),
                 sampleAcl);
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
