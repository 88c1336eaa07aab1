// SPDX-License-Identifier: MIT
// Where the running program's bundle lies. Programs live two levels below the
// bundle folder (Contents/bin, Contents/Applications), so the bundle is found
// from the executable's real path.
#pragma once

#include <QString>

namespace zan {

// The bundle folder: the running executable's real path (/proc/self/exe,
// symbolic links resolved) without its last three components. Empty when the
// executable's path cannot be read.
QString bundlePath();

} // namespace zan
