// SPDX-License-Identifier: MIT
// Bad input for the dialog program, one row per input: what reaches it as an
// exchange file, a credential file or a message file, and what the run must
// end with (status, log line, the file afterwards). Everything runs in this
// process through the exit and log seams; a watchdog closes any dialog that
// stays open, so a row that would wait for ever fails instead.
#include "AppDelegate.h"
#include "AskHTTPProxyCredentialController.h"
#include "AskUserCredentialController.h"
#include "LargeMemory.h"
#include "ModalDriver.h"
#include "ProcessArguments.h"
#include "SelectNodeGroupController.h"
#include "TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace zantest;

namespace {
// What a row's file looks like after the run.
enum class After {
    Gone,      // removed
    Unchanged, // the same bytes (or the same folder, FIFO, link) as before
    Record,    // the chosen record, as cJSON prints it
};

// How the exchange file of a row is made.
enum class Input {
    Folder,
    Fifo,
    LinkToList,
    LinkToDevZero,
    DeviceNode,
    Empty,
    Binary10MB,
    Nested10000,
    Valid100MB,
    InvalidUtf8,
    NulBytes,
    NoMemory,
};

const QByteArray twoGroups = R"([{"id":"g1","name":"One","membersCount":1},)"
                             R"({"id":"g2","name":"Two","membersCount":2}])";

// The kind of thing at path, without following a link.
QString kindAt(const QString &path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return QStringLiteral("none");
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("folder");
    if (S_ISFIFO(info.st_mode))
        return QStringLiteral("fifo");
    if (S_ISLNK(info.st_mode))
        return QStringLiteral("link");
    if (S_ISCHR(info.st_mode))
        return QStringLiteral("device");
    return QStringLiteral("file");
}

// Large, valid JSON: an array of node groups, each with a long name.
QByteArray validJson(qsizetype atLeast, int *records)
{
    const QByteArray name(200, 'n');
    QByteArray text;
    text.reserve(atLeast + 512);
    text.append('[');
    int count = 0;
    while (text.size() < atLeast) {
        if (count)
            text.append(',');
        text.append(R"({"id":"g)").append(QByteArray::number(count)).append(R"(","name":")");
        text.append(name).append(R"(","membersCount":)").append(QByteArray::number(count % 100));
        text.append('}');
        ++count;
    }
    text.append(']');
    *records = count;
    return text;
}
} // namespace

class TestDialogBadInput : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void signInForbidsCoreDumps_data();
    void signInForbidsCoreDumps();
    void exchangeFile_data();
    void exchangeFile();
    void credentialFile_data();
    void credentialFile();
    void messageFile_data();
    void messageFile();
    void cleanup();

private:
    QTemporaryDir m_dir;
};

void TestDialogBadInput::cleanup()
{
    zan::setProcessArguments({});
}

void TestDialogBadInput::signInForbidsCoreDumps_data()
{
    QTest::addColumn<bool>("server");
    QTest::newRow("server sign-in") << true;
    QTest::newRow("proxy sign-in") << false;
}

// Before the panel can hold a password, the process may no longer write a
// core file nor be read by other processes of the same user.
void TestDialogBadInput::signInForbidsCoreDumps()
{
    QFETCH(bool, server);
    // Undo what an earlier row did, as far as a process may: the soft limit
    // back up to the hard one, dumpable again.
    struct rlimit core {};
    QCOMPARE(::getrlimit(RLIMIT_CORE, &core), 0);
    core.rlim_cur = core.rlim_max;
    ::setrlimit(RLIMIT_CORE, &core);
    QCOMPARE(::prctl(PR_SET_DUMPABLE, 1, 0, 0, 0), 0);
    QCOMPARE(::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0), 1);

    zan::setProcessArguments({QStringLiteral("ZANSelectNode")});
    std::unique_ptr<zan::SignInController> controller;
    if (server)
        controller = std::make_unique<zan::AskUserCredentialController>();
    else
        controller = std::make_unique<zan::AskHTTPProxyCredentialController>();
    QVERIFY(controller->window());

    QCOMPARE(::getrlimit(RLIMIT_CORE, &core), 0);
    QCOMPARE(core.rlim_cur, rlim_t(0));
    QCOMPARE(core.rlim_max, rlim_t(0));
    QCOMPARE(::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0), 0);
}

