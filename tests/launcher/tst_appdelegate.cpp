// SPDX-License-Identifier: MIT
// The launcher's delegate: start paths, logging switch, launch URL events and
// a real run of a stand-in console launcher in a bundle whose path has spaces.
#include "AppDelegate.h"
#include "ProcessArguments.h"
#include "ProcessExit.h"
#include "SystemLog.h"
#include "Translations.h"

#include "MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>

using namespace zan;

namespace {
const QString helper = QStringLiteral(ZAN_TEST_HELPER);
const QString program = QStringLiteral("/opt/zan/Contents/bin/zan-client-launcher");

QList<MainWindow *> visibleMainWindows()
{
    QList<MainWindow *> shown;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<MainWindow *>(widget); window && window->isVisible())
            shown.append(window);
    }
    return shown;
}

// Closes the main window the way a user would.
void closeMainWindow(MainWindow *window, const QString &how)
{
    if (how == QLatin1String("quit button"))
        window->quitButton()->click();
    else if (how == QLatin1String("escape"))
        QTest::keyClick(window, Qt::Key_Escape);
    else if (how == QLatin1String("quit shortcut")) {
        // Shortcuts reach the active window only, which offscreen needs told.
        QApplication::setActiveWindow(window);
        QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
    } else
        window->close();
}

struct RunCall {
    QString program;
    QStringList arguments;
    QString folder;
};
} // namespace

class TestAppDelegate : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { installTranslations(); }
    void init();
    void cleanup();
    void browserLaunchLogging_data();
    void browserLaunchLogging();
    void browserLaunchLogsPathWithPlaceMarker();
    void commandLineLaunch_data();
    void commandLineLaunch();
    void processSerialNumber_data();
    void processSerialNumber();
    void twoUrlEventsStartOnce();
    void eventWithoutUrl();
    void refusedUrl_data();
    void refusedUrl();
    void refusedUrlWhileRunningDoesNotExit();
    void realRunInBundleWithSpaces_data();
    void realRunInBundleWithSpaces();
    void consoleLauncherNotStarted_data();
    void consoleLauncherNotStarted();
    void versionAndBuild();
    void activateShowsOneWindow();
    void openNeverShowsTheWindow();
    void closingBeforeAnyUrl_data();
    void closingBeforeAnyUrl();
    void closingWhileConsoleLauncherRuns_data();
    void closingWhileConsoleLauncherRuns();
    void refusedUrlWithWindowShown();
    void realAlertInGerman();

private:
    void writePlist(const QByteArray &dictBody);
    void useFakeRunner(int status = 0);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_bundle;
    std::unique_ptr<AppDelegate> m_delegate;
    QStringList m_entries;
    QList<int> m_exits;
    QStringList m_alerts;
    QList<RunCall> m_runs;
};

void TestAppDelegate::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_bundle = m_dir->filePath(QStringLiteral("Zan Client Launcher bundle"));
    QVERIFY(QDir().mkpath(m_bundle + QStringLiteral("/Contents/Applications")));
    m_entries.clear();
    m_exits.clear();
    m_alerts.clear();
    m_runs.clear();
    setLogSink([this](const QString &entry) { m_entries.append(entry); });
    setExitHandler([this](int status) { m_exits.append(status); });
    AppDelegate::resetOneEventForTests();
    m_delegate = std::make_unique<AppDelegate>();
    m_delegate->setBundlePath(m_bundle);
    m_delegate->setUseSessionBus(false);
    m_delegate->setAlertHandler([this](const QString &message) { m_alerts.append(message); });
    // The agreement is answered here, and its trail kept in the test folder.
    const QString settingsPath = m_dir->filePath(QStringLiteral("settings.ini"));
    m_delegate->setSettingsFactory(
        [settingsPath] { return std::make_unique<QSettings>(settingsPath, QSettings::IniFormat); });
    m_delegate->setEulaHandler([] { return qint64(1); });
    writePlist(QByteArray());
}

void TestAppDelegate::cleanup()
{
    m_delegate.reset();
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
    setLogSink({});
    setExitHandler({});
    qunsetenv("ZAN_HELPER_RECORD");
    qunsetenv("ZAN_HELPER_MODE");
    qunsetenv("ZAN_HELPER_ARG");
    m_dir.reset();
}

