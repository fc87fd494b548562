// The settings record, the credential check against the first stored file
// (reference files chinese.txt.$: 张三user / 口令1234, empty.txt.$: alice /
// secret1), opening and making vaults, and the open vault's moves.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "Boxes.h"
#include "CredentialCheck.h"
#include "Fakes.h"
#include "FolderWalk.h"
#include "KeyRecordFiles.h"
#include "KnownVaults.h"
#include "OpenVault.h"
#include "StoredFileHeader.h"
#include "TestFiles.h"
#include "VaultAccess.h"
#include "VaultSettings.h"

using namespace quovex;
using namespace Qt::StringLiterals;

namespace {

constexpr KdfLimits FAST = KDF_FASTEST_LIMITS;

// Writes keys and values as an earlier run would; the value under pszKey.
QString Stored(const char* pszKey, const QStringList& keysAndValues = {}) {
    QSettings store(u"tandrel"_s, u"quovex"_s);
    for (qsizetype i = 0; i + 1 < keysAndValues.size(); i += 2)
        store.setValue(u"SaftyBox/"_s + keysAndValues[i], keysAndValues[i + 1]);
    return store.value(u"SaftyBox/"_s + pszKey).toString();
}

// The main copy of strVault's key record, empty when there is none.
QByteArray MainRecord(const QString& strVault) {
    QFile file(strVault + u"/"_s + QLatin1String(KEY_RECORD_NAME));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Makes a protected vault at strVault; its master key in *pMaster, when given.
bool MakeProtected(const QString& strVault, const std::string& strUser,
                   const std::string& strPassword, CSecretBytes* pMaster = nullptr) {
    CVaultKey key(strUser, strPassword);
    const AccessOutcome made = CreateVault(strVault.toStdString(), strPassword, true, FAST, &key,
                                           nullptr, nullptr, CVaultEnv::Default());
    if (pMaster) *pMaster = key.MasterKey().Clone();
    return made.Opened();
}

AccessResult OpenWith(const QString& strVault, const std::string& strUser,
                      const std::string& strPassword, CSecretBytes* pMaster = nullptr) {
    CVaultKey key(strUser, strPassword);
    const AccessResult nResult =
        OpenVaultKey(strVault.toStdString(), strPassword, &key, nullptr, CVaultEnv::Default())
            .nResult;
    if (pMaster) *pMaster = key.MasterKey().Clone();
    return nResult;
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
    void failuresSetNoKeyAndChangeNothing();
    void openVaultMovesToEachKind();
    void conversionTakesANewPassword();
    void hidingNamesKeepsThePasswordAndGivesANewRecoveryKey();
    void unmakableLocationTellsTheFirstFailure();
    void aCopyWhoseKeyRecordHasNotArrivedIsNeitherOpenedNorMade();
};

void TestAccount::settingsLoadAndSave() {
    // Odd values first, so that only LoadSettings can bring the defaults.
    CVaultSettings settings(u"quovex"_s);
    settings.m_strWorkPath = u"/odd"_s;
    settings.m_bDeleteSource = false;
    settings.SetWindowPlace(QRect(7, 7, 7, 7));
    settings.LoadSettings();
    QCOMPARE(settings.m_strWorkPath, QDir::homePath() + u"/Box"_s);
    QVERIFY(settings.m_bDeleteSource && !settings.m_bSaveUser && !settings.HasWindowPlace());

    // Only the exact text TRUE is true; written back as TRUE or FALSE.
    for (const char* pszText : {"true", "1", "", "TRUE"}) {
        const bool bTrue = qstrcmp(pszText, "TRUE") == 0;
        Stored("", {"DeleteSource", pszText, "SaveUser", pszText});
        settings.LoadSettings();
        QVERIFY(settings.m_bDeleteSource == bTrue && settings.m_bSaveUser == bTrue);
        settings.SaveSettings();
        QCOMPARE(Stored("DeleteSource"), bTrue ? u"TRUE"_s : u"FALSE"_s);
        QCOMPARE(Stored("SaveUser"), Stored("DeleteSource"));
    }

    Stored("", {"SaveUser", "FALSE", "UserName", "张三", "WorkPath", "/srv/保险柜", "Window_X",
                "17", "Window_Y", "-5", "Window_Width", "300", "Window_Height", "-3"});
    settings.LoadSettings();
    QCOMPARE(settings.m_strUserName, QString());  // not read while SaveUser is off
    QCOMPARE(settings.m_strWorkPath, u"/srv/保险柜"_s);
    QVERIFY(settings.WindowPlace() == QRect(17, -5, 300, -3) && !settings.HasWindowPlace());
    // What is saved and read back with the program: tst_runs, tst_settings.
}

void TestAccount::firstStoredFileDecides() {
    QTemporaryDir vault;
    const std::string strVault = vault.path().toStdString();
    // Without a stored file (not a folder or a plain file) anyone gets in.
    QVERIFY(QDir(vault.path()).mkpath(u"FileBox/empty"_s));
    QFile plain(vault.path() + u"/FileBox/plain.txt"_s);
    QVERIFY(plain.open(QIODevice::WriteOnly));
    // Nor is one outside the boxes, as in the user's documents.
    QVERIFY(Place("chinese.txt.$", vault.filePath(u"Documents/a.txt.$"_s)));
    QVERIFY(CheckCredentials(strVault, "bob1", "other-pw", CVaultEnv::Default()));
    QVERIFY(CheckCredentials(strVault + "/missing", "bob1", "pw12", CVaultEnv::Default()));
    // Text the cipher refuses (not UTF-8, too long) never opens a vault.
    QVERIFY(!CheckCredentials(strVault, "\xFF\xFE\x01\x02", "pw12", CVaultEnv::Default()));
    QVERIFY(!CheckCredentials(strVault, "bob1", std::string(64, 'p'), CVaultEnv::Default()));

    QVERIFY(Place("chinese.txt.$", vault.filePath(u"FileBox/one.txt.$"_s)));
    // Opens only when the sum of the GB18030 bytes (not the UTF-8 ones) matches.
    QVERIFY(CheckCredentials(strVault, "张三user", "口令1234", CVaultEnv::Default()));
    QVERIFY(!CheckCredentials(strVault, "张三user", "口令1235", CVaultEnv::Default()));
    QVERIFY(!CheckCredentials(strVault, "张四user", "口令1234", CVaultEnv::Default()));

    QVERIFY(Place("empty.txt.$", vault.filePath(u"FileBox/two.txt.$"_s)));
    const QString strFirst =
        QString::fromStdString(FindFirstStoredFileInBoxes(strVault, CVaultEnv::Default()));
    const bool bOneFirst = strFirst.endsWith(u"one.txt.$"_s);
    QCOMPARE(CheckCredentials(strVault, "张三user", "口令1234", CVaultEnv::Default()), bOneFirst);
    QCOMPARE(CheckCredentials(strVault, "alice", "secret1", CVaultEnv::Default()), !bOneFirst);

    // A damaged first file keeps everyone out, saying so: a wrong signature,
    // a cut inside the checksum (whose last byte is 0, as zeros read in its
    // place would be) or inside the header.
    QFile first(strFirst);
    QVERIFY(first.open(QIODevice::ReadWrite));
    const QByteArray intact = first.readAll();
    QCOMPARE(intact.at(SFF_OFFSET_CHECKSUM + 3), '\0');
    for (const QByteArray& damaged :
         {"X" + intact.mid(1), intact.left(SFF_OFFSET_CHECKSUM + 3), intact.left(200)}) {
        QVERIFY(first.resize(0) && first.write(damaged) == damaged.size() && first.flush());
        const CredentialJudgement judgement =
            JudgeCredentials(strVault, "张三user", "口令1234", CVaultEnv::Default());
        QCOMPARE(judgement.nVerdict, CredentialVerdict::CREDENTIALS_UNDECIDED);
        QCOMPARE(judgement.cause.nReason, FailReason::FAIL_DAMAGED);
        QVERIFY(!CheckCredentials(strVault, "alice", "secret1", CVaultEnv::Default()));
    }
}

// A new vault's record that cannot be written whole is taken away (no vault
// whose recovery key was never shown); a second try works. Wrong credentials
// set no key; a scrambled vault is not made protected over itself; a
// protected vault holding scrambled files keeps its password.
void TestAccount::failuresSetNoKeyAndChangeNothing() {
    QTemporaryDir root;
    const QString strProtected = root.path() + u"/p/vault"_s;
    const std::string strNative = strProtected.toStdString();
    test::CFaultEnv env;
    env.m_fnDuringCopy = [&](const std::string& strTarget) {
        env.m_bFailCommit = strTarget.ends_with(KEY_RECORD_COPY_NAME);
    };
    CVaultKey made("alice", "pw-one");
    CSecretBytes recovery, opened;
    const AccessOutcome failed =
        CreateVault(strNative, "pw-one", true, FAST, &made, nullptr, &recovery, &env);
    QCOMPARE(failed.nResult, AccessResult::ACCESS_DISK_FAILED);
    QCOMPARE(failed.cause.nReason, FailReason::FAIL_IO);
    QVERIFY(!made.IsProtected() && recovery.IsEmpty());
    QCOMPARE(KindOfVault(strNative, CVaultEnv::Default()), VaultKind::VAULT_NONE);
    env = test::CFaultEnv();
    QVERIFY(CreateVault(strNative, "pw-one", true, FAST, &made, nullptr, &recovery, &env).Opened());
    QVERIFY(made.IsProtected() && !recovery.IsEmpty());
    for (const auto& [strUser, strPassword] : {std::pair{"alice", "pw-two"}, {"alicf", "pw-one"}}) {
        QCOMPARE(OpenWith(strProtected, strUser, strPassword, &opened),
                 AccessResult::ACCESS_WRONG_CREDENTIALS);
        QVERIFY(opened.IsEmpty());
    }

    const QString strScrambled = root.path() + u"/s"_s;
    QVERIFY(Place("chinese.txt.$", strScrambled + u"/FileBox/a.txt.$"_s));
    CVaultKey key("张三user", "口令1234");
    const AccessOutcome again = CreateVault(strScrambled.toStdString(), "口令1234", true, FAST,
                                            &key, nullptr, nullptr, CVaultEnv::Default());
    QVERIFY(again.nResult == AccessResult::ACCESS_EXISTS && !key.IsProtected());
    QVERIFY(MainRecord(strScrambled).isEmpty());

    const QByteArray before = MainRecord(strProtected);
    const QString strLeft = strProtected + u"/FileBox/deep/left.txt.$"_s;
    QVERIFY(Place("chinese.txt.$", strLeft));
    const AccessOutcome left =
        ChangeVaultPassword(strNative, "alice", "pw-one", "new-pw", FAST, CVaultEnv::Default());
    QCOMPARE(left.nResult, AccessResult::ACCESS_SCRAMBLED_FILES_LEFT);
    QCOMPARE(QString::fromStdString(left.strPath), strLeft);
    QVERIFY(MainRecord(strProtected) == before && QFile::remove(strLeft));
    QVERIFY(ChangeVaultPassword(strNative, "alice", "pw-one", "new-pw", FAST, CVaultEnv::Default())
                .Opened());
    QCOMPARE(OpenWith(strProtected, "alice", "new-pw", &opened), AccessResult::ACCESS_OPENED);
    QVERIFY(opened.Equals(made.MasterKey()));
}

// The open vault moves into a protected vault only with the password typed
// again (it keeps none), into a scrambled one by the scramble key while it
// holds one, and makes an empty place another place of itself, which
// follows a password change. Where it is refused it stays, tells no one
// and makes nothing.
void TestAccount::openVaultMovesToEachKind() {
    QTemporaryDir root;
    const QString strHome = root.path() + u"/home"_s;
    QVERIFY(MakeProtected(strHome, "alice", "secret1"));
    COpenVault vault(strHome, u"alice"_s, u"secret1"_s, CVaultEnv::Default());
    QVERIFY(vault.Kind() == VaultKind::VAULT_PROTECTED && vault.Open(u"secret1"_s).Opened());
    QVERIFY(vault.IsProtected());
    // The files it stores name the vault of its record.
    const QByteArray homeRecord = MainRecord(strHome);
    QVERIFY(vault.Key().HasVaultId());
    QCOMPARE(VaultIdHex(vault.Key().VaultId()),
             VaultIdText(KeyRecordBytes(homeRecord.begin(), homeRecord.end())));
    const CSecretBytes homeKey = vault.Key().MasterKey().Clone();
    QSignalSpy moved(&vault, &COpenVault::LocationChanged);

    const QString strStranger = root.path() + u"/stranger"_s;
    const QString strOther = root.path() + u"/other"_s;  // 张三user's, scrambled
    QVERIFY(MakeProtected(strStranger, "alice", "other-pw"));
    QVERIFY(Place("chinese.txt.$", strOther + u"/FileBox/one.txt.$"_s));
    AccessOutcome outcome;
    QVERIFY(!vault.MoveTo(strStranger, &outcome));
    QCOMPARE(outcome.nResult, AccessResult::ACCESS_PASSWORD_NEEDED);
    QVERIFY(!vault.MoveTo(strStranger, &outcome, u"secret1"_s));
    QCOMPARE(outcome.nResult, AccessResult::ACCESS_WRONG_CREDENTIALS);
    QVERIFY(!vault.MoveTo(strOther) && moved.isEmpty());
    QVERIFY(!QFileInfo::exists(strOther + u"/ImageBox"_s));
    QVERIFY(vault.Location() == strHome && vault.Key().MasterKey().Equals(homeKey));
    QCOMPARE(COpenVault(u"/"_s, QString(), QString(), CVaultEnv::Default()).BoxFolder(BOX_VIDEO),
             u"/VideoBox"_s);

    const QString strTwin = root.path() + u"/twin"_s;
    CSecretBytes twinKey;
    QVERIFY(MakeProtected(strTwin, "alice", "secret1", &twinKey));
    QVERIFY(vault.MoveTo(strTwin, &outcome, u"secret1"_s));
    QVERIFY(vault.Key().MasterKey().Equals(twinKey) && vault.Record() != KeyRecordBytes());

    const QString strOld = root.path() + u"/old"_s;
    QVERIFY(Place("empty.txt.$", strOld + u"/FileBox/e.txt.$"_s));
    QVERIFY(vault.MoveTo(strOld) && !vault.IsProtected() && !vault.Key().IsProtected());

    QVERIFY(vault.MoveTo(strHome, &outcome, u"secret1"_s));
    QVERIFY(vault.Key().MasterKey().Equals(homeKey));
    QVERIFY(vault.ChangePassword(u"secret1"_s, u"secret2"_s, FAST).Opened());
    // No scrambled file is left, so the scramble key went with the change.
    QVERIFY(!vault.Key().CanScramble());
    QVERIFY(!vault.MoveTo(strOld, &outcome));
    QCOMPARE(outcome.nResult, AccessResult::ACCESS_PASSWORD_NEEDED);
    const QString strNew = root.path() + u"/new"_s;
    QVERIFY(vault.MoveTo(strNew, &outcome));
    QCOMPARE(MainRecord(strNew), MainRecord(strHome));
    QVERIFY(QFileInfo(strNew + u"/OtherBox"_s).isDir());
    CSecretBytes newKey;
    QCOMPARE(OpenWith(strNew, "alice", "secret2", &newKey), AccessResult::ACCESS_OPENED);
    QVERIFY(newKey.Equals(homeKey));
    QVERIFY(vault.MoveTo(strHome, &outcome, u"secret2"_s));
}

// Protecting a scrambled vault seals it under a new password, never the
// old one, which its scrambled files give away. A conversion that stopped
// goes on in the same session with the scramble key held; after a new
// login, with the files' own password typed again. A vault protected under
// its scrambled files' password (by an earlier version) takes a new one
// before they are converted.
void TestAccount::conversionTakesANewPassword() {
    QTemporaryDir root;
    const QString strVault = root.path() + u"/v"_s;
    const QString strLeft = strVault + u"/FileBox/a.txt.$"_s;
    QVERIFY(Place("chinese.txt.$", strLeft));
    const QString strOld = u"口令1234"_s, strNew = u"新的口令abcd"_s;
    using Step = COpenVault::ConversionStep;
    {
        COpenVault vault(strVault, u"张三user"_s, strOld, CVaultEnv::Default());
        QVERIFY(vault.Open(strOld).Opened() && !vault.IsProtected());
        QCOMPARE(vault.Protect(strOld, FAST, nullptr).nResult,
                 AccessResult::ACCESS_PASSWORD_UNCHANGED);
        QVERIFY(MainRecord(strVault).isEmpty());
        QVERIFY(vault.Protect(strNew, FAST, nullptr).Opened());
        QCOMPARE(vault.NextConversionStep(), Step::STEP_READY);
    }
    QCOMPARE(OpenWith(strVault, "张三user", strOld.toStdString()),
             AccessResult::ACCESS_WRONG_CREDENTIALS);
    COpenVault later(strVault, u"张三user"_s, strNew, CVaultEnv::Default());
    QVERIFY(later.Open(strNew).Opened() && later.IsProtected());
    QCOMPARE(later.NextConversionStep(), Step::STEP_NEEDS_OLD_PASSWORD);
    QCOMPARE(later.AdmitScrambledFiles(u"口令12345"_s).nResult,
             AccessResult::ACCESS_WRONG_CREDENTIALS);
    QVERIFY(later.AdmitScrambledFiles(strOld).Opened());
    QCOMPARE(later.NextConversionStep(), Step::STEP_READY);

    const QString strEarlier = root.path() + u"/earlier"_s;
    QVERIFY(MakeProtected(strEarlier, "张三user", strOld.toStdString()));
    QVERIFY(Place("chinese.txt.$", strEarlier + u"/FileBox/a.txt.$"_s));
    COpenVault earlier(strEarlier, u"张三user"_s, strOld, CVaultEnv::Default());
    QVERIFY(earlier.Open(strOld).Opened());
    QCOMPARE(earlier.NextConversionStep(), Step::STEP_NEEDS_NEW_PASSWORD);
    QCOMPARE(earlier.ResealForConversion(strOld, strOld, FAST).nResult,
             AccessResult::ACCESS_PASSWORD_UNCHANGED);
    QVERIFY(earlier.ResealForConversion(strOld, strNew, FAST).Opened());
    QCOMPARE(earlier.NextConversionStep(), Step::STEP_READY);
    QCOMPARE(OpenWith(strEarlier, "张三user", strNew.toStdString()), AccessResult::ACCESS_OPENED);
    QVERIFY(QFile::remove(strLeft));
    QCOMPARE(later.NextConversionStep(), Step::STEP_NOTHING_LEFT);
}

// The record of a vault whose names were all hidden says so: the password
// stays, the master key too, and a new recovery key opens the record where
// the old one no longer does; a scrambled file left or a wrong password
// refuses it, and so does a second time. Until this build opens such
// vaults, nothing is written at all.
void TestAccount::hidingNamesKeepsThePasswordAndGivesANewRecoveryKey() {
    QTemporaryDir root;
    const QString strVault = root.path() + u"/v"_s, strPassword = u"口令secret"_s;
    CSecretBytes made, oldRecovery, recovery;
    QVERIFY(test::MakeVisibleNamesVault(strVault.toStdString(), "alice", strPassword.toStdString(),
                                        FAST, &made, &oldRecovery));
    COpenVault vault(strVault, u"alice"_s, strPassword, CVaultEnv::Default());
    QVERIFY(vault.Open(strPassword).Opened() && !vault.Key().NamesHidden());
    const QByteArray before = MainRecord(strVault);
    if (!HiddenNamesOpen()) {
        QCOMPARE(vault.HideNames(strPassword, FAST, &recovery).nResult,
                 AccessResult::ACCESS_RECORD_UNSUPPORTED);
        QCOMPARE(MainRecord(strVault), before);
        QVERIFY(!vault.Key().NamesHidden() && recovery.IsEmpty());
        return;
    }
    const QString strLeft = strVault + u"/FileBox/left.txt.$"_s;
    QVERIFY(Place("empty.txt.$", strLeft));
    QCOMPARE(vault.HideNames(strPassword, FAST, &recovery).nResult,
             AccessResult::ACCESS_SCRAMBLED_FILES_LEFT);
    QVERIFY(QFile::remove(strLeft));
    QCOMPARE(vault.HideNames(u"wrong-password"_s, FAST, &recovery).nResult,
             AccessResult::ACCESS_WRONG_CREDENTIALS);
    QCOMPARE(MainRecord(strVault), before);

    QVERIFY(vault.HideNames(strPassword, FAST, &recovery).Opened());
    QVERIFY(vault.Key().NamesHidden());
    const KeyRecordBytes& vRecord = vault.Record();
    QCOMPARE(NamesOfRecord(vRecord), VaultNames::NAMES_HIDDEN);
    QCOMPARE(MainRecord(strVault), QByteArray(reinterpret_cast<const char*>(vRecord.data()),
                                              static_cast<qsizetype>(vRecord.size())));
    CSecretBytes master;
    QCOMPARE(OpenWith(strVault, "alice", strPassword.toStdString(), &master),
             AccessResult::ACCESS_OPENED);
    QVERIFY(master.Equals(made));
    const auto Text = [](const CSecretBytes& text) {
        return std::string_view(reinterpret_cast<const char*>(text.Data()), text.Size());
    };
    QVERIFY(!recovery.IsEmpty() && !recovery.Equals(oldRecovery));
    QCOMPARE(UnsealWithRecoveryKey(vRecord, Text(recovery), &master), KeyRecordResult::KEY_OPENED);
    QCOMPARE(UnsealWithRecoveryKey(vRecord, Text(oldRecovery), &master),
             KeyRecordResult::KEY_WRONG_RECOVERY_KEY);
    QCOMPARE(vault.HideNames(strPassword, FAST, &recovery).nResult, AccessResult::ACCESS_EXISTS);
}

// A location that cannot be a vault, made new or moved to by an open vault
// of either kind, is told by the failure that stopped it (not by a later
// look finding the box missing): no write permission, a read-only volume,
// a file. Nothing is opened or moved.
void TestAccount::unmakableLocationTellsTheFirstFailure() {
    QTemporaryDir root;
    const QString strEmpty = root.path() + u"/empty"_s, strFile = root.path() + u"/file"_s;
    QVERIFY(QDir().mkpath(strEmpty) && QFile(strFile).open(QIODevice::WriteOnly));
    test::CFaultEnv env;
    COpenVault scrambled(root.path() + u"/s"_s, u"alice"_s, u"secret1"_s, &env);
    QVERIFY(MakeProtected(root.path() + u"/p"_s, "alice", "secret1"));
    COpenVault prot(root.path() + u"/p"_s, u"alice"_s, u"secret1"_s, &env);
    QVERIFY(scrambled.Open(u"secret1"_s).Opened() && prot.Open(u"secret1"_s).Opened() &&
            prot.IsProtected());
    for (const int nErrno : {EACCES, EROFS, ENOTDIR}) {
        env.m_nNewFolderErrno = nErrno == ENOTDIR ? 0 : nErrno;
        const QString strAt = nErrno == ENOTDIR ? strFile : strEmpty;
        const std::string strFailed =
            (nErrno == ENOTDIR ? strFile : strEmpty + u"/FileBox"_s).toStdString();
        for (bool bProtected : {false, true}) {
            CVaultKey key("alice", "secret1");
            const AccessOutcome made = CreateVault(strAt.toStdString(), "secret1", bProtected, FAST,
                                                   &key, nullptr, nullptr, &env);
            QCOMPARE(made.cause, CauseOfErrno(nErrno));
            QCOMPARE(made.strPath, strFailed);
            AccessOutcome moved;
            QVERIFY(!(bProtected ? prot : scrambled).MoveTo(strAt, &moved));
            QVERIFY(moved.nResult == AccessResult::ACCESS_DISK_FAILED &&
                    moved.cause == CauseOfErrno(nErrno) && moved.strPath == strFailed);
        }
    }
    QCOMPARE(CauseOfErrno(ENOTDIR).nReason, FailReason::FAIL_NOT_FOLDER);
    QVERIFY(scrambled.Location() == root.path() + u"/s"_s && prot.IsProtected());
    QVERIFY(QDir(strEmpty).isEmpty());
}

int main(int argc, char** argv) {
    // Before the application exists: QSettings reads the folders once.
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + u"/config"_s).toLocal8Bit());
    QCoreApplication app(argc, argv);
    TestAccount tc;
    return home.isValid() ? QTest::qExec(&tc, argc, argv) : 1;
}

