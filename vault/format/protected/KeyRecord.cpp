#include "KeyRecord.h"

#include <sodium.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "LittleEndian.h"
#include "SecureRandom.h"

namespace quovex {

static_assert(KR_NONCE_SIZE == crypto_aead_xchacha20poly1305_ietf_NPUBBYTES);
static_assert(KR_SEAL_SIZE == KR_MASTER_KEY_SIZE + crypto_aead_xchacha20poly1305_ietf_ABYTES);
static_assert(KR_MASTER_KEY_SIZE == crypto_aead_xchacha20poly1305_ietf_KEYBYTES);
static_assert(KR_MASTER_KEY_SIZE == crypto_kdf_KEYBYTES);
static_assert(RECOVERY_KEY_SIZE == crypto_aead_xchacha20poly1305_ietf_KEYBYTES);
static_assert(KR_SALT_SIZE == crypto_pwhash_SALTBYTES);
static_assert(KR_CHECKSUM_SIZE == crypto_generichash_BYTES);
static_assert(KDF_MIN_MEMLIMIT == crypto_pwhash_MEMLIMIT_MIN);
static_assert(KDF_MIN_OPSLIMIT >= crypto_pwhash_OPSLIMIT_MIN);
static_assert(KDF_DEFAULT_LIMITS.nMemLimit >= 64ull << 20);
static_assert(RECOVERY_TEXT_GROUPS * 4 * 5 >= RECOVERY_KEY_SIZE * 8);

namespace {

constexpr char CROCKFORD_ALPHABET[] = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";
constexpr std::size_t RECOVERY_SYMBOLS = RECOVERY_TEXT_GROUPS * 4;
constexpr std::size_t RECOVERY_PAD_BITS = RECOVERY_SYMBOLS * 5 - RECOVERY_KEY_SIZE * 8;

// Whether the record is sound (checksum, magic, version, size), as a result code.
KeyRecordResult CheckRecord(const KeyRecordBytes& vRecord) {
    if (!SodiumReady()) return KeyRecordResult::KEY_NO_MEMORY;
    // The checksum ends every version's record, so it is checked first:
    // a flipped version byte is damage, not a newer program's record.
    if (vRecord.size() < KR_OFFSET_VERSION + 1 + KR_CHECKSUM_SIZE)
        return KeyRecordResult::KEY_DAMAGED;
    const std::size_t nBody = vRecord.size() - KR_CHECKSUM_SIZE;
    unsigned char sum[KR_CHECKSUM_SIZE];  // of public bytes: a plain comparison will do
    crypto_generichash(sum, sizeof sum, vRecord.data(), nBody, nullptr, 0);
    if (std::memcmp(sum, vRecord.data() + nBody, sizeof sum) != 0 ||
        std::memcmp(vRecord.data(), KR_MAGIC, KR_MAGIC_SIZE) != 0)
        return KeyRecordResult::KEY_DAMAGED;
    const std::uint8_t nVersion = vRecord[KR_OFFSET_VERSION];
    if (nVersion < KR_VERSION_VISIBLE_NAMES || nVersion > KR_VERSION)
        return KeyRecordResult::KEY_UNSUPPORTED_VERSION;
    if (vRecord.size() != KeyRecordLayoutOf(nVersion).nSize) return KeyRecordResult::KEY_DAMAGED;
    return KeyRecordResult::KEY_OPENED;
}

const KeyRecordLayout& LayoutOf(const KeyRecordBytes& vRecord) {
    return KeyRecordLayoutOf(vRecord[KR_OFFSET_VERSION]);
}

bool IsHiddenVersion(std::uint8_t nVersion) {
    return nVersion == KR_VERSION_HIDDEN_NAMES || nVersion == KR_VERSION_COUNTED_HIDDEN;
}

// The version that says how the names are: 1 or 2.
std::uint8_t NamesVersionOf(std::uint8_t nVersion) {
    return IsHiddenVersion(nVersion) ? KR_VERSION_HIDDEN_NAMES : KR_VERSION_VISIBLE_NAMES;
}

// The recovery seal's associated data: the bytes before it, the version
// read as the names version, so that lifting a record to a counted version
// (or a new generation) leaves the recovery key valid.
std::vector<unsigned char> RecoverySealData(const KeyRecordBytes& vRecord) {
    std::vector<unsigned char> vData(vRecord.begin(), vRecord.begin() + KR_OFFSET_RECOVERY_SEAL);
    vData[KR_OFFSET_VERSION] = NamesVersionOf(vRecord[KR_OFFSET_VERSION]);
    return vData;
}

// CheckRecord, then the limits of the sound record.
KeyRecordResult CheckRecordAndLimits(const KeyRecordBytes& vRecord, KdfLimits* pLimits) {
    const KeyRecordResult result = CheckRecord(vRecord);
    if (result != KeyRecordResult::KEY_OPENED) return result;
    const KeyRecordLayout& layout = LayoutOf(vRecord);
    pLimits->nOpsLimit = GetLe(vRecord.data() + layout.nOpsLimit, 4);
    pLimits->nMemLimit = GetLe(vRecord.data() + layout.nMemLimit, 8);
    return KdfLimitsInRange(*pLimits) ? KeyRecordResult::KEY_OPENED
                                      : KeyRecordResult::KEY_LIMITS_OUT_OF_RANGE;
}

void WriteChecksum(KeyRecordBytes* pRecord) {
    const std::size_t nChecksum = LayoutOf(*pRecord).nChecksum;
    crypto_generichash(pRecord->data() + nChecksum, KR_CHECKSUM_SIZE, pRecord->data(), nChecksum,
                       nullptr, 0);
}

// The key crypto_pwhash derives from the password with the record's salt.
CSecretBytes DerivePasswordKey(const KeyRecordBytes& vRecord, const std::string& strPassword,
                               const KdfLimits& limits) {
    CSecretBytes key(KR_MASTER_KEY_SIZE);
    if (key.IsEmpty()) return key;
    if (crypto_pwhash(key.Data(), key.Size(), strPassword.data(), strPassword.size(),
                      vRecord.data() + LayoutOf(vRecord).nSalt, limits.nOpsLimit,
                      static_cast<std::size_t>(limits.nMemLimit),
                      crypto_pwhash_ALG_ARGON2ID13) != 0)
        key.Wipe();
    return key;
}

// The password seal's associated data: the record up to the seal and the user name.
std::vector<unsigned char> PasswordSealData(const KeyRecordBytes& vRecord,
                                            const std::string& strUser) {
    // Copied whole, not inserted: GCC 12 at -O2 sees a false overrun in the insert.
    const std::size_t nSeal = LayoutOf(vRecord).nPasswordSeal;
    std::vector<unsigned char> vData(nSeal + strUser.size());
    std::memcpy(vData.data(), vRecord.data(), nSeal);
    if (!strUser.empty()) std::memcpy(vData.data() + nSeal, strUser.data(), strUser.size());
    return vData;
}

void Seal(KeyRecordBytes* pRecord, std::size_t nSealOffset, std::size_t nNonceOffset,
          const unsigned char* pData, std::size_t nData, const CSecretBytes& masterKey,
          const CSecretBytes& key) {
    crypto_aead_xchacha20poly1305_ietf_encrypt(pRecord->data() + nSealOffset, nullptr,
                                               masterKey.Data(), masterKey.Size(), pData, nData,
                                               nullptr, pRecord->data() + nNonceOffset, key.Data());
}

bool Unseal(const KeyRecordBytes& vRecord, std::size_t nSealOffset, std::size_t nNonceOffset,
            const unsigned char* pData, std::size_t nData, const CSecretBytes& key,
            CSecretBytes* pMasterKey) {
    CSecretBytes master(KR_MASTER_KEY_SIZE);
    if (master.IsEmpty()) return false;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(
            master.Data(), nullptr, nullptr, vRecord.data() + nSealOffset, KR_SEAL_SIZE, pData,
            nData, vRecord.data() + nNonceOffset, key.Data()) != 0)
        return false;
    *pMasterKey = std::move(master);
    return true;
}

// Fills the password part of a record whose magic, version, vault id and
// recovery seal are in place: limits, new salt and nonce, the seal, and
// the checksum over it all.
KeyRecordResult SealPasswordPart(KeyRecordBytes* pRecord, const CSecretBytes& masterKey,
                                 const std::string& strUser, const std::string& strPassword,
                                 const KdfLimits& limits) {
    const KeyRecordLayout& layout = LayoutOf(*pRecord);
    PutLe(pRecord->data() + layout.nOpsLimit, limits.nOpsLimit, 4);
    PutLe(pRecord->data() + layout.nMemLimit, limits.nMemLimit, 8);
    FillRandom(pRecord->data() + layout.nSalt, KR_SALT_SIZE);
    FillRandom(pRecord->data() + layout.nPasswordNonce, KR_NONCE_SIZE);
    const CSecretBytes key = DerivePasswordKey(*pRecord, strPassword, limits);
    if (key.IsEmpty()) return KeyRecordResult::KEY_NO_MEMORY;
    const std::vector<unsigned char> vData = PasswordSealData(*pRecord, strUser);
    Seal(pRecord, layout.nPasswordSeal, layout.nPasswordNonce, vData.data(), vData.size(),
         masterKey, key);
    WriteChecksum(pRecord);
    return KeyRecordResult::KEY_OPENED;
}

std::uint8_t VersionOf(VaultNames names) {
    return names == VaultNames::NAMES_HIDDEN ? KR_VERSION_COUNTED_HIDDEN
                                             : KR_VERSION_COUNTED_VISIBLE;
}

// The record's magic, version, vault id and recovery part in a record of
// the counted version of its names, with generation nGeneration; the
// password part is still to be sealed.
KeyRecordBytes Lifted(const KeyRecordBytes& vRecord, std::uint8_t nVersion,
                      std::uint64_t nGeneration) {
    KeyRecordBytes vNew(KR_COUNTED_RECORD_SIZE, 0);
    std::memcpy(vNew.data(), vRecord.data(), KR_OFFSET_OPSLIMIT);
    vNew[KR_OFFSET_VERSION] = nVersion;
    PutLe(vNew.data() + KR_OFFSET_GENERATION, nGeneration, 8);
    return vNew;
}

void SealRecovery(KeyRecordBytes* pRecord, const CSecretBytes& masterKey,
                  const CSecretBytes& recoveryKey) {
    const std::vector<unsigned char> vData = RecoverySealData(*pRecord);
    Seal(pRecord, KR_OFFSET_RECOVERY_SEAL, KR_OFFSET_RECOVERY_NONCE, vData.data(), vData.size(),
         masterKey, recoveryKey);
}

CSecretBytes RandomSecret(std::size_t nSize) {
    CSecretBytes secret(nSize);
    if (!secret.IsEmpty()) FillRandom(secret.Data(), nSize);
    return secret;
}

// The value of one typed character of a recovery key, -1 for a foreign one.
int SymbolValue(char c) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c == 'O') return 0;
    if (c == 'I' || c == 'L') return 1;
    const char* p = c ? std::strchr(CROCKFORD_ALPHABET, c) : nullptr;
    return p ? static_cast<int>(p - CROCKFORD_ALPHABET) : -1;
}

}  // namespace