void TestAppDelegate::writePlist(const QByteArray &dictBody)
{
    QFile file(m_bundle + QStringLiteral("/Contents/Info.plist"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    // A bundle always carries its version and build.
    file.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>"
               "<key>CFBundleShortVersionString</key><string>1.2.3</string>"
               "<key>CFBundleVersion</key><string>456</string>" +
               dictBody + "</dict>\n</plist>\n");
}

void TestAppDelegate::useFakeRunner(int status)
{
    m_delegate->setProcessRunner(
        [this, status](const QString &path, const QStringList &arguments, const QString &folder) {
            m_runs.append({path, arguments, folder});
            RunOutcome outcome;
            outcome.status = status;
            return outcome;
        });
}

void TestAppDelegate::browserLaunchLogging_data()
{
    QTest::addColumn<QByteArray>("plist");
    QTest::addColumn<bool>("logs");
    QTest::newRow("LogConsole true") << QByteArray("<key>LogConsole</key><true/>") << true;
    QTest::newRow("LogConsole false") << QByteArray("<key>LogConsole</key><false/>") << false;
    QTest::newRow("LogConsole text")
        << QByteArray("<key>LogConsole</key><string>true</string>") << false;
    QTest::newRow("LogConsole missing")
        << QByteArray("<key>CFBundleVersion</key><string>1</string>") << false;
}

void TestAppDelegate::browserLaunchLogging()
{
    QFETCH(QByteArray, plist);
    QFETCH(bool, logs);
    writePlist(plist);
    useFakeRunner();
    setProcessArguments({program});
    m_delegate->applicationWillFinishLaunching();
    QCOMPARE(m_delegate->LogConsole, logs);
    const QStringList expected =
        logs ? QStringList{QStringLiteral("Launch args =  (\"%1\"),  args count = 1").arg(program),
                           QStringLiteral("Logging Enabled."),
                           QStringLiteral("Browser launch, params =  (\"%1\")").arg(program)}
             : QStringList{};
    QCOMPARE(m_entries, expected);
    QVERIFY(m_exits.isEmpty()); // waits for an event
    QVERIFY(m_runs.isEmpty());
}

// A program path may hold text that reads as a place marker ("%1"); the
// entry shows it as it is and still counts the arguments.
void TestAppDelegate::browserLaunchLogsPathWithPlaceMarker()
{
    writePlist("<key>LogConsole</key><true/>");
    useFakeRunner();
    const QString path = QStringLiteral("/opt/zan%1 %2/bin/zan-client-launcher");
    setProcessArguments({path});
    m_delegate->applicationWillFinishLaunching();
    QVERIFY(!m_entries.isEmpty());
    QCOMPARE(m_entries.first(),
             QStringLiteral("Launch args =  (\"/opt/zan%1 %2/bin/zan-client-launcher\"),  "
                            "args count = 1"));
}

void TestAppDelegate::commandLineLaunch_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("success") << 0 << "Task succeeded.";
    QTest::newRow("failure") << 3 << "Task failed.";
}

void TestAppDelegate::commandLineLaunch()
{
    QFETCH(int, status);
    QFETCH(QString, outcome);
    // LogConsole false in the bundle: a command-line launch logs regardless.
    writePlist("<key>LogConsole</key><false/>");
    useFakeRunner(status);
    setProcessArguments({program, QStringLiteral("a b"), QStringLiteral("c d")});
    m_delegate->applicationWillFinishLaunching();
    const QString applications = m_bundle + QStringLiteral("/Contents/Applications");
    QCOMPARE(m_runs.size(), 1);
    QCOMPARE(m_runs.first().program, applications + QStringLiteral("/zanlauncher"));
    QCOMPARE(m_runs.first().arguments, (QStringList{"a b", "c d"}));
    QCOMPARE(m_runs.first().folder, applications);
    QCOMPARE(m_entries,
             (QStringList{QStringLiteral("CMD launch, params =  a b"),
                          QStringLiteral("Launcher console: %1/zanlauncher\n").arg(applications),
                          QStringLiteral("path params: start console:\n a b c d\n"), outcome}));
    QCOMPARE(m_exits, QList<int>{status});
    QCOMPARE(m_delegate->RunCommandArrayStatus, status);
    QVERIFY(m_alerts.isEmpty());
}

