// SPDX-License-Identifier: MIT
// Each selection dialog's record: the keys it reads, its own rules, and the
// exact bytes it writes back.
#include "ExchangeFile.h"
#include "SelectNodeController.h"
#include "SelectNodeGroupController.h"
#include "SelectSessionController.h"
#include "SelectSharedController.h"
#include "SelectSuspendController.h"
#include "TestSupport.h"

#include <QTest>

#include <cjson/cJSON.h>

using zantest::num;
using zantest::record;
using zantest::str;

namespace {
zan::JsonPtr parse(const QByteArray &json)
{
    return zan::JsonPtr(cJSON_ParseWithLength(json.constData(), size_t(json.size())));
}

template <class Info> std::optional<Info> fromJson(const QByteArray &json)
{
    const zan::JsonPtr element = parse(json);
    if (!element)
        qFatal("test data is not JSON: %s", json.constData());
    return Info::fromListElement(element.get());
}

const QByteArray fixedId = "1e8dc82a-596f-623c-8bc5-a10000000002";
} // namespace

class TestRecords : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void printedLayout();
    void nodeRecord_data();
    void nodeRecord();
    void nodeGroupRecord_data();
    void nodeGroupRecord();
    void sessionRecord_data();
    void sessionRecord();
    void sessionStatusWord_data();
    void sessionStatusWord();
    void newSessionRow();
    void sharedFilter_data();
    void sharedFilter();
    void sharedRecord_data();
    void sharedRecord();
    void suspendRecord_data();
    void suspendRecord();
};

void TestRecords::printedLayout()
{
    // The node group record of the frame's own example: five lines, a tab
    // before each member and after each colon, commas after all but the last,
    // and the closing brace as the file's last byte.
    const auto group = fromJson<zan::NodeGroupInfo>(R"({"id":"g1","name":"Lab","membersCount":4})");
    const QByteArray bytes = group->chosenRecord();
    QCOMPARE(bytes, QByteArray("{\n\t\"id\":\t\"g1\",\n\t\"name\":\t\"Lab\",\n"
                               "\t\"memberCount\":\t4\n}"));
    QCOMPARE(bytes.split('\n').size(), 5);
    QVERIFY(bytes.endsWith('}'));
}

void TestRecords::nodeRecord_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QByteArray>("written");

    const auto node = [](const QByteArray &id, const QByteArray &host, qint64 port,
                         const QByteArray &platform, qint64 total, qint64 mem, qint64 cpu,
                         const QByteArray &friendly) {
        return record({str("id", id), str("hostname", host), num("port", port),
                       str("Platform", platform), num("total", total), num("mem", mem),
                       num("cpu", cpu), str("friendlyName", friendly)});
    };
    QTest::newRow("every key back under its own name")
        << QByteArray(R"({"id":"n1","hostname":"h1.example","port":3389,"platform":"linux",)"
                      R"("total":2,"mem":40,"cpu":15,"friendlyName":"Lab 1"})")
        << node("n1", "h1.example", 3389, "linux", 2, 40, 15, "Lab 1");
    QTest::newRow("members in another order are written in the fixed one")
        << QByteArray(R"({"friendlyName":"F","cpu":1,"mem":2,"total":3,"platform":"p",)"
                      R"("port":4,"hostname":"h","id":"i"})")
        << node("i", "h", 4, "p", 3, 2, 1, "F");
    QTest::newRow("Platform with a capital is read")
        << QByteArray(R"({"Platform":"win"})") << node("", "", 0, "win", 0, 0, 0, "");
    QTest::newRow("keys in capitals are read")
        << QByteArray(R"({"ID":"n","HOSTNAME":"h","PORT":1,"MEM":2,"CPU":3,"TOTAL":4})")
        << node("n", "h", 1, "", 4, 2, 3, "");
    QTest::newRow("an empty element") << QByteArray("{}") << node("", "", 0, "", 0, 0, 0, "");
    QTest::newRow("port as a string gives 0")
        << QByteArray(R"({"id":"n","port":"3389"})") << node("n", "", 0, "", 0, 0, 0, "");
    QTest::newRow("percentages out of range kept")
        << QByteArray(R"({"mem":250,"cpu":-7})") << node("", "", 0, "", 0, 250, -7, "");
    QTest::newRow("fractions cut, true is 1")
        << QByteArray(R"({"port":80.9,"total":true,"mem":-0.5})")
        << node("", "", 80, "", 1, 0, 0, "");
    QTest::newRow("non-ASCII and escapes")
        << QByteArray(R"({"friendlyName":"B\u00fcro \"Nord\"\t\u6587"})")
        << node("", "", 0, "", 0, 0, 0, "B\xc3\xbcro \\\"Nord\\\"\\t\xe6\x96\x87");
    QTest::newRow("text that is not UTF-8 is left out")
        << QByteArray("{\"id\":\"n\xff\",\"hostname\":\"h\",\"friendlyName\":\"\xc3\"}")
        << record({str("hostname", "h"), num("port", 0), str("Platform", ""), num("total", 0),
                   num("mem", 0), num("cpu", 0)});
    QTest::newRow("element not an object")
        << QByteArray(R"("n1")") << node("", "", 0, "", 0, 0, 0, "");
}

