// The key record and its two copies on disk; every record uses the fastest
// derivation limits.
#include <gtest/gtest.h>
#include <sodium.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <string>

#include "Fakes.h"
#include "KeyRecordFiles.h"
#include "ReferenceVault.h"
#include "StoredKeyFit.h"
#include "TestFiles.h"
#include "VaultKey.h"

using namespace quovex;
using namespace quovex::test;
namespace fs = std::filesystem;
using enum KeyRecordResult;

namespace {

NewKeyRecord MakeRecord(const std::string& strUser, const std::string& strPassword) {
    NewKeyRecord made;
    EXPECT_EQ(
        CreateKeyRecord(strUser, strPassword, KDF_FASTEST_LIMITS, VaultNames::NAMES_VISIBLE, &made),
        KEY_OPENED);
    return made;
}

// The record with its last bytes made the checksum of the rest again, as a
// forger would.
KeyRecordBytes Rechecked(KeyRecordBytes v) {
    const std::size_t nBody = v.size() - KR_CHECKSUM_SIZE;
    crypto_generichash(v.data() + nBody, KR_CHECKSUM_SIZE, v.data(), nBody, nullptr, 0);
    return v;
}

KeyRecordResult Try(const KeyRecordBytes& v, const std::string& strUser,
                    const std::string& strPassword, CSecretBytes* pKey = nullptr) {
    CSecretBytes key;
    const KeyRecordResult result = UnsealWithPassword(v, strUser, strPassword, &key);
    EXPECT_EQ(key.IsEmpty(), result != KEY_OPENED);
    if (pKey) *pKey = std::move(key);
    return result;
}

KeyRecordResult TryRecovery(const KeyRecordBytes& v, const std::string& strText) {
    CSecretBytes key;
    return UnsealWithRecoveryKey(v, strText, &key);
}

}  // namespace

// A byte changed anywhere fails the checksum: damaged, whatever the
// credentials. A forger who fixes the checksum still cannot open it: every
// byte before the seals is bound into them, and limits out of range are
// refused before the hash runs (opslimit 0 would fail in libsodium, 2^32 - 1
// passes would run for hours), as they are when a record is made. A sound
// record of another version is told apart.
TEST(KeyRecordTest, DamageLimitsAndVersionsAreToldApartFromWrongCredentials) {
    const NewKeyRecord made = MakeRecord("bob", "pw");
    const KeyRecordLayout& layout = KeyRecordLayoutOf(made.vRecord[KR_OFFSET_VERSION]);
    const std::string strRecovery = TextOf(made.recoveryText);
    for (std::size_t i = 0; i < made.vRecord.size(); ++i) {
        KeyRecordBytes v = made.vRecord;
        v[i] ^= 0x01;
        EXPECT_EQ(Try(v, "bob", "pw"), KEY_DAMAGED) << i;
        EXPECT_EQ(TryRecovery(v, strRecovery), KEY_DAMAGED) << i;
    }
    KeyRecordBytes vLonger = made.vRecord, vShorter = made.vRecord;
    vLonger.push_back(0);
    vShorter.pop_back();
    for (const KeyRecordBytes& v : {vLonger, vShorter, KeyRecordBytes(), Rechecked(vLonger)})
        EXPECT_EQ(Try(v, "bob", "pw"), KEY_DAMAGED);

    // The generation is bound into the password seal: a record cannot be
    // made to look newer without its credentials.
    for (std::size_t i = KR_OFFSET_VAULT_ID; i < layout.nChecksum; ++i) {
        if (i >= layout.nOpsLimit && i < layout.nSalt) continue;  // the limits: below
        KeyRecordBytes v = made.vRecord;
        v[i] ^= 0x01;
        v = Rechecked(v);
        EXPECT_EQ(Try(v, "bob", "pw"), KEY_WRONG_CREDENTIALS) << i;
        // A new password leaves the recovery seal valid: it binds only what comes before it.
        const KeyRecordResult recovery =
            i < KR_OFFSET_OPSLIMIT ? KEY_WRONG_RECOVERY_KEY : KEY_OPENED;
        EXPECT_EQ(TryRecovery(v, strRecovery), recovery) << i;
    }

    EXPECT_TRUE(KdfLimitsInRange({KDF_MAX_OPSLIMIT, KDF_MAX_MEMLIMIT}));
    EXPECT_TRUE(KdfLimitsInRange(KDF_DEFAULT_LIMITS));
    const KdfLimits outside[] = {
        {0, KDF_MIN_MEMLIMIT},          {KDF_MAX_OPSLIMIT + 1, KDF_MIN_MEMLIMIT},
        {0xFFFFFFFF, KDF_MIN_MEMLIMIT}, {1, KDF_MIN_MEMLIMIT - 1},
        {1, KDF_MAX_MEMLIMIT + 1},      {1, 1ull << 40}};
    for (const KdfLimits& limits : outside) {
        NewKeyRecord none;
        EXPECT_EQ(CreateKeyRecord("bob", "pw", limits, VaultNames::NAMES_HIDDEN, &none),
                  KEY_LIMITS_OUT_OF_RANGE);
        EXPECT_TRUE(none.vRecord.empty() && none.masterKey.IsEmpty());
        KeyRecordBytes vResealed;
        EXPECT_EQ(ResealKeyRecord(made.vRecord, made.masterKey, "bob", "pw", limits, &vResealed),
                  KEY_LIMITS_OUT_OF_RANGE);
        KeyRecordBytes v = made.vRecord;
        for (int i = 0; i < 4; ++i)
            v[layout.nOpsLimit + i] = static_cast<unsigned char>(limits.nOpsLimit >> (8 * i));
        for (int i = 0; i < 8; ++i)
            v[layout.nMemLimit + i] = static_cast<unsigned char>(limits.nMemLimit >> (8 * i));
        EXPECT_EQ(Try(Rechecked(v), "bob", "pw"), KEY_LIMITS_OUT_OF_RANGE);
    }

    KeyRecordBytes vNext = made.vRecord;
    vNext[KR_OFFSET_VERSION] = KR_VERSION + 1;
    vNext.resize(KR_RECORD_SIZE + 40);  // a longer layout, checksum last
    EXPECT_EQ(Try(Rechecked(vNext), "bob", "pw"), KEY_UNSUPPORTED_VERSION);
}

