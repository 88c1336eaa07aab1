// SPDX-License-Identifier: MIT
// The property list reader keeps each value's type.
#include "InfoPlist.h"

#include "TestSupport.h"

#include <QTest>

using namespace zan;
using zantest::plistDocument;

class TestInfoPlist : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void logConsole_data();
    void logConsole();
    void nestedValues();
    void refused_data();
    void refused();
};

void TestInfoPlist::logConsole_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("on");
    QTest::newRow("true") << QByteArray("<dict><key>LogConsole</key><true/></dict>") << true;
    QTest::newRow("false") << QByteArray("<dict><key>LogConsole</key><false/></dict>") << false;
    QTest::newRow("text true") << QByteArray(
                                      "<dict><key>LogConsole</key><string>true</string></dict>")
                               << false;
    QTest::newRow("text YES") << QByteArray(
                                     "<dict><key>LogConsole</key><string>YES</string></dict>")
                              << false;
    QTest::newRow("integer 1") << QByteArray(
                                      "<dict><key>LogConsole</key><integer>1</integer></dict>")
                               << false;
    QTest::newRow("missing") << QByteArray("<dict><key>Other</key><true/></dict>") << false;
    QTest::newRow("empty dict") << QByteArray("<dict/>") << false;
}

void TestInfoPlist::logConsole()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, on);
    const PlistResult result = parsePropertyList(plistDocument(body));
    QVERIFY2(result.dict.has_value(), qPrintable(result.error));
    QCOMPARE(isBooleanTrue(result.dict->value(QStringLiteral("LogConsole"))), on);
}

void TestInfoPlist::nestedValues()
{
    const PlistResult result = parsePropertyList(plistDocument(
        "<dict><key>CFBundleShortVersionString</key><string>1.2</string>"
        "<key>CFBundleVersion</key><string>100</string>"
        "<key>Build</key><integer>100</integer>"
        "<key>Types</key><array><dict><key>Schemes</key><array><string>zan</string></array>"
        "</dict></array></dict>"));
    QVERIFY2(result.dict.has_value(), qPrintable(result.error));
    QCOMPARE(stringValue(*result.dict, QStringLiteral("CFBundleShortVersionString")),
             std::optional<QString>(QStringLiteral("1.2")));
    QCOMPARE(stringValue(*result.dict, QStringLiteral("Build")), std::nullopt);
    QCOMPARE(stringValue(*result.dict, QStringLiteral("Missing")), std::nullopt);
    const QVariantList types = result.dict->value(QStringLiteral("Types")).toList();
    QCOMPARE(types.size(), 1);
    QCOMPARE(types.first().toMap().value(QStringLiteral("Schemes")).toList().first().toString(),
             QStringLiteral("zan"));
}

void TestInfoPlist::refused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not xml") << QByteArray("LogConsole = true");
    QTest::newRow("top-level array") << plistDocument("<array/>");
    QTest::newRow("value without key") << plistDocument("<dict><true/></dict>");
    QTest::newRow("key without value") << plistDocument("<dict><key>a</key></dict>");
    QTest::newRow("bad integer") << plistDocument("<dict><key>a</key><integer>x</integer></dict>");
    QTest::newRow("unclosed") << QByteArray("<plist><dict><key>a</key><true/>");
}

void TestInfoPlist::refused()
{
    QFETCH(QByteArray, bytes);
    const PlistResult result = parsePropertyList(bytes);
    QVERIFY(!result.dict.has_value());
    QVERIFY(!result.error.isEmpty());
}

QTEST_GUILESS_MAIN(TestInfoPlist)
#include "tst_infoplist.moc"
