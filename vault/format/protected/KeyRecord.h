// The key record of a protected vault: the vault's 32-byte master key,
// sealed once under a key derived from the user name and password and once
// under a random recovery key, with what is needed to derive the first
// again. Pure computation on bytes, no file system (KeyRecordFiles.h keeps
// the record on disk). Nothing here throws. Any thread; each call stands
// alone.
//
// Layout of versions 1 and 2 (KR_RECORD_SIZE bytes, integers
// little-endian):
//
//   offset size  field
//        0    8  KR_MAGIC "QVXKEYRC"
//        8    1  version: KR_VERSION_VISIBLE_NAMES or KR_VERSION_HIDDEN_NAMES
//        9   16  vault id, random, fixed for the vault's life
//       25   24  recovery nonce
//       49   48  recovery seal: the master key sealed under the recovery key
//       97    4  Argon2id opslimit
//      101    8  Argon2id memlimit in bytes
//      109   16  salt of the password derivation
//      125   24  password nonce
//      149   48  password seal: the master key sealed under the derived key
//      197   32  checksum: crypto_generichash (32 bytes, no key) of bytes 0..196
//
// Versions 3 and 4 (KR_COUNTED_RECORD_SIZE bytes) hold the record's
// generation, unsigned 64-bit, at 97, and the password part 8 bytes later
// (KeyRecordLayoutOf). A vault's first record has generation 1, and every
// new password part one more than the newest record of the vault its
// writer knew: copies synced between machines, or kept by a sync engine as
// conflict copies, are told apart by it, and a copy is never rewritten
// from an older generation.
//
// Seals are crypto_aead_xchacha20poly1305_ietf (ciphertext then 16-byte
// tag). The password key is crypto_pwhash (crypto_pwhash_ALG_ARGON2ID13)
// of the password with the salt and limits of the record. The password
// seal's associated data is every record byte before it, followed by the
// UTF-8 user name, so that the user name must match as well as the
// password and no field before the seal can be changed unnoticed (the
// generation among them: a record from an old backup cannot be made to
// look newer without the credentials it was sealed with). The recovery
// seal's associated data is the bytes before it only (magic, version,
// vault id, its nonce), with the version as the names version (1 or 2,
// NamesVersionOf), so that a new password, salt, limits or generation, and
// a record lifted from version 1 to 3 or 2 to 4, leave it valid. The checksum comes last in every
// version and covers everything before it: a record whose checksum fails is damaged, one whose
// checksum holds but whose seal does not open was given the wrong
// credentials.
//
// Default limits, measured on the development machines (2 cores shared
// with other builds, libsodium 1.0.18, bench/kdf): opslimit 3 with 128 MiB
// took 0.41 to 0.50 s per derivation on the first when it was quiet, 0.6 to
// 0.9 s under a load of 6, but 0.19 s on a later one, below the 0.3 s a
// login should at least cost a guesser; opslimit 6 takes 0.35 s there.
// Peak memory 131 MiB. (Opslimit 3 with 192 MiB took 0.7 s quiet but up to
// 1.6 s loaded on the first; opslimit 2 with 256 MiB 0.9 s loaded.)
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "SecretBytes.h"

