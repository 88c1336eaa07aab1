// SPDX-License-Identifier: MIT
#include "SelectSuspendController.h"

#include "ui_SelectSuspendPanel.h"

namespace zan {

std::optional<SuspendSessionInfo> SuspendSessionInfo::fromListElement(const cJSON *element)
{
    SuspendSessionInfo info;
    info.ID = fields::text(element, "id");
    info.profileName = fields::text(element, "profileName");
    info.node = fields::host(element);
    info.suspendDescription = fields::text(element, "suspendDescription");
    info.sharingState = fields::wholeNumber(element, "sharingState");
    info.status = fields::wholeNumber(element, "status");
    info.started = fields::text(element, "startTimestamp");
    info.display = fields::wholeNumber(element, "display");
    return info;
}

QByteArray SuspendSessionInfo::chosenRecord() const
{
    return RecordWriter()
        .text("id", ID)
        .text("profileName", profileName)
        .text("started", started)
        .text("node", node)
        .text("suspendDescription", suspendDescription)
        .number("status", status)
        .number("display", display)
        .number("sharingState", sharingState)
        .print();
}

SelectSuspendController::SelectSuspendController(QObject *parent)
    : SelectionControllerFor(
          Description{{QLatin1String("-SelectSuspend"), QLatin1String("-SelectSuspendFile")},
                      QLatin1String("session-select-suspend"),
                      QString(),
                      QStringLiteral("tvSuspendSessions"),
                      QStringLiteral("arrayControllerSuspendSessions")},
          parent)
{}

SelectSuspendController::~SelectSuspendController() = default;

void SelectSuspendController::loadPanel(QDialog *dialog)
{
    m_ui = std::make_unique<Ui::SelectSuspendPanel>();
    m_ui->setupUi(dialog);
    records()->setColumns({
        //% "Profile"
        {{"profileName", qtTrId("LBLColumnProfile"), {}},
         [](const SuspendSessionInfo &s) -> QVariant { return s.profileName.value_or(QString()); }},
        //% "Description"
        {{"suspendDescription", qtTrId("LBLColumnDescription"), {}},
         [](const SuspendSessionInfo &s) -> QVariant {
             return s.suspendDescription.value_or(QString());
         }},
        {{"node", qtTrId("LBLColumnHost"), {}},
         [](const SuspendSessionInfo &s) -> QVariant { return s.node.value_or(QString()); }},
        //% "Started"
        {{"started", qtTrId("LBLColumnStarted"), {}},
         [](const SuspendSessionInfo &s) -> QVariant { return s.started.value_or(QString()); }},
    });
}

} // namespace zan
