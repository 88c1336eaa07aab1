// SPDX-License-Identifier: MIT
// ZANSelectNode: one run, one modal dialog, an answer in a file and a status.
#include "AppDelegate.h"
#include "GuiStartup.h"
#include "InfoOptions.h"
#include "ProcessArguments.h"
#include "ProcessExit.h"
#include "SystemLog.h"
#include "Translations.h"

#include <QApplication>

#include <clocale>

int main(int argc, char **argv)
{
    zan::saveProcessArguments(argc, argv);
    // Answered before Qt starts, so it needs no display.
    if (const std::optional<int> status = zan::answerInfoRequest(zan::processArguments()))
        return *status;
    zan::openSystemLog("ZANSelectNode");

    // zanlauncher is a console program and may run where no window can be
    // shown (a terminal over ssh): nothing is chosen then, and the exchange
    // file stays as it is. Qt sees only the program name: options such as
    // -style or -reverse are zanlauncher's values here, never Qt's.
    zan::GuiStartup startup(argc > 0 ? argv[0] : nullptr, QStringLiteral("no dialog was shown."),
                            255);
    QApplication app(startup.argc(), startup.argv());
    startup.started();
    // QApplication has set the C library's locale from the environment. Its
    // numeric part would change how the C library reads and prints numbers
    // (cJSON's among them: JSON's decimal point is always "."); Qt's own
    // QLocale, which the dialogs show numbers with, does not depend on it.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("ZANSelectNode"));
    QApplication::setApplicationDisplayName(QStringLiteral("Zan"));
    zan::installTranslations();

    zan::AppDelegate delegate;
    delegate.applicationDidFinishLaunching();
    // Every dialog ends the process itself; reaching this line means none
    // did, which zanlauncher must read as "nothing chosen".
    zan::exitProcess(255);
    return 255;
}
