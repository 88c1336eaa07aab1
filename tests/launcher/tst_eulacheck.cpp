// SPDX-License-Identifier: MIT
// The agreement check as the delegate runs it for a launch URL: what it
// stores, logs and starts, and the real prompt on the bundle's agreement.
#include "AppDelegate.h"
#include "EulaPrompt.h"
#include "LauncherFixture.h"
#include "ModalDriver.h"
#include "ProcessArguments.h"
#include "ProcessExit.h"
#include "SystemLog.h"
#include "VersionTrail.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

using namespace zan;

class TestEulaCheck : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cancelEndsTheRun();
    void acceptStoresAndLaunches();
    void onRecordDoesNotAsk();
    void administratorsRecordDoesNotAsk();
    void corruptTrailIsLoggedAndReplaced();
    void acceptanceRememberedInProcess_data();
    void acceptanceRememberedInProcess();
    void realPromptOnTheBundledAgreement_data();
    void realPromptOnTheBundledAgreement();

private:
    void writeSettings(const QByteArray &bytes);

    std::unique_ptr<zantest::TestBundle> m_bundle;
    QString m_settingsPath;
    std::unique_ptr<zantest::Capture> m_capture;
    std::unique_ptr<AppDelegate> m_delegate;
    zantest::FakeConsoleLauncher m_console;
    int m_asked = 0;
    qint64 m_answer = 0;
};

void TestEulaCheck::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestEulaCheck::init()
{
    m_bundle = std::make_unique<zantest::TestBundle>();
    QVERIFY(m_bundle->isValid());
    QVERIFY(m_bundle->writeInfoPlist(zantest::versionEntries("2.0.0", "200") +
                                     "<key>LogConsole</key><true/>"));
    m_settingsPath = m_bundle->settingsPath();

    m_console.runs.clear();
    m_asked = 0;
    m_answer = 0;
    m_capture = std::make_unique<zantest::Capture>();
    AppDelegate::resetOneEventForTests();
    setProcessArguments({m_bundle->path() + QStringLiteral("/Contents/bin/zan-client-launcher")});

    m_delegate = std::make_unique<AppDelegate>();
    m_bundle->use(*m_delegate);
    m_delegate->setAlertHandler([](const QString &) {});
    m_delegate->setEulaHandler([this] {
        ++m_asked;
        return m_answer;
    });
    m_delegate->setProcessRunner(m_console.runner());
    m_delegate->applicationWillFinishLaunching(); // a browser launch: logging on
}

void TestEulaCheck::cleanup()
{
    m_delegate.reset();
    m_capture.reset();
    m_bundle.reset();
}

void TestEulaCheck::writeSettings(const QByteArray &bytes)
{
    QVERIFY(QDir().mkpath(QFileInfo(m_settingsPath).path()));
    QVERIFY(zantest::writeBytes(m_settingsPath, bytes));
}

void TestEulaCheck::cancelEndsTheRun()
{
    // An earlier version accepted, this one never seen.
    const QByteArray before =
        "[kZanVersionTrail]\nkBuild=100\nkEULAAccepted=1.0.0\nkVersion=1.0.0\n";
    writeSettings(before);
    m_capture->log.clear();

    m_delegate->handleURLEvent(QStringLiteral("zan://demo.example/desktop"));
    QCOMPARE(m_asked, 1);
    QCOMPARE(m_capture->statuses, QList<int>{0});
    QVERIFY(!m_delegate->EULAIsAcceptedForVersion);
    QVERIFY(m_console.runs.isEmpty());
    QCOMPARE(m_capture->log, QStringList{QStringLiteral("User cancel EULA.")});
    QCOMPARE(zantest::readBytes(m_settingsPath), before);
    // The working copy holds what the check appended, in memory only.
    QCOMPARE(m_delegate->versionTrail.value(QStringLiteral("kVersion")).toStringList(),
             (QStringList{"1.0.0", "2.0.0"}));
}

void TestEulaCheck::acceptStoresAndLaunches()
{
    m_answer = kEulaAccept;
    m_delegate->handleURLEvent(QStringLiteral("zan://demo.example/desktop"));
    QCOMPARE(m_asked, 1);
    QVERIFY(m_capture->statuses.size() == 1 &&
            m_capture->statuses.first() == 0); // the runner's status
    QVERIFY(m_delegate->EULAIsAcceptedForVersion);
    QCOMPARE(m_console.arguments(),
             QList<QStringList>{{QStringLiteral("zan://demo.example/desktop")}});

    QSettings stored(m_settingsPath, QSettings::IniFormat);
    const StoredTrail trail = readVersionTrail(stored);
    QVERIFY(trail.trail.has_value());
    QCOMPARE(trail.trail->versions, QStringList{"2.0.0"});
    QCOMPARE(trail.trail->builds, QStringList{"200"});
    QCOMPARE(trail.trail->accepted, QStringList{"2.0.0"});
    QCOMPARE(m_delegate->versionTrail, trail.trail->toVariantMap());

    // A second event in the same process finds the agreement on record.
    m_delegate->handleURLEvent(QStringLiteral("zan://other.example"));
    QCOMPARE(m_asked, 1);
    QCOMPARE(m_console.runs.size(), 1);
}