// Both the user name and the password must match; the recovery key opens
// the same master key; each record has its own master key. A new password:
// new salt and seal, the same vault id and master key, the old password
// refused, the recovery key still valid, also after a recovery under
// another user name.
TEST(KeyRecordTest, SealsTheMasterKeyUnderUserNameAndPasswordAndResealsIt) {
    const NewKeyRecord made = MakeRecord("alice", "密码 pw");
    const std::string strRecovery = TextOf(made.recoveryText);
    CSecretBytes key;
    EXPECT_EQ(Try(made.vRecord, "alice", "密码 pw", &key), KEY_OPENED);
    EXPECT_TRUE(key.Equals(made.masterKey));
    EXPECT_EQ(Try(made.vRecord, "Alice", "密码 pw"), KEY_WRONG_CREDENTIALS);
    EXPECT_EQ(Try(made.vRecord, "alice", "密码 pw "), KEY_WRONG_CREDENTIALS);
    EXPECT_EQ(Try(made.vRecord, "alice密码", " pw"), KEY_WRONG_CREDENTIALS);
    ASSERT_EQ(UnsealWithRecoveryKey(made.vRecord, strRecovery, &key), KEY_OPENED);
    EXPECT_TRUE(key.Equals(made.masterKey));
    const NewKeyRecord other = MakeRecord("alice", "密码 pw");
    EXPECT_FALSE(other.masterKey.Equals(made.masterKey));
    EXPECT_EQ(TryRecovery(other.vRecord, strRecovery), KEY_WRONG_RECOVERY_KEY);

    KeyRecordBytes vNew;
    ASSERT_EQ(
        ResealKeyRecord(made.vRecord, made.masterKey, "alice", "new", KDF_FASTEST_LIMITS, &vNew),
        KEY_OPENED);
    EXPECT_EQ(Try(vNew, "alice", "new", &key), KEY_OPENED);
    EXPECT_TRUE(key.Equals(made.masterKey));
    EXPECT_EQ(Try(vNew, "alice", "密码 pw"), KEY_WRONG_CREDENTIALS);
    EXPECT_EQ(TryRecovery(vNew, strRecovery), KEY_OPENED);
    // The vault id and the recovery seal are kept; salt and seal are new,
    // and so is the generation, above the newest the caller knows.
    const std::size_t nSalt = KR_LAYOUT_COUNTED.nSalt;
    EXPECT_TRUE(std::equal(vNew.begin(), vNew.begin() + KR_OFFSET_OPSLIMIT, made.vRecord.begin()));
    EXPECT_FALSE(std::equal(vNew.begin() + nSalt, vNew.end(), made.vRecord.begin() + nSalt));
    EXPECT_EQ(GenerationOf(made.vRecord), 1u);
    EXPECT_EQ(GenerationOf(vNew), 2u);
    KeyRecordBytes vAhead;
    ASSERT_EQ(ResealKeyRecord(vNew, made.masterKey, "alice", "new", KDF_FASTEST_LIMITS, &vAhead, 7),
              KEY_OPENED);
    EXPECT_EQ(GenerationOf(vAhead), 8u);
    unsigned char id[KR_VAULT_ID_SIZE];
    EXPECT_TRUE(ReadVaultId(vNew, id));
    EXPECT_EQ(std::memcmp(id, vNew.data() + KR_OFFSET_VAULT_ID, sizeof id), 0);

    ASSERT_EQ(UnsealWithRecoveryKey(vNew, strRecovery, &key), KEY_OPENED);
    KeyRecordBytes vRecovered;
    EXPECT_EQ(ResealKeyRecord(vNew, key, "erin", "third", KDF_FASTEST_LIMITS, &vRecovered),
              KEY_OPENED);
    EXPECT_EQ(Try(vRecovered, "erin", "third"), KEY_OPENED);
    EXPECT_EQ(Try(vRecovered, "alice", "new"), KEY_WRONG_CREDENTIALS);
    vNew[nSalt] ^= 1;
    EXPECT_EQ(ResealKeyRecord(vNew, key, "erin", "x", KDF_FASTEST_LIMITS, &vRecovered),
              KEY_DAMAGED);
    EXPECT_TRUE(vRecovered.empty());
}

