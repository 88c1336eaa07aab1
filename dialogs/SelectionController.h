// SPDX-License-Identifier: MIT
// What the five selection dialogs share: loading the panel, reading the command
// line, filling the table from the exchange file, and the three buttons. A
// dialog adds only its record type, its keys and its own rules.
#pragma once

#include "ArgumentScan.h"
#include "ExchangeFile.h"
#include "RecordTableModel.h"

#include <QDialog>
#include <QPointer>

#include <functional>
#include <new>

class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
struct cJSON;

namespace zan {

// A panel whose Escape key and close control go to the controller's Cancel.
class PanelDialog : public QDialog {
    Q_OBJECT
public:
    explicit PanelDialog(std::function<void()> onReject, QWidget *parent = nullptr);
    void reject() override;

private:
    std::function<void()> m_onReject;
};

class SelectionController : public QObject {
    Q_OBJECT
public:
    // The fixed facts of one dialog.
    struct Description {
        QList<QLatin1String> exchangeFileOptions;
        QLatin1String helpTopic;
        QString numberTransformer; // registered under this name; empty for none
        QString tableName;         // objectName of the table in the panel
        QString arrayControllerName;
    };

    ~SelectionController() override;

    // Loads the panel the first time it is asked for, then runs windowDidLoad.
    QDialog *window();

    // The exchange file's name as the command line gave its bytes.
    const QByteArray &exchangeFilePath() const { return m_exchangeFilePath; }
    const QString &helpUrl() const { return m_helpUrl; }
    QTableView *table() const { return m_table; }
    RecordTableModel *arrayController() const { return m_arrayController; }

    // The index, in list order, of the selected record; -1 when none.
    int selectedRecordIndex() const;

    // Writes the selected record over the exchange file and exits with 0; a
    // failed write is logged and exits with 255, leaving the list whole. With
    // nothing selected it does nothing.
    void onBtnSelect();
    // Deletes the exchange file (a file or link, never a folder) and exits
    // with 255.
    void onBtnCancel();
    // Opens the help address in the default browser, when there is a valid one.
    void onBtnHelp();
    // The table's double-click: chooses the current selection, like Select.
    void onDoubleAction();

    void alertMessage(const QString &text);

protected:
    // Escape in a filter that holds text clears the filter.
    bool eventFilter(QObject *watched, QEvent *event) override;

    SelectionController(Description description, RecordTableModel *arrayController,
                        QObject *parent = nullptr);

    // Builds the panel's widgets into the dialog (the Designer form).
    virtual void loadPanel(QDialog *dialog) = 0;
    // Registers the number transformer, scans the command line, fills the table.
    virtual void windowDidLoad();
    virtual void registerNumberTransformer() {}
    void parseCommandLine();

    // The parsed exchange file, or nothing.
    std::optional<JsonList> readList() const;
    // Replaces the records with those built from the exchange file and selects
    // the first row; keeps the table as it was when the file gives no list,
    // and empty when there is no memory for the records.
    void fillTable();
    // Builds the records from the top-level value: one per child by default.
    // False, with no records, when their memory could not be had.
    virtual bool buildRecords(const cJSON *root) = 0;
    // The chosen record, as the bytes written to the exchange file.
    virtual QByteArray recordText(int recordIndex) const = 0;

private:
    void connectPanel();
    void selectFirstShownRow();
    void finish(int status);

    Description m_description;
    RecordTableModel *m_arrayController = nullptr;
    QSortFilterProxyModel *m_arranged = nullptr;
    QPointer<PanelDialog> m_window;
    QTableView *m_table = nullptr;
    QLineEdit *m_filter = nullptr;
    QByteArray m_exchangeFilePath;
    QString m_helpUrl;
};

// The number of children of the top-level value.
int childCount(const cJSON *root);

// Calls visit for every child of the top-level value: an array's elements, an
// object's members; a scalar has none.
void forEachChild(const cJSON *root, const std::function<void(const cJSON *)> &visit);

// The frame over one record type. Info provides
//   static std::optional<Info> fromListElement(const cJSON *element)
//     (unset keeps the element out of the table), and
//   QByteArray chosenRecord() const (the bytes written on Select).
template <class Info> class SelectionControllerFor : public SelectionController {
protected:
    SelectionControllerFor(Description description, QObject *parent)
        : SelectionController(std::move(description), new RecordListModel<Info>, parent)
    {}

    RecordListModel<Info> *records() const
    {
        return static_cast<RecordListModel<Info> *>(arrayController());
    }

    // The first selected record, or null.
    const Info *selectedRecord() const
    {
        const int index = selectedRecordIndex();
        return index < 0 ? nullptr : &records()->record(index);
    }

    // Rows that head the table before the listed ones.
    virtual void addLeadingRecords(typename RecordListModel<Info>::Records &) const {}

    bool buildRecords(const cJSON *root) override
    {
        typename RecordListModel<Info>::Records list;
        // The records' memory comes from LargeAllocator and their texts from
        // Qt; both report a failed allocation by throwing, which ends here.
        try {
            list.reserve(size_t(childCount(root)) + 1);
            addLeadingRecords(list);
            forEachChild(root, [&list](const cJSON *element) {
                if (std::optional<Info> record = Info::fromListElement(element))
                    list.push_back(std::move(*record));
            });
        } catch (const std::bad_alloc &) {
            records()->setRecords({});
            return false;
        }
        records()->setRecords(std::move(list));
        return true;
    }

    QByteArray recordText(int recordIndex) const override
    {
        return records()->record(recordIndex).chosenRecord();
    }
};

} // namespace zan