#include "tst_account.moc"

// A vault's copy on a second machine before its key record arrived (box
// folders with a protected stored file, a sync engine's folder with the
// boxes, a conflict copy of the record) is neither opened nor taken for a
// new vault: nothing is written there. A folder a sync engine shares that
// holds no vault yet, and a scrambled vault in one, stay what they were.
void TestAccount::aCopyWhoseKeyRecordHasNotArrivedIsNeitherOpenedNorMade() {
    QTemporaryDir root;
    const auto fnRefused = [](const QString& strVault) {
        CVaultKey key("alice", "secret-pw1");
        const std::string strNative = strVault.toStdString();
        const bool bAwaited = RecordAwaited(strNative, CVaultEnv::Default());
        const AccessResult nCreate = CreateVault(strNative, "secret-pw1", true, FAST, &key, nullptr,
                                                 nullptr, CVaultEnv::Default())
                                         .nResult;
        const AccessResult nOpen =
            OpenVaultKey(strNative, "secret-pw1", &key, nullptr, CVaultEnv::Default()).nResult;
        return bAwaited && nCreate == AccessResult::ACCESS_RECORD_AWAITED &&
               nOpen == AccessResult::ACCESS_RECORD_AWAITED &&
               !QFileInfo::exists(strVault + u"/.quovex-key"_s) && !key.IsProtected();
    };
    const QString strFiles = root.path() + u"/files"_s;
    CreateBoxFolders(strFiles.toStdString(), CVaultEnv::Default());
    QVERIFY(Place("protected/placed300.bin.$", strFiles + u"/FileBox/a.bin.$"_s));
    QVERIFY(fnRefused(strFiles));

    const QString strShared = root.path() + u"/shared"_s;
    QVERIFY(QDir().mkpath(strShared + u"/.stfolder"_s));
    QVERIFY(!RecordAwaited(strShared.toStdString(), CVaultEnv::Default()));
    CreateBoxFolders(strShared.toStdString(), CVaultEnv::Default());
    QVERIFY(fnRefused(strShared));

    const QString strConflict = root.path() + u"/conflict"_s;
    QVERIFY(QDir().mkpath(strConflict));
    QVERIFY(Place("chinese.txt",
                  strConflict + u"/.sync-conflict-20261209-022408-S3MHZRP.quovex-key"_s));
    QVERIFY(fnRefused(strConflict));

    // A shared folder that holds no vault yet takes a new one; a scrambled
    // vault shared opens as it always did.
    const QString strNew = root.path() + u"/new"_s;
    QVERIFY(QDir().mkpath(strNew + u"/.stversions"_s));
    QVERIFY(MakeProtected(strNew, "alice", "secret-pw1"));
    QCOMPARE(OpenWith(strNew, "alice", "secret-pw1"), AccessResult::ACCESS_OPENED);
    const QString strScrambled = root.path() + u"/scrambled"_s;
    CVaultKey scrambled("alice", "secret1");
    QVERIFY(CreateVault(strScrambled.toStdString(), "secret1", false, FAST, &scrambled, nullptr,
                        nullptr, CVaultEnv::Default())
                .Opened());
    QVERIFY(QDir().mkpath(strScrambled + u"/.stfolder"_s));
    QVERIFY(!RecordAwaited(strScrambled.toStdString(), CVaultEnv::Default()));
    QCOMPARE(OpenWith(strScrambled, "alice", "secret1"), AccessResult::ACCESS_OPENED);
}
