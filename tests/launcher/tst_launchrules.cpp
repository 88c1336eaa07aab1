// SPDX-License-Identifier: MIT
// Start-up decision, log rendering of arguments, the launch URL check and the
// desktop's launch token.
#include "LaunchRules.h"
#include "LaunchToken.h"

#include <QTest>

using namespace zan;

Q_DECLARE_METATYPE(zan::StartPath)

class TestLaunchRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decideStart_data();
    void decideStart();
    void describeList_data();
    void describeList();
    void argumentSummary();
    void launchUrl_data();
    void launchUrl();
    void launchToken_data();
    void launchToken();
};

void TestLaunchRules::decideStart_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<StartPath>("path");
    QTest::addColumn<QStringList>("parameters");
    QTest::addColumn<bool>("psn");

    const QString prog = QStringLiteral("/b/Contents/bin/zan-client-launcher");
    QTest::newRow("program path alone")
        << QStringList{prog} << StartPath::Browser << QStringList{} << false;
    QTest::newRow("no arguments at all")
        << QStringList{} << StartPath::Browser << QStringList{} << false;
    QTest::newRow("two parameters")
        << QStringList{prog, "a", "b"} << StartPath::CommandLine << QStringList{"a", "b"} << false;
    QTest::newRow("empty parameter")
        << QStringList{prog, ""} << StartPath::CommandLine << QStringList{""} << false;
    QTest::newRow("psn second") << QStringList{prog, "zan://h", "-psn_0_1234"}
                                << StartPath::CommandLine << QStringList{"zan://h", "-psn_0_1234"}
                                << true;
    QTest::newRow("psn first") << QStringList{prog, "-psn_0_1"} << StartPath::CommandLine
                               << QStringList{"-psn_0_1"} << true;
    QTest::newRow("psn further in")
        << QStringList{prog, "zan://h-psn_1", "x-psn_"} << StartPath::CommandLine
        << QStringList{"zan://h-psn_1", "x-psn_"} << false;
    QTest::newRow("psn in other case")
        << QStringList{prog, "-PSN_1"} << StartPath::CommandLine << QStringList{"-PSN_1"} << false;
    QTest::newRow("desktop open") << QStringList{prog, "--open-url", "zan://h"}
                                  << StartPath::DesktopOpen << QStringList{"zan://h"} << false;
    QTest::newRow("desktop open without URL")
        << QStringList{prog, "--open-url"} << StartPath::DesktopOpen << QStringList{} << false;
    QTest::newRow("desktop option later is a parameter")
        << QStringList{prog, "a", "--open-url"} << StartPath::CommandLine
        << QStringList{"a", "--open-url"} << false;
}

void TestLaunchRules::decideStart()
{
    QFETCH(QStringList, arguments);
    QFETCH(StartPath, path);
    QFETCH(QStringList, parameters);
    QFETCH(bool, psn);
    const StartDecision decision = zan::decideStart(arguments);
    QCOMPARE(decision.path, path);
    QCOMPARE(decision.parameters, parameters);
    QCOMPARE(decision.processSerialNumber, psn);
}

void TestLaunchRules::describeList_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QStringList{} << QStringLiteral("()");
    QTest::newRow("one") << QStringList{"/b/zan-client-launcher"}
                         << QStringLiteral("(\"/b/zan-client-launcher\")");
    QTest::newRow("two with space") << QStringList{"a b", ""} << QStringLiteral("(\"a b\", \"\")");
    QTest::newRow("escapes") << QStringList{"q\"\\", "l1\nl2\t\x1b"}
                             << QStringLiteral("(\"q\\\"\\\\\", \"l1\\nl2\\t\\u001b\")");
    QTest::newRow("unicode kept") << QStringList{QString::fromUtf8("ünï")}
                                  << QString::fromUtf8("(\"ünï\")");
}

void TestLaunchRules::describeList()
{
    QFETCH(QStringList, list);
    QFETCH(QString, text);
    QCOMPARE(zan::describeList(list), text);
}

void TestLaunchRules::argumentSummary()
{
    QCOMPARE(zan::argumentSummary({"a b", "c d"}), QStringLiteral("start console:\n a b c d"));
    QCOMPARE(zan::argumentSummary({}), QStringLiteral("start console:\n"));
    QCOMPARE(zan::argumentSummary({""}), QStringLiteral("start console:\n "));
}

void TestLaunchRules::launchUrl_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("taken");
    QTest::newRow("zan") << "zan://demo.example/x?y=1" << true;
    QTest::newRow("scheme in capitals") << "ZAN://demo.example" << true;
    QTest::newRow("unicode") << QString::fromUtf8("zan://hö.example/ü") << true;
    QTest::newRow("http") << "http://demo.example" << false;
    QTest::newRow("option") << "-Auth" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("scheme further in") << "x zan://demo" << false;
    QTest::newRow("line break") << "zan://a\n-psn_1" << false;
    QTest::newRow("escape") << "zan://a\x1b[2J" << false;
    QTest::newRow("NUL") << QString(QStringLiteral("zan://a") + QChar(0)) << false;
    QTest::newRow("C1 control") << QString(QStringLiteral("zan://a") + QChar(0x85)) << false;
    QTest::newRow("line separator") << QString(QStringLiteral("zan://a") + QChar(0x2028)) << false;
}

void TestLaunchRules::launchUrl()
{
    QFETCH(QString, url);
    QFETCH(bool, taken);
    QCOMPARE(zan::launchUrlProblem(url).isEmpty(), taken);
}

void TestLaunchRules::launchToken_data()
{
    QTest::addColumn<QVariantMap>("platformData");
    QTest::addColumn<QString>("token");
    const QString wayland = QStringLiteral("b3f1c2d4e5f60718293a4b5c6d7e8f90");
    const QString x11 = QStringLiteral("gio-1234-host-xdg-open-0_TIME5678");
    QTest::newRow("Wayland token") << QVariantMap{{"activation-token", wayland}} << wayland;
    QTest::newRow("X11 startup ID") << QVariantMap{{"desktop-startup-id", x11}} << x11;
    QTest::newRow("GLib 2.76 sends both")
        << QVariantMap{{"activation-token", wayland}, {"desktop-startup-id", x11}} << wayland;
    QTest::newRow("empty activation token")
        << QVariantMap{{"activation-token", QString()}, {"desktop-startup-id", x11}} << x11;
    QTest::newRow("none") << QVariantMap{{"pwd", "/home/u"}} << QString();
    QTest::newRow("bytes, not text")
        << QVariantMap{{"desktop-startup-id", QByteArray("gio-1_TIME2")}} << QString();
    QTest::newRow("line break") << QVariantMap{{"activation-token", QStringLiteral("a\nb")},
                                               {"desktop-startup-id", x11}}
                                << x11;
    QTest::newRow("too long") << QVariantMap{{"desktop-startup-id",
                                              QString(1025, QLatin1Char('a'))}}
                              << QString();
}

void TestLaunchRules::launchToken()
{
    QFETCH(QVariantMap, platformData);
    QFETCH(QString, token);
    QCOMPARE(zan::launchTokenFromPlatformData(platformData), token);
}

QTEST_GUILESS_MAIN(TestLaunchRules)
#include "tst_launchrules.moc"
