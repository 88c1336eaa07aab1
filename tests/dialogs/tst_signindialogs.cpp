// SPDX-License-Identifier: MIT
// The two sign-in dialogs as widgets: their state without a modal session
// first, then whole runs of the dispatcher driven from a timer, with the
// exit statuses, log lines and credential files they leave.
#include "AppDelegate.h"
#include "AskHTTPProxyCredentialController.h"
#include "AskUserCredentialController.h"
#include "ModalDriver.h"
#include "ProcessArguments.h"
#include "TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/prctl.h>
#include <sys/resource.h>

namespace {
using Drive = std::function<void(QDialog *)>;
using Controller = std::function<std::unique_ptr<zan::SignInController>()>;

template <class T> T *child(QObject *parent, const char *name)
{
    T *found = parent->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no %s in the panel", name);
    return found;
}

// Fills a line edit with real key presses, as a user does.
void type(QDialog *dialog, const char *field, const QString &text)
{
    auto *edit = child<QLineEdit>(dialog, field);
    edit->setFocus();
    edit->selectAll();
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() < 0x7f;
    // QTest types ASCII only; anything else goes in as an input method would.
    if (ascii)
        QTest::keyClicks(edit, text);
    else
        edit->insert(text);
}

// Clicks a radio button or check box on its indicator: a click on the blank
// part of a wide button does not count.
void clickButton(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

// The next widget the Tab key reaches.
QWidget *nextTabStop(QWidget *widget)
{
    QWidget *next = widget->nextInFocusChain();
    while (next != widget && !(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    return next;
}

// Runs the dispatcher with the arguments; drive acts on the dialog once its
// modal session runs.
void runDispatcher(const QStringList &arguments, const Drive &drive)
{
    zan::setProcessArguments(arguments);
    zantest::ModalDriver driver(
        [&drive](QWidget *modal) { drive(qobject_cast<QDialog *>(modal)); });
    zan::AppDelegate delegate;
    delegate.applicationDidFinishLaunching();
    QVERIFY2(driver.answered(), "the dialog never ran modal");
    QVERIFY2(!driver.timedOut(), "the safety timer had to end the dialog");
}

} // namespace

Q_DECLARE_METATYPE(Drive)
Q_DECLARE_METATYPE(Controller)

class TestSignInDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void serverPanelOpens();
    void proxyPanelOpens();
    void offeredNameReachesTheField();
    void changeState_data();
    void changeState();
    void everyModeChangeResetsCheckBox_data();
    void everyModeChangeResetsCheckBox();
    void foreignSenderChangesNothing();
    void fieldsKeepTextAcrossModes();
    void alertOrderInModeZero();
    void apiKeyAlert();
    void abandonedModeTextIgnored();
    void okWithoutModeSetsNothing();
    void okClearsSecretFields();
    void proxyAlertOrder();
    void alertLeavesKeyboardInMissingField_data();
    void alertLeavesKeyboardInMissingField();
    void passwordHasNoCopyOut();
    void alertBoxHasOneOkButton();

    void signInWritesCredential_data();
    void signInWritesCredential();
    void signInEndedWithoutEntry_data();
    void signInEndedWithoutEntry();
    void writeFailure_data();
    void writeFailure();

private:
    QStringList m_alerts;
    zan::SignInController::AlertPresenter m_previousPresenter;
};

void TestSignInDialogs::initTestCase()
{
    QApplication::setEffectEnabled(Qt::UI_General, false);
}

void TestSignInDialogs::init()
{
    m_alerts.clear();
    m_previousPresenter = zan::SignInController::setAlertPresenter(
        [this](QWidget *, const QString &text) { m_alerts.append(text); });
    zan::setProcessArguments({QStringLiteral("ZANSelectNode")});
}

void TestSignInDialogs::cleanup()
{
    zan::SignInController::setAlertPresenter(std::move(m_previousPresenter));
    const QWidgetList left = zantest::leftTopLevelWidgets();
    QVERIFY2(left.isEmpty(),
             qPrintable(QStringLiteral("%1 top-level widget(s) left behind").arg(left.size())));
}

void TestSignInDialogs::serverPanelOpens()
{
    zan::AskUserCredentialController controller;
    QDialog *dialog = controller.window();
    QCOMPARE(controller.window(), dialog);
    QCOMPARE(dialog->objectName(), QStringLiteral("AskUserCredential"));
    QVERIFY(child<QRadioButton>(dialog, "radioBasicAuth")->isChecked());
    auto *group = child<QButtonGroup>(dialog, "groupAuthMode");
    QVERIFY(group->exclusive());
    QCOMPARE(group->buttons().size(), 3);
    QVERIFY(child<QLineEdit>(dialog, "tfUsername")->isEnabled());
    QVERIFY(!child<QLineEdit>(dialog, "tfApiKey")->isEnabled());
    QVERIFY(!child<QCheckBox>(dialog, "checkNoAuthFirst")->isEnabled());
    QCOMPARE(dialog->focusWidget(), child<QLineEdit>(dialog, "tfUsername"));
    QCOMPARE(child<QLineEdit>(dialog, "tfPassword")->echoMode(), QLineEdit::Password);
    QVERIFY(child<QPushButton>(dialog, "btnOK")->isDefault());
    QVERIFY(!child<QPushButton>(dialog, "btnCancel")->isDefault());
    QVERIFY(!child<QLabel>(dialog, "imgZANHdr")->pixmap().isNull());
    // The keyboard goes user name, password, then the mode choice.
    QWidget *first = child<QLineEdit>(dialog, "tfUsername");
    QCOMPARE(nextTabStop(first), child<QLineEdit>(dialog, "tfPassword"));
    QCOMPARE(nextTabStop(nextTabStop(first)), child<QRadioButton>(dialog, "radioBasicAuth"));
    QVERIFY(!controller.btnClicked());
    // No core file can catch the password typed into the panel.
    struct rlimit core {};
    QCOMPARE(::getrlimit(RLIMIT_CORE, &core), 0);
    QCOMPARE(core.rlim_cur, rlim_t(0));
    QCOMPARE(::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0), 0);
    QCOMPARE(controller.strUserCredential(), QString());
    QCOMPARE(controller.strApiCredential(), QString());
    QCOMPARE(controller.strKerberosCredential(), QString());
}

void TestSignInDialogs::proxyPanelOpens()
{
    zan::AskHTTPProxyCredentialController controller;
    QDialog *dialog = controller.window();
    QCOMPARE(dialog->objectName(), QStringLiteral("AskHTTPProxyCredential"));
    QCOMPARE(dialog->focusWidget(), child<QLineEdit>(dialog, "tfUsername"));
    QCOMPARE(nextTabStop(child<QLineEdit>(dialog, "tfUsername")),
             child<QLineEdit>(dialog, "tfPassword"));
    QCOMPARE(nextTabStop(child<QLineEdit>(dialog, "tfPassword")),
             child<QPushButton>(dialog, "btnOK"));
    QCOMPARE(child<QLineEdit>(dialog, "tfPassword")->echoMode(), QLineEdit::Password);
    QVERIFY(child<QPushButton>(dialog, "btnOK")->isDefault());
    QCOMPARE(controller.strHTTPProxyCredential(), QString());
}

void TestSignInDialogs::offeredNameReachesTheField()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("cred");
    QVERIFY(zantest::writeBytes(path, "alice\n"));
    zan::setProcessArguments({"prog", "-Auth", path});
    {
        zan::AskUserCredentialController server;
        QCOMPARE(child<QLineEdit>(server.window(), "tfUsername")->text(), QStringLiteral("alice"));
    }
    // The proxy dialog looks for its own option only.
    zan::setProcessArguments({"prog", "-Auth", path, "-ProxyAuth", dir.filePath("none")});
    zan::AskHTTPProxyCredentialController proxy;
    QCOMPARE(child<QLineEdit>(proxy.window(), "tfUsername")->text(), QString());
}

