// The key record modes: a record unsealed, resealed and read for its vault
// id; typed recovery keys and credentials against the reference record;
// a record as one copy of a vault's two on disk. Only the reference record
// is sealed under the reference credentials and recovery key, so a master
// key may come only from bytes that are the reference record's where its
// seal binds them.
#include <sodium.h>

#include <algorithm>
#include <cstring>

#include "KeyRecordFiles.h"
#include "ProtectedFuzz.h"

namespace quovex::fuzz {

namespace {

using enum KeyRecordResult;

constexpr std::size_t RECORD_FILE_MAX_INPUT = 4096;  // a record is 229 or 237 bytes

// The layout v claims, when it is long enough for it.
const KeyRecordLayout* ClaimedLayout(const Bytes& v) {
    if (v.size() <= KR_OFFSET_VERSION) return nullptr;
    const KeyRecordLayout& layout = KeyRecordLayoutOf(v[KR_OFFSET_VERSION]);
    const bool bKnown = v[KR_OFFSET_VERSION] >= 1 && v[KR_OFFSET_VERSION] <= KR_VERSION;
    return bKnown && v.size() == layout.nSize ? &layout : nullptr;
}

KdfLimits LimitsOf(const Bytes& v, const KeyRecordLayout& layout) {
    return {Le(v.data() + layout.nOpsLimit, 4), Le(v.data() + layout.nMemLimit, 8)};
}

bool LimitsInRange(const KdfLimits& limits) {
    return limits.nOpsLimit >= 1 && limits.nOpsLimit <= 16 && limits.nMemLimit >= 8192 &&
           limits.nMemLimit <= (1ull << 30);
}

// Whether unsealing v with a password could run a derivation slower than
// the fastest one; such an input is passed over.
bool HashesSlowly(const Bytes& v) {
    const KeyRecordLayout* pLayout = ClaimedLayout(v);
    return pLayout && LimitsInRange(LimitsOf(v, *pLayout)) &&
           !(LimitsOf(v, *pLayout) == KDF_FASTEST_LIMITS);
}

// v with the checksum made right, as a forger would; limits in range of a
// record that looks sound are lowered to the fastest first.
Bytes Forged(Bytes v) {
    if (v.size() < KR_OFFSET_VERSION + 1 + KR_CHECKSUM_SIZE) return v;
    const KeyRecordLayout* pLayout = ClaimedLayout(v);
    if (pLayout && LimitsInRange(LimitsOf(v, *pLayout))) {
        for (int i = 0; i < 4; ++i) v[pLayout->nOpsLimit + i] = i == 0 ? 1 : 0;
        for (int i = 0; i < 8; ++i)
            v[pLayout->nMemLimit + i] = static_cast<unsigned char>(KDF_MIN_MEMLIMIT >> (8 * i));
    }
    const std::size_t nBody = v.size() - KR_CHECKSUM_SIZE;
    crypto_generichash(v.data() + nBody, KR_CHECKSUM_SIZE, v.data(), nBody, nullptr, 0);
    return v;
}

// The names version a record version stands for (1 or 2), 0 for an unknown one.
int NamesVersion(unsigned char nVersion) {
    if (nVersion < 1 || nVersion > KR_VERSION) return 0;
    return nVersion % 2 == 1 ? 1 : 2;
}

// Whether v holds the reference record's recovery part: what its seal binds
// is the bytes before it, the version read as the names version.
bool HasReferenceRecovery(const Bytes& v) {
    const Bytes& vReference = World().reference.vRecord;
    if (v.size() < KR_OFFSET_OPSLIMIT) return false;
    for (std::size_t i = 0; i < KR_OFFSET_OPSLIMIT; ++i)
        if (i != KR_OFFSET_VERSION && v[i] != vReference[i]) return false;
    return NamesVersion(v[KR_OFFSET_VERSION]) == NamesVersion(vReference[KR_OFFSET_VERSION]);
}

// A master key is handed out exactly when the result says opened, it is
// the reference one, and it opened only where bMayOpen, always where bMustOpen.
void RequireKey(KeyRecordResult result, const CSecretBytes& key, bool bMayOpen,
                const std::string& strWhat, bool bMustOpen = false) {
    Require(key.IsEmpty() == (result != KEY_OPENED), strWhat + ": a key without opening, or none");
    Require(key.IsEmpty() || key.Equals(World().reference.masterKey), strWhat + ": another key");
    Require(bMayOpen || result != KEY_OPENED, strWhat + ": opened what was never sealed");
    Require(!bMustOpen || result == KEY_OPENED, strWhat + ": does not open");
}

void CheckUnseal(const Bytes& v) {
    CSecretBytes key;
    // The password seal binds every byte before it, the recovery seal those
    // before the limits.
    // (Of a sound record, the checksum follows from the rest.)
    const bool bPasswordPart = v == World().reference.vRecord || v == World().firstRecord;
    RequireKey(UnsealWithPassword(v, test::REFERENCE_USER, test::REFERENCE_PASSWORD, &key), key,
               bPasswordPart, "UnsealWithPassword");
    RequireKey(UnsealWithPassword(v, test::REFERENCE_USER, "口令 pass-1235", &key), key, false,
               "UnsealWithPassword, wrong password");
    RequireKey(UnsealWithRecoveryKey(v, test::TextOf(World().reference.recoveryText), &key), key,
               HasReferenceRecovery(v), "UnsealWithRecoveryKey");
}

// A new password over v keeps what the recovery seal binds, and opens.
void CheckReseal(const Bytes& v) {
    KeyRecordBytes vNew{1};
    const KeyRecordResult result = ResealKeyRecord(v, World().reference.masterKey, "新 user",
                                                   "new pw", KDF_FASTEST_LIMITS, &vNew);
    Require(vNew.empty() == (result != KEY_OPENED), "ResealKeyRecord's record");
    if (result != KEY_OPENED) return;
    Require(vNew.size() == KR_COUNTED_RECORD_SIZE &&
                std::equal(vNew.begin(), vNew.begin() + KR_OFFSET_VERSION, v.begin()) &&
                std::equal(vNew.begin() + KR_OFFSET_VAULT_ID, vNew.begin() + KR_OFFSET_OPSLIMIT,
                           v.begin() + KR_OFFSET_VAULT_ID) &&
                NamesVersion(vNew[KR_OFFSET_VERSION]) == NamesVersion(v[KR_OFFSET_VERSION]) &&
                GenerationOf(vNew) == GenerationOf(v) + 1,
            "ResealKeyRecord changed the recovery part or did not count up");
    CSecretBytes key;
    RequireKey(UnsealWithPassword(vNew, "新 user", "new pw", &key), key, true,
               "the resealed record", true);
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
    const bool bReference = bParsed && key.Equals(referenceKey);
    CSecretBytes master;
    RequireKey(UnsealWithRecoveryKey(World().reference.vRecord, strText, &master), master,
               bReference, "UnsealWithRecoveryKey of a typed key", bReference);
}

// Typed credentials: user name, NUL, password.
void CheckCredentials(const std::string& strText) {
    const std::size_t nSplit = strText.find('\0');
    const std::string strUser = strText.substr(0, nSplit);
    const std::string strPassword = nSplit == std::string::npos ? "" : strText.substr(nSplit + 1);
    const bool bRight = strUser == test::REFERENCE_USER && strPassword == test::REFERENCE_PASSWORD;
    CSecretBytes master;
    RequireKey(UnsealWithPassword(World().reference.vRecord, strUser, strPassword, &master), master,
               bRight, "UnsealWithPassword of typed credentials", bRight);
}

}  // namespace

void CheckKeyRecord(Bytes v, unsigned nFlags) {
    if (nFlags & FUZZ_FORGE) v = Forged(std::move(v));
    if (HashesSlowly(v)) return;
    CheckUnseal(v);
    CheckReseal(v);
    unsigned char id[KR_VAULT_ID_SIZE];
    Require(!ReadVaultId(v, id) || std::memcmp(id, v.data() + KR_OFFSET_VAULT_ID, sizeof id) == 0,
            "ReadVaultId's id");
}

void CheckTypedText(const std::string& strText) {
    CheckRecoveryText(strText);
    CheckCredentials(strText);
}

// Opening a vault whose copies are the input and the reference, or the
// input alone: a record opens only where it is the reference's, and then
// both copies become the record that opened; when none opens, nothing is
// written.
void CheckKeyRecordFiles(Bytes v, unsigned nFlags) {
    if (v.size() > RECORD_FILE_MAX_INPUT) return;
    if (nFlags & FUZZ_FORGE) v = Forged(std::move(v));
    if (HashesSlowly(v)) return;
    FuzzWorld& world = World();
    const bool bRecovery = (nFlags & FUZZ_BY_RECOVERY) != 0;
    const unsigned nLayout = nFlags >> FUZZ_LAYOUT_SHIFT & 3;
    const std::string strMain = std::string(FUZZ_VAULT) + "/" + KEY_RECORD_NAME;
    const std::string strSecond = std::string(FUZZ_VAULT) + "/" + KEY_RECORD_COPY_NAME;
    const bool bInputMain = nLayout != FUZZ_LAYOUT_SECOND && nLayout != FUZZ_LAYOUT_SECOND_ALONE;
    const bool bAlone = nLayout == FUZZ_LAYOUT_MAIN_ALONE || nLayout == FUZZ_LAYOUT_SECOND_ALONE;
    ClearSandbox();
    WriteSandboxFile(bInputMain ? strMain : strSecond, std::string(v.begin(), v.end()));
    const Bytes& vReference = world.reference.vRecord;
    if (!bAlone)
        WriteSandboxFile(bInputMain ? strSecond : strMain,
                         std::string(vReference.begin(), vReference.end()));
    const Tree before = Snapshot();

    KeyRecordOpening opening;
    const KeyRecordResult result =
        bRecovery
            ? OpenKeyRecordWithRecoveryKey(FUZZ_VAULT, test::TextOf(world.reference.recoveryText),
                                           {}, &opening, &world.env)
            : OpenKeyRecordWithPassword(FUZZ_VAULT, test::REFERENCE_USER, test::REFERENCE_PASSWORD,
                                        {}, &opening, &world.env);
    const Tree after = Snapshot();
    const bool bOpened = result == KEY_OPENED;
    const bool bSealed =
        bRecovery ? HasReferenceRecovery(v) : v == vReference || v == world.firstRecord;
    RequireKey(result, opening.masterKey, !bAlone || bSealed, "OpenKeyRecord");
    Require(bOpened || after == before, "OpenKeyRecord wrote although nothing opened");
    // A sound record of another vault beside the reference: with no stored
    // file to tell which is the vault's, neither is used or written over.
    unsigned char id[KR_VAULT_ID_SIZE], referenceId[KR_VAULT_ID_SIZE];
    const bool bForeign = !bAlone && ReadVaultId(v, id) &&
                          ReadVaultId(world.reference.vRecord, referenceId) &&
                          !std::equal(id, id + sizeof id, referenceId);
    Require(!bForeign || result == KEY_TWO_VAULTS, "OpenKeyRecord took another vault's record");
    Require(!bOpened || opening.vRecord == v || opening.vRecord == vReference,
            "OpenKeyRecord's record");
    Tree agreed = before;
    agreed[strMain] = agreed[strSecond] =
        std::string(opening.vRecord.begin(), opening.vRecord.end());
    // A record older than the other copy opens but writes nothing; any other
    // opening brings both copies to the record that opened.
    Require(!opening.bOlderCopy || (after == before && !bAlone &&
                                    GenerationOf(opening.vRecord) <= GenerationOf(vReference)),
            "OpenKeyRecord wrote from an older record, or called one older without cause");
    Require(!bOpened || opening.bOlderCopy ||
                (after == agreed && opening.bRepaired == (before != agreed)),
            "OpenKeyRecord left the copies disagreeing, or wrote elsewhere");
}

}  // namespace quovex::fuzz
