// SPDX-License-Identifier: MIT
// The dialog program's dispatcher: reads the command line, runs the one dialog
// it names and, for the sign-ins and the message box, writes back and ends the
// process with the status zanlauncher relies on.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace zan {

class AppDelegate : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Does the whole run: scan, dispatch, one modal dialog, write-back, exit.
    void applicationDidFinishLaunching();
    void applicationWillTerminate() {}

    // Set by the argument scan from the value of the option that chose the
    // dialog; at most one is set in a run. Each is a file name as the command
    // line gave its bytes, which need not be UTF-8.
    QByteArray proxyAuthFilePath;
    QByteArray authFilePath;
    QByteArray selectSharedFilePath;
    QByteArray selectSuspendFilePath;
    QByteArray selectSessionFilePath;
    QByteArray selectNodeGroupFilePath;
    QByteArray messageFilePath;
    // The main window; the dispatcher creates and uses none.
    QPointer<QWidget> window;

private:
    void scanArguments();
    void runProxySignIn();
    void runServerSignIn();
    void showMessage();
    template <class Controller> int runDialog(Controller &controller);
    template <class Controller> void runSelection();
};

} // namespace zan