void TestAppDelegate::processSerialNumber_data()
{
    QTest::addColumn<QStringList>("parameters");
    QTest::addColumn<bool>("warns");
    QTest::newRow("second parameter") << QStringList{"zan://h", "-psn_0_123"} << true;
    QTest::newRow("first parameter") << QStringList{"-psn_0_123"} << true;
    QTest::newRow("further in") << QStringList{"zan://h-psn_0", "a-psn_"} << false;
}

void TestAppDelegate::processSerialNumber()
{
    QFETCH(QStringList, parameters);
    QFETCH(bool, warns);
    useFakeRunner();
    setProcessArguments(QStringList{program} + parameters);
    m_delegate->applicationWillFinishLaunching();
    if (warns) {
        const QString warning = QStringLiteral(
            "First time launch warning.  The URL provided by your browser has been replaced by a "
            "Process Serial Number which prevents this Launcher operation from succeeding.\n\n"
            "Please retry your operation again.");
        QCOMPARE(m_entries, QStringList{warning});
        QCOMPARE(m_alerts, QStringList{warning});
        QCOMPARE(m_exits, QList<int>{1});
        QVERIFY(m_runs.isEmpty());
    } else {
        QVERIFY(m_alerts.isEmpty());
        QCOMPARE(m_runs.size(), 1);
        QCOMPARE(m_runs.first().arguments, parameters);
    }
}

void TestAppDelegate::twoUrlEventsStartOnce()
{
    useFakeRunner();
    setProcessArguments({program});
    m_delegate->applicationWillFinishLaunching();
    m_delegate->handleURLEvent(QStringLiteral("zan://one.example"));
    m_delegate->handleURLEvent(QStringLiteral("zan://two.example"));
    QCOMPARE(m_runs.size(), 1);
    QCOMPARE(m_runs.first().arguments, QStringList{"zan://one.example"});
    QVERIFY(m_delegate->EULAIsAcceptedForVersion);
    QVERIFY(m_entries.isEmpty()); // no LogConsole: nothing of the launcher's own
}

void TestAppDelegate::eventWithoutUrl()
{
    writePlist("<key>LogConsole</key><true/>");
    useFakeRunner();
    setProcessArguments({program});
    m_delegate->applicationWillFinishLaunching();
    m_delegate->handleURLEvent(std::nullopt);
    QCOMPARE(m_runs.size(), 1);
    QCOMPARE(m_runs.first().arguments, QStringList{});
    QVERIFY(m_entries.contains(QStringLiteral("Handle URLEvent,  params =  (null)")));
    QVERIFY(m_entries.contains(QStringLiteral("path params: start console:\n\n")));
}

void TestAppDelegate::refusedUrl_data()
{
    QTest::addColumn<QString>("url");
    QTest::newRow("other scheme") << "https://evil.example";
    QTest::newRow("option") << "--help";
    QTest::newRow("empty") << "";
    QTest::newRow("control character") << "zan://h\n-Auth";
}

void TestAppDelegate::refusedUrl()
{
    QFETCH(QString, url);
    useFakeRunner();
    setProcessArguments({program});
    m_delegate->applicationWillFinishLaunching();
    m_delegate->handleURLEvent(url);
    QVERIFY(m_runs.isEmpty());
    QCOMPARE(m_exits, QList<int>{1});
    // Logged although LogConsole is off, on one line.
    QCOMPARE(m_entries.size(), 1);
    QVERIFY(m_entries.first().startsWith(QStringLiteral("Refused launch URL ")));
    QVERIFY(!m_entries.first().contains(QLatin1Char('\n')));
}

void TestAppDelegate::refusedUrlWhileRunningDoesNotExit()
{
    setProcessArguments({program});
    m_delegate->applicationWillFinishLaunching();
    // The first event's run is still going when the second event arrives.
    m_delegate->setProcessRunner(
        [this](const QString &, const QStringList &arguments, const QString &) {
            m_runs.append({QString(), arguments, QString()});
            m_delegate->handleURLEvent(QStringLiteral("http://second.example"));
            m_delegate->handleURLEvent(QStringLiteral("zan://third.example"));
            return RunOutcome{};
        });
    m_delegate->handleURLEvent(QStringLiteral("zan://first.example"));
    QCOMPARE(m_runs.size(), 1);
    QCOMPARE(m_exits, QList<int>{0}); // only the run's own end
}

