// SPDX-License-Identifier: MIT
// The process arguments exactly as the kernel handed them over.
#pragma once

#include <QByteArrayList>
#include <QStringList>

namespace zan {

// Saves argv before QApplication is built: Qt strips options of its own such as
// -style or -session from what it keeps, and those may be values we need.
void saveProcessArguments(int argc, char **argv);

// The saved arguments, program path first, byte for byte. File names and
// launch parameters are bytes on Linux and need not be UTF-8; whatever is
// opened, written or passed on is taken from here.
QByteArrayList rawProcessArguments();

// The same arguments decoded as UTF-8 (bad bytes become U+FFFD): for matching
// options and for display, never for naming a file.
QStringList processArguments();

// An argument list as text, each decoded as UTF-8 (bad bytes become
// U+FFFD), and text arguments as the UTF-8 bytes a program receives.
QStringList argumentsAsText(const QByteArrayList &arguments);
QByteArrayList argumentsAsBytes(const QStringList &arguments);

// Replace the saved arguments; for tests. The text form is encoded as UTF-8.
void setProcessArguments(const QStringList &arguments);
void setRawProcessArguments(const QByteArrayList &arguments);

} // namespace zan