// Hiding a vault's names keeps its id and master key under a new version
// that only the new password part and a new recovery key open; a flipped
// version byte is damage, never the other kind of vault.
TEST(KeyRecordTest, HiddenNamesAreAVersionOfTheirOwnWithANewRecoveryKey) {
    const NewKeyRecord made = MakeRecord("alice", "pw");
    EXPECT_EQ(NamesOfRecord(made.vRecord), VaultNames::NAMES_VISIBLE);
    NewKeyRecord hidden;
    ASSERT_EQ(RecordWithHiddenNames(made.vRecord, made.masterKey, "alice", "pw2",
                                    KDF_FASTEST_LIMITS, &hidden),
              KEY_OPENED);
    EXPECT_EQ(NamesOfRecord(hidden.vRecord), VaultNames::NAMES_HIDDEN);
    EXPECT_EQ(hidden.vRecord[KR_OFFSET_VERSION], KR_VERSION_COUNTED_HIDDEN);
    EXPECT_EQ(GenerationOf(hidden.vRecord), 2u);
    EXPECT_TRUE(std::equal(hidden.vRecord.begin() + KR_OFFSET_VAULT_ID,
                           hidden.vRecord.begin() + KR_OFFSET_RECOVERY_NONCE,
                           made.vRecord.begin() + KR_OFFSET_VAULT_ID));
    CSecretBytes key;
    EXPECT_EQ(Try(hidden.vRecord, "alice", "pw2", &key), KEY_OPENED);
    EXPECT_TRUE(key.Equals(made.masterKey) && hidden.masterKey.Equals(made.masterKey));
    EXPECT_EQ(Try(hidden.vRecord, "alice", "pw"), KEY_WRONG_CREDENTIALS);
    EXPECT_EQ(TryRecovery(hidden.vRecord, TextOf(made.recoveryText)), KEY_WRONG_RECOVERY_KEY);
    EXPECT_EQ(TryRecovery(hidden.vRecord, TextOf(hidden.recoveryText)), KEY_OPENED);
    KeyRecordBytes vFlipped = hidden.vRecord;
    vFlipped[KR_OFFSET_VERSION] = KR_VERSION_COUNTED_VISIBLE;
    EXPECT_EQ(Try(vFlipped, "alice", "pw2"), KEY_DAMAGED);
    EXPECT_EQ(Try(Rechecked(vFlipped), "alice", "pw2"), KEY_WRONG_CREDENTIALS);
    EXPECT_EQ(TryRecovery(Rechecked(vFlipped), TextOf(hidden.recoveryText)),
              KEY_WRONG_RECOVERY_KEY);
}

