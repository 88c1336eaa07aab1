// SPDX-License-Identifier: MIT
// The console launcher runner against a helper program built beside it.
#include "ConsoleRunner.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include "SystemLog.h"
#include "TestSupport.h"

#include <csignal>
#include <unistd.h>

using namespace zan;

namespace {
const QString helper = QStringLiteral(ZAN_TEST_HELPER);

// Collects the pieces the reader thread hands out.
struct Collected {
    QMutex mutex;
    QStringList pieces;
    ConsoleRunner::PieceSink sink()
    {
        return [this](const QStringList &batch) {
            QMutexLocker lock(&mutex);
            pieces.append(batch);
        };
    }
    QStringList snapshot()
    {
        QMutexLocker lock(&mutex);
        return pieces;
    }
    // The number after "prefix " in a collected piece, or 0.
    int numberAfter(const QString &prefix)
    {
        for (const QString &piece : snapshot()) {
            if (piece.startsWith(prefix + QLatin1Char(' ')))
                return piece.mid(prefix.size() + 1).toInt();
        }
        return 0;
    }
};

RunOutcome waitForOutcome(ConsoleRunner &runner)
{
    QSignalSpy spy(&runner, &ConsoleRunner::finished);
    if (spy.isEmpty())
        spy.wait(60000);
    return spy.isEmpty() ? RunOutcome{RunOutcome::Kind::NotStarted, -1, 0, QString(), false}
                         : spy.first().first().value<RunOutcome>();
}
} // namespace

Q_DECLARE_METATYPE(zan::RunOutcome::Kind)

class TestConsoleRunner : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void status_data();
    void status();
    void argumentsAndFolderExactly();
    void environmentAdded();
    void outputEntries_data();
    void outputEntries();
    void lineLoggedBeforeTheEnd();
    void processLeftBehindHoldsThePipe();
    void notStarted_data();
    void notStarted();
    void signalsLeftByTheParent_data();
    void signalsLeftByTheParent();
    void logEntryKeepsWhatFollowsNul();
};

void TestConsoleRunner::cleanup()
{
    qunsetenv("ZAN_HELPER_RECORD");
    std::signal(SIGCHLD, SIG_DFL);
    std::signal(SIGPIPE, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    ::pthread_sigmask(SIG_SETMASK, &none, nullptr);
    qunsetenv("ZAN_HELPER_ENVIRON");
}

void TestConsoleRunner::status_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<RunOutcome::Kind>("kind");
    QTest::addColumn<int>("status");
    QTest::newRow("exit 0") << QStringList{"exit", "0"} << RunOutcome::Kind::Exited << 0;
    QTest::newRow("exit 3") << QStringList{"exit", "3"} << RunOutcome::Kind::Exited << 3;
    QTest::newRow("exit 255") << QStringList{"exit", "255"} << RunOutcome::Kind::Exited << 255;
    QTest::newRow("SIGKILL") << QStringList{"signal", QString::number(SIGKILL)}
                             << RunOutcome::Kind::Signalled << 128 + SIGKILL;
    QTest::newRow("SIGSEGV") << QStringList{"signal", QString::number(SIGSEGV)}
                             << RunOutcome::Kind::Signalled << 128 + SIGSEGV;
}

void TestConsoleRunner::status()
{
    QFETCH(QStringList, arguments);
    QFETCH(RunOutcome::Kind, kind);
    QFETCH(int, status);
    Collected collected;
    ConsoleRunner runner(collected.sink());
    QVERIFY(!runner.start(helper, arguments, QDir::tempPath()));
    const RunOutcome outcome = waitForOutcome(runner);
    QCOMPARE(outcome.kind, kind);
    QCOMPARE(outcome.status, status);
    QVERIFY(outcome.outputComplete);
    QVERIFY(collected.snapshot().isEmpty()); // no output, no entry
}

void TestConsoleRunner::argumentsAndFolderExactly()
{
    QTemporaryDir base;
    QVERIFY(base.isValid());
    const QString folder = base.filePath(QStringLiteral("a folder with spaces"));
    QVERIFY(QDir().mkpath(folder));
    const QString record = base.filePath(QStringLiteral("record"));
    qputenv("ZAN_HELPER_RECORD", QFile::encodeName(record));

    const QStringList arguments{
        QStringLiteral("exit"),      QStringLiteral("0"),
        QStringLiteral("a b"),       QString(),
        QStringLiteral("  padded "), QString::fromUtf8("ünï \xF0\x9F\x98\x80"),
        QStringLiteral("-Auth"),     QStringLiteral("$HOME;*'\"`")};
    Collected collected;
    ConsoleRunner runner(collected.sink());
    QVERIFY(!runner.start(helper, arguments, folder));
    QCOMPARE(waitForOutcome(runner).status, 0);

    QFile file(record);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QList<QByteArray> fields = file.readAll().split('\0');
    QCOMPARE(fields.takeLast(), QByteArray()); // after the last NUL
    QCOMPARE(QString::fromUtf8(fields.takeFirst()), QDir(folder).canonicalPath());
    QStringList received;
    for (const QByteArray &field : fields)
        received.append(QString::fromUtf8(field));
    QCOMPARE(received, arguments);
}

