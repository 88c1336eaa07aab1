// SPDX-License-Identifier: MIT
#include "ConsoleRunner.h"

#include "ProcessArguments.h"
#include "SystemLog.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace zan {
namespace {
QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

RunOutcome notStarted(int error, const QString &reason)
{
    RunOutcome outcome;
    outcome.kind = RunOutcome::Kind::NotStarted;
    // The shells' convention: 127 for a command not found, 126 for one that
    // is there but cannot be run.
    outcome.status = error == ENOENT || error == ENOTDIR ? 127 : 126;
    outcome.error = reason;
    return outcome;
}

// Checks beforehand what posix_spawn would only report as a bare errno.
std::optional<RunOutcome> checkProgram(const QByteArray &path)
{
    struct stat info {};
    if (::stat(path.constData(), &info) != 0) {
        const int error = errno;
        return notStarted(error, errnoText(error));
    }
    if (!S_ISREG(info.st_mode))
        return notStarted(EACCES, S_ISDIR(info.st_mode) ? QStringLiteral("is a folder")
                                                        : QStringLiteral("not a regular file"));
    if (::access(path.constData(), X_OK) != 0) {
        const int error = errno;
        return notStarted(error, errnoText(error));
    }
    return std::nullopt;
}
} // namespace

namespace {
const QLatin1String entryPrefix("zanlauncherConsole>>>> ");
// setUpSignals() found SIGPIPE at its default and ignores it since; the
// console launcher gets the default back.
bool pipeSignalWasDefault = false;

void setDisposition(int signal, void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
}
} // namespace