void TestSignInDialogs::changeState_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("userFields");
    QTest::addColumn<bool>("apiKey");
    QTest::addColumn<bool>("checkBox");
    QTest::newRow("user name and password") << 0 << true << false << false;
    QTest::newRow("API key") << 1 << false << true << false;
    QTest::newRow("Kerberos") << 2 << false << false << true;
}

void TestSignInDialogs::changeState()
{
    QFETCH(int, mode);
    QFETCH(bool, userFields);
    QFETCH(bool, apiKey);
    QFETCH(bool, checkBox);
    zan::AskUserCredentialController controller;
    QDialog *dialog = controller.window();
    child<QCheckBox>(dialog, "checkNoAuthFirst")->setChecked(true);
    controller.changeState(mode);
    for (const char *name : {"tfUsername", "tfPassword", "lblUsername", "lblPassword"})
        QCOMPARE(child<QWidget>(dialog, name)->isEnabled(), userFields);
    for (const char *name : {"tfApiKey", "lblApiKey"})
        QCOMPARE(child<QWidget>(dialog, name)->isEnabled(), apiKey);
    QCOMPARE(child<QCheckBox>(dialog, "checkNoAuthFirst")->isEnabled(), checkBox);
    QVERIFY(!child<QCheckBox>(dialog, "checkNoAuthFirst")->isChecked());
}