// A parent may leave SIGCHLD ignored (the kernel then reaps the child itself)
// and signals blocked; both survive exec into this process and the next. And
// the log's copy may go to a standard error that no one reads any more.
void TestConsoleRunner::signalsLeftByTheParent_data()
{
    QTest::addColumn<bool>("setUp"); // setUpSignals() at start-up
    QTest::addColumn<RunOutcome::Kind>("kind");
    QTest::addColumn<int>("status");
    QTest::newRow("as left: the status is lost, and why is said")
        << false << RunOutcome::Kind::WaitFailed << 1;
    QTest::newRow("set up at start-up") << true << RunOutcome::Kind::Exited << 3;
}

void TestConsoleRunner::signalsLeftByTheParent()
{
    QFETCH(bool, setUp);
    QFETCH(RunOutcome::Kind, kind);
    QFETCH(int, status);
    std::signal(SIGCHLD, SIG_IGN);
    sigset_t term;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    ::pthread_sigmask(SIG_BLOCK, &term, nullptr);
    if (setUp) {
        setUpSignals();
        sigset_t blocked;
        ::pthread_sigmask(SIG_SETMASK, nullptr, &blocked);
        QVERIFY(!sigismember(&blocked, SIGTERM));
        int fds[2]; // a reader that has gone: SIGPIPE would end the test here
        QVERIFY(::pipe(fds) == 0);
        ::close(fds[0]);
        const int saved = ::dup(STDERR_FILENO);
        ::dup2(fds[1], STDERR_FILENO);
        logEntry(QStringLiteral("no one reads this"));
        ::dup2(saved, STDERR_FILENO);
        ::close(saved);
        ::close(fds[1]);
    }
    Collected collected;
    ConsoleRunner runner(collected.sink());
    QVERIFY(
        !runner.start(helper, {QStringLiteral("signals"), QStringLiteral("3")}, QDir::tempPath()));
    const RunOutcome outcome = waitForOutcome(runner);
    QCOMPARE(outcome.kind, kind);
    QCOMPARE(outcome.status, status);
    QCOMPARE(outcome.error.isEmpty(), setUp);
    // The console launcher starts clean either way: it waits for the dialog
    // program as this process waits for it.
    QCOMPARE(collected.snapshot(),
             (QStringList{"SIGCHLD default", "SIGPIPE default", "blocked 0", ""}));
}

// syslog would end an entry at a NUL; U+FFFD stands there, on stderr too.
void TestConsoleRunner::logEntryKeepsWhatFollowsNul()
{
    QTemporaryFile file;
    QVERIFY(file.open());
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(file.handle(), STDERR_FILENO);
    const QString text = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    logConsolePieces({text});
    logEntry(text);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    QVERIFY(file.seek(0)); // the writes moved the shared offset
    QCOMPARE(file.readAll(), QByteArray("zanlauncherConsole>>>> a\xEF\xBF\xBD"
                                        "b\na\xEF\xBF\xBD"
                                        "b\n"));
}

// What the launcher adds replaces an inherited variable of that name, which
// a program would otherwise read first; everything else is inherited, and
// the launcher's own environment stays as it was.
void TestConsoleRunner::environmentAdded()
{
    QTemporaryDir base;
    QVERIFY(base.isValid());
    const QString record = base.filePath(QStringLiteral("environ"));
    qputenv("ZAN_HELPER_ENVIRON", QFile::encodeName(record));
    qputenv("XDG_ACTIVATION_TOKEN", "inherited");
    qputenv("XDG_ACTIVATION_TOKEN_SIMILAR", "kept");

    Collected collected;
    ConsoleRunner runner(collected.sink());
    runner.addEnvironment("XDG_ACTIVATION_TOKEN", "given");
    runner.addEnvironment("ZAN_ADDED", "a=b c");
    QVERIFY(!runner.start(helper, {QStringLiteral("exit"), QStringLiteral("0")}, QDir::tempPath()));
    QCOMPARE(waitForOutcome(runner).status, 0);
    QCOMPARE(qgetenv("XDG_ACTIVATION_TOKEN"), QByteArray("inherited"));
    qunsetenv("XDG_ACTIVATION_TOKEN");
    qunsetenv("XDG_ACTIVATION_TOKEN_SIMILAR");

    QFile file(record);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QList<QByteArray> entries = file.readAll().split('\0');
    entries.removeLast();
    const auto named = [&entries](const QByteArray &name) {
        QList<QByteArray> found;
        for (const QByteArray &entry : std::as_const(entries)) {
            if (entry.startsWith(QByteArray(name + '=')))
                found.append(entry);
        }
        return found;
    };
    QCOMPARE(named("XDG_ACTIVATION_TOKEN"), QList<QByteArray>{"XDG_ACTIVATION_TOKEN=given"});
    QCOMPARE(named("XDG_ACTIVATION_TOKEN_SIMILAR"),
             QList<QByteArray>{"XDG_ACTIVATION_TOKEN_SIMILAR=kept"});
    QCOMPARE(named("ZAN_ADDED"), QList<QByteArray>{"ZAN_ADDED=a=b c"});
    QCOMPARE(named("ZAN_HELPER_ENVIRON").size(), 1);
}

