// The credential check against the first stored file of a vault, with the
// reference stored files chinese.txt.$ (user 张三user, password 口令1234)
// and empty.txt.$ (alice, secret1) of tests/data.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "CredentialCheck.h"
#include "StoredFileFormat.h"
#include "VaultFolders.h"

using namespace quovex;

namespace {

// Copies the reference stored file pszName into <strVault>/FileBox as strAs.
bool Place(const QString& strVault, const char* pszName, const QString& strAs) {
    QDir().mkpath(strVault + QStringLiteral("/FileBox"));
    return QFile::copy(QStringLiteral(QUOVEX_TEST_DATA "/") + QString::fromLatin1(pszName),
                       strVault + QStringLiteral("/FileBox/") + strAs);
}

}  // namespace

class TestCredentialCheck : public QObject {
    Q_OBJECT
private slots:
    void firstStoredFileDecides();
};

void TestCredentialCheck::firstStoredFileDecides() {
    QTemporaryDir vault;
    const std::string strVault = vault.path().toStdString();
    // Without a stored file anyone gets in; neither an empty folder nor a
    // plain file is one.
    QVERIFY(QDir(vault.path()).mkpath(QStringLiteral("FileBox/empty")));
    QFile plain(vault.path() + QStringLiteral("/FileBox/plain.txt"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    QVERIFY(CheckCredentials(strVault, "bob1", "other-pw"));
    QVERIFY(CheckCredentials(strVault + "/missing", "bob1", "pw12"));
    // Text the cipher refuses (not UTF-8, too long) never opens a vault.
    QVERIFY(!CheckCredentials(strVault, "\xFF\xFE\x01\x02", "pw12"));
    QVERIFY(!CheckCredentials(strVault, "bob1", std::string(64, 'p')));

    QVERIFY(Place(vault.path(), "chinese.txt.$", QStringLiteral("one.txt.$")));
    // Opens only when the sum of the GB18030 bytes (not the UTF-8 ones) matches.
    QVERIFY(CheckCredentials(strVault, "张三user", "口令1234"));
    QVERIFY(!CheckCredentials(strVault, "张三user", "口令1235"));
    QVERIFY(!CheckCredentials(strVault, "张四user", "口令1234"));

    QVERIFY(Place(vault.path(), "empty.txt.$", QStringLiteral("two.txt.$")));
    const QString strFirst = QString::fromStdString(FindFirstStoredFile(strVault));
    const bool bOneFirst = strFirst.endsWith(QStringLiteral("one.txt.$"));
    QCOMPARE(CheckCredentials(strVault, "张三user", "口令1234"), bOneFirst);
    QCOMPARE(CheckCredentials(strVault, "alice", "secret1"), !bOneFirst);

    // A damaged first file rejects everyone: a wrong signature, or a file cut
    // inside the checksum, whose last byte is 0 so that zeros read in its
    // place would still match.
    QFile first(strFirst);
    QVERIFY(first.open(QIODevice::ReadWrite));
    const QByteArray intact = first.readAll();
    QCOMPARE(intact.at(SFF_OFFSET_CHECKSUM + 3), '\0');
    for (const QByteArray& damaged : {"X" + intact.mid(1), intact.left(SFF_OFFSET_CHECKSUM + 3)}) {
        QVERIFY(first.resize(0) && first.write(damaged) == damaged.size() && first.flush());
        QCOMPARE(first.size(), damaged.size());
        QVERIFY(!CheckCredentials(strVault, "张三user", "口令1234"));
        QVERIFY(!CheckCredentials(strVault, "alice", "secret1"));
    }
}

QTEST_GUILESS_MAIN(TestCredentialCheck)
#include "tst_credentialcheck.moc"
