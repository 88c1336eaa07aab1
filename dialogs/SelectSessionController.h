// SPDX-License-Identifier: MIT
// The session dialog: a new-session row heads the listed sessions.
#pragma once

#include "SelectionController.h"

#include <memory>

namespace Ui {
class SelectSessionPanel;
}

namespace zan {

// Written as the id whenever the chosen row's host reads "New session".
inline constexpr char newSessionIdentifier[] = "1e8dc82a-596f-623c-8bc5-a10000000002";

struct SelectSessionInfo {
    Text ID;
    Text session; // the row text
    Text node;
    Text statusAsString;
    qint64 display = 0;
    qint64 sharingState = 0;
    qint64 status = 0;

    static std::optional<SelectSessionInfo> fromListElement(const cJSON *element);
    // The row that always heads the list: host "New Session", no status word.
    static SelectSessionInfo newSessionEntry();
    QByteArray chosenRecord() const;
};

class NoSepNumber3Transformer : public NoSepNumberTransformerBase {};

class SelectSessionController : public SelectionControllerFor<SelectSessionInfo> {
    Q_OBJECT
public:
    explicit SelectSessionController(QObject *parent = nullptr);
    ~SelectSessionController() override;

    std::optional<JsonList> getSessionList() const { return readList(); }
    void populatesessionList() { fillTable(); }
    const SelectSessionInfo *getSelectedSession() const { return selectedRecord(); }
    void onDoubleActionSessionList() { onDoubleAction(); }

protected:
    void loadPanel(QDialog *dialog) override;
    void registerNumberTransformer() override;
    void addLeadingRecords(RecordListModel<SelectSessionInfo>::Records &records) const override;

private:
    std::unique_ptr<Ui::SelectSessionPanel> m_ui;
};

} // namespace zan
