// SPDX-License-Identifier: MIT
// How a list element's members become record fields, how the exchange file is
// read, and the bytes of a written record.
#include "ExchangeFile.h"
#include "LargeMemory.h"
#include "TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cjson/cJSON.h>

#include <climits>
#include <clocale>

namespace {
// Parses one element with the plain allocator; the test owns it.
zan::JsonPtr element(const QByteArray &json)
{
    return zan::JsonPtr(cJSON_ParseWithLength(json.constData(), size_t(json.size())));
}
} // namespace

class TestFieldRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void textField_data();
    void textField();
    void wholeNumberField_data();
    void wholeNumberField();
    void hostRule_data();
    void hostRule();
    void readList_data();
    void readList();
    void unreadableListIsLogged_data();
    void unreadableListIsLogged();
    void largeListReadWhole();
    void listsStayValidWhileOthersAreParsed();
    void fractionalNumbersInAnyLocale();
    void recordBytes_data();
    void recordBytes();
};

void TestFieldRules::textField_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<bool>("hasText");
    QTest::addColumn<QString>("text");

    QTest::newRow("string") << QByteArray(R"({"id":"g1"})") << QByteArray("id") << true << "g1";
    QTest::newRow("empty string") << QByteArray(R"({"id":""})") << QByteArray("id") << true << "";
    QTest::newRow("number") << QByteArray(R"({"id":7})") << QByteArray("id") << true << "";
    QTest::newRow("null") << QByteArray(R"({"id":null})") << QByteArray("id") << true << "";
    QTest::newRow("true") << QByteArray(R"({"id":true})") << QByteArray("id") << true << "";
    QTest::newRow("object") << QByteArray(R"({"id":{"id":"x"}})") << QByteArray("id") << true << "";
    QTest::newRow("array") << QByteArray(R"({"id":["x"]})") << QByteArray("id") << true << "";
    QTest::newRow("missing") << QByteArray(R"({"ids":"x"})") << QByteArray("id") << true << "";
    QTest::newRow("key in other case")
        << QByteArray(R"({"ID":"n1"})") << QByteArray("id") << true << "n1";
    QTest::newRow("first of two spellings wins") << QByteArray(R"({"Platform":"a","platform":"b"})")
                                                 << QByteArray("platform") << true << "a";
    QTest::newRow("element is a number") << QByteArray("7") << QByteArray("id") << true << "";
    QTest::newRow("element is a string") << QByteArray(R"("id")") << QByteArray("id") << true << "";
    QTest::newRow("element is an array")
        << QByteArray(R"(["id","x"])") << QByteArray("id") << true << "";
    QTest::newRow("UTF-8 bytes") << QByteArray("{\"n\":\"caf\xc3\xa9 \xe6\x96\x87\"}")
                                 << QByteArray("n") << true << QString::fromUtf8("café 文");
    QTest::newRow("escapes") << QByteArray(R"({"n":"a\"b\\c\td\u00e9\ud83d\ude00"})")
                             << QByteArray("n") << true
                             << QString::fromUtf8("a\"b\\c\td\xc3\xa9\xf0\x9f\x98\x80");
    // Bytes that are not UTF-8 leave the field without text.
    QTest::newRow("invalid byte") << QByteArray("{\"n\":\"ab\xff\"}") << QByteArray("n") << false
                                  << "";
    QTest::newRow("truncated sequence")
        << QByteArray("{\"n\":\"caf\xc3\"}") << QByteArray("n") << false << "";
    QTest::newRow("Latin-1 text") << QByteArray("{\"n\":\"caf\xe9\"}") << QByteArray("n") << false
                                  << "";
    QTest::newRow("overlong slash")
        << QByteArray("{\"n\":\"\xc0\xaf\"}") << QByteArray("n") << false << "";
    QTest::newRow("encoded surrogate")
        << QByteArray("{\"n\":\"\xed\xa0\x80\"}") << QByteArray("n") << false << "";
    QTest::newRow("beyond U+10FFFF")
        << QByteArray("{\"n\":\"\xf4\x90\x80\x80\"}") << QByteArray("n") << false << "";
}

void TestFieldRules::textField()
{
    QFETCH(QByteArray, json);
    QFETCH(QByteArray, key);
    QFETCH(bool, hasText);
    QFETCH(QString, text);
    const zan::JsonPtr item = element(json);
    QVERIFY(item);
    const zan::Text field = zan::fields::text(item.get(), key.constData());
    QCOMPARE(field.has_value(), hasText);
    if (hasText)
        QCOMPARE(*field, text);
}

