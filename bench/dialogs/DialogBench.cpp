// SPDX-License-Identifier: MIT
// Measures the dialog program from process start to its dialog on screen, and
// its peak memory, against an empty Qt dialog built the same way (the floor).
// Prints one table; ratios to the floor make runs on a busy machine comparable.
#include "ProcessFigures.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {
struct Sample {
    double seconds = 0;
    long peakKiB = 0;
};

using zantest::monotonicNs;

bool writeWhole(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size())
        return true;
    std::fprintf(stderr, "Cannot write %s\n", qPrintable(path));
    return false;
}

// Runs the probe once; unset when it did not report a shown dialog.
std::optional<Sample> runOnce(const QString &probe, const QStringList &arguments)
{
    std::vector<QByteArray> storage{probe.toLocal8Bit()};
    for (const QString &argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &bytes : storage)
        argv.push_back(bytes.data());
    argv.push_back(nullptr);

    int out[2];
    if (pipe(out) != 0)
        return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    // Qt's warnings about the offscreen platform would drown the table.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const long long started = monotonicNs();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return std::nullopt;
    }
    QByteArray output;
    char buffer[256];
    ssize_t got;
    while ((got = read(out[0], buffer, sizeof buffer)) > 0)
        output.append(buffer, got);
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!output.startsWith("shown "))
        return std::nullopt;
    const QList<QByteArray> fields = output.trimmed().split(' ');
    if (fields.size() < 3)
        return std::nullopt;
    return Sample{double(fields.at(1).toLongLong() - started) / 1e9, fields.at(2).toLong()};
}

std::optional<Sample> median(const QString &probe, const QStringList &arguments, int runs,
                             const std::function<void()> &prepare = {})
{
    std::vector<double> times;
    std::vector<long> peaks;
    for (int i = 0; i < runs; ++i) {
        if (prepare)
            prepare();
        const std::optional<Sample> sample = runOnce(probe, arguments);
        if (!sample)
            return std::nullopt;
        times.push_back(sample->seconds);
        peaks.push_back(sample->peakKiB);
    }
    std::sort(times.begin(), times.end());
    std::sort(peaks.begin(), peaks.end());
    return Sample{times[times.size() / 2], peaks[peaks.size() / 2]};
}

// A node list of n records, eight members each, about 150 bytes a record.
QByteArray nodeList(int n)
{
    QByteArray text;
    text.reserve(qsizetype(n) * 160 + 2);
    text.append('[');
    for (int i = 0; i < n; ++i) {
        if (i)
            text.append(",\n");
        text.append(QStringLiteral(R"({"id":"node-%1","hostname":"host-%1.example.net","port":%2,)"
                                   R"("platform":"linux","total":%3,"mem":%4,"cpu":%5,)"
                                   R"("friendlyName":"Render node %1"})")
                        .arg(i, 7, 10, QLatin1Char('0'))
                        .arg(20000 + i % 1000)
                        .arg(i % 17)
                        .arg(i % 100)
                        .arg((i * 7) % 100)
                        .toUtf8());
    }
    text.append(']');
    return text;
}

void printRow(const char *what, const Sample &sample, const Sample &floor)
{
    std::printf("%-34s %10.3f %8.2fx %10.1f %8.2fx\n", what, sample.seconds,
                sample.seconds / floor.seconds, sample.peakKiB / 1024.0,
                double(sample.peakKiB) / double(floor.peakKiB));
}
} // namespace

int main(int argc, char **argv)
{
    // The probe is built beside this program.
    const QString probe = QFileInfo(QFile::decodeName(argv[0])).absolutePath() +
                          QStringLiteral("/zan_bench_shown_probe");
    const bool quick = argc > 1 && QByteArray(argv[argc - 1]) == "--quick";
    // Without a display the probes draw offscreen, which measures the same work.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && !qEnvironmentVariableIsSet("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    const QString list = dir.filePath(QStringLiteral("nodes.json"));
    const QString master = dir.filePath(QStringLiteral("master.json"));

    const std::optional<Sample> floor = median(probe, {QStringLiteral("--floor")}, quick ? 3 : 9);
    if (!floor) {
        std::fprintf(stderr,
                     "the floor dialog did not show; is a display or QT_QPA_PLATFORM set?\n");
        return 1;
    }
    std::printf("%-34s %10s %9s %10s %9s\n", "dialog", "seconds", "x floor", "peak MiB", "x floor");
    printRow("empty Qt dialog (floor)", *floor, *floor);

    const std::vector<std::pair<int, int>> sizes =
        quick ? std::vector<std::pair<int, int>>{{10, 3}, {10000, 3}}
              : std::vector<std::pair<int, int>>{{10, 9}, {10000, 5}, {100000, 5}, {1000000, 3}};
    for (const auto &[records, runs] : sizes) {
        if (!writeWhole(master, nodeList(records)))
            return 1;
        // Select would consume the list; the probe ends before any choice,
        // but copy it afresh anyway so every run reads the same bytes.
        const auto prepare = [&] {
            QFile::remove(list);
            QFile::copy(master, list);
        };
        const std::optional<Sample> sample =
            median(probe, {QStringLiteral("-SelectNodeFile"), list}, runs, prepare);
        const QByteArray label = QStringLiteral("node dialog, %1 records").arg(records).toUtf8();
        if (sample)
            printRow(label.constData(), *sample, *floor);
        else
            std::printf("%-34s did not show\n", label.constData());
    }

    // The sign-in dialogs and the message box.
    const QString credential = dir.filePath(QStringLiteral("credential"));
    const QString message = dir.filePath(QStringLiteral("message"));
    if (!writeWhole(credential, "alice:") || !writeWhole(message, "The session is ready."))
        return 1;
    const std::vector<std::pair<const char *, QStringList>> others = {
        {"server sign-in", {QStringLiteral("-Auth"), credential}},
        {"proxy sign-in", {QStringLiteral("-ProxyAuth"), credential}},
        {"message box", {QStringLiteral("-Message"), message}},
    };
    for (const auto &[label, arguments] : others) {
        const std::optional<Sample> sample = median(probe, arguments, quick ? 3 : 9);
        if (sample)
            printRow(label, *sample, *floor);
        else
            std::printf("%-34s did not show\n", label);
    }
    return 0;
}
