// SPDX-License-Identifier: MIT
#include "ProcessArguments.h"

namespace zan {
namespace {
QStringList &savedArguments()
{
    static QStringList arguments;
    return arguments;
}
} // namespace

void saveProcessArguments(int argc, char **argv)
{
    QStringList arguments;
    arguments.reserve(argc);
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromUtf8(argv[i]));
    savedArguments() = arguments;
}

QStringList processArguments()
{
    return savedArguments();
}

void setProcessArguments(const QStringList &arguments)
{
    savedArguments() = arguments;
}

} // namespace zan
