// SPDX-License-Identifier: MIT
// The licence agreement prompt: its state without a modal run, then a few
// modal runs driven by timers.
#include "EulaPrompt.h"

#include "ModalDriver.h"
#include "TestSupport.h"
#include "Translations.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <functional>

using namespace zan;

namespace {

const QString agreementPath = QStringLiteral(ZAN_AGREEMENT_PATH);

// Runs action once the prompt is the active modal widget, with the keyboard.
int runPrompt(EulaPrompt &prompt, const std::function<void(EulaPrompt &)> &action)
{
    zantest::ModalDriver driver([&](QWidget *modal) {
        QVERIFY(modal == &prompt);
        QVERIFY(QTest::qWaitForWindowActive(&prompt));
        QVERIFY(prompt.focusWidget());
        action(prompt);
    });
    return prompt.run();
}

} // namespace

class TestEulaPrompt : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void showsTheAgreement();
    void documentBackground();
    void unreadableAgreement_data();
    void unreadableAgreement();
    void answers_data();
    void answers();
    void enterDoesNotAcceptWhatCannotBeRead();
};

void TestEulaPrompt::initTestCase()
{
    installTranslations(QLocale(QLocale::English));
}

void TestEulaPrompt::cleanup()
{
    QVERIFY(zantest::leftTopLevelWidgets().isEmpty());
}

void TestEulaPrompt::showsTheAgreement()
{
    EulaPrompt prompt;
    const RtfResult result = prompt.loadAgreement(agreementPath);
    QVERIFY2(result.ok, qPrintable(result.error));

    QCOMPARE(prompt.acceptButton()->text(), QStringLiteral("&Accept"));
    QCOMPARE(prompt.cancelButton()->text(), QStringLiteral("&Cancel"));
    QVERIFY(prompt.acceptButton()->isDefault());
    QVERIFY(prompt.acceptButton()->isEnabled());
    QVERIFY(!prompt.windowTitle().isEmpty());

    QTextEdit *view = prompt.agreementView();
    QVERIFY(view->isReadOnly());
    // A screen reader meets read-only text with a caret it can follow line
    // by line, not a label.
    QVERIFY(view->textInteractionFlags() & Qt::TextSelectableByKeyboard);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(view);
    QVERIFY(accessible);
    QCOMPARE(accessible->role(), QAccessible::EditableText);
    QVERIFY(accessible->state().readOnly);
    QVERIFY(accessible->textInterface());
    QCOMPARE(view->sizeHint(), QSize(500, 600));
    QCOMPARE(view->lineWrapMode(), QTextEdit::WidgetWidth);
    QCOMPARE(view->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(view->palette().color(QPalette::Base), QColor(Qt::white));
    QCOMPARE(view->palette().color(QPalette::Text), QColor(Qt::black));
    QVERIFY(view->toPlainText().contains(QStringLiteral("ZAN CLIENT LAUNCHER")));
    QVERIFY(!prompt.loadErrorLabel()->isVisibleTo(&prompt));

    // The agreement is longer than the view: it scrolls, and wraps rather
    // than running off to the side.
    prompt.show();
    QVERIFY(QTest::qWaitForWindowExposed(&prompt));
    QVERIFY(view->verticalScrollBar()->maximum() > 0);
    QCOMPARE(view->horizontalScrollBar()->maximum(), 0);
    QCOMPARE(view->document()->textWidth(), qreal(view->viewport()->width()));
    QCOMPARE(view->verticalScrollBar()->value(), 0);
    prompt.hide();
}

void TestEulaPrompt::documentBackground()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dark.rtf"));
    // Fill colour 0x202020 (blue-green-red order).
    QVERIFY(zantest::writeBytes(
        path, "{\\rtf1{\\*\\background{\\shp{\\*\\shpinst{\\sp{\\sn fillColor}{\\sv 2105376}}}}}"
              "{\\colortbl;\\red255\\green255\\blue255;}\\cf1 Light on dark\\par}"));

    EulaPrompt prompt;
    QVERIFY(prompt.loadAgreement(path).ok);
    QCOMPARE(prompt.agreementView()->palette().color(QPalette::Base), QColor(0x20, 0x20, 0x20));
    QCOMPARE(prompt.agreementView()->palette().color(QPalette::Text), QColor(Qt::white));
}

void TestEulaPrompt::unreadableAgreement_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no file at all

    QTest::newRow("missing") << QByteArray();
    QTest::newRow("not RTF") << QByteArray("Plain text agreement");
    QTest::newRow("truncated") << QByteArray("{\\rtf1\\ansi Terms {\\b of");
}