void TestRecords::nodeRecord()
{
    QFETCH(QByteArray, json);
    QFETCH(QByteArray, written);
    const auto info = fromJson<zan::NodeInfo>(json);
    QVERIFY(info);
    QCOMPARE(info->chosenRecord(), written);
}

void TestRecords::nodeGroupRecord_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QByteArray>("written");
    const auto group = [](const QByteArray &id, const QByteArray &name, qint64 count) {
        return record({str("id", id), str("name", name), num("memberCount", count)});
    };
    QTest::newRow("membersCount in, memberCount out")
        << QByteArray(R"({"id":"g1","name":"Lab","membersCount":4})") << group("g1", "Lab", 4);
    QTest::newRow("memberCount in is not read")
        << QByteArray(R"({"id":"g1","name":"Lab","memberCount":4})") << group("g1", "Lab", 0);
    QTest::newRow("MEMBERSCOUNT in capitals is read")
        << QByteArray(R"({"id":"g","name":"n","MEMBERSCOUNT":9})") << group("g", "n", 9);
    QTest::newRow("2.7 becomes 2") << QByteArray(R"({"membersCount":2.7})") << group("", "", 2);
    QTest::newRow("\"4\" becomes 0") << QByteArray(R"({"membersCount":"4"})") << group("", "", 0);
    QTest::newRow("-3 stays -3") << QByteArray(R"({"membersCount":-3})") << group("", "", -3);
    QTest::newRow("huge clamps") << QByteArray(R"({"membersCount":1e20})")
                                 << group("", "", 2147483647);
    QTest::newRow("id as a number is empty")
        << QByteArray(R"({"id":12,"name":"n"})") << group("", "n", 0);
    QTest::newRow("no count at all")
        << QByteArray(R"({"id":"g","name":"n"})") << group("g", "n", 0);
}

void TestRecords::nodeGroupRecord()
{
    QFETCH(QByteArray, json);
    QFETCH(QByteArray, written);
    const auto info = fromJson<zan::NodeGroupInfo>(json);
    QVERIFY(info);
    QCOMPARE(info->chosenRecord(), written);
}

