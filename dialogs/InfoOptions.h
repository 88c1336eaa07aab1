// SPDX-License-Identifier: MIT
// --help and --version of the dialog program, answered before any dialog.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace zan {

// What a run of the dialog program asks for when it asks for no dialog.
enum class InfoRequest { None, Help, Version };

// Help or version is asked for only by the first argument after the program
// path, spelt exactly "--help", "-h" or "--version". zanlauncher passes none
// of them, and a later argument that happens to read "--help" stays the
// value of the option before it.
InfoRequest infoRequest(const QStringList &arguments);

// The text printed for a request, ending in a line break; empty for None.
QString infoText(InfoRequest request, const QString &programName);

// Prints the answer on standard output and returns the exit status (0), or
// nothing when the arguments ask for a dialog.
std::optional<int> answerInfoRequest(const QStringList &arguments);

} // namespace zan
