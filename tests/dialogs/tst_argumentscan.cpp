// SPDX-License-Identifier: MIT
// The dispatcher's argument scan and the selection dialogs' command-line scan.
#include "ArgumentScan.h"

#include <QTest>

using zan::DialogKind;

Q_DECLARE_METATYPE(zan::DialogKind)

namespace {
const QString program = QStringLiteral("/opt/zan/Contents/Applications/ZANSelectNode");
const QString nbsp = QString(QChar(0x00A0));
const QString ideographicSpace = QString(QChar(0x3000));

QStringList withProgram(const QStringList &rest)
{
    return QStringList{program} + rest;
}

// The arguments as the kernel hands them over.
QByteArrayList bytes(const QStringList &arguments)
{
    QByteArrayList raw;
    for (const QString &argument : arguments)
        raw.append(argument.toUtf8());
    return raw;
}
} // namespace

class TestArgumentScan : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dispatch_data();
    void dispatch();
    void optionNormalization_data();
    void optionNormalization();
    void selection_data();
    void selection();
    void firstOptionValue_data();
    void firstOptionValue();
    void valueBytes_data();
    void valueBytes();
};

void TestArgumentScan::dispatch_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<DialogKind>("kind");
    QTest::addColumn<QString>("filePath");

    const auto row = [](const char *name, const QStringList &rest, DialogKind kind,
                        const QString &path) {
        QTest::newRow(name) << withProgram(rest) << kind << path;
    };
    using K = DialogKind;
    QTest::newRow("no arguments at all") << QStringList() << K::SelectNode << QString();
    row("program path only", {}, K::SelectNode, {});

    // Every option and its alias, each with its dialog.
    row("-ProxyAuth", {"-ProxyAuth", "/c/p"}, K::ProxyAuth, "/c/p");
    row("-Auth", {"-Auth", "/c/a"}, K::Auth, "/c/a");
    row("-SelectShared", {"-SelectShared", "/x"}, K::SelectShared, "/x");
    row("-SelectSharedFile", {"-SelectSharedFile", "/x"}, K::SelectShared, "/x");
    row("-SelectSuspend", {"-SelectSuspend", "/x"}, K::SelectSuspend, "/x");
    row("-SelectSuspendFile", {"-SelectSuspendFile", "/x"}, K::SelectSuspend, "/x");
    row("-SelectSession", {"-SelectSession", "/x"}, K::SelectSession, "/x");
    row("-SelectSessionFile", {"-SelectSessionFile", "/x"}, K::SelectSession, "/x");
    row("-SelectNodeGroup", {"-SelectNodeGroup", "/x"}, K::SelectNodeGroup, "/x");
    row("-SelectNodeGroupFile", {"-SelectNodeGroupFile", "/x"}, K::SelectNodeGroup, "/x");
    row("-Message", {"-Message", "/m.txt"}, K::Message, "/m.txt");

    // Case and decoration of the option.
    row("capitals only", {"-AUTH", "/a"}, K::Auth, "/a");
    row("small letters only", {"-auth", "/a"}, K::Auth, "/a");
    row("wrapped in quotes", {"\"-Auth\"", "/a"}, K::Auth, "/a");
    row("quotes inside", {"-Se\"lect\"Session", "/s"}, K::SelectSession, "/s");
    row("padded with spaces and tabs", {" \t-Auth\t ", "/a"}, K::Auth, "/a");
    row("padded with U+00A0 and U+3000", {nbsp + "-Auth" + ideographicSpace, "/a"}, K::Auth, "/a");
    row("quotes then padding", {"\" -Message \"", "/m"}, K::Message, "/m");
    row("a line break is not trimmed", {"-Auth\n", "/a"}, K::SelectNode, {});
    row("a carriage return is not trimmed", {"\r-Auth", "/a"}, K::SelectNode, {});
    row("a prefix is no match", {"-Au", "/a"}, K::SelectNode, {});
    row("a longer word is no match", {"-AuthX", "/a"}, K::SelectNode, {});
    row("-SelectNode is no option", {"-SelectNode", "/n"}, K::SelectNode, {});
    row("-SelectNodeFile is the node dialog's own", {"-SelectNodeFile", "/n"}, K::SelectNode, {});
    row("-url is the dialogs' own", {"-url", "-Auth", "/a"}, K::Auth, "/a");

    // The first recognised option decides for good.
    row("session before -Auth", {"-SelectSession", "/s", "-Auth", "/a"}, K::SelectSession, "/s");
    row("-Message before -ProxyAuth", {"-Message", "/m", "-ProxyAuth", "/p"}, K::Message, "/m");
    row("unknown ones are skipped", {"-x", "-y", "-SelectShared", "/s"}, K::SelectShared, "/s");
    QTest::newRow("program path that reads as an option")
        << QStringList{"-SelectSuspend", "/s"} << K::SelectSuspend << "/s";

    // The value.
    row("option as the last argument", {"-ProxyAuth"}, K::SelectNode, {});
    row("last argument, after unknown ones", {"a", "b", "-Auth"}, K::SelectNode, {});
    row("an empty value", {"-Auth", "", "-Message", "/m"}, K::SelectNode, {});
    row("a value of quotes only", {"-Auth", "\"\"", "-Message", "/m"}, K::SelectNode, {});
    row("quotes removed from the value", {"-Auth", "\"/c/my \"file\"\""}, K::Auth, "/c/my file");
    row("spaces of the value are kept", {"-Auth", "  /c/a \t"}, K::Auth, "  /c/a \t");
    row("a value that reads as an option", {"-Auth", "-Message"}, K::Auth, "-Message");
    row("a value equal to its own option", {"-Message", "-Message"}, K::Message, "-Message");
    row("non-ASCII value", {"-Message", "/tmp/\u00e9t\u00e9 \u6587"}, K::Message,
        "/tmp/\u00e9t\u00e9 \u6587");
}

