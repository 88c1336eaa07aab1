// SPDX-License-Identifier: MIT
// The shared-session dialog: only sessions that are shared become rows.
#pragma once

#include "SelectionController.h"

#include <memory>

namespace Ui {
class SelectSharedPanel;
}

namespace zan {

struct SharedSessionInfo {
    Text ID;
    Text sharedSession; // the row text
    Text userName;
    Text node;
    Text statusAsString;
    qint64 display = 0;
    qint64 sharingState = 0;
    qint64 status = 0;

    // Unset for an element whose sharingState reads 0 (missing and
    // non-numeric included): it is not shared and gets no row.
    static std::optional<SharedSessionInfo> fromListElement(const cJSON *element);
    QByteArray chosenRecord() const;
};

class NoSepNumber2Transformer : public NoSepNumberTransformerBase {};

class SelectSharedController : public SelectionControllerFor<SharedSessionInfo> {
    Q_OBJECT
public:
    explicit SelectSharedController(QObject *parent = nullptr);
    ~SelectSharedController() override;

    std::optional<JsonList> getSharedSessionList() const { return readList(); }
    void populatesharedList() { fillTable(); }
    const SharedSessionInfo *getSelectedSharedSession() const { return selectedRecord(); }
    void onDoubleActionSharedSessionList() { onDoubleAction(); }

protected:
    void loadPanel(QDialog *dialog) override;
    void registerNumberTransformer() override;

private:
    std::unique_ptr<Ui::SelectSharedPanel> m_ui;
};

} // namespace zan
