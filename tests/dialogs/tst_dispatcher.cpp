// SPDX-License-Identifier: MIT
// The dispatcher: which dialog a command line opens, its log lines, and the
// message box. Each run is driven as a person would, inside its modal loop.
#include "AppDelegate.h"
#include "ModalDriver.h"
#include "ProcessArguments.h"
#include "TestSupport.h"
#include "Translations.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {
const QString program = QStringLiteral("/bundle/Contents/Applications/ZANSelectNode");

// What the modal window looked like when it came up.
struct SeenModal {
    bool seen = false;
    QString table;    // objectName of a selection dialog's table
    int rows = -1;    // its row count
    bool box = false; // a message box
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QStringList buttons;
};

// How a message box is answered.
enum class BoxAnswer { Button, Escape, Close };

// Runs `run`, which enters a modal loop or not. When a modal window comes up,
// records it and acts on it: a message box is answered as asked (by default
// its first button is clicked), any other dialog gets Escape.
SeenModal driveModal(const std::function<void()> &run, BoxAnswer answer = BoxAnswer::Button)
{
    SeenModal seen;
    zantest::ModalDriver driver([&](QWidget *modal) {
        seen.seen = true;
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            seen.box = true;
            seen.text = box->text();
            seen.format = box->textFormat();
            seen.icon = box->icon();
            seen.title = box->windowTitle();
            for (QAbstractButton *button : box->buttons())
                seen.buttons.append(button->text());
            if (answer == BoxAnswer::Escape)
                QTest::keyClick(box, Qt::Key_Escape);
            else if (answer == BoxAnswer::Close)
                box->close(); // as the window's close button does
            else if (!box->buttons().isEmpty())
                QTest::mouseClick(box->buttons().first(), Qt::LeftButton);
            return;
        }
        if (auto *table = modal->findChild<QTableView *>()) {
            seen.table = table->objectName();
            seen.rows = table->model() ? table->model()->rowCount() : -1;
        }
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    run();
    return seen;
}
} // namespace

Q_DECLARE_METATYPE(BoxAnswer)

class TestDispatcher : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void routes_data();
    void routes();
    void messageBox_data();
    void messageBox();
    void messageBoxEndsAsOk_data();
    void messageBoxEndsAsOk();
    void messageNotShown_data();
    void messageNotShown();

private:
    SeenModal launch(const QStringList &arguments, BoxAnswer answer = BoxAnswer::Button);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<zantest::Capture> m_capture;
};

void TestDispatcher::initTestCase()
{
    zan::installTranslations(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestDispatcher::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_capture = std::make_unique<zantest::Capture>();
}

void TestDispatcher::cleanup()
{
    m_capture.reset();
    m_dir.reset();
    QVERIFY(zantest::leftTopLevelWidgets().isEmpty());
}

SeenModal TestDispatcher::launch(const QStringList &arguments, BoxAnswer answer)
{
    zan::setProcessArguments(QStringList{program} + arguments);
    return driveModal(
        [] {
            zan::AppDelegate delegate;
            delegate.applicationDidFinishLaunching();
        },
        answer);
}

void TestDispatcher::routes_data()
{
    QTest::addColumn<QStringList>("arguments"); // LIST stands for the list's path
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("calledLines");
    QTest::addColumn<bool>("listRemoved");

    const QStringList none;
    const QStringList session{"select session was called.\n"};
    const QStringList group{"select node group was called.\n"};
    // The list holds one shared element, so every dialog shows it.
    QTest::newRow("nothing: node dialog") << QStringList() << "tvNodes" << 0 << none << false;
    QTest::newRow("-SelectNodeFile")
        << QStringList{"-SelectNodeFile", "LIST"} << "tvNodes" << 1 << none << true;
    QTest::newRow("-SelectNode is no option")
        << QStringList{"-SelectNode", "LIST"} << "tvNodes" << 0 << none << false;
    QTest::newRow("-SelectNodeGroup")
        << QStringList{"-SelectNodeGroup", "LIST"} << "tvNodeGroups" << 1 << group << true;
    QTest::newRow("-SelectNodeGroupFile")
        << QStringList{"-SelectNodeGroupFile", "LIST"} << "tvNodeGroups" << 1 << group << true;
    QTest::newRow("-SelectSession")
        << QStringList{"-SelectSession", "LIST"} << "tvsessions" << 2 << session << true;
    QTest::newRow("-SelectSessionFile, other case, quoted")
        << QStringList{"\"-selectSESSIONfile\"", "LIST"} << "tvsessions" << 2 << session << true;
    QTest::newRow("-SelectShared")
        << QStringList{"-SelectShared", "LIST"} << "tvSharedSessions" << 1 << none << true;
    QTest::newRow("-SelectSharedFile")
        << QStringList{"-SelectSharedFile", "LIST"} << "tvSharedSessions" << 1 << none << true;
    QTest::newRow("-SelectSuspend")
        << QStringList{"-SelectSuspend", "LIST"} << "tvSuspendSessions" << 1 << none << true;
    QTest::newRow("-SelectSuspendFile")
        << QStringList{" -SelectSuspendFile\t", "LIST"} << "tvSuspendSessions" << 1 << none << true;
    QTest::newRow("first option wins")
        << QStringList{"-SelectNodeGroup", "LIST", "-SelectSession", "LIST"} << "tvNodeGroups" << 1
        << group << true;
    QTest::newRow("option without a value: node dialog")
        << QStringList{"-SelectNodeFile", "LIST", "-SelectSession"} << "tvNodes" << 1 << none
        << true;
    QTest::newRow("option with an empty value: node dialog")
        << QStringList{"-SelectSession", "", "-SelectNodeFile", "LIST"} << "tvNodes" << 1 << none
        << true;
}

void TestDispatcher::routes()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, table);
    QFETCH(int, rows);
    QFETCH(QStringList, calledLines);
    QFETCH(bool, listRemoved);

    const QString list = m_dir->filePath("list.json");
    QVERIFY(zantest::writeBytes(list, R"([{"id":"x","node":"a","sharingState":1}])"));
    arguments.replaceInStrings(QStringLiteral("LIST"), list);

    const SeenModal seen = launch(arguments);
    QVERIFY(seen.seen);
    QCOMPARE(seen.table, table);
    QCOMPARE(seen.rows, rows);
    QCOMPARE(m_capture->exitStatus(), 255);
    QCOMPARE(m_capture->log.filter(QStringLiteral("was called")), calledLines);
    QCOMPARE(QFile::exists(list), !listRemoved);
}