void TestConsoleRunner::outputEntries_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("three lines") << QByteArray("a\nb\nc\n") << QStringList{"a", "b", "c", ""};
    QTest::newRow("invalid UTF-8")
        << QByteArray("ok\n\xC3\x28\n") << QStringList{"ok", QString(QChar(0xFFFD)) + "(", ""};
    QTest::newRow("788 units") << QByteArray(788, 'y')
                               << QStringList{QString(787, 'y'), QStringLiteral("y")};
}

void TestConsoleRunner::outputEntries()
{
    QFETCH(QByteArray, output);
    QFETCH(QStringList, entries);
    Collected collected;
    ConsoleRunner runner(collected.sink());
    QVERIFY(!runner.start(helper, {QStringLiteral("hex"), QString::fromLatin1(output.toHex())},
                          QDir::tempPath()));
    QCOMPARE(waitForOutcome(runner).status, 0);
    QCOMPARE(collected.snapshot(), entries);
}

void TestConsoleRunner::lineLoggedBeforeTheEnd()
{
    Collected collected;
    ConsoleRunner runner(collected.sink());
    QSignalSpy finished(&runner, &ConsoleRunner::finished);
    QVERIFY(!runner.start(helper, {QStringLiteral("hang")}, QDir::tempPath()));
    // The helper waits for a signal after its line: the entry must come while
    // it still runs.
    QTRY_VERIFY_WITH_TIMEOUT(collected.numberAfter(QStringLiteral("pid")) > 0, 60000);
    QVERIFY(finished.isEmpty());
    QVERIFY(runner.isRunning());
    QCOMPARE(collected.numberAfter(QStringLiteral("pid")), int(runner.processId()));
    ::kill(runner.processId(), SIGTERM);
    const RunOutcome outcome = waitForOutcome(runner);
    QCOMPARE(outcome.kind, RunOutcome::Kind::Signalled);
    QCOMPARE(outcome.status, 128 + SIGTERM);
}

void TestConsoleRunner::processLeftBehindHoldsThePipe()
{
    Collected collected;
    int child = 0;
    {
        ConsoleRunner runner(collected.sink());
        runner.setOutputGrace(std::chrono::milliseconds(200));
        QVERIFY(!runner.start(helper, {QStringLiteral("orphan"), QStringLiteral("last words")},
                              QDir::tempPath()));
        // Ends although the child it left keeps the pipe open for a minute,
        // and the unfinished last line is handed out before the end is told.
        const RunOutcome outcome = waitForOutcome(runner);
        QCOMPARE(outcome.status, 0);
        QVERIFY(!outcome.outputComplete);
        child = collected.numberAfter(QStringLiteral("child"));
        QVERIFY(child > 0);
        QCOMPARE(collected.snapshot(),
                 (QStringList{QStringLiteral("child %1").arg(child), "parent done", "last words"}));
        // Leaving the scope stops the reader that still waits on the pipe.
    }
    ::kill(child, SIGKILL);
}

void TestConsoleRunner::notStarted_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("status");
    QTest::newRow("missing") << "missing" << 127;
    QTest::newRow("not executable") << "plain" << 126;
    QTest::newRow("folder") << "folder" << 126;
    QTest::newRow("path through a regular file") << "through file" << 127;
    QTest::newRow("missing working folder") << "nofolder" << 127;
}

void TestConsoleRunner::notStarted()
{
    QFETCH(QString, setup);
    QFETCH(int, status);
    QTemporaryDir dir;
    QString program = dir.filePath(QStringLiteral("zanlauncher"));
    QString folder = dir.path();
    if (setup == QLatin1String("plain")) {
        QVERIFY(zantest::writeBytes(program, "#!/bin/sh\nexit 0\n"));
        QVERIFY(QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    } else if (setup == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(program));
    } else if (setup == QLatin1String("through file")) {
        // <folder>/plain/prog with plain a file: ENOTDIR, not found.
        QFile plain(dir.filePath(QStringLiteral("plain")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        program = dir.filePath(QStringLiteral("plain/prog"));
    } else if (setup == QLatin1String("nofolder")) {
        program = helper;
        folder = dir.filePath(QStringLiteral("gone"));
    }
    ConsoleRunner runner;
    const std::optional<RunOutcome> outcome = runner.start(program, QStringList(), folder);
    QVERIFY(outcome.has_value());
    QCOMPARE(outcome->kind, RunOutcome::Kind::NotStarted);
    QCOMPARE(outcome->status, status);
    QVERIFY(!outcome->error.isEmpty());
    QVERIFY(!runner.isRunning());
}

QTEST_GUILESS_MAIN(TestConsoleRunner)
#include "tst_consolerunner.moc"