// Crockford base32 in 13 groups of four; typed back in any case, with or
// without dashes and spaces, O for 0 and I or L for 1. Nothing else passes.
TEST(KeyRecordTest, RecoveryKeyTextForgivesTypingButNotAnotherKey) {
    CSecretBytes ones(RECOVERY_KEY_SIZE), eights(RECOVERY_KEY_SIZE), parsed;
    std::memset(ones.Data(), 0xFF, RECOVERY_KEY_SIZE);
    std::memset(eights.Data(), 0x08, RECOVERY_KEY_SIZE);
    std::string strAllOnes;
    for (int i = 0; i < 12; ++i) strAllOnes += "ZZZZ-";
    EXPECT_EQ(TextOf(FormatRecoveryKey(ones)), strAllOnes + "ZZZG");  // 4 zero bits after 256

    const std::string strText = TextOf(FormatRecoveryKey(eights));
    ASSERT_EQ(strText.size(), RECOVERY_TEXT_SIZE);
    EXPECT_EQ(strText.substr(0, 15), "1040-G208-1040-");
    std::string strTyped;
    for (char c : strText) {
        if (c == '-') continue;
        c = c == '0' ? 'o' : c == '1' ? 'L' : static_cast<char>(std::tolower(c));
        strTyped += strTyped.size() % 7 == 3 ? std::string(" ") + c : std::string(1, c);
    }
    ASSERT_TRUE(ParseRecoveryKey(strTyped, &parsed)) << strTyped;
    EXPECT_TRUE(parsed.Equals(eights));
    // One character changed in place: GCC 12 at -O3 sees a false overlap in
    // "i" + ... and in replace().
    const auto fnWith = [&strText](std::size_t nAt, char c) {
        std::string strChanged = strText;
        strChanged[nAt] = c;
        return strChanged;
    };
    EXPECT_TRUE(ParseRecoveryKey(fnWith(0, 'i'), &parsed));
    EXPECT_TRUE(parsed.Equals(eights));

    const std::string refused[] = {strText.substr(1), strText + "0",       fnWith(0, 'U'),
                                   fnWith(0, '*'),    strAllOnes + "ZZZZ", fnWith(5, '\n')};
    for (const std::string& strBad : refused) {
        EXPECT_FALSE(ParseRecoveryKey(strBad, &parsed)) << strBad;
        EXPECT_TRUE(parsed.IsEmpty());
    }
}

// The copies on disk: both written new (never over an existing record),
// the main one rewritten from the second when it is missing, damaged or
// replaced by a link (never followed), and the second from the main one.
// Both damaged: a clear code and nothing written.
TEST(KeyRecordFilesTest, ADamagedCopyIsRewrittenFromTheSoundOneAndTwoDamagedAreNotTouched) {
    CTempDir tmp;
    const std::string strVault = tmp / "vault", strMain = tmp / "vault/.quovex-key",
                      strCopy = tmp / "vault/.quovex-key.2";
    fs::create_directories(strVault);
    KeyRecordOpening opened;
    EXPECT_EQ(OpenKeyRecordWithPassword(strVault, "fay", "pw", {}, &opened, CVaultEnv::Default()),
              KEY_NOT_FOUND);
    EXPECT_FALSE(IsProtectedVault(strVault, CVaultEnv::Default()));
    const NewKeyRecord made = MakeRecord("fay", "pw");
    ASSERT_EQ(WriteNewKeyRecord(strVault, made.vRecord, CVaultEnv::Default()).nOutcome,
              FileOutcome::FILE_DONE);
    const Tree agreed{{".quovex-key", made.vRecord}, {".quovex-key.2", made.vRecord}};
    EXPECT_EQ(SnapshotTree(strVault), agreed);
    EXPECT_EQ(ModeOf(strMain), 0600u);
    EXPECT_EQ(WriteNewKeyRecord(strVault, MakeRecord("x", "y").vRecord, CVaultEnv::Default())
                  .cause.nErrno,
              EEXIST);
    EXPECT_EQ(SnapshotTree(strVault), agreed);

    Bytes vDamaged = made.vRecord;
    vDamaged[KR_OFFSET_PASSWORD_SEAL] ^= 0x80;
    WriteBytes(tmp / "outside", vDamaged);
    // Damaged, replaced by a link, removed.
    const auto fnBreak = [&](const std::string& strPath, int nHow) {
        fs::remove(strPath);
        if (nHow == 0) WriteBytes(strPath, vDamaged);
        if (nHow == 1) fs::create_symlink(tmp / "outside", strPath);
    };
    for (const std::string& strBroken : {strMain, strCopy}) {
        for (const int nHow : {0, 1, 2}) {
            fnBreak(strBroken, nHow);
            EXPECT_TRUE(IsProtectedVault(strVault, CVaultEnv::Default()));
            EXPECT_EQ(
                OpenKeyRecordWithPassword(strVault, "fay", "pw", {}, &opened, CVaultEnv::Default()),
                KEY_OPENED);
            EXPECT_TRUE(opened.masterKey.Equals(made.masterKey));
            EXPECT_TRUE(opened.bRepaired && !opened.bRepairFailed);
            EXPECT_EQ(SnapshotTree(strVault), agreed);
        }
    }
    EXPECT_EQ(ReadBytes(tmp / "outside"), vDamaged);

    fnBreak(strMain, 0);
    EXPECT_EQ(
        OpenKeyRecordWithPassword(strVault, "fay", "wrong", {}, &opened, CVaultEnv::Default()),
        KEY_WRONG_CREDENTIALS);
    EXPECT_EQ(ReadBytes(strMain), vDamaged);
    for (const int nHow : {0, 2}) {
        fnBreak(strCopy, nHow);
        const Tree before = SnapshotTree(strVault);
        EXPECT_EQ(
            OpenKeyRecordWithPassword(strVault, "fay", "pw", {}, &opened, CVaultEnv::Default()),
            KEY_DAMAGED);
        EXPECT_EQ(OpenKeyRecordWithRecoveryKey(strVault, TextOf(made.recoveryText), {}, &opened,
                                               CVaultEnv::Default()),
                  KEY_DAMAGED);
        EXPECT_TRUE(opened.masterKey.IsEmpty());
        EXPECT_EQ(SnapshotTree(strVault), before);
    }
}

