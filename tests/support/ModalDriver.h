// SPDX-License-Identifier: MIT
// Driving modal windows from inside their own loop, as a person would: the
// one driver of every test that runs a dialog modally, and of the scripted
// user of the memory check.
#pragma once

#include <QApplication>
#include <QDebug>
#include <QDialog>
#include <QTimer>

#include <chrono>
#include <functional>

namespace zantest {

// Answers the first modal window that shows while it lives. Create it before
// the call that enters the modal loop (exec(), the dispatcher's run): it polls
// from that loop and hands the window to answer once. A safety timer ends
// what is still modal after the limit, so that a broken test fails rather
// than hangs: a dialog ends with done(-1), a result no dialog gives of its
// own, any other window is closed; whatever turns modal later meets the same.
class ModalDriver : public QObject {
public:
    using Answer = std::function<void(QWidget *modal)>;

    explicit ModalDriver(Answer answer, std::chrono::milliseconds limit = std::chrono::seconds(60))
        : m_answer(std::move(answer))
    {
        connect(&m_poll, &QTimer::timeout, this, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible())
                return;
            m_poll.stop();
            m_answered = true;
            m_answer(modal);
        });
        m_poll.start(10);
        connect(&m_safety, &QTimer::timeout, this, [this] {
            if (!m_timedOut)
                qWarning("the modal window had to be ended by the safety timer");
            m_timedOut = true;
            m_poll.stop();
            if (m_onTimeout)
                m_onTimeout();
            else
                endModalWindows();
            m_safety.start(100); // and anything that turns modal after
        });
        m_safety.setSingleShot(true);
        m_safety.start(limit);
    }

    // Replaces what the safety timer does, e.g. ending a whole program.
    void setOnTimeout(std::function<void()> action) { m_onTimeout = std::move(action); }

    bool answered() const { return m_answered; }
    bool timedOut() const { return m_timedOut; }

    static void endModalWindows()
    {
        // A window that refuses to close stays modal; the bound keeps this
        // from spinning on it.
        for (int i = 0; i < 16; ++i) {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->done(-1);
            else
                modal->close();
        }
    }

private:
    Answer m_answer;
    std::function<void()> m_onTimeout;
    QTimer m_poll;
    QTimer m_safety;
    bool m_answered = false;
    bool m_timedOut = false;
};

// The top-level widgets still alive once deferred deletions have run; each is
// named in a warning. A test's cleanup() expects none.
inline QWidgetList leftTopLevelWidgets()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QWidgetList left = QApplication::topLevelWidgets();
    for (QWidget *widget : left)
        qWarning() << "top-level widget left behind:" << widget;
    return left;
}

} // namespace zantest
