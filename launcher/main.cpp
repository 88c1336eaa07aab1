// SPDX-License-Identifier: MIT
// Entry of the launcher application.
#include "AppDelegate.h"
#include "ConsoleRunner.h"
#include "GuiStartup.h"
#include "LaunchToken.h"
#include "ProcessArguments.h"
#include "ProcessExit.h"
#include "SystemLog.h"
#include "Translations.h"

#include <QApplication>

int main(int argc, char **argv)
{
    // Before Qt starts any thread, which would keep the signal mask it finds.
    zan::setUpSignals();
    zan::saveProcessArguments(argc, argv);
    // Before Qt starts, which on X11 would take the desktop's startup ID as
    // its own; the launcher hands the token to the window it is meant for.
    zan::saveLaunchToken(zan::takeLaunchTokenFromEnvironment());
    zan::openSystemLog("zan-client-launcher");
    // Every start path may show a window (the agreement, the main window, an
    // alert) and the console launcher's dialogs need the display as well.
    zan::GuiStartup startup(argc > 0 ? argv[0] : nullptr, QStringLiteral("nothing was started."),
                            1);
    QApplication app(startup.argc(), startup.argv());
    startup.started();
    QApplication::setApplicationName(QStringLiteral("zan-client-launcher"));
    QApplication::setDesktopFileName(QStringLiteral(ZAN_APP_ID));
    // Windows come and go (alerts, the main window); the process ends only
    // through the delegate's explicit exits.
    QApplication::setQuitOnLastWindowClosed(false);
    zan::installTranslations();

    zan::AppDelegate delegate;
    delegate.applicationWillFinishLaunching();
    delegate.applicationDidFinishLaunching();
    return app.exec();
}