bool KdfLimitsInRange(const KdfLimits& limits) {
    return limits.nOpsLimit >= KDF_MIN_OPSLIMIT && limits.nOpsLimit <= KDF_MAX_OPSLIMIT &&
           limits.nMemLimit >= KDF_MIN_MEMLIMIT && limits.nMemLimit <= KDF_MAX_MEMLIMIT;
}

KeyRecordResult CreateKeyRecord(const std::string& strUser, const std::string& strPassword,
                                const KdfLimits& limits, VaultNames names, NewKeyRecord* pNew) {
    *pNew = NewKeyRecord();
    if (!KdfLimitsInRange(limits)) return KeyRecordResult::KEY_LIMITS_OUT_OF_RANGE;
    if (!SodiumReady()) return KeyRecordResult::KEY_NO_MEMORY;
    CSecretBytes masterKey = RandomSecret(KR_MASTER_KEY_SIZE);
    const CSecretBytes recoveryKey = RandomSecret(RECOVERY_KEY_SIZE);
    CSecretBytes recoveryText = FormatRecoveryKey(recoveryKey);
    if (masterKey.IsEmpty() || recoveryText.IsEmpty()) return KeyRecordResult::KEY_NO_MEMORY;

    KeyRecordBytes vRecord(KR_COUNTED_RECORD_SIZE, 0);
    std::memcpy(vRecord.data(), KR_MAGIC, KR_MAGIC_SIZE);
    vRecord[KR_OFFSET_VERSION] = VersionOf(names);
    FillRandom(vRecord.data() + KR_OFFSET_VAULT_ID, KR_VAULT_ID_SIZE);
    FillRandom(vRecord.data() + KR_OFFSET_RECOVERY_NONCE, KR_NONCE_SIZE);
    PutLe(vRecord.data() + KR_OFFSET_GENERATION, 1, 8);
    SealRecovery(&vRecord, masterKey, recoveryKey);
    const KeyRecordResult result =
        SealPasswordPart(&vRecord, masterKey, strUser, strPassword, limits);
    if (result != KeyRecordResult::KEY_OPENED) return result;
    pNew->vRecord = std::move(vRecord);
    pNew->masterKey = std::move(masterKey);
    pNew->recoveryText = std::move(recoveryText);
    return result;
}