void TestSignInDialogs::everyModeChangeResetsCheckBox_data()
{
    QTest::addColumn<QString>("radio");
    QTest::addColumn<bool>("kerberosEnabled");
    QTest::newRow("Kerberos clicked again") << "radioKerberos" << true;
    QTest::newRow("to API key") << "radioApiKey" << false;
    QTest::newRow("to user name and password") << "radioBasicAuth" << false;
}

void TestSignInDialogs::everyModeChangeResetsCheckBox()
{
    QFETCH(QString, radio);
    QFETCH(bool, kerberosEnabled);
    zan::AskUserCredentialController controller;
    QDialog *dialog = controller.window();
    auto *kerberos = child<QRadioButton>(dialog, "radioKerberos");
    auto *check = child<QCheckBox>(dialog, "checkNoAuthFirst");
    clickButton(kerberos);
    QVERIFY(check->isEnabled());
    clickButton(check);
    QVERIFY(check->isChecked());
    clickButton(child<QRadioButton>(dialog, radio.toLatin1().constData()));
    QVERIFY(!check->isChecked());
    QCOMPARE(check->isEnabled(), kerberosEnabled);
}

void TestSignInDialogs::foreignSenderChangesNothing()
{
    zan::AskUserCredentialController controller;
    QDialog *dialog = controller.window();
    controller.changeState(2);
    child<QCheckBox>(dialog, "checkNoAuthFirst")->setChecked(true);
    controller.radioClick(child<QPushButton>(dialog, "btnOK"));
    controller.radioClick(nullptr);
    QVERIFY(child<QCheckBox>(dialog, "checkNoAuthFirst")->isChecked());
    QVERIFY(!child<QLineEdit>(dialog, "tfUsername")->isEnabled());
}

void TestSignInDialogs::fieldsKeepTextAcrossModes()
{
    zan::AskUserCredentialController controller;
    QDialog *dialog = controller.window();
    type(dialog, "tfUsername", "alice");
    clickButton(child<QRadioButton>(dialog, "radioApiKey"));
    type(dialog, "tfApiKey", "KEY");
    clickButton(child<QRadioButton>(dialog, "radioBasicAuth"));
    QCOMPARE(child<QLineEdit>(dialog, "tfUsername")->text(), QStringLiteral("alice"));
    QCOMPARE(child<QLineEdit>(dialog, "tfApiKey")->text(), QStringLiteral("KEY"));
}

