// SPDX-License-Identifier: MIT
// The number transformers and the credential file.
#include "CredentialFile.h"
#include "Files.h"
#include "TestSupport.h"
#include "ValueTransformers.h"

#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <limits>

class TestCoreHelpers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();

    void intValue_data();
    void intValue();
    void transformedValue_data();
    void transformedValue();
    void localeDigits_data();
    void localeDigits();
    void registryByName();

    void credentialContent_data();
    void credentialContent();
    void credentialWrittenOwnerOnly_data();
    void credentialWrittenOwnerOnly();
    void credentialFailureKeepsOldContent();
    void credentialFailureNamesPath();
    void wipeLeavesOtherCopies();
};

void TestCoreHelpers::cleanup()
{
    QLocale::setDefault(QLocale::c());
}

void TestCoreHelpers::intValue_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("nothing") << QVariant() << 0;
    QTest::newRow("int") << QVariant(1234) << 1234;
    QTest::newRow("negative int") << QVariant(-5) << -5;
    QTest::newRow("double cut") << QVariant(3.9) << 3;
    QTest::newRow("negative double cut toward zero") << QVariant(-3.9) << -3;
    QTest::newRow("huge double") << QVariant(1e12) << INT_MAX;
    QTest::newRow("huge negative double") << QVariant(-1e12) << INT_MIN;
    QTest::newRow("not a number") << QVariant(std::numeric_limits<double>::quiet_NaN()) << 0;
    QTest::newRow("64-bit") << QVariant(qint64(1) << 40) << INT_MAX;
    QTest::newRow("true") << QVariant(true) << 1;
    QTest::newRow("digits then letters") << QVariant(QStringLiteral("42abc")) << 42;
    QTest::newRow("blanks and sign") << QVariant(QStringLiteral("  -17 apples")) << -17;
    QTest::newRow("plus sign") << QVariant(QStringLiteral("+8")) << 8;
    QTest::newRow("decimal text") << QVariant(QStringLiteral("3.9")) << 3;
    QTest::newRow("letters first") << QVariant(QStringLiteral("abc42")) << 0;
    QTest::newRow("empty text") << QVariant(QString()) << 0;
    QTest::newRow("text beyond the range")
        << QVariant(QStringLiteral("99999999999999999999")) << INT_MAX;
    QTest::newRow("negative text beyond the range")
        << QVariant(QStringLiteral("-99999999999999999999")) << INT_MIN;
    // 2^64 - 1: without the cap while reading, 64-bit arithmetic wraps it to -1.
    QTest::newRow("text that wraps 64 bits")
        << QVariant(QStringLiteral("18446744073709551615")) << INT_MAX;
}

void TestCoreHelpers::intValue()
{
    QFETCH(QVariant, value);
    QFETCH(int, expected);
    QCOMPARE(zan::intValue(value), expected);
}

void TestCoreHelpers::transformedValue_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("1234 without separator") << QVariant(1234) << "1234";
    QTest::newRow("large, still no separator") << QVariant(1234567) << "1234567";
    QTest::newRow("-5") << QVariant(-5) << "-5";
    QTest::newRow("3.9") << QVariant(3.9) << "3";
    QTest::newRow("\"42abc\"") << QVariant(QStringLiteral("42abc")) << "42";
    QTest::newRow("nothing") << QVariant() << "0";
}

void TestCoreHelpers::transformedValue()
{
    QFETCH(QVariant, value);
    QFETCH(QString, text);
    const zan::NoSepNumberTransformerBase transformer;
    // A locale that groups thousands by default.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(transformer.transformedValue(value), text);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(transformer.transformedValue(value), text);
}

void TestCoreHelpers::localeDigits_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << qint64(1234567)
                            << "1234567";
    QTest::newRow("Arabic digits")
        << QLocale(QLocale::Arabic, QLocale::Egypt) << qint64(1234) << QString::fromUtf8("١٢٣٤");
    QTest::newRow("Bengali digits") << QLocale(QLocale::Bengali, QLocale::Bangladesh)
                                    << qint64(1234567) << QString::fromUtf8("১২৩৪৫৬৭");
}

void TestCoreHelpers::localeDigits()
{
    QFETCH(QLocale, locale);
    QFETCH(qint64, value);
    QFETCH(QString, text);
    QCOMPARE(zan::wholeNumberText(value, locale), text);
    QLocale::setDefault(locale);
    QCOMPARE(zan::NoSepNumberTransformerBase().transformedValue(QVariant(int(value))), text);
}

void TestCoreHelpers::registryByName()
{
    const QString name = QStringLiteral("TestOnlyTransformer");
    QVERIFY(!zan::valueTransformerForName(name));
    auto first = std::make_shared<zan::NoSepNumberTransformerBase>();
    zan::setValueTransformer(first, name);
    QCOMPARE(zan::valueTransformerForName(name).get(), first.get());
    auto second = std::make_shared<zan::NoSepNumberTransformerBase>();
    zan::setValueTransformer(second, name);
    QCOMPARE(zan::valueTransformerForName(name).get(), second.get());
    first.reset();
    second.reset();
    // The registry keeps what it was given.
    QVERIFY(zan::valueTransformerForName(name));
    QCOMPARE(zan::valueTransformerForName(name)->transformedValue(7), QStringLiteral("7"));
}

