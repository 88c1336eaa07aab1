// SPDX-License-Identifier: MIT
#include "LaunchRules.h"

namespace zan {
namespace {
bool isControl(QChar c)
{
    return c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
           c == QChar::ParagraphSeparator;
}
} // namespace

StartDecision decideStart(const QStringList &arguments)
{
    StartDecision decision;
    if (arguments.size() <= 1) {
        decision.path = StartPath::Browser;
        return decision;
    }
    if (arguments.at(1) == desktopOpenOption) {
        decision.path = StartPath::DesktopOpen;
        decision.parameters = arguments.mid(2);
        return decision;
    }
    decision.path = StartPath::CommandLine;
    decision.parameters = arguments.mid(1);
    for (const QString &parameter : decision.parameters) {
        if (parameter.startsWith(QLatin1String("-psn_"))) {
            decision.processSerialNumber = true;
            break;
        }
    }
    return decision;
}

QString processSerialNumberWarning()
{
    return QStringLiteral("First time launch warning.  The URL provided by your browser has been "
                          "replaced by a Process Serial Number which prevents this Launcher "
                          "operation from succeeding.\n\nPlease retry your operation again.");
}

QString quoteForLog(const QString &text)
{
    QString quoted;
    quoted.reserve(text.size() + 2);
    quoted.append(QLatin1Char('"'));
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\')) {
            quoted.append(QLatin1Char('\\')).append(c);
        } else if (c == QLatin1Char('\n')) {
            quoted.append(QLatin1String("\\n"));
        } else if (c == QLatin1Char('\t')) {
            quoted.append(QLatin1String("\\t"));
        } else if (c == QLatin1Char('\r')) {
            quoted.append(QLatin1String("\\r"));
        } else if (isControl(c)) {
            quoted.append(QStringLiteral("\\u%1").arg(uint(c.unicode()), 4, 16, QLatin1Char('0')));
        } else {
            quoted.append(c);
        }
    }
    quoted.append(QLatin1Char('"'));
    return quoted;
}

QString describeList(const QStringList &list)
{
    QString text = QStringLiteral("(");
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (i > 0)
            text.append(QLatin1String(", "));
        text.append(quoteForLog(list.at(i)));
    }
    text.append(QLatin1Char(')'));
    return text;
}

QString argumentSummary(const QStringList &arguments)
{
    QString summary = QStringLiteral("start console:\n");
    for (const QString &argument : arguments)
        summary.append(QLatin1Char(' ')).append(argument);
    return summary;
}

QString launchUrlProblem(const QString &url)
{
    if (!url.startsWith(QLatin1String("zan:"), Qt::CaseInsensitive))
        return QStringLiteral("not a zan: URL");
    for (const QChar c : url) {
        if (isControl(c))
            return QStringLiteral("holds a control character");
    }
    return {};
}

} // namespace zan
