// SPDX-License-Identifier: MIT
// The node group dialog.
#pragma once

#include "SelectionController.h"

#include <memory>

namespace Ui {
class SelectNodeGroupPanel;
}

namespace zan {

// One node group. The count comes in as "membersCount" and goes back as
// "memberCount": zanlauncher spells the two differently.
struct NodeGroupInfo {
    Text ID;
    Text GroupName;
    qint32 memberCount = 0;

    static std::optional<NodeGroupInfo> fromListElement(const cJSON *element);
    QByteArray chosenRecord() const;
};

class NoSepNumber5Transformer : public NoSepNumberTransformerBase {};

class SelectNodeGroupController : public SelectionControllerFor<NodeGroupInfo> {
    Q_OBJECT
public:
    explicit SelectNodeGroupController(QObject *parent = nullptr);
    ~SelectNodeGroupController() override;

    std::optional<JsonList> getNodeGroupList() const { return readList(); }
    void populateNodeGroupList() { fillTable(); }
    const NodeGroupInfo *getSelectedNodeGroup() const { return selectedRecord(); }
    void onDoubleActionNodeGroupList() { onDoubleAction(); }

protected:
    void loadPanel(QDialog *dialog) override;
    void registerNumberTransformer() override;

private:
    std::unique_ptr<Ui::SelectNodeGroupPanel> m_ui;
};

} // namespace zan