// A record of another vault copied in (same user name and password) never
// replaces this vault's: the copy whose key opens the stored files is in
// force, the other is named and left alone; with no stored file to decide,
// or when the only sound copy is the other vault's, nothing opens and
// nothing is written. The recovery key is tried against both copies.
TEST(KeyRecordFilesTest, ARecordOfAnotherVaultIsNeverWrittenOverThisVaults) {
    CTempDir tmp;
    const std::string strVault = tmp / "a", strMain = tmp / "a/.quovex-key",
                      strCopy = tmp / "a/.quovex-key.2";
    const NewKeyRecord mine = MakeRecord("hal", "pw"), other = MakeRecord("hal", "pw");
    fs::create_directories(tmp / "a/FileBox");
    ASSERT_EQ(WriteNewKeyRecord(strVault, mine.vRecord, CVaultEnv::Default()).nOutcome,
              FileOutcome::FILE_DONE);
    const KeyFitter fnFits = [&](const CSecretBytes& key) {
        return TryKeyOnStoredFiles(strVault, key, CVaultEnv::Default());
    };
    const auto fnOpen = [&](KeyRecordOpening* pOpened, bool bRecovery = false,
                            const NewKeyRecord* pRecovery = nullptr) {
        return bRecovery ? OpenKeyRecordWithRecoveryKey(strVault, TextOf(pRecovery->recoveryText),
                                                        fnFits, pOpened, CVaultEnv::Default())
                         : OpenKeyRecordWithPassword(strVault, "hal", "pw", fnFits, pOpened,
                                                     CVaultEnv::Default());
    };
    KeyRecordOpening opened;
    // Nothing stored yet: either record could be the vault's.
    WriteBytes(strMain, other.vRecord);
    Tree before = SnapshotTree(strVault);
    EXPECT_EQ(fnOpen(&opened), KEY_TWO_VAULTS);
    EXPECT_TRUE(opened.masterKey.IsEmpty());
    EXPECT_EQ(SnapshotTree(strVault), before);

    CVaultKey key("hal", "pw");
    key.SetMasterKey(mine.masterKey.Clone());
    WriteBytes(tmp / "plain", RandomBytes(100, 7));
    ASSERT_TRUE(StoreWith(key, tmp / "plain", tmp / "a/FileBox/plain.$"));
    for (const bool bOtherInMain : {true, false}) {
        WriteBytes(bOtherInMain ? strMain : strCopy, other.vRecord);
        WriteBytes(bOtherInMain ? strCopy : strMain, mine.vRecord);
        before = SnapshotTree(strVault);
        for (const bool bRecovery : {false, true}) {
            EXPECT_EQ(fnOpen(&opened, bRecovery, &mine), KEY_OPENED);
            EXPECT_TRUE(opened.masterKey.Equals(mine.masterKey));
            EXPECT_EQ(opened.vRecord, mine.vRecord);
            EXPECT_EQ(opened.strForeignCopy, bOtherInMain ? ".quovex-key" : ".quovex-key.2");
            EXPECT_FALSE(opened.bRepaired);
            EXPECT_EQ(fnOpen(&opened, true, &other), KEY_OTHER_VAULT);
            EXPECT_TRUE(opened.masterKey.IsEmpty());
            EXPECT_EQ(SnapshotTree(strVault), before);
        }
    }
    // This vault's record gone: the other one is not made its copy.
    fs::remove(strCopy);
    WriteBytes(strMain, other.vRecord);
    before = SnapshotTree(strVault);
    EXPECT_EQ(fnOpen(&opened), KEY_OTHER_VAULT);
    EXPECT_EQ(opened.strForeignCopy, ".quovex-key");
    EXPECT_EQ(SnapshotTree(strVault), before);
    // A damaged copy is still repaired from this vault's own record.
    WriteBytes(strMain, mine.vRecord);
    WriteBytes(strCopy, Bytes(KR_RECORD_SIZE, 0x33));
    EXPECT_EQ(fnOpen(&opened), KEY_OPENED);
    EXPECT_TRUE(opened.bRepaired && opened.strForeignCopy.empty());
    EXPECT_EQ(ReadBytes(strCopy), mine.vRecord);
}

