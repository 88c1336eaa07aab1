// SPDX-License-Identifier: MIT
// The console output splitter: the entries it hands out, however the bytes
// arrive.
#include "LineSplitter.h"

#include <QTest>

using zan::LineSplitter;

namespace {
QStringList splitInChunks(const QByteArray &bytes, qsizetype chunk)
{
    QStringList pieces;
    LineSplitter splitter([&](QStringView piece) { pieces.append(piece.toString()); });
    for (qsizetype at = 0; at < bytes.size(); at += chunk)
        splitter.feed(bytes.mid(at, chunk));
    splitter.finish();
    return pieces;
}

QString xs(qsizetype n)
{
    return QString(n, QLatin1Char('x'));
}

const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80"); // U+1F600, a surrogate pair
const QString fffd = QString(QChar(0xFFFD));
const QString bom = QString(QChar(0xFEFF));
} // namespace

class TestLineSplitter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pieces_data();
    void pieces();
    void longLineIsHandedOutBeforeItEnds();
    void cutLineMatchesTheSplitter_data();
    void cutLineMatchesTheSplitter();
};

void TestLineSplitter::pieces_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("three lines and a final break")
        << QByteArray("a\nb\nc\n") << QStringList{"a", "b", "c", ""};
    QTest::newRow("no output") << QByteArray() << QStringList{};
    QTest::newRow("no final break") << QByteArray("a\nb") << QStringList{"a", "b"};
    QTest::newRow("one blank line") << QByteArray("\n") << QStringList{"", ""};
    QTest::newRow("carriage return kept") << QByteArray("a\r\n") << QStringList{"a\r", ""};
    QTest::newRow("787 units") << xs(787).toUtf8() << QStringList{xs(787)};
    QTest::newRow("788 units") << xs(788).toUtf8() << QStringList{xs(787), "x"};
    QTest::newRow("1574 units") << xs(1574).toUtf8() << QStringList{xs(787), xs(787), ""};
    QTest::newRow("1574 units then a line")
        << QByteArray(xs(1574).toUtf8() + "\nz") << QStringList{xs(787), xs(787), "", "z"};
    QTest::newRow("2000 units") << xs(2000).toUtf8() << QStringList{xs(787), xs(787), xs(426)};
    QTest::newRow("invalid bytes cost only themselves")
        << QByteArray("ok\n\xff"
                      "bad\nafter\n")
        << QStringList{"ok", fffd + "bad", "after", ""};
    QTest::newRow("sequence cut by a line break")
        << QByteArray("a\xE2\x82\nb") << QStringList{"a" + fffd + fffd, "b"};
    QTest::newRow("sequence cut by the end")
        << QByteArray("a\xE2\x82") << QStringList{"a" + fffd + fffd};
    // A program that writes each line through its own UTF-8 encoder may
    // start each with a byte-order mark; it is text, and kept.
    QTest::newRow("byte-order mark at the start") << QByteArray("\xEF\xBB\xBF"
                                                                "a\n")
                                                  << QStringList{bom + "a", ""};
    QTest::newRow("byte-order mark starting a later line")
        << QByteArray("a\n\xEF\xBB\xBF\xEF\xBB\xBF") << QStringList{"a", bom + bom};
    QTest::newRow("multibyte text") << QByteArray("gr\xC3\xBC\xC3\x9F dich \xF0\x9F\x98\x80\n")
                                    << QStringList{QString::fromUtf8("grüß dich ") + smile, ""};
    QTest::newRow("surrogate pair at the cut")
        << QByteArray(xs(786).toUtf8() + smile.toUtf8() + "y") << QStringList{xs(786), smile + "y"};
    QTest::newRow("surrogate pair just before the cut")
        << QByteArray(xs(785).toUtf8() + smile.toUtf8() + "y") << QStringList{xs(785) + smile, "y"};
    QTest::newRow("pairs only") << QByteArray(QString(smile.repeated(400)).toUtf8())
                                << QStringList{smile.repeated(393), smile.repeated(7)};
}

void TestLineSplitter::pieces()
{
    QFETCH(QByteArray, output);
    QFETCH(QStringList, expected);
    // Whole, byte by byte, and in odd chunks: the pieces never depend on
    // how the pipe hands the bytes over.
    for (qsizetype chunk : {qsizetype(1), qsizetype(3), qsizetype(7), qsizetype(1) << 20}) {
        const QStringList got = splitInChunks(output, chunk);
        if (got != expected) {
            qWarning() << "chunk" << chunk << "got" << got.size() << "pieces";
            QCOMPARE(got, expected);
        }
    }
}

void TestLineSplitter::longLineIsHandedOutBeforeItEnds()
{
    QStringList pieces;
    LineSplitter splitter([&](QStringView piece) { pieces.append(piece.toString()); });
    splitter.feed(xs(787).toUtf8());
    QVERIFY(pieces.isEmpty()); // may still end here as one entry
    splitter.feed(xs(1000).toUtf8());
    QCOMPARE(pieces, (QStringList{xs(787), xs(787)}));
    splitter.feed("\n", 1);
    QCOMPARE(pieces.size(), 3);
    QCOMPARE(pieces.last(), xs(213));
    splitter.finish();
    QCOMPARE(pieces.last(), QString());
}

void TestLineSplitter::cutLineMatchesTheSplitter_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("empty") << QString();
    QTest::newRow("787") << xs(787);
    QTest::newRow("788") << xs(788);
    QTest::newRow("1574") << xs(1574);
    QTest::newRow("pair at the cut") << QString(xs(786) + smile + "y");
}

void TestLineSplitter::cutLineMatchesTheSplitter()
{
    QFETCH(QString, line);
    QStringList whole;
    zan::cutLine(line, [&](QStringView piece) { whole.append(piece.toString()); });
    QStringList streamed = splitInChunks(QByteArray(line.toUtf8() + "\n"), 5);
    streamed.removeLast(); // the empty entry after the final line break
    QCOMPARE(whole, streamed);
}

QTEST_GUILESS_MAIN(TestLineSplitter)
#include "tst_linesplitter.moc"
