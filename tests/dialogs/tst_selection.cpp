// SPDX-License-Identifier: MIT
// The selection frame as a person meets it: the five dialogs opened on a list,
// Select, Cancel, Escape, closing, double-click, sorting, the filter and Help.
#include "ModalDriver.h"
#include "ProcessArguments.h"
#include "RecordTableView.h"
#include "SelectNodeController.h"
#include "SelectNodeGroupController.h"
#include "SelectSessionController.h"
#include "SelectSharedController.h"
#include "SelectSuspendController.h"
#include "TestSupport.h"
#include "Translations.h"

#include <QAccessible>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using zantest::num;
using zantest::record;
using zantest::str;

namespace {
enum Kind { Node, NodeGroup, Session, Shared, Suspend };

const QString program = QStringLiteral("/bundle/Contents/Applications/ZANSelectNode");
const QByteArray fixedId = "1e8dc82a-596f-623c-8bc5-a10000000002";

std::unique_ptr<zan::SelectionController> makeController(int kind)
{
    switch (kind) {
    case Node:
        return std::make_unique<zan::SelectNodeController>();
    case NodeGroup:
        return std::make_unique<zan::SelectNodeGroupController>();
    case Session:
        return std::make_unique<zan::SelectSessionController>();
    case Shared:
        return std::make_unique<zan::SelectSharedController>();
    default:
        return std::make_unique<zan::SelectSuspendController>();
    }
}

QString fileOption(int kind)
{
    switch (kind) {
    case Node:
        return QStringLiteral("-SelectNodeFile");
    case NodeGroup:
        return QStringLiteral("-SelectNodeGroupFile");
    case Session:
        return QStringLiteral("-SelectSession");
    case Shared:
        return QStringLiteral("-SelectSharedFile");
    default:
        return QStringLiteral("-SelectSuspend");
    }
}

QByteArray nodeRecord(const QByteArray &id, const QByteArray &host, qint64 port,
                      const QByteArray &name)
{
    return record({str("id", id), str("hostname", host), num("port", port), str("Platform", ""),
                   num("total", 0), num("mem", 0), num("cpu", 0), str("friendlyName", name)});
}

const QByteArray threeNodes = R"([
    {"id":"n1","hostname":"alpha","port":9,"friendlyName":"Charlie"},
    {"id":"n2","hostname":"beta","port":100,"friendlyName":"Alpha"},
    {"id":"n3","hostname":"gamma","port":10,"friendlyName":"Bravo"}])";

// The cells a screen reader would have been told have the focus, by their
// text, while a ScreenReader lives.
QStringList focusedCells;
void recordFocusedCell(QAccessibleInterface *cell)
{
    focusedCells.append(cell->text(QAccessible::Name));
}

struct ScreenReader {
    ScreenReader() : previous(zan::RecordTableView::setCellFocusSink(recordFocusedCell))
    {
        focusedCells.clear();
    }
    ~ScreenReader() { zan::RecordTableView::setCellFocusSink(previous); }
    zan::RecordTableView::CellFocusSink previous;
};
} // namespace

class TestSelection : public QObject {
    Q_OBJECT
public Q_SLOTS:
    // Stands in for the default browser.
    void openUrl(const QUrl &url) { m_opened.append(url); }

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void openAndSelect_data();
    void openAndSelect();
    void enterChoosesTableHasFocus();
    void typingJumpsToRow();
    void textsAreTranslated_data();
    void textsAreTranslated();
    void cancel_data();
    void cancel();
    void cancelNeverRemovesFolder();
    void cancelNeverRemovesFifo();
    void enterOnFocusedCancelCancels();
    void cancelRemovesLinkNotTarget();
    void doubleClickChooses();
    void unwritableFolderKeepsList();
    void sortByHeaderThenSelect();
    void filterThenSelect();
    void escapeClearsFilterFirst();
    void numbersWithoutGroupSeparator();
    void focusForScreenReader_data();
    void focusForScreenReader();
    void help_data();
    void help();

private:
    // Writes the list, sets the command line and loads the dialog's panel.
    zan::SelectionController *open(int kind, const QByteArray &list, const QStringList &extra = {});
    QPushButton *button(const char *name) const;
    QModelIndex shown(int row, int column = 0) const;
    int shownRowOf(const QString &text) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<zantest::Capture> m_capture;
    std::unique_ptr<zan::SelectionController> m_controller;
    QString m_listPath;
    QList<QUrl> m_opened;
};