void TestAppDelegate::realRunInBundleWithSpaces_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("arg");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("status 0") << "exit"
                              << "0" << 0 << "Task succeeded.";
    QTest::newRow("status 3") << "exit"
                              << "3" << 3 << "Task failed.";
    QTest::newRow("signal") << "signal"
                            << "9" << 137 << "Task failed.";
}

void TestAppDelegate::realRunInBundleWithSpaces()
{
    QFETCH(QString, mode);
    QFETCH(QString, arg);
    QFETCH(int, status);
    QFETCH(QString, outcome);
    const QString applications = m_bundle + QStringLiteral("/Contents/Applications");
    QVERIFY(QFile::copy(helper, applications + QStringLiteral("/zanlauncher")));
    const QString record = m_dir->filePath(QStringLiteral("record"));
    qputenv("ZAN_HELPER_RECORD", QFile::encodeName(record));
    qputenv("ZAN_HELPER_MODE", mode.toUtf8());
    qputenv("ZAN_HELPER_ARG", arg.toUtf8());

    const QStringList parameters{QStringLiteral("zan://h/a b"), QString(),
                                 QString::fromUtf8("\xF0\x9F\x98\x80 ü"), QStringLiteral("-x")};
    setProcessArguments(QStringList{program} + parameters);
    m_delegate->applicationWillFinishLaunching();
    QCOMPARE(m_exits, QList<int>{status});
    QCOMPARE(m_entries.last(), outcome);

    QFile file(record);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QList<QByteArray> fields = file.readAll().split('\0');
    fields.removeLast();
    QCOMPARE(QString::fromUtf8(fields.takeFirst()), QDir(applications).canonicalPath());
    QStringList received;
    for (const QByteArray &field : fields)
        received.append(QString::fromUtf8(field));
    QCOMPARE(received, parameters);
}

void TestAppDelegate::consoleLauncherNotStarted_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<int>("status");
    QTest::newRow("missing") << false << 127;
    QTest::newRow("not executable") << true << 126;
}

void TestAppDelegate::consoleLauncherNotStarted()
{
    QFETCH(bool, present);
    QFETCH(int, status);
    const QString path = m_bundle + QStringLiteral("/Contents/Applications/zanlauncher");
    if (present) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a program");
    }
    // A browser launch without LogConsole: the failure is logged all the same.
    setProcessArguments({program});
    m_delegate->applicationWillFinishLaunching();
    m_delegate->handleURLEvent(QStringLiteral("zan://h"));
    QCOMPARE(m_exits, QList<int>{status});
    QCOMPARE(m_entries.size(), 1);
    QVERIFY(m_entries.first().contains(path));
    QCOMPARE(m_alerts.size(), 1);
    QVERIFY(m_alerts.first().contains(path));
}

void TestAppDelegate::versionAndBuild()
{
    QCOMPARE(m_delegate->currentVersion(), std::optional<QString>(QStringLiteral("1.2.3")));
    QCOMPARE(m_delegate->currentBuild(), std::optional<QString>(QStringLiteral("456")));
    QFile::remove(m_bundle + QStringLiteral("/Contents/Info.plist"));
    QCOMPARE(m_delegate->currentVersion(), std::nullopt);
    QCOMPARE(m_delegate->currentBuild(), std::nullopt);
}

void TestAppDelegate::activateShowsOneWindow()
{
    setProcessArguments({program});
    m_delegate->applicationWillFinishLaunching();
    QVERIFY(visibleMainWindows().isEmpty()); // the program path alone shows nothing
    m_delegate->activate();
    QCOMPARE(visibleMainWindows().size(), 1);
    MainWindow *window = visibleMainWindows().first();
    m_delegate->activate(); // raised, not doubled
    QCOMPARE(visibleMainWindows(), QList<MainWindow *>{window});
    const QString version = window->findChild<QLabel *>(QStringLiteral("lblVersion"))->text();
    QVERIFY2(version.contains(QLatin1String("1.2.3")) && version.contains(QLatin1String("456")),
             qPrintable(version));
    QVERIFY(window->quitButton()->isDefault());
    QVERIFY(m_exits.isEmpty());
}