void TestRecords::sessionRecord_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("rowText");
    QTest::addColumn<QByteArray>("written");

    const auto session = [](const QByteArray &id, const QByteArray &node, qint64 status,
                            qint64 display, qint64 sharing) {
        return record({str("id", id), str("node", node), num("status", status),
                       num("display", display), num("sharingState", sharing)});
    };
    QTest::newRow("a listed session")
        << QByteArray(R"({"id":"s1","node":"alpha","display":12,"sharingState":1,"status":2})")
        << "alpha (:12)" << session("s1", "alpha", 2, 12, 1);
    QTest::newRow("node as an object with hostname")
        << QByteArray(R"({"id":"s2","node":{"hostname":"beta"},"display":7})") << "beta (:7)"
        << session("s2", "beta", 0, 7, 0);
    QTest::newRow("hostname without node")
        << QByteArray(R"({"id":"s3","hostname":"beta","display":4})") << " (:4)"
        << session("s3", "", 0, 4, 0);
    QTest::newRow("neither node nor display")
        << QByteArray(R"({"id":"s4"})") << " (:0)" << session("s4", "", 0, 0, 0);
    QTest::newRow("node without text is left out, own id kept")
        << QByteArray(R"({"id":"s5","node":5,"display":3})") << " (:3)"
        << record({str("id", "s5"), num("status", 0), num("display", 3), num("sharingState", 0)});
    QTest::newRow("node NEW SESSION writes the fixed id")
        << QByteArray(R"({"id":"s6","node":"NEW SESSION","display":1,"status":1})")
        << "NEW SESSION (:1)" << session(fixedId, "NEW SESSION", 1, 1, 0);
    QTest::newRow("hostname new session writes the fixed id")
        << QByteArray(R"({"id":"s7","node":{"hostname":"new SESSION"}})") << "new SESSION (:0)"
        << session(fixedId, "new SESSION", 0, 0, 0);
    QTest::newRow("only the whole text matches")
        << QByteArray(R"({"id":"s8","node":"New session 2"})") << "New session 2 (:0)"
        << session("s8", "New session 2", 0, 0, 0);
    QTest::newRow("without id") << QByteArray(R"({"node":"a"})") << "a (:0)"
                                << session("", "a", 0, 0, 0);
    QTest::newRow("negative numbers")
        << QByteArray(R"({"id":"s","node":"a","display":-2,"sharingState":-1,"status":-1})")
        << "a (:-2)" << session("s", "a", -1, -2, -1);
    QTest::newRow("element is a number") << QByteArray("5") << " (:0)" << session("", "", 0, 0, 0);
    QTest::newRow("element is a string")
        << QByteArray(R"("alpha")") << " (:0)" << session("", "", 0, 0, 0);
}

void TestRecords::sessionRecord()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, rowText);
    QFETCH(QByteArray, written);
    const auto info = fromJson<zan::SelectSessionInfo>(json);
    QVERIFY(info);
    QCOMPARE(info->session.value_or("<no text>"), rowText);
    QCOMPARE(info->chosenRecord(), written);
}

void TestRecords::sessionStatusWord_data()
{
    QTest::addColumn<QByteArray>("status"); // the member's JSON text; empty: missing
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("written");
    QTest::newRow("0") << QByteArray("0") << "Launching" << 0;
    QTest::newRow("1") << QByteArray("1") << "Started" << 1;
    QTest::newRow("2") << QByteArray("2") << "Active" << 2;
    QTest::newRow("3") << QByteArray("3") << "Suspended" << 3;
    QTest::newRow("4") << QByteArray("4") << "Active" << 4;
    QTest::newRow("5") << QByteArray("5") << "Unknown" << 5;
    QTest::newRow("-1") << QByteArray("-1") << "Unknown" << -1;
    QTest::newRow("2.5") << QByteArray("2.5") << "Active" << 2;
    QTest::newRow("true") << QByteArray("true") << "Started" << 1;
    QTest::newRow("\"2\"") << QByteArray("\"2\"") << "Launching" << 0;
    QTest::newRow("missing") << QByteArray() << "Launching" << 0;
}

