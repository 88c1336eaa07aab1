// SPDX-License-Identifier: MIT
// The suspended-session dialog.
#pragma once

#include "SelectionController.h"

#include <memory>

namespace Ui {
class SelectSuspendPanel;
}

namespace zan {

// The start time comes in as "startTimestamp" and goes back as "started"; it
// is kept as the text given, never converted.
struct SuspendSessionInfo {
    Text ID;
    Text started;
    Text suspendDescription;
    Text profileName;
    Text node;
    qint64 display = 0;
    qint64 sharingState = 0;
    qint64 status = 0;
    Text startTimestamp; // never set: the start time is held in started

    static std::optional<SuspendSessionInfo> fromListElement(const cJSON *element);
    QByteArray chosenRecord() const;
};

class SelectSuspendController : public SelectionControllerFor<SuspendSessionInfo> {
    Q_OBJECT
public:
    explicit SelectSuspendController(QObject *parent = nullptr);
    ~SelectSuspendController() override;

    std::optional<JsonList> getSuspendSessionList() const { return readList(); }
    void populateSuspendList() { fillTable(); }
    const SuspendSessionInfo *getSelectedSuspendSession() const { return selectedRecord(); }
    void onDoubleActionSuspendSessionList() { onDoubleAction(); }

protected:
    void loadPanel(QDialog *dialog) override;

private:
    std::unique_ptr<Ui::SelectSuspendPanel> m_ui;
};

} // namespace zan
