// SPDX-License-Identifier: MIT
// Rules the session, shared-session and suspended-session dialogs share.
#pragma once

#include "ExchangeFile.h"

namespace zan {

// "Launching", "Started", "Active", "Suspended", "Active" for 0 to 4, and
// "Unknown" for anything else. Fixed texts: zanlauncher's words, not the UI's.
QString statusWord(qint64 status);

// The row text "%@ (:%ld)" of a session: its host and its display number. A
// host without text shows as empty.
QString sessionRowText(const Text &node, qint64 display);

} // namespace zan
