// SPDX-License-Identifier: MIT
// --help and --version of the dialog program: which argument lists ask for
// them, and that every dialog option stays a dialog.
#include "InfoOptions.h"

#include <QTest>

using zan::InfoRequest;

class TestInfoOptions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void request_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("expected");
        const QString p = QStringLiteral("/b/ZANSelectNode");
        QTest::newRow("no arguments") << QStringList{p} << int(InfoRequest::None);
        QTest::newRow("empty list") << QStringList{} << int(InfoRequest::None);
        QTest::newRow("--help") << QStringList{p, "--help"} << int(InfoRequest::Help);
        QTest::newRow("-h") << QStringList{p, "-h"} << int(InfoRequest::Help);
        QTest::newRow("--version") << QStringList{p, "--version"} << int(InfoRequest::Version);
        QTest::newRow("help, then more")
            << QStringList{p, "--help", "-Auth", "f"} << int(InfoRequest::Help);
        // Spelt otherwise, it is no request: dialog options are matched
        // loosely, these are not.
        QTest::newRow("upper case") << QStringList{p, "--HELP"} << int(InfoRequest::None);
        QTest::newRow("quoted") << QStringList{p, "\"--help\""} << int(InfoRequest::None);
        QTest::newRow("spaces") << QStringList{p, " --version"} << int(InfoRequest::None);
        QTest::newRow("single dash") << QStringList{p, "-help"} << int(InfoRequest::None);
        // What zanlauncher passes keeps its dialog, even when a value reads
        // like a request.
        QTest::newRow("message file named --help")
            << QStringList{p, "-Message", "--help"} << int(InfoRequest::None);
        QTest::newRow("node file then --version")
            << QStringList{p, "-SelectNodeFile", "/tmp/n.json", "--version"}
            << int(InfoRequest::None);
        QTest::newRow("auth") << QStringList{p, "-Auth", "/tmp/c"} << int(InfoRequest::None);
        QTest::newRow("url first") << QStringList{p, "-url", "--help"} << int(InfoRequest::None);
    }
    void request()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, expected);
        QCOMPARE(int(zan::infoRequest(arguments)), expected);
        QCOMPARE(zan::answerInfoRequest(arguments).has_value(), expected != int(InfoRequest::None));
    }

    void texts()
    {
        QVERIFY(zan::infoText(InfoRequest::None, "ZANSelectNode").isEmpty());
        const QString version = zan::infoText(InfoRequest::Version, "ZANSelectNode");
        QVERIFY2(QRegularExpression("^ZANSelectNode \\d+\\.\\d+\\.\\d+ \\(build \\d+\\)\\n$")
                     .match(version)
                     .hasMatch(),
                 qPrintable(version));
        const QString help = zan::infoText(InfoRequest::Help, "ZANSelectNode");
        QVERIFY(help.startsWith("Usage: ZANSelectNode "));
        QVERIFY(help.endsWith('\n'));
        // Every option the console launcher may pass is named.
        for (const char *option :
             {"-SelectNodeFile", "-SelectNodeGroup", "-SelectNodeGroupFile", "-SelectSession",
              "-SelectSessionFile", "-SelectShared", "-SelectSharedFile", "-SelectSuspend",
              "-SelectSuspendFile", "-Auth", "-ProxyAuth", "-Message", "-url", "--help",
              "--version"})
            QVERIFY2(help.contains(QLatin1String(option)), option);
        for (const QString &line : help.split('\n'))
            QVERIFY2(line.size() <= 80, qPrintable(line));
    }
};

QTEST_GUILESS_MAIN(TestInfoOptions)
#include "tst_infooptions.moc"