// A password change killed after any step of the replacement leaves a
// vault that opens with the old or the new password (with both while the
// copies differ), and opening makes the copies agree, on every kind of
// file system.
TEST(KeyRecordFilesTest, AKilledPasswordChangeOpensWithTheOldOrTheNewPassword) {
    const NewKeyRecord made = MakeRecord("gil", "old");
    KeyRecordBytes vNew;
    ASSERT_EQ(
        ResealKeyRecord(made.vRecord, made.masterKey, "gil", "new", KDF_FASTEST_LIMITS, &vNew),
        KEY_OPENED);
    for (const FileSystemKind& kind : ALL_FILE_SYSTEMS) {
        bool bDone = false;
        int nOld = 0, nNew = 0;
        for (int nStop = 0; !bDone && nStop < 40; ++nStop) {
            CTempDir tmp;
            fs::create_directories(tmp / "v");
            ASSERT_EQ(WriteNewKeyRecord(tmp / "v", made.vRecord, CVaultEnv::Default()).nOutcome,
                      FileOutcome::FILE_DONE);
            CFaultEnv env;
            env.ActAs(kind);
            env.m_nStopAfterChanges = nStop;
            bDone = ReplaceKeyRecord(tmp / "v", vNew, &env).nOutcome == FileOutcome::FILE_DONE;
            env.m_nStopAfterChanges = -1;
            fs::copy(tmp / "v", tmp / "w");
            const bool bDiffer =
                ReadBytes(tmp / "v/.quovex-key") != ReadBytes(tmp / "v/.quovex-key.2");
            const Tree stopped = SnapshotTree(tmp / "v");
            KeyRecordOpening opened, oldOpening;
            const bool bOld = OpenKeyRecordWithPassword(tmp / "v", "gil", "old", {}, &oldOpening,
                                                        &env) == KEY_OPENED;
            // The faces tell that the password was changed since.
            EXPECT_EQ(oldOpening.bOlderCopy, bOld && bDiffer) << kind.pszName << nStop;
            const bool bNew =
                OpenKeyRecordWithPassword(tmp / "w", "gil", "new", {}, &opened, &env) == KEY_OPENED;
            EXPECT_TRUE(bOld || bNew) << kind.pszName << " stop " << nStop;
            EXPECT_EQ(bOld && bNew, bDiffer) << kind.pszName << " stop " << nStop;
            EXPECT_FALSE(bDone && bOld) << kind.pszName << " stop " << nStop;
            EXPECT_TRUE(opened.masterKey.IsEmpty() || opened.masterKey.Equals(made.masterKey));
            EXPECT_TRUE(!bOld || oldOpening.masterKey.Equals(made.masterKey));
            nOld += bOld && !bNew;
            nNew += bNew;
            const Tree agreeOld{{".quovex-key", made.vRecord}, {".quovex-key.2", made.vRecord}};
            const Tree agreeNew{{".quovex-key", vNew}, {".quovex-key.2", vNew}};
            // The old password never writes the old record back over the
            // new main copy: only the new one brings the copies in line.
            EXPECT_TRUE(!bOld || SnapshotTree(tmp / "v") == (bDiffer ? stopped : agreeOld))
                << kind.pszName << nStop;
            EXPECT_TRUE(!bNew || SnapshotTree(tmp / "w") == agreeNew) << kind.pszName << nStop;
            if (bOld && bDiffer) {
                EXPECT_EQ(OpenKeyRecordWithPassword(tmp / "v", "gil", "new", {}, &opened, &env),
                          KEY_OPENED);
                EXPECT_EQ(SnapshotTree(tmp / "v"), agreeNew) << kind.pszName << nStop;
                EXPECT_EQ(OpenKeyRecordWithPassword(tmp / "v", "gil", "old", {}, &opened, &env),
                          KEY_WRONG_CREDENTIALS);
            }
        }
        EXPECT_TRUE(bDone) << kind.pszName;
        EXPECT_GT(nOld, 0) << kind.pszName;
        EXPECT_GT(nNew, 0) << kind.pszName;
    }
}

