// SPDX-License-Identifier: MIT
// The version trail and the agreement check over successive launches.
#include "VersionTrail.h"

#include "TestSupport.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace zan;

Q_DECLARE_METATYPE(std::optional<QString>)

namespace {

using zantest::readBytes;
using zantest::writeBytes;

const QByteArray absent = zantest::noFile;

QByteArray trailIni(const QByteArray &versions, const QByteArray &builds,
                    const QByteArray &accepted)
{
    return "[General]\nother=kept\n\n[kZanVersionTrail]\nkBuild=" + builds +
           "\nkEULAAccepted=" + accepted + "\nkVersion=" + versions + "\n";
}

} // namespace

class TestVersionTrail : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void readStored_data();
    void readStored();
    void storeAndRead_data();
    void storeAndRead();
    void agreementCheck_data();
    void agreementCheck();
    void launchesOverTime();
    void onlyAcceptAccepts_data();
    void onlyAcceptAccepts();
    void missingVersionOrBuild();
    void unwritableSettings();
    void changedWhileAsking();
    void unreadableLinesAreReported();

private:
    std::unique_ptr<QSettings> openSettings() const
    {
        return std::make_unique<QSettings>(m_path, QSettings::IniFormat);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestVersionTrail::initTestCase()
{
    // Nothing here may touch the user's own settings.
    QStandardPaths::setTestModeEnabled(true);
}

void TestVersionTrail::init()
{
    // A settings file of its own for every test row.
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QStringLiteral("com.zan.ClientLauncher.conf"));
}

void TestVersionTrail::readStored_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<bool>("hasTrail");
    QTest::addColumn<QStringList>("versions");
    QTest::addColumn<QStringList>("builds");
    QTest::addColumn<QStringList>("accepted");
    QTest::addColumn<bool>("problem");

    QTest::newRow("no file") << absent << false << QStringList() << QStringList() << QStringList()
                             << false;
    QTest::newRow("other settings only")
        << QByteArray("[General]\nother=1\n") << false << QStringList() << QStringList()
        << QStringList() << false;
    QTest::newRow("lists of several")
        << trailIni("1.0.0, 1.1.0", "100, 101, 110", "1.0.0, 1.1.0") << true
        << QStringList{"1.0.0", "1.1.0"} << QStringList{"100", "101", "110"}
        << QStringList{"1.0.0", "1.1.0"} << false;
    QTest::newRow("lists of one are single values in the file")
        << trailIni("1.0.0", "100", "1.0.0") << true << QStringList{"1.0.0"} << QStringList{"100"}
        << QStringList{"1.0.0"} << false;
    QTest::newRow("empty list") << trailIni("1.0.0", "100", "@Invalid()") << true
                                << QStringList{"1.0.0"} << QStringList{"100"} << QStringList()
                                << false;
    QTest::newRow("a list missing")
        << QByteArray("[kZanVersionTrail]\nkVersion=1.0.0\nkEULAAccepted=1.0.0\n") << false
        << QStringList() << QStringList() << QStringList() << true;
    QTest::newRow("a plain value, not a group")
        << QByteArray("[General]\nkZanVersionTrail=1.0.0\n") << false << QStringList()
        << QStringList() << QStringList() << true;
    QTest::newRow("a list that is not text")
        << trailIni("@Rect(0 0 10 10)", "100", "1.0.0") << false << QStringList() << QStringList()
        << QStringList() << true;
    QTest::newRow("bytes in place of text")
        << trailIni("1.0.0", "@ByteArray(100)", "1.0.0") << false << QStringList() << QStringList()
        << QStringList() << true;
    QTest::newRow("group with strange keys only")
        << QByteArray("[kZanVersionTrail]\nsomething=else\n") << false << QStringList()
        << QStringList() << QStringList() << true;
}

void TestVersionTrail::readStored()
{
    QFETCH(QByteArray, ini);
    QFETCH(bool, hasTrail);
    QFETCH(QStringList, versions);
    QFETCH(QStringList, builds);
    QFETCH(QStringList, accepted);
    QFETCH(bool, problem);

    if (ini != absent)
        QVERIFY(writeBytes(m_path, ini));
    const auto settings = openSettings();
    const StoredTrail stored = readVersionTrail(*settings);
    QCOMPARE(stored.trail.has_value(), hasTrail);
    QCOMPARE(!stored.problem.isEmpty(), problem);
    if (hasTrail) {
        QCOMPARE(stored.trail->versions, versions);
        QCOMPARE(stored.trail->builds, builds);
        QCOMPARE(stored.trail->accepted, accepted);
    }
}

