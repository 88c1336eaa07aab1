// SPDX-License-Identifier: MIT
// What a person with a screen reader or only a keyboard meets in every panel,
// in every language: each control the keyboard reaches has an accessible
// name, each button a mnemonic (OK and the default button may rely on
// Enter), and no two mnemonics of one panel clash.
#include "EulaPrompt.h"
#include "MainWindow.h"
#include "TestSupport.h"
#include "Translations.h"
#include "ui_AskHTTPProxyCredential.h"
#include "ui_AskUserCredential.h"
#include "ui_SelectNodeGroupPanel.h"
#include "ui_SelectNodePanel.h"
#include "ui_SelectSessionPanel.h"
#include "ui_SelectSharedPanel.h"
#include "ui_SelectSuspendPanel.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMap>
#include <QTest>

#include <functional>
#include <memory>

namespace {

using Builder = std::function<std::unique_ptr<QDialog>()>;

template <typename Ui> Builder panel()
{
    return [] {
        auto dialog = std::make_unique<QDialog>();
        auto *ui = new Ui; // lives as long as the test needs its widgets
        ui->setupUi(dialog.get());
        QObject::connect(dialog.get(), &QObject::destroyed, [ui] { delete ui; });
        return dialog;
    };
}

QChar mnemonic(const QString &text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&'))
            continue;
        if (text.at(i + 1) == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return text.at(i + 1).toLower();
    }
    return QChar();
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { zantest::removeTranslators(); }

    void panels_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<Builder>("build");
        const QMap<QString, Builder> panels = {
            {"node group", panel<Ui::SelectNodeGroupPanel>()},
            {"node", panel<Ui::SelectNodePanel>()},
            {"session", panel<Ui::SelectSessionPanel>()},
            {"shared", panel<Ui::SelectSharedPanel>()},
            {"suspended", panel<Ui::SelectSuspendPanel>()},
            {"sign-in", panel<Ui::AskUserCredential>()},
            {"proxy sign-in", panel<Ui::AskHTTPProxyCredential>()},
            {"agreement",
             [] {
                 auto prompt = std::make_unique<zan::EulaPrompt>();
                 return std::unique_ptr<QDialog>(std::move(prompt));
             }},
            {"main window",
             [] {
                 return std::unique_ptr<QDialog>(std::make_unique<zan::MainWindow>(
                     QStringLiteral("1.0.0"), QStringLiteral("100")));
             }},
        };
        for (const char *locale : {"en_US", "de_DE", "ja_JP"})
            for (auto it = panels.constBegin(); it != panels.constEnd(); ++it)
                QTest::addRow("%s %s", qPrintable(it.key()), locale)
                    << QString::fromLatin1(locale) << it.value();
    }
    void panels()
    {
        QFETCH(QString, locale);
        QFETCH(Builder, build);
        zan::installTranslations(QLocale(locale));
        const std::unique_ptr<QDialog> dialog = build();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));

        QVERIFY2(!dialog->windowTitle().isEmpty(), "the window has no title");
        QMap<QChar, QString> mnemonics;
        const QList<QWidget *> widgets = dialog->findChildren<QWidget *>();
        int reachable = 0;
        for (QWidget *widget : widgets) {
            if (!widget->isVisibleTo(dialog.get()) || !(widget->focusPolicy() & Qt::TabFocus))
                continue;
            if (widget->focusProxy() || widget->inherits("QScrollBar"))
                continue;
            ++reachable;
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
            QVERIFY(accessible);
            const QByteArray what =
                widget->metaObject()->className() + QByteArray(" ") + widget->objectName().toUtf8();
            QVERIFY2(!accessible->text(QAccessible::Name).trimmed().isEmpty(), what.constData());
            if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
                const QChar key = mnemonic(button->text());
                const QString plain = QString(button->text()).remove(QLatin1Char('&'));
                const bool enterKey =
                    plain == QLatin1String("OK") ||
                    (button->inherits("QPushButton") && button->property("default").toBool());
                QVERIFY2(!key.isNull() || enterKey,
                         QByteArray(what + ": " + button->text().toUtf8()).constData());
                if (!key.isNull()) {
                    QVERIFY2(!mnemonics.contains(key),
                             qPrintable(QStringLiteral("%1 and %2 share &%3")
                                            .arg(mnemonics.value(key), button->text(), key)));
                    mnemonics.insert(key, button->text());
                }
            }
        }
        // Labels give their buddies mnemonics too.
        for (QLabel *label : dialog->findChildren<QLabel *>()) {
            const QChar key = mnemonic(label->text());
            if (key.isNull() || !label->buddy() || !label->isVisibleTo(dialog.get()))
                continue;
            QVERIFY2(!mnemonics.contains(key),
                     qPrintable(QStringLiteral("%1 and %2 share &%3")
                                    .arg(mnemonics.value(key), label->text(), key)));
            mnemonics.insert(key, label->text());
        }
        QVERIFY(reachable > 0);
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
