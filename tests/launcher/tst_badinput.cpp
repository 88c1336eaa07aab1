// SPDX-License-Identifier: MIT
// Bad input for the launcher, one row per input: a bundle whose Info.plist is
// missing or malformed, settings that are corrupt or cannot be written, and a
// console launcher that is missing, cannot run, crashes, floods its output,
// writes one endless line or leaves a child holding the pipe. Each row names
// the status, the log line and what the settings hold afterwards. The runs
// go through the delegate with the exit and log seams; the console launchers
// are small shell scripts in a bundle of the test's own.
#include "AppDelegate.h"
#include "LauncherFixture.h"
#include "ProcessFigures.h"
#include "Translations.h"
#include "VersionTrail.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTest>

#include <csignal>

using zantest::writeBytes;

namespace {
const QLatin1String consolePrefix("zanlauncherConsole>>>> ");

// Console output is only counted, so a flood costs no memory here; the first
// few pieces are kept.
struct ConsoleTally {
    // Takes an entry of console output; the launcher's own entries it leaves.
    bool take(const QString &text)
    {
        if (!text.startsWith(consolePrefix))
            return false;
        const qsizetype size = text.size() - consolePrefix.size();
        ++entries;
        units += size;
        longestPiece = std::max(longestPiece, size);
        if (first.size() < 4)
            first.append(text.mid(consolePrefix.size()));
        return true;
    }

    QStringList first;
    qint64 entries = 0;
    qint64 units = 0;
    qsizetype longestPiece = 0;
};

// How far peak memory may grow while the output streams through. Under
// AddressSanitizer freed blocks wait in a quarantine of up to 256 MiB first.
#if defined(__SANITIZE_ADDRESS__)
constexpr qint64 maxGrowthMiB = 256 + 256;
#else
constexpr qint64 maxGrowthMiB = 256;
#endif

const QByteArray goodPlist = zantest::infoPlist(zantest::versionEntries("2.0.0", "200"));
} // namespace

class TestLauncherBadInput : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void agreementCheck_data();
    void agreementCheck();
    void consoleLauncher_data();
    void consoleLauncher();
};

void TestLauncherBadInput::initTestCase()
{
    // The alerts' texts, as the launcher's main loads them.
    zan::installTranslations();
}

void TestLauncherBadInput::init()
{
    zan::AppDelegate::resetOneEventForTests();
}

void TestLauncherBadInput::agreementCheck_data()
{
    QTest::addColumn<QByteArray>("infoPlist"); // null: no file
    QTest::addColumn<QString>("settingsCase");
    QTest::addColumn<QString>("logLine");
    QTest::addColumn<bool>("storedAfter"); // the accepted trail is on disk afterwards

    const QString noVersion = QStringLiteral("names no version");
    QTest::newRow("Info.plist missing") << QByteArray() << "none" << noVersion << false;
    QTest::newRow("Info.plist malformed")
        << QByteArray("<plist><dict><key>CFBundleVersion</dict>") << "none" << noVersion << false;
    QTest::newRow("Info.plist binary")
        << QByteArray("bplist00\xd1\x01\x02", 11) << "none" << noVersion << false;
    QTest::newRow("Info.plist version not a string")
        << zantest::infoPlist("<key>CFBundleShortVersionString</key><integer>2</integer>") << "none"
        << noVersion << false;
    QTest::newRow("settings: binary garbage") << goodPlist << "garbage"
                                              << "held lines that could not be read" << true;
    QTest::newRow("settings: trail garbled") << goodPlist << "garbled"
                                             << "not readable and is ignored" << true;
    QTest::newRow("settings: trail not a group") << goodPlist << "notatrail"
                                                 << "not readable and is ignored" << true;
    QTest::newRow("settings: trail list missing") << goodPlist << "partial"
                                                  << "not readable and is ignored" << true;
    QTest::newRow("settings: file is a folder") << goodPlist << "folder"
                                                << "could not be written" << false;
    QTest::newRow("settings: folder not even root may write") << goodPlist << "proc"
                                                              << "could not be written" << false;
}