void TestSelection::initTestCase()
{
    zan::installTranslations(QLocale(QLocale::English, QLocale::UnitedStates));
    for (const char *scheme : {"http", "https", "file", "ftp", "mailto"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "openUrl");
}

void TestSelection::cleanupTestCase()
{
    for (const char *scheme : {"http", "https", "file", "ftp", "mailto"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
}

void TestSelection::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_listPath = m_dir->filePath("list.json");
    m_capture = std::make_unique<zantest::Capture>();
    m_opened.clear();
}

void TestSelection::cleanup()
{
    m_controller.reset();
    m_capture.reset();
    m_dir.reset();
    QLocale::setDefault(QLocale::c());
    QVERIFY(zantest::leftTopLevelWidgets().isEmpty());
}

zan::SelectionController *TestSelection::open(int kind, const QByteArray &list,
                                              const QStringList &extra)
{
    if (!list.isNull() && !zantest::writeBytes(m_listPath, list))
        qFatal("cannot write the list");
    zan::setProcessArguments(QStringList{program, fileOption(kind), m_listPath} + extra);
    m_controller = makeController(kind);
    QDialog *dialog = m_controller->window();
    dialog->show();
    dialog->activateWindow();
    if (!QTest::qWaitForWindowActive(dialog))
        qWarning("the dialog did not become active");
    return m_controller.get();
}

QPushButton *TestSelection::button(const char *name) const
{
    return m_controller->window()->findChild<QPushButton *>(QLatin1String(name));
}

QModelIndex TestSelection::shown(int row, int column) const
{
    return m_controller->table()->model()->index(row, column);
}

int TestSelection::shownRowOf(const QString &text) const
{
    const QAbstractItemModel *model = m_controller->table()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        for (int column = 0; column < model->columnCount(); ++column) {
            if (model->index(row, column).data().toString() == text)
                return row;
        }
    }
    return -1;
}

void TestSelection::openAndSelect_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("list"); // null: no file
    QTest::addColumn<int>("rows");
    QTest::addColumn<QByteArray>("written"); // empty: Select does nothing
    QTest::addColumn<bool>("logged");

    QTest::newRow("node: three, the first chosen")
        << int(Node) << threeNodes << 3 << nodeRecord("n1", "alpha", 9, "Charlie") << false;
    QTest::newRow("node: empty list")
        << int(Node) << QByteArray("[]") << 0 << QByteArray() << false;
    QTest::newRow("node: empty file") << int(Node) << QByteArray("") << 0 << QByteArray() << false;
    QTest::newRow("node: not JSON")
        << int(Node) << QByteArray("n1,n2") << 0 << QByteArray() << false;
    QTest::newRow("node: missing file") << int(Node) << QByteArray() << 0 << QByteArray() << true;
    QTest::newRow("node: elements that are not objects")
        << int(Node) << QByteArray(R"([7,"x"])") << 2 << nodeRecord("", "", 0, "") << false;
    QTest::newRow("node group") << int(NodeGroup)
                                << QByteArray(R"([{"id":"g1","name":"Lab","membersCount":4}])") << 1
                                << record(
                                       {str("id", "g1"), str("name", "Lab"), num("memberCount", 4)})
                                << false;
    QTest::newRow("node group: an object's members are the records")
        << int(NodeGroup)
        << QByteArray(R"({"a":{"id":"g1","name":"A"},"b":{"id":"g2","name":"B"}})") << 2
        << record({str("id", "g1"), str("name", "A"), num("memberCount", 0)}) << false;
    const QByteArray newSession =
        record({str("id", fixedId), str("node", "New Session"), num("status", 0), num("display", 0),
                num("sharingState", 0)});
    QTest::newRow("session: the new-session row heads and is chosen")
        << int(Session)
        << QByteArray(R"([{"id":"s1","node":"a","display":1},{"id":"s2","node":"b"}])") << 3
        << newSession << false;
    QTest::newRow("session: empty list")
        << int(Session) << QByteArray("[]") << 1 << newSession << false;
    QTest::newRow("session: a scalar top level")
        << int(Session) << QByteArray("5") << 1 << newSession << false;
    QTest::newRow("session: missing file, not even the new-session row")
        << int(Session) << QByteArray() << 0 << QByteArray() << true;
    QTest::newRow("session: empty file")
        << int(Session) << QByteArray("") << 0 << QByteArray() << false;
    QTest::newRow("shared: 1, 0, 2 shows the first and the third")
        << int(Shared)
        << QByteArray(R"([{"id":"a","sharingState":1},{"id":"b","sharingState":0},)"
                      R"({"id":"c","sharingState":2}])")
        << 2
        << record({str("id", "a"), str("userName", ""), str("node", ""), num("status", 0),
                   num("display", 0), num("sharingState", 1)})
        << false;
    QTest::newRow("shared: the first that passes is chosen")
        << int(Shared)
        << QByteArray(R"([{"id":"a","sharingState":0},{"id":"b"},7,)"
                      R"({"id":"c","sharingState":true,"status":3}])")
        << 1
        << record({str("id", "c"), str("userName", ""), str("node", ""), num("status", 3),
                   num("display", 0), num("sharingState", 1)})
        << false;
    QTest::newRow("shared: none shared")
        << int(Shared) << QByteArray(R"([{"sharingState":0},{"id":"x"}])") << 0 << QByteArray()
        << false;
    QTest::newRow("suspended")
        << int(Suspend)
        << QByteArray(R"([{"id":"p1","profileName":"office","node":"alpha",)"
                      R"("suspendDescription":"lunch","status":3,"startTimestamp":"t1",)"
                      R"("display":4},{"id":"p2"}])")
        << 2
        << record({str("id", "p1"), str("profileName", "office"), str("started", "t1"),
                   str("node", "alpha"), str("suspendDescription", "lunch"), num("status", 3),
                   num("display", 4), num("sharingState", 0)})
        << false;
}

