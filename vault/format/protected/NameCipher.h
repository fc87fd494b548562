// The names of a protected vault with hidden names: every folder and
// stored file name in a box is sealed under a key of the vault and kept on
// disk as base32 text. docs/stored-file-format.md ("Hidden names")
// describes every byte; the constants here mirror it, and the two must
// always agree.
//
// Pure computation: nothing here touches the file system. Every
// cryptographic step is libsodium's: crypto_kdf_derive_from_key,
// crypto_generichash (keyed BLAKE2b),
// crypto_aead_xchacha20poly1305_ietf_{encrypt,decrypt}, sodium_memcmp,
// randombytes_buf through FillRandom. Results are codes, never exceptions
// (running out of memory aside, which the caller catches as everywhere in
// the core).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Base32.h"
#include "PathText.h"
#include "ProtectedLayout.h"
#include "SecretBytes.h"

namespace quovex {

// Subkeys of the master key (context PFF_KDF_CONTEXT, beside the body's and
// the metadata's): the one that seals names, and BLAKE2b's key for the
// folder nonces and the short forms of long folder names.
constexpr std::uint64_t PFF_KDF_ID_NAMES = 3;
constexpr std::uint64_t PFF_KDF_ID_NAME_HASH = 4;
constexpr std::size_t NAME_KEY_SIZE = 32;

// The longest on-disk name, in bytes, and the longest plain name.
constexpr std::size_t NAME_MAX_BYTES = 255;
constexpr std::size_t NAME_PLAIN_MAX_BYTES = 255;

// The first byte of the associated data and of the hashed bytes: what a
// sealed name is, so that one kind never opens as another.
constexpr unsigned char NAME_KIND_FOLDER = 'D';  // a folder's name
constexpr unsigned char NAME_KIND_FILE = 'F';    // a stored file's name
constexpr unsigned char NAME_KIND_RECORD = 'R';  // a folder name record
constexpr unsigned char NAME_KIND_LONG = 'L';    // the hash of a long folder name

// A sealed name: nonce || cipher text || tag, as base32 (Base32.h).
constexpr std::size_t NAME_NONCE_SIZE = 24;
constexpr std::size_t NAME_TAG_SIZE = 16;
constexpr std::size_t NAME_SEALED_OVERHEAD = NAME_NONCE_SIZE + NAME_TAG_SIZE;

// The short form of a long name: NAME_SHORT_PREFIX, then the base32 of
// NAME_SHORT_ID_SIZE bytes (and STORED_SUFFIX for a file). The prefix is
// outside the base32 alphabet, so no sealed name begins with it.
constexpr char NAME_SHORT_PREFIX = '1';
constexpr std::size_t NAME_SHORT_ID_SIZE = 20;
constexpr std::size_t NAME_SHORT_SIZE = 1 + Base32Length(NAME_SHORT_ID_SIZE);  // 33

// The record of a long folder name, a file of that name inside the folder:
// magic, version, nonce, then the sealed name (cipher text || tag).
constexpr char FOLDER_NAME_RECORD[] = ".quovex-name";
constexpr unsigned char NAME_RECORD_MAGIC[] = {'Q', 'V', 'X', 'N'};
constexpr std::size_t NAME_RECORD_MAGIC_SIZE = 4;
constexpr std::size_t NAME_RECORD_OFFSET_VERSION = 4;
constexpr unsigned char NAME_RECORD_VERSION = 1;
constexpr std::size_t NAME_RECORD_OFFSET_NONCE = 5;
constexpr std::size_t NAME_RECORD_OFFSET_SEALED = NAME_RECORD_OFFSET_NONCE + NAME_NONCE_SIZE;  // 29
constexpr std::size_t NAME_RECORD_MAX_SIZE =
    NAME_RECORD_OFFSET_SEALED + NAME_PLAIN_MAX_BYTES + NAME_TAG_SIZE;  // 300

enum class NameResult {
    NAME_OK,
    NAME_LONG,        // a short on-disk name: the plain name lives elsewhere
    NAME_NOT_SEALED,  // not a name this cipher makes: a dot-name, another alphabet,
                      // wrong suffix for the kind, a length no writer gives
    NAME_DAMAGED,     // sealed form but does not open here: moved, damaged, other vault
    NAME_BAD_PLAIN,   // refused plain name (or parent path)
    NAME_NO_CRYPTO,   // no keys: Init not called or failed
};

enum class NameKind { NAME_FOLDER, NAME_FILE };

// The length of the sealed on-disk name of a plain name of nPlain bytes.
constexpr std::size_t SealedNameLength(NameKind kind, std::size_t nPlain) {
    return Base32Length(NAME_SEALED_OVERHEAD + nPlain) +
           (kind == NameKind::NAME_FILE ? sizeof STORED_SUFFIX - 1 : 0);
}

// Whether a plain name of nPlain bytes is kept sealed in its on-disk name;
// a longer one gets the short form.
constexpr bool NameFitsSealed(NameKind kind, std::size_t nPlain) {
    return SealedNameLength(kind, nPlain) <= NAME_MAX_BYTES;
}

// The longest plain names kept sealed: 119 bytes for a folder, 118 for a
// file (39 Chinese characters either way).
constexpr std::size_t NAME_FOLDER_SEALED_MAX = 119;
constexpr std::size_t NAME_FILE_SEALED_MAX = 118;
static_assert(NameFitsSealed(NameKind::NAME_FOLDER, NAME_FOLDER_SEALED_MAX) &&
              !NameFitsSealed(NameKind::NAME_FOLDER, NAME_FOLDER_SEALED_MAX + 1));
static_assert(NameFitsSealed(NameKind::NAME_FILE, NAME_FILE_SEALED_MAX) &&
              !NameFitsSealed(NameKind::NAME_FILE, NAME_FILE_SEALED_MAX + 1));

// Whether strName may be a plain name: well-formed UTF-8 of 1 to
// NAME_PLAIN_MAX_BYTES bytes, no '/' and no NUL, not "." or "..".
bool IsPlainName(const std::string& strName);
// Whether strPath may be a parent's plain path: plain names joined by '/'
// ("文档保险柜", "文档保险柜/资料"), so no '/' at either end and no empty component.
bool IsPlainParentPath(const std::string& strPath);

// Seals and opens the names of one protected vault. Init, Wipe and the
// destructor take the object alone; after Init every const method may be
// called from any number of threads at once (each file name's nonce comes
// from FillRandom, which is thread-safe).
class CNameCipher {
public:
    // Derives both names keys from a 32-byte master key; false (nothing
    // held) when it has another size or libsodium / locked memory fail.
    bool Init(const CSecretBytes& master);
    bool HasKeys() const;
    // Wipes and frees both keys; HasKeys is false afterwards.
    void Wipe();