void TestRecords::sessionStatusWord()
{
    QFETCH(QByteArray, status);
    QFETCH(QString, word);
    QFETCH(int, written);
    const QByteArray json = status.isEmpty() ? QByteArray(R"({"id":"s","node":"a"})")
                                             : R"({"id":"s","node":"a","status":)" + status + '}';
    const QByteArray statusLine = "\t\"status\":\t" + QByteArray::number(written) + ",\n";

    const auto session = fromJson<zan::SelectSessionInfo>(json);
    QCOMPARE(session->statusAsString.value_or("<no text>"), word);
    QVERIFY(session->chosenRecord().contains(statusLine));

    // The shared-session dialog uses the same words.
    const QByteArray shared = status.isEmpty()
                                  ? QByteArray(R"({"id":"s","sharingState":1})")
                                  : R"({"id":"s","sharingState":1,"status":)" + status + '}';
    const auto sharedInfo = fromJson<zan::SharedSessionInfo>(shared);
    QVERIFY(sharedInfo);
    QCOMPARE(sharedInfo->statusAsString.value_or("<no text>"), word);
    QVERIFY(sharedInfo->chosenRecord().contains(statusLine));
}

void TestRecords::newSessionRow()
{
    const zan::SelectSessionInfo row = zan::SelectSessionInfo::newSessionEntry();
    QCOMPARE(row.session.value_or("<no text>"), QStringLiteral("New Session"));
    QCOMPARE(row.node.value_or("<no text>"), QStringLiteral("New Session"));
    QVERIFY(!row.statusAsString.has_value());
    QCOMPARE(row.chosenRecord(),
             record({str("id", fixedId), str("node", "New Session"), num("status", 0),
                     num("display", 0), num("sharingState", 0)}));
}

void TestRecords::sharedFilter_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("shown");
    const auto row = [](const char *name, const char *sharing, bool shown) {
        QTest::newRow(name) << R"({"id":"s","node":"a","sharingState":)" + QByteArray(sharing) + '}'
                            << shown;
    };
    row("1", "1", true);
    row("2", "2", true);
    row("0", "0", false);
    row("-1", "-1", true);
    row("true", "true", true);
    row("false", "false", false);
    row("0.4", "0.4", false);
    row("-0.9", "-0.9", false);
    row("1.5", "1.5", true);
    row("\"1\"", "\"1\"", false);
    row("null", "null", false);
    row("object", R"({"x":1})", false);
    row("3", "3", true);
    QTest::newRow("SHARINGSTATE in capitals") << QByteArray(R"({"SHARINGSTATE":1})") << true;
    QTest::newRow("missing") << QByteArray(R"({"id":"s","node":"a"})") << false;
    QTest::newRow("element is a number") << QByteArray("1") << false;
    QTest::newRow("element is a string") << QByteArray(R"("sharingState")") << false;
}

void TestRecords::sharedFilter()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, shown);
    QCOMPARE(fromJson<zan::SharedSessionInfo>(json).has_value(), shown);
}

void TestRecords::sharedRecord_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("rowText");
    QTest::addColumn<QByteArray>("written");
    const auto shared = [](const QByteArray &id, const QByteArray &user, const QByteArray &node,
                           qint64 status, qint64 display, qint64 sharing) {
        return record({str("id", id), str("userName", user), str("node", node),
                       num("status", status), num("display", display),
                       num("sharingState", sharing)});
    };
    QTest::newRow("a shared session")
        << QByteArray(R"({"id":"s1","userName":"ann","node":"alpha","display":3,)"
                      R"("sharingState":1,"status":2})")
        << "alpha (:3)" << shared("s1", "ann", "alpha", 2, 3, 1);
    QTest::newRow("node as an object with hostname")
        << QByteArray(R"({"id":"s2","node":{"hostname":"beta"},"sharingState":2})") << "beta (:0)"
        << shared("s2", "", "beta", 0, 0, 2);
    QTest::newRow("hostname without node")
        << QByteArray(R"({"id":"s3","hostname":"beta","sharingState":1,"display":5})") << " (:5)"
        << shared("s3", "", "", 0, 5, 1);
    QTest::newRow("no fixed id for new session")
        << QByteArray(R"({"id":"s4","node":"New Session","sharingState":1})") << "New Session (:0)"
        << shared("s4", "", "New Session", 0, 0, 1);
    QTest::newRow("node without text is left out")
        << QByteArray(R"({"id":"s5","userName":"bo","node":null,"sharingState":-1})") << " (:0)"
        << record({str("id", "s5"), str("userName", "bo"), num("status", 0), num("display", 0),
                   num("sharingState", -1)});
    QTest::newRow("non-ASCII user")
        << QByteArray(R"({"id":"s6","userName":"J\u00f6rg","node":"a","sharingState":1})")
        << "a (:0)" << shared("s6", "J\xc3\xb6rg", "a", 0, 0, 1);
}

