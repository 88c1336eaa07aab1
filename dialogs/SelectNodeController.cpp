// SPDX-License-Identifier: MIT
#include "SelectNodeController.h"

#include "ui_SelectNodePanel.h"

namespace zan {

std::optional<NodeInfo> NodeInfo::fromListElement(const cJSON *element)
{
    NodeInfo node;
    node.ID = fields::text(element, "id");
    node.address = fields::text(element, "hostname");
    node.port = fields::wholeNumber(element, "port");
    node.os = fields::text(element, "platform");
    node.sessions = fields::wholeNumber(element, "total");
    node.percentMemory = fields::wholeNumber(element, "mem");
    node.percentCPU = fields::wholeNumber(element, "cpu");
    node.friendlyName = fields::text(element, "friendlyName");
    return node;
}

QByteArray NodeInfo::chosenRecord() const
{
    return RecordWriter()
        .text("id", ID)
        .text("hostname", address)
        .number("port", port)
        .text("Platform", os)
        .number("total", sessions)
        .number("mem", percentMemory)
        .number("cpu", percentCPU)
        .text("friendlyName", friendlyName)
        .print();
}

SelectNodeController::SelectNodeController(QObject *parent)
    : SelectionControllerFor(Description{{QLatin1String("-SelectNodeFile")},
                                         QLatin1String("session-select-node"),
                                         QStringLiteral("NoSepNumberTransformer"),
                                         QStringLiteral("tvNodes"),
                                         QStringLiteral("arrayControllerNodes")},
                             parent)
{}

SelectNodeController::~SelectNodeController() = default;

void SelectNodeController::registerNumberTransformer()
{
    setValueTransformer(std::make_shared<NoSepNumberTransformer>(),
                        QStringLiteral("NoSepNumberTransformer"));
}

void SelectNodeController::loadPanel(QDialog *dialog)
{
    m_ui = std::make_unique<Ui::SelectNodePanel>();
    m_ui->setupUi(dialog);
    const QString number = QStringLiteral("NoSepNumberTransformer");
    records()->setColumns({
        //% "Name"
        {{"friendlyName", qtTrId("LBLColumnName"), {}},
         [](const NodeInfo &n) -> QVariant { return n.friendlyName.value_or(QString()); }},
        //% "Host"
        {{"address", qtTrId("LBLColumnHost"), {}},
         [](const NodeInfo &n) -> QVariant { return n.address.value_or(QString()); }},
        //% "Platform"
        {{"os", qtTrId("LBLColumnPlatform"), {}},
         [](const NodeInfo &n) -> QVariant { return n.os.value_or(QString()); }},
        //% "Port"
        {{"port", qtTrId("LBLColumnPort"), number},
         [](const NodeInfo &n) -> QVariant { return n.port; }},
        //% "Sessions"
        {{"sessions", qtTrId("LBLColumnSessions"), number},
         [](const NodeInfo &n) -> QVariant { return n.sessions; }},
        //% "CPU %"
        {{"percentCPU", qtTrId("LBLColumnCPU"), number},
         [](const NodeInfo &n) -> QVariant { return n.percentCPU; }},
        //% "Memory %"
        {{"percentMemory", qtTrId("LBLColumnMemory"), number},
         [](const NodeInfo &n) -> QVariant { return n.percentMemory; }},
    });
}

} // namespace zan