KeyRecordResult UnsealWithPassword(const KeyRecordBytes& vRecord, const std::string& strUser,
                                   const std::string& strPassword, CSecretBytes* pMasterKey) {
    pMasterKey->Wipe();
    KdfLimits limits;
    const KeyRecordResult result = CheckRecordAndLimits(vRecord, &limits);
    if (result != KeyRecordResult::KEY_OPENED) return result;
    const CSecretBytes key = DerivePasswordKey(vRecord, strPassword, limits);
    if (key.IsEmpty()) return KeyRecordResult::KEY_NO_MEMORY;
    const std::vector<unsigned char> vData = PasswordSealData(vRecord, strUser);
    const KeyRecordLayout& layout = LayoutOf(vRecord);
    return Unseal(vRecord, layout.nPasswordSeal, layout.nPasswordNonce, vData.data(), vData.size(),
                  key, pMasterKey)
               ? KeyRecordResult::KEY_OPENED
               : KeyRecordResult::KEY_WRONG_CREDENTIALS;
}

KeyRecordResult UnsealWithRecoveryKey(const KeyRecordBytes& vRecord, std::string_view strText,
                                      CSecretBytes* pMasterKey) {
    pMasterKey->Wipe();
    const KeyRecordResult result = CheckRecord(vRecord);
    if (result != KeyRecordResult::KEY_OPENED) return result;
    CSecretBytes key;
    if (!ParseRecoveryKey(strText, &key)) return KeyRecordResult::KEY_WRONG_RECOVERY_KEY;
    const std::vector<unsigned char> vData = RecoverySealData(vRecord);
    return Unseal(vRecord, KR_OFFSET_RECOVERY_SEAL, KR_OFFSET_RECOVERY_NONCE, vData.data(),
                  vData.size(), key, pMasterKey)
               ? KeyRecordResult::KEY_OPENED
               : KeyRecordResult::KEY_WRONG_RECOVERY_KEY;
}

