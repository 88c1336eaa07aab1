// SPDX-License-Identifier: MIT
// The sign-in rules without widgets: the offered user name, trimming, the
// modes and the credential strings with the bytes the dispatcher stores.
#include "CredentialFile.h"
#include "SignInRules.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/prctl.h>
#include <sys/resource.h>

using zan::AuthMode;
using zan::CredentialKind;
using zan::MissingEntry;
using namespace Qt::StringLiterals;
using OptionalText = std::optional<QString>;
using OptionalMode = std::optional<zan::AuthMode>;

Q_DECLARE_METATYPE(OptionalText)
Q_DECLARE_METATYPE(OptionalMode)
Q_DECLARE_METATYPE(zan::MissingEntry)
Q_DECLARE_METATYPE(zan::CredentialKind)

class TestSignInRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void offeredUserName_data();
    void offeredUserName();
    void offerFromArguments_data();
    void offerFromArguments();
    void trimmedEntry_data();
    void trimmedEntry();
    void controlsForMode_data();
    void controlsForMode();
    void checkedModeOrder();
    void serverConfirmation_data();
    void serverConfirmation();
    void proxyConfirmation_data();
    void proxyConfirmation();
    void storedBytes_data();
    void storedBytes();
    void coreDumpsForbidden();
};

void TestSignInRules::offeredUserName_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<OptionalText>("expected");
    const auto text = [](const char *s) { return OptionalText(QString::fromUtf8(s)); };
    QTest::newRow("name and password") << QByteArray("alice:secret") << text("alice");
    QTest::newRow("no colon") << QByteArray("alice") << text("alice");
    QTest::newRow("no colon, trailing LF ends the name") << QByteArray("alice\n") << text("alice");
    QTest::newRow("no colon, trailing CR LF") << QByteArray("alice\r\n") << text("alice");
    QTest::newRow("lone CR") << QByteArray("alice\rbob") << text("alice");
    QTest::newRow("line break before the colon") << QByteArray("alice\nx:y") << text("alice");
    QTest::newRow("colon before the line break") << QByteArray("alice:pw\n") << text("alice");
    QTest::newRow("leading colon empties the name") << QByteArray(":secret") << text("");
    QTest::newRow("leading line break") << QByteArray("\nalice") << text("");
    QTest::newRow("empty file") << QByteArray() << text("");
    QTest::newRow("spaces kept, untrimmed") << QByteArray(" bob smith :x") << text(" bob smith ");
    QTest::newRow("NUL ends the text") << QByteArray("al\0ice:x", 8) << text("al");
    QTest::newRow("invalid bytes after NUL ignored")
        << QByteArray("carol\0\xff\xfe", 8) << text("carol");
    QTest::newRow("UTF-8 name") << QByteArray("j\xc3\xbcrgen:p") << text("j\xc3\xbcrgen");
    QTest::newRow("invalid UTF-8") << QByteArray("al\xff:x") << OptionalText();
    QTest::newRow("truncated sequence") << QByteArray("ali\xc3") << OptionalText();
    QTest::newRow("overlong encoding") << QByteArray("\xc0\xaf") << OptionalText();
}

void TestSignInRules::offeredUserName()
{
    QFETCH(QByteArray, content);
    QFETCH(OptionalText, expected);
    QCOMPARE(zan::offeredUserName(content), expected);
}

void TestSignInRules::offerFromArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("option");
    QTest::addColumn<OptionalText>("expected");
    // "@" stands for the path of a file holding "alice:pw", "#" for a missing
    // file, "%" for a folder.
    QTest::newRow("server") << QStringList{"prog", "-Auth", "@"} << "-Auth"
                            << OptionalText("alice");
    QTest::newRow("proxy") << QStringList{"prog", "-ProxyAuth", "@"} << "-ProxyAuth"
                           << OptionalText("alice");
    QTest::newRow("option in capitals, quoted and padded")
        << QStringList{"prog", " \"-AUTH\"\t", "@"} << "-Auth" << OptionalText("alice");
    QTest::newRow("quotes removed from the path")
        << QStringList{"prog", "-Auth", "\"@\""} << "-Auth" << OptionalText("alice");
    QTest::newRow("option last") << QStringList{"prog", "-Auth"} << "-Auth" << OptionalText();
    QTest::newRow("no option") << QStringList{"prog", "@"} << "-Auth" << OptionalText();
    QTest::newRow("the other dialog's option")
        << QStringList{"prog", "-Auth", "@"} << "-ProxyAuth" << OptionalText();
    QTest::newRow("missing file") << QStringList{"prog", "-Auth", "#"} << "-Auth" << OptionalText();
    QTest::newRow("folder") << QStringList{"prog", "-Auth", "%"} << "-Auth" << OptionalText();
    QTest::newRow("first occurrence decides")
        << QStringList{"prog", "-Auth", "#", "-Auth", "@"} << "-Auth" << OptionalText();
    QTest::newRow("prefix is no match")
        << QStringList{"prog", "-AuthX", "@"} << "-Auth" << OptionalText();
}

