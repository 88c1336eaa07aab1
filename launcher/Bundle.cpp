// SPDX-License-Identifier: MIT
#include "Bundle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <climits>
#include <cstdlib>

namespace zan {
namespace {
QString executablePath()
{
    char buffer[PATH_MAX];
    // realpath on the link gives the target with every symbolic link of its
    // own path resolved too.
    if (!::realpath("/proc/self/exe", buffer))
        return {};
    return QFile::decodeName(buffer);
}
} // namespace

QString bundlePath()
{
    static const QString path = [] {
        const QString exe = executablePath();
        if (exe.isEmpty())
            return QString();
        // <bundle>/Contents/<bin or Applications>/<program>
        QDir dir = QFileInfo(exe).dir();
        dir.cdUp();
        dir.cdUp();
        return dir.absolutePath();
    }();
    return path;
}

} // namespace zan