void TestSelection::openAndSelect()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, list);
    QFETCH(int, rows);
    QFETCH(QByteArray, written);
    QFETCH(bool, logged);

    zan::SelectionController *controller = open(kind, list);
    QCOMPARE(controller->exchangeFilePath(), zantest::native(m_listPath));
    QCOMPARE(controller->table()->model()->rowCount(), rows);
    QCOMPARE(controller->selectedRecordIndex(), rows ? 0 : -1);
    if (rows) {
        // The selection is visible, on the first row shown.
        QCOMPARE(controller->table()->selectionModel()->selectedRows(), QModelIndexList{shown(0)});
    }
    QCOMPARE(m_capture->log.size(), logged ? 1 : 0);
    if (logged)
        QVERIFY2(m_capture->log.first().contains(m_listPath), qPrintable(m_capture->log.first()));

    QTest::mouseClick(button("btnSelect"), Qt::LeftButton);
    if (written.isEmpty()) {
        QCOMPARE(m_capture->statuses, QList<int>());
        QVERIFY(controller->window()->isVisible());
        QCOMPARE(QFile::exists(m_listPath), !list.isNull());
        if (!list.isNull())
            QCOMPARE(zantest::readBytes(m_listPath), list);
        return;
    }
    QCOMPARE(m_capture->exitStatus(), 0);
    QCOMPARE(zantest::readBytes(m_listPath), written);
    QVERIFY(!controller->window()->isVisible());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"list.json"});
}

void TestSelection::enterChoosesTableHasFocus()
{
    zan::SelectionController *controller = open(Node, threeNodes);
    QCOMPARE(QApplication::focusWidget(), controller->table());
    QVERIFY(button("btnSelect")->isDefault());
    // The arrow key moves the selection; Enter chooses it.
    QTest::keyClick(controller->table(), Qt::Key_Down);
    QCOMPARE(controller->selectedRecordIndex(), 1);
    QTest::keyClick(controller->table(), Qt::Key_Return);
    QCOMPARE(m_capture->exitStatus(), 0);
    QCOMPARE(zantest::readBytes(m_listPath), nodeRecord("n2", "beta", 100, "Alpha"));
}

