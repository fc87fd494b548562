// The key record modes: a record unsealed, resealed and read for its vault
// id; typed recovery keys and credentials against the reference record;
// a record as one copy of a vault's two on disk.
#include <sodium.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "KeyRecordFiles.h"
#include "ProtectedFuzz.h"

namespace quovex::fuzz {

namespace {

constexpr std::size_t RECORD_FILE_MAX_INPUT = 4096;  // a record is 229 bytes

std::uint64_t Le(const unsigned char* p, int nBytes) {
    std::uint64_t n = 0;
    for (int i = nBytes - 1; i >= 0; --i) n = n << 8 | p[i];
    return n;
}

// KEY_OPENED for a sound record (checksum, magic, version, size), else why not.
KeyRecordResult Soundness(const Bytes& v) {
    if (v.size() < KR_OFFSET_VERSION + 1 + KR_CHECKSUM_SIZE) return KeyRecordResult::KEY_DAMAGED;
    const std::size_t nBody = v.size() - KR_CHECKSUM_SIZE;
    unsigned char sum[KR_CHECKSUM_SIZE];
    crypto_generichash(sum, sizeof sum, v.data(), nBody, nullptr, 0);
    if (std::memcmp(sum, v.data() + nBody, sizeof sum) != 0 ||
        std::memcmp(v.data(), "QVXKEYRC", KR_MAGIC_SIZE) != 0)
        return KeyRecordResult::KEY_DAMAGED;
    if (v[KR_OFFSET_VERSION] != 1) return KeyRecordResult::KEY_UNSUPPORTED_VERSION;
    if (v.size() != KR_RECORD_SIZE) return KeyRecordResult::KEY_DAMAGED;
    return KeyRecordResult::KEY_OPENED;
}

KdfLimits LimitsOf(const Bytes& v) {
    return {Le(v.data() + KR_OFFSET_OPSLIMIT, 4), Le(v.data() + KR_OFFSET_MEMLIMIT, 8)};
}

bool LimitsInRange(const KdfLimits& limits) {
    return limits.nOpsLimit >= 1 && limits.nOpsLimit <= 16 && limits.nMemLimit >= 8192 &&
           limits.nMemLimit <= (1ull << 30);
}

bool SamePrefix(const Bytes& v, const Bytes& vOther, std::size_t n) {
    return v.size() >= n && vOther.size() >= n &&
           std::equal(v.begin(), v.begin() + n, vOther.begin());
}

// What the reference credentials (or others, bRight false) get from v.
KeyRecordResult ExpectPassword(const Bytes& v, bool bRight) {
    const KeyRecordResult sound = Soundness(v);
    if (sound != KeyRecordResult::KEY_OPENED) return sound;
    if (!LimitsInRange(LimitsOf(v))) return KeyRecordResult::KEY_LIMITS_OUT_OF_RANGE;
    // The seal binds every byte before it and the user name.
    return bRight && SamePrefix(v, World().reference.vRecord, KR_OFFSET_CHECKSUM)
               ? KeyRecordResult::KEY_OPENED
               : KeyRecordResult::KEY_WRONG_CREDENTIALS;
}

// What the reference recovery key (or another one, bRight false) gets from v.
KeyRecordResult ExpectRecovery(const Bytes& v, bool bRight) {
    const KeyRecordResult sound = Soundness(v);
    if (sound != KeyRecordResult::KEY_OPENED) return sound;
    return bRight && SamePrefix(v, World().reference.vRecord, KR_OFFSET_OPSLIMIT)
               ? KeyRecordResult::KEY_OPENED
               : KeyRecordResult::KEY_WRONG_RECOVERY_KEY;
}

// Whether unsealing v with a password would run a derivation slower than
// the fastest one. Only a forged checksum could make that so, and the
// forger here lowers the limits first; were it ever true, v is passed over.
bool HashesSlowly(const Bytes& v) {
    return Soundness(v) == KeyRecordResult::KEY_OPENED && LimitsInRange(LimitsOf(v)) &&
           !(LimitsOf(v) == KDF_FASTEST_LIMITS);
}

// v with the checksum made right, as a forger would; limits in range of a
// record that looks sound are lowered to the fastest first.
Bytes Forged(Bytes v) {
    if (v.size() < KR_OFFSET_VERSION + 1 + KR_CHECKSUM_SIZE) return v;
    if (v.size() == KR_RECORD_SIZE && v[KR_OFFSET_VERSION] == 1 && LimitsInRange(LimitsOf(v))) {
        for (int i = 0; i < 4; ++i) v[KR_OFFSET_OPSLIMIT + i] = i == 0 ? 1 : 0;
        for (int i = 0; i < 8; ++i)
            v[KR_OFFSET_MEMLIMIT + i] = static_cast<unsigned char>(KDF_MIN_MEMLIMIT >> (8 * i));
    }
    const std::size_t nBody = v.size() - KR_CHECKSUM_SIZE;
    crypto_generichash(v.data() + nBody, KR_CHECKSUM_SIZE, v.data(), nBody, nullptr, 0);
    return v;
}

// The master key is handed out exactly when the result says opened, and
// it is the reference one.
void RequireKey(KeyRecordResult result, const CSecretBytes& key, const char* pszWhat) {
    Require(key.IsEmpty() == (result != KeyRecordResult::KEY_OPENED),
            std::string(pszWhat) + ": a key without opening, or none");
    Require(key.IsEmpty() || key.Equals(World().reference.masterKey),
            std::string(pszWhat) + ": another master key");
}

void CheckUnseal(const Bytes& v) {
    const std::string strRecovery = test::TextOf(World().reference.recoveryText);
    CSecretBytes key;
    KeyRecordResult result =
        UnsealWithPassword(v, test::REFERENCE_USER, test::REFERENCE_PASSWORD, &key);
    Require(result == ExpectPassword(v, true), "UnsealWithPassword");
    RequireKey(result, key, "UnsealWithPassword");
    result = UnsealWithPassword(v, test::REFERENCE_USER, "口令 pass-1235", &key);
    Require(result == ExpectPassword(v, false), "UnsealWithPassword, wrong password");
    RequireKey(result, key, "UnsealWithPassword, wrong password");
    result = UnsealWithRecoveryKey(v, strRecovery, &key);
    Require(result == ExpectRecovery(v, true), "UnsealWithRecoveryKey");
    RequireKey(result, key, "UnsealWithRecoveryKey");
}

// A new password over v keeps what the recovery seal binds.
void CheckReseal(const Bytes& v) {
    KeyRecordBytes vNew{1};
    const KeyRecordResult result = ResealKeyRecord(v, World().reference.masterKey, "新 user",
                                                   "new pw", KDF_FASTEST_LIMITS, &vNew);
    Require(result == Soundness(v), "ResealKeyRecord");
    Require(vNew.empty() == (result != KeyRecordResult::KEY_OPENED), "ResealKeyRecord's record");
    if (result != KeyRecordResult::KEY_OPENED) return;
    Require(
        Soundness(vNew) == KeyRecordResult::KEY_OPENED && SamePrefix(vNew, v, KR_OFFSET_OPSLIMIT),
        "ResealKeyRecord changed the recovery part");
    CSecretBytes key;
    const KeyRecordResult opened = UnsealWithPassword(vNew, "新 user", "new pw", &key);
    Require(opened == KeyRecordResult::KEY_OPENED, "a resealed record does not open");
    RequireKey(opened, key, "the resealed record");
}

// A typed recovery key that parses formats back to the same key, and opens
// the reference record exactly when it is the reference recovery key.
void CheckRecoveryText(const std::string& strText) {
    CSecretBytes key, again, referenceKey;
    const bool bParsed = ParseRecoveryKey(strText, &key);
    Require(key.IsEmpty() != bParsed, "ParseRecoveryKey's key");
    Require(!bParsed || (ParseRecoveryKey(test::TextOf(FormatRecoveryKey(key)), &again) &&
                         again.Equals(key)),
            "ParseRecoveryKey and FormatRecoveryKey disagree");
    ParseRecoveryKey(test::TextOf(World().reference.recoveryText), &referenceKey);
    CSecretBytes master;
    const KeyRecordResult result =
        UnsealWithRecoveryKey(World().reference.vRecord, strText, &master);
    Require(
        result == (bParsed && key.Equals(referenceKey) ? KeyRecordResult::KEY_OPENED
                                                       : KeyRecordResult::KEY_WRONG_RECOVERY_KEY),
        "UnsealWithRecoveryKey of a typed key");
    RequireKey(result, master, "UnsealWithRecoveryKey of a typed key");
}

void CheckCredentials(const std::string& strText) {
    const std::size_t nSplit = strText.find('\0');
    const std::string strUser = strText.substr(0, nSplit);
    const std::string strPassword = nSplit == std::string::npos ? "" : strText.substr(nSplit + 1);
    CSecretBytes master;
    const KeyRecordResult result =
        UnsealWithPassword(World().reference.vRecord, strUser, strPassword, &master);
    const bool bRight = strUser == test::REFERENCE_USER && strPassword == test::REFERENCE_PASSWORD;
    Require(
        result == (bRight ? KeyRecordResult::KEY_OPENED : KeyRecordResult::KEY_WRONG_CREDENTIALS),
        "UnsealWithPassword of typed credentials");
    RequireKey(result, master, "UnsealWithPassword of typed credentials");
}

std::string AsString(const Bytes& v) {
    return std::string(v.begin(), v.end());
}

}  // namespace

void CheckKeyRecord(Bytes v, unsigned nFlags) {
    if (nFlags & FUZZ_FORGE) v = Forged(std::move(v));
    if (HashesSlowly(v)) return;
    CheckUnseal(v);
    CheckReseal(v);
    unsigned char id[KR_VAULT_ID_SIZE];
    const bool bSound = Soundness(v) == KeyRecordResult::KEY_OPENED;
    Require(ReadVaultId(v, id) == bSound, "ReadVaultId");
    Require(!bSound || std::memcmp(id, v.data() + KR_OFFSET_VAULT_ID, sizeof id) == 0,
            "ReadVaultId's id");
}

void CheckTypedText(const std::string& strText) {
    CheckRecoveryText(strText);
    CheckCredentials(strText);
}

// Opening a vault whose copies are the input and the reference: the copy
// that opens first (main before second) is what both copies become; when
// none opens, the answer is the input's and nothing is written.
void CheckKeyRecordFiles(Bytes v, unsigned nFlags) {
    if (v.size() > RECORD_FILE_MAX_INPUT) return;
    if (nFlags & FUZZ_FORGE) v = Forged(std::move(v));
    if (HashesSlowly(v)) return;
    FuzzWorld& world = World();
    const bool bRecovery = (nFlags & FUZZ_BY_RECOVERY) != 0;
    const unsigned nLayout = nFlags >> FUZZ_LAYOUT_SHIFT & 3;
    const std::string strMain = std::string(FUZZ_VAULT) + "/" + KEY_RECORD_NAME;
    const std::string strSecond = std::string(FUZZ_VAULT) + "/" + KEY_RECORD_COPY_NAME;
    const std::string strInput = AsString(v), strReference = AsString(world.reference.vRecord);
    const bool bInputMain = nLayout != FUZZ_LAYOUT_SECOND && nLayout != FUZZ_LAYOUT_SECOND_ALONE;
    const bool bAlone = nLayout == FUZZ_LAYOUT_MAIN_ALONE || nLayout == FUZZ_LAYOUT_SECOND_ALONE;
    ClearSandbox();
    WriteSandboxFile(bInputMain ? strMain : strSecond, strInput);
    if (!bAlone) WriteSandboxFile(bInputMain ? strSecond : strMain, strReference);
    const Tree before = Snapshot();

    KeyRecordOpening opening;
    const KeyRecordResult result =
        bRecovery
            ? OpenKeyRecordWithRecoveryKey(FUZZ_VAULT, test::TextOf(world.reference.recoveryText),
                                           &opening, &world.env)
            : OpenKeyRecordWithPassword(FUZZ_VAULT, test::REFERENCE_USER, test::REFERENCE_PASSWORD,
                                        &opening, &world.env);
    const Tree after = Snapshot();
    const KeyRecordResult inputAlone =
        bRecovery ? ExpectRecovery(v, true) : ExpectPassword(v, true);
    RequireKey(result, opening.masterKey, "OpenKeyRecord");
    if (bAlone && inputAlone != KeyRecordResult::KEY_OPENED) {
        Require(result == inputAlone && after == before, "OpenKeyRecord of one unsound copy");
        return;
    }
    // The reference opens with either credential, and the input first when
    // it lies in the main copy and opens: both copies become the winner.
    const bool bInputWins = (bInputMain && inputAlone == KeyRecordResult::KEY_OPENED) || bAlone;
    Tree agreed = before;
    agreed[strMain] = agreed[strSecond] = bInputWins ? strInput : strReference;
    Require(result == KeyRecordResult::KEY_OPENED && after == agreed &&
                opening.bRepaired == (before != agreed) && !opening.bRepairFailed,
            "OpenKeyRecord left the copies disagreeing, or wrote elsewhere");
    Require(opening.vRecord == (bInputWins ? v : world.reference.vRecord),
            "OpenKeyRecord's record");
}

}  // namespace quovex::fuzz