KeyRecordResult ResealKeyRecord(const KeyRecordBytes& vRecord, const CSecretBytes& masterKey,
                                const std::string& strUser, const std::string& strNewPassword,
                                const KdfLimits& limits, KeyRecordBytes* pNewRecord,
                                std::uint64_t nNewestKnown) {
    pNewRecord->clear();
    const KeyRecordResult result = CheckRecord(vRecord);
    if (result != KeyRecordResult::KEY_OPENED) return result;
    if (!KdfLimitsInRange(limits)) return KeyRecordResult::KEY_LIMITS_OUT_OF_RANGE;
    if (masterKey.Size() != KR_MASTER_KEY_SIZE) return KeyRecordResult::KEY_NO_MEMORY;
    const std::uint64_t nNewest = std::max(GenerationOf(vRecord), nNewestKnown);
    if (nNewest == UINT64_MAX) return KeyRecordResult::KEY_DAMAGED;
    const VaultNames names = IsHiddenVersion(vRecord[KR_OFFSET_VERSION])
                                 ? VaultNames::NAMES_HIDDEN
                                 : VaultNames::NAMES_VISIBLE;
    KeyRecordBytes vNew = Lifted(vRecord, VersionOf(names), nNewest + 1);
    const KeyRecordResult sealed =
        SealPasswordPart(&vNew, masterKey, strUser, strNewPassword, limits);
    if (sealed == KeyRecordResult::KEY_OPENED) *pNewRecord = std::move(vNew);
    return sealed;
}

VaultNames NamesOfRecord(const KeyRecordBytes& vRecord) {
    return CheckRecord(vRecord) == KeyRecordResult::KEY_OPENED &&
                   IsHiddenVersion(vRecord[KR_OFFSET_VERSION])
               ? VaultNames::NAMES_HIDDEN
               : VaultNames::NAMES_VISIBLE;
}