void TestFieldRules::wholeNumberField_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("value");

    const auto row = [](const char *name, const char *member, int value) {
        QTest::newRow(name) << QByteArray(R"({"n":)") + member + '}' << 0 << value;
    };
    row("whole", "4", 4);
    row("zero", "0", 0);
    row("negative", "-3", -3);
    row("fraction cut", "2.7", 2);
    row("negative fraction cut toward zero", "-2.7", -2);
    row("below one", "0.4", 0);
    row("exponent", "1.5e3", 1500);
    row("largest", "2147483647", INT_MAX);
    row("smallest", "-2147483648", INT_MIN);
    row("just above the range", "2147483648", INT_MAX);
    row("far above the range", "1e300", INT_MAX);
    row("beyond double", "1e400", INT_MAX);
    row("far below the range", "-1e300", INT_MIN);
    row("beyond double, negative", "-1e400", INT_MIN);
    row("true", "true", 1);
    row("false", "false", 0);
    row("string holding a number", R"("4")", 0);
    row("null", "null", 0);
    row("object", R"({"n":4})", 0);
    row("array", "[4]", 0);
    QTest::newRow("key in other case") << QByteArray(R"({"N":9})") << 0 << 9;
    QTest::newRow("missing keeps 0") << QByteArray(R"({"m":9})") << 0 << 0;
    QTest::newRow("missing keeps the current value") << QByteArray(R"({"m":9})") << 7 << 7;
    QTest::newRow("present replaces the current value") << QByteArray(R"({"n":"x"})") << 7 << 0;
    QTest::newRow("element not an object") << QByteArray("12") << 0 << 0;
}

void TestFieldRules::wholeNumberField()
{
    QFETCH(QByteArray, json);
    QFETCH(int, current);
    QFETCH(int, value);
    const zan::JsonPtr item = element(json);
    QVERIFY(item);
    QCOMPARE(zan::fields::wholeNumber(item.get(), "n", current), value);
}

void TestFieldRules::hostRule_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("hasText");
    QTest::addColumn<QString>("host");

    QTest::newRow("string") << QByteArray(R"({"node":"alpha"})") << true << "alpha";
    QTest::newRow("key in other case") << QByteArray(R"({"NODE":"alpha"})") << true << "alpha";
    QTest::newRow("object with hostname")
        << QByteArray(R"({"node":{"hostname":"beta","x":1}})") << true << "beta";
    QTest::newRow("object with HOSTNAME")
        << QByteArray(R"({"node":{"HostName":"beta"}})") << true << "beta";
    QTest::newRow("missing") << QByteArray(R"({"id":"s"})") << true << "";
    QTest::newRow("hostname beside, not inside")
        << QByteArray(R"({"hostname":"beta"})") << true << "";
    QTest::newRow("number") << QByteArray(R"({"node":5})") << false << "";
    QTest::newRow("null") << QByteArray(R"({"node":null})") << false << "";
    QTest::newRow("true") << QByteArray(R"({"node":true})") << false << "";
    QTest::newRow("object without hostname")
        << QByteArray(R"({"node":{"name":"b"}})") << false << "";
    QTest::newRow("object whose hostname is a number")
        << QByteArray(R"({"node":{"hostname":5}})") << false << "";
    QTest::newRow("array") << QByteArray(R"({"node":["beta"]})") << false << "";
    QTest::newRow("string not UTF-8") << QByteArray("{\"node\":\"\xff\"}") << false << "";
    QTest::newRow("element not an object") << QByteArray("3") << true << "";
}

void TestFieldRules::hostRule()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, hasText);
    QFETCH(QString, host);
    const zan::JsonPtr item = element(json);
    QVERIFY(item);
    const zan::Text field = zan::fields::host(item.get());
    QCOMPARE(field.has_value(), hasText);
    if (hasText)
        QCOMPARE(*field, host);
}

void TestFieldRules::readList_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("parsed");
    QTest::addColumn<int>("children");

    QTest::newRow("array") << QByteArray(R"([{"id":"a"},{"id":"b"},{"id":"c"}])") << true << 3;
    QTest::newRow("empty array") << QByteArray("[]") << true << 0;
    QTest::newRow("byte-order mark and blanks") << QByteArray("\xef\xbb\xbf \n\t[{}]") << true << 1;
    QTest::newRow("text after the value is ignored") << QByteArray("[{},{}] trailing") << true << 2;
    QTest::newRow("object: its members") << QByteArray(R"({"a":{},"b":{}})") << true << 2;
    QTest::newRow("scalar") << QByteArray("42") << true << 0;
    QTest::newRow("empty file") << QByteArray() << false << 0;
    QTest::newRow("blanks only") << QByteArray(" \n") << false << 0;
    QTest::newRow("not JSON") << QByteArray("node1,node2") << false << 0;
    QTest::newRow("cut short") << QByteArray(R"([{"id":"a"},)") << false << 0;
    QTest::newRow("nested too deep") << QByteArray(5000, '[') + QByteArray(5000, ']') << false << 0;
}