void TestDialogBadInput::exchangeFile_data()
{
    QTest::addColumn<Input>("input");
    QTest::addColumn<bool>("select"); // Select, else Cancel
    QTest::addColumn<int>("rows");    // -1: as many as the input holds
    QTest::addColumn<QString>("logLine");
    QTest::addColumn<int>("status"); // -2: the dialog stays open
    QTest::addColumn<After>("after");

    QTest::newRow("folder") << Input::Folder << false << 0 << "is a folder" << 255
                            << After::Unchanged;
    QTest::newRow("FIFO without a writer")
        << Input::Fifo << false << 0 << "not a regular file" << 255 << After::Unchanged;
    QTest::newRow("symbolic link, Select")
        << Input::LinkToList << true << 2 << QString() << 0 << After::Record;
    QTest::newRow("symbolic link, Cancel")
        << Input::LinkToList << false << 2 << QString() << 255 << After::Gone;
    QTest::newRow("link to /dev/zero")
        << Input::LinkToDevZero << false << 0 << "not a regular file" << 255 << After::Gone;
    QTest::newRow("device node") << Input::DeviceNode << false << 0 << "not a regular file" << 255
                                 << After::Unchanged;
    QTest::newRow("empty file, Select")
        << Input::Empty << true << 0 << QString() << -2 << After::Unchanged;
    QTest::newRow("empty file, Cancel")
        << Input::Empty << false << 0 << QString() << 255 << After::Gone;
    QTest::newRow("10 MB of binary")
        << Input::Binary10MB << false << 0 << QString() << 255 << After::Gone;
    QTest::newRow("JSON nested 10,000 deep")
        << Input::Nested10000 << true << 0 << QString() << -2 << After::Unchanged;
    QTest::newRow("100 MB of valid JSON")
        << Input::Valid100MB << true << -1 << QString() << 0 << After::Record;
    QTest::newRow("invalid UTF-8 in keys and values")
        << Input::InvalidUtf8 << true << 1 << QString() << 0 << After::Record;
    QTest::newRow("NUL bytes") << Input::NulBytes << true << 1 << QString() << 0 << After::Record;
    QTest::newRow("no memory for the records, Select")
        << Input::NoMemory << true << 0 << "not enough memory" << -2 << After::Unchanged;
    QTest::newRow("no memory for the records, Cancel")
        << Input::NoMemory << false << 0 << "not enough memory" << 255 << After::Gone;
}

