// SPDX-License-Identifier: MIT
// What every harness shares: the log goes nowhere, an attempt to end the
// process is a finding, and input bytes become argument lists.
#pragma once

#include "ProcessExit.h"
#include "SystemLog.h"

#include <QByteArray>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace zanfuzz {

// Call from LLVMFuzzerInitialize: the readers log their refusals, which would
// only slow the fuzzer down, and none of them may end the process.
inline void quietProcess()
{
    zan::setLogSink([](const QString &) {});
    zan::setExitHandler([](int status) {
        std::fprintf(stderr, "reader tried to end the process with status %d\n", status);
        std::abort();
    });
}

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// The input split at NUL bytes into arguments, each decoded as UTF-8 the way
// the programs decode their argv.
inline QStringList argumentsFrom(const QByteArray &input)
{
    QStringList arguments;
    for (const QByteArray &piece : input.split('\0'))
        arguments.append(QString::fromUtf8(piece));
    return arguments;
}

// A broken invariant: says which and stops, so libFuzzer keeps the input.
[[noreturn]] inline void fail(const char *what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

} // namespace zanfuzz

#define ZAN_FUZZ_CHECK(condition)                                                                  \
    do {                                                                                           \
        if (!(condition))                                                                          \
            zanfuzz::fail(#condition);                                                             \
    } while (0)