namespace quovex {

constexpr char KR_MAGIC[] = "QVXKEYRC";  // no terminator on disk
constexpr std::size_t KR_MAGIC_SIZE = 8;
// The two versions share one layout; the version says how the vault names
// its stored files on disk. A vault whose names are hidden must never be
// written by a build that would store plain names into it, so hiding names
// is a version of its own, which older builds refuse as too new.
constexpr std::uint8_t KR_VERSION_VISIBLE_NAMES = 1;  // on-disk names are the plain ones
constexpr std::uint8_t KR_VERSION_HIDDEN_NAMES = 2;   // on-disk names are sealed (NameCipher.h)
// The same two with the record's generation. Every record written since
// has one; versions 1 and 2 count as generation 0 and are lifted to 3 and 4
// by the next password change. Older builds refuse them as too new rather
// than write a record without a generation over one with it.
constexpr std::uint8_t KR_VERSION_COUNTED_VISIBLE = 3;
constexpr std::uint8_t KR_VERSION_COUNTED_HIDDEN = 4;
constexpr std::uint8_t KR_VERSION = KR_VERSION_COUNTED_HIDDEN;  // the newest this build knows
constexpr std::size_t KR_VAULT_ID_SIZE = 16;
constexpr std::size_t KR_NONCE_SIZE = 24;  // crypto_aead_xchacha20poly1305_ietf_NPUBBYTES
constexpr std::size_t KR_MASTER_KEY_SIZE = 32;
constexpr std::size_t KR_SEAL_SIZE = KR_MASTER_KEY_SIZE + 16;  // ciphertext and tag
constexpr std::size_t KR_SALT_SIZE = 16;                       // crypto_pwhash_SALTBYTES
constexpr std::size_t KR_CHECKSUM_SIZE = 32;                   // crypto_generichash_BYTES

constexpr std::size_t KR_OFFSET_VERSION = 8;
constexpr std::size_t KR_OFFSET_VAULT_ID = 9;
constexpr std::size_t KR_OFFSET_RECOVERY_NONCE = 25;
constexpr std::size_t KR_OFFSET_RECOVERY_SEAL = 49;
constexpr std::size_t KR_OFFSET_OPSLIMIT = 97;   // uint32
constexpr std::size_t KR_OFFSET_MEMLIMIT = 101;  // uint64
constexpr std::size_t KR_OFFSET_SALT = 109;
constexpr std::size_t KR_OFFSET_PASSWORD_NONCE = 125;
constexpr std::size_t KR_OFFSET_PASSWORD_SEAL = 149;
constexpr std::size_t KR_OFFSET_CHECKSUM = 197;
constexpr std::size_t KR_RECORD_SIZE = 229;

constexpr std::size_t KR_OFFSET_GENERATION = 97;  // uint64, versions 3 and 4
constexpr std::size_t KR_COUNTED_RECORD_SIZE = KR_RECORD_SIZE + 8;

// Where the fields after the recovery seal lie in a record of one version.
struct KeyRecordLayout {
    std::size_t nGeneration;  // 0 where the version holds none
    std::size_t nOpsLimit;
    std::size_t nMemLimit;
    std::size_t nSalt;
    std::size_t nPasswordNonce;
    std::size_t nPasswordSeal;
    std::size_t nChecksum;
    std::size_t nSize;
};
constexpr KeyRecordLayout KR_LAYOUT_UNCOUNTED{0,
                                              KR_OFFSET_OPSLIMIT,
                                              KR_OFFSET_MEMLIMIT,
                                              KR_OFFSET_SALT,
                                              KR_OFFSET_PASSWORD_NONCE,
                                              KR_OFFSET_PASSWORD_SEAL,
                                              KR_OFFSET_CHECKSUM,
                                              KR_RECORD_SIZE};
constexpr KeyRecordLayout KR_LAYOUT_COUNTED{
    KR_OFFSET_GENERATION,   KR_OFFSET_OPSLIMIT + 8,       KR_OFFSET_MEMLIMIT + 8,
    KR_OFFSET_SALT + 8,     KR_OFFSET_PASSWORD_NONCE + 8, KR_OFFSET_PASSWORD_SEAL + 8,
    KR_OFFSET_CHECKSUM + 8, KR_COUNTED_RECORD_SIZE};
// The layout of a version this build knows (any other: the uncounted one).
const KeyRecordLayout& KeyRecordLayoutOf(std::uint8_t nVersion);

static_assert(KR_OFFSET_VAULT_ID + KR_VAULT_ID_SIZE == KR_OFFSET_RECOVERY_NONCE);
static_assert(KR_OFFSET_RECOVERY_NONCE + KR_NONCE_SIZE == KR_OFFSET_RECOVERY_SEAL);
static_assert(KR_OFFSET_RECOVERY_SEAL + KR_SEAL_SIZE == KR_OFFSET_OPSLIMIT);
static_assert(KR_OFFSET_MEMLIMIT + 8 == KR_OFFSET_SALT);
static_assert(KR_OFFSET_SALT + KR_SALT_SIZE == KR_OFFSET_PASSWORD_NONCE);
static_assert(KR_OFFSET_PASSWORD_NONCE + KR_NONCE_SIZE == KR_OFFSET_PASSWORD_SEAL);
static_assert(KR_OFFSET_PASSWORD_SEAL + KR_SEAL_SIZE == KR_OFFSET_CHECKSUM);
static_assert(KR_OFFSET_CHECKSUM + KR_CHECKSUM_SIZE == KR_RECORD_SIZE);

// The cost of one password derivation (Argon2id passes and memory).
struct KdfLimits {
    std::uint64_t nOpsLimit = 0;
    std::uint64_t nMemLimit = 0;  // bytes