void TestSelection::typingJumpsToRow()
{
    zan::SelectionController *controller = open(Node, threeNodes);
    QTest::keyClicks(controller->table(), "br");
    QCOMPARE(controller->selectedRecordIndex(), 2);
    QTest::keyClick(controller->table(), Qt::Key_Enter);
    QCOMPARE(m_capture->exitStatus(), 0);
    QCOMPARE(zantest::readBytes(m_listPath), nodeRecord("n3", "gamma", 10, "Bravo"));
}

void TestSelection::textsAreTranslated_data()
{
    QTest::addColumn<int>("kind");
    for (int kind : {Node, NodeGroup, Session, Shared, Suspend})
        QTest::newRow(qPrintable(fileOption(kind))) << kind;
}

void TestSelection::textsAreTranslated()
{
    QFETCH(int, kind);
    zan::SelectionController *controller = open(kind, "[]");
    QDialog *dialog = controller->window();
    QStringList texts{dialog->windowTitle()};
    for (const QLabel *label : dialog->findChildren<QLabel *>())
        texts << label->text();
    for (const QPushButton *button : dialog->findChildren<QPushButton *>())
        texts << button->text();
    const QAbstractItemModel *model = controller->table()->model();
    QVERIFY(model->columnCount() > 0);
    for (int column = 0; column < model->columnCount(); ++column)
        texts << model->headerData(column, Qt::Horizontal).toString();
    // A text ID without a translation shows as the ID itself.
    for (const QString &text : texts) {
        QVERIFY2(!text.isEmpty(), "an empty title or label");
        QVERIFY2(!text.contains(QRegularExpression("^(LBL|MESG)[A-Za-z]")), qPrintable(text));
    }
    QCOMPARE(button("btnSelect")->text().remove('&'), QStringLiteral("Select"));
    QCOMPARE(button("btnCancel")->text().remove('&'), QStringLiteral("Cancel"));
}

void TestSelection::cancel_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QByteArray>("list");
    for (int kind : {Node, NodeGroup, Session, Shared, Suspend}) {
        for (const char *how : {"button", "escape", "close"}) {
            QTest::addRow("%s, %s", qPrintable(fileOption(kind)), how)
                << kind << QString::fromLatin1(how) << QByteArray("[{\"sharingState\":1}]");
        }
    }
    QTest::newRow("empty list, button") << int(Node) << "button" << QByteArray("[]");
    QTest::newRow("empty list, escape") << int(Shared) << "escape" << QByteArray("[]");
    QTest::newRow("no file, button") << int(Session) << "button" << QByteArray();
}

void TestSelection::cancel()
{
    QFETCH(int, kind);
    QFETCH(QString, how);
    QFETCH(QByteArray, list);
    zan::SelectionController *controller = open(kind, list);
    QDialog *dialog = controller->window();
    if (how == "button")
        QTest::mouseClick(button("btnCancel"), Qt::LeftButton);
    else if (how == "escape")
        QTest::keyClick(controller->table(), Qt::Key_Escape);
    else
        dialog->close();
    QCOMPARE(m_capture->exitStatus(), 255);
    QVERIFY(!QFile::exists(m_listPath));
    QVERIFY(!dialog->isVisible());
}

void TestSelection::cancelNeverRemovesFolder()
{
    const QString folder = m_dir->filePath("folder");
    QVERIFY(QDir(m_dir->path()).mkpath("folder/inner"));
    QVERIFY(zantest::writeBytes(folder + "/inner/keep", "x"));
    zan::setProcessArguments({program, "-SelectNodeFile", folder});
    m_controller = makeController(Node);
    m_controller->window()->show();
    QCOMPARE(m_controller->table()->model()->rowCount(), 0);
    QTest::mouseClick(button("btnCancel"), Qt::LeftButton);
    QCOMPARE(m_capture->exitStatus(), 255);
    QVERIFY(QFile::exists(folder + "/inner/keep"));
}

void TestSelection::cancelNeverRemovesFifo()
{
    const QString fifo = m_dir->filePath("fifo");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    zan::setProcessArguments({program, "-SelectNodeFile", fifo});
    m_controller = makeController(Node);
    m_controller->window()->show();
    QTest::mouseClick(button("btnCancel"), Qt::LeftButton);
    QCOMPARE(m_capture->exitStatus(), 255);
    QVERIFY(QFileInfo(fifo).exists());
}