void TestSignInDialogs::alertOrderInModeZero()
{
    zan::AskUserCredentialController controller;
    QDialog *dialog = controller.window();
    controller.onOK();
    QCOMPARE(m_alerts, QStringList{qtTrId("MESGInfoProvideZANUser")});
    type(dialog, "tfUsername", "alice");
    type(dialog, "tfPassword", "   ");
    controller.onOK();
    QCOMPARE(m_alerts,
             (QStringList{qtTrId("MESGInfoProvideZANUser"), qtTrId("MESGInfoProvideZANPassword")}));
    // Each alert leaves the dialog waiting, with nothing set.
    QVERIFY(!controller.btnClicked());
    QCOMPARE(controller.strUserCredential(), QString());
    QCOMPARE(child<QLineEdit>(dialog, "tfPassword")->text(), QStringLiteral("   "));
}

void TestSignInDialogs::apiKeyAlert()
{
    zan::AskUserCredentialController controller;
    QDialog *dialog = controller.window();
    clickButton(child<QRadioButton>(dialog, "radioApiKey"));
    type(dialog, "tfApiKey", "   ");
    controller.onOK();
    QCOMPARE(m_alerts, QStringList{qtTrId("MESGInfoProvideZANApiKey")});
    QCOMPARE(controller.strApiCredential(), QString());
    QVERIFY(!controller.btnClicked());
}

void TestSignInDialogs::abandonedModeTextIgnored()
{
    zan::AskUserCredentialController controller;
    QDialog *dialog = controller.window();
    clickButton(child<QRadioButton>(dialog, "radioApiKey"));
    type(dialog, "tfApiKey", "KEY");
    clickButton(child<QRadioButton>(dialog, "radioBasicAuth"));
    type(dialog, "tfUsername", " alice ");
    type(dialog, "tfPassword", "pw");
    controller.onOK();
    QVERIFY(m_alerts.isEmpty());
    QCOMPARE(controller.strUserCredential(), QStringLiteral("alice:pw"));
    QCOMPARE(controller.strApiCredential(), QString());
    QCOMPARE(controller.strKerberosCredential(), QString());
    QCOMPARE(dialog->result(), 1);
}

void TestSignInDialogs::okWithoutModeSetsNothing()
{
    zan::AskUserCredentialController controller;
    QDialog *dialog = controller.window();
    type(dialog, "tfUsername", "alice");
    auto *group = child<QButtonGroup>(dialog, "groupAuthMode");
    group->setExclusive(false);
    for (QAbstractButton *radio : group->buttons())
        radio->setChecked(false);
    controller.onOK();
    QVERIFY(m_alerts.isEmpty());
    QVERIFY(controller.btnClicked());
    QCOMPARE(dialog->result(), 1);
    QCOMPARE(controller.strUserCredential(), QString());
    QCOMPARE(controller.strApiCredential(), QString());
    QCOMPARE(controller.strKerberosCredential(), QString());
}

void TestSignInDialogs::okClearsSecretFields()
{
    zan::AskUserCredentialController controller;
    QDialog *dialog = controller.window();
    type(dialog, "tfUsername", "alice");
    type(dialog, "tfPassword", "s3cret");
    auto *password = child<QLineEdit>(dialog, "tfPassword");
    QVERIFY(password->isUndoAvailable());
    controller.onOK();
    QCOMPARE(controller.strUserCredential(), QStringLiteral("alice:s3cret"));
    QCOMPARE(password->text(), QString());
    // The undo history held the typed characters.
    QVERIFY(!password->isUndoAvailable());
    QCOMPARE(child<QLineEdit>(dialog, "tfUsername")->text(), QStringLiteral("alice"));

    // The dispatcher has the controller overwrite its copy once written.
    controller.wipeCredentials();
    QCOMPARE(controller.strUserCredential(), QString());
}

void TestSignInDialogs::proxyAlertOrder()
{
    zan::AskHTTPProxyCredentialController controller;
    QDialog *dialog = controller.window();
    controller.onOK();
    type(dialog, "tfUsername", "proxyuser");
    controller.onOK();
    QCOMPARE(m_alerts,
             (QStringList{qtTrId("MESGInfoProvideUser"), qtTrId("MESGInfoProvidePassword")}));
    QVERIFY(!controller.btnClicked());
    type(dialog, "tfPassword", " pw ");
    controller.onOK();
    QCOMPARE(m_alerts.size(), 2);
    QCOMPARE(controller.strHTTPProxyCredential(), QStringLiteral("proxyuser:pw"));
    QCOMPARE(child<QLineEdit>(dialog, "tfPassword")->text(), QString());
    QCOMPARE(dialog->result(), 1);
}

