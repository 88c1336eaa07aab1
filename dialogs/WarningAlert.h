// SPDX-License-Identifier: MIT
// The dialog program's warning alert: the message box and the sign-in
// dialogs' notices that a field is missing.
#pragma once

class QString;
class QWidget;

namespace zan {

// Shows TEXT as plain text in an application-modal warning box with one OK
// button (Enter and Escape both press it) and returns once it is pressed.
// The window is titled "Warning", so that the kind of notice the icon shows
// is also in the title bar and spoken by a screen reader.
void runWarningAlert(const QString &text, QWidget *parent = nullptr);

} // namespace zan