void TestVersionTrail::storeAndRead_data()
{
    QTest::addColumn<QStringList>("versions");

    QTest::newRow("empty") << QStringList();
    QTest::newRow("one") << QStringList{"1.0.0"};
    QTest::newRow("several") << QStringList{"1.0.0", "1.0.1", "2.0"};
    QTest::newRow("one empty text") << QStringList{QString()};
    QTest::newRow("commas, quotes, backslashes, spaces")
        << QStringList{"1,0", "\"2\"", "a\\b", " 3 ", "x=y", "[z]", ";#"};
    QTest::newRow("unicode and line breaks")
        << QStringList{QStringLiteral("\u00E9\u65E5 \U0001F600"), QStringLiteral("a\nb\tc")};
}

void TestVersionTrail::storeAndRead()
{
    QFETCH(QStringList, versions);
    const VersionTrail trail{versions, versions, versions};
    {
        const auto settings = openSettings();
        settings->setValue(QStringLiteral("other"), QStringLiteral("kept"));
        QCOMPARE(storeVersionTrail(*settings, trail), QString());
    }
    const auto settings = openSettings();
    const StoredTrail stored = readVersionTrail(*settings);
    QVERIFY(stored.trail.has_value());
    QCOMPARE(*stored.trail, trail);
    QCOMPARE(settings->value(QStringLiteral("other")).toString(), QStringLiteral("kept"));
    // The trail stays readable in the file, one line per list.
    const QByteArray text = readBytes(m_path);
    QVERIFY(text.contains("[kZanVersionTrail]\n"));
    QVERIFY(text.contains("\nkVersion="));
    QVERIFY(text.contains("\nkBuild="));
    QVERIFY(text.contains("\nkEULAAccepted="));
}

void TestVersionTrail::agreementCheck_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("build");
    QTest::addColumn<bool>("prompts");
    // What is stored after an Accept (when prompted); unchanged when not.
    QTest::addColumn<QStringList>("versions");
    QTest::addColumn<QStringList>("builds");
    QTest::addColumn<QStringList>("accepted");

    QTest::newRow("first launch ever")
        << absent << "1.0.0"
        << "100" << true << QStringList{"1.0.0"} << QStringList{"100"} << QStringList{"1.0.0"};
    QTest::newRow("settings without a trail")
        << QByteArray("[General]\nother=kept\n") << "1.0.0"
        << "100" << true << QStringList{"1.0.0"} << QStringList{"100"} << QStringList{"1.0.0"};
    QTest::newRow("accepted version, same build")
        << trailIni("1.0.0", "100", "1.0.0") << "1.0.0"
        << "100" << false << QStringList() << QStringList() << QStringList();
    QTest::newRow("accepted version, new build is not stored")
        << trailIni("1.0.0", "100", "1.0.0") << "1.0.0"
        << "101" << false << QStringList() << QStringList() << QStringList();
    QTest::newRow("back to an earlier accepted version")
        << trailIni("1.0.0, 2.0.0", "100, 200", "1.0.0, 2.0.0") << "1.0.0"
        << "100" << false << QStringList() << QStringList() << QStringList();
    QTest::newRow("new version, new build")
        << trailIni("1.0.0", "100", "1.0.0") << "2.0.0"
        << "200" << true << QStringList{"1.0.0", "2.0.0"} << QStringList{"100", "200"}
        << QStringList{"1.0.0", "2.0.0"};
    QTest::newRow("new version, known build")
        << trailIni("1.0.0", "100", "1.0.0") << "2.0.0"
        << "100" << true << QStringList{"1.0.0", "2.0.0"} << QStringList{"100"}
        << QStringList{"1.0.0", "2.0.0"};
    QTest::newRow("recorded but not accepted")
        << trailIni("1.0.0", "100", "@Invalid()") << "1.0.0"
        << "100" << true << QStringList{"1.0.0"} << QStringList{"100"} << QStringList{"1.0.0"};
    QTest::newRow("recorded but not accepted, new build")
        << trailIni("1.0.0, 2.0.0", "100", "2.0.0") << "1.0.0"
        << "101" << true << QStringList{"1.0.0", "2.0.0"} << QStringList{"100", "101"}
        << QStringList{"2.0.0", "1.0.0"};
    QTest::newRow("version differing in case is new")
        << trailIni("1.0.0-beta", "100", "1.0.0-beta") << "1.0.0-Beta"
        << "100" << true << QStringList{"1.0.0-beta", "1.0.0-Beta"} << QStringList{"100"}
        << QStringList{"1.0.0-beta", "1.0.0-Beta"};
    QTest::newRow("version differing in spacing is new")
        << trailIni("1.0.0", "100", "1.0.0") << "1.0.0 "
        << "100" << true << QStringList{"1.0.0", "1.0.0 "} << QStringList{"100"}
        << QStringList{"1.0.0", "1.0.0 "};
    QTest::newRow("corrupt trail is replaced by a sound one")
        << QByteArray("[General]\nother=kept\nkZanVersionTrail=garbage\n") << "1.0.0"
        << "100" << true << QStringList{"1.0.0"} << QStringList{"100"} << QStringList{"1.0.0"};
    QTest::newRow("trail lacking a list is replaced")
        << QByteArray("[kZanVersionTrail]\nkVersion=0.9\nkEULAAccepted=0.9\n") << "1.0.0"
        << "100" << true << QStringList{"1.0.0"} << QStringList{"100"} << QStringList{"1.0.0"};
}

