// SPDX-License-Identifier: MIT
// Stand-in console launcher for the runner's tests. The first argument (or,
// when it runs as the bundle's zanlauncher and its arguments are launch
// parameters, ZAN_HELPER_MODE and ZAN_HELPER_ARG) says what to do:
//   exit N      exit with status N
//   hex HEX     write the bytes HEX to standard output, exit 0
//   hang        write "pid PID" and a line break, then wait for a signal
//   signal N    kill itself with signal N
//   orphan [T]  leave a child that holds standard output for 60 s; write
//               "child PID", "parent done" and then T without a line break,
//               exit 0
//   signals N   write "SIGCHLD default" or "SIGCHLD ignored", the same for
//               SIGPIPE, and "blocked K", the number of signals blocked, each
//               on a line; exit with N
// With ZAN_HELPER_RECORD set, the working folder and every argument are first
// written to that file, each followed by a NUL byte; with ZAN_HELPER_ENVIRON
// set, every entry of the environment is written to that file the same way.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

extern char **environ;

namespace {
void writeAll(const std::string &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            std::exit(70);
        done += size_t(n);
    }
}

std::string fromHex(const char *hex)
{
    std::string bytes;
    for (size_t i = 0; hex[i] && hex[i + 1]; i += 2)
        bytes.push_back(char(std::stoi(std::string(hex + i, 2), nullptr, 16)));
    return bytes;
}
} // namespace

int main(int argc, char **argv)
{
    if (const char *record = std::getenv("ZAN_HELPER_RECORD")) {
        FILE *file = std::fopen(record, "wb");
        if (!file)
            return 71;
        char cwd[4096];
        if (!::getcwd(cwd, sizeof cwd))
            return 72;
        std::fwrite(cwd, 1, std::strlen(cwd) + 1, file);
        for (int i = 1; i < argc; ++i)
            std::fwrite(argv[i], 1, std::strlen(argv[i]) + 1, file);
        std::fclose(file);
    }
    if (const char *record = std::getenv("ZAN_HELPER_ENVIRON")) {
        FILE *file = std::fopen(record, "wb");
        if (!file)
            return 71;
        for (char **entry = environ; *entry; ++entry)
            std::fwrite(*entry, 1, std::strlen(*entry) + 1, file);
        std::fclose(file);
    }
    std::string mode;
    std::string arg;
    if (const char *fromEnv = std::getenv("ZAN_HELPER_MODE")) {
        mode = fromEnv;
        if (const char *value = std::getenv("ZAN_HELPER_ARG"))
            arg = value;
    } else if (argc > 1) {
        mode = argv[1];
        if (argc > 2)
            arg = argv[2];
    }
    if (mode == "exit")
        return std::atoi(arg.c_str());
    if (mode == "hex") {
        writeAll(fromHex(arg.c_str()));
        return 0;
    }
    if (mode == "hang") {
        writeAll("pid " + std::to_string(::getpid()) + "\n");
        for (;;)
            ::pause();
    }
    if (mode == "signal") {
        // Sanitizers install handlers for crash signals; die the plain way.
        const int signal = std::atoi(arg.c_str());
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return 73;
    }
    if (mode == "orphan") {
        const pid_t child = ::fork();
        if (child == 0) {
            ::sleep(60);
            ::_exit(0);
        }
        // One write, so that the reader sees the lines in this order.
        writeAll("child " + std::to_string(child) + "\nparent done\n" + arg);
        return 0;
    }
    if (mode == "signals") {
        struct sigaction child {
        }, pipe{};
        ::sigaction(SIGCHLD, nullptr, &child);
        ::sigaction(SIGPIPE, nullptr, &pipe);
        sigset_t blocked;
        ::sigprocmask(SIG_SETMASK, nullptr, &blocked);
        int count = 0;
        for (int signal = 1; signal < NSIG; ++signal)
            count += sigismember(&blocked, signal) == 1;
        const auto word = [](const struct sigaction &a) {
            return std::string(a.sa_handler == SIG_IGN ? "ignored\n" : "default\n");
        };
        writeAll("SIGCHLD " + word(child) + "SIGPIPE " + word(pipe) + "blocked " +
                 std::to_string(count) + "\n");
        return std::atoi(arg.c_str());
    }
    return 64;
}