void TestSignInRules::offerFromArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, option);
    QFETCH(OptionalText, expected);
    QTemporaryDir dir;
    QVERIFY(zantest::writeBytes(dir.filePath("cred"), "alice:pw"));
    QByteArrayList raw;
    for (QString &argument : arguments) {
        argument.replace('@', dir.filePath("cred"));
        argument.replace('#', dir.filePath("missing"));
        argument.replace('%', dir.path());
        raw.append(zantest::native(argument));
    }
    QCOMPARE(zan::offeredUserNameFromArguments(raw, QLatin1String(option.toLatin1())), expected);
}

void TestSignInRules::trimmedEntry_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("spaces") << "  alice  "
                            << "alice";
    QTest::newRow("tabs") << "\talice\t"
                          << "alice";
    QTest::newRow("no-break and ideographic spaces") << u"\u00a0alice\u3000"_s << "alice";
    QTest::newRow("inner spaces stay") << " al ice "
                                       << "al ice";
    QTest::newRow("line breaks stay") << "alice\n"
                                      << "alice\n";
    QTest::newRow("only spaces") << " \t "
                                 << "";
    QTest::newRow("colon stays") << " a:b "
                                 << "a:b";
}

void TestSignInRules::trimmedEntry()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(zan::trimmedEntry(text).toString(), expected);
}

void TestSignInRules::controlsForMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("userFields");
    QTest::addColumn<bool>("apiKeyField");
    QTest::addColumn<bool>("noAuthFirstCheck");
    QTest::newRow("user name and password") << 0 << true << false << false;
    QTest::newRow("API key") << 1 << false << true << false;
    QTest::newRow("Kerberos") << 2 << false << false << true;
    QTest::newRow("unknown mode enables nothing") << 3 << false << false << false;
    QTest::newRow("negative mode") << -1 << false << false << false;
}

void TestSignInRules::controlsForMode()
{
    QFETCH(int, mode);
    const zan::ModeControls controls = zan::controlsForMode(mode);
    QTEST(controls.userFields, "userFields");
    QTEST(controls.apiKeyField, "apiKeyField");
    QTEST(controls.noAuthFirstCheck, "noAuthFirstCheck");
}

void TestSignInRules::checkedModeOrder()
{
    QCOMPARE(zan::checkedMode(true, true, true), OptionalMode(AuthMode::Basic));
    QCOMPARE(zan::checkedMode(false, true, true), OptionalMode(AuthMode::ApiKey));
    QCOMPARE(zan::checkedMode(false, false, true), OptionalMode(AuthMode::Kerberos));
    QCOMPARE(zan::checkedMode(false, false, false), OptionalMode());
}

void TestSignInRules::serverConfirmation_data()
{
    QTest::addColumn<OptionalMode>("mode");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("apiKey");
    QTest::addColumn<bool>("noAuthFirst");
    QTest::addColumn<MissingEntry>("missing");
    QTest::addColumn<CredentialKind>("kind");
    QTest::addColumn<QString>("credential");
    const OptionalMode basic = AuthMode::Basic;
    const OptionalMode api = AuthMode::ApiKey;
    const OptionalMode kerberos = AuthMode::Kerberos;

    QTest::newRow("user and password")
        << basic << "alice"
        << "s3cret"
        << "" << false << MissingEntry::None << CredentialKind::User << "alice:s3cret";
    QTest::newRow("spaces dropped from both")
        << basic << "  alice\t"
        << " s3 cret  "
        << "" << false << MissingEntry::None << CredentialKind::User << "alice:s3 cret";
    QTest::newRow("user name holding a colon kept")
        << basic << "dom:alice"
        << "pw"
        << "" << false << MissingEntry::None << CredentialKind::User << "dom:alice:pw";
    QTest::newRow("both empty: only the user name is asked for")
        << basic << ""
        << ""
        << "" << false << MissingEntry::ZanUser << CredentialKind::None << "";
    QTest::newRow("user name of spaces is missing")
        << basic << "   "
        << "pw"
        << "" << false << MissingEntry::ZanUser << CredentialKind::None << "";
    QTest::newRow("password missing")
        << basic << "alice"
        << ""
        << "" << false << MissingEntry::ZanPassword << CredentialKind::None << "";
    QTest::newRow("password of spaces is missing")
        << basic << "alice"
        << "   "
        << "" << false << MissingEntry::ZanPassword << CredentialKind::None << "";
    QTest::newRow("a line break is no white space")
        << basic << "alice\n"
        << "pw"
        << "" << false << MissingEntry::None << CredentialKind::User << "alice\n:pw";
    QTest::newRow("abandoned API key ignored")
        << basic << "alice"
        << "pw"
        << "KEY" << true << MissingEntry::None << CredentialKind::User << "alice:pw";
    QTest::newRow("API key") << api << ""
                             << ""
                             << " K-123 " << false << MissingEntry::None << CredentialKind::Api
                             << "-keyauth K-123";
    QTest::newRow("API key missing")
        << api << "alice"
        << "pw"
        << " \t" << false << MissingEntry::ZanApiKey << CredentialKind::None << "";
    QTest::newRow("Kerberos, check box on")
        << kerberos << ""
        << ""
        << "" << true << MissingEntry::None << CredentialKind::Kerberos << "-k -na";
    QTest::newRow("Kerberos, check box off")
        << kerberos << "alice"
        << ""
        << "KEY" << false << MissingEntry::None << CredentialKind::Kerberos << "-k";
    QTest::newRow("no mode: nothing, and no alert")
        << OptionalMode() << ""
        << ""
        << "" << true << MissingEntry::None << CredentialKind::None << "";
}

