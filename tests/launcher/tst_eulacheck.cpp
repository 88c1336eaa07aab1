// SPDX-License-Identifier: MIT
// The agreement check as the delegate runs it for a launch URL: what it
// stores, logs and starts, and the real prompt on the bundle's agreement.
#include "AppDelegate.h"
#include "EulaPrompt.h"
#include "ProcessArguments.h"
#include "ProcessExit.h"
#include "SystemLog.h"
#include "VersionTrail.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace zan;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

} // namespace

class TestEulaCheck : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cancelEndsTheRun();
    void acceptStoresAndLaunches();
    void onRecordDoesNotAsk();
    void corruptTrailIsLoggedAndReplaced();
    void acceptanceRememberedInProcess_data();
    void acceptanceRememberedInProcess();
    void realPromptOnTheBundledAgreement_data();
    void realPromptOnTheBundledAgreement();

private:
    void writeSettings(const QByteArray &bytes);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_bundle;
    QString m_settingsPath;
    std::unique_ptr<AppDelegate> m_delegate;
    QStringList m_entries;
    QList<int> m_exits;
    QList<QStringList> m_runs;
    int m_asked = 0;
    qint64 m_answer = 0;
};

void TestEulaCheck::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestEulaCheck::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_bundle = m_dir->filePath(QStringLiteral("Zan Client Launcher"));
    QVERIFY(QDir().mkpath(m_bundle + QStringLiteral("/Contents/Resources")));
    QFile plist(m_bundle + QStringLiteral("/Contents/Info.plist"));
    QVERIFY(plist.open(QIODevice::WriteOnly));
    plist.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>"
                "<key>CFBundleShortVersionString</key><string>2.0.0</string>"
                "<key>CFBundleVersion</key><string>200</string>"
                "<key>LogConsole</key><true/></dict>\n</plist>\n");
    plist.close();
    m_settingsPath = m_dir->filePath(QStringLiteral("settings/com.zan.ClientLauncher.ini"));

    m_entries.clear();
    m_exits.clear();
    m_runs.clear();
    m_asked = 0;
    m_answer = 0;
    setLogSink([this](const QString &entry) { m_entries.append(entry); });
    setExitHandler([this](int status) { m_exits.append(status); });
    AppDelegate::resetOneEventForTests();
    setProcessArguments({m_bundle + QStringLiteral("/Contents/bin/zan-client-launcher")});

    m_delegate = std::make_unique<AppDelegate>();
    m_delegate->setBundlePath(m_bundle);
    m_delegate->setUseSessionBus(false);
    m_delegate->setAlertHandler([](const QString &) {});
    const QString path = m_settingsPath;
    m_delegate->setSettingsFactory(
        [path] { return std::make_unique<QSettings>(path, QSettings::IniFormat); });
    m_delegate->setEulaHandler([this] {
        ++m_asked;
        return m_answer;
    });
    m_delegate->setProcessRunner(
        [this](const QString &, const QByteArrayList &arguments, const QString &) {
            QStringList texts;
            for (const QByteArray &argument : arguments)
                texts.append(QString::fromUtf8(argument));
            m_runs.append(texts);
            return RunOutcome();
        });
    m_delegate->applicationWillFinishLaunching(); // a browser launch: logging on
}

void TestEulaCheck::cleanup()
{
    m_delegate.reset();
    setLogSink({});
    setExitHandler({});
    m_dir.reset();
}

