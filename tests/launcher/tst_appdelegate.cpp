// SPDX-License-Identifier: MIT
// The launcher's delegate: start paths, logging switch, launch URL events and
// a real run of a stand-in console launcher in a bundle whose path has spaces.
#include "AppDelegate.h"
#include "LaunchToken.h"
#include "LauncherFixture.h"
#include "ModalDriver.h"
#include "ProcessArguments.h"
#include "ProcessExit.h"
#include "SystemLog.h"
#include "Translations.h"
#include "UrlEventService.h"

#include "MainWindow.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
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
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
    } else
        window->close();
}
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
    void laterEventsDropped_data();
    void laterEventsDropped();
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
    void openUrlWithoutSessionBus();
    void launchTokenToConsoleLauncher_data();
    void launchTokenToConsoleLauncher();
    void realAlertInGerman();

private:
    // An Info.plist with the bundle's version and build, and entries.
    void writePlist(const QByteArray &entries)
    {
        QVERIFY(m_bundle->writeInfoPlist(zantest::versionEntries("1.2.3", "456") + entries));
    }
    void useFakeRunner(int status = 0) { m_delegate->setProcessRunner(m_console.runner(status)); }

    std::unique_ptr<zantest::TestBundle> m_bundle;
    std::unique_ptr<zantest::Capture> m_capture;
    std::unique_ptr<AppDelegate> m_delegate;
    zantest::FakeConsoleLauncher m_console;
    QStringList m_alerts;
    int m_prompts = 0;
};

void TestAppDelegate::init()
{
    m_bundle = std::make_unique<zantest::TestBundle>();
    QVERIFY(m_bundle->isValid());
    m_alerts.clear();
    m_console.runs.clear();
    m_prompts = 0;
    m_capture = std::make_unique<zantest::Capture>();
    AppDelegate::resetOneEventForTests();
    m_delegate = std::make_unique<AppDelegate>();
    // The agreement is answered here, and its trail kept in the test folder.
    m_bundle->use(*m_delegate);
    m_delegate->setAlertHandler([this](const QString &message) { m_alerts.append(message); });
    m_delegate->setEulaHandler([this] {
        ++m_prompts;
        return qint64(1);
    });
    writePlist(QByteArray());
}

void TestAppDelegate::cleanup()
{
    m_delegate.reset();
    m_capture.reset();
    qunsetenv("ZAN_HELPER_RECORD");
    qunsetenv("ZAN_HELPER_MODE");
    qunsetenv("ZAN_HELPER_ARG");
    qunsetenv("ZAN_HELPER_ENVIRON");
    saveLaunchToken(QString());
    m_bundle.reset();
    QVERIFY(zantest::leftTopLevelWidgets().isEmpty());
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
    QCOMPARE(m_capture->log, expected);
    QVERIFY(m_capture->statuses.isEmpty()); // waits for an event
    QVERIFY(m_console.runs.isEmpty());
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
    QVERIFY(!m_capture->log.isEmpty());
    QCOMPARE(m_capture->log.first(),
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
    setProcessArguments({program, QStringLiteral("a b é"), QStringLiteral("c d")});
    m_delegate->applicationWillFinishLaunching();
    const QString applications = m_bundle->applications();
    QCOMPARE(m_console.runs.size(), 1);
    QCOMPARE(m_console.runs.first().program, applications + QStringLiteral("/zanlauncher"));
    QCOMPARE(m_console.runs.first().arguments, (QStringList{"a b é", "c d"}));
    QCOMPARE(m_console.runs.first().folder, applications);
    QCOMPARE(m_capture->log,
             (QStringList{QStringLiteral("CMD launch, params =  a b é"),
                          QStringLiteral("Launcher console: %1/zanlauncher\n").arg(applications),
                          QStringLiteral("path params: start console:\n a b é c d\n"), outcome}));
    QCOMPARE(m_capture->statuses, QList<int>{status});
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
        QCOMPARE(m_capture->log, QStringList{warning});
        QCOMPARE(m_alerts, QStringList{warning});
        QCOMPARE(m_capture->statuses, QList<int>{1});
        QVERIFY(m_console.runs.isEmpty());
    } else {
        QVERIFY(m_alerts.isEmpty());
        QCOMPARE(m_console.runs.size(), 1);
        QCOMPARE(m_console.runs.first().arguments, parameters);
    }
}

