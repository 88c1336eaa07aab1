// SPDX-License-Identifier: MIT
// The process arguments exactly as the kernel handed them over.
#pragma once

#include <QStringList>

namespace zan {

// Saves argv before QApplication is built: Qt strips options of its own such as
// -style or -session from what it keeps, and those may be values we need.
void saveProcessArguments(int argc, char **argv);

// The saved arguments, program path first, each decoded as UTF-8.
QStringList processArguments();

// Replaces the saved arguments; for tests.
void setProcessArguments(const QStringList &arguments);

} // namespace zan
