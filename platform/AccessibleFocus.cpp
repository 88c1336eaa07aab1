// SPDX-License-Identifier: MIT
#include "AccessibleFocus.h"

#include <QAccessible>
#include <QEvent>
#include <QPointer>

#include <vector>

namespace zan {
namespace {

// A caret or selection event held back: what it needs to be sent again. It
// carries positions only, never text.
struct HeldEvent {
    QAccessible::Event type;
    int start;
    int end;
    int cursor;
};

// The widget whose focus-in is running, its held events, and the update
// handler that was installed before holding began.
bool holding = false;
QPointer<QObject> focusing;
std::vector<HeldEvent> held;
QAccessible::UpdateHandler handlerBefore = nullptr;

void holdUntilFocus(QAccessibleEvent *event);

// Hands an event on as if no handler of ours were installed.
void passOn(QAccessibleEvent *event)
{
    if (handlerBefore) {
        handlerBefore(event);
        return;
    }
    // Whatever handler stands in front now is put back afterwards.
    const QAccessible::UpdateHandler current = QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(current);
}

// Ends holding: the focus event first (when there is one), then the held
// events in the order they came.
void release(QAccessibleEvent *focus)
{
    if (!holding)
        return;
    holding = false;
    QAccessible::installUpdateHandler(handlerBefore);
    handlerBefore = nullptr;
    const QPointer<QObject> object = focusing;
    focusing = nullptr;
    std::vector<HeldEvent> events;
    events.swap(held);
    if (focus)
        QAccessible::updateAccessibility(focus);
    for (const HeldEvent &event : events) {
        if (!object)
            break;
        if (event.type == QAccessible::TextSelectionChanged) {
            QAccessibleTextSelectionEvent again(object, event.start, event.end);
            again.setCursorPosition(event.cursor);
            QAccessible::updateAccessibility(&again);
        } else {
            QAccessibleTextCursorEvent again(object, event.cursor);
            QAccessible::updateAccessibility(&again);
        }
    }
}

void holdUntilFocus(QAccessibleEvent *event)
{
    if (event->object() && event->object() == focusing) {
        switch (event->type()) {
        case QAccessible::Focus:
            release(event);
            return;
        case QAccessible::TextSelectionChanged: {
            const auto *selection = static_cast<QAccessibleTextSelectionEvent *>(event);
            held.push_back({event->type(), selection->selectionStart(), selection->selectionEnd(),
                            selection->cursorPosition()});
            return;
        }
        case QAccessible::TextCaretMoved: {
            const auto *caret = static_cast<QAccessibleTextCursorEvent *>(event);
            held.push_back({event->type(), 0, 0, caret->cursorPosition()});
            return;
        }
        default:
            break;
        }
    }
    passOn(event);
}

void hold(QObject *widget)
{
    release(nullptr);
    holding = true;
    focusing = widget;
    handlerBefore = QAccessible::installUpdateHandler(&holdUntilFocus);
}

// Sits in front of one widget's events; a child of that widget, so it goes
// with it.
class FocusAnnouncer : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn && watched == parent()) {
            hold(watched);
            // Qt announces the focus as soon as the focus-in is handled; a
            // focus-in sent without that announcement holds nothing past the
            // current event.
            QMetaObject::invokeMethod(
                this, [] { release(nullptr); }, Qt::QueuedConnection);
        }
        return false;
    }
};

const char announcerName[] = "zan-focus-announcer";

} // namespace

void announceFocusFirst(QObject *widget)
{
    if (!widget ||
        widget->findChild<QObject *>(QLatin1String(announcerName), Qt::FindDirectChildrenOnly))
        return;
    auto *announcer = new FocusAnnouncer(widget);
    announcer->setObjectName(QLatin1String(announcerName));
    widget->installEventFilter(announcer);
}

} // namespace zan
