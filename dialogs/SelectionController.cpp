// SPDX-License-Identifier: MIT
#include "SelectionController.h"

#include "Files.h"
#include "ProcessArguments.h"
#include "ProcessExit.h"
#include "SystemLog.h"

#include <QDesktopServices>
#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QUrl>

#include <cjson/cJSON.h>

namespace zan {

PanelDialog::PanelDialog(std::function<void()> onReject, QWidget *parent)
    : QDialog(parent), m_onReject(std::move(onReject))
{}

void PanelDialog::reject()
{
    if (m_onReject)
        m_onReject();
}

SelectionController::SelectionController(Description description, RecordTableModel *arrayController,
                                         QObject *parent)
    : QObject(parent), m_description(std::move(description)), m_arrayController(arrayController)
{
    m_arrayController->setParent(this);
    m_arrayController->setObjectName(m_description.arrayControllerName);
}

SelectionController::~SelectionController()
{
    delete m_window;
}

QDialog *SelectionController::window()
{
    if (!m_window) {
        m_window = new PanelDialog([this] { onBtnCancel(); });
        loadPanel(m_window);
        connectPanel();
        windowDidLoad();
    }
    return m_window;
}

void SelectionController::connectPanel()
{
    m_table = m_window->findChild<QTableView *>(m_description.tableName);
    m_filter = m_window->findChild<QLineEdit *>(QStringLiteral("tfFilter"));
    Q_ASSERT(m_table);

    m_arranged = new QSortFilterProxyModel(this);
    m_arranged->setSourceModel(m_arrayController);
    m_arranged->setSortRole(RawValueRole);
    m_arranged->setFilterKeyColumn(-1);
    m_arranged->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_arranged->setSortCaseSensitivity(Qt::CaseInsensitive);

    m_table->setModel(m_arranged);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setTabKeyNavigation(false);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    // Fixed row heights: nothing is measured per row, whatever the list size.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // Rows open in list order; a click on a header sorts by that column.
    m_table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_table->setSortingEnabled(true);
    connect(m_table, &QAbstractItemView::doubleClicked, this, [this] { onDoubleAction(); });
    m_table->setFocus(Qt::OtherFocusReason);

    if (auto *select = m_window->findChild<QPushButton *>(QStringLiteral("btnSelect"))) {
        select->setDefault(true);
        connect(select, &QPushButton::clicked, this, &SelectionController::onBtnSelect);
    }
    if (auto *cancel = m_window->findChild<QPushButton *>(QStringLiteral("btnCancel")))
        connect(cancel, &QPushButton::clicked, this, &SelectionController::onBtnCancel);
    if (auto *help = m_window->findChild<QPushButton *>(QStringLiteral("btnHelp")))
        connect(help, &QPushButton::clicked, this, &SelectionController::onBtnHelp);
    if (m_filter) {
        // A line edit tells of its text cursor the first time the cursor is
        // placed. Unplaced, that happens as the field takes the focus, before
        // Qt tells of the focus itself, and a screen reader then takes the
        // field as focused already and never names it. Placed now, while the
        // field has no focus, the first focus sends the focus event alone.
        m_filter->setCursorPosition(0);
        m_filter->installEventFilter(this);
        connect(m_filter, &QLineEdit::textChanged, this, [this](const QString &text) {
            m_arranged->setFilterFixedString(text);
            selectFirstShownRow();
        });
        auto *find = new QShortcut(QKeySequence::Find, m_window);
        connect(find, &QShortcut::activated, m_filter, [this] {
            m_filter->setFocus(Qt::ShortcutFocusReason);
            m_filter->selectAll();
        });
    }
}

bool SelectionController::eventFilter(QObject *watched, QEvent *event)
{
    // Escape while narrowing the list takes the narrowing back, as in any
    // search field. Only an empty filter lets it through to the dialog, where
    // it is Cancel: one Escape too many must not delete zanlauncher's list.
    if (watched == m_filter && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier &&
            !m_filter->text().isEmpty()) {
            m_filter->clear();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void SelectionController::windowDidLoad()
{
    registerNumberTransformer();
    parseCommandLine();
    fillTable();
    m_table->resizeColumnsToContents();
}

void SelectionController::parseCommandLine()
{
    const SelectionArguments arguments = scanSelection(
        rawProcessArguments(), m_description.exchangeFileOptions, m_description.helpTopic);
    m_exchangeFilePath = arguments.exchangeFilePath;
    m_helpUrl = arguments.helpUrl;
}

std::optional<JsonList> SelectionController::readList() const
{
    return readExchangeList(m_exchangeFilePath);
}

void SelectionController::fillTable()
{
    if (!m_arrayController)
        return;
    const std::optional<JsonList> list = readList();
    if (!list)
        return;
    if (!buildRecords(list->root())) {
        logEntry(QStringLiteral("%1: not enough memory for the records of the list")
                     .arg(displayPath(m_exchangeFilePath)));
        return;
    }
    selectFirstShownRow();
}

void SelectionController::selectFirstShownRow()
{
    if (!m_table || !m_table->selectionModel())
        return;
    if (!m_table->selectionModel()->selectedRows().isEmpty())
        return;
    if (m_arranged->rowCount() == 0)
        return;
    const QModelIndex first = m_arranged->index(0, 0);
    m_table->selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect |
                                                          QItemSelectionModel::Rows);
}

int SelectionController::selectedRecordIndex() const
{
    if (!m_table || !m_table->selectionModel())
        return -1;
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return -1;
    return m_arranged->mapToSource(rows.first()).row();
}

void SelectionController::onBtnSelect()
{
    const int index = selectedRecordIndex();
    if (index < 0)
        return;
    const WriteResult written = writeFileAtomically(m_exchangeFilePath, recordText(index));
    if (!written.ok) {
        // zanlauncher reads 255 as "nothing chosen"; a 0 here would make it
        // read the list it wrote as the choice.
        logEntry(QStringLiteral("Failed to write the chosen record: %1").arg(written.error));
        finish(255);
        return;
    }
    finish(0);
}

void SelectionController::onBtnCancel()
{
    removeFile(m_exchangeFilePath);
    finish(-1);
}

void SelectionController::onBtnHelp()
{
    if (m_helpUrl.isEmpty())
        return;
    const QUrl url(m_helpUrl, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative())
        return;
    QDesktopServices::openUrl(url);
}

void SelectionController::onDoubleAction()
{
    onBtnSelect();
}

void SelectionController::alertMessage(const QString &text)
{
    QMessageBox alert(QMessageBox::Information, QString(), text, QMessageBox::NoButton, m_window);
    alert.setTextFormat(Qt::PlainText);
    alert.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    alert.exec();
}

void SelectionController::finish(int status)
{
    exitProcess(status);
    // Reached only when a test observes the exit: close the modal session.
    if (m_window)
        m_window->done(status);
}

int childCount(const cJSON *root)
{
    int count = 0;
    forEachChild(root, [&count](const cJSON *) { ++count; });
    return count;
}

void forEachChild(const cJSON *root, const std::function<void(const cJSON *)> &visit)
{
    if (!root || !(cJSON_IsArray(root) || cJSON_IsObject(root)))
        return;
    for (const cJSON *child = root->child; child; child = child->next)
        visit(child);
}

} // namespace zan
