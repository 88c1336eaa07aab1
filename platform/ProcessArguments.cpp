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
    return argumentsAsText(savedArguments());
}

QStringList argumentsAsText(const QByteArrayList &arguments)
{
    QStringList text;
    text.reserve(arguments.size());
    for (const QByteArray &argument : arguments)
        text.append(QString::fromUtf8(argument));
    return text;
}

QByteArrayList argumentsAsBytes(const QStringList &arguments)
{
    QByteArrayList bytes;
    bytes.reserve(arguments.size());
    for (const QString &argument : arguments)
        bytes.append(argument.toUtf8());
    return bytes;
}

void setProcessArguments(const QStringList &arguments)
{
    savedArguments() = argumentsAsBytes(arguments);
}

void setRawProcessArguments(const QByteArrayList &arguments)
{
    savedArguments() = arguments;
}

} // namespace zan