// Enter activates the button that has the focus: a user who tabs to Cancel
// and presses Enter must not have a record chosen for them.
void TestSelection::enterOnFocusedCancelCancels()
{
    zan::SelectionController *controller = open(Node, threeNodes);
    QPushButton *cancel = button("btnCancel");
    cancel->setFocus(Qt::TabFocusReason);
    QTest::keyClick(cancel, Qt::Key_Return);
    QCOMPARE(m_capture->exitStatus(), 255);
    QVERIFY(!QFile::exists(m_listPath));
    Q_UNUSED(controller);
}

void TestSelection::cancelRemovesLinkNotTarget()
{
    const QString target = m_dir->filePath("target.json");
    QVERIFY(zantest::writeBytes(target, threeNodes));
    const QString link = m_dir->filePath("link.json");
    QVERIFY(QFile::link(target, link));
    zan::setProcessArguments({program, "-SelectNodeFile", link});
    m_controller = makeController(Node);
    m_controller->window()->show();
    QCOMPARE(m_controller->table()->model()->rowCount(), 3);
    QTest::mouseClick(button("btnCancel"), Qt::LeftButton);
    QCOMPARE(m_capture->exitStatus(), 255);
    QVERIFY(!QFileInfo(link).isSymLink());
    QCOMPARE(zantest::readBytes(target), threeNodes);
}

void TestSelection::doubleClickChooses()
{
    zan::SelectionController *controller = open(Node, threeNodes);
    QTableView *table = controller->table();
    const QPoint third = table->visualRect(shown(2)).center();
    // As a mouse sends it: a click, then the second press as a double-click.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, third);
    QCOMPARE(m_capture->statuses, QList<int>());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, third);
    QCOMPARE(m_capture->exitStatus(), 0);
    QCOMPARE(zantest::readBytes(m_listPath), nodeRecord("n3", "gamma", 10, "Bravo"));
}

void TestSelection::unwritableFolderKeepsList()
{
    const QString folder = m_dir->filePath("locked");
    QVERIFY(QDir(m_dir->path()).mkdir("locked"));
    m_listPath = folder + "/list.json";
    zan::SelectionController *controller = open(Node, threeNodes);
    QCOMPARE(controller->table()->model()->rowCount(), 3);
    {
        zantest::UnwritableFolder locked(folder);
        if (!locked.ok())
            QSKIP("no way to make a folder unwritable for this user here");
        QTest::mouseClick(button("btnSelect"), Qt::LeftButton);
    }
    QCOMPARE(m_capture->exitStatus(), 255);
    QCOMPARE(m_capture->log.size(), 1);
    QVERIFY2(m_capture->log.first().contains(m_listPath), qPrintable(m_capture->log.first()));
    QCOMPARE(zantest::readBytes(m_listPath), threeNodes);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"list.json"});
}

void TestSelection::sortByHeaderThenSelect()
{
    zan::SelectionController *controller = open(Node, threeNodes);
    QTableView *table = controller->table();
    QHeaderView *header = table->horizontalHeader();
    // Rows open in list order.
    QCOMPARE(shown(0).data().toString(), QStringLiteral("Charlie"));

    // Numbers sort as numbers, not as text: 100, 10, 9.
    int portColumn = -1;
    const QList<zan::ColumnSpec> &columns = controller->arrayController()->columns();
    for (int column = 0; column < columns.size(); ++column) {
        if (columns.at(column).property == "port")
            portColumn = column;
    }
    QVERIFY(portColumn >= 0);
    table->sortByColumn(portColumn, Qt::DescendingOrder);
    QCOMPARE(shown(0, portColumn).data().toString(), QStringLiteral("100"));
    QCOMPARE(shown(1, portColumn).data().toString(), QStringLiteral("10"));
    QCOMPARE(shown(2, portColumn).data().toString(), QStringLiteral("9"));

    // A click on the first header sorts by name; the selection stays on the
    // record it was on.
    const QPoint firstHeader(header->sectionViewportPosition(0) + header->sectionSize(0) / 2,
                             header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, firstHeader);
    QCOMPARE(header->sortIndicatorSection(), 0);
    const QStringList order = {shown(0).data().toString(), shown(1).data().toString(),
                               shown(2).data().toString()};
    QVERIFY2(order == (QStringList{"Alpha", "Bravo", "Charlie"}) ||
                 order == (QStringList{"Charlie", "Bravo", "Alpha"}),
             qPrintable(order.join(',')));
    QCOMPARE(controller->selectedRecordIndex(), 0);

    // The first row shown, chosen from the keyboard, is the one written.
    QTest::keyClick(table, Qt::Key_Home, Qt::ControlModifier);
    const QString firstShown = shown(0).data().toString();
    QTest::mouseClick(button("btnSelect"), Qt::LeftButton);
    QCOMPARE(m_capture->exitStatus(), 0);
    const QByteArray expected = firstShown == "Alpha" ? nodeRecord("n2", "beta", 100, "Alpha")
                                                      : nodeRecord("n1", "alpha", 9, "Charlie");
    QCOMPARE(zantest::readBytes(m_listPath), expected);
}

