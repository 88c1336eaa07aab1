// SPDX-License-Identifier: MIT
#include "ArgumentScan.h"

namespace zan {
namespace {
// Spaces, tabs and the Unicode space separators (category Zs); line breaks
// and other controls are kept.
bool isTrimmedSpace(QChar c)
{
    return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space;
}

struct DispatchOption {
    QLatin1String name;
    DialogKind kind;
};

// In the order the dispatcher tests them.
constexpr DispatchOption dispatchOptions[] = {
    {QLatin1String("-ProxyAuth"), DialogKind::ProxyAuth},
    {QLatin1String("-Auth"), DialogKind::Auth},
    {QLatin1String("-SelectShared"), DialogKind::SelectShared},
    {QLatin1String("-SelectSharedFile"), DialogKind::SelectShared},
    {QLatin1String("-SelectSuspend"), DialogKind::SelectSuspend},
    {QLatin1String("-SelectSuspendFile"), DialogKind::SelectSuspend},
    {QLatin1String("-SelectSession"), DialogKind::SelectSession},
    {QLatin1String("-SelectSessionFile"), DialogKind::SelectSession},
    {QLatin1String("-SelectNodeGroup"), DialogKind::SelectNodeGroup},
    {QLatin1String("-SelectNodeGroupFile"), DialogKind::SelectNodeGroup},
    {QLatin1String("-Message"), DialogKind::Message},
};
} // namespace

QString withoutQuotes(const QString &argument)
{
    if (!argument.contains(QLatin1Char('"')))
        return argument;
    QString result = argument;
    result.remove(QLatin1Char('"'));
    return result;
}

QByteArray withoutQuotes(const QByteArray &argument)
{
    if (!argument.contains('"'))
        return argument;
    QByteArray result = argument;
    result.removeIf([](char c) { return c == '"'; });
    return result;
}

QString normalizedOption(const QString &argument)
{
    const QString text = withoutQuotes(argument);
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmedSpace(text.at(begin)))
        ++begin;
    while (end > begin && isTrimmedSpace(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

bool isOption(const QString &argument, QLatin1String option)
{
    return normalizedOption(argument).compare(option, Qt::CaseInsensitive) == 0;
}

namespace {
// An argument as an option is matched: decoded (bad bytes become U+FFFD, which
// no option holds), without quotes, trimmed.
QString optionText(const QByteArray &argument)
{
    return normalizedOption(QString::fromUtf8(argument));
}
} // namespace

DispatchChoice scanDispatch(const QByteArrayList &arguments)
{
    DispatchChoice choice;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString candidate = optionText(arguments.at(i));
        for (const DispatchOption &option : dispatchOptions) {
            if (candidate.compare(option.name, Qt::CaseInsensitive) != 0)
                continue;
            if (i + 1 < arguments.size()) {
                const QByteArray value = withoutQuotes(arguments.at(i + 1));
                if (!value.isEmpty()) {
                    choice.kind = option.kind;
                    choice.filePath = value;
                }
            }
            return choice;
        }
    }
    return choice;
}

std::optional<QByteArray> firstOptionValue(const QByteArrayList &arguments, QLatin1String option)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (!isOption(QString::fromUtf8(arguments.at(i)), option))
            continue;
        if (i + 1 < arguments.size())
            return withoutQuotes(arguments.at(i + 1));
        return std::nullopt;
    }
    return std::nullopt;
}

SelectionArguments scanSelection(const QByteArrayList &arguments,
                                 const QList<QLatin1String> &exchangeFileOptions,
                                 QLatin1String helpTopic)
{
    static const QLatin1String urlOption("-url");
    static const QLatin1String helpPath("/help/dashboard/jsframe.htm?");
    SelectionArguments result;
    qsizetype i = 0;
    while (i < arguments.size()) {
        const QString candidate = optionText(arguments.at(i));
        bool isFileOption = false;
        for (const QLatin1String option : exchangeFileOptions)
            isFileOption = isFileOption || candidate.compare(option, Qt::CaseInsensitive) == 0;
        if (isFileOption) {
            if (i + 1 < arguments.size())
                result.exchangeFilePath = withoutQuotes(arguments.at(i + 1));
            i += 2;
        } else if (candidate.compare(urlOption, Qt::CaseInsensitive) == 0) {
            // An address is text: decoded here, once.
            if (i + 1 < arguments.size())
                result.helpUrl =
                    withoutQuotes(QString::fromUtf8(arguments.at(i + 1))) + helpPath + helpTopic;
            i += 2;
        } else {
            ++i;
        }
    }
    return result;
}

} // namespace zan
