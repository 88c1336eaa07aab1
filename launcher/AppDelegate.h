// SPDX-License-Identifier: MIT
// The launcher application's delegate: how it was started, the launch URLs it
// receives, the licence agreement check and the run of the console launcher.
#pragma once

#include "ConsoleRunner.h"

#include <QByteArrayList>
#include <QObject>
#include <QPointer>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

namespace zan {

class UrlEventService;

class AppDelegate : public QObject {
    Q_OBJECT
public:
    explicit AppDelegate(QObject *parent = nullptr);
    ~AppDelegate() override;

    // Diagnostic log switch: while false, log() writes nothing. Set once at
    // start-up and never cleared.
    bool LogConsole = false;
    // Whether the running version's licence agreement is on record.
    bool EULAIsAcceptedForVersion = false;
    // The console launcher's termination status.
    qint32 RunCommandArrayStatus = 0;
    // Working copy of the version trail.
    QVariantMap versionTrail;
    // The main window, once shown.
    QPointer<QWidget> window;

    // Writes a diagnostic entry to the system log while LogConsole is on.
    void log(const QString &message) const;
    // Shows an informational alert with one OK button and returns when the
    // user has dismissed it.
    void alertMessage(const QString &message);

    // Chooses the start path from the process arguments; main calls it
    // before the event loop starts.
    void applicationWillFinishLaunching();
    void applicationDidFinishLaunching() {}
    void applicationWillTerminate() {}
    bool applicationSupportsSecureRestorableState() const { return true; }

    // A get-URL event; url is its direct-object string, unset when it carries
    // none. The desktop's launch token, if it sent one, goes to the first
    // window shown for the event, else to the console launcher started for
    // it; one that neither takes is given back when the event is done.
    void handleURLEvent(const std::optional<QString> &url, const QString &launchToken = QString());
    // Queues one get-URL event per URL, the launch token with the first.
    void postURLEvents(const QStringList &urls, QString launchToken);

    // Runs the console launcher with the launch parameters, byte for byte,
    // and ends the process with its status. The event loop keeps running
    // meanwhile.
    void launchConsoleLauncher(const QByteArrayList &parameters);
    // The same for parameters that are text (a URL): passed on as UTF-8.
    void launchConsoleLauncher(const QStringList &parameters);

    // Logs one line of console output in pieces of at most 787 UTF-16 units.
    static void NSLogMax(QStringView line);

    // The licence agreement check, made for every get-URL event. Returns
    // with EULAIsAcceptedForVersion true when the running version's agreement
    // is on record; otherwise ends the process with status 0.
    void trackEULA();
    // Shows the agreement; 1 when the user accepted it.
    qint64 showEULA();
    // "CFBundleShortVersionString" and "CFBundleVersion" of Info.plist.
    std::optional<QString> currentVersion() const;
    std::optional<QString> currentBuild() const;

    // The desktop asked for the application itself (no URL): show the main
    // window, or raise it when it is shown already, with the desktop's launch
    // token. Closing it ends the process with status 0 unless a console
    // launcher is running.
    void activate(const QString &launchToken = QString());

    // Whether a console launcher is running now.
    bool consoleLauncherRunning() const { return m_consoleRunning; }

    // Seams. The bundle folder (default: the running program's bundle).
    void setBundlePath(const QString &path) { m_bundlePath = path; }
    QString bundlePath() const;
    QString infoPlistPath() const;

    // The user defaults; a fresh QSettings for each read.
    using SettingsFactory = std::function<std::unique_ptr<QSettings>()>;
    void setSettingsFactory(SettingsFactory factory) { m_settingsFactory = std::move(factory); }
    std::unique_ptr<QSettings> settings() const { return m_settingsFactory(); }

    // What alertMessage() does (default: a modal message box).
    using AlertHandler = std::function<void(const QString &message)>;
    void setAlertHandler(AlertHandler handler) { m_alertHandler = std::move(handler); }

    // What showEULA() does (default: the modal agreement prompt); tests
    // answer it here. 1 means Accept.
    using EulaHandler = std::function<qint64()>;
    void setEulaHandler(EulaHandler handler) { m_eulaHandler = std::move(handler); }

    // Runs the console launcher to its end and returns the outcome (default:
    // ConsoleRunner inside a local event loop, so events go on being served).
    using ProcessRunner = std::function<RunOutcome(
        const QString &program, const QByteArrayList &arguments, const QString &workingDirectory)>;
    void setProcessRunner(ProcessRunner runner) { m_processRunner = std::move(runner); }

    // Whether start-up claims the application's name on the session bus
    // (default true); tests without a bus turn it off.
    void setUseSessionBus(bool use) { m_useSessionBus = use; }

    // Forgets that a get-URL event was taken; for tests only.
    static void resetOneEventForTests();

private:
    enum class Registration { Registered, NameTaken, NoBus };
    Registration registerURLHandler(QString *error);
    void readLogConsole(const QStringList &arguments);
    void browserLaunch(const QStringList &arguments);
    void desktopOpen(const QStringList &arguments, const QStringList &urls);
    void forwardToRunningInstance(const QStringList &urls, const QString &launchToken);
    // The launch token of the event being handled, for the first window shown
    // for it; empty once taken.
    QString takeLaunchToken();
    // Raises whichever launcher window is up, with the launch token.
    void bringForward(const QString &launchToken);
    // Ends the process before any console launcher ran, the event's token
    // and its bus call answered.
    void endBeforeAnyRun(int status);
    void mainWindowClosed();
    RunOutcome runConsoleLauncher(const QString &program, const QByteArrayList &arguments,
                                  const QString &workingDirectory);

    QString m_bundlePath;
    SettingsFactory m_settingsFactory;
    AlertHandler m_alertHandler;
    EulaHandler m_eulaHandler;
    ProcessRunner m_processRunner;
    bool m_useSessionBus = true;
    bool m_consoleRunning = false;
    bool m_agreementOpen = false;
    // An acceptance in this process, for the version then running: it holds
    // even when it could not be stored.
    bool m_acceptedInProcess = false;
    std::optional<QString> m_acceptedVersion;
    UrlEventService *m_service = nullptr;
    QString m_launchToken;
};

} // namespace zan
