// SPDX-License-Identifier: MIT
#include "ProcessArguments.h"

namespace zan {
namespace {
QByteArrayList &savedArguments()
{
    static QByteArrayList arguments;
    return arguments;
}
} // namespace

void saveProcessArguments(int argc, char **argv)
{
    QByteArrayList arguments;
    arguments.reserve(argc);
    for (int i = 0; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
    savedArguments() = arguments;
}

QByteArrayList rawProcessArguments()
{
    return savedArguments();
}

QStringList processArguments()
{
    QStringList arguments;
    arguments.reserve(savedArguments().size());
    for (const QByteArray &argument : std::as_const(savedArguments()))
        arguments.append(QString::fromUtf8(argument));
    return arguments;
}

void setProcessArguments(const QStringList &arguments)
{
    QByteArrayList raw;
    raw.reserve(arguments.size());
    for (const QString &argument : arguments)
        raw.append(argument.toUtf8());
    savedArguments() = raw;
}

void setRawProcessArguments(const QByteArrayList &arguments)
{
    savedArguments() = arguments;
}

} // namespace zan
