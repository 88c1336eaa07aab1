// SPDX-License-Identifier: MIT
// Entry of the launcher application.
#include "AppDelegate.h"
#include "ConsoleRunner.h"
#include "ProcessArguments.h"
#include "SystemLog.h"
#include "Translations.h"

#include <QApplication>

int main(int argc, char **argv)
{
    // Before Qt starts any thread, which would keep the signal mask it finds.
    zan::setUpSignals();
    zan::saveProcessArguments(argc, argv);
    zan::openSystemLog("zan-client-launcher");
    QApplication app(argc, argv);
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