// Bad input around the agreement never stops the launch: the problem is
// logged, the user is asked, and on Accept the console launcher runs.
void TestLauncherBadInput::agreementCheck()
{
    QFETCH(QByteArray, infoPlist);
    QFETCH(QString, settingsCase);
    QFETCH(QString, logLine);
    QFETCH(bool, storedAfter);

    zantest::TestBundle bundle;
    QVERIFY(bundle.isValid());
    if (!infoPlist.isNull())
        QVERIFY(writeBytes(bundle.infoPlistPath(), infoPlist));
    QString settingsPath = bundle.beside(QStringLiteral("settings.ini"));
    if (settingsCase == QLatin1String("garbage")) {
        QVERIFY(writeBytes(settingsPath, QByteArray("\xff\xfe\0\x01garbage\x80\x81=\n[[", 16)));
    } else if (settingsCase == QLatin1String("garbled")) {
        QVERIFY(
            writeBytes(settingsPath,
                       QByteArray("[kZanVersionTrail]\nkVersion=\"\x01\xff\n\0\0[[[=@V(\\0", 34)));
    } else if (settingsCase == QLatin1String("notatrail")) {
        QVERIFY(writeBytes(settingsPath, "kZanVersionTrail=hello\n"));
    } else if (settingsCase == QLatin1String("partial")) {
        QVERIFY(writeBytes(settingsPath, "[kZanVersionTrail]\nkVersion=2.0.0\nkBuild=200\n"));
    } else if (settingsCase == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(settingsPath));
    } else if (settingsCase == QLatin1String("proc")) {
        settingsPath = QStringLiteral("/proc/self/zan-settings.ini");
    }

    zantest::Capture capture;
    zan::AppDelegate delegate;
    bundle.use(delegate, settingsPath);
    int prompts = 0;
    delegate.setEulaHandler([&prompts] {
        ++prompts;
        return zan::kEulaAccept;
    });
    zantest::FakeConsoleLauncher console;
    delegate.setProcessRunner(console.runner());

    delegate.handleURLEvent(QStringLiteral("zan://host/launch"));

    QCOMPARE(prompts, 1);
    QCOMPARE(console.arguments(), QList<QStringList>{{QStringLiteral("zan://host/launch")}});
    QCOMPARE(capture.statuses, QList<int>{0});
    QVERIFY2(capture.logHas(logLine), qPrintable(capture.log.join(QLatin1Char('|'))));

    if (settingsCase == QLatin1String("folder")) {
        QVERIFY(QFileInfo(settingsPath).isDir());
    } else if (settingsCase != QLatin1String("proc")) {
        QSettings settings(settingsPath, QSettings::IniFormat);
        const zan::StoredTrail stored = zan::readVersionTrail(settings);
        QCOMPARE(stored.trail.has_value(), storedAfter);
        if (storedAfter)
            QCOMPARE(stored.trail->accepted, QStringList{QStringLiteral("2.0.0")});
    }
}

