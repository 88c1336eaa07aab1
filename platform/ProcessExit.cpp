// SPDX-License-Identifier: MIT
#include "ProcessExit.h"

#include <cstdio>
#include <syslog.h>
#include <unistd.h>

namespace zan {
namespace {
ExitHandler &handlerSlot()
{
    static ExitHandler handler;
    return handler;
}
} // namespace

void exitProcess(int status)
{
    if (ExitHandler &handler = handlerSlot()) {
        handler(status);
        return;
    }
    // The event loop and the widgets are still alive here; tearing them down
    // through static destructors serves no one, so leave without clean-up once
    // the buffered output is out.
    std::fflush(nullptr);
    ::closelog();
    ::_exit(status);
}

ExitHandler setExitHandler(ExitHandler handler)
{
    ExitHandler previous = std::move(handlerSlot());
    handlerSlot() = std::move(handler);
    return previous;
}

} // namespace zan
