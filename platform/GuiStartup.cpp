// SPDX-License-Identifier: MIT
#include "GuiStartup.h"

#include "ProcessExit.h"
#include "SystemLog.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

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
};

StartupState &state()
{
    static StartupState startup;
    return startup;
}

char fallbackProgram[] = "zan";

void holdStartupMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    StartupState &startup = state();
    if (type != QtFatalMsg) {
        startup.held.append({type, QByteArray(context.file), context.line,
                             QByteArray(context.function), QByteArray(context.category), text});
        return;
    }
    QStringList earlier;
    for (const HeldMessage &message : std::as_const(startup.held))
        earlier.append(message.text);
    logEntry(startupFailureEntry(earlier, text, startup.consequence));
    // Never returns in the programs: Qt would abort right after.
    exitProcess(startup.failureStatus);
}

} // namespace

GuiStartup::GuiStartup(const char *programPath, const QString &consequence, int failureStatus)
    : m_argv{programPath ? const_cast<char *>(programPath) : fallbackProgram, nullptr}
{
    StartupState &startup = state();
    startup.held.clear();
    startup.consequence = consequence;
    startup.failureStatus = failureStatus;
    startup.previous = qInstallMessageHandler(holdStartupMessage);
}

void GuiStartup::started()
{
    if (!std::exchange(m_active, false))
        return;
    StartupState &startup = state();
    qInstallMessageHandler(startup.previous);
    const QList<HeldMessage> held = std::exchange(startup.held, {});
    for (const HeldMessage &message : held) {
        const QMessageLogContext context(message.file.constData(), message.line,
                                         message.function.constData(),
                                         message.category.constData());
        // To the handler just restored.
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