void TestRecords::sharedRecord()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, rowText);
    QFETCH(QByteArray, written);
    const auto info = fromJson<zan::SharedSessionInfo>(json);
    QVERIFY(info);
    QCOMPARE(info->sharedSession.value_or("<no text>"), rowText);
    QCOMPARE(info->chosenRecord(), written);
}

void TestRecords::suspendRecord_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QByteArray>("written");
    const auto suspended = [](const QByteArray &id, const QByteArray &profile,
                              const QByteArray &started, const QByteArray &node,
                              const QByteArray &description, qint64 status, qint64 display,
                              qint64 sharing) {
        return record({str("id", id), str("profileName", profile), str("started", started),
                       str("node", node), str("suspendDescription", description),
                       num("status", status), num("display", display),
                       num("sharingState", sharing)});
    };
    QTest::newRow("startTimestamp in, started out")
        << QByteArray(R"({"id":"p1","profileName":"office","node":"alpha",)"
                      R"("suspendDescription":"lunch","sharingState":0,"status":3,)"
                      R"("startTimestamp":"t1","display":4})")
        << suspended("p1", "office", "t1", "alpha", "lunch", 3, 4, 0);
    QTest::newRow("startTimestamp as a number")
        << QByteArray(R"({"id":"p","startTimestamp":1700000000})")
        << suspended("p", "", "", "", "", 0, 0, 0);
    QTest::newRow("started in is not read")
        << QByteArray(R"({"id":"p","started":"t1"})") << suspended("p", "", "", "", "", 0, 0, 0);
    QTest::newRow("STARTTIMESTAMP in capitals")
        << QByteArray(R"({"ID":"p","PROFILENAME":"x","STARTTIMESTAMP":"t2"})")
        << suspended("p", "x", "t2", "", "", 0, 0, 0);
    QTest::newRow("node as an object with hostname")
        << QByteArray(R"({"id":"p","node":{"hostname":"beta"}})")
        << suspended("p", "", "", "beta", "", 0, 0, 0);
    QTest::newRow("hostname without node")
        << QByteArray(R"({"id":"p","hostname":"beta"})") << suspended("p", "", "", "", "", 0, 0, 0);
    QTest::newRow("node without text is left out")
        << QByteArray(R"({"id":"p","node":{"hostname":1},"display":2})")
        << record({str("id", "p"), str("profileName", ""), str("started", ""),
                   str("suspendDescription", ""), num("status", 0), num("display", 2),
                   num("sharingState", 0)});
    QTest::newRow("status 9 kept, any sharingState kept")
        << QByteArray(R"({"id":"p","status":9,"sharingState":0})")
        << suspended("p", "", "", "", "", 9, 0, 0);
}

void TestRecords::suspendRecord()
{
    QFETCH(QByteArray, json);
    QFETCH(QByteArray, written);
    const auto info = fromJson<zan::SuspendSessionInfo>(json);
    QVERIFY(info);
    QVERIFY(!info->startTimestamp.has_value());
    QCOMPARE(info->chosenRecord(), written);
}

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
