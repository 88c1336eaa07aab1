// SPDX-License-Identifier: MIT
// Telling a screen reader where the keyboard focus is before telling it what
// the focused widget does with its text caret.
//
// Qt announces a widget's focus to accessibility clients only after the
// widget has handled its focus-in event. A line edit entered with Tab
// selects its text there, and Qt 6.4 reports that selection and the caret
// position at once, before the focus. A screen reader that follows the caret
// then takes the field as focused already and leaves the focus event that
// follows unspoken: the user tabs into a field that is never named. Here the
// caret and selection events of the widget are held back during its
// focus-in, from the focus-in event to Qt's focus announcement, and sent
// right after that announcement; nothing else changes.
#pragma once

class QObject;

namespace zan {

// From now on, whenever the widget takes the keyboard focus, accessibility
// clients hear of the focus before they hear of its caret. Calling it again
// for the same widget changes nothing. Meant for widgets with a text caret
// (a line edit, a text view); harmless for any other.
//
// While it holds events back, an accessibility update handler of its own
// stands in front of the one installed before (Qt's bridge, or a filter of
// the program) and hands every other event on to it.
void announceFocusFirst(QObject *widget);

} // namespace zan
