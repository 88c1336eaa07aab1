// SPDX-License-Identifier: MIT
#include "AppDelegate.h"

#include "ArgumentScan.h"
#include "AskHTTPProxyCredentialController.h"
#include "AskUserCredentialController.h"
#include "CredentialFile.h"
#include "Files.h"
#include "ProcessArguments.h"
#include "ProcessExit.h"
#include "SelectNodeController.h"
#include "SelectNodeGroupController.h"
#include "SelectSessionController.h"
#include "SelectSharedController.h"
#include "SelectSuspendController.h"
#include "SystemLog.h"
#include "WarningAlert.h"
#include "WindowActivation.h"

#include <QDialog>
#include <QStringDecoder>

namespace zan {
namespace {
// A message is a sentence or a few; anything near this size is not one, and a
// box that tall could not be read or dismissed.
constexpr qint64 maximumMessageBytes = 1 << 20;

void logWriteFailure(const QString &firstLine, const QString &error)
{
    logEntry(firstLine);
    logEntry(error);
}
} // namespace

void AppDelegate::applicationDidFinishLaunching()
{
    scanArguments();
    if (!proxyAuthFilePath.isEmpty())
        runProxySignIn();
    else if (!authFilePath.isEmpty())
        runServerSignIn();
    else if (!selectSharedFilePath.isEmpty())
        runSelection<SelectSharedController>();
    else if (!selectSuspendFilePath.isEmpty())
        runSelection<SelectSuspendController>();
    else if (!selectSessionFilePath.isEmpty()) {
        logEntry(QStringLiteral("select session was called.\n"));
        runSelection<SelectSessionController>();
    } else if (!selectNodeGroupFilePath.isEmpty()) {
        logEntry(QStringLiteral("select node group was called.\n"));
        runSelection<SelectNodeGroupController>();
    } else if (!messageFilePath.isEmpty())
        showMessage();
    else
        runSelection<SelectNodeController>();
}

void AppDelegate::scanArguments()
{
    const DispatchChoice choice = scanDispatch(rawProcessArguments());
    switch (choice.kind) {
    case DialogKind::ProxyAuth:
        proxyAuthFilePath = choice.filePath;
        break;
    case DialogKind::Auth:
        authFilePath = choice.filePath;
        break;
    case DialogKind::SelectShared:
        selectSharedFilePath = choice.filePath;
        break;
    case DialogKind::SelectSuspend:
        selectSuspendFilePath = choice.filePath;
        break;
    case DialogKind::SelectSession:
        selectSessionFilePath = choice.filePath;
        break;
    case DialogKind::SelectNodeGroup:
        selectNodeGroupFilePath = choice.filePath;
        break;
    case DialogKind::Message:
        messageFilePath = choice.filePath;
        break;
    case DialogKind::SelectNode:
        break;
    }
}

template <class Controller> int AppDelegate::runDialog(Controller &controller)
{
    QDialog *dialog = controller.window();
    dialog->setWindowModality(Qt::ApplicationModal);
    // To the front once the display has drawn it; Qt brings the launch token
    // that the desktop left in the environment.
    dialog->winId();
    activateWhenExposed(dialog->windowHandle());
    dialog->show();
    return dialog->exec();
}

template <class Controller> void AppDelegate::runSelection()
{
    // The selection dialogs end the process from their own Select and Cancel.
    Controller controller;
    runDialog(controller);
}

void AppDelegate::runProxySignIn()
{
    AskHTTPProxyCredentialController controller;
    if (runDialog(controller) != 1) {
        exitProcess(1);
        return;
    }
    QString credential = controller.strHTTPProxyCredential();
    const WriteResult written =
        writeCredentialFile(proxyAuthFilePath, credential, CredentialForm::Base64);
    // The copy shares the controller's buffer: drop it, then have the
    // controller overwrite that one buffer (wiping the copy would only detach
    // and overwrite a fresh duplicate).
    credential.clear();
    controller.wipeCredentials();
    if (!written.ok) {
        logWriteFailure(QStringLiteral("Failed  to write proxy auth data back to zanlauncher\n"),
                        written.error);
        exitProcess(-1);
        return;
    }
    exitProcess(0);
}

void AppDelegate::runServerSignIn()
{
    AskUserCredentialController controller;
    if (runDialog(controller) != 1) {
        exitProcess(1);
        return;
    }
    QString credential;
    CredentialForm form = CredentialForm::Plain;
    if (!controller.strUserCredential().isEmpty()) {
        credential = controller.strUserCredential();
        form = CredentialForm::Base64;
    } else if (!controller.strApiCredential().isEmpty()) {
        credential = controller.strApiCredential();
    } else if (!controller.strKerberosCredential().isEmpty()) {
        credential = controller.strKerberosCredential();
    } else {
        // Confirmed with no authentication mode chosen: nothing to write.
        exitProcess(0);
        return;
    }
    const WriteResult written = writeCredentialFile(authFilePath, credential, form);
    credential.clear();
    controller.wipeCredentials();
    if (!written.ok) {
        logWriteFailure(
            QStringLiteral("Failed  to write RUZ Ereduz auth data back to zanlauncher\n"),
            written.error);
        exitProcess(-1);
        return;
    }
    exitProcess(0);
}

void AppDelegate::showMessage()
{
    const ReadResult file = readWholeFile(messageFilePath, maximumMessageBytes);
    if (!file.data) {
        logEntry(QStringLiteral("Cannot show the message: %1").arg(file.error));
        exitProcess(255);
        return;
    }
    QByteArray bytes = *file.data;
    // The text ends at a NUL byte, if there is one.
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        logEntry(QStringLiteral("Cannot show the message: %1: not valid UTF-8")
                     .arg(displayPath(messageFilePath)));
        exitProcess(255);
        return;
    }

    runWarningAlert(text);
    exitProcess(0);
}

} // namespace zan