void TestArgumentScan::dispatch()
{
    QFETCH(QStringList, arguments);
    QFETCH(DialogKind, kind);
    QFETCH(QString, filePath);
    const zan::DispatchChoice choice = zan::scanDispatch(bytes(arguments));
    QCOMPARE(choice.kind, kind);
    QCOMPARE(choice.filePath, filePath.toUtf8());
}

void TestArgumentScan::optionNormalization_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("normalized");
    QTest::newRow("plain") << "-url"
                           << "-url";
    QTest::newRow("tabs and spaces") << "\t -url \t"
                                     << "-url";
    QTest::newRow("Unicode space separators")
        << QString(QChar(0x2003)) + "-url" + QChar(0x202F) + nbsp << "-url";
    QTest::newRow("line feed kept") << "-url\n"
                                    << "-url\n";
    QTest::newRow("line separator kept")
        << QString(QChar(0x2028)) + "-url" << QString(QChar(0x2028)) + "-url";
    QTest::newRow("vertical tab kept") << "\v-url"
                                       << "\v-url";
    QTest::newRow("quotes anywhere") << "\"-u\"rl\""
                                     << "-url";
    QTest::newRow("spaces inside quotes trimmed") << "\" -url \""
                                                  << "-url";
    QTest::newRow("inner spaces kept") << " -u rl "
                                       << "-u rl";
    QTest::newRow("only blanks") << " \t "
                                 << "";
}

void TestArgumentScan::optionNormalization()
{
    QFETCH(QString, argument);
    QFETCH(QString, normalized);
    QCOMPARE(zan::normalizedOption(argument), normalized);
}

void TestArgumentScan::selection_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("exchangeFilePath");
    QTest::addColumn<QString>("helpUrl");

    const QString help = QStringLiteral("/help/dashboard/jsframe.htm?session-launching");
    const auto row = [](const char *name, const QStringList &rest, const QString &path,
                        const QString &url) {
        QTest::newRow(name) << withProgram(rest) << path << url;
    };
    row("nothing", {}, {}, {});
    row("file option", {"-SelectSession", "/s.json"}, "/s.json", {});
    row("its alias", {"-SelectSessionFile", "/s.json"}, "/s.json", {});
    row("any case, quoted, padded", {" \"-selectsessionFILE\"\t", "/s.json"}, "/s.json", {});
    row("the value keeps its spaces", {"-SelectSession", "\" /my list.json \""}, " /my list.json ",
        {});
    row("two file options: the second wins",
        {"-SelectSessionFile", "/first", "-SelectSession", "/second"}, "/second", {});
    row("file option last keeps the earlier value", {"-SelectSession", "/s", "-SelectSession"},
        "/s", {});
    row("file option alone, last", {"-SelectSession"}, {}, {});
    row("the value is never examined", {"-SelectSession", "-url", "http://h"}, "-url", {});
    row("other dialogs' options pass by one by one", {"-SelectNodeFile", "-SelectSession", "/s"},
        "/s", {});

    row("-url", {"-url", "http://h:8080"}, {}, "http://h:8080" + help);
    row("-url ending in a slash gives two", {"-URL", "http://h/"}, {}, "http://h/" + help);
    row("-url quotes removed", {"-url", "\"http://h\""}, {}, "http://h" + help);
    row("-url given twice: the second wins", {"-url", "http://a", "-url", "http://b"}, {},
        "http://b" + help);
    row("-url last", {"-url"}, {}, {});
    row("-url last keeps the earlier one", {"-url", "http://a", "-url"}, {}, "http://a" + help);
    row("-url value never examined", {"-url", "-SelectSession", "/s"}, {}, "-SelectSession" + help);
    row("both, any order", {"-url", "http://h", "-SelectSessionFile", "/s"}, "/s",
        "http://h" + help);
}