void TestSignInDialogs::alertLeavesKeyboardInMissingField_data()
{
    QTest::addColumn<Controller>("make");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("filled");
    QTest::addColumn<QString>("missing");
    const Controller server = [] { return std::make_unique<zan::AskUserCredentialController>(); };
    const Controller proxy = [] {
        return std::make_unique<zan::AskHTTPProxyCredentialController>();
    };
    QTest::newRow("server: user name") << server << "radioBasicAuth"
                                       << "tfPassword"
                                       << "tfUsername";
    QTest::newRow("server: password") << server << "radioBasicAuth"
                                      << "tfUsername"
                                      << "tfPassword";
    QTest::newRow("server: API key") << server << "radioApiKey"
                                     << "tfUsername"
                                     << "tfApiKey";
    QTest::newRow("proxy: user name") << proxy << QString() << "tfPassword"
                                      << "tfUsername";
    QTest::newRow("proxy: password") << proxy << QString() << "tfUsername"
                                     << "tfPassword";
}

// The user goes on typing where the entry is missing, wherever the keyboard
// was when OK was pressed.
void TestSignInDialogs::alertLeavesKeyboardInMissingField()
{
    QFETCH(Controller, make);
    QFETCH(QString, mode);
    QFETCH(QString, filled);
    QFETCH(QString, missing);
    const std::unique_ptr<zan::SignInController> controller = make();
    QDialog *dialog = controller->window();
    if (!mode.isEmpty())
        clickButton(child<QRadioButton>(dialog, qPrintable(mode)));
    type(dialog, qPrintable(filled), "filled");
    auto *ok = child<QPushButton>(dialog, "btnOK");
    ok->setFocus();
    QCOMPARE(dialog->focusWidget(), ok);
    ok->click();
    QCOMPARE(m_alerts.size(), 1);
    QCOMPARE(dialog->focusWidget(), child<QLineEdit>(dialog, qPrintable(missing)));
    QVERIFY(!controller->btnClicked());
}

void TestSignInDialogs::passwordHasNoCopyOut()
{
    zan::AskHTTPProxyCredentialController controller;
    QDialog *dialog = controller.window();
    auto *password = child<QLineEdit>(dialog, "tfPassword");
    type(dialog, "tfPassword", "s3cret");
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("before"));
    password->selectAll();
    QTest::keySequence(password, QKeySequence::Copy);
    QCOMPARE(clipboard->text(), QStringLiteral("before"));
    password->selectAll();
    QTest::keySequence(password, QKeySequence::Cut);
    QCOMPARE(clipboard->text(), QStringLiteral("before"));
    QVERIFY(!password->dragEnabled());
    QCOMPARE(password->contextMenuPolicy(), Qt::CustomContextMenu);

    type(dialog, "tfPassword", "s3cret");
    password->selectAll();
    std::unique_ptr<QMenu> menu(zan::passwordContextMenu(password));
    QStringList names;
    for (const QAction *action : menu->actions())
        names.append(action->objectName());
    QVERIFY2(!names.contains("edit-copy") && !names.contains("edit-cut"),
             qPrintable(names.join(',')));
    // Pasting in stays possible.
    QVERIFY2(names.contains("edit-paste"), qPrintable(names.join(',')));
}