void TestDialogBadInput::exchangeFile()
{
    QFETCH(Input, input);
    QFETCH(bool, select);
    QFETCH(int, rows);
    QFETCH(QString, logLine);
    QFETCH(int, status);
    QFETCH(After, after);

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("list.json"));
    QByteArray bytes;
    QByteArray expectedRecord;
    size_t memoryLimit = 0; // the largest block to be had; 0: any
    const QString target = dir.filePath(QStringLiteral("target.json"));
    switch (input) {
    case Input::Folder:
        QVERIFY(QDir().mkdir(path));
        break;
    case Input::Fifo:
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        break;
    case Input::LinkToList:
        QVERIFY(writeBytes(target, twoGroups));
        QVERIFY(QFile::link(target, path));
        expectedRecord = record({str("id", "g1"), str("name", "One"), num("memberCount", 1)});
        break;
    case Input::LinkToDevZero:
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        break;
    case Input::DeviceNode:
        // A copy of /dev/null's node: a device, as /dev/zero is, that the
        // run may not remove. Only root may make one.
        if (::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("cannot make a device node here (needs root); the FIFO row covers the rule");
        break;
    case Input::Empty:
        QVERIFY(writeBytes(path, QByteArray()));
        break;
    case Input::Binary10MB: {
        bytes.resize(10 << 20);
        QRandomGenerator generator(8);
        generator.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
        QVERIFY(writeBytes(path, bytes));
        break;
    }
    case Input::Nested10000:
        bytes = QByteArray(10000, '[') + QByteArray(10000, ']');
        QVERIFY(writeBytes(path, bytes));
        break;
    case Input::Valid100MB: {
        bytes = validJson(100 << 20, &rows);
        QVERIFY(writeBytes(path, bytes));
        expectedRecord =
            record({str("id", "g0"), str("name", QByteArray(200, 'n')), num("memberCount", 0)});
        break;
    }
    case Input::InvalidUtf8:
        // A key that is not UTF-8 matches no key; a value that is not UTF-8
        // gives no text, and the record leaves that key out.
        bytes = "[{\"i\xff\":\"x\",\"id\":\"\xc3\x28\",\"name\":\"ok\xfe\",\"membersCount\":4}]";
        QVERIFY(writeBytes(path, bytes));
        expectedRecord = record({num("memberCount", 4)});
        break;
    case Input::NulBytes:
        // A NUL byte inside a string ends its text.
        bytes = QByteArray("[{\"id\":\"a\0b\",\"name\":\"n\",\"membersCount\":3}]", 42);
        QCOMPARE(bytes.count('\0'), 1);
        QVERIFY(writeBytes(path, bytes));
        expectedRecord = record({str("id", "a"), str("name", "n"), num("memberCount", 3)});
        break;
    case Input::NoMemory:
        // As with ulimit -v, the largest request fails first: here the 28,001
        // records (2 MB); the text (84 kB) and the parsed list (1.8 MB, in
        // blocks of at most 1 MB) still fit. The list must read as empty,
        // and say why, rather than end the program.
        bytes = "[" + QByteArray("{},").repeated(27999) + "{}]";
        QVERIFY(writeBytes(path, bytes));
        memoryLimit = size_t(3) << 19;
        break;
    }
    const QString kindBefore = kindAt(path);
    const QByteArray bytesBefore =
        kindBefore == QLatin1String("file") ? readBytes(path) : QByteArray();

    zan::setProcessArguments(
        {QStringLiteral("ZANSelectNode"), QStringLiteral("-SelectNodeGroupFile"), path});
    Capture capture;
    QElapsedTimer clock;
    clock.start();
    zan::SelectNodeGroupController controller;
    zan::setLargeAllocationLimit(memoryLimit);
    QVERIFY(controller.window());
    zan::setLargeAllocationLimit(0);
    const qint64 loadMs = clock.elapsed();
    QCOMPARE(controller.arrayController()->rowCount(), rows);
    QVERIFY2(logLine.isEmpty() ? capture.log.isEmpty() : capture.logHas(logLine),
             qPrintable(capture.log.join(QLatin1Char('|'))));
    if (select)
        controller.onBtnSelect();
    else
        controller.onBtnCancel();
    QCOMPARE(capture.exitStatus(), status);
    if (rows > 100000)
        qInfo("%d records read and shown in %lld ms", rows, loadMs);

    switch (after) {
    case After::Gone:
        QCOMPARE(kindAt(path), QStringLiteral("none"));
        break;
    case After::Unchanged:
        QCOMPARE(kindAt(path), kindBefore);
        if (kindBefore == QLatin1String("file"))
            QVERIFY(readBytes(path) == bytesBefore);
        break;
    case After::Record:
        QCOMPARE(readBytes(path), expectedRecord);
        break;
    }
    // What a link pointed at is never removed with it.
    if (input == Input::LinkToList && !select)
        QCOMPARE(readBytes(target), twoGroups);
    if (input == Input::LinkToDevZero)
        QCOMPARE(kindAt(QStringLiteral("/dev/zero")), QStringLiteral("device"));
}