void TestArgumentScan::selection()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, exchangeFilePath);
    QFETCH(QString, helpUrl);
    const zan::SelectionArguments result = zan::scanSelection(
        bytes(arguments), {QLatin1String("-SelectSession"), QLatin1String("-SelectSessionFile")},
        QLatin1String("session-launching"));
    QCOMPARE(result.exchangeFilePath, exchangeFilePath.toUtf8());
    QCOMPARE(result.helpUrl, helpUrl);
}

void TestArgumentScan::firstOptionValue_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("value");
    QTest::newRow("missing") << withProgram({"-x", "y"}) << false << QString();
    QTest::newRow("last") << withProgram({"-Auth"}) << false << QString();
    QTest::newRow("first occurrence wins")
        << withProgram({"-auth", "\"a\"", "-Auth", "b"}) << true << "a";
    QTest::newRow("empty value is a value") << withProgram({"-Auth", ""}) << true << "";
}

void TestArgumentScan::firstOptionValue()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, found);
    QFETCH(QString, value);
    const std::optional<QByteArray> result =
        zan::firstOptionValue(bytes(arguments), QLatin1String("-Auth"));
    QCOMPARE(result.has_value(), found);
    if (found)
        QCOMPARE(*result, value.toUtf8());
}

// A value names a file, and file names are bytes: every scan takes the same
// bytes, less the quotes, whether they are UTF-8 or not. Decoded, a Latin-1
// name would become another name, with U+FFFD in it.
void TestArgumentScan::valueBytes_data()
{
    QTest::addColumn<QByteArrayList>("arguments");
    QTest::addColumn<QByteArray>("value"); // empty: no option recognised

    const QByteArray option = "-SelectSession";
    const QByteArray name = program.toUtf8();
    QTest::newRow("Latin-1 name") << QByteArrayList{name, option, "/tmp/caf\xe9.json"}
                                  << QByteArray("/tmp/caf\xe9.json");
    QTest::newRow("UTF-8 name") << QByteArrayList{name, option, "/tmp/caf\xc3\xa9.json"}
                                << QByteArray("/tmp/caf\xc3\xa9.json");
    QTest::newRow("quotes around bad bytes")
        << QByteArrayList{name, "\"" + option + "\"", "\"/x/\x80\"\xff\""}
        << QByteArray("/x/\x80\xff");
    QTest::newRow("overlong and cut-off sequences")
        << QByteArrayList{name, option, "/a\xc0\xaf/b\xe6\x96"}
        << QByteArray("/a\xc0\xaf/b\xe6\x96");
    QTest::newRow("bad bytes in an argument before")
        << QByteArrayList{name, "\xff\xfe", option, "/s"} << QByteArray("/s");
    QTest::newRow("an option with a bad byte is no option")
        << QByteArrayList{name, "-Select\xffSession", "/s"} << QByteArray();
}

void TestArgumentScan::valueBytes()
{
    QFETCH(QByteArrayList, arguments);
    QFETCH(QByteArray, value);
    const QLatin1String option("-SelectSession");
    const zan::DispatchChoice choice = zan::scanDispatch(arguments);
    QCOMPARE(choice.kind, value.isEmpty() ? DialogKind::SelectNode : DialogKind::SelectSession);
    QCOMPARE(choice.filePath, value);
    QCOMPARE(zan::scanSelection(arguments, {option}, QLatin1String("t")).exchangeFilePath, value);
    QCOMPARE(zan::firstOptionValue(arguments, option).value_or(QByteArray()), value);
}

QTEST_GUILESS_MAIN(TestArgumentScan)
#include "tst_argumentscan.moc"
