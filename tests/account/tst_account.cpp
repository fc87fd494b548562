// The settings record in a temporary settings folder, and the credential
// check against the first stored file of a vault with the reference stored
// files chinese.txt.$ (张三user / 口令1234) and empty.txt.$ (alice / secret1),
// at the login and when the open vault moves. Protected vaults are made
// with the fastest derivation limits, so that the suite stays quick.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "CredentialCheck.h"
#include "Fakes.h"
#include "KeyRecordFiles.h"
#include "OpenVault.h"
#include "StoredFileFormat.h"
#include "VaultAccess.h"
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

constexpr KdfLimits FAST = KDF_FASTEST_LIMITS;

QByteArray ReadAll(const QString& strPath) {
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& strPath, const QByteArray& bytes) {
    QFile file(strPath);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

QString MainCopy(const QString& strVault) {
    return strVault + QStringLiteral("/") + QLatin1String(KEY_RECORD_NAME);
}
QString SecondCopy(const QString& strVault) {
    return strVault + QStringLiteral("/") + QLatin1String(KEY_RECORD_COPY_NAME);
}

// Makes a protected vault at strVault; its master key in *pMaster and its
// recovery key text in *pRecovery, when given.
bool MakeProtected(const QString& strVault, const std::string& strUser,
                   const std::string& strPassword, CSecretBytes* pMaster = nullptr,
                   CSecretBytes* pRecovery = nullptr) {
    CVaultKey key(strUser, strPassword);
    CSecretBytes recovery;
    KeyRecordBytes vRecord;
    const AccessOutcome made =
        CreateVault(strVault.toStdString(), strPassword, true, FAST, &key, &vRecord, &recovery);
    if (pMaster) *pMaster = key.MasterKey().Clone();
    if (pRecovery) *pRecovery = std::move(recovery);
    return made.Opened();
}

AccessResult OpenWith(const QString& strVault, const std::string& strUser,
                      const std::string& strPassword, CSecretBytes* pMaster = nullptr) {
    CVaultKey key(strUser, strPassword);
    const AccessResult nResult = OpenVaultKey(strVault.toStdString(), strPassword, &key).nResult;
    if (pMaster) *pMaster = key.MasterKey().Clone();
    return nResult;
}

std::string Text(const CSecretBytes& secret) {
    return std::string(reinterpret_cast<const char*>(secret.Data()), secret.Size());
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
    void bothKindsOpenOnlyWithTheirCredentials();
    void passwordChangeAndRecoveryKeepTheMasterKey();
    void aDamagedRecordOpensFromItsCopyOrNotAtAll();
    void aKilledPasswordChangeOpensWithOneOfThePasswords();
    void aRecordNotWrittenWholeIsTakenAway();
    void openVaultMovesToEachKind();
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

// A protected vault opens with its user name and password only, a
// scrambled one by the rule; neither is made twice, and failures set no key.
void TestAccount::bothKindsOpenOnlyWithTheirCredentials() {
    QTemporaryDir root;
    const QString strProtected = root.path() + QStringLiteral("/p/vault");
    CSecretBytes master, recovery, opened;
    QCOMPARE(KindOfVault(strProtected.toStdString()), VaultKind::VAULT_NONE);
    QVERIFY(MakeProtected(strProtected, "alice", "pw-one", &master, &recovery));
    QCOMPARE(KindOfVault(strProtected.toStdString()), VaultKind::VAULT_PROTECTED);
    QCOMPARE(ReadAll(MainCopy(strProtected)), ReadAll(SecondCopy(strProtected)));
    QVERIFY(QFileInfo(strProtected + QStringLiteral("/ImageBox")).isDir());
    QCOMPARE(recovery.Size(), RECOVERY_TEXT_SIZE);
    QCOMPARE(master.Size(), KR_MASTER_KEY_SIZE);
    QCOMPARE(OpenWith(strProtected, "alice", "pw-one", &opened), AccessResult::ACCESS_OPENED);
    QVERIFY(opened.Equals(master));
    for (const auto& [strUser, strPassword] : {std::pair{"alice", "pw-two"}, {"alicf", "pw-one"}}) {
        QCOMPARE(OpenWith(strProtected, strUser, strPassword, &opened),
                 AccessResult::ACCESS_WRONG_CREDENTIALS);
        QVERIFY(opened.IsEmpty());
    }
    QVERIFY(!MakeProtected(strProtected, "alice", "pw-one"));

    // A scrambled vault stays as the rule makes it: no record, anyone in
    // until its first stored file decides.
    const QString strScrambled = root.path() + QStringLiteral("/s");
    CVaultKey key("张三user", "口令1234");
    QVERIFY(CreateVault(strScrambled.toStdString(), "口令1234", false, FAST, &key, nullptr, nullptr)
                .Opened());
    QVERIFY(!key.IsProtected() && !QFileInfo::exists(MainCopy(strScrambled)));
    QVERIFY(QFileInfo(strScrambled + QStringLiteral("/FileBox")).isDir());
    QCOMPARE(OpenWith(strScrambled, "bob1", "any-pw"), AccessResult::ACCESS_OPENED);
    QVERIFY(Place("chinese.txt.$", strScrambled + QStringLiteral("/FileBox/a.txt.$")));
    QCOMPARE(KindOfVault(strScrambled.toStdString()), VaultKind::VAULT_SCRAMBLED);
    QCOMPARE(OpenWith(strScrambled, "张三user", "口令1234", &opened), AccessResult::ACCESS_OPENED);
    QVERIFY(opened.IsEmpty());
    QCOMPARE(OpenWith(strScrambled, "张三user", "口令1235"),
             AccessResult::ACCESS_WRONG_CREDENTIALS);
    const AccessOutcome again =
        CreateVault(strScrambled.toStdString(), "口令1234", true, FAST, &key, nullptr, nullptr);
    QVERIFY(again.nResult == AccessResult::ACCESS_EXISTS && !key.IsProtected());
    QCOMPARE(
        ChangeVaultPassword(strScrambled.toStdString(), "张三user", "口令1234", "口令5678", FAST)
            .nResult,
        AccessResult::ACCESS_NOT_PROTECTED);
}

// A new password replaces the old one, a recovery replaces whichever is in
// force, and the recovery key and the master key outlive both.
void TestAccount::passwordChangeAndRecoveryKeepTheMasterKey() {
    QTemporaryDir root;
    const QString strVault = root.path();
    const std::string strNative = strVault.toStdString();
    CSecretBytes master, recovery, opened;
    QVERIFY(MakeProtected(strVault, "bob1", "old-pw", &master, &recovery));
    const QByteArray before = ReadAll(MainCopy(strVault));
    QCOMPARE(ChangeVaultPassword(strNative, "bob1", "bad-pw", "new-pw", FAST).nResult,
             AccessResult::ACCESS_WRONG_CREDENTIALS);
    QCOMPARE(ReadAll(MainCopy(strVault)), before);
    // A scrambled file left over from a conversion opens only with the
    // password in force: no change until it is converted.
    const QString strLeft = strVault + QStringLiteral("/FileBox/deep/left.txt.$");
    QVERIFY(Place("chinese.txt.$", strLeft));
    const AccessOutcome left = ChangeVaultPassword(strNative, "bob1", "old-pw", "new-pw", FAST);
    QCOMPARE(left.nResult, AccessResult::ACCESS_SCRAMBLED_FILES_LEFT);
    QCOMPARE(QString::fromStdString(left.strPath), strLeft);
    QVERIFY(ReadAll(MainCopy(strVault)) == before && QFile::remove(strLeft));
    QVERIFY(ChangeVaultPassword(strNative, "bob1", "old-pw", "new-pw", FAST).Opened());
    QCOMPARE(ReadAll(MainCopy(strVault)), ReadAll(SecondCopy(strVault)));
    QCOMPARE(OpenWith(strVault, "bob1", "old-pw"), AccessResult::ACCESS_WRONG_CREDENTIALS);
    QCOMPARE(OpenWith(strVault, "bob1", "new-pw", &opened), AccessResult::ACCESS_OPENED);
    QVERIFY(opened.Equals(master));

    // Another vault's recovery key is refused and changes nothing.
    CSecretBytes otherRecovery;
    QVERIFY(MakeProtected(strVault + QStringLiteral("/other"), "bob1", "old-pw", nullptr,
                          &otherRecovery));
    CVaultKey refused("bob1", "third-pw");
    QCOMPARE(RecoverVault(strNative, Text(otherRecovery), "third-pw", FAST, &refused).nResult,
             AccessResult::ACCESS_WRONG_RECOVERY_KEY);
    QVERIFY(!refused.IsProtected());
    QCOMPARE(OpenWith(strVault, "bob1", "new-pw"), AccessResult::ACCESS_OPENED);

    CVaultKey recovered("bob1", "third-pw");
    QVERIFY(RecoverVault(strNative, Text(recovery), "third-pw", FAST, &recovered).Opened());
    QVERIFY(recovered.MasterKey().Equals(master));
    QCOMPARE(OpenWith(strVault, "bob1", "new-pw"), AccessResult::ACCESS_WRONG_CREDENTIALS);
    QCOMPARE(OpenWith(strVault, "bob1", "third-pw"), AccessResult::ACCESS_OPENED);
    CVaultKey again("bob1", "fourth-pw");
    QVERIFY(RecoverVault(strNative, Text(recovery), "fourth-pw", FAST, &again).Opened());
}

// One damaged copy: the other opens the vault and the damaged one is
// rewritten. Both damaged: told as damage (not as wrong credentials), and
// nothing is written.
void TestAccount::aDamagedRecordOpensFromItsCopyOrNotAtAll() {
    QTemporaryDir root;
    const QString strVault = root.path();
    QVERIFY(MakeProtected(strVault, "carol", "pw-carol"));
    const QByteArray intact = ReadAll(MainCopy(strVault));
    QByteArray damaged = intact;
    damaged[KR_OFFSET_SALT] = static_cast<char>(damaged[KR_OFFSET_SALT] ^ 1);
    for (const QString& strCopy : {MainCopy(strVault), SecondCopy(strVault)}) {
        QVERIFY(WriteAll(strCopy, damaged));
        QCOMPARE(OpenWith(strVault, "carol", "pw-carol"), AccessResult::ACCESS_OPENED);
        QCOMPARE(ReadAll(strCopy), intact);
    }
    QVERIFY(QFile::remove(SecondCopy(strVault)) && WriteAll(MainCopy(strVault), damaged));
    const std::string strNative = strVault.toStdString();
    CVaultKey key("carol", "pw-carol");
    const AccessOutcome alone = OpenVaultKey(strNative, "pw-carol", &key);
    QCOMPARE(alone.nResult, AccessResult::ACCESS_RECORD_DAMAGED);
    QVERIFY(alone.strPath.ends_with(KEY_RECORD_NAME) && !key.IsProtected());
    QVERIFY(WriteAll(SecondCopy(strVault), damaged.left(100)));
    QCOMPARE(OpenWith(strVault, "carol", "pw-carol"), AccessResult::ACCESS_RECORD_DAMAGED);
    QCOMPARE(ChangeVaultPassword(strNative, "carol", "pw-carol", "pw-new", FAST).nResult,
             AccessResult::ACCESS_RECORD_DAMAGED);
    QCOMPARE(ReadAll(MainCopy(strVault)), damaged);
    QCOMPARE(ReadAll(SecondCopy(strVault)), damaged.left(100));
    QCOMPARE(KindOfVault(strNative), VaultKind::VAULT_PROTECTED);
    QVERIFY(!MakeProtected(strVault, "carol", "pw-carol"));
}

// Stopped after any change to the disk, a password change leaves a vault
// that opens with the old or the new password, and the recovery key still.
void TestAccount::aKilledPasswordChangeOpensWithOneOfThePasswords() {
    QTemporaryDir root;
    const QString strMade = root.path() + QStringLiteral("/made");
    CSecretBytes recovery;
    QVERIFY(MakeProtected(strMade, "dave", "old-pw", nullptr, &recovery));
    bool bDone = false;
    int nOldOnly = 0;
    for (int nStop = 0; !bDone && nStop < 40; ++nStop) {
        const QString strRun = root.path() + QStringLiteral("/run%1").arg(nStop);
        QVERIFY(QDir().mkpath(strRun));
        QVERIFY(QFile::copy(MainCopy(strMade), MainCopy(strRun)));
        QVERIFY(QFile::copy(SecondCopy(strMade), SecondCopy(strRun)));
        test::CFaultEnv env;
        env.m_nStopAfterChanges = nStop;
        bDone = ChangeVaultPassword(strRun.toStdString(), "dave", "old-pw", "new-pw", FAST, &env)
                    .Opened();
        // Each password tried on its own copy: opening brings the copies in line.
        const QString strCopy = strRun + QStringLiteral("-copy");
        QVERIFY(QDir().mkpath(strCopy));
        QVERIFY(QFile::copy(MainCopy(strRun), MainCopy(strCopy)));
        QVERIFY(QFile::copy(SecondCopy(strRun), SecondCopy(strCopy)));
        const bool bOld = OpenWith(strRun, "dave", "old-pw") == AccessResult::ACCESS_OPENED;
        const bool bNew = OpenWith(strCopy, "dave", "new-pw") == AccessResult::ACCESS_OPENED;
        QVERIFY2(bOld || bNew, qPrintable(QStringLiteral("stop %1").arg(nStop)));
        QVERIFY(!(bDone && bOld));
        nOldOnly += bOld && !bNew;
        CVaultKey recovered("dave", "third-pw");
        QVERIFY(RecoverVault(strRun.toStdString(), Text(recovery), "third-pw", FAST, &recovered)
                    .Opened());
    }
    QVERIFY(bDone && nOldOnly > 0);
}

// A new vault's record that cannot be written whole is taken away, so that
// no vault is left whose recovery key was never shown; a second try works.
void TestAccount::aRecordNotWrittenWholeIsTakenAway() {
    QTemporaryDir root;
    const std::string strVault = root.path().toStdString();
    test::CFaultEnv env;
    env.m_fnDuringCopy = [&](const std::string& strTarget) {
        env.m_bFailCommit = strTarget.ends_with(KEY_RECORD_COPY_NAME);
    };
    CVaultKey key("erin", "pw-erin");
    CSecretBytes recovery;
    const AccessOutcome failed =
        CreateVault(strVault, "pw-erin", true, FAST, &key, nullptr, &recovery, &env);
    QCOMPARE(failed.nResult, AccessResult::ACCESS_DISK_FAILED);
    QCOMPARE(failed.cause.nReason, FailReason::FAIL_IO);
    QVERIFY(!key.IsProtected() && recovery.IsEmpty());
    QCOMPARE(KindOfVault(strVault), VaultKind::VAULT_NONE);
    env.m_fnDuringCopy = nullptr;
    env.m_bFailCommit = false;
    QVERIFY(CreateVault(strVault, "pw-erin", true, FAST, &key, nullptr, &recovery, &env).Opened());
    QVERIFY(key.IsProtected() && !recovery.IsEmpty());
}

// The open vault moves into a protected vault only with its credentials
// (taking that vault's key), into a scrambled one by the rule (its key a
// scrambled vault's from then on), and makes an empty place another place
// of itself, which follows a password change.
void TestAccount::openVaultMovesToEachKind() {
    QTemporaryDir root;
    const QString strHome = root.path() + QStringLiteral("/home");
    QVERIFY(MakeProtected(strHome, "alice", "secret1"));
    COpenVault vault(strHome, QStringLiteral("alice"), QStringLiteral("secret1"));
    QCOMPARE(vault.Kind(), VaultKind::VAULT_PROTECTED);
    QVERIFY(vault.Open().Opened() && vault.IsProtected());
    const CSecretBytes homeKey = vault.Key().MasterKey().Clone();

    const QString strStranger = root.path() + QStringLiteral("/stranger");
    QVERIFY(MakeProtected(strStranger, "alice", "other-pw"));
    AccessOutcome outcome;
    QVERIFY(!vault.MoveTo(strStranger, &outcome));
    QCOMPARE(outcome.nResult, AccessResult::ACCESS_WRONG_CREDENTIALS);
    QVERIFY(vault.Location() == strHome && vault.Key().MasterKey().Equals(homeKey));

    const QString strTwin = root.path() + QStringLiteral("/twin");
    CSecretBytes twinKey;
    QVERIFY(MakeProtected(strTwin, "alice", "secret1", &twinKey));
    QVERIFY(vault.MoveTo(strTwin, &outcome));
    QVERIFY(vault.Key().MasterKey().Equals(twinKey) && vault.Record() != KeyRecordBytes());

    const QString strOld = root.path() + QStringLiteral("/old");
    QVERIFY(Place("empty.txt.$", strOld + QStringLiteral("/FileBox/e.txt.$")));
    QVERIFY(vault.MoveTo(strOld));
    QVERIFY(!vault.IsProtected() && !vault.Key().IsProtected());

    QVERIFY(vault.MoveTo(strHome, &outcome) && vault.Key().MasterKey().Equals(homeKey));
    QVERIFY(
        vault.ChangePassword(QStringLiteral("secret1"), QStringLiteral("secret2"), FAST).Opened());
    const QString strNew = root.path() + QStringLiteral("/new");
    QVERIFY(vault.MoveTo(strNew, &outcome));
    QCOMPARE(ReadAll(MainCopy(strNew)), ReadAll(MainCopy(strHome)));
    QVERIFY(QFileInfo(strNew + QStringLiteral("/OtherBox")).isDir());
    CSecretBytes newKey;
    QCOMPARE(OpenWith(strNew, "alice", "secret2", &newKey), AccessResult::ACCESS_OPENED);
    QVERIFY(newKey.Equals(homeKey));
    // The moved-to place and the key both know the new password now.
    QVERIFY(vault.MoveTo(strHome, &outcome));
    CredentialJudgement judgement;
    QVERIFY(!vault.MoveTo(strStranger, &judgement));
    QCOMPARE(judgement.nVerdict, CredentialVerdict::CREDENTIALS_REJECTED);
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