    // The on-disk name for the plain name strName in the folder whose plain
    // path is strParent: a folder's is always the same, a file's new at every
    // call (STORED_SUFFIX appended). A name too long for NAME_MAX_BYTES
    // sealed gets its short form: result NAME_LONG, *pDisk set; a folder's
    // short form is always the same, a file's new at every call. Otherwise
    // NAME_OK, or NAME_BAD_PLAIN / NAME_NO_CRYPTO with *pDisk untouched.
    NameResult SealName(NameKind kind, const std::string& strParent, const std::string& strName,
                        std::string* pDisk) const;

    // The plain name of the on-disk name strDisk in strParent: NAME_OK
    // (*pPlain set), NAME_LONG (a short form: look for the plain name
    // elsewhere), NAME_NOT_SEALED, NAME_DAMAGED (a folder name also when
    // it opens but is not the one form SealName gives), NAME_BAD_PLAIN for
    // a parent path that is none, NAME_NO_CRYPTO. *pPlain is set only on
    // NAME_OK.
    NameResult OpenName(NameKind kind, const std::string& strParent, const std::string& strDisk,
                        std::string* pPlain) const;

    // Whether strDisk is the short form a folder named strName in strParent
    // gets (false also for a name that fits sealed, which has none). Compared
    // in constant time. A folder record names its folder only when this
    // holds for the folder's on-disk name: records swapped between two long
    // folders of one parent open, but do not pass it.
    bool IsShortFolderNameOf(const std::string& strParent, const std::string& strName,
                             const std::string& strDisk) const;

    // The folder name record (FOLDER_NAME_RECORD) of a folder named strName
    // in strParent, with a new nonce at every call; empty for a refused
    // name or parent, or without keys.
    std::vector<unsigned char> SealFolderRecord(const std::string& strParent,
                                                const std::string& strName) const;
    // The name the n bytes at p seal for a folder in strParent: NAME_OK
    // (*pName set), NAME_NOT_SEALED (another magic or version),
    // NAME_DAMAGED (cut short, too long, or does not open here),
    // NAME_BAD_PLAIN (the parent path), NAME_NO_CRYPTO.
    NameResult OpenFolderRecord(const std::string& strParent, const unsigned char* p, std::size_t n,
                                std::string* pName) const;

private:
    // The deterministic nonce of a folder name.
    bool FolderNonce(const std::string& strParent, const std::string& strName,
                     unsigned char* pNonce) const;
    // The short form of a long name, without the file suffix.
    bool ShortName(NameKind kind, const std::string& strParent, const std::string& strName,
                   std::string* pShort) const;
    // NAME_OK and the name when the sealed bytes open, else NAME_DAMAGED.
    NameResult OpenSealed(unsigned char nKind, const std::string& strParent,
                          const unsigned char* pNonce, const unsigned char* pSealed,
                          std::size_t nSealed, std::string* pPlain) const;

    CSecretBytes m_sealKey;  // PFF_KDF_ID_NAMES
    CSecretBytes m_hashKey;  // PFF_KDF_ID_NAME_HASH
};

}  // namespace quovex