void TestDialogBadInput::credentialFile_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("where"); // what the credential path names
    QTest::addColumn<QString>("offered");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("logLine");

    const QString serverFailure =
        QStringLiteral("Failed  to write RUZ Ereduz auth data back to zanlauncher\n");
    const QString proxyFailure =
        QStringLiteral("Failed  to write proxy auth data back to zanlauncher\n");
    for (const QString &option : {QStringLiteral("-Auth"), QStringLiteral("-ProxyAuth")}) {
        const QString failure = option == QLatin1String("-Auth") ? serverFailure : proxyFailure;
        const QByteArray tag = option.toLatin1() + ": ";
        QTest::newRow(QByteArray(tag + "in a missing folder").constData()) << option << "missing"
                                                                           << "" << 255 << failure;
        QTest::newRow(QByteArray(tag + "in a read-only folder").constData())
            << option << "readonly"
            << "" << 255 << failure;
        QTest::newRow(QByteArray(tag + "in a folder not even root may write").constData())
            << option << "proc"
            << "" << 255 << failure;
        QTest::newRow(QByteArray(tag + "that is a folder").constData()) << option << "folder"
                                                                        << "" << 255 << failure;
        // What /dev/stdout names when the output goes to a pipe.
        QTest::newRow(QByteArray(tag + "a pipe (/dev/fd)").constData()) << option << "pipe"
                                                                        << "" << 255 << failure;
        QTest::newRow(QByteArray(tag + "a FIFO (offer refused, then replaced)").constData())
            << option << "fifo"
            << "" << 0 << QString();
        QTest::newRow(QByteArray(tag + "invalid UTF-8 and NUL bytes").constData())
            << option << "invalid"
            << "" << 0 << QString();
        QTest::newRow(QByteArray(tag + "a huge file (offer refused)").constData())
            << option << "huge"
            << "" << 0 << QString();
    }
}

void TestDialogBadInput::credentialFile()
{
    QFETCH(QString, option);
    QFETCH(QString, where);
    QFETCH(QString, offered);
    QFETCH(int, status);
    QFETCH(QString, logLine);

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("credential"));
    std::unique_ptr<UnwritableFolder> readOnly;
    int pipe[2] = {-1, -1};
    const auto closePipe = qScopeGuard([&] {
        for (const int end : pipe)
            if (end >= 0)
                ::close(end);
    });
    if (where == QLatin1String("missing")) {
        path = dir.filePath(QStringLiteral("no/such/folder/credential"));
    } else if (where == QLatin1String("readonly")) {
        const QString folder = dir.filePath(QStringLiteral("locked"));
        QVERIFY(QDir().mkdir(folder));
        path = folder + QStringLiteral("/credential");
        readOnly = std::make_unique<UnwritableFolder>(folder);
        if (!readOnly->ok())
            QSKIP("root writes into folders whatever their permission bits, and this file system "
                  "cannot mark one immutable; the row 'in a folder not even root may write' "
                  "covers the failed write");
    } else if (where == QLatin1String("proc")) {
        path = QStringLiteral("/proc/self/zan-credential");
    } else if (where == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(path));
    } else if (where == QLatin1String("pipe")) {
        QCOMPARE(::pipe(pipe), 0);
        path = QStringLiteral("/dev/fd/%1").arg(pipe[1]);
    } else if (where == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (where == QLatin1String("invalid")) {
        QVERIFY(writeBytes(path, QByteArray("ali\xff\0ce:secret", 14)));
    } else if (where == QLatin1String("huge")) {
        QVERIFY(writeBytes(path, QByteArray(8 << 20, 'u')));
    }
    const QString kindBefore = kindAt(path);

    zan::setProcessArguments({QStringLiteral("ZANSelectNode"), option, path});
    Capture capture;
    QString offeredName = QStringLiteral("<not asked>");
    ModalDriver answer([&offeredName](QWidget *panel) {
        auto *user = panel->findChild<QLineEdit *>(QStringLiteral("tfUsername"));
        auto *password = panel->findChild<QLineEdit *>(QStringLiteral("tfPassword"));
        auto *ok = panel->findChild<QPushButton *>(QStringLiteral("btnOK"));
        if (!user || !password || !ok)
            return;
        offeredName = user->text();
        user->setText(QStringLiteral("alice"));
        password->setText(QStringLiteral("secret"));
        ok->click();
    });
    QElapsedTimer clock;
    clock.start();
    zan::AppDelegate delegate;
    delegate.applicationDidFinishLaunching();
    QVERIFY(!answer.timedOut());
    QVERIFY(answer.answered());
    QVERIFY2(clock.elapsed() < 10000, "the sign-in took too long to come up");
    QCOMPARE(offeredName, offered);
    QCOMPARE(capture.exitStatus(), status);
    if (status == 0) {
        QCOMPARE(kindAt(path), QStringLiteral("file"));
        QCOMPARE(readBytes(path), QByteArray("YWxpY2U6c2VjcmV0")); // alice:secret
        QCOMPARE(permissionBits(path), mode_t(0600));
        QVERIFY(capture.log.isEmpty());
    } else {
        // The two lines: the fixed one, then why.
        QCOMPARE(capture.log.size(), 2);
        QCOMPARE(capture.log.first(), logLine);
        QVERIFY(!capture.log.at(1).isEmpty());
        if (where == QLatin1String("pipe"))
            QVERIFY2(capture.log.at(1).contains(QStringLiteral("a pipe")),
                     qPrintable(capture.log.at(1)));
        QCOMPARE(kindAt(path), kindBefore);
    }
}

