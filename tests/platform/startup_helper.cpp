// SPDX-License-Identifier: MIT
// Start-up as the programs go through it, with the messages a window system
// writes while it starts given on the command line: "w:TEXT" a warning,
// "c:TEXT" a critical message, "f:TEXT" the fatal one, "i:TEXT" an
// informational one; "abort" aborts as a failed check would; "started" ends
// start-up there (else it ends after the last message). Start-up fails with
// status 7 ("nothing shown."); otherwise the helper writes "started" on
// standard output and ends with 0.
#include "GuiStartup.h"

#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv)
{
    zan::GuiStartup startup(argv[0], QStringLiteral("nothing shown."), 7);
    for (int i = 1; i < argc; ++i) {
        const char *text = argv[i] + 2;
        if (std::strncmp(argv[i], "w:", 2) == 0)
            qWarning("%s", text);
        else if (std::strncmp(argv[i], "c:", 2) == 0)
            qCritical("%s", text);
        else if (std::strncmp(argv[i], "f:", 2) == 0)
            qFatal("%s", text);
        else if (std::strncmp(argv[i], "i:", 2) == 0)
            qInfo("%s", text);
        else if (std::strcmp(argv[i], "abort") == 0)
            std::abort();
        else if (std::strcmp(argv[i], "started") == 0)
            startup.started();
    }
    startup.started();
    std::puts("started");
    return 0;
}