void TestAppDelegate::twoUrlEventsStartOnce()
{
    useFakeRunner();
    setProcessArguments({program});
    m_delegate->applicationWillFinishLaunching();
    m_delegate->handleURLEvent(QStringLiteral("zan://one.example"));
    m_delegate->handleURLEvent(QStringLiteral("zan://two.example"));
    QCOMPARE(m_console.runs.size(), 1);
    QCOMPARE(m_console.runs.first().arguments, QStringList{"zan://one.example"});
    QVERIFY(m_delegate->EULAIsAcceptedForVersion);
    QCOMPARE(m_prompts, 1);
    // No LogConsole: of the launcher's own entries only the dropped event's.
    QCOMPARE(m_capture->log,
             QStringList{QStringLiteral(
                 "Ignored launch URL \"zan://two.example\": an earlier one was taken.")});
}

void TestAppDelegate::eventWithoutUrl()
{
    writePlist("<key>LogConsole</key><true/>");
    useFakeRunner();
    setProcessArguments({program});
    m_delegate->applicationWillFinishLaunching();
    m_delegate->handleURLEvent(std::nullopt);
    QCOMPARE(m_console.runs.size(), 1);
    QCOMPARE(m_console.runs.first().arguments, QStringList{});
    QVERIFY(m_capture->log.contains(QStringLiteral("Handle URLEvent,  params =  (null)")));
    QVERIFY(m_capture->log.contains(QStringLiteral("path params: start console:\n\n")));
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
    QVERIFY(m_console.runs.isEmpty());
    QCOMPARE(m_prompts, 0); // refused before the agreement is shown
    QCOMPARE(m_capture->statuses, QList<int>{1});
    // Logged although LogConsole is off, on one line.
    QCOMPARE(m_capture->log.size(), 1);
    QVERIFY(m_capture->log.first().startsWith(QStringLiteral("Refused launch URL ")));
    QVERIFY(!m_capture->log.first().contains(QLatin1Char('\n')));
}

void TestAppDelegate::laterEventsDropped_data()
{
    QTest::addColumn<bool>("duringAgreement");
    QTest::addColumn<QString>("why");
    // How the agreement's window is when the later events come, and how it
    // is afterwards; 0 for no window.
    QTest::addColumn<int>("windowBefore");
    QTest::addColumn<int>("windowAfter");
    QTest::newRow("while the console launcher runs")
        << false << "the console launcher runs" << 0 << 0;
    // A double click on the link: the second event is served inside the
    // agreement's modal loop.
    QTest::newRow("while the agreement is open")
        << true << "the license agreement is open" << 0 << 0;
    // The user clicked again to get it back: it is restored as it was.
    QTest::newRow("while the agreement is minimized")
        << true << "the license agreement is open" << int(Qt::WindowMinimized)
        << int(Qt::WindowNoState);
    QTest::newRow("while the maximized agreement is minimized")
        << true << "the license agreement is open" << int(Qt::WindowMinimized | Qt::WindowMaximized)
        << int(Qt::WindowMaximized);
}

