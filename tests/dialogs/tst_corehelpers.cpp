// SPDX-License-Identifier: MIT
// The number transformers, the credential file and how a file is replaced.
#include "CredentialFile.h"
#include "Files.h"
#include "TestSupport.h"
#include "ValueTransformers.h"

#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <dirent.h>
#include <limits>

namespace {
// The names in a folder, as bytes, hidden ones included.
QByteArrayList entries(const QByteArray &folder)
{
    QByteArrayList names;
    if (DIR *dir = ::opendir(folder.constData())) {
        while (const dirent *entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != "..")
                names.append(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

QByteArray contentAt(const QByteArray &path)
{
    const zan::ReadResult file = zan::readWholeFile(path);
    return file.data.value_or(QByteArray("<unreadable>"));
}
} // namespace

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
    void fileReplaced_data();
    void fileReplaced();
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

// A file is replaced as mv does it: the new content in a file of its own in
// the same folder, renamed over the old one. So the file itself need not be
// writable, as zanlauncher's files for an ordinary user often are not; the
// mode stays what it was; a link leads to the file replaced; a name that is
// not UTF-8 is that name.
void TestCoreHelpers::fileReplaced_data()
{
    QTest::addColumn<QString>("before"); // what the name is before the write
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("mode"); // of the file written
    QTest::newRow("a read-only list (0444) keeps its mode") << "file 0444" << true << 0444;
    QTest::newRow("an owner-only list (0600) keeps its mode") << "file 0600" << true << 0600;
    QTest::newRow("a new file: 0666 less the umask") << "nothing" << true << 0640;
    QTest::newRow("a symbolic link: the file it names is replaced") << "link" << true << 0444;
    QTest::newRow("a dangling link: the file it names is made") << "dangling" << true << 0640;
    QTest::newRow("a loop of links: refused") << "loop" << false << 0;
    QTest::newRow("a folder: refused") << "folder" << false << 0;
    QTest::newRow("a name in Latin-1: exactly those bytes") << "latin1" << true << 0640;
}

void TestCoreHelpers::fileReplaced()
{
    QFETCH(QString, before);
    QFETCH(bool, ok);
    QFETCH(int, mode);
    QTemporaryDir dir;
    const QByteArray folder = zantest::native(dir.path());
    QByteArray path = folder + "/list.json";
    QByteArray file = path; // what holds the content after the write
    if (before.startsWith("file")) {
        QVERIFY(zantest::writeBytes(dir.filePath("list.json"), "old"));
        QCOMPARE(::chmod(path.constData(), mode_t(before.mid(5).toInt(nullptr, 8))), 0);
    } else if (before == "link") {
        file = folder + "/target.json";
        QVERIFY(zantest::writeBytes(dir.filePath("target.json"), "old"));
        QCOMPARE(::chmod(file.constData(), 0444), 0);
        QCOMPARE(::symlink("target.json", path.constData()), 0);
    } else if (before == "dangling") {
        file = folder + "/made.json";
        QCOMPARE(::symlink("made.json", path.constData()), 0);
    } else if (before == "loop") {
        QCOMPARE(::symlink("list.json", path.constData()), 0);
    } else if (before == "folder") {
        QVERIFY(QDir(dir.path()).mkdir("list.json"));
    } else if (before == "latin1") {
        path = file = folder + "/caf\xe9";
    }
    // QTemporaryDir finds a name that is not UTF-8 by its decoded form, which
    // names nothing; this one goes by its bytes.
    const auto removeLatin1 =
        qScopeGuard([&] { ::unlink(QByteArray(folder + "/caf\xe9").constData()); });
    const QByteArrayList namesBefore = entries(folder);

    const mode_t previousMask = ::umask(027);
    const zan::WriteResult written = zan::writeFileAtomically(path, "new");
    ::umask(previousMask);
    QCOMPARE(written.ok, ok);
    if (!ok) {
        QVERIFY2(written.error.contains(zan::displayPath(path)), qPrintable(written.error));
        QCOMPARE(entries(folder), namesBefore);
        return;
    }
    QVERIFY2(written.error.isEmpty(), qPrintable(written.error));
    QCOMPARE(contentAt(file), QByteArray("new"));
    QCOMPARE(zantest::permissionBits(file), mode_t(mode));
    struct stat link {};
    QCOMPARE(::lstat(path.constData(), &link), 0);
    QCOMPARE(S_ISLNK(link.st_mode), before == "link" || before == "dangling");
    // The one name written, and no temporary file left beside it.
    QByteArrayList expected = namesBefore;
    if (!expected.contains(file.mid(folder.size() + 1)))
        expected.append(file.mid(folder.size() + 1));
    std::sort(expected.begin(), expected.end());
    QCOMPARE(entries(folder), expected);
}

QTEST_GUILESS_MAIN(TestCoreHelpers)
#include "tst_corehelpers.moc"