void TestSignInDialogs::alertBoxHasOneOkButton()
{
    zan::SignInController::setAlertPresenter({});
    zan::AskUserCredentialController controller;
    controller.window();
    QString text;
    int buttons = 0;
    QString buttonText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    Qt::WindowModality modality = Qt::NonModal;
    zantest::ModalDriver driver([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box)
            return;
        text = box->text();
        buttons = box->buttons().size();
        buttonText = box->buttons().value(0) ? box->buttons().value(0)->text() : QString();
        icon = box->icon();
        title = box->windowTitle();
        modality = box->windowModality();
        QTest::keyClick(box, Qt::Key_Return);
    });
    controller.onOK();
    QCOMPARE(text, qtTrId("MESGInfoProvideZANUser"));
    QCOMPARE(buttons, 1);
    QCOMPARE(buttonText, qtTrId("LBLOK"));
    QCOMPARE(icon, QMessageBox::Warning);
    QCOMPARE(title, qtTrId("LBLWarning"));
    QCOMPARE(modality, Qt::ApplicationModal);
    QVERIFY(!controller.btnClicked());
}

void TestSignInDialogs::signInWritesCredential_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<Drive>("drive");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("server, user name and password, Enter") << "-Auth" << Drive([](QDialog *d) {
        type(d, "tfUsername", "alice");
        type(d, "tfPassword", "s3cret");
        QTest::keyClick(child<QLineEdit>(d, "tfPassword"), Qt::Key_Return);
    }) << QByteArray("YWxpY2U6czNjcmV0");
    QTest::newRow("server, spaces trimmed, OK clicked") << "-Auth" << Drive([](QDialog *d) {
        type(d, "tfUsername", "  j\u00fcrgen ");
        type(d, "tfPassword", " \u20ac  ");
        QTest::mouseClick(child<QPushButton>(d, "btnOK"), Qt::LeftButton);
    }) << QByteArray("asO8cmdlbjrigqw=");
    QTest::newRow("server, API key, plain") << "-Auth" << Drive([](QDialog *d) {
        clickButton(child<QRadioButton>(d, "radioApiKey"));
        type(d, "tfApiKey", " K-123 ");
        QTest::keyClick(child<QLineEdit>(d, "tfApiKey"), Qt::Key_Return);
    }) << QByteArray("-keyauth K-123");
    QTest::newRow("server, Kerberos without authentication first")
        << "-Auth" << Drive([](QDialog *d) {
               clickButton(child<QRadioButton>(d, "radioKerberos"));
               clickButton(child<QCheckBox>(d, "checkNoAuthFirst"));
               QTest::mouseClick(child<QPushButton>(d, "btnOK"), Qt::LeftButton);
           })
        << QByteArray("-k -na");
    // What a screen reader's Toggle action does: no click, the mode follows.
    QTest::newRow("server, Kerberos checked without a click") << "-Auth" << Drive([](QDialog *d) {
        child<QRadioButton>(d, "radioKerberos")->setChecked(true);
        clickButton(child<QCheckBox>(d, "checkNoAuthFirst"));
        QTest::mouseClick(child<QPushButton>(d, "btnOK"), Qt::LeftButton);
    }) << QByteArray("-k -na");
    QTest::newRow("server, Kerberos") << "-Auth" << Drive([](QDialog *d) {
        clickButton(child<QRadioButton>(d, "radioKerberos"));
        QTest::mouseClick(child<QPushButton>(d, "btnOK"), Qt::LeftButton);
    }) << QByteArray("-k");
    QTest::newRow("proxy, Enter") << "-ProxyAuth" << Drive([](QDialog *d) {
        type(d, "tfUsername", "proxyuser");
        type(d, "tfPassword", "pw:with:colons");
        QTest::keyClick(child<QLineEdit>(d, "tfPassword"), Qt::Key_Return);
    }) << QByteArray("cHJveHl1c2VyOnB3OndpdGg6Y29sb25z");
    QTest::newRow("server, confirmed with no mode: nothing written")
        << "-Auth" << Drive([](QDialog *d) {
               auto *group = child<QButtonGroup>(d, "groupAuthMode");
               group->setExclusive(false);
               for (QAbstractButton *radio : group->buttons())
                   radio->setChecked(false);
               QTest::mouseClick(child<QPushButton>(d, "btnOK"), Qt::LeftButton);
           })
        << QByteArray("alice:old");
}