void TestFieldRules::readList()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, parsed);
    QFETCH(int, children);
    QTemporaryDir dir;
    const QString path = dir.filePath("list.json");
    QVERIFY(zantest::writeBytes(path, content));
    zantest::Capture capture;
    const std::optional<zan::JsonList> list = zan::readExchangeList(zantest::native(path));
    QCOMPARE(list.has_value(), parsed);
    QCOMPARE(capture.log, QStringList()); // a parse failure is not logged
    if (parsed)
        QCOMPARE(cJSON_GetArraySize(list->root()), children);
    // The allocator is the plain one again: this object is freed normally.
    QByteArray printed = zan::RecordWriter().text("k", QStringLiteral("v")).print();
    QCOMPARE(printed, QByteArray("{\n\t\"k\":\t\"v\"\n}"));
}

void TestFieldRules::unreadableListIsLogged_data()
{
    QTest::addColumn<QString>("name"); // inside a fresh folder; empty for no path at all
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<qint64>("memory"); // the largest block to be had; 0: any
    QTest::addColumn<QString>("reason");
    QTest::newRow("no path") << QString() << QByteArray() << qint64(0) << "no file named";
    QTest::newRow("missing file") << "missing.json" << QByteArray() << qint64(0) << "No such file";
    QTest::newRow("a folder") << "folder" << QByteArray() << qint64(0) << "is a folder";
    // As with ulimit -v: the largest requests fail first. A list that cannot
    // be held reads as no list, and says so, instead of ending the program.
    QByteArray list = "[";
    for (int i = 0; i < 4000; ++i)
        list += R"({"id":"n)" + QByteArray::number(i) + R"("},)";
    list += "{}]";
    QTest::newRow("no memory for the text")
        << "list.json" << list << qint64(list.size() / 2) << "not enough memory";
    QTest::newRow("no memory for the parsed list")
        << "list.json" << list << qint64(list.size() + 1024) << "not enough memory";
}

void TestFieldRules::unreadableListIsLogged()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(qint64, memory);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("folder"));
    const QString path = name.isEmpty() ? QString() : dir.filePath(name);
    if (!content.isEmpty())
        QVERIFY(zantest::writeBytes(path, content));
    zantest::Capture capture;
    zan::setLargeAllocationLimit(size_t(memory));
    const bool read = zan::readExchangeList(zantest::native(path)).has_value();
    zan::setLargeAllocationLimit(0);
    QVERIFY(!read);
    QCOMPARE(capture.log.size(), 1);
    QVERIFY2(capture.log.first().contains(reason), qPrintable(capture.log.first()));
    if (!path.isEmpty())
        QVERIFY2(capture.log.first().contains(path), qPrintable(capture.log.first()));
}

void TestFieldRules::largeListReadWhole()
{
    // Many small nodes and one string larger than an allocation block.
    QByteArray json = "[";
    const int count = 60000;
    for (int i = 0; i < count; ++i)
        json +=
            R"({"id":"n)" + QByteArray::number(i) + R"(","port":)" + QByteArray::number(i) + "},";
    const QByteArray big(3 << 20, 'x');
    json += R"({"id":")" + big + R"("}])";
    QTemporaryDir dir;
    const QString path = dir.filePath("big.json");
    QVERIFY(zantest::writeBytes(path, json));

    const std::optional<zan::JsonList> list = zan::readExchangeList(zantest::native(path));
    QVERIFY(list);
    QCOMPARE(cJSON_GetArraySize(list->root()), count + 1);
    const cJSON *last = cJSON_GetArrayItem(list->root(), count - 1);
    QCOMPARE(*zan::fields::text(last, "id"), QStringLiteral("n%1").arg(count - 1));
    QCOMPARE(zan::fields::wholeNumber(last, "port"), count - 1);
    QCOMPARE(zan::fields::text(cJSON_GetArrayItem(list->root(), count), "id")->size(), big.size());
}

void TestFieldRules::listsStayValidWhileOthersAreParsed()
{
    QTemporaryDir dir;
    QVERIFY(zantest::writeBytes(dir.filePath("a"), R"([{"id":"first"}])"));
    QVERIFY(zantest::writeBytes(dir.filePath("b"), R"([{"id":"second"}])"));
    std::optional<zan::JsonList> a = zan::readExchangeList(zantest::native(dir.filePath("a")));
    QVERIFY(a);
    const std::optional<zan::JsonList> b =
        zan::readExchangeList(zantest::native(dir.filePath("b")));
    QVERIFY(b);
    QVERIFY(!zan::readExchangeList(zantest::native(dir.filePath("missing"))));
    zan::JsonList moved = std::move(*a);
    a.reset();
    QCOMPARE(*zan::fields::text(cJSON_GetArrayItem(moved.root(), 0), "id"),
             QStringLiteral("first"));
    QCOMPARE(*zan::fields::text(cJSON_GetArrayItem(b->root(), 0), "id"), QStringLiteral("second"));
}