void TestLauncherBadInput::consoleLauncher_data()
{
    QTest::addColumn<QByteArray>("script"); // null: no console launcher at all
    QTest::addColumn<QString>("kind");      // "script", "plain" (not executable), "folder"
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("logLine");
    QTest::addColumn<qint64>("entries"); // console output entries; -1: not checked
    QTest::addColumn<qint64>("units");   // UTF-16 units of console output; -1: not checked
    QTest::addColumn<int>("maxSeconds");

    QTest::newRow("missing") << QByteArray() << "script" << 127
                             << "Cannot start the console launcher" << qint64(0) << qint64(0) << 10;
    QTest::newRow("not executable")
        << QByteArray("#!/bin/sh\nexit 0\n") << "plain" << 126
        << "Cannot start the console launcher" << qint64(0) << qint64(0) << 10;
    QTest::newRow("a folder") << QByteArray() << "folder" << 126 << "is a folder" << qint64(0)
                              << qint64(0) << 10;
    QTest::newRow("crashes") << QByteArray("#!/bin/sh\necho starting\nkill -SEGV $$\n") << "script"
                             << 128 + 11 << "killed by signal 11" << qint64(2) << qint64(8) << 10;
    // 1 GiB in lines of 786 characters and a line break, one entry each; the
    // last line is cut short by the end of the output.
    const qint64 gib = qint64(1) << 30;
    QTest::newRow("floods 1 GB")
        << QByteArray("#!/bin/sh\nline=$(printf '%0786d' 0)\nyes \"$line\" | head -c 1073741824\n")
        << "script" << 0 << "" << gib / 787 + 1 << gib - gib / 787 << 240;
    // 100 MiB without a line break: 787-unit pieces and the rest.
    const qint64 mib100 = qint64(100) << 20;
    QTest::newRow("100 MB line without a break")
        << QByteArray("#!/bin/sh\nhead -c 104857600 /dev/zero | tr '\\0' a\n") << "script" << 0
        << "" << (mib100 + 786) / 787 << mib100 << 120;
    // The output never ends while the child holds the pipe: its two lines are
    // logged, the entry that the end of the output would bring is not, and the
    // launcher says so and ends with the console launcher's status after a
    // short grace.
    QTest::newRow("leaves a child holding the pipe")
        << QByteArray("#!/bin/sh\nsleep 30 2>/dev/null &\necho \"child $!\"\necho parent done\n"
                      "exit 4\n")
        << "script" << 4 << "output did not end" << qint64(2) << qint64(-1) << 15;
}

void TestLauncherBadInput::consoleLauncher()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, kind);
    QFETCH(int, status);
    QFETCH(QString, logLine);
    QFETCH(qint64, entries);
    QFETCH(qint64, units);
    QFETCH(int, maxSeconds);

    zantest::TestBundle bundle;
    QVERIFY(bundle.isValid());
    QVERIFY(writeBytes(bundle.infoPlistPath(), goodPlist));
    const QString program = bundle.consoleLauncher();
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(program));
    } else if (!script.isNull()) {
        QVERIFY(writeBytes(program, script));
        QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
        if (kind == QLatin1String("script"))
            permissions |= QFile::ExeOwner;
        QVERIFY(QFile::setPermissions(program, permissions));
    }

    ConsoleTally console;
    zantest::Capture capture([&console](const QString &entry) { return console.take(entry); });
    zan::AppDelegate delegate;
    bundle.use(delegate);
    QStringList alerts;
    delegate.setAlertHandler([&alerts](const QString &text) { alerts.append(text); });
    const qint64 peakBefore = zantest::peakResidentKiB() / 1024;
    QElapsedTimer clock;
    clock.start();
    delegate.launchConsoleLauncher({QStringLiteral("zan://host/launch")});
    const qint64 elapsed = clock.elapsed();

    QCOMPARE(capture.statuses, QList<int>{status});
    QVERIFY2(logLine.isEmpty() || capture.logHas(logLine),
             qPrintable(capture.log.join(QLatin1Char('|'))));
    // Only a console launcher that never started is worth an alert.
    QCOMPARE(alerts.size(), status == 126 || status == 127 ? 1 : 0);
    if (entries >= 0)
        QCOMPARE(console.entries, entries);
    if (units >= 0)
        QCOMPARE(console.units, units);
    QVERIFY(console.longestPiece <= 787);
    QVERIFY2(elapsed < maxSeconds * 1000, qPrintable(QStringLiteral("took %1 ms").arg(elapsed)));
    // The output streams through; it is never held whole.
    const qint64 grown = zantest::peakResidentKiB() / 1024 - peakBefore;
    QVERIFY2(grown < maxGrowthMiB,
             qPrintable(QStringLiteral("peak memory grew by %1 MiB").arg(grown)));
    // The child a console launcher left behind is this test's to end.
    for (const QString &line : console.first)
        if (line.startsWith(QLatin1String("child ")))
            ::kill(pid_t(line.mid(6).toInt()), SIGTERM);
    if (units > (qint64(1) << 20))
        qInfo("%lld units of console output in %lld entries, %lld ms", console.units,
              console.entries, elapsed);
}

QTEST_MAIN(TestLauncherBadInput)
#include "tst_badinput.moc"
