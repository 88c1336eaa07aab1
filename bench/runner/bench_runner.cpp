// SPDX-License-Identifier: MIT
// Benchmark of the console launcher runner: the real launcher, started from a
// temporary bundle whose console launcher writes a lot, with the log's copy on
// standard error going to a file. Reports time, lines per second and peak
// memory per run, the delay from a line written to its entry logged, and two
// references run alongside: cat copying the same output into a file, and
// logger sending it to a syslog socket opened here.
// Set ZAN_BENCH_MAX_LINES to leave out the larger runs.
#include "ProcessFigures.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
std::string temp;

double now()
{
    return double(zantest::monotonicNs()) / 1e9;
}

bool copyFile(const std::string &from, const std::string &to)
{
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0755);
    if (in < 0 || out < 0)
        return false;
    std::vector<char> buffer(1 << 20);
    ssize_t n;
    while ((n = ::read(in, buffer.data(), buffer.size())) > 0) {
        if (::write(out, buffer.data(), size_t(n)) != n)
            return false;
    }
    ::close(in);
    ::close(out);
    return n == 0;
}

struct Run {
    double seconds = 0;
    double cpuSeconds = 0; // user and system time of the launcher and its children
    long maxRssKiB = 0;
    int status = -1;
};

// Runs argv with standard output to /dev/null and standard error to errFd.
Run runProgram(const std::vector<std::string> &args, int errFd)
{
    std::vector<char *> argv;
    for (const std::string &arg : args)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    const double start = now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(errFd, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    Run run;
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.seconds = now() - start;
    run.maxRssKiB = usage.ru_maxrss;
    run.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

const std::string entryPrefix = "zanlauncherConsole>>>> ";

// Counts the console output entries in a log copy: lines that begin with the
// entry prefix.
long long countEntries(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    std::vector<char> buffer(1 << 20);
    long long entries = 0;
    std::string lineStart; // the first bytes of the current line
    bool atLineStart = true;
    ssize_t n;
    while ((n = ::read(fd, buffer.data(), buffer.size())) > 0) {
        for (ssize_t i = 0; i < n; ++i) {
            const char c = buffer[size_t(i)];
            if (c == '\n') {
                atLineStart = true;
                lineStart.clear();
                continue;
            }
            if (!atLineStart)
                continue;
            lineStart.push_back(c);
            if (lineStart.size() == entryPrefix.size()) {
                entries += lineStart == entryPrefix;
                atLineStart = false;
            }
        }
    }
    ::close(fd);
    return entries;
}

double shellSeconds(const std::string &command)
{
    const double start = now();
    if (std::system(command.c_str()) != 0)
        return -1;
    return now() - start;
}

std::string quote(const std::string &text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}
} // namespace

int main()
{
    char pattern[] = "/tmp/zan-bench-runner-XXXXXX";
    if (!::mkdtemp(pattern))
        return 1;
    temp = pattern;
    const std::string bundle = temp + "/bundle with spaces";
    ::mkdir(bundle.c_str(), 0755);
    ::mkdir((bundle + "/Contents").c_str(), 0755);
    ::mkdir((bundle + "/Contents/bin").c_str(), 0755);
    ::mkdir((bundle + "/Contents/Applications").c_str(), 0755);
    const std::string launcher = bundle + "/Contents/bin/zan-client-launcher";
    const std::string writer = bundle + "/Contents/Applications/zanlauncher";
    if (!copyFile(ZAN_BENCH_LAUNCHER, launcher) || !copyFile(ZAN_BENCH_WRITER, writer)) {
        std::fprintf(stderr, "cannot lay out the bundle in %s\n", temp.c_str());
        return 1;
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    long long maxLines = 10000000;
    if (const char *cap = std::getenv("ZAN_BENCH_MAX_LINES"))
        maxLines = std::atoll(cap);

    const std::string logPath = temp + "/log";
    int failures = 0;
    std::printf(
        "| run | lines | s | CPU s | lines/s | MB/s | peak MiB | entries | cat s | cat MB/s |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    struct Case {
        const char *name;
        std::vector<std::string> params;
        long long lines;   // lines written
        long long bytes;   // bytes written
        long long entries; // entries expected
    };
    std::vector<Case> cases;
    for (long long n : {10000LL, 1000000LL, 10000000LL}) {
        if (n <= maxLines)
            cases.push_back(
                {"100-byte lines", {"lines", std::to_string(n), "100"}, n, n * 100, n + 1});
    }
    const long long blob = 100LL * 1000 * 1000;
    cases.push_back({"100 MB, no break", {"blob", std::to_string(blob)}, 1, blob, blob / 787 + 1});
    for (const Case &c : cases) {
        const int err = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        std::vector<std::string> args{launcher};
        args.insert(args.end(), c.params.begin(), c.params.end());
        const Run run = runProgram(args, err);
        ::close(err);
        const long long entries = countEntries(logPath);
        std::string catCommand = quote(writer);
        for (const std::string &p : c.params)
            catCommand += " " + quote(p);
        catCommand += " | cat > " + quote(temp + "/cat");
        const double catSeconds = shellSeconds(catCommand);
        std::printf("| %s | %lld | %.2f | %.2f | %.0f | %.0f | %.1f | %lld | %.2f | %.0f |\n",
                    c.name, c.lines, run.seconds, run.cpuSeconds, double(c.lines) / run.seconds,
                    double(c.bytes) / 1e6 / run.seconds, double(run.maxRssKiB) / 1024.0, entries,
                    catSeconds, double(c.bytes) / 1e6 / catSeconds);
        if (run.status != 0 || entries != c.entries) {
            std::printf("  !! status %d, %lld entries where %lld were expected\n", run.status,
                        entries, c.entries);
            ++failures;
        }
        ::unlink(logPath.c_str());
        ::unlink((temp + "/cat").c_str());
    }
    std::fflush(stdout);

    // Reference: logger into a syslog socket of our own.
    {
        const std::string socketPath = temp + "/syslog.sock";
        const int sock = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
        int size = 8 << 20;
        ::setsockopt(sock, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        if (::bind(sock, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
            std::atomic<long long> received{0};
            std::thread drain([&] {
                char message[4096];
                while (::recv(sock, message, sizeof message, 0) > 0)
                    ++received;
            });
            const long long n = 200000;
            const double seconds = shellSeconds(quote(writer) + " lines " + std::to_string(n) +
                                                " 100 | logger -d -u " + quote(socketPath));
            ::shutdown(sock, SHUT_RDWR);
            drain.join();
            std::printf("\nlogger to a private syslog socket: %lld lines in %.2f s, %.0f lines/s "
                        "(%lld received)\n",
                        n, seconds, double(n) / seconds, received.load());
        }
        ::close(sock);
    }

    // Delay from a line written to its entry logged: the launcher's standard
    // error on a pipe read here, each line stamped by the writer.
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return 1;
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, STDOUT_FILENO);
            ::dup2(fds[1], STDERR_FILENO);
            ::execl(launcher.c_str(), launcher.c_str(), "stamped", "200", "5", (char *)nullptr);
            ::_exit(127);
        }
        ::close(fds[1]);
        std::vector<double> delays;
        std::string pending;
        char buffer[4096];
        ssize_t n;
        const std::string marker = "zanlauncherConsole>>>> T ";
        while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0) {
            const long long arrived = zantest::monotonicNs();
            pending.append(buffer, size_t(n));
            size_t end;
            while ((end = pending.find('\n')) != std::string::npos) {
                const std::string line = pending.substr(0, end);
                pending.erase(0, end + 1);
                const size_t at = line.find(marker);
                if (at != std::string::npos)
                    delays.push_back(
                        double(arrived - std::atoll(line.c_str() + at + marker.size())) / 1e6);
            }
        }
        ::close(fds[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        std::sort(delays.begin(), delays.end());
        if (!delays.empty()) {
            std::printf("line written to entry logged: %zu lines, median %.3f ms, 99th "
                        "percentile %.3f ms, max %.3f ms\n",
                        delays.size(), delays[delays.size() / 2],
                        delays[std::min(delays.size() - 1, delays.size() * 99 / 100)],
                        delays.back());
        }
    }
    std::system(("rm -rf " + quote(temp)).c_str());
    return failures == 0 ? 0 : 1;
}
