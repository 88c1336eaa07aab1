// SPDX-License-Identifier: MIT
#include "SelectSessionController.h"

#include "SessionRules.h"
#include "ui_SelectSessionPanel.h"

#include <cjson/cJSON.h>

namespace zan {
namespace {
SelectSessionInfo readSession(const cJSON *element)
{
    SelectSessionInfo info;
    info.ID = fields::text(element, "id");
    info.node = fields::host(element);
    info.display = fields::wholeNumber(element, "display");
    info.sharingState = fields::wholeNumber(element, "sharingState");
    info.status = fields::wholeNumber(element, "status");
    return info;
}
} // namespace

std::optional<SelectSessionInfo> SelectSessionInfo::fromListElement(const cJSON *element)
{
    SelectSessionInfo info = readSession(element);
    info.session = sessionRowText(info.node, info.display);
    info.statusAsString = statusWord(info.status);
    return info;
}

SelectSessionInfo SelectSessionInfo::newSessionEntry()
{
    // Read through the same rules as a listed element, from a fixed text.
    static const char entryText[] = R"({"node":"New Session"})";
    const JsonPtr entry(cJSON_ParseWithLength(entryText, sizeof entryText - 1));
    SelectSessionInfo info = readSession(entry.get());
    info.session = info.node;
    return info;
}

QByteArray SelectSessionInfo::chosenRecord() const
{
    const bool isNewSession =
        node && node->compare(QLatin1String("New session"), Qt::CaseInsensitive) == 0;
    return RecordWriter()
        .text("id", isNewSession ? Text(QString::fromLatin1(newSessionIdentifier)) : ID)
        .text("node", node)
        .number("status", status)
        .number("display", display)
        .number("sharingState", sharingState)
        .print();
}

SelectSessionController::SelectSessionController(QObject *parent)
    : SelectionControllerFor(
          Description{{QLatin1String("-SelectSession"), QLatin1String("-SelectSessionFile")},
                      QLatin1String("session-launching"),
                      QStringLiteral("NoSepNumber3Transformer"),
                      QStringLiteral("tvsessions"),
                      QStringLiteral("arrayControllerSessions")},
          parent)
{}

SelectSessionController::~SelectSessionController() = default;

void SelectSessionController::registerNumberTransformer()
{
    setValueTransformer(std::make_shared<NoSepNumber3Transformer>(),
                        QStringLiteral("NoSepNumber3Transformer"));
}

void SelectSessionController::addLeadingRecords(
    RecordListModel<SelectSessionInfo>::Records &records) const
{
    records.push_back(SelectSessionInfo::newSessionEntry());
}

void SelectSessionController::loadPanel(QDialog *dialog)
{
    m_ui = std::make_unique<Ui::SelectSessionPanel>();
    m_ui->setupUi(dialog);
    records()->setColumns({
        //% "Session"
        {{"session", qtTrId("LBLColumnSession"), {}},
         [](const SelectSessionInfo &s) -> QVariant { return s.session.value_or(QString()); }},
        //% "Status"
        {{"statusAsString", qtTrId("LBLColumnStatus"), {}},
         [](const SelectSessionInfo &s) -> QVariant {
             return s.statusAsString.value_or(QString());
         }},
    });
}

} // namespace zan