    bool operator==(const KdfLimits&) const = default;
};

// The range a record's limits must lie in before a derivation runs, so
// that a forged or damaged record cannot make the login hash for hours or
// take all memory. The lowest limits (KDF_FASTEST_LIMITS) are for tests.
constexpr std::uint64_t KDF_MIN_OPSLIMIT = 1;
constexpr std::uint64_t KDF_MAX_OPSLIMIT = 16;
constexpr std::uint64_t KDF_MIN_MEMLIMIT = 8192;  // crypto_pwhash_MEMLIMIT_MIN
constexpr std::uint64_t KDF_MAX_MEMLIMIT = 1ull << 30;
constexpr KdfLimits KDF_DEFAULT_LIMITS{6, 128ull << 20};
constexpr KdfLimits KDF_FASTEST_LIMITS{KDF_MIN_OPSLIMIT, KDF_MIN_MEMLIMIT};

bool KdfLimitsInRange(const KdfLimits& limits);

enum class KeyRecordResult {
    KEY_OPENED,               // done: the master key is given, or the record made
    KEY_WRONG_CREDENTIALS,    // the record is sound, the user name or password is not its
    KEY_WRONG_RECOVERY_KEY,   // the record is sound, the recovery key is not its (or no key)
    KEY_DAMAGED,              // not a key record, cut short, or its checksum fails
    KEY_UNSUPPORTED_VERSION,  // a sound record of a version this program does not know
    KEY_LIMITS_OUT_OF_RANGE,  // its derivation limits (or the ones asked for) are out of range
    KEY_NO_MEMORY,            // secret memory, the derivation's memory or libsodium failed
    KEY_NOT_FOUND,            // (on disk only) no record at the location
    KEY_DISK_FAILED,          // (on disk only) a read or write failed; errno tells why
    // (on disk only) the copy these credentials open belongs to another
    // vault: the vault's protected stored files do not open with its key.
    KEY_OTHER_VAULT,
    // (on disk only) the two copies are sound records of two different
    // vaults, and no protected stored file tells which is this vault's.
    KEY_TWO_VAULTS,
};

using KeyRecordBytes = std::vector<unsigned char>;

// What a new vault's record comes with: the record, the master key it
// seals, and the recovery key as shown to the user once (RECOVERY_TEXT_SIZE
// ASCII characters, no terminator).
struct NewKeyRecord {
    KeyRecordBytes vRecord;
    CSecretBytes masterKey;
    CSecretBytes recoveryText;
};

// How a vault names its stored files on disk.
enum class VaultNames {
    NAMES_VISIBLE,  // plain names (KR_VERSION_VISIBLE_NAMES)
    NAMES_HIDDEN,   // sealed names (KR_VERSION_HIDDEN_NAMES)
};

// Makes a record for a new vault whose names are as given: new vault id,
// salt, nonces, master key and recovery key. KEY_OPENED and *pNew filled,
// or KEY_LIMITS_OUT_OF_RANGE or KEY_NO_MEMORY and *pNew left empty. Takes
// one derivation's time.
KeyRecordResult CreateKeyRecord(const std::string& strUser, const std::string& strPassword,
                                const KdfLimits& limits, VaultNames names, NewKeyRecord* pNew);

// How the vault of a sound record names its files; NAMES_VISIBLE for a
// record that is damaged or of an unknown version (which nothing opens).
VaultNames NamesOfRecord(const KeyRecordBytes& vRecord);

// The record of the same vault (id, master key) for a vault whose names
// are now hidden: version KR_VERSION_COUNTED_HIDDEN, the next generation, sealed under the user
// name and password given, and a new recovery key, since the recovery seal
// is bound to the version (the old recovery key opens only old copies of
// the record). masterKey must be the one vRecord seals. KEY_OPENED with
// *pNew set, or KEY_DAMAGED, KEY_UNSUPPORTED_VERSION,
// KEY_LIMITS_OUT_OF_RANGE, KEY_NO_MEMORY with *pNew empty.
KeyRecordResult RecordWithHiddenNames(const KeyRecordBytes& vRecord, const CSecretBytes& masterKey,
                                      const std::string& strUser, const std::string& strPassword,
                                      const KdfLimits& limits, NewKeyRecord* pNew);

// The master key of vRecord, unsealed with the user name and password.
// KEY_OPENED with *pMasterKey set; anything else leaves it empty. The
// record is checked (checksum, version, limits) before the derivation runs.
KeyRecordResult UnsealWithPassword(const KeyRecordBytes& vRecord, const std::string& strUser,
                                   const std::string& strPassword, CSecretBytes* pMasterKey);

// The master key of vRecord, unsealed with the recovery key as the user
// typed it (ParseRecoveryKey). A text that is no recovery key gives
// KEY_WRONG_RECOVERY_KEY. No derivation runs.
KeyRecordResult UnsealWithRecoveryKey(const KeyRecordBytes& vRecord, std::string_view strText,
                                      CSecretBytes* pMasterKey);

// vRecord sealed under a new user name and password: new salt, nonce and
// the given limits, of the counted version of vRecord's names and a
// generation one above both its own and nNewestKnown (the newest record of
// the vault the caller has seen: a conflict copy, say); vault id and
// recovery seal kept, so that the recovery key stays valid. masterKey must
// be the one vRecord seals (the caller has just unsealed it). KEY_OPENED
// with *pNewRecord set, or KEY_DAMAGED, KEY_UNSUPPORTED_VERSION,
// KEY_LIMITS_OUT_OF_RANGE, KEY_NO_MEMORY.
KeyRecordResult ResealKeyRecord(const KeyRecordBytes& vRecord, const CSecretBytes& masterKey,
                                const std::string& strUser, const std::string& strNewPassword,
                                const KdfLimits& limits, KeyRecordBytes* pNewRecord,
                                std::uint64_t nNewestKnown = 0);

// The generation of a sound record: 0 for versions 1 and 2, and for a
// record that is damaged or of an unknown version.
std::uint64_t GenerationOf(const KeyRecordBytes& vRecord);

// The vault id of a sound record; false when it is damaged or of another version.
bool ReadVaultId(const KeyRecordBytes& vRecord, unsigned char (&id)[KR_VAULT_ID_SIZE]);

// The recovery key: RECOVERY_KEY_SIZE random bytes, shown as Crockford
// base32 ("0123456789ABCDEFGHJKMNPQRSTVWXYZ", the last character's unused
// bits zero) in RECOVERY_TEXT_GROUPS groups of four joined by '-'.
constexpr std::size_t RECOVERY_KEY_SIZE = 32;
constexpr std::size_t RECOVERY_TEXT_GROUPS = 13;
constexpr std::size_t RECOVERY_TEXT_SIZE = RECOVERY_TEXT_GROUPS * 5 - 1;

// The text of a RECOVERY_KEY_SIZE-byte key; empty when key has another
// size or memory fails.
CSecretBytes FormatRecoveryKey(const CSecretBytes& key);
// The key of a text as typed: case, spaces and dashes do not count, O reads
// as 0, I and L as 1. False (and *pKey empty) for a text of another length,
// with a character outside the alphabet, or with unused bits set.
bool ParseRecoveryKey(std::string_view strText, CSecretBytes* pKey);

}  // namespace quovex