void TestEulaCheck::onRecordDoesNotAsk()
{
    const QByteArray before =
        "[kZanVersionTrail]\nkBuild=199\nkEULAAccepted=2.0.0\nkVersion=2.0.0\n";
    writeSettings(before);
    m_delegate->trackEULA();
    QCOMPARE(m_asked, 0);
    QVERIFY(m_delegate->EULAIsAcceptedForVersion);
    QVERIFY(m_capture->statuses.isEmpty());
    QCOMPARE(zantest::readBytes(m_settingsPath), before);
    QCOMPARE(m_delegate->versionTrail.value(QStringLiteral("kBuild")).toStringList(),
             (QStringList{"199", "200"}));
}

// An administrator's trail in the system's configuration folders (/etc/xdg,
// XDG_CONFIG_DIRS) lies beneath the user's own: an agreement accepted there
// for every user is on record, and nothing is written to the user's folder.
void TestEulaCheck::administratorsRecordDoesNotAsk()
{
    const QString user = m_bundle->beside(QStringLiteral("user"));
    const QString admin = m_bundle->beside(QStringLiteral("admin"));
    QVERIFY(QDir().mkpath(admin + QStringLiteral("/zan")));
    QVERIFY(zantest::writeBytes(admin + QStringLiteral("/zan/com.zan.ClientLauncher.ini"),
                                "[kZanVersionTrail]\nkBuild=200\nkEULAAccepted=2.0.0\n"
                                "kVersion=2.0.0\n"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, user);
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, admin);
    AppDelegate delegate; // its own user defaults, not the test's file
    delegate.setBundlePath(m_bundle->path());
    delegate.setEulaHandler([this] { return qint64(++m_asked); });
    delegate.trackEULA();
    QCOMPARE(m_asked, 0);
    QVERIFY(delegate.EULAIsAcceptedForVersion);
    QVERIFY(!QFileInfo::exists(user));
}

void TestEulaCheck::corruptTrailIsLoggedAndReplaced()
{
    writeSettings("[General]\nkZanVersionTrail=@Rect(0 0 1 1)\n");
    m_capture->log.clear();
    m_answer = kEulaAccept;
    m_delegate->trackEULA();
    QCOMPARE(m_asked, 1);
    QCOMPARE(m_capture->log.size(), 1);
    QVERIFY(m_capture->log.first().contains(QStringLiteral("not readable")));
    QSettings stored(m_settingsPath, QSettings::IniFormat);
    const StoredTrail trail = readVersionTrail(stored);
    QVERIFY(trail.trail.has_value());
    QCOMPARE(trail.trail->accepted, QStringList{"2.0.0"});
}

void TestEulaCheck::acceptanceRememberedInProcess_data()
{
    QTest::addColumn<bool>("settingsWritable");
    QTest::addColumn<bool>("withVersion");
    QTest::newRow("settings not writable") << false << true;
    QTest::newRow("no version in Info.plist") << true << false;
}

// An acceptance that could not be recorded still holds for this process: a
// second prompt could be cancelled while the console launcher runs on.
void TestEulaCheck::acceptanceRememberedInProcess()
{
    QFETCH(bool, settingsWritable);
    QFETCH(bool, withVersion);
    if (!settingsWritable)
        QVERIFY(QDir().mkpath(m_settingsPath)); // a folder where the file should be
    if (!withVersion)
        QVERIFY(m_bundle->writeInfoPlist("<key>CFBundleVersion</key><string>200</string>"));
    m_answer = kEulaAccept;
    m_delegate->trackEULA();
    QVERIFY(m_delegate->EULAIsAcceptedForVersion);
    m_answer = 0; // would decline, were it asked
    m_delegate->trackEULA();
    QCOMPARE(m_asked, 1);
    QVERIFY(m_delegate->EULAIsAcceptedForVersion);
    QVERIFY(m_capture->statuses.isEmpty());
}

void TestEulaCheck::realPromptOnTheBundledAgreement_data()
{
    QTest::addColumn<bool>("withAgreement");
    QTest::addColumn<int>("key");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("Enter accepts") << true << int(Qt::Key_Return) << qint64(1);
    QTest::newRow("Escape declines") << true << int(Qt::Key_Escape) << qint64(0);
    QTest::newRow("no agreement: Enter cannot accept") << false << int(Qt::Key_Return) << qint64(0);
}

void TestEulaCheck::realPromptOnTheBundledAgreement()
{
    QFETCH(bool, withAgreement);
    QFETCH(int, key);
    QFETCH(qint64, expected);
    if (withAgreement) {
        QVERIFY(QFile::copy(QStringLiteral(ZAN_AGREEMENT_PATH),
                            m_bundle->resource(QStringLiteral("License Agreement.rtf"))));
    }
    m_delegate->setEulaHandler({});
    m_capture->log.clear();
    zantest::ModalDriver driver([&](QWidget *modal) {
        auto *prompt = qobject_cast<EulaPrompt *>(modal);
        QVERIFY(prompt);
        QCOMPARE(prompt->acceptButton()->isEnabled(), withAgreement);
        QVERIFY(QTest::qWaitForWindowActive(prompt));
        QTest::keyClick(prompt->focusWidget(), Qt::Key(key));
    });
    QCOMPARE(m_delegate->showEULA(), expected);
    QVERIFY(!driver.timedOut());
    // Only an agreement that cannot be read leaves a log entry.
    QCOMPARE(m_capture->log.size(), withAgreement ? 0 : 1);
}

QTEST_MAIN(TestEulaCheck)
#include "tst_eulacheck.moc"