void TestAppDelegate::laterEventsDropped()
{
    QFETCH(bool, duringAgreement);
    QFETCH(QString, why);
    QFETCH(int, windowBefore);
    QFETCH(int, windowAfter);
    setProcessArguments({program});
    m_delegate->applicationWillFinishLaunching();
    const auto moreEvents = [this] {
        m_delegate->handleURLEvent(QStringLiteral("http://second.example"));
        m_delegate->handleURLEvent(QStringLiteral("zan://third.example"));
    };
    int windowSeen = 0;
    m_delegate->setEulaHandler([&] {
        ++m_prompts;
        std::unique_ptr<QDialog> agreement;
        if (windowBefore != 0) {
            agreement = std::make_unique<QDialog>();
            agreement->setModal(true);
            agreement->setWindowState(Qt::WindowStates(windowBefore));
            agreement->show();
        }
        if (duringAgreement)
            moreEvents();
        if (agreement)
            windowSeen = int(agreement->windowState());
        return qint64(1);
    });
    m_delegate->setProcessRunner(
        [&](const QString &, const QByteArrayList &arguments, const QString &) {
            m_console.runs.append({QString(), zan::argumentsAsText(arguments), QString()});
            if (!duringAgreement)
                moreEvents();
            return RunOutcome{};
        });
    m_delegate->handleURLEvent(QStringLiteral("zan://first.example"));
    QCOMPARE(m_prompts, 1);
    QCOMPARE(m_console.runs.size(), 1);
    QCOMPARE(m_console.runs.first().arguments, QStringList{"zan://first.example"});
    QCOMPARE(m_capture->statuses, QList<int>{0}); // only the run's own end
    QCOMPARE(m_capture->log.size(), 2);
    QVERIFY(m_capture->log.first().startsWith(QStringLiteral("Refused launch URL ")));
    QCOMPARE(m_capture->log.last(),
             QStringLiteral("Ignored launch URL \"zan://third.example\": %1.").arg(why));
    QCOMPARE(windowSeen, windowAfter);
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
    const QString applications = m_bundle->applications();
    QVERIFY(QFile::copy(helper, applications + QStringLiteral("/zanlauncher")));
    const QString record = m_bundle->beside(QStringLiteral("record"));
    qputenv("ZAN_HELPER_RECORD", QFile::encodeName(record));
    qputenv("ZAN_HELPER_MODE", mode.toUtf8());
    qputenv("ZAN_HELPER_ARG", arg.toUtf8());

    // Launch parameters are bytes and need not be UTF-8 ("café" in Latin-1).
    const QByteArrayList parameters{"zan://h/a b", "", "\xF0\x9F\x98\x80 \xC3\xBC", "-x",
                                    "caf\xE9"};
    setRawProcessArguments(QByteArrayList{program.toUtf8()} + parameters);
    m_delegate->applicationWillFinishLaunching();
    QCOMPARE(m_capture->statuses, QList<int>{status});
    QCOMPARE(m_capture->log.last(), outcome);

    const QByteArray recorded = zantest::readBytes(record);
    QVERIFY(recorded != zantest::noFile);
    QList<QByteArray> fields = recorded.split('\0');
    fields.removeLast();
    QCOMPARE(QString::fromUtf8(fields.takeFirst()), QDir(applications).canonicalPath());
    QCOMPARE(fields, parameters);
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
    const QString path = m_bundle->consoleLauncher();
    if (present)
        QVERIFY(zantest::writeBytes(path, "not a program"));
    // A browser launch without LogConsole: the failure is logged all the same.
    setProcessArguments({program});
    m_delegate->applicationWillFinishLaunching();
    m_delegate->handleURLEvent(QStringLiteral("zan://h"));
    QCOMPARE(m_capture->statuses, QList<int>{status});
    QCOMPARE(m_capture->log.size(), 1);
    QVERIFY(m_capture->log.first().contains(path));
    QCOMPARE(m_alerts.size(), 1);
    QVERIFY(m_alerts.first().contains(path));
}

void TestAppDelegate::versionAndBuild()
{
    QCOMPARE(m_delegate->currentVersion(), std::optional<QString>(QStringLiteral("1.2.3")));
    QCOMPARE(m_delegate->currentBuild(), std::optional<QString>(QStringLiteral("456")));
    QFile::remove(m_bundle->infoPlistPath());
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
    QVERIFY(m_capture->statuses.isEmpty());
}

void TestAppDelegate::openNeverShowsTheWindow()
{
    useFakeRunner();
    setProcessArguments({program});
    m_delegate->applicationWillFinishLaunching();
    m_delegate->handleURLEvent(QStringLiteral("zan://h"));
    QCOMPARE(m_console.runs.size(), 1);
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
    QCOMPARE(m_capture->statuses, QList<int>{0});
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
    m_delegate->setProcessRunner([&](const QString &, const QByteArrayList &, const QString &) {
        // The user closes the window while the console launcher runs.
        closeMainWindow(visibleMainWindows().value(0), how);
        [&] { QVERIFY(m_capture->statuses.isEmpty()); }();
        RunOutcome outcome;
        outcome.status = 5;
        return outcome;
    });
    m_delegate->handleURLEvent(QStringLiteral("zan://h"));
    QVERIFY(visibleMainWindows().isEmpty());
    QCOMPARE(m_capture->statuses, QList<int>{5}); // only the console launcher's end
}

