// SPDX-License-Identifier: MIT
#include "InfoOptions.h"

#include <QFileInfo>

#include <cstdio>

#ifndef ZAN_VERSION
#define ZAN_VERSION "unknown"
#endif
#ifndef ZAN_BUILD
#define ZAN_BUILD "unknown"
#endif

namespace zan {

InfoRequest infoRequest(const QStringList &arguments)
{
    if (arguments.size() < 2)
        return InfoRequest::None;
    const QString &first = arguments.at(1);
    if (first == QLatin1String("--help") || first == QLatin1String("-h"))
        return InfoRequest::Help;
    if (first == QLatin1String("--version"))
        return InfoRequest::Version;
    return InfoRequest::None;
}

QString infoText(InfoRequest request, const QString &programName)
{
    switch (request) {
    case InfoRequest::None:
        return QString();
    case InfoRequest::Version:
        return QStringLiteral("%1 %2 (build %3)\n")
            .arg(programName, QStringLiteral(ZAN_VERSION), QStringLiteral(ZAN_BUILD));
    case InfoRequest::Help:
        break;
    }
    return QStringLiteral(
               "Usage: %1 [OPTION FILE] [-url HELP-ADDRESS]\n"
               "Shows one dialog for the console launcher and answers through FILE and\n"
               "the exit status. The first option it recognises chooses the dialog;\n"
               "options are matched without regard to case or double quotes.\n"
               "\n"
               "  -SelectNodeFile FILE       choose a node (also the default)\n"
               "  -SelectNodeGroup FILE      choose a node group (or -SelectNodeGroupFile)\n"
               "  -SelectSession FILE        choose a session (or -SelectSessionFile)\n"
               "  -SelectShared FILE         choose a shared session (or -SelectSharedFile)\n"
               "  -SelectSuspend FILE        choose a suspended session (or -SelectSuspendFile)\n"
               "  -Auth FILE                 sign in to the server\n"
               "  -ProxyAuth FILE            sign in to the HTTP proxy\n"
               "  -Message FILE              show the text of FILE\n"
               "  -url ADDRESS               where the Help button's pages are\n"
               "  -h, --help                 show this help and exit\n"
               "  --version                  show the version and exit\n"
               "\n"
               "A selection FILE holds a JSON list; Select replaces it with the chosen\n"
               "record. A sign-in FILE may offer a user name before its first \":\"; OK\n"
               "replaces it with the credential.\n"
               "\n"
               "Exit status: 0 chosen, signed in or dismissed; 1 sign-in cancelled;\n"
               "255 selection cancelled or the credential not written.\n")
        .arg(programName);
}

std::optional<int> answerInfoRequest(const QStringList &arguments)
{
    const InfoRequest request = infoRequest(arguments);
    if (request == InfoRequest::None)
        return std::nullopt;
    const QString program = arguments.isEmpty() || arguments.first().isEmpty()
                                ? QStringLiteral("ZANSelectNode")
                                : QFileInfo(arguments.first()).fileName();
    const QByteArray text = infoText(request, program).toUtf8();
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fflush(stdout);
    return 0;
}

} // namespace zan