void TestSignInRules::serverConfirmation()
{
    QFETCH(OptionalMode, mode);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, apiKey);
    QFETCH(bool, noAuthFirst);
    const zan::Confirmation result =
        zan::confirmServerSignIn(mode, user, password, apiKey, noAuthFirst);
    QTEST(result.missing, "missing");
    QTEST(result.kind, "kind");
    QTEST(result.credential, "credential");
}

void TestSignInRules::proxyConfirmation_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<MissingEntry>("missing");
    QTest::addColumn<QString>("credential");
    QTest::newRow("user and password") << " proxy "
                                       << "\tpw " << MissingEntry::None << "proxy:pw";
    QTest::newRow("both empty") << ""
                                << "" << MissingEntry::ProxyUser << "";
    QTest::newRow("password of spaces") << "proxy"
                                        << "  " << MissingEntry::ProxyPassword << "";
    QTest::newRow("password empty, name of spaces") << " "
                                                    << "" << MissingEntry::ProxyUser << "";
}

void TestSignInRules::proxyConfirmation()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    const zan::Confirmation result = zan::confirmProxySignIn(user, password);
    QTEST(result.missing, "missing");
    QTEST(result.credential, "credential");
    QCOMPARE(result.kind,
             result.credential.isEmpty() ? CredentialKind::None : CredentialKind::Proxy);
}

void TestSignInRules::storedBytes_data()
{
    QTest::addColumn<QString>("credential");
    QTest::addColumn<bool>("base64");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("user form") << zan::userCredential(u"alice", u"s3cret") << true
                               << QByteArray("YWxpY2U6czNjcmV0");
    QTest::newRow("two padding characters")
        << zan::userCredential(u"ab", u"cdef") << true << QByteArray("YWI6Y2RlZg==");
    QTest::newRow("UTF-8 bytes, not Latin-1")
        << zan::userCredential(u"j\u00fcrgen", u"\u20ac") << true << QByteArray("asO8cmdlbjrigqw=");
    // Past 57 input bytes some encoders start a new line; the file holds one.
    QTest::newRow("long credential stays on one line")
        << zan::userCredential(QString(40, 'u'), QString(40, 'p')) << true
        << QByteArray(QByteArray(40, 'u') + ':' + QByteArray(40, 'p')).toBase64();
    QTest::newRow("API key, plain")
        << zan::apiCredential(u"K-1") << false << QByteArray("-keyauth K-1");
    QTest::newRow("Kerberos, plain")
        << zan::kerberosCredential(true) << false << QByteArray("-k -na");
    QTest::newRow("Kerberos without the option")
        << zan::kerberosCredential(false) << false << QByteArray("-k");
}

void TestSignInRules::storedBytes()
{
    QFETCH(QString, credential);
    QFETCH(bool, base64);
    QFETCH(QByteArray, bytes);
    const QByteArray written = zan::credentialFileContent(
        credential, base64 ? zan::CredentialForm::Base64 : zan::CredentialForm::Plain);
    QCOMPARE(written, bytes);
    QVERIFY(!written.contains('\n'));
    if (base64)
        QCOMPARE(QString::fromUtf8(QByteArray::fromBase64(written)), credential);
}

void TestSignInRules::coreDumpsForbidden()
{
    QVERIFY(zan::forbidCoreDumps());
    struct rlimit limit {};
    QCOMPARE(::getrlimit(RLIMIT_CORE, &limit), 0);
    QCOMPARE(limit.rlim_cur, rlim_t(0));
    QCOMPARE(::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0), 0);
}

QTEST_GUILESS_MAIN(TestSignInRules)
#include "tst_signinrules.moc"
