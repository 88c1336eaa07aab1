// SPDX-License-Identifier: MIT
// Visible texts are looked up by text ID (qtTrId). English is always loaded
// underneath the user's language, so a text missing from a translation shows
// in English rather than as its ID.
#pragma once

#include <QLocale>

class QCoreApplication;

namespace zan {

// Loads every catalogue compiled into the program's resources under :/i18n
// (files named <area>_<language>.qm): English first, then the locale's, with
// Qt's own catalogue for that language (qtbase_<language>.qm) beside it.
void installTranslations(const QLocale &locale = QLocale());

} // namespace zan
