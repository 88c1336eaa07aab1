// SPDX-License-Identifier: MIT
#include "SelectNodeGroupController.h"

#include "ui_SelectNodeGroupPanel.h"

namespace zan {

std::optional<NodeGroupInfo> NodeGroupInfo::fromListElement(const cJSON *element)
{
    NodeGroupInfo group;
    group.ID = fields::text(element, "id");
    group.GroupName = fields::text(element, "name");
    group.memberCount = fields::wholeNumber(element, "membersCount");
    return group;
}

QByteArray NodeGroupInfo::chosenRecord() const
{
    return RecordWriter()
        .text("id", ID)
        .text("name", GroupName)
        .number("memberCount", memberCount)
        .print();
}

SelectNodeGroupController::SelectNodeGroupController(QObject *parent)
    : SelectionControllerFor(
          Description{{QLatin1String("-SelectNodeGroup"), QLatin1String("-SelectNodeGroupFile")},
                      QLatin1String("session-select-node-group"),
                      QStringLiteral("NoSepNumber5Transformer"),
                      QStringLiteral("tvNodeGroups"),
                      QStringLiteral("arrayControllerNodeGroups")},
          parent)
{}

SelectNodeGroupController::~SelectNodeGroupController() = default;

void SelectNodeGroupController::registerNumberTransformer()
{
    setValueTransformer(std::make_shared<NoSepNumber5Transformer>(),
                        QStringLiteral("NoSepNumber5Transformer"));
}

void SelectNodeGroupController::loadPanel(QDialog *dialog)
{
    m_ui = std::make_unique<Ui::SelectNodeGroupPanel>();
    m_ui->setupUi(dialog);
    records()->setColumns({
        //% "Node group"
        {{"GroupName", qtTrId("LBLColumnNodeGroup"), {}},
         [](const NodeGroupInfo &g) -> QVariant { return g.GroupName.value_or(QString()); }},
        //% "Members"
        {{"memberCount", qtTrId("LBLColumnMembers"), QStringLiteral("NoSepNumber5Transformer")},
         [](const NodeGroupInfo &g) -> QVariant { return g.memberCount; }},
    });
}

} // namespace zan