void TestVersionTrail::agreementCheck()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, version);
    QFETCH(QString, build);
    QFETCH(bool, prompts);
    QFETCH(QStringList, versions);
    QFETCH(QStringList, builds);
    QFETCH(QStringList, accepted);

    if (before != absent)
        QVERIFY(writeBytes(m_path, before));

    int asked = 0;
    if (prompts) {
        // Cancel first: nothing changes, byte for byte, and the next check
        // asks again.
        EulaCheck check = checkEula(*openSettings(), version, build, [&] {
            ++asked;
            return qint64(0);
        });
        QCOMPARE(check.outcome, EulaOutcome::Declined);
        QCOMPARE(asked, 1);
        QCOMPARE(readBytes(m_path), before);
    }

    const EulaCheck check = checkEula(*openSettings(), version, build, [&] {
        ++asked;
        return kEulaAccept;
    });
    QCOMPARE(asked, prompts ? 2 : 0);
    QCOMPARE(check.outcome, prompts ? EulaOutcome::Accepted : EulaOutcome::OnRecord);
    QVERIFY(check.workingCopy.versions.contains(version));
    QVERIFY(check.workingCopy.builds.contains(build));

    if (!prompts) {
        // Nothing is written when the agreement is on record.
        QCOMPARE(readBytes(m_path), before);
        return;
    }
    const StoredTrail stored = readVersionTrail(*openSettings());
    QVERIFY(stored.trail.has_value());
    QCOMPARE(stored.trail->versions, versions);
    QCOMPARE(stored.trail->builds, builds);
    QCOMPARE(stored.trail->accepted, accepted);
    QCOMPARE(check.workingCopy, *stored.trail);
    if (before.contains("other=kept"))
        QCOMPARE(openSettings()->value(QStringLiteral("other")).toString(), QStringLiteral("kept"));
}

void TestVersionTrail::launchesOverTime()
{
    int asked = 0;
    const auto launch = [&](const QString &version, const QString &build) {
        return checkEula(*openSettings(), version, build,
                         [&] {
                             ++asked;
                             return kEulaAccept;
                         })
            .outcome;
    };
    QCOMPARE(launch("1.0.0", "100"), EulaOutcome::Accepted);
    QCOMPARE(launch("1.0.0", "100"), EulaOutcome::OnRecord);
    QCOMPARE(launch("1.0.0", "101"), EulaOutcome::OnRecord);
    QCOMPARE(asked, 1);
    QCOMPARE(launch("1.1.0", "110"), EulaOutcome::Accepted);
    QCOMPARE(launch("1.0.0", "102"), EulaOutcome::OnRecord);
    QCOMPARE(launch("1.1.0", "110"), EulaOutcome::OnRecord);
    QCOMPARE(asked, 2);

    // Builds are stored only together with an acceptance.
    const StoredTrail stored = readVersionTrail(*openSettings());
    QVERIFY(stored.trail.has_value());
    QCOMPARE(stored.trail->versions, (QStringList{"1.0.0", "1.1.0"}));
    QCOMPARE(stored.trail->builds, (QStringList{"100", "110"}));
    QCOMPARE(stored.trail->accepted, (QStringList{"1.0.0", "1.1.0"}));
}

void TestVersionTrail::onlyAcceptAccepts_data()
{
    QTest::addColumn<qint64>("answer");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("accept") << qint64(1) << true;
    QTest::newRow("cancel") << qint64(0) << false;
    QTest::newRow("other button") << qint64(2) << false;
    QTest::newRow("negative") << qint64(-1) << false;
    QTest::newRow("large") << qint64(1) + (qint64(1) << 32) << false;
}

