// SPDX-License-Identifier: MIT
#include "GuiStartup.h"

#include "ProcessExit.h"
#include "SystemLog.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <csignal>
#include <signal.h>
#include <utility>

namespace zan {
namespace {

// A message as Qt wrote it, with copies of the texts its context points to.
struct HeldMessage {
    QtMsgType type;
    QByteArray file;
    int line;
    QByteArray function;
    QByteArray category;
    QString text;
};

// A message handler is a plain function, so what it needs is kept here.
struct StartupState {
    QtMessageHandler previous = nullptr;
    QList<HeldMessage> held;
    QString consequence;
    int failureStatus = 1;
    // The last message held is a warning or a critical one, which Qt turns
    // fatal under QT_FATAL_WARNINGS or QT_FATAL_CRITICALS: it calls the
    // handler first, then aborts.
    bool lastMayBeFatal = false;
    struct sigaction previousAbortAction = {};
};

StartupState &state()
{
    static StartupState startup;
    return startup;
}

char fallbackProgram[] = "zan";

QStringList heldTexts()
{
    QStringList texts;
    for (const HeldMessage &message : std::as_const(state().held))
        texts.append(message.text);
    return texts;
}

void holdStartupMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    StartupState &startup = state();
    if (type != QtFatalMsg) {
        startup.held.append({type, QByteArray(context.file), context.line,
                             QByteArray(context.function), QByteArray(context.category), text});
        startup.lastMayBeFatal = type == QtWarningMsg || type == QtCriticalMsg;
        return;
    }
    logEntry(startupFailureEntry(heldTexts(), text, startup.consequence));
    // Never returns in the programs: Qt would abort right after.
    exitProcess(startup.failureStatus);
}

// Qt aborts right after handing over a message that QT_FATAL_WARNINGS or
// QT_FATAL_CRITICALS make fatal, and it alone knows which one that is (the
// variables count messages, by rules that differ between Qt versions). The
// abort is raised on this thread, from inside Qt's logging, with no lock of
// the allocator or of standard I/O held, so the line is written as for
// Qt's own fatal message.
void startupAborted(int signalNumber)
{
    StartupState &startup = state();
    if (!startup.lastMayBeFatal) {
        // Not Qt's doing: whatever handled the signal before takes it.
        ::sigaction(SIGABRT, &startup.previousAbortAction, nullptr);
        std::raise(signalNumber);
        return;
    }
    const QStringList reasons = heldTexts();
    logEntry(startupFailureEntry(reasons, reasons.last(), startup.consequence));
    exitProcess(startup.failureStatus);
}

} // namespace

GuiStartup::GuiStartup(const char *programPath, const QString &consequence, int failureStatus)
    : m_argv{programPath ? const_cast<char *>(programPath) : fallbackProgram, nullptr}
{
    StartupState &startup = state();
    startup.held.clear();
    startup.lastMayBeFatal = false;
    startup.consequence = consequence;
    startup.failureStatus = failureStatus;
    struct sigaction onAbort = {};
    onAbort.sa_handler = startupAborted;
    sigemptyset(&onAbort.sa_mask);
    ::sigaction(SIGABRT, &onAbort, &startup.previousAbortAction);
    startup.previous = qInstallMessageHandler(holdStartupMessage);
}

void GuiStartup::started()
{
    if (!std::exchange(m_active, false))
        return;
    StartupState &startup = state();
    qInstallMessageHandler(startup.previous);
    ::sigaction(SIGABRT, &startup.previousAbortAction, nullptr);
    startup.lastMayBeFatal = false;
    const QList<HeldMessage> held = std::exchange(startup.held, {});
    for (const HeldMessage &message : held) {
        const QMessageLogContext context(message.file.constData(), message.line,
                                         message.function.constData(),
                                         message.category.constData());
        // Straight to the handler just restored (Qt 6 hands back its own
        // default one rather than none). Through qt_message_output Qt would
        // count each warning a second time against QT_FATAL_WARNINGS=N and
        // abort where it otherwise would not.
        if (startup.previous)
            startup.previous(message.type, context, message.text);
        else
            qt_message_output(message.type, context, message.text);
    }
}

QString startupFailureEntry(const QStringList &earlierMessages, const QString &fatalMessage,
                            const QString &consequence)
{
    // Qt's warnings say what failed; its fatal message only that nothing
    // could start (with advice to reinstall, which would not help).
    QStringList reasons;
    for (const QString &message : earlierMessages) {
        const QString simplified = message.simplified();
        if (!simplified.isEmpty())
            reasons.append(simplified);
    }
    if (reasons.isEmpty())
        reasons.append(fatalMessage.section(QLatin1Char('\n'), 0, 0).simplified());
    return QStringLiteral("No display could be opened (%1); %2")
        .arg(reasons.join(QLatin1String("; ")), consequence);
}

} // namespace zan