// The reference records of tests/data (tests/data/README.md) open with the
// credentials and the recovery key recorded there, to the master key 00 ..
// 1F that sealed the reference stored files beside it. The record of today's
// version is made again byte for byte from the same counted bytes, so its
// layout cannot drift; the first version's is still read, and a new password
// lifts it to the counted version with its recovery key still valid.
TEST(KeyRecordTest, TheReferenceRecordsOpenAndTheNewOneIsMadeAgainByteForByte) {
    const std::string strData = std::string(QUOVEX_TEST_DATA_DIR) + "/protected/";
    const KeyRecordBytes vFirst = ReadBytes(strData + "key-record");
    const KeyRecordBytes vFile = ReadBytes(strData + "key-record-3");
    ASSERT_EQ(vFirst.size(), KR_RECORD_SIZE);
    ASSERT_EQ(vFile.size(), KR_COUNTED_RECORD_SIZE);
    NewKeyRecord made;
    ASSERT_TRUE(MakeReferenceRecord(&made));
    EXPECT_EQ(made.vRecord, vFile);
    EXPECT_EQ(TextOf(made.recoveryText), REFERENCE_RECOVERY_KEY);

    for (const KeyRecordBytes& v : {vFirst, vFile}) {
        CSecretBytes key, recovered;
        ASSERT_EQ(Try(v, REFERENCE_USER, REFERENCE_PASSWORD, &key), KEY_OPENED);
        for (std::size_t i = 0; i < KR_MASTER_KEY_SIZE; ++i) EXPECT_EQ(key.Data()[i], i) << i;
        EXPECT_EQ(UnsealWithRecoveryKey(v, REFERENCE_RECOVERY_KEY, &recovered), KEY_OPENED);
        EXPECT_TRUE(recovered.Equals(key));
        EXPECT_EQ(Try(v, REFERENCE_USER, "口令 pass-123"), KEY_WRONG_CREDENTIALS);
    }
    EXPECT_EQ(GenerationOf(vFirst), 0u);
    EXPECT_EQ(GenerationOf(vFile), 1u);
    KeyRecordBytes vLifted;
    ASSERT_EQ(ResealKeyRecord(vFirst, made.masterKey, "u", "p", KDF_FASTEST_LIMITS, &vLifted),
              KEY_OPENED);
    EXPECT_EQ(vLifted[KR_OFFSET_VERSION], KR_VERSION_COUNTED_VISIBLE);
    EXPECT_EQ(GenerationOf(vLifted), 1u);
    CSecretBytes recovered;
    EXPECT_EQ(UnsealWithRecoveryKey(vLifted, REFERENCE_RECOVERY_KEY, &recovered), KEY_OPENED);
    EXPECT_TRUE(recovered.Equals(made.masterKey));
}

