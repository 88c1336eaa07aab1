// SPDX-License-Identifier: MIT
#include "AppDelegate.h"

#include "EulaPrompt.h"
#include "InfoPlist.h"
#include "LaunchRules.h"
#include "LaunchToken.h"
#include "MainWindow.h"
#include "ProcessArguments.h"
#include "ProcessExit.h"
#include "SystemLog.h"
#include "UrlEventService.h"
#include "VersionTrail.h"
#include "WindowActivation.h"

#include "Bundle.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScopeGuard>
#include <QThread>

#include <utility>

#ifndef ZAN_APP_ID
#define ZAN_APP_ID "com.zan.ClientLauncher"
#endif

namespace zan {
namespace {
// Set when the first get-URL event is taken; only that event starts the
// console launcher. Touched on the main thread only.
bool oneEvent = false;

const QString appId = QStringLiteral(ZAN_APP_ID);

// Holds an event's launch token while the event is handled. Events may nest
// (one arrives while the agreement or the console launcher waits in an event
// loop), so the outer event's token comes back afterwards; a token that no
// window and no console launcher took is given back to the desktop.
class LaunchTokenScope {
public:
    LaunchTokenScope(AppDelegate &delegate, QString &slot, const QString &token)
        : m_slot(slot), m_outer(std::exchange(slot, token))
    {
        if (!token.isEmpty())
            delegate.log(QStringLiteral("Launch token =  %1").arg(quoteForLog(token)));
    }
    ~LaunchTokenScope() { releaseLaunchToken(std::exchange(m_slot, m_outer)); }
    LaunchTokenScope(const LaunchTokenScope &) = delete;
    LaunchTokenScope &operator=(const LaunchTokenScope &) = delete;

private:
    QString &m_slot;
    QString m_outer;
};
} // namespace

AppDelegate::AppDelegate(QObject *parent) : QObject(parent)
{
    m_settingsFactory = [] {
        return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                           QStringLiteral("zan"), appId);
    };
    m_alertHandler = [this](const QString &message) {
        QMessageBox box(QMessageBox::Information, QString(), message, QMessageBox::Ok);
        box.winId();
        activateWhenExposed(box.windowHandle(), takeLaunchToken());
        box.exec();
    };
    m_processRunner = [this](const QString &program, const QByteArrayList &arguments,
                             const QString &workingDirectory) {
        return runConsoleLauncher(program, arguments, workingDirectory);
    };
}

AppDelegate::~AppDelegate()
{
    delete window.data();
}

void AppDelegate::resetOneEventForTests()
{
    oneEvent = false;
}

QString AppDelegate::bundlePath() const
{
    return m_bundlePath.isEmpty() ? zan::bundlePath() : m_bundlePath;
}

QString AppDelegate::infoPlistPath() const
{
    return bundlePath() + QStringLiteral("/Contents/Info.plist");
}

void AppDelegate::log(const QString &message) const
{
    if (LogConsole)
        logEntry(message);
}

void AppDelegate::alertMessage(const QString &message)
{
    m_alertHandler(message);
}

void AppDelegate::applicationWillFinishLaunching()
{
    const QStringList arguments = processArguments();
    const StartDecision decision = decideStart(arguments);
    switch (decision.path) {
    case StartPath::Browser:
        browserLaunch(arguments);
        return;
    case StartPath::DesktopOpen:
        desktopOpen(arguments, decision.parameters);
        return;
    case StartPath::CommandLine:
        break;
    }

    // A command-line launch always logs. A launch token it was started with
    // goes to its alert or its console launcher.
    LogConsole = true;
    m_launchToken = savedLaunchToken();
    if (decision.processSerialNumber) {
        const QString warning = processSerialNumberWarning();
        log(warning);
        alertMessage(warning);
        exitProcess(1);
        return;
    }
    log(QStringLiteral("CMD launch, params =  %1").arg(decision.parameters.first()));
    // The decoded list serves the decisions and the log; the console launcher
    // gets the bytes the kernel handed over, which need not be UTF-8.
    launchConsoleLauncher(rawProcessArguments().mid(1));
}

void AppDelegate::readLogConsole(const QStringList &arguments)
{
    const PlistResult plist = readPropertyList(infoPlistPath());
    if (!plist.dict)
        return;
    for (auto it = plist.dict->constBegin(); it != plist.dict->constEnd(); ++it) {
        if (it.key() == QLatin1String("LogConsole") && isBooleanTrue(it.value())) {
            LogConsole = true;
            // One arg() call: a chained one would read a "%1" inside the
            // program path as its own place marker.
            log(QStringLiteral("Launch args =  %1,  args count = %2")
                    .arg(describeList(arguments), QString::number(arguments.size())));
            log(QStringLiteral("Logging Enabled."));
        }
    }
}