void TestVersionTrail::onlyAcceptAccepts()
{
    QFETCH(qint64, answer);
    QFETCH(bool, accepted);
    const EulaCheck check = checkEula(*openSettings(), QStringLiteral("1.0.0"),
                                      QStringLiteral("100"), [&] { return answer; });
    QCOMPARE(check.outcome, accepted ? EulaOutcome::Accepted : EulaOutcome::Declined);
    QCOMPARE(readBytes(m_path) == absent, !accepted);
}

void TestVersionTrail::missingVersionOrBuild()
{
    // Without a version nothing can be recorded: the user is asked every time.
    int asked = 0;
    const auto accept = [&] {
        ++asked;
        return kEulaAccept;
    };
    EulaCheck check = checkEula(*openSettings(), std::nullopt, QStringLiteral("100"), accept);
    QCOMPARE(check.outcome, EulaOutcome::Accepted);
    QVERIFY(!check.problems.isEmpty());
    QCOMPARE(readBytes(m_path), absent);
    check = checkEula(*openSettings(), std::nullopt, QStringLiteral("100"), accept);
    QCOMPARE(asked, 2);

    // Without a build, the version alone is recorded.
    check = checkEula(*openSettings(), QStringLiteral("1.0.0"), std::nullopt, accept);
    QCOMPARE(check.outcome, EulaOutcome::Accepted);
    const StoredTrail stored = readVersionTrail(*openSettings());
    QVERIFY(stored.trail.has_value());
    QCOMPARE(stored.trail->versions, QStringList{"1.0.0"});
    QCOMPARE(stored.trail->builds, QStringList());
    QCOMPARE(stored.trail->accepted, QStringList{"1.0.0"});
}

void TestVersionTrail::unwritableSettings()
{
    // A settings path under a regular file can never be written.
    QVERIFY(writeBytes(m_path, "not a folder"));
    QSettings settings(m_path + QStringLiteral("/trail.conf"), QSettings::IniFormat);
    const EulaCheck check = checkEula(settings, QStringLiteral("1.0.0"), QStringLiteral("100"),
                                      [] { return kEulaAccept; });
    // The user did accept; the run goes on, and the failure is reported.
    QCOMPARE(check.outcome, EulaOutcome::Accepted);
    QCOMPARE(check.problems.size(), 1);
    QVERIFY(check.problems.first().contains(QStringLiteral("trail.conf")));
}

void TestVersionTrail::changedWhileAsking()
{
    QVERIFY(writeBytes(m_path, trailIni("1.0.0", "100", "@Invalid()")));
    // Another launcher accepts 1.1.0 while this one's prompt is open; what it
    // stored stays, and this acceptance is added after it.
    const EulaCheck check =
        checkEula(*openSettings(), QStringLiteral("1.0.0"), QStringLiteral("101"), [this] {
            QSettings other(m_path, QSettings::IniFormat);
            storeVersionTrail(other, VersionTrail{{"1.0.0", "1.1.0"}, {"100", "110"}, {"1.1.0"}});
            return kEulaAccept;
        });
    QCOMPARE(check.outcome, EulaOutcome::Accepted);
    const StoredTrail stored = readVersionTrail(*openSettings());
    QVERIFY(stored.trail.has_value());
    QCOMPARE(stored.trail->versions, (QStringList{"1.0.0", "1.1.0"}));
    QCOMPARE(stored.trail->builds, (QStringList{"100", "110", "101"}));
    QCOMPARE(stored.trail->accepted, (QStringList{"1.1.0", "1.0.0"}));
    QCOMPARE(check.workingCopy, *stored.trail);
}

void TestVersionTrail::unreadableLinesAreReported()
{
    QVERIFY(writeBytes(m_path, QByteArray("\xff\xfe\0\x01garbage\x80\x81=\n[[", 16)));
    const EulaCheck check = checkEula(*openSettings(), QStringLiteral("1.0.0"),
                                      QStringLiteral("100"), [] { return kEulaAccept; });
    QCOMPARE(check.outcome, EulaOutcome::Accepted);
    QVERIFY(!check.problems.isEmpty());
    QVERIFY(check.problems.first().contains(QStringLiteral("could not be read")));
    const StoredTrail stored = readVersionTrail(*openSettings());
    QVERIFY(stored.trail.has_value());
    QCOMPARE(stored.trail->accepted, QStringList{"1.0.0"});
}

QTEST_GUILESS_MAIN(TestVersionTrail)
#include "tst_versiontrail.moc"
