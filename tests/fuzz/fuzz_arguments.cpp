// SPDX-License-Identifier: MIT
// Both programs' command lines: the input, split at NUL bytes, is an argument
// list. The dialog program's dispatch scan and the five selection scans, and
// the launcher's start-up decision with the texts it logs about it.
#include "ArgumentScan.h"
#include "FuzzSupport.h"
#include "LaunchRules.h"

namespace {
struct Selection {
    QList<QLatin1String> options;
    QLatin1String topic;
};

const QList<Selection> &selections()
{
    static const QList<Selection> all = {
        {{QLatin1String("-SelectNodeFile")}, QLatin1String("session-select-node")},
        {{QLatin1String("-SelectNodeGroup"), QLatin1String("-SelectNodeGroupFile")},
         QLatin1String("session-select-node-group")},
        {{QLatin1String("-SelectSession"), QLatin1String("-SelectSessionFile")},
         QLatin1String("session-launching")},
        {{QLatin1String("-SelectShared"), QLatin1String("-SelectSharedFile")},
         QLatin1String("session-select-shared")},
        {{QLatin1String("-SelectSuspend"), QLatin1String("-SelectSuspendFile")},
         QLatin1String("session-select-suspend")},
    };
    return all;
}

void checkDialogProgram(const QByteArrayList &arguments)
{
    const zan::DispatchChoice choice = zan::scanDispatch(arguments);
    if (choice.kind == zan::DialogKind::SelectNode)
        ZAN_FUZZ_CHECK(choice.filePath.isEmpty());
    else
        ZAN_FUZZ_CHECK(!choice.filePath.isEmpty());
    ZAN_FUZZ_CHECK(!choice.filePath.contains('"'));
    // The value is an argument that follows an option, its bytes kept.
    if (!choice.filePath.isEmpty()) {
        bool found = false;
        for (qsizetype i = 1; i < arguments.size() && !found; ++i)
            found = zan::withoutQuotes(arguments.at(i)) == choice.filePath;
        ZAN_FUZZ_CHECK(found);
    }

    for (const Selection &selection : selections()) {
        const zan::SelectionArguments scanned =
            zan::scanSelection(arguments, selection.options, selection.topic);
        ZAN_FUZZ_CHECK(!scanned.exchangeFilePath.contains('"'));
        if (!scanned.helpUrl.isEmpty()) {
            ZAN_FUZZ_CHECK(scanned.helpUrl.endsWith(QLatin1String("/help/dashboard/jsframe.htm?") +
                                                    selection.topic));
            ZAN_FUZZ_CHECK(!scanned.helpUrl.contains(QLatin1Char('"')));
        }
        for (const QLatin1String option : selection.options) {
            const std::optional<QByteArray> value = zan::firstOptionValue(arguments, option);
            ZAN_FUZZ_CHECK(!value || !value->contains('"'));
        }
    }
}

void checkLauncher(const QStringList &arguments)
{
    const zan::StartDecision decision = zan::decideStart(arguments);
    switch (decision.path) {
    case zan::StartPath::Browser:
        ZAN_FUZZ_CHECK(arguments.size() <= 1);
        break;
    case zan::StartPath::DesktopOpen:
        ZAN_FUZZ_CHECK(decision.parameters == arguments.mid(2));
        break;
    case zan::StartPath::CommandLine: {
        // The parameters reach the console launcher unchanged.
        ZAN_FUZZ_CHECK(decision.parameters == arguments.mid(1));
        bool serial = false;
        for (const QString &parameter : decision.parameters)
            serial = serial || parameter.startsWith(QLatin1String("-psn_"));
        ZAN_FUZZ_CHECK(serial == decision.processSerialNumber);
        break;
    }
    }
    // A log entry about the arguments stays one line, whatever they hold.
    const QString described = zan::describeList(arguments);
    ZAN_FUZZ_CHECK(!described.contains(QLatin1Char('\n')) &&
                   !described.contains(QLatin1Char('\r')));
    const QString summary = zan::argumentSummary(decision.parameters);
    ZAN_FUZZ_CHECK(summary.startsWith(QLatin1String("start console:\n")));
    for (const QString &parameter : decision.parameters) {
        const QString problem = zan::launchUrlProblem(parameter);
        // A taken URL holds no line break that could split a log entry or
        // the console launcher's command line.
        if (problem.isEmpty())
            ZAN_FUZZ_CHECK(!parameter.contains(QLatin1Char('\n')) &&
                           !parameter.contains(QLatin1Char('\r')));
        const QString quoted = zan::quoteForLog(parameter);
        ZAN_FUZZ_CHECK(!quoted.contains(QLatin1Char('\n')));
    }
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    zanfuzz::quietProcess();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 4096)
        return 0;
    const QByteArray input = zanfuzz::bytes(data, size);
    checkDialogProgram(input.split('\0'));
    checkLauncher(zanfuzz::argumentsFrom(input));
    return 0;
}