void AppDelegate::browserLaunch(const QStringList &arguments)
{
    // Started with the program path alone, it shows nothing until an event
    // comes with a token of its own.
    releaseLaunchToken(savedLaunchToken());
    readLogConsole(arguments);
    log(QStringLiteral("Browser launch, params =  %1").arg(describeList(arguments)));
    QString error;
    switch (registerURLHandler(&error)) {
    case Registration::Registered:
        // Nothing else happens until an event arrives.
        return;
    case Registration::NameTaken:
        // The running launcher receives the events; this one would never
        // get any.
        logEntry(QStringLiteral("Another launcher already serves %1; this one ends.").arg(appId));
        exitProcess(0);
        return;
    case Registration::NoBus:
        logEntry(QStringLiteral("Cannot receive launch URLs: %1").arg(error));
        exitProcess(1);
        return;
    }
}

void AppDelegate::desktopOpen(const QStringList &arguments, const QStringList &urls)
{
    // The desktop that ran the Exec line put its token in the environment.
    const QString token = savedLaunchToken();
    QString error;
    switch (registerURLHandler(&error)) {
    case Registration::Registered:
        break;
    case Registration::NameTaken:
        forwardToRunningInstance(urls, token);
        return;
    case Registration::NoBus:
        // The URLs are at hand: this process handles them itself. Only the
        // single instance is lost.
        logEntry(QStringLiteral("No session bus (%1): this launcher can neither hand its URLs "
                                "to a running one nor receive later ones; it handles its own.")
                     .arg(error));
        break;
    }
    // This process is the one instance: it goes on as a browser launch that
    // receives the URLs as get-URL events once the event loop runs.
    readLogConsole(arguments);
    log(QStringLiteral("Browser launch, params =  %1").arg(describeList(arguments)));
    if (urls.isEmpty()) {
        QMetaObject::invokeMethod(
            this, [this, token] { activate(token); }, Qt::QueuedConnection);
        return;
    }
    postURLEvents(urls, token);
}

void AppDelegate::postURLEvents(const QStringList &urls, QString launchToken)
{
    for (const QString &url : urls) {
        QMetaObject::invokeMethod(
            this, [this, url, launchToken] { handleURLEvent(url, launchToken); },
            Qt::QueuedConnection);
        // A token is used once.
        launchToken.clear();
    }
}

void AppDelegate::forwardToRunningInstance(const QStringList &urls, const QString &launchToken)
{
    // The running launcher shows the window, so the token goes with the URL.
    const QDBusMessage reply =
        QDBusConnection::sessionBus().call(applicationCall(appId, urls, launchToken));
    if (reply.type() == QDBusMessage::ErrorMessage) {
        logEntry(QStringLiteral("Cannot hand the URL to the running launcher: %1")
                     .arg(reply.errorMessage()));
        exitProcess(1);
        return;
    }
    exitProcess(0);
}

AppDelegate::Registration AppDelegate::registerURLHandler(QString *error)
{
    if (!m_useSessionBus)
        return Registration::Registered;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        *error = bus.lastError().message();
        return Registration::NoBus;
    }
    if (!m_service)
        m_service = new UrlEventService(this);
    // The object first, so that a call arriving as soon as the name is owned
    // finds it.
    if (!bus.registerObject(objectPathForAppId(appId), m_service,
                            QDBusConnection::ExportAllSlots)) {
        *error = bus.lastError().message();
        return Registration::NoBus;
    }
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        bus.interface()->registerService(appId, QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid()) {
        *error = reply.error().message();
        return Registration::NoBus;
    }
    if (reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        bus.unregisterObject(objectPathForAppId(appId));
        return Registration::NameTaken;
    }
    return Registration::Registered;
}

