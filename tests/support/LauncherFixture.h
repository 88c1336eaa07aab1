// SPDX-License-Identifier: MIT
// The launcher's delegate in a world of a test's own: a bundle in a temporary
// folder, a settings file beside it instead of the user's, no session bus,
// and a console launcher that only records how it was started.
#pragma once

#include "AppDelegate.h"
#include "ProcessArguments.h"
#include "TestSupport.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

namespace zantest {

// A bundle in a folder of its own whose path holds spaces, as an installation
// may: Contents/Applications and Contents/Resources, no Info.plist until one
// is written. Files beside the bundle (settings, what a helper records) go in
// the same folder and go with it.
class TestBundle {
public:
    TestBundle() : m_path(m_dir.filePath(QStringLiteral("Zan Client Launcher")))
    {
        QDir().mkpath(m_path + QStringLiteral("/Contents/Applications"));
        QDir().mkpath(m_path + QStringLiteral("/Contents/Resources"));
    }
    TestBundle(const TestBundle &) = delete;
    TestBundle &operator=(const TestBundle &) = delete;

    bool isValid() const
    {
        return m_dir.isValid() && QDir(m_path + QStringLiteral("/Contents/Resources")).exists();
    }
    QString path() const { return m_path; }
    QString applications() const { return m_path + QStringLiteral("/Contents/Applications"); }
    QString consoleLauncher() const { return applications() + QStringLiteral("/zanlauncher"); }
    QString infoPlistPath() const { return m_path + QStringLiteral("/Contents/Info.plist"); }
    QString resource(const QString &name) const
    {
        return m_path + QStringLiteral("/Contents/Resources/") + name;
    }
    // A path beside the bundle.
    QString beside(const QString &name) const { return m_dir.filePath(name); }
    // Where use() keeps the version trail unless told otherwise; its folder
    // is made when the trail is first written, as the user's would be.
    QString settingsPath() const
    {
        return beside(QStringLiteral("settings/com.zan.ClientLauncher.ini"));
    }

    bool writeInfoPlist(const QByteArray &entries) const
    {
        return writeBytes(infoPlistPath(), infoPlist(entries));
    }

    // Points the delegate at this bundle and at a settings file of the
    // test's (settingsPath() when none is named), off the session bus.
    void use(zan::AppDelegate &delegate, QString settings = QString()) const
    {
        if (settings.isNull())
            settings = settingsPath();
        delegate.setBundlePath(m_path);
        delegate.setUseSessionBus(false);
        delegate.setSettingsFactory(
            [settings] { return std::make_unique<QSettings>(settings, QSettings::IniFormat); });
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

// What the console launcher was started with.
struct RunCall {
    QString program;
    QStringList arguments;
    QString folder;
};

// Stands in for the console launcher: each start is recorded in runs and
// ends at once with the status given.
class FakeConsoleLauncher {
public:
    zan::AppDelegate::ProcessRunner runner(int status = 0)
    {
        return [this, status](const QString &program, const QByteArrayList &arguments,
                              const QString &folder) {
            runs.append({program, zan::argumentsAsText(arguments), folder});
            zan::RunOutcome outcome;
            outcome.status = status;
            return outcome;
        };
    }
    // The arguments of each start, in order.
    QList<QStringList> arguments() const
    {
        QList<QStringList> lists;
        for (const RunCall &run : runs)
            lists.append(run.arguments);
        return lists;
    }

    QList<RunCall> runs;
};

} // namespace zantest