// Records synced between machines. The newer generation is in force under
// either name (a sync engine may bring the second copy first). An engine's
// conflict copy opens with its own password, the other machine's, and says
// so; it is put in force only when it is newer than both copies; a record
// of another vault among them never opens. A new password removes the
// conflict copies of this vault it supersedes, so that the passwords it
// replaces stop opening, and leaves the other vault's alone.
TEST(KeyRecordFilesTest, GenerationsAndConflictCopiesDecideWhichRecordIsInForce) {
    CTempDir tmp;
    const std::string strVault = tmp / "vault";
    fs::create_directories(strVault);
    CVaultEnv* pEnv = CVaultEnv::Default();
    const auto fnOpen = [&](const char* pszPassword, KeyRecordOpening* pOpened) {
        return OpenKeyRecordWithPassword(strVault, "ann", pszPassword, {}, pOpened, pEnv);
    };
    const NewKeyRecord made = MakeRecord("ann", "old");
    const auto fnNext = [&](const KeyRecordBytes& v, const char* pszPassword) {
        KeyRecordBytes vNew;
        EXPECT_EQ(ResealKeyRecord(v, made.masterKey, "ann", pszPassword, KDF_FASTEST_LIMITS, &vNew),
                  KEY_OPENED);
        return vNew;
    };
    const KeyRecordBytes vA = fnNext(made.vRecord, "pa"), vB = fnNext(made.vRecord, "pb");
    const KeyRecordBytes vA2 = fnNext(vA, "pa2");
    const std::string strMain = strVault + "/.quovex-key", strCopy = strVault + "/.quovex-key.2";

    WriteBytes(strMain, made.vRecord);
    WriteBytes(strCopy, vA);
    const Tree before = SnapshotTree(strVault);
    KeyRecordOpening opened;
    EXPECT_EQ(fnOpen("old", &opened), KEY_OPENED);
    EXPECT_TRUE(opened.bOlderCopy);
    EXPECT_EQ(SnapshotTree(strVault), before);
    EXPECT_EQ(fnOpen("pa", &opened), KEY_OPENED);
    EXPECT_FALSE(opened.bOlderCopy);
    EXPECT_EQ(SnapshotTree(strVault), (Tree{{".quovex-key", vA}, {".quovex-key.2", vA}}));

    // Passwords changed on two machines apart: B's record won both names.
    const std::string strConflict = ".sync-conflict-20261209-022408-ABCDEF7.quovex-key";
    WriteBytes(strMain, vB);
    WriteBytes(strCopy, vB);
    WriteBytes(strVault + "/" + strConflict, vA);
    // An old copy an engine brought back late: replaced, it never opens.
    WriteBytes(strVault + "/.quovex-key.sync-conflict-20261209-010101-OLDCOPY.2", made.vRecord);
    const Tree apart = SnapshotTree(strVault);
    EXPECT_EQ(fnOpen("pb", &opened), KEY_OPENED);
    EXPECT_FALSE(opened.bOlderCopy);
    EXPECT_EQ(opened.nNewestGeneration, 2u);
    EXPECT_EQ(fnOpen("pa", &opened), KEY_OPENED);
    EXPECT_TRUE(opened.bOlderCopy);
    EXPECT_EQ(opened.strOpenedName, strConflict);
    EXPECT_TRUE(opened.masterKey.Equals(made.masterKey));
    EXPECT_EQ(fnOpen("old", &opened), KEY_WRONG_CREDENTIALS);
    EXPECT_EQ(SnapshotTree(strVault), apart);

    // A newer conflict copy that opens is put in force; the copies stay.
    const std::string strNewer = ".quovex-key (conflicted copy 2026-12-09 101010)";
    WriteBytes(strVault + "/" + strNewer, vA2);
    const NewKeyRecord other = MakeRecord("ann", "pz");
    const std::string strForeign = ".quovex-key.sync-conflict-20261209-022408-ABCDEF7.2";
    WriteBytes(strVault + "/" + strForeign, other.vRecord);
    EXPECT_EQ(fnOpen("pz", &opened), KEY_WRONG_CREDENTIALS);
    EXPECT_EQ(fnOpen("pa2", &opened), KEY_OPENED);
    EXPECT_FALSE(opened.bOlderCopy);
    EXPECT_EQ(opened.nNewestGeneration, 3u);
    Tree inForce = apart;
    inForce[".quovex-key"] = inForce[".quovex-key.2"] = inForce[strNewer] = vA2;
    inForce[strForeign] = other.vRecord;
    EXPECT_EQ(SnapshotTree(strVault), inForce);

    KeyRecordBytes vNew;
    ASSERT_EQ(ResealKeyRecord(opened.vRecord, opened.masterKey, "ann", "new", KDF_FASTEST_LIMITS,
                              &vNew, opened.nNewestGeneration),
              KEY_OPENED);
    ASSERT_EQ(ReplaceKeyRecord(strVault, vNew, pEnv).nOutcome, FileOutcome::FILE_DONE);
    EXPECT_EQ(SnapshotTree(strVault),
              (Tree{{".quovex-key", vNew}, {".quovex-key.2", vNew}, {strForeign, other.vRecord}}));
    EXPECT_EQ(GenerationOf(vNew), 4u);
    for (const char* pszOld : {"pa", "pa2", "pb"})
        EXPECT_EQ(fnOpen(pszOld, &opened), KEY_WRONG_CREDENTIALS) << pszOld;
}