void TestDialogBadInput::messageFile_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("logLine");
    QTest::addColumn<QString>("shown"); // the box's text; "-" for no box

    QTest::newRow("missing") << "missing" << 255 << "No such file or directory"
                             << "-";
    QTest::newRow("invalid UTF-8") << "invalid" << 255 << "not valid UTF-8"
                                   << "-";
    QTest::newRow("huge (2 MB)") << "huge" << 255 << "file too large"
                                 << "-";
    QTest::newRow("folder") << "folder" << 255 << "is a folder"
                            << "-";
    QTest::newRow("FIFO without a writer") << "fifo" << 255 << "not a regular file"
                                           << "-";
    QTest::newRow("/dev/zero") << "/dev/zero" << 255 << "not a regular file"
                               << "-";
    QTest::newRow("NUL byte ends the text") << "nul" << 0 << ""
                                            << "Server restarts";
    QTest::newRow("empty") << "empty" << 0 << ""
                           << "";
}

void TestDialogBadInput::messageFile()
{
    QFETCH(QString, where);
    QFETCH(int, status);
    QFETCH(QString, logLine);
    QFETCH(QString, shown);

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("message"));
    if (where == QLatin1String("invalid"))
        QVERIFY(writeBytes(path, "Caf\xe9 closed"));
    else if (where == QLatin1String("huge"))
        QVERIFY(writeBytes(path, QByteArray(2 << 20, 'm')));
    else if (where == QLatin1String("folder"))
        QVERIFY(QDir().mkdir(path));
    else if (where == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (where == QLatin1String("/dev/zero"))
        path = where;
    else if (where == QLatin1String("nul"))
        QVERIFY(writeBytes(path, QByteArray("Server restarts\0at noon", 23)));
    else if (where == QLatin1String("empty"))
        QVERIFY(writeBytes(path, QByteArray()));

    zan::setProcessArguments({QStringLiteral("ZANSelectNode"), QStringLiteral("-Message"), path});
    Capture capture;
    QString text = QStringLiteral("-");
    ModalDriver answer([&text](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box)
            return;
        text = box->text();
        box->buttons().first()->click();
    });
    zan::AppDelegate delegate;
    delegate.applicationDidFinishLaunching();
    QVERIFY(!answer.timedOut());
    QCOMPARE(text, shown);
    QCOMPARE(capture.exitStatus(), status);
    QVERIFY2(logLine.isEmpty() ? capture.log.isEmpty() : capture.logHas(logLine),
             qPrintable(capture.log.join(QLatin1Char('|'))));
}

QTEST_MAIN(TestDialogBadInput)
#include "tst_badinput.moc"
