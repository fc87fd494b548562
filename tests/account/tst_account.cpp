// The settings record in a temporary settings folder, and the credential
// check against the first stored file of a vault with the reference stored
// files chinese.txt.$ (张三user / 口令1234) and empty.txt.$ (alice / secret1),
// at the login and when the open vault moves.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "CredentialCheck.h"
#include "OpenVault.h"
#include "StoredFileFormat.h"
#include "VaultFolders.h"
#include "VaultSettings.h"

using namespace quovex;

namespace {

QString s_strHome;

// Writes key, value, key, value, ... into the group, as an earlier run would.
void Preset(const QStringList& keysAndValues) {
    QSettings store(QStringLiteral("tandrel"), QStringLiteral("quovex"));
    for (qsizetype i = 0; i + 1 < keysAndValues.size(); i += 2)
        store.setValue(QStringLiteral("SaftyBox/") + keysAndValues[i], keysAndValues[i + 1]);
}

QString Stored(const char* pszKey) {
    QSettings store(QStringLiteral("tandrel"), QStringLiteral("quovex"));
    return store.value(QStringLiteral("SaftyBox/") + pszKey).toString();
}

// Copies the reference stored file pszName to strPath.
bool Place(const char* pszName, const QString& strPath) {
    QDir().mkpath(QFileInfo(strPath).path());
    return QFile::copy(QStringLiteral(QUOVEX_TEST_DATA "/") + QLatin1String(pszName), strPath);
}

}  // namespace

class TestAccount : public QObject {
    Q_OBJECT
private slots:
    void settingsLoadAndSave();
    void firstStoredFileDecides();
    void openVaultMovesByTheRule();
};