void TestAppDelegate::refusedUrlWithWindowShown()
{
    useFakeRunner();
    setProcessArguments({program});
    m_delegate->applicationWillFinishLaunching();
    m_delegate->activate();
    m_delegate->handleURLEvent(QStringLiteral("file:///etc/passwd"));
    QVERIFY(m_capture->statuses.isEmpty()); // the user's window stays
    QVERIFY(m_console.runs.isEmpty());
    m_delegate->handleURLEvent(QStringLiteral("zan://h"));
    QCOMPARE(m_console.runs.size(), 1);
    QCOMPARE(visibleMainWindows().size(), 1);
}

// The desktop entry's Exec line with no session bus to register on: the URL
// is at hand and runs in this process.
void TestAppDelegate::openUrlWithoutSessionBus()
{
    qputenv(
        "DBUS_SESSION_BUS_ADDRESS",
        QByteArray("unix:path=" + QFile::encodeName(m_bundle->beside(QStringLiteral("no-bus")))));
    m_delegate->setUseSessionBus(true);
    useFakeRunner();
    setProcessArguments({program, QStringLiteral("--open-url"), QStringLiteral("zan://h/café")});
    m_delegate->applicationWillFinishLaunching();
    QVERIFY(m_capture->statuses.isEmpty());
    QTRY_COMPARE(m_console.runs.size(), 1);
    QCOMPARE(m_console.runs.first().arguments, QStringList{"zan://h/café"});
    QCOMPARE(m_capture->statuses, QList<int>{0});
    QVERIFY(!m_capture->log.isEmpty());
    QVERIFY2(m_capture->log.first().startsWith(QStringLiteral("No session bus")),
             qPrintable(m_capture->log.first()));
}

void TestAppDelegate::launchTokenToConsoleLauncher_data()
{
    QTest::addColumn<QString>("road");
    QTest::addColumn<QVariantMap>("platformData");
    QTest::addColumn<bool>("agreementShown");
    QTest::addColumn<QString>("childToken");
    const QString token = QStringLiteral("token-4711");
    QTest::newRow("Open with a Wayland token")
        << "open" << QVariantMap{{"activation-token", token}} << false << token;
    QTest::newRow("Open with a startup ID")
        << "open" << QVariantMap{{"desktop-startup-id", token}} << false << token;
    QTest::newRow("Open without token") << "open" << QVariantMap{} << false << QString();
    // The token the launcher was started with is not this event's, and no
    // child inherits it.
    QTest::newRow("Open in a launcher started with a token")
        << "open after start token" << QVariantMap{} << false << QString();
    // The agreement came to the front with it; a token is used once.
    QTest::newRow("Open that shows the agreement")
        << "open" << QVariantMap{{"activation-token", token}} << true << QString();
    QTest::newRow("Open forwarded by a second launcher")
        << "forwarded" << QVariantMap{} << false << token;
    QTest::newRow("desktop entry's Exec line") << "exec" << QVariantMap{} << false << token;
    QTest::newRow("command line") << "command" << QVariantMap{} << false << token;
}