void TestEulaCheck::writeSettings(const QByteArray &bytes)
{
    QVERIFY(QDir().mkpath(QFileInfo(m_settingsPath).path()));
    QFile file(m_settingsPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void TestEulaCheck::cancelEndsTheRun()
{
    // An earlier version accepted, this one never seen.
    const QByteArray before =
        "[kZanVersionTrail]\nkBuild=100\nkEULAAccepted=1.0.0\nkVersion=1.0.0\n";
    writeSettings(before);
    m_entries.clear();

    m_delegate->handleURLEvent(QStringLiteral("zan://demo.example/desktop"));
    QCOMPARE(m_asked, 1);
    QCOMPARE(m_exits, QList<int>{0});
    QVERIFY(!m_delegate->EULAIsAcceptedForVersion);
    QVERIFY(m_runs.isEmpty());
    QCOMPARE(m_entries, QStringList{QStringLiteral("User cancel EULA.")});
    QCOMPARE(fileBytes(m_settingsPath), before);
    // The working copy holds what the check appended, in memory only.
    QCOMPARE(m_delegate->versionTrail.value(QStringLiteral("kVersion")).toStringList(),
             (QStringList{"1.0.0", "2.0.0"}));
}

void TestEulaCheck::acceptStoresAndLaunches()
{
    m_answer = kEulaAccept;
    m_delegate->handleURLEvent(QStringLiteral("zan://demo.example/desktop"));
    QCOMPARE(m_asked, 1);
    QVERIFY(m_exits.size() == 1 && m_exits.first() == 0); // the runner's status
    QVERIFY(m_delegate->EULAIsAcceptedForVersion);
    QCOMPARE(m_runs, QList<QStringList>{{QStringLiteral("zan://demo.example/desktop")}});

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
    QCOMPARE(m_runs.size(), 1);
}

void TestEulaCheck::onRecordDoesNotAsk()
{
    const QByteArray before =
        "[kZanVersionTrail]\nkBuild=199\nkEULAAccepted=2.0.0\nkVersion=2.0.0\n";
    writeSettings(before);
    m_delegate->trackEULA();
    QCOMPARE(m_asked, 0);
    QVERIFY(m_delegate->EULAIsAcceptedForVersion);
    QVERIFY(m_exits.isEmpty());
    QCOMPARE(fileBytes(m_settingsPath), before);
    QCOMPARE(m_delegate->versionTrail.value(QStringLiteral("kBuild")).toStringList(),
             (QStringList{"199", "200"}));
}

void TestEulaCheck::corruptTrailIsLoggedAndReplaced()
{
    writeSettings("[General]\nkZanVersionTrail=@Rect(0 0 1 1)\n");
    m_entries.clear();
    m_answer = kEulaAccept;
    m_delegate->trackEULA();
    QCOMPARE(m_asked, 1);
    QCOMPARE(m_entries.size(), 1);
    QVERIFY(m_entries.first().contains(QStringLiteral("not readable")));
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
    if (!withVersion) {
        QFile plist(m_bundle + QStringLiteral("/Contents/Info.plist"));
        QVERIFY(plist.open(QIODevice::WriteOnly));
        plist.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n"
                    "<dict><key>CFBundleVersion</key><string>200</string></dict>\n</plist>\n");
    }
    m_answer = kEulaAccept;
    m_delegate->trackEULA();
    QVERIFY(m_delegate->EULAIsAcceptedForVersion);
    m_answer = 0; // would decline, were it asked
    m_delegate->trackEULA();
    QCOMPARE(m_asked, 1);
    QVERIFY(m_delegate->EULAIsAcceptedForVersion);
    QVERIFY(m_exits.isEmpty());
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
        QVERIFY(
            QFile::copy(QStringLiteral(ZAN_AGREEMENT_PATH),
                        m_bundle + QStringLiteral("/Contents/Resources/License Agreement.rtf")));
    }
    m_delegate->setEulaHandler({});
    m_entries.clear();
    QTimer::singleShot(0, this, [&] {
        QTRY_VERIFY(qobject_cast<EulaPrompt *>(QApplication::activeModalWidget()));
        auto *prompt = qobject_cast<EulaPrompt *>(QApplication::activeModalWidget());
        QCOMPARE(prompt->acceptButton()->isEnabled(), withAgreement);
        QVERIFY(QTest::qWaitForWindowActive(prompt));
        QTest::keyClick(prompt->focusWidget(), Qt::Key(key));
    });
    QTimer safety;
    connect(&safety, &QTimer::timeout, this, [] {
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
    });
    safety.start(10000);
    QCOMPARE(m_delegate->showEULA(), expected);
    // Only an agreement that cannot be read leaves a log entry.
    QCOMPARE(m_entries.size(), withAgreement ? 0 : 1);
}

QTEST_MAIN(TestEulaCheck)
#include "tst_eulacheck.moc"
