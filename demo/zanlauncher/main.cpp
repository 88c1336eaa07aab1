// SPDX-License-Identifier: MIT
// Demo console launcher: takes one launch URL zan://HOST[:PORT]/..., then asks
// the dialog program beside it for a sign-in, a node group, a node and a
// session, and shows which session it would open. Prints what it does on
// standard output; exits 0 when the road is walked, 1 when the user cancels
// or a step fails, 2 for a bad command line.
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include <cstdio>
#include <optional>

namespace {

const QString newSessionId = QStringLiteral("1e8dc82a-596f-623c-8bc5-a10000000002");

void say(const QString &line)
{
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fputc('\n', stdout);
    // The launcher logs each line as it arrives; a pipe would otherwise hold
    // it back until the buffer fills.
    std::fflush(stdout);
}

void complain(const QString &line)
{
    const QByteArray bytes = line.toUtf8();
    std::fprintf(stderr, "zanlauncher: %s\n", bytes.constData());
}

struct Demo {
    QString dialogProgram;
    QString helpBase;
    QDir work;

    // Runs the dialog program; returns its exit status, or -1 when it could
    // not run or did not end normally.
    int runDialog(const QStringList &arguments) const
    {
        QProcess dialog;
        dialog.setProgram(dialogProgram);
        dialog.setArguments(arguments);
        dialog.setProcessChannelMode(QProcess::ForwardedChannels);
        dialog.start();
        if (!dialog.waitForStarted(-1)) {
            complain(
                QStringLiteral("cannot start %1: %2").arg(dialogProgram, dialog.errorString()));
            return -1;
        }
        dialog.waitForFinished(-1);
        if (dialog.exitStatus() != QProcess::NormalExit)
            return -1;
        return dialog.exitCode();
    }

    bool writeFile(const QString &path, const QByteArray &bytes) const
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(bytes) != bytes.size()) {
            complain(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
            return false;
        }
        return true;
    }

    // A selection step: writes the list, runs the dialog, reads the choice.
    // Returns the chosen record, or nothing after a cancel or a failure
    // (already reported).
    std::optional<QJsonObject> select(const QString &step, const QString &option,
                                      const QString &fileName, const QJsonArray &list) const
    {
        const QString path = work.filePath(fileName);
        if (!writeFile(path, QJsonDocument(list).toJson()))
            return std::nullopt;
        say(QStringLiteral("Asking for the %1 (%2 offered)").arg(step).arg(list.size()));
        const int status = runDialog({option, path, QStringLiteral("-url"), helpBase});
        if (status == 255) {
            say(QStringLiteral("Cancelled at the %1 selection").arg(step));
            return std::nullopt;
        }
        if (status != 0) {
            say(QStringLiteral("The %1 selection failed (status %2)").arg(step).arg(status));
            return std::nullopt;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            say(QStringLiteral("The %1 selection left no answer").arg(step));
            return std::nullopt;
        }
        const QJsonDocument answer = QJsonDocument::fromJson(file.readAll());
        if (!answer.isObject()) {
            say(QStringLiteral("The %1 selection answered something unreadable").arg(step));
            return std::nullopt;
        }
        return answer.object();
    }
};

QJsonArray nodeGroups(const QString &host)
{
    return QJsonArray{
        QJsonObject{{QStringLiteral("id"), QStringLiteral("group-1")},
                    {QStringLiteral("name"), QString(host + QStringLiteral(" desktops"))},
                    {QStringLiteral("membersCount"), 2}},
        QJsonObject{{QStringLiteral("id"), QStringLiteral("group-2")},
                    {QStringLiteral("name"), QString(host + QStringLiteral(" workstations"))},
                    {QStringLiteral("membersCount"), 1}},
    };
}

QJsonArray nodes(const QString &host)
{
    QJsonArray list;
    for (int i = 1; i <= 2; ++i) {
        list.append(QJsonObject{
            {QStringLiteral("id"), QStringLiteral("node-%1").arg(i)},
            {QStringLiteral("hostname"), QStringLiteral("node%1.%2").arg(i).arg(host)},
            {QStringLiteral("port"), 5900 + i},
            {QStringLiteral("platform"), QStringLiteral("Linux")},
            {QStringLiteral("total"), i},
            {QStringLiteral("mem"), 20 * i},
            {QStringLiteral("cpu"), 10 * i},
            {QStringLiteral("friendlyName"), QStringLiteral("Node %1").arg(i)},
        });
    }
    return list;
}

