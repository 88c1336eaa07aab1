// SPDX-License-Identifier: MIT
#include "SelectSharedController.h"

#include "SessionRules.h"
#include "ui_SelectSharedPanel.h"

namespace zan {

std::optional<SharedSessionInfo> SharedSessionInfo::fromListElement(const cJSON *element)
{
    SharedSessionInfo info;
    info.ID = fields::text(element, "id");
    info.userName = fields::text(element, "userName");
    info.node = fields::host(element);
    info.display = fields::wholeNumber(element, "display");
    info.sharingState = fields::wholeNumber(element, "sharingState");
    if (info.sharingState == 0)
        return std::nullopt;
    info.status = fields::wholeNumber(element, "status");
    info.sharedSession = sessionRowText(info.node, info.display);
    info.statusAsString = statusWord(info.status);
    return info;
}

QByteArray SharedSessionInfo::chosenRecord() const
{
    return RecordWriter()
        .text("id", ID)
        .text("userName", userName)
        .text("node", node)
        .number("status", status)
        .number("display", display)
        .number("sharingState", sharingState)
        .print();
}

SelectSharedController::SelectSharedController(QObject *parent)
    : SelectionControllerFor(
          Description{{QLatin1String("-SelectShared"), QLatin1String("-SelectSharedFile")},
                      QLatin1String("session-select-shared"),
                      QStringLiteral("NoSepNumber2Transformer"),
                      QStringLiteral("tvSharedSessions"),
                      QStringLiteral("arrayControllerSharedSessions")},
          parent)
{}

SelectSharedController::~SelectSharedController() = default;

void SelectSharedController::registerNumberTransformer()
{
    setValueTransformer(std::make_shared<NoSepNumber2Transformer>(),
                        QStringLiteral("NoSepNumber2Transformer"));
}

void SelectSharedController::loadPanel(QDialog *dialog)
{
    m_ui = std::make_unique<Ui::SelectSharedPanel>();
    m_ui->setupUi(dialog);
    records()->setColumns({
        //% "User"
        {{"userName", qtTrId("LBLColumnUser"), {}},
         [](const SharedSessionInfo &s) -> QVariant { return s.userName.value_or(QString()); }},
        {{"sharedSession", qtTrId("LBLColumnSession"), {}},
         [](const SharedSessionInfo &s) -> QVariant {
             return s.sharedSession.value_or(QString());
         }},
        {{"statusAsString", qtTrId("LBLColumnStatus"), {}},
         [](const SharedSessionInfo &s) -> QVariant {
             return s.statusAsString.value_or(QString());
         }},
    });
}

} // namespace zan