KeyRecordResult RecordWithHiddenNames(const KeyRecordBytes& vRecord, const CSecretBytes& masterKey,
                                      const std::string& strUser, const std::string& strPassword,
                                      const KdfLimits& limits, NewKeyRecord* pNew) {
    *pNew = NewKeyRecord();
    const KeyRecordResult result = CheckRecord(vRecord);
    if (result != KeyRecordResult::KEY_OPENED) return result;
    if (!KdfLimitsInRange(limits)) return KeyRecordResult::KEY_LIMITS_OUT_OF_RANGE;
    CSecretBytes master(KR_MASTER_KEY_SIZE);
    const CSecretBytes recoveryKey = RandomSecret(RECOVERY_KEY_SIZE);
    CSecretBytes recoveryText = FormatRecoveryKey(recoveryKey);
    if (masterKey.Size() != KR_MASTER_KEY_SIZE || master.IsEmpty() || recoveryText.IsEmpty())
        return KeyRecordResult::KEY_NO_MEMORY;
    std::memcpy(master.Data(), masterKey.Data(), KR_MASTER_KEY_SIZE);
    // The vault id stays: stored files and remembered locations know the vault by it.
    const std::uint64_t nGeneration = GenerationOf(vRecord);
    if (nGeneration == UINT64_MAX) return KeyRecordResult::KEY_DAMAGED;
    KeyRecordBytes vNew = Lifted(vRecord, KR_VERSION_COUNTED_HIDDEN, nGeneration + 1);
    FillRandom(vNew.data() + KR_OFFSET_RECOVERY_NONCE, KR_NONCE_SIZE);
    SealRecovery(&vNew, master, recoveryKey);
    const KeyRecordResult sealed = SealPasswordPart(&vNew, master, strUser, strPassword, limits);
    if (sealed != KeyRecordResult::KEY_OPENED) return sealed;
    pNew->vRecord = std::move(vNew);
    pNew->masterKey = std::move(master);
    pNew->recoveryText = std::move(recoveryText);
    return sealed;
}

const KeyRecordLayout& KeyRecordLayoutOf(std::uint8_t nVersion) {
    return nVersion == KR_VERSION_COUNTED_VISIBLE || nVersion == KR_VERSION_COUNTED_HIDDEN
               ? KR_LAYOUT_COUNTED
               : KR_LAYOUT_UNCOUNTED;
}

std::uint64_t GenerationOf(const KeyRecordBytes& vRecord) {
    if (CheckRecord(vRecord) != KeyRecordResult::KEY_OPENED) return 0;
    const std::size_t nAt = LayoutOf(vRecord).nGeneration;
    return nAt ? GetLe(vRecord.data() + nAt, 8) : 0;
}

bool ReadVaultId(const KeyRecordBytes& vRecord, unsigned char (&id)[KR_VAULT_ID_SIZE]) {
    if (CheckRecord(vRecord) != KeyRecordResult::KEY_OPENED) return false;
    std::memcpy(id, vRecord.data() + KR_OFFSET_VAULT_ID, KR_VAULT_ID_SIZE);
    return true;
}

CSecretBytes FormatRecoveryKey(const CSecretBytes& key) {
    if (key.Size() != RECOVERY_KEY_SIZE) return {};
    CSecretBytes text(RECOVERY_TEXT_SIZE);
    if (text.IsEmpty()) return text;
    unsigned nBits = 0, nHeld = 0;  // bits not yet written, oldest highest
    std::size_t nByte = 0, nOut = 0;
    for (std::size_t nSymbol = 0; nSymbol < RECOVERY_SYMBOLS; ++nSymbol) {
        if (nHeld < 5) {
            // Past the last byte the unused bits are zero.
            nBits = nBits << 8 | (nByte < key.Size() ? key.Data()[nByte++] : 0u);
            nHeld += 8;
        }
        nHeld -= 5;
        if (nSymbol > 0 && nSymbol % 4 == 0) text.Data()[nOut++] = '-';
        text.Data()[nOut++] = static_cast<unsigned char>(CROCKFORD_ALPHABET[(nBits >> nHeld) & 31]);
    }
    sodium_memzero(&nBits, sizeof nBits);
    return text;
}

bool ParseRecoveryKey(std::string_view strText, CSecretBytes* pKey) {
    pKey->Wipe();
    CSecretBytes key(RECOVERY_KEY_SIZE);
    if (key.IsEmpty()) return false;
    unsigned nBits = 0, nHeld = 0;
    std::size_t nSymbols = 0, nOut = 0;
    bool bValid = true;
    for (const char c : strText) {
        if (c == ' ' || c == '-') continue;
        const int nValue = SymbolValue(c);
        if (nValue < 0 || ++nSymbols > RECOVERY_SYMBOLS) {
            bValid = false;
            break;
        }
        nBits = (nBits << 5 | static_cast<unsigned>(nValue)) & 0xFFFu;
        nHeld += 5;
        if (nHeld >= 8 && nOut < RECOVERY_KEY_SIZE) {
            nHeld -= 8;
            key.Data()[nOut++] = static_cast<unsigned char>(nBits >> nHeld);
        }
    }
    // What is left after the last byte are the unused bits, which must be zero.
    bValid = bValid && nSymbols == RECOVERY_SYMBOLS && nHeld == RECOVERY_PAD_BITS &&
             (nBits & ((1u << nHeld) - 1)) == 0;
    sodium_memzero(&nBits, sizeof nBits);
    if (bValid) *pKey = std::move(key);
    return bValid;
}

}  // namespace quovex
