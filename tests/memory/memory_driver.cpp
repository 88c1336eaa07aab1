// SPDX-License-Identifier: MIT
// The dialog program as main.cpp builds it, with a scripted user: the first
// argument says how to answer the one dialog the rest of the arguments open.
// Made for runs under valgrind, where the real exit (_exit) ends the process
// and the leak check sees what is left.
//   select   press Select in a selection dialog
//   cancel   press Cancel (selection or sign-in)
//   close    close the window (Escape)
//   ok       fill the user name and password of a sign-in and press OK
//   apikey   choose the API key mode, fill the key and press OK
//   dismiss  press the message box's button
#include "AppDelegate.h"
#include "ModalDriver.h"
#include "ProcessArguments.h"
#include "ProcessExit.h"
#include "SystemLog.h"
#include "Translations.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

#include <cstdio>

namespace {
void press(QWidget *panel, const char *name)
{
    if (auto *button = panel->findChild<QAbstractButton *>(QLatin1String(name)))
        button->click();
}

void fill(QWidget *panel, const char *name, const QString &text)
{
    if (auto *field = panel->findChild<QLineEdit *>(QLatin1String(name)))
        field->setText(text);
}

void answer(const QString &how, QWidget *modal)
{
    if (how == QLatin1String("select")) {
        press(modal, "btnSelect");
    } else if (how == QLatin1String("cancel")) {
        press(modal, "btnCancel");
    } else if (how == QLatin1String("close")) {
        modal->close();
    } else if (how == QLatin1String("ok")) {
        fill(modal, "tfUsername", QStringLiteral("alice"));
        fill(modal, "tfPassword", QStringLiteral("secret"));
        press(modal, "btnOK");
    } else if (how == QLatin1String("apikey")) {
        press(modal, "radioApiKey");
        fill(modal, "tfApiKey", QStringLiteral("key-123"));
        press(modal, "btnOK");
    } else if (how == QLatin1String("dismiss")) {
        if (auto *box = qobject_cast<QMessageBox *>(modal))
            box->buttons().first()->click();
    }
}
} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s select|cancel|close|ok|apikey|dismiss [arguments]\n",
                     argv[0]);
        return 64;
    }
    const QString how = QString::fromUtf8(argv[1]);
    // The program sees its own path and the arguments after the answer.
    argv[1] = argv[0];
    zan::saveProcessArguments(argc - 1, argv + 1);
    zan::openSystemLog("ZANSelectNode");

    int qtArgc = 1;
    char *qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    zan::installTranslations();

    // Answers the dialog once it is up; a dialog that never appears, or
    // stays after the answer, ends the run with 70 after a minute.
    zantest::ModalDriver driver([&how](QWidget *modal) { answer(how, modal); });
    driver.setOnTimeout([] {
        std::fprintf(stderr, "memory driver: the dialog did not end\n");
        zan::exitProcess(70);
    });

    zan::AppDelegate delegate;
    delegate.applicationDidFinishLaunching();
    zan::exitProcess(255);
    return 255;
}
