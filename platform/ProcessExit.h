// SPDX-License-Identifier: MIT
// The one way the programs end. Production ends the process at once; tests
// install a handler that records the status, and then the call returns.
#pragma once

#include <functional>

namespace zan {

// Ends the process with the status (its low eight bits reach the parent, so -1
// is seen as 255). Returns only when a test handler is installed, so callers
// return right after calling it.
void exitProcess(int status);

using ExitHandler = std::function<void(int status)>;
// Installs a handler in place of the real exit; an empty one restores it.
ExitHandler setExitHandler(ExitHandler handler);

} // namespace zan