// The launch token that no window of the launcher takes reaches the console
// launcher's environment, for the first dialog it starts.
void TestAppDelegate::launchTokenToConsoleLauncher()
{
    QFETCH(QString, road);
    QFETCH(QVariantMap, platformData);
    QFETCH(bool, agreementShown);
    QFETCH(QString, childToken);
    const QString sentToken = QStringLiteral("token-4711");
    QVERIFY(QFile::copy(helper, m_bundle->consoleLauncher()));
    const QString environment = m_bundle->beside(QStringLiteral("environ"));
    qputenv("ZAN_HELPER_ENVIRON", QFile::encodeName(environment));
    qputenv("ZAN_HELPER_MODE", "exit");
    qputenv("ZAN_HELPER_ARG", "0");
    int prompts = 0;
    m_delegate->setEulaHandler([&prompts] {
        ++prompts;
        return qint64(1);
    });
    if (!agreementShown) {
        m_delegate->trackEULA(); // on record before the event
        prompts = 0;
    }

    const QString url = QStringLiteral("zan://h/x");
    auto *service = new UrlEventService(m_delegate.get());
    const auto noTokenLeft = qScopeGuard([] {
        qunsetenv("XDG_ACTIVATION_TOKEN");
        qunsetenv("DESKTOP_STARTUP_ID");
    });
    if (road.startsWith(QLatin1String("open"))) {
        if (road != QLatin1String("open")) {
            qputenv("XDG_ACTIVATION_TOKEN", "start-token");
            saveLaunchToken(takeLaunchTokenFromEnvironment());
        }
        setProcessArguments({program});
        m_delegate->applicationWillFinishLaunching();
        service->Open({url}, platformData);
    } else if (road == QLatin1String("forwarded")) {
        // What a second launcher sends to this one, delivered as the bus would.
        const QDBusMessage call = applicationCall(QStringLiteral(ZAN_APP_ID), {url}, sentToken);
        QCOMPARE(call.member(), QStringLiteral("Open"));
        service->Open(call.arguments().at(0).toStringList(), call.arguments().at(1).toMap());
    } else {
        // As main takes it: from the variable each road's desktop sets,
        // which neither the launcher nor its console launcher keeps.
        qputenv(road == QLatin1String("exec") ? "DESKTOP_STARTUP_ID" : "XDG_ACTIVATION_TOKEN",
                sentToken.toUtf8());
        saveLaunchToken(takeLaunchTokenFromEnvironment());
        setProcessArguments(road == QLatin1String("exec")
                                ? QStringList{program, QStringLiteral("--open-url"), url}
                                : QStringList{program, url});
        m_delegate->applicationWillFinishLaunching();
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_capture->statuses, QList<int>{0}, 60000);
    QCOMPARE(prompts, agreementShown ? 1 : 0);

    const QByteArray environ = zantest::readBytes(environment);
    QVERIFY(environ != zantest::noFile);
    QStringList tokens;
    for (const QByteArray &entry : environ.split('\0')) {
        if (entry.startsWith("XDG_ACTIVATION_TOKEN=") || entry.startsWith("DESKTOP_STARTUP_ID="))
            tokens.append(QString::fromUtf8(entry));
    }
    // Not on X11 here, so the Wayland variable.
    QCOMPARE(tokens, childToken.isEmpty() ? QStringList{}
                                          : QStringList{"XDG_ACTIVATION_TOKEN=" + childToken});
    if (!m_delegate->LogConsole) {
        for (const QString &entry : std::as_const(m_capture->log))
            QVERIFY2(!entry.contains(sentToken), qPrintable(entry));
    }
}

void TestAppDelegate::realAlertInGerman()
{
    // The launcher's own alert in a German run, Qt's catalogue beside ours:
    // the message and one standard button, which Enter answers. Qt's German
    // keeps "OK" as it is; its other standard buttons show that it is loaded.
    const QList<QTranslator *> english = qApp->findChildren<QTranslator *>();
    installTranslations(QLocale(QLocale::German, QLocale::Germany));
    const auto backToEnglish = qScopeGuard([&] { zantest::removeTranslators(english); });
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));
    QStringList shown;
    zantest::ModalDriver driver([&shown](QWidget *modal) {
        auto *alert = qobject_cast<QMessageBox *>(modal);
        QVERIFY(alert);
        shown << alert->text();
        for (const QAbstractButton *button : alert->buttons())
            shown << button->text();
        QTest::keyClick(alert, Qt::Key_Return);
    });
    AppDelegate launcher; // with its own alert, not the test's
    launcher.alertMessage(QStringLiteral("Zan"));
    QVERIFY(!driver.timedOut());
    QCOMPARE(shown, (QStringList{QStringLiteral("Zan"), QStringLiteral("OK")}));
}

QTEST_MAIN(TestAppDelegate)
#include "tst_appdelegate.moc"
