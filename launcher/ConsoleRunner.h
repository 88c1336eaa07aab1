// SPDX-License-Identifier: MIT
// Runs the console launcher: no shell, standard output on a pipe whose lines
// go to the log as they arrive, standard input, standard error and the
// environment inherited (plus what addEnvironment gives).
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
    };
    Kind kind = Kind::Exited;
    int status = 0;             // the status the launcher ends with
    int signal = 0;             // the signal, for Signalled
    QString error;              // why it did not start, for NotStarted
    bool outputComplete = true; // the reader reached the end of the output
};

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
    void setOutputGrace(std::chrono::milliseconds grace) { m_grace = grace; }

    // Gives the program the variable on top of the inherited environment,
    // in place of an inherited one of that name; for the next start().
    void addEnvironment(const QByteArray &name, const QByteArray &value);

    // Starts the program. Returns the outcome at once when it cannot start;
    // otherwise finished() follows on this object's thread.
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
    bool m_outputEnded = false;
};

} // namespace zan

Q_DECLARE_METATYPE(zan::RunOutcome)