void TestSelection::filterThenSelect()
{
    zan::SelectionController *controller = open(Node, threeNodes);
    QTableView *table = controller->table();
    auto *filter = controller->window()->findChild<QLineEdit *>("tfFilter");
    QVERIFY(filter);

    QTest::keyClick(controller->window(), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), filter);
    QTest::keyClicks(filter, "nothing matches");
    QCOMPARE(table->model()->rowCount(), 0);
    QTest::mouseClick(button("btnSelect"), Qt::LeftButton);
    QCOMPARE(m_capture->statuses, QList<int>());

    filter->clear();
    QCOMPARE(table->model()->rowCount(), 3);
    QCOMPARE(controller->selectedRecordIndex(), 0);

    // Case-insensitive, over every shown column: "GAMMA" is a host.
    QTest::keyClicks(filter, "GAMMA");
    QCOMPARE(table->model()->rowCount(), 1);
    QCOMPARE(controller->selectedRecordIndex(), 2);
    QTest::keyClick(filter, Qt::Key_Return);
    QCOMPARE(m_capture->exitStatus(), 0);
    QCOMPARE(zantest::readBytes(m_listPath), nodeRecord("n3", "gamma", 10, "Bravo"));
}

// Escape while narrowing the list takes the narrowing back, as a search field
// does; only then is it Cancel, which deletes zanlauncher's list.
void TestSelection::escapeClearsFilterFirst()
{
    zan::SelectionController *controller = open(Node, threeNodes);
    auto *filter = controller->window()->findChild<QLineEdit *>("tfFilter");
    QVERIFY(filter);
    QTest::keyClick(controller->window(), Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(filter, "gamma");
    QCOMPARE(controller->table()->model()->rowCount(), 1);

    QTest::keyClick(filter, Qt::Key_Escape);
    QCOMPARE(filter->text(), QString());
    QCOMPARE(controller->table()->model()->rowCount(), 3);
    QCOMPARE(m_capture->statuses, QList<int>());
    QVERIFY(controller->window()->isVisible());
    QCOMPARE(QApplication::focusWidget(), filter);
    QCOMPARE(zantest::readBytes(m_listPath), threeNodes);

    QTest::keyClick(filter, Qt::Key_Escape);
    QCOMPARE(m_capture->exitStatus(), 255);
    QVERIFY(!QFile::exists(m_listPath));
}

void TestSelection::numbersWithoutGroupSeparator()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    zan::SelectionController *controller =
        open(NodeGroup, R"([{"id":"g","name":"big","membersCount":1234567}])");
    QCOMPARE(shownRowOf("1234567"), 0);
    QCOMPARE(shownRowOf("1.234.567"), -1);
    Q_UNUSED(controller);
}