void TestAppDelegate::openNeverShowsTheWindow()
{
    useFakeRunner();
    setProcessArguments({program});
    m_delegate->applicationWillFinishLaunching();
    m_delegate->handleURLEvent(QStringLiteral("zan://h"));
    QCOMPARE(m_runs.size(), 1);
    QVERIFY(visibleMainWindows().isEmpty());
    QVERIFY(!m_delegate->window);
}

void TestAppDelegate::closingBeforeAnyUrl_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("quit button") << "quit button";
    QTest::newRow("escape") << "escape";
    QTest::newRow("quit shortcut") << "quit shortcut";
    QTest::newRow("window closed") << "close";
}

void TestAppDelegate::closingBeforeAnyUrl()
{
    QFETCH(QString, how);
    setProcessArguments({program});
    m_delegate->applicationWillFinishLaunching();
    m_delegate->activate();
    MainWindow *window = visibleMainWindows().value(0);
    QVERIFY(window);
    closeMainWindow(window, how);
    QCOMPARE(m_exits, QList<int>{0});
    QVERIFY(!window->isVisible());
}

void TestAppDelegate::closingWhileConsoleLauncherRuns_data()
{
    closingBeforeAnyUrl_data();
}

void TestAppDelegate::closingWhileConsoleLauncherRuns()
{
    QFETCH(QString, how);
    setProcessArguments({program});
    m_delegate->applicationWillFinishLaunching();
    m_delegate->activate();
    m_delegate->setProcessRunner([&](const QString &, const QStringList &, const QString &) {
        // The user closes the window while the console launcher runs.
        closeMainWindow(visibleMainWindows().value(0), how);
        [&] { QVERIFY(m_exits.isEmpty()); }();
        RunOutcome outcome;
        outcome.status = 5;
        return outcome;
    });
    m_delegate->handleURLEvent(QStringLiteral("zan://h"));
    QVERIFY(visibleMainWindows().isEmpty());
    QCOMPARE(m_exits, QList<int>{5}); // only the console launcher's end
}

void TestAppDelegate::refusedUrlWithWindowShown()
{
    useFakeRunner();
    setProcessArguments({program});
    m_delegate->applicationWillFinishLaunching();
    m_delegate->activate();
    m_delegate->handleURLEvent(QStringLiteral("file:///etc/passwd"));
    QVERIFY(m_exits.isEmpty()); // the user's window stays
    QVERIFY(m_runs.isEmpty());
    m_delegate->handleURLEvent(QStringLiteral("zan://h"));
    QCOMPARE(m_runs.size(), 1);
    QCOMPARE(visibleMainWindows().size(), 1);
}

void TestAppDelegate::realAlertInGerman()
{
    // The launcher's own alert in a German run, Qt's catalogue beside ours:
    // the message and one standard button, which Enter answers. Qt's German
    // keeps "OK" as it is; its other standard buttons show that it is loaded.
    const QList<QTranslator *> english = qApp->findChildren<QTranslator *>();
    installTranslations(QLocale(QLocale::German, QLocale::Germany));
    const auto backToEnglish = qScopeGuard([&] {
        for (QTranslator *translator : qApp->findChildren<QTranslator *>()) {
            if (!english.contains(translator))
                delete translator; // which also uninstalls it
        }
    });
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));
    QStringList shown;
    QTimer::singleShot(0, this, [&] {
        QTRY_VERIFY(qobject_cast<QMessageBox *>(QApplication::activeModalWidget()));
        auto *alert = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        shown << alert->text();
        for (const QAbstractButton *button : alert->buttons())
            shown << button->text();
        QTest::keyClick(alert, Qt::Key_Return);
    });
    QTimer safety; // a broken test fails rather than hangs
    safety.setSingleShot(true);
    connect(&safety, &QTimer::timeout, this, [&shown] {
        shown << QStringLiteral("not answered");
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
    });
    safety.start(10'000);
    AppDelegate launcher; // with its own alert, not the test's
    launcher.alertMessage(QStringLiteral("Zan"));
    QCOMPARE(shown, (QStringList{QStringLiteral("Zan"), QStringLiteral("OK")}));
}

QTEST_MAIN(TestAppDelegate)
#include "tst_appdelegate.moc"