void TestEulaPrompt::unreadableAgreement()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("License Agreement.rtf"));
    if (!content.isEmpty())
        QVERIFY(zantest::writeBytes(path, content));

    zantest::Capture capture;
    EulaPrompt prompt;
    const RtfResult result = prompt.loadAgreement(path);

    QVERIFY(!result.ok);
    QCOMPARE(capture.log.size(), 1);
    QVERIFY(capture.log.first().contains(path));
    QVERIFY(!prompt.acceptButton()->isEnabled());
    QVERIFY(prompt.loadErrorLabel()->isVisibleTo(&prompt));
    QCOMPARE(prompt.loadErrorLabel()->text(),
             QStringLiteral("The license agreement could not be loaded."));
    QVERIFY(prompt.cancelButton()->isEnabled());
}

void TestEulaPrompt::answers_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("expected");

    QTest::newRow("Enter accepts") << "enter" << EulaPrompt::AcceptResult;
    QTest::newRow("Return on the Accept button") << "return-accept" << EulaPrompt::AcceptResult;
    QTest::newRow("click Accept") << "click-accept" << EulaPrompt::AcceptResult;
    QTest::newRow("click Cancel") << "click-cancel" << EulaPrompt::DeclineResult;
    QTest::newRow("Escape declines") << "escape" << EulaPrompt::DeclineResult;
    QTest::newRow("closing the window declines") << "close" << EulaPrompt::DeclineResult;
    QTest::newRow("Tab to Cancel and Space") << "tab-space" << EulaPrompt::DeclineResult;
    QTest::newRow("Down moves the caret, Enter accepts")
        << "down-enter" << EulaPrompt::AcceptResult;
}

void TestEulaPrompt::answers()
{
    QFETCH(QString, how);
    QFETCH(int, expected);

    EulaPrompt prompt;
    QVERIFY(prompt.loadAgreement(agreementPath).ok);
    const int result = runPrompt(prompt, [&](EulaPrompt &p) {
        QWidget *focus = p.focusWidget();
        if (how == QLatin1String("enter")) {
            // The agreement has the focus; Enter still reaches the default.
            QCOMPARE(focus, p.agreementView());
            QTest::keyClick(focus, Qt::Key_Enter);
        } else if (how == QLatin1String("return-accept")) {
            p.acceptButton()->setFocus();
            QTest::keyClick(p.acceptButton(), Qt::Key_Return);
        } else if (how == QLatin1String("click-accept")) {
            QTest::mouseClick(p.acceptButton(), Qt::LeftButton);
        } else if (how == QLatin1String("click-cancel")) {
            QTest::mouseClick(p.cancelButton(), Qt::LeftButton);
        } else if (how == QLatin1String("escape")) {
            QTest::keyClick(focus, Qt::Key_Escape);
        } else if (how == QLatin1String("close")) {
            p.close();
        } else if (how == QLatin1String("down-enter")) {
            // The arrow keys move a caret through the text, line by line.
            QTextCursor before = p.agreementView()->textCursor();
            QTest::keyClick(focus, Qt::Key_Down);
            QTextCursor after = p.agreementView()->textCursor();
            QVERIFY(after.position() > before.position());
            QCOMPARE(p.focusWidget(), p.agreementView());
            QTest::keyClick(focus, Qt::Key_Enter);
        } else if (how == QLatin1String("tab-space")) {
            // The keyboard reaches both buttons from the agreement.
            QTest::keyClick(focus, Qt::Key_Tab);
            QCOMPARE(p.focusWidget(), p.acceptButton());
            QTest::keyClick(p.focusWidget(), Qt::Key_Tab);
            QCOMPARE(p.focusWidget(), p.cancelButton());
            QTest::keyClick(p.focusWidget(), Qt::Key_Space);
        }
    });
    QCOMPARE(result, expected);
}

void TestEulaPrompt::enterDoesNotAcceptWhatCannotBeRead()
{
    EulaPrompt prompt;
    {
        zantest::Capture quiet; // the refusal is logged, not shown here
        prompt.loadAgreement(QStringLiteral("/nonexistent/License Agreement.rtf"));
    }

    const int result = runPrompt(prompt, [](EulaPrompt &p) {
        // Disabled: clicking it does nothing, and Enter goes to Cancel.
        QTest::mouseClick(p.acceptButton(), Qt::LeftButton);
        QVERIFY(p.isVisible());
        QTest::keyClick(p.focusWidget(), Qt::Key_Enter);
    });
    QCOMPARE(result, EulaPrompt::DeclineResult);
}

QTEST_MAIN(TestEulaPrompt)
#include "tst_eulaprompt.moc"
