// SPDX-License-Identifier: MIT
// Runs the console launcher: no shell, standard output on a pipe whose lines
// go to the log as they arrive, standard input, standard error and the
// environment inherited (plus what addEnvironment gives).
//
// Written on posix_spawn and a reader thread rather than QProcess: QProcess
// takes its arguments as QString, so a launch parameter that is not UTF-8
// could not pass unchanged, and it reads on the event loop of the thread that
// owns it, which would put the splitting and logging of a flood of output
// between the D-Bus calls and window events that the main thread serves
// meanwhile.
#pragma once

#include "LineSplitter.h"

#include <QByteArrayList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <sys/types.h>
#include <thread>

namespace zan {

struct RunOutcome {
    enum class Kind {
        Exited,     // ended with an exit status
        Signalled,  // killed by a signal; status is 128 plus its number
        NotStarted, // missing (status 127) or not executable (status 126)
        WaitFailed, // started, but how it ended could not be learned; status 1
    };
    Kind kind = Kind::Exited;
    int status = 0;             // the status the launcher ends with
    int signal = 0;             // the signal, for Signalled
    QString error;              // why, for NotStarted and WaitFailed
    bool outputComplete = true; // the reader reached the end of the output
};

// Sets up the signals of the process; call in main before any thread starts.
//
// Undoes what a parent may have left that breaks the run. An ignored SIGCHLD
// survives exec and makes the kernel reap the console launcher at once, so
// that its status is lost; signals blocked by the parent survive exec too,
// and would keep this process and the console launcher from ever seeing
// them. Other ignored signals stay as they are: nohup's SIGHUP and a
// background job's SIGINT and SIGQUIT are meant for the whole job.
//
// SIGPIPE is ignored here: the log's copy on standard error must not end the
// process when whatever read it has gone (a closed terminal, a pipe into
// head), which would leave the console launcher running alone and its status
// lost. The console launcher still starts with the SIGPIPE this process found.
void setUpSignals();

// Writes pieces of console output as log entries, one entry per piece.
void logConsolePieces(const QStringList &pieces);

// Writes one whole output line as one or more log entries, cut as
// LineSplitter cuts it.
void logConsoleLine(QStringView line);

class ConsoleRunner : public QObject {
    Q_OBJECT
public:
    // Receives the pieces of console output, in order, a batch per read from
    // the pipe; called on the reader thread.
    using PieceSink = std::function<void(const QStringList &pieces)>;

    explicit ConsoleRunner(PieceSink sink = logConsolePieces, QObject *parent = nullptr);
    // Stops the reader; a console launcher still running is killed.
    ~ConsoleRunner() override;

    // How long to wait, once the console launcher has ended, for the rest of
    // its output: a process it left behind may hold the pipe open for ever.
    // When the time runs out, what has arrived is still handed out, the
    // unfinished last line included, before finished() reports
    // outputComplete false.
    void setOutputGrace(std::chrono::milliseconds grace) { m_grace = grace; }

    // Gives the program the variable on top of the inherited environment,
    // in place of an inherited one of that name; for the next start().
    void addEnvironment(const QByteArray &name, const QByteArray &value);

    // Starts the program with the arguments exactly as given, byte for byte.
    // Returns the outcome at once when it cannot start; otherwise finished()
    // follows on this object's thread.
    std::optional<RunOutcome> start(const QString &program, const QByteArrayList &arguments,
                                    const QString &workingDirectory);
    // The same with text arguments, passed on as UTF-8.
    std::optional<RunOutcome> start(const QString &program, const QStringList &arguments,
                                    const QString &workingDirectory);

    // Whether a started console launcher has not yet been reported finished.
    bool isRunning() const { return m_started && !m_reported; }

    pid_t processId() const { return m_pid; }

Q_SIGNALS:
    void finished(const zan::RunOutcome &outcome);

private:
    void readOutput(int fd);
    void waitForExit();
    void stopThreads();

    PieceSink m_sink;
    QByteArrayList m_environment; // NAME=value
    std::chrono::milliseconds m_grace{2000};
    pid_t m_pid = -1;
    int m_outputFd = -1;
    int m_cancelFd = -1;
    bool m_started = false;
    bool m_reported = false;
    bool m_reaped = false;
    std::thread m_reader;
    std::thread m_waiter;
    std::mutex m_mutex;
    std::condition_variable m_readerDone;
    bool m_outputEnded = false; // the reader has handed out all it will
    bool m_reachedEnd = false;  // ... and that was the end of the output
};

} // namespace zan

Q_DECLARE_METATYPE(zan::RunOutcome)