void AppDelegate::handleURLEvent(const std::optional<QString> &url, const QString &launchToken)
{
    // The event's token is there for its first window; one that nothing
    // took (a refused or ignored event) ends its startup sequence here.
    const LaunchTokenScope tokenScope(*this, m_launchToken, launchToken);
    // The URL is checked before anything is shown: a refused one never
    // brings up the agreement. Any local program can send an event, so what
    // is not ours is refused before it reaches the console launcher's
    // command line.
    if (url) {
        const QString problem = launchUrlProblem(*url);
        if (!problem.isEmpty()) {
            logEntry(QStringLiteral("Refused launch URL %1: %2").arg(quoteForLog(*url), problem));
            // Ends the process unless something still needs it: the agreement
            // or the console launcher of an earlier event, or the main window
            // the user is looking at.
            if (!oneEvent && !(window && window->isVisible()))
                endBeforeAnyRun(1);
            return;
        }
    }
    // Only the first event runs. Later ones arrive inside the agreement's or
    // the run's event loop (a link clicked twice, a second link): starting
    // anything for them would stack a second agreement or a second console
    // launcher on the first.
    if (oneEvent) {
        const QString why = m_agreementOpen    ? QStringLiteral("the license agreement is open")
                            : m_consoleRunning ? QStringLiteral("the console launcher runs")
                                               : QStringLiteral("an earlier one was taken");
        logEntry(QStringLiteral("Ignored launch URL %1: %2.")
                     .arg(url ? quoteForLog(*url) : QStringLiteral("(null)"), why));
        // The user clicked again because nothing seemed to happen (the
        // agreement opened behind the browser, say): what is up comes to
        // the front with this click's token.
        bringForward(takeLaunchToken());
        return;
    }
    oneEvent = true;
    trackEULA();
    if (!EULAIsAcceptedForVersion)
        return; // declined: the process has ended
    log(QStringLiteral("Handle URLEvent,  params =  %1")
            .arg(url ? *url : QStringLiteral("(null)")));
    launchConsoleLauncher(url ? QStringList{*url} : QStringList{});
}

void AppDelegate::launchConsoleLauncher(const QStringList &parameters)
{
    launchConsoleLauncher(argumentsAsBytes(parameters));
}

void AppDelegate::launchConsoleLauncher(const QByteArrayList &parameters)
{
    const QString directory = bundlePath() + QStringLiteral("/Contents/Applications");
    const QString program = directory + QStringLiteral("/zanlauncher");
    log(QStringLiteral("Launcher console: %1\n").arg(program));
    log(QStringLiteral("path params: %1\n").arg(argumentSummary(argumentsAsText(parameters))));

    m_consoleRunning = true;
    const RunOutcome outcome = m_processRunner(program, parameters, directory);
    m_consoleRunning = false;

    RunCommandArrayStatus = outcome.status;
    if (outcome.kind == RunOutcome::Kind::NotStarted) {
        // Logged whatever LogConsole says: otherwise the run would end
        // without a trace of why.
        logEntry(QStringLiteral("Cannot start the console launcher %1: %2")
                     .arg(quoteForLog(program), outcome.error));
        //% "The console launcher %1 cannot be started: %2"
        alertMessage(qtTrId("launcher-console-not-started").arg(program, outcome.error));
    } else if (outcome.kind == RunOutcome::Kind::Signalled) {
        logEntry(
            QStringLiteral("The console launcher was killed by signal %1.").arg(outcome.signal));
    } else if (outcome.kind == RunOutcome::Kind::WaitFailed) {
        logEntry(
            QStringLiteral("Cannot learn how the console launcher ended: %1").arg(outcome.error));
    }
    if (!outcome.outputComplete)
        logEntry(QStringLiteral("The console launcher's output did not end within 2 s of its "
                                "exit; a process it started may still hold it."));
    log(RunCommandArrayStatus == 0 ? QStringLiteral("Task succeeded.")
                                   : QStringLiteral("Task failed."));
    exitProcess(RunCommandArrayStatus);
}

RunOutcome AppDelegate::runConsoleLauncher(const QString &program, const QByteArrayList &arguments,
                                           const QString &workingDirectory)
{
    ConsoleRunner runner;
    // A launch token that no window of ours used goes to the console
    // launcher, whose first dialog then comes to the front with it.
    if (!m_launchToken.isEmpty())
        runner.addEnvironment(launchTokenVariable(QGuiApplication::platformName()),
                              m_launchToken.toUtf8());
    if (std::optional<RunOutcome> failure = runner.start(program, arguments, workingDirectory))
        return *failure; // the token stays for the alert that says so
    m_launchToken.clear();
    // Wait with the event loop turning, so D-Bus calls and the user
    // interface are served for the whole run.
    RunOutcome outcome;
    QEventLoop loop;
    connect(&runner, &ConsoleRunner::finished, &loop, [&](const RunOutcome &result) {
        outcome = result;
        loop.quit();
    });
    loop.exec();
    return outcome;
}