void TestCoreHelpers::credentialContent_data()
{
    QTest::addColumn<QString>("credential");
    QTest::addColumn<bool>("base64");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("user and password") << "user:pass" << true << QByteArray("dXNlcjpwYXNz");
    QTest::newRow("non-ASCII, encoded from UTF-8")
        << QString::fromUtf8("jürgen:pässwörd") << true << QByteArray("asO8cmdlbjpww6Rzc3fDtnJk");
    QTest::newRow("CJK with padding")
        << QString::fromUtf8("用户:密码") << true << QByteArray("55So5oi3OuWvhueggQ==");
    QTest::newRow("empty password") << "a:" << true << QByteArray("YTo=");
    QTest::newRow("colon in the password") << "a:b:c" << true << QByteArray("YTpiOmM=");
    QTest::newRow("long, still one line")
        << "averyveryverylongusername@example.corporation.internal:"
           "averyveryverylongpassword1234567890"
        << true
        << QByteArray("YXZlcnl2ZXJ5dmVyeWxvbmd1c2VybmFtZUBleGFtcGxlLmNvcnBvcmF0aW9uLmludGVybmFs"
                      "OmF2ZXJ5dmVyeXZlcnlsb25ncGFzc3dvcmQxMjM0NTY3ODkw");
    QTest::newRow("API key as it is")
        << QString::fromUtf8("-keyauth Kë/y+=") << false << QByteArray("-keyauth K\xc3\xab/y+=");
    QTest::newRow("Kerberos, no auth first") << "-k -na" << false << QByteArray("-k -na");
    QTest::newRow("Kerberos") << "-k" << false << QByteArray("-k");
}

void TestCoreHelpers::credentialContent()
{
    QFETCH(QString, credential);
    QFETCH(bool, base64);
    QFETCH(QByteArray, content);
    const auto form = base64 ? zan::CredentialForm::Base64 : zan::CredentialForm::Plain;
    QCOMPARE(zan::credentialFileContent(credential, form), content);

    QTemporaryDir dir;
    const QString path = dir.filePath("cred");
    const zan::WriteResult written =
        zan::writeCredentialFile(zantest::native(path), credential, form);
    QVERIFY2(written.ok, qPrintable(written.error));
    QCOMPARE(zantest::readBytes(path), content);
}

void TestCoreHelpers::credentialWrittenOwnerOnly_data()
{
    QTest::addColumn<int>("oldMode"); // -1: no file yet
    QTest::newRow("new file") << -1;
    QTest::newRow("over a 0644 file") << 0644;
    QTest::newRow("over a 0666 file") << 0666;
    QTest::newRow("over a 0400 file") << 0400;
}

void TestCoreHelpers::credentialWrittenOwnerOnly()
{
    QFETCH(int, oldMode);
    QTemporaryDir dir;
    const QString path = dir.filePath("cred");
    if (oldMode >= 0) {
        QVERIFY(zantest::writeBytes(path, "olduser:x"));
        QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(oldMode)) == 0);
    }
    const mode_t previousMask = ::umask(0);
    const zan::WriteResult written = zan::writeCredentialFile(
        zantest::native(path), QStringLiteral("u:p"), zan::CredentialForm::Base64);
    ::umask(previousMask);
    QVERIFY2(written.ok, qPrintable(written.error));
    QCOMPARE(zantest::permissionBits(path), mode_t(0600));
    QCOMPARE(zantest::readBytes(path), QByteArray("dTpw"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"cred"});
}

void TestCoreHelpers::credentialFailureKeepsOldContent()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("locked");
    QVERIFY(QDir(dir.path()).mkdir("locked"));
    const QString path = folder + "/cred";
    QVERIFY(zantest::writeBytes(path, "olduser"));
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0644) == 0);
    {
        zantest::UnwritableFolder locked(folder);
        if (!locked.ok())
            QSKIP("no way to make a folder unwritable for this user here");
        const zan::WriteResult written = zan::writeCredentialFile(
            zantest::native(path), QStringLiteral("u:p"), zan::CredentialForm::Base64);
        QVERIFY(!written.ok);
        QVERIFY2(written.error.contains(path), qPrintable(written.error));
    }
    QCOMPARE(zantest::readBytes(path), QByteArray("olduser"));
    QCOMPARE(zantest::permissionBits(path), mode_t(0644));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"cred"});
}

void TestCoreHelpers::credentialFailureNamesPath()
{
    QTemporaryDir dir;
    QVERIFY(zantest::writeBytes(dir.filePath("file"), "x"));
    // A path below a plain file cannot be created, whoever runs the test.
    const QString path = dir.filePath("file/cred");
    const zan::WriteResult written = zan::writeCredentialFile(
        zantest::native(path), QStringLiteral("-k"), zan::CredentialForm::Plain);
    QVERIFY(!written.ok);
    QVERIFY2(written.error.contains(path), qPrintable(written.error));
    QVERIFY(!zan::writeCredentialFile(QByteArray(), "-k", zan::CredentialForm::Plain).ok);
}

void TestCoreHelpers::wipeLeavesOtherCopies()
{
    QByteArray secret("s3cret");
    const QByteArray copy = secret; // shares the buffer until written
    zan::wipe(secret);
    QVERIFY(secret.isEmpty());
    QCOMPARE(copy, QByteArray("s3cret"));

    QString text = QStringLiteral("pässword");
    const QString textCopy = text;
    zan::wipe(text);
    QVERIFY(text.isEmpty());
    QCOMPARE(textCopy, QStringLiteral("pässword"));
}

QTEST_GUILESS_MAIN(TestCoreHelpers)
#include "tst_corehelpers.moc"
