// SPDX-License-Identifier: MIT
// Child side of the dialog benchmark: the dialog program's own start-up, plus
// an event filter that ends the process the moment the first dialog paints.
// It prints CLOCK_MONOTONIC at that moment; the parent, which started it,
// subtracts its own start time, so the figure runs from process start to a
// dialog on screen with its table filled and its first row selected.
//
// Usage: zan_bench_shown_probe --floor
//        zan_bench_shown_probe ARGUMENTS OF THE DIALOG PROGRAM...
#include "AppDelegate.h"
#include "ProcessArguments.h"
#include "ProcessExit.h"
#include "ProcessFigures.h"
#include "Translations.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType()) {
            auto *widget = static_cast<QWidget *>(watched);
            if (qobject_cast<QDialog *>(widget->window()) && widget->window()->isVisible()) {
                const long long now = zantest::monotonicNs();
                // Peak memory of this process alone.
                std::printf("shown %lld %ld\n", now, zantest::peakResidentKiB());
                std::fflush(stdout);
                ::_exit(0);
            }
        }
        return false;
    }
};
} // namespace

int main(int argc, char **argv)
{
    const bool floor = argc > 1 && std::strcmp(argv[1], "--floor") == 0;
    QStringList arguments{QString::fromUtf8(argv[0])};
    for (int i = 1; i < argc && !floor; ++i)
        arguments.append(QString::fromUtf8(argv[i]));
    zan::setProcessArguments(arguments);

    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    FirstPaint probe;
    app.installEventFilter(&probe);
    if (floor) {
        QDialog dialog;
        auto *layout = new QVBoxLayout(&dialog);
        layout->addWidget(new QLabel(QStringLiteral("Floor")));
        dialog.exec();
        return 1;
    }
    zan::installTranslations();
    zan::AppDelegate delegate;
    delegate.applicationDidFinishLaunching();
    return 1;
}
