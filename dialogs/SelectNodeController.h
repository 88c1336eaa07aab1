// SPDX-License-Identifier: MIT
// The node dialog: the default dialog, shown when the command line names no
// other. Its list comes only from -SelectNodeFile.
#pragma once

#include "SelectionController.h"

#include <memory>

namespace Ui {
class SelectNodePanel;
}

namespace zan {

// One node of the list.
struct NodeInfo {
    Text ID;
    Text address;
    Text os;
    qint32 port = 0;
    qint32 sessions = 0;
    qint32 percentCPU = 0;
    qint32 percentMemory = 0;
    Text friendlyName;

    static std::optional<NodeInfo> fromListElement(const cJSON *element);
    // The platform goes back as "Platform" with a capital P; every other key
    // as it came in.
    QByteArray chosenRecord() const;
};

class NoSepNumberTransformer : public NoSepNumberTransformerBase {};

class SelectNodeController : public SelectionControllerFor<NodeInfo> {
    Q_OBJECT
public:
    explicit SelectNodeController(QObject *parent = nullptr);
    ~SelectNodeController() override;

    std::optional<JsonList> getNodeList() const { return readList(); }
    void populateNodeList() { fillTable(); }
    // The whole selected record, not only its address.
    const NodeInfo *getSelectedNodeAddress() const { return selectedRecord(); }
    void onDoubleActionNodeList() { onDoubleAction(); }

protected:
    void loadPanel(QDialog *dialog) override;
    void registerNumberTransformer() override;

private:
    std::unique_ptr<Ui::SelectNodePanel> m_ui;
};

} // namespace zan
