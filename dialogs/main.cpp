// SPDX-License-Identifier: MIT
// ZANSelectNode: one run, one modal dialog, an answer in a file and a status.
#include "AppDelegate.h"
#include "DisplayCheck.h"
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

    // Qt sees only the program name: options such as -style or -reverse are
    // zanlauncher's values here, never Qt's.
    char fallbackName[] = "ZANSelectNode";
    int qtArgc = 1;
    char *qtArgv[] = {argc > 0 && argv[0] ? argv[0] : fallbackName, nullptr};
    // zanlauncher is a console program and may run where no window can be
    // shown (a terminal over ssh); QApplication would then abort before a
    // word is logged. Nothing is chosen and the exchange file stays as it is.
    zan::DisplayConnection display(zan::displayPlatforms({QString::fromLocal8Bit(qtArgv[0])}));
    if (!display.problem().isEmpty()) {
        zan::logEntry(QStringLiteral("No display could be opened (%1); no dialog was shown.")
                          .arg(display.problem()));
        zan::exitProcess(255);
        return 255;
    }
    QApplication app(qtArgc, qtArgv);
    // Qt holds its own connection now.
    display.close();
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