QJsonArray sessions(const QString &node)
{
    QJsonArray list;
    for (int display = 1; display <= 2; ++display) {
        list.append(QJsonObject{
            {QStringLiteral("id"), QStringLiteral("session-%1").arg(display)},
            {QStringLiteral("node"), node},
            {QStringLiteral("display"), display},
            {QStringLiteral("sharingState"), 0},
            {QStringLiteral("status"), display == 1 ? 2 : 3},
        });
    }
    return list;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The one argument is a URL, never an option, whatever it looks like.
    if (argc != 2) {
        complain(QStringLiteral("usage: zanlauncher zan://HOST[:PORT]/..."));
        return 2;
    }
    const QString text = QString::fromUtf8(argv[1]);
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().compare(QLatin1String("zan"), Qt::CaseInsensitive) != 0 ||
        url.host().isEmpty()) {
        complain(QStringLiteral("not a launch URL zan://HOST[:PORT]/...: %1").arg(text));
        return 2;
    }
    const QString host = url.host();
    const int port = url.port(443);

    QTemporaryDir work;
    if (!work.isValid()) {
        complain(QStringLiteral("cannot make a working folder: %1").arg(work.errorString()));
        return 1;
    }
    Demo demo;
    demo.dialogProgram = QFileInfo(QCoreApplication::applicationFilePath())
                             .absoluteDir()
                             .filePath(QStringLiteral("ZANSelectNode"));
    demo.helpBase = QStringLiteral("http://") + host;
    demo.work = QDir(work.path());

    say(QStringLiteral("Connecting to %1 port %2").arg(host).arg(port));

    // Sign-in: the credential file offers a user name.
    const QString credentialPath = demo.work.filePath(QStringLiteral("credential"));
    const QByteArray offered = QByteArrayLiteral("demo-user");
    if (!demo.writeFile(credentialPath, offered))
        return 1;
    say(QStringLiteral("Asking for the sign-in to %1").arg(host));
    const int signIn = demo.runDialog({QStringLiteral("-Auth"), credentialPath});
    if (signIn == 1) {
        say(QStringLiteral("Cancelled at the sign-in"));
        return 1;
    }
    if (signIn != 0) {
        say(QStringLiteral("The sign-in failed (status %1)").arg(signIn));
        return 1;
    }
    QFile credential(credentialPath);
    const QByteArray answer =
        credential.open(QIODevice::ReadOnly) ? credential.readAll() : QByteArray();
    // The credential itself is a secret: only its kind is told.
    if (answer == offered)
        say(QStringLiteral("Signed in without a credential"));
    else if (answer.startsWith("-k"))
        say(QStringLiteral("Signed in with single sign-on or an API key"));
    else
        say(QStringLiteral("Signed in with a user name and password"));

    const std::optional<QJsonObject> group =
        demo.select(QStringLiteral("node group"), QStringLiteral("-SelectNodeGroup"),
                    QStringLiteral("nodegroups.json"), nodeGroups(host));
    if (!group)
        return 1;
    say(QStringLiteral("Node group: %1").arg(group->value(QStringLiteral("name")).toString()));

    const std::optional<QJsonObject> node =
        demo.select(QStringLiteral("node"), QStringLiteral("-SelectNodeFile"),
                    QStringLiteral("nodes.json"), nodes(host));
    if (!node)
        return 1;
    const QString nodeName = node->value(QStringLiteral("hostname")).toString();
    say(QStringLiteral("Node: %1").arg(nodeName));

    const std::optional<QJsonObject> session =
        demo.select(QStringLiteral("session"), QStringLiteral("-SelectSession"),
                    QStringLiteral("sessions.json"), sessions(nodeName));
    if (!session)
        return 1;
    const QString sessionId = session->value(QStringLiteral("id")).toString();
    const QString choice =
        sessionId == newSessionId
            ? QStringLiteral("a new session on %1").arg(nodeName)
            : QStringLiteral("session %1 on %2 (display %3)")
                  .arg(sessionId, session->value(QStringLiteral("node")).toString(),
                       QString::number(session->value(QStringLiteral("display")).toInteger()));
    say(QStringLiteral("Session: %1").arg(choice));

    const QString messagePath = demo.work.filePath(QStringLiteral("message"));
    if (!demo.writeFile(messagePath,
                        QStringLiteral("This demo would now open %1.").arg(choice).toUtf8()))
        return 1;
    const int shown = demo.runDialog({QStringLiteral("-Message"), messagePath});
    if (shown != 0) {
        say(QStringLiteral("The message box failed (status %1)").arg(shown));
        return 1;
    }
    say(QStringLiteral("Done: %1").arg(choice));
    return 0;
}