void setUpSignals()
{
    setDisposition(SIGCHLD, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    ::pthread_sigmask(SIG_SETMASK, &none, nullptr);
    struct sigaction pipe {};
    ::sigaction(SIGPIPE, nullptr, &pipe);
    if (pipe.sa_handler == SIG_DFL) {
        pipeSignalWasDefault = true;
        setDisposition(SIGPIPE, SIG_IGN);
    }
}

void logConsolePieces(const QStringList &pieces)
{
    QStringList entries;
    entries.reserve(pieces.size());
    for (const QString &piece : pieces)
        entries.append(entryPrefix + piece);
    logEntries(entries);
}

void logConsoleLine(QStringView line)
{
    cutLine(line, [](QStringView piece) { logEntry(entryPrefix + piece); });
}

ConsoleRunner::ConsoleRunner(PieceSink sink, QObject *parent)
    : QObject(parent), m_sink(std::move(sink))
{
    qRegisterMetaType<zan::RunOutcome>();
}

ConsoleRunner::~ConsoleRunner()
{
    stopThreads();
}

void ConsoleRunner::addEnvironment(const QByteArray &name, const QByteArray &value)
{
    m_environment.append(name + '=' + value);
}

std::optional<RunOutcome> ConsoleRunner::start(const QString &program, const QStringList &arguments,
                                               const QString &workingDirectory)
{
    return start(program, argumentsAsBytes(arguments), workingDirectory);
}

std::optional<RunOutcome> ConsoleRunner::start(const QString &program,
                                               const QByteArrayList &arguments,
                                               const QString &workingDirectory)
{
    Q_ASSERT(!m_started);
    const QByteArray path = QFile::encodeName(program);
    if (std::optional<RunOutcome> problem = checkProgram(path))
        return problem;

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        const int error = errno;
        return notStarted(error, errnoText(error));
    }
    // With standard streams closed, the pipe may get their numbers; keep it
    // above them so that the dup2 onto standard output cannot be a no-op that
    // leaves the descriptor to close on exec.
    for (int &fd : fds) {
        if (fd <= STDERR_FILENO) {
            const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
            if (moved >= 0) {
                ::close(fd);
                fd = moved;
            }
        }
    }
    m_cancelFd = ::eventfd(0, EFD_CLOEXEC);
    if (m_cancelFd < 0) {
        const int error = errno;
        ::close(fds[0]);
        ::close(fds[1]);
        return notStarted(error, errnoText(error));
    }

    std::vector<QByteArray> storage;
    storage.reserve(size_t(arguments.size()) + 1);
    storage.push_back(path);
    for (const QByteArray &argument : arguments)
        storage.push_back(argument);
    std::vector<char *> argv;
    for (QByteArray &argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    // The inherited environment without the names given here: with two
    // entries of one name, the program would read the inherited one.
    std::vector<char *> envp;
    for (char **entry = environ; *entry; ++entry) {
        const bool replaced = std::any_of(
            m_environment.cbegin(), m_environment.cend(), [entry](const QByteArray &own) {
                const qsizetype nameLength = own.indexOf('=') + 1;
                return std::strncmp(*entry, own.constData(), size_t(nameLength)) == 0;
            });
        if (!replaced)
            envp.push_back(*entry);
    }
    for (QByteArray &own : m_environment)
        envp.push_back(own.data());
    envp.push_back(nullptr);

    const QByteArray directory = QFile::encodeName(workingDirectory);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addchdir_np(&actions, directory.constData());
    // The console launcher waits for the dialog program as this process waits
    // for it: it starts with SIGCHLD at its default and nothing blocked,
    // whatever this process was left by its own parent.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGCHLD);
    if (pipeSignalWasDefault)
        sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    pid_t pid = -1;
    const int error =
        ::posix_spawn(&pid, path.constData(), &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (error != 0) {
        ::close(fds[0]);
        ::close(m_cancelFd);
        m_cancelFd = -1;
        QString reason = errnoText(error);
        if (error == ENOENT || error == ENOTDIR)
            reason = QStringLiteral("%1 (or its working folder %2)").arg(reason, workingDirectory);
        return notStarted(error, reason);
    }
    m_pid = pid;
    m_outputFd = fds[0];
    m_started = true;
    m_reader = std::thread([this] { readOutput(m_outputFd); });
    m_waiter = std::thread([this] { waitForExit(); });
    return std::nullopt;
}

void ConsoleRunner::readOutput(int fd)
{
    // The pieces of one read go out together, as soon as the read is split.
    QStringList batch;
    LineSplitter splitter([&batch](QStringView piece) { batch.append(piece.toString()); });
    const auto flush = [&] {
        if (!batch.isEmpty()) {
            m_sink(batch);
            batch.clear();
        }
    };
    std::vector<char> buffer(size_t(64) * 1024);
    // Reads once; false at the end of the output or on an error.
    const auto readOnce = [&] {
        for (;;) {
            const ssize_t got = ::read(fd, buffer.data(), buffer.size());
            if (got > 0) {
                splitter.feed(buffer.data(), got);
                flush();
                return true;
            }
            if (got < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            return false;
        }
    };
    pollfd fds[2] = {{fd, POLLIN, 0}, {m_cancelFd, POLLIN, 0}};
    bool reachedEnd = false;
    for (;;) {
        // Blocks until output, end of file or cancellation; no polling loop.
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[1].revents != 0) {
            // Given up: take what the pipe holds now (a bounded amount, as a
            // process left behind may go on writing), then the unfinished line.
            for (int reads = 0; reads < 16; ++reads) {
                pollfd ready{fd, POLLIN, 0};
                if (::poll(&ready, 1, 0) <= 0)
                    break;
                if (!readOnce()) {
                    reachedEnd = true;
                    break;
                }
            }
            break;
        }
        if (!readOnce()) {
            reachedEnd = true;
            break;
        }
    }
    if (reachedEnd)
        splitter.finish();
    else
        splitter.flushUnfinishedLine();
    flush();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_outputEnded = true;
        m_reachedEnd = reachedEnd;
    }
    m_readerDone.notify_all();
}

void ConsoleRunner::waitForExit()
{
    // Wait without reaping first, so that the process id cannot be reused
    // while stopThreads() may still send it a signal.
    siginfo_t info{};
    while (::waitid(P_PID, id_t(m_pid), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_reaped = true;
    }
    int status = 0;
    pid_t result;
    do {
        result = ::waitpid(m_pid, &status, 0);
    } while (result < 0 && errno == EINTR);

    RunOutcome outcome;
    if (result < 0) {
        // ECHILD when SIGCHLD is ignored after all (setUpSignals()
        // not called): the kernel reaped the process and its status is gone.
        outcome.kind = RunOutcome::Kind::WaitFailed;
        outcome.status = 1;
        outcome.error = errnoText(errno);
    } else if (WIFSIGNALED(status)) {
        outcome.kind = RunOutcome::Kind::Signalled;
        outcome.signal = WTERMSIG(status);
        outcome.status = 128 + outcome.signal;
    } else {
        outcome.status = WEXITSTATUS(status);
    }
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        const auto ended = [this] { return m_outputEnded; };
        if (!m_readerDone.wait_for(lock, m_grace, ended)) {
            // The reader hands out what has arrived and stops; its last lines
            // reach the log before the run is reported finished.
            const uint64_t one = 1;
            if (::write(m_cancelFd, &one, sizeof one) < 0) {
                // Cannot happen for an eventfd below its maximum count.
            }
            m_readerDone.wait(lock, ended);
        }
        outcome.outputComplete = m_reachedEnd;
    }
    QMetaObject::invokeMethod(
        this,
        [this, outcome] {
            m_reported = true;
            Q_EMIT finished(outcome);
        },
        Qt::QueuedConnection);
}

void ConsoleRunner::stopThreads()
{
    if (!m_started)
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_reaped)
            ::kill(m_pid, SIGKILL);
    }
    const uint64_t one = 1;
    if (::write(m_cancelFd, &one, sizeof one) < 0) {
        // Nothing more to do: the reader also ends at end of file.
    }
    if (m_waiter.joinable())
        m_waiter.join();
    if (m_reader.joinable())
        m_reader.join();
    ::close(m_outputFd);
    ::close(m_cancelFd);
    m_started = false;
}

} // namespace zan