void AppDelegate::NSLogMax(QStringView line)
{
    logConsoleLine(line);
}

void AppDelegate::trackEULA()
{
    // Events reach the delegate on the main thread only, and the prompt
    // needs it.
    Q_ASSERT(QThread::currentThread() == QCoreApplication::instance()->thread());
    EULAIsAcceptedForVersion = false;
    // A fresh settings object, so the trail is read anew from storage.
    const std::unique_ptr<QSettings> defaults = settings();
    const std::optional<QString> version = currentVersion();
    const EulaCheck check = checkEula(*defaults, version, currentBuild(), [&] {
        // Accepted earlier in this process but not on record (the settings
        // could not be written, or the bundle names no version): not asked
        // again, and the check tries once more to record it.
        if (m_acceptedInProcess && m_acceptedVersion == version)
            return kEulaAccept;
        return showEULA();
    });
    for (const QString &problem : check.problems)
        logEntry(problem);
    versionTrail = check.workingCopy.toVariantMap();
    if (check.outcome == EulaOutcome::Declined) {
        log(QStringLiteral("User cancel EULA."));
        exitProcess(0);
        return;
    }
    if (check.outcome == EulaOutcome::Accepted) {
        m_acceptedInProcess = true;
        m_acceptedVersion = version;
    }
    EULAIsAcceptedForVersion = true;
}

qint64 AppDelegate::showEULA()
{
    // Events that arrive while the prompt's modal loop runs are dropped by
    // handleURLEvent, which names this as the reason.
    m_agreementOpen = true;
    const auto closed = qScopeGuard([this] { m_agreementOpen = false; });
    // The agreement is the first window shown for the event.
    const QString token = takeLaunchToken();
    if (m_eulaHandler)
        return m_eulaHandler();
    EulaPrompt prompt;
    // A missing or unreadable agreement is logged by the prompt, which then
    // leaves only Cancel.
    prompt.loadAgreement(bundlePath() +
                         QStringLiteral("/Contents/Resources/License Agreement.rtf"));
    return prompt.run(token);
}

std::optional<QString> AppDelegate::currentVersion() const
{
    const PlistResult plist = readPropertyList(infoPlistPath());
    return plist.dict ? stringValue(*plist.dict, QStringLiteral("CFBundleShortVersionString"))
                      : std::nullopt;
}

std::optional<QString> AppDelegate::currentBuild() const
{
    const PlistResult plist = readPropertyList(infoPlistPath());
    return plist.dict ? stringValue(*plist.dict, QStringLiteral("CFBundleVersion")) : std::nullopt;
}

void AppDelegate::activate(const QString &launchToken)
{
    if (!window) {
        auto *mainWindow = new MainWindow(currentVersion(), currentBuild());
        connect(mainWindow, &MainWindow::closed, this, &AppDelegate::mainWindowClosed);
        window = mainWindow;
    }
    window->winId();
    activateWhenExposed(window->windowHandle(), launchToken);
    window->show();
}

void AppDelegate::bringForward(const QString &launchToken)
{
    // A modal window (the agreement, an alert) stands above the main window.
    QWidget *shown = QApplication::activeModalWidget();
    if (!shown && window && window->isVisible())
        shown = window;
    if (!shown) {
        // Only the console launcher's dialogs are up, in their own process.
        releaseLaunchToken(launchToken);
        return;
    }
    shown->winId();
    activateWhenExposed(shown->windowHandle(), launchToken);
    // A minimized window shows nothing, so it would never be exposed and
    // never come to the front: it is restored as it was before (a maximized
    // one stays maximized), and comes to the front once it shows again.
    if (shown->isMinimized())
        shown->setWindowState(shown->windowState() & ~Qt::WindowMinimized);
}

void AppDelegate::endBeforeAnyRun(int status)
{
    // The process ends inside the event's handling: the desktop's launch
    // feedback for its token ends now, not at the desktop's time-out, and
    // the bus call that brought the event is answered first. That answer is
    // queued already; a call to the bus itself returns only after the bus
    // has taken everything this connection sent before it.
    releaseLaunchToken(takeLaunchToken());
    if (m_service) {
        QDBusConnection::sessionBus().call(
            QDBusMessage::createMethodCall(
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId")),
            QDBus::Block, 2000);
    }
    exitProcess(status);
}

QString AppDelegate::takeLaunchToken()
{
    return std::exchange(m_launchToken, QString());
}

void AppDelegate::mainWindowClosed()
{
    if (!m_consoleRunning)
        exitProcess(0);
}

} // namespace zan