void TestDispatcher::messageBox_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("text");
    QTest::newRow("plain") << QByteArray("Session limit reached.") << "Session limit reached.";
    QTest::newRow("markup shown as it is") << QByteArray("<b>bold</b> &amp; <a href='x'>link</a>")
                                           << "<b>bold</b> &amp; <a href='x'>link</a>";
    QTest::newRow("lines kept") << QByteArray("one\ntwo\n") << "one\ntwo\n";
    QTest::newRow("UTF-8") << QByteArray("Gr\xc3\xbc\xc3\x9f\x65 \xe6\x96\x87")
                           << QString::fromUtf8("Grüße 文");
    QTest::newRow("a NUL byte ends the text") << QByteArray("before\0after", 12) << "before";
    QTest::newRow("empty file: an empty box") << QByteArray("") << "";
}

void TestDispatcher::messageBox()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, text);
    const QString path = m_dir->filePath("message.txt");
    QVERIFY(zantest::writeBytes(path, content));

    const SeenModal seen = launch({"-Message", path, "-SelectSession", path});
    QVERIFY(seen.box);
    QCOMPARE(seen.text, text);
    QCOMPARE(seen.format, Qt::PlainText);
    QCOMPARE(seen.icon, QMessageBox::Warning);
    QCOMPARE(seen.title, QStringLiteral("Warning"));
    QCOMPARE(seen.buttons, QStringList{qtTrId("LBLOK")});
    QCOMPARE(seen.buttons, QStringList{"OK"});
    QCOMPARE(m_capture->exitStatus(), 0);
    QCOMPARE(m_capture->log, QStringList());
    QCOMPARE(zantest::readBytes(path), content); // the message file is only read
}

// Whichever way the box goes, the message was seen: Escape and the window's
// close button end it as OK does.
void TestDispatcher::messageBoxEndsAsOk_data()
{
    QTest::addColumn<BoxAnswer>("answer");
    QTest::newRow("OK") << BoxAnswer::Button;
    QTest::newRow("Escape") << BoxAnswer::Escape;
    QTest::newRow("close button") << BoxAnswer::Close;
}

void TestDispatcher::messageBoxEndsAsOk()
{
    QFETCH(BoxAnswer, answer);
    const QString path = m_dir->filePath("message.txt");
    QVERIFY(zantest::writeBytes(path, "Session limit reached."));
    const SeenModal seen = launch({"-Message", path}, answer);
    QVERIFY(seen.box);
    QCOMPARE(m_capture->exitStatus(), 0);
    QCOMPARE(m_capture->log, QStringList());
}

void TestDispatcher::messageNotShown_data()
{
    QTest::addColumn<QString>("name"); // in a fresh folder
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("missing file") << "missing.txt" << QByteArray();
    QTest::newRow("a folder") << "folder" << QByteArray();
    QTest::newRow("not UTF-8") << "latin1.txt" << QByteArray("Gr\xfc\xdf\x65");
    QTest::newRow("cut-off sequence") << "cut.txt" << QByteArray("abc\xe6\x96");
}

void TestDispatcher::messageNotShown()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QVERIFY(QDir(m_dir->path()).mkdir("folder"));
    const QString path = m_dir->filePath(name);
    if (!content.isNull())
        QVERIFY(zantest::writeBytes(path, content));

    const SeenModal seen = launch({"-message", path});
    QVERIFY(!seen.seen);
    QCOMPARE(m_capture->exitStatus(), 255);
    QCOMPARE(m_capture->log.size(), 1);
    QVERIFY2(m_capture->log.first().contains(path), qPrintable(m_capture->log.first()));
}

QTEST_MAIN(TestDispatcher)
#include "tst_dispatcher.moc"
