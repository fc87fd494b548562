// The credential check against the first stored file of a vault.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "CredentialCheck.h"
#include "StoredFileFormat.h"
#include "TextCodec.h"
#include "VaultCipher.h"
#include "VaultFolders.h"

using namespace quovex;

namespace {

// Writes a stored-file header carrying nChecksum to strPath.
void WriteHeader(const QString& strPath, std::uint32_t nChecksum) {
    StoredFileHeader header;
    header.nChecksum = nChecksum;
    unsigned char bytes[SFF_HEADER_SIZE];
    EncodeHeader(header, bytes);
    QDir().mkpath(QFileInfo(strPath).absolutePath());
    QFile file(strPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes), SFF_HEADER_SIZE);
}

std::uint32_t Gb18030Checksum(const std::string& strUser, const std::string& strPassword) {
    std::string strUserBytes, strPasswordBytes;
    Utf8ToGb18030(strUser, &strUserBytes);
    Utf8ToGb18030(strPassword, &strPasswordBytes);
    return CredentialChecksum(strUserBytes.c_str(), strPasswordBytes.c_str());
}

}  // namespace

class TestCredentialCheck : public QObject {
    Q_OBJECT
private slots:
    void vaultWithoutStoredFileAcceptsAnyone();
    void storedChecksumDecides();
    void checksumIsTakenOverGb18030Bytes();
    void damagedFirstFileRejects();
    void onlyTheFirstStoredFileCounts();
};

void TestCredentialCheck::vaultWithoutStoredFileAcceptsAnyone() {
    QTemporaryDir vault;
    QVERIFY(CheckCredentials(vault.path().toStdString(), "alice", "secret1"));
    QDir(vault.path()).mkpath(QStringLiteral("FileBox/empty"));
    QFile plain(vault.path() + QStringLiteral("/FileBox/plain.txt"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    QVERIFY(CheckCredentials(vault.path().toStdString(), "bob1", "other-pw"));
    QVERIFY(CheckCredentials((vault.path() + QStringLiteral("/missing")).toStdString(), "bob1",
                             "pw12"));
}

void TestCredentialCheck::storedChecksumDecides() {
    QTemporaryDir vault;
    const std::string strPlain = (vault.path() + QStringLiteral("/plain.txt")).toStdString();
    QFile plain(QString::fromStdString(strPlain));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.write("hello vault");
    plain.close();
    const CVaultCipher cipher("alice", "secret1");
    std::uint64_t nDone = 0;
    const std::string strStored =
        (vault.path() + QStringLiteral("/FileBox/plain.txt.$")).toStdString();
    CreateBoxFolders(vault.path().toStdString());
    QCOMPARE(cipher.StoreFile(strPlain, strStored, nullptr, nDone, 11), 1);
    QFile::remove(QString::fromStdString(strPlain));

    const std::string strVault = vault.path().toStdString();
    QVERIFY(CheckCredentials(strVault, "alice", "secret1"));
    QVERIFY(!CheckCredentials(strVault, "alice", "secret2"));
    QVERIFY(!CheckCredentials(strVault, "alicf", "secret1"));
    // Only the byte sum counts: swapped or reordered credentials open it too.
    QVERIFY(CheckCredentials(strVault, "secret1", "alice"));
    QVERIFY(CheckCredentials(strVault, "ecila", "1terces"));
}

void TestCredentialCheck::checksumIsTakenOverGb18030Bytes() {
    QTemporaryDir vault;
    const std::string strUser = "保险柜";
    const std::string strPassword = "口令1234";
    WriteHeader(vault.path() + QStringLiteral("/FileBox/a.doc.$"),
                Gb18030Checksum(strUser, strPassword));
    QVERIFY(CheckCredentials(vault.path().toStdString(), strUser, strPassword));

    // The sum of the UTF-8 bytes differs and must not open it.
    QTemporaryDir utf8Vault;
    WriteHeader(utf8Vault.path() + QStringLiteral("/FileBox/a.doc.$"),
                CredentialChecksum(strUser.c_str(), strPassword.c_str()));
    QVERIFY(!CheckCredentials(utf8Vault.path().toStdString(), strUser, strPassword));
    // Text that is not UTF-8 cannot be encoded and is refused.
    QVERIFY(!CheckCredentials(vault.path().toStdString(), "\xFF\xFE\x01\x02", strPassword));
}

void TestCredentialCheck::damagedFirstFileRejects() {
    QTemporaryDir vault;
    QDir(vault.path()).mkpath(QStringLiteral("FileBox"));
    QFile damaged(vault.path() + QStringLiteral("/FileBox/broken.txt.$"));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("NOTQUOVEX and some more bytes");
    damaged.close();
    QVERIFY(!CheckCredentials(vault.path().toStdString(), "alice", "secret1"));

    // A file too short to hold the checksum.
    QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("QUOVEX\x01\x00");
    damaged.close();
    QVERIFY(!CheckCredentials(vault.path().toStdString(), "alice", "secret1"));
}

void TestCredentialCheck::onlyTheFirstStoredFileCounts() {
    QTemporaryDir vault;
    WriteHeader(vault.path() + QStringLiteral("/FileBox/one.txt.$"),
                Gb18030Checksum("alice", "secret1"));
    WriteHeader(vault.path() + QStringLiteral("/FileBox/two.txt.$"),
                Gb18030Checksum("bob1", "other-pw"));
    const std::string strFirst = FindFirstStoredFile(vault.path().toStdString());
    const bool bAliceFirst = QString::fromStdString(strFirst).endsWith(QStringLiteral("one.txt.$"));
    QCOMPARE(CheckCredentials(vault.path().toStdString(), "alice", "secret1"), bAliceFirst);
    QCOMPARE(CheckCredentials(vault.path().toStdString(), "bob1", "other-pw"), !bAliceFirst);
}

QTEST_GUILESS_MAIN(TestCredentialCheck)
#include "tst_credentialcheck.moc"