void TestSignInDialogs::signInWritesCredential()
{
    QFETCH(QString, option);
    QFETCH(Drive, drive);
    QFETCH(QByteArray, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath("my cred");
    QVERIFY(zantest::writeBytes(path, "alice:old"));
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0644) == 0);
    zantest::Capture capture;
    runDispatcher({"ZANSelectNode", option, path}, drive);
    QCOMPARE(capture.exitStatus(), 0);
    QCOMPARE(zantest::readBytes(path), expected);
    if (expected != "alice:old")
        QCOMPARE(zantest::permissionBits(path), mode_t(0600));
    QVERIFY(capture.log.isEmpty());
    QVERIFY(m_alerts.isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"my cred"});
}

void TestSignInDialogs::signInEndedWithoutEntry_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<Drive>("drive");
    const Drive escape = [](QDialog *d) {
        type(d, "tfUsername", "bob");
        type(d, "tfPassword", "pw");
        QTest::keyClick(child<QLineEdit>(d, "tfPassword"), Qt::Key_Escape);
    };
    const Drive cancel = [](QDialog *d) {
        type(d, "tfUsername", "bob");
        type(d, "tfPassword", "pw");
        QTest::mouseClick(child<QPushButton>(d, "btnCancel"), Qt::LeftButton);
    };
    const Drive close = [](QDialog *d) {
        type(d, "tfUsername", "bob");
        type(d, "tfPassword", "pw");
        d->close();
    };
    for (const char *option : {"-Auth", "-ProxyAuth"}) {
        QTest::addRow("%s, Escape", option) << option << escape;
        QTest::addRow("%s, Cancel", option) << option << cancel;
        QTest::addRow("%s, window closed", option) << option << close;
    }
}

void TestSignInDialogs::signInEndedWithoutEntry()
{
    QFETCH(QString, option);
    QFETCH(Drive, drive);
    QTemporaryDir dir;
    const QString path = dir.filePath("cred");
    QVERIFY(zantest::writeBytes(path, "alice:old"));
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0644) == 0);
    zantest::Capture capture;
    runDispatcher({"ZANSelectNode", option, path}, drive);
    QCOMPARE(capture.exitStatus(), 1);
    QCOMPARE(zantest::readBytes(path), QByteArray("alice:old"));
    QCOMPARE(zantest::permissionBits(path), mode_t(0644));
    QVERIFY(capture.log.isEmpty());
}

void TestSignInDialogs::writeFailure_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("firstLine");
    QTest::newRow("server") << "-Auth"
                            << "Failed  to write RUZ Ereduz auth data back to zanlauncher\n";
    QTest::newRow("proxy") << "-ProxyAuth"
                           << "Failed  to write proxy auth data back to zanlauncher\n";
}

void TestSignInDialogs::writeFailure()
{
    QFETCH(QString, option);
    QFETCH(QString, firstLine);
    QTemporaryDir dir;
    const QString path = dir.filePath("cred");
    QVERIFY(zantest::writeBytes(path, "alice:old"));
    zantest::Capture capture;
    {
        // Four bytes: less than any credential's Base64 form.
        zantest::FileSizeLimit limit(4);
        runDispatcher({"ZANSelectNode", option, path}, [](QDialog *d) {
            type(d, "tfUsername", "alice");
            type(d, "tfPassword", "s3cret");
            QTest::keyClick(child<QLineEdit>(d, "tfPassword"), Qt::Key_Return);
        });
    }
    QCOMPARE(capture.exitStatus(), 255);
    QCOMPARE(capture.log.size(), 2);
    QCOMPARE(capture.log.at(0), firstLine);
    QVERIFY2(capture.log.at(1).contains(path), qPrintable(capture.log.at(1)));
    QVERIFY(!capture.log.join(QString()).contains("s3cret"));
    QCOMPARE(zantest::readBytes(path), QByteArray("alice:old"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"cred"});
}

QTEST_MAIN(TestSignInDialogs)
#include "tst_signindialogs.moc"