// JSON's decimal point is "." in every locale. Pashto's is U+066B, two bytes
// in UTF-8: read through the C library's locale, which QApplication takes
// from the environment, 12.75 would end at the "." and the whole list would
// not parse.
void TestFieldRules::fractionalNumbersInAnyLocale()
{
    QTemporaryDir locales;
    // The numeric part alone: a whole locale takes many seconds to build.
    QVERIFY(zantest::writeBytes(locales.filePath("numeric"),
                                "LC_NUMERIC\ncopy \"ps_AF\"\nEND LC_NUMERIC\n"));
    QProcess localedef;
    localedef.start(
        QStringLiteral("localedef"),
        {"-c", "-f", "UTF-8", "-i", locales.filePath("numeric"), locales.filePath("ps_AF.UTF-8")});
    localedef.waitForFinished(120000);
    if (!QFile::exists(locales.filePath("ps_AF.UTF-8/LC_NUMERIC")))
        QSKIP("cannot build the Pashto locale here: localedef (libc-bin) and the locale "
              "sources (locales) are needed");
    QTemporaryDir dir;
    const QString path = dir.filePath("list.json");
    QVERIFY(zantest::writeBytes(path, R"([{"id":"n1","cpu":12.75,"mem":-3.5,"port":2e3}])"));

    const QByteArray previousPath = qgetenv("LOCPATH");
    const QByteArray previousLocale = std::setlocale(LC_NUMERIC, nullptr);
    qputenv("LOCPATH", zantest::native(locales.path()));
    const bool pashto = std::setlocale(LC_NUMERIC, "ps_AF.UTF-8") != nullptr;
    const QByteArray decimalPoint = std::localeconv()->decimal_point;
    const std::optional<zan::JsonList> list = zan::readExchangeList(zantest::native(path));
    std::setlocale(LC_NUMERIC, previousLocale.constData());
    if (previousPath.isNull())
        qunsetenv("LOCPATH");
    else
        qputenv("LOCPATH", previousPath);

    QVERIFY(pashto);
    QCOMPARE(decimalPoint, QByteArray("\xd9\xab"));
    QVERIFY(list);
    const cJSON *node = cJSON_GetArrayItem(list->root(), 0);
    QCOMPARE(zan::fields::wholeNumber(node, "cpu"), 12);
    QCOMPARE(zan::fields::wholeNumber(node, "mem"), -3);
    QCOMPARE(zan::fields::wholeNumber(node, "port"), 2000);
}

void TestFieldRules::recordBytes_data()
{
    QTest::addColumn<QByteArray>("printed");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("text and number")
        << zan::RecordWriter().text("id", QStringLiteral("g1")).number("n", 4).print()
        << QByteArray("{\n\t\"id\":\t\"g1\",\n\t\"n\":\t4\n}");
    QTest::newRow("unset text left out, empty text kept")
        << zan::RecordWriter()
               .text("a", std::nullopt)
               .text("b", QString())
               .text("c", std::nullopt)
               .number("d", 0)
               .print()
        << QByteArray("{\n\t\"b\":\t\"\",\n\t\"d\":\t0\n}");
    QTest::newRow("negative and extreme numbers")
        << zan::RecordWriter().number("a", -3).number("b", INT_MIN).number("c", INT_MAX).print()
        << QByteArray("{\n\t\"a\":\t-3,\n\t\"b\":\t-2147483648,\n\t\"c\":\t2147483647\n}");
    QTest::newRow("escaped as JSON requires")
        << zan::RecordWriter().text("s", QString::fromUtf8("q\"b\\s/t\tn\nr\rc\x01")).print()
        << QByteArray("{\n\t\"s\":\t\"q\\\"b\\\\s/t\\tn\\nr\\rc\\u0001\"\n}");
    QTest::newRow("non-ASCII as UTF-8 bytes")
        << zan::RecordWriter().text("s", QString::fromUtf8("é文😀")).print()
        << QByteArray("{\n\t\"s\":\t\"\xc3\xa9\xe6\x96\x87\xf0\x9f\x98\x80\"\n}");
}

void TestFieldRules::recordBytes()
{
    QFETCH(QByteArray, printed);
    QFETCH(QByteArray, expected);
    QCOMPARE(printed, expected);
}

QTEST_GUILESS_MAIN(TestFieldRules)
#include "tst_fieldrules.moc"