void TestAccount::settingsLoadAndSave() {
    // Odd values first, so that only LoadSettings can bring the defaults.
    CVaultSettings settings(QStringLiteral("quovex"));
    settings.m_strWorkPath = QStringLiteral("/odd");
    settings.m_bDeleteSource = false;
    settings.SetWindowPlace(QRect(7, 7, 7, 7));
    settings.LoadSettings();
    QCOMPARE(settings.m_strWorkPath, s_strHome + QStringLiteral("/Box"));
    QVERIFY(settings.m_bDeleteSource && !settings.m_bSaveUser);  // when absent
    QVERIFY(!settings.HasWindowPlace());

    // The window's place is written alone.
    settings.SetWindowPlace(QRect(0, 0, 200, 401));
    QVERIFY(settings.HasWindowPlace());
    settings.SaveWindowPlace();
    QCOMPARE(Stored("Window_Height"), QStringLiteral("401"));
    QVERIFY(Stored("WorkPath").isEmpty() && Stored("DeleteSource").isEmpty());

    // Only the exact text TRUE is true; written back as TRUE or FALSE.
    for (const char* pszText : {"true", "1", "", "TRUE"}) {
        const bool bTrue = qstrcmp(pszText, "TRUE") == 0;
        Preset({"DeleteSource", pszText, "SaveUser", pszText});
        settings.LoadSettings();
        QCOMPARE(settings.m_bDeleteSource, bTrue);
        QCOMPARE(settings.m_bSaveUser, bTrue);
        settings.SaveSettings();
        QCOMPARE(Stored("DeleteSource"), bTrue ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
        QCOMPARE(Stored("SaveUser"), Stored("DeleteSource"));
    }

    Preset({"SaveUser", "FALSE", "UserName", "张三", "WorkPath", "/srv/保险柜", "Window_X", "17",
            "Window_Y", "-5", "Window_Width", "300", "Window_Height", "-3"});
    settings.LoadSettings();
    QCOMPARE(settings.m_strUserName, QString());  // not read while SaveUser is off
    QCOMPARE(settings.m_strWorkPath, QStringLiteral("/srv/保险柜"));
    QCOMPARE(settings.WindowPlace(), QRect(17, -5, 300, -3));
    QVERIFY(!settings.HasWindowPlace());

    // Saved values come back; while SaveUser is off the stored name is
    // neither written nor removed.
    settings.m_strUserName = QStringLiteral("李四");
    settings.m_strWorkPath = QStringLiteral("/srv/新");
    settings.SetWindowPlace(QRect(1, 2, 3, 4));
    settings.SaveSettings();
    QCOMPARE(Stored("UserName"), QStringLiteral("张三"));
    CVaultSettings reread(QStringLiteral("quovex"));
    reread.LoadSettings();
    QCOMPARE(reread.m_strWorkPath, QStringLiteral("/srv/新"));
    QCOMPARE(reread.WindowPlace(), QRect(1, 2, 3, 4));
    settings.m_bSaveUser = true;
    settings.SaveSettings();
    reread.LoadSettings();
    QCOMPARE(reread.m_strUserName, QStringLiteral("李四"));
}

void TestAccount::firstStoredFileDecides() {
    QTemporaryDir vault;
    const std::string strVault = vault.path().toStdString();
    // Without a stored file anyone gets in; neither an empty folder nor a
    // plain file is one.
    QVERIFY(QDir(vault.path()).mkpath(QStringLiteral("FileBox/empty")));
    QFile plain(vault.path() + QStringLiteral("/FileBox/plain.txt"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    QVERIFY(CheckCredentials(strVault, "bob1", "other-pw"));
    // Nor is a stored file of another vault lying outside the boxes, as in a
    // location that also holds the user's documents.
    QVERIFY(Place("chinese.txt.$", vault.filePath(QStringLiteral("Documents/a.txt.$"))));
    QVERIFY(CheckCredentials(strVault, "bob1", "other-pw"));
    QVERIFY(CheckCredentials(strVault + "/missing", "bob1", "pw12"));
    // Text the cipher refuses (not UTF-8, too long) never opens a vault.
    QVERIFY(!CheckCredentials(strVault, "\xFF\xFE\x01\x02", "pw12"));
    QVERIFY(!CheckCredentials(strVault, "bob1", std::string(64, 'p')));

    QVERIFY(Place("chinese.txt.$", vault.filePath(QStringLiteral("FileBox/one.txt.$"))));
    // Opens only when the sum of the GB18030 bytes (not the UTF-8 ones) matches.
    QVERIFY(CheckCredentials(strVault, "张三user", "口令1234"));
    QVERIFY(!CheckCredentials(strVault, "张三user", "口令1235"));
    QVERIFY(!CheckCredentials(strVault, "张四user", "口令1234"));

    QVERIFY(Place("empty.txt.$", vault.filePath(QStringLiteral("FileBox/two.txt.$"))));
    const QString strFirst = QString::fromStdString(FindFirstStoredFileInBoxes(strVault));
    const bool bOneFirst = strFirst.endsWith(QStringLiteral("one.txt.$"));
    QCOMPARE(CheckCredentials(strVault, "张三user", "口令1234"), bOneFirst);
    QCOMPARE(CheckCredentials(strVault, "alice", "secret1"), !bOneFirst);

    // A damaged first file keeps everyone out, and says it is damaged: a
    // wrong signature, a file cut inside the checksum (whose last byte is 0,
    // so that zeros read in its place would still match) or inside the header.
    QFile first(strFirst);
    QVERIFY(first.open(QIODevice::ReadWrite));
    const QByteArray intact = first.readAll();
    QCOMPARE(intact.at(SFF_OFFSET_CHECKSUM + 3), '\0');
    for (const QByteArray& damaged :
         {"X" + intact.mid(1), intact.left(SFF_OFFSET_CHECKSUM + 3), intact.left(200)}) {
        QVERIFY(first.resize(0) && first.write(damaged) == damaged.size() && first.flush());
        const CredentialJudgement judgement = JudgeCredentials(strVault, "张三user", "口令1234");
        QCOMPARE(judgement.nVerdict, CredentialVerdict::CREDENTIALS_UNDECIDED);
        QCOMPARE(judgement.cause.nReason, FailReason::FAIL_DAMAGED);
        QVERIFY(!CheckCredentials(strVault, "alice", "secret1"));
    }
}

// The open vault does not move where its credentials are not let in, and
// makes nothing there. (Moving where they are, and the window's side:
// tst_settings.)
void TestAccount::openVaultMovesByTheRule() {
    QTemporaryDir root;
    const QString strOther = root.path() + QStringLiteral("/other");
    QVERIFY(Place("chinese.txt.$", strOther + QStringLiteral("/FileBox/one.txt.$")));
    COpenVault vault(root.path(), QStringLiteral("alice"), QStringLiteral("secret1"));
    QSignalSpy moved(&vault, &COpenVault::LocationChanged);
    QVERIFY(!vault.MoveTo(strOther));
    QVERIFY(vault.Location() == root.path() && moved.isEmpty());
    QVERIFY(!QFileInfo::exists(strOther + QStringLiteral("/ImageBox")));
    QCOMPARE(COpenVault(QStringLiteral("/"), QString(), QString()).BoxFolder(BOX_VIDEO),
             QStringLiteral("/VideoBox"));
}

int main(int argc, char** argv) {
    // Before the application exists: QSettings reads the folders once.
    QTemporaryDir home;
    s_strHome = home.path();
    qputenv("HOME", s_strHome.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (s_strHome + QStringLiteral("/config")).toLocal8Bit());
    QCoreApplication app(argc, argv);
    TestAccount tc;
    return home.isValid() ? QTest::qExec(&tc, argc, argv) : 1;
}

#include "tst_account.moc"
