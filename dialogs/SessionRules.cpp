// SPDX-License-Identifier: MIT
#include "SessionRules.h"

namespace zan {

QString statusWord(qint64 status)
{
    switch (status) {
    case 0:
        return QStringLiteral("Launching");
    case 1:
        return QStringLiteral("Started");
    case 2:
    case 4:
        return QStringLiteral("Active");
    case 3:
        return QStringLiteral("Suspended");
    default:
        return QStringLiteral("Unknown");
    }
}

QString sessionRowText(const Text &node, qint64 display)
{
    return node.value_or(QString()) + QStringLiteral(" (:") + QString::number(display) +
           QLatin1Char(')');
}

} // namespace zan