void TestSelection::focusForScreenReader_data()
{
    QTest::addColumn<QStringList>("keys"); // "Down", "Ctrl+F", "Shift+Tab" or text to type
    QTest::addColumn<QStringList>("focused");
    QTest::newRow("Down: the new row's cell") << QStringList{"Down"} << QStringList{"Alpha"};
    QTest::newRow("narrowing the list in the filter moves nothing into the table")
        << QStringList{"Ctrl+F", "gamma"} << QStringList();
    QTest::newRow("back into the table: its current cell after it")
        << QStringList{"Ctrl+F", "gamma", "Shift+Tab"} << QStringList{"Bravo"};
    QTest::newRow("the cell the keyboard left in the table")
        << QStringList{"Down", "Ctrl+F", "Shift+Tab"} << QStringList{"Alpha", "Alpha"};
}

// What a screen reader is told of the focus in a list: a cell only when the
// table has the keyboard. The filter field's first focus moves no text cursor:
// a reader told of a caret move before the focus leaves the field unnamed.
void TestSelection::focusForScreenReader()
{
    QFETCH(QStringList, keys);
    QFETCH(QStringList, focused);
    zan::SelectionController *controller = open(Node, threeNodes);
    auto *filter = controller->window()->findChild<QLineEdit *>("tfFilter");
    QVERIFY(filter);
    QSignalSpy cursorMoves(filter, &QLineEdit::cursorPositionChanged);
    QTest::qWait(20); // the table's announcement on opening goes by
    const ScreenReader reader;
    for (const QString &key : keys) {
        QWidget *target = QApplication::focusWidget();
        QVERIFY(target);
        if (key == QLatin1String("Down")) {
            QTest::keyClick(target, Qt::Key_Down);
        } else if (key == QLatin1String("Ctrl+F")) {
            QTest::keyClick(target, Qt::Key_F, Qt::ControlModifier);
            QCOMPARE(QApplication::focusWidget(), filter);
            QCOMPARE(cursorMoves.count(), 0);
        } else if (key == QLatin1String("Shift+Tab")) {
            QTest::keyClick(target, Qt::Key_Tab, Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget(), controller->table());
        } else {
            QTest::keyClicks(target, key);
        }
        QTest::qWait(20); // what the table leaves for the event loop
    }
    QCOMPARE(focusedCells, focused);
}

void TestSelection::help_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<QString>("opened"); // empty: nothing opens

    const QString path = QStringLiteral("/help/dashboard/jsframe.htm?");
    QTest::newRow("node") << int(Node) << QStringList{"-url", "https://srv:8443"}
                          << "https://srv:8443" + path + "session-select-node";
    QTest::newRow("node group") << int(NodeGroup) << QStringList{"-url", "http://srv"}
                                << "http://srv" + path + "session-select-node-group";
    QTest::newRow("session") << int(Session) << QStringList{"-URL", "\"http://srv/\""}
                             << "http://srv/" + path + "session-launching";
    QTest::newRow("shared") << int(Shared) << QStringList{"-url", "http://srv"}
                            << "http://srv" + path + "session-select-shared";
    QTest::newRow("suspended") << int(Suspend) << QStringList{"-url", "http://srv"}
                               << "http://srv" + path + "session-select-suspend";
    QTest::newRow("no -url") << int(Node) << QStringList() << QString();
    QTest::newRow("-url last") << int(Node) << QStringList{"-url"} << QString();
    QTest::newRow("not a URL") << int(Node) << QStringList{"-url", "http://[srv"} << QString();
    QTest::newRow("spaces make no URL")
        << int(Node) << QStringList{"-url", "http://my srv"} << QString();
    QTest::newRow("relative") << int(Node) << QStringList{"-url", "srv"} << QString();
}

void TestSelection::help()
{
    QFETCH(int, kind);
    QFETCH(QStringList, extra);
    QFETCH(QString, opened);
    zan::SelectionController *controller = open(kind, "[]", extra);
    QTest::mouseClick(button("btnHelp"), Qt::LeftButton);
    if (opened.isEmpty())
        QCOMPARE(m_opened, QList<QUrl>());
    else
        QCOMPARE(m_opened, QList<QUrl>{QUrl(opened)});
    // Help leaves the dialog as it was.
    QCOMPARE(m_capture->statuses, QList<int>());
    QVERIFY(controller->window()->isVisible());
    QVERIFY(QFile::exists(m_listPath));
}

QTEST_MAIN(TestSelection)
#include "tst_selection.moc"
