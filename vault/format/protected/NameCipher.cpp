#include "NameCipher.h"

#include <sodium.h>

#include <cstring>
#include <utility>

#include "SecureRandom.h"
#include "TextCodec.h"

namespace quovex {

static_assert(NAME_KEY_SIZE == crypto_kdf_KEYBYTES);
static_assert(NAME_KEY_SIZE == crypto_aead_xchacha20poly1305_ietf_KEYBYTES);
static_assert(NAME_KEY_SIZE == crypto_generichash_KEYBYTES);
static_assert(NAME_NONCE_SIZE == crypto_aead_xchacha20poly1305_ietf_NPUBBYTES);
static_assert(NAME_TAG_SIZE == crypto_aead_xchacha20poly1305_ietf_ABYTES);
static_assert(NAME_NONCE_SIZE >= crypto_generichash_BYTES_MIN &&
              NAME_SHORT_ID_SIZE >= crypto_generichash_BYTES_MIN);
static_assert(sizeof NAME_RECORD_MAGIC == NAME_RECORD_MAGIC_SIZE);
static_assert(sizeof(PFF_KDF_CONTEXT) - 1 == crypto_kdf_CONTEXTBYTES);

namespace {

using R = NameResult;

constexpr std::size_t SUFFIX_SIZE = sizeof STORED_SUFFIX - 1;

unsigned char KindByte(NameKind kind) {
    return kind == NameKind::NAME_FOLDER ? NAME_KIND_FOLDER : NAME_KIND_FILE;
}

// Kind byte || parent path: a name opens only as its kind and in its folder.
std::string AssociatedData(unsigned char nKind, const std::string& strParent) {
    return static_cast<char>(nKind) + strParent;
}

// Keyed BLAKE2b of nOut bytes over strPrefix || parent || 0x00 || name: the
// zero byte ends the parent, which holds none.
bool HashName(const CSecretBytes& key, const std::string& strPrefix, const std::string& strParent,
              const std::string& strName, unsigned char* pOut, std::size_t nOut) {
    std::string strIn = strPrefix + strParent;
    strIn += '\0';
    strIn += strName;
    return crypto_generichash(pOut, nOut, reinterpret_cast<const unsigned char*>(strIn.data()),
                              strIn.size(), key.Data(), key.Size()) == 0;
}

// Seals strName under key with the nonce at pNonce into pOut (room for
// strName.size() + NAME_TAG_SIZE bytes).
bool SealBytes(const CSecretBytes& key, unsigned char nKind, const std::string& strParent,
               const std::string& strName, const unsigned char* pNonce, unsigned char* pOut) {
    const std::string strAd = AssociatedData(nKind, strParent);
    return crypto_aead_xchacha20poly1305_ietf_encrypt(
               pOut, nullptr, reinterpret_cast<const unsigned char*>(strName.data()),
               strName.size(), reinterpret_cast<const unsigned char*>(strAd.data()), strAd.size(),
               nullptr, pNonce, key.Data()) == 0;
}

bool EndsWithSuffix(const std::string& strDisk) {
    return strDisk.size() >= SUFFIX_SIZE &&
           strDisk.compare(strDisk.size() - SUFFIX_SIZE, SUFFIX_SIZE, STORED_SUFFIX) == 0;
}

}  // namespace

bool IsPlainName(const std::string& strName) {
    return !strName.empty() && strName.size() <= NAME_PLAIN_MAX_BYTES && strName != "." &&
           strName != ".." && strName.find(PATH_SEPARATOR) == std::string::npos &&
           strName.find('\0') == std::string::npos && IsValidUtf8(strName);
}

bool IsPlainParentPath(const std::string& strPath) {
    for (std::size_t nStart = 0;;) {
        const std::size_t nEnd = strPath.find(PATH_SEPARATOR, nStart);
        if (!IsPlainName(strPath.substr(nStart, nEnd - nStart))) return false;
        if (nEnd == std::string::npos) return true;
        nStart = nEnd + 1;
    }
}

bool CNameCipher::Init(const CSecretBytes& master) {
    Wipe();
    if (master.IsEmpty() || master.Size() != PFF_KEY_SIZE || !SodiumReady()) return false;
    CSecretBytes sealKey(NAME_KEY_SIZE), hashKey(NAME_KEY_SIZE);
    if (sealKey.IsEmpty() || hashKey.IsEmpty()) return false;
    if (crypto_kdf_derive_from_key(sealKey.Data(), sealKey.Size(), PFF_KDF_ID_NAMES,
                                   PFF_KDF_CONTEXT, master.Data()) != 0 ||
        crypto_kdf_derive_from_key(hashKey.Data(), hashKey.Size(), PFF_KDF_ID_NAME_HASH,
                                   PFF_KDF_CONTEXT, master.Data()) != 0)
        return false;
    m_sealKey = std::move(sealKey);
    m_hashKey = std::move(hashKey);
    return true;
}

bool CNameCipher::HasKeys() const {
    return !m_sealKey.IsEmpty() && !m_hashKey.IsEmpty();
}

void CNameCipher::Wipe() {
    m_sealKey.Wipe();
    m_hashKey.Wipe();
}

bool CNameCipher::FolderNonce(const std::string& strParent, const std::string& strName,
                              unsigned char* pNonce) const {
    return HashName(m_hashKey, "", strParent, strName, pNonce, NAME_NONCE_SIZE);
}

bool CNameCipher::ShortName(NameKind kind, const std::string& strParent, const std::string& strName,
                            std::string* pShort) const {
    unsigned char id[NAME_SHORT_ID_SIZE];
    // A folder's is its name's, so that every machine finds the same folder;
    // a file's says nothing of its name, which its metadata holds.
    if (kind == NameKind::NAME_FILE)
        FillRandom(id, sizeof id);
    else if (!HashName(m_hashKey, std::string(1, static_cast<char>(NAME_KIND_LONG)), strParent,
                       strName, id, sizeof id))
        return false;
    *pShort = NAME_SHORT_PREFIX + EncodeBase32(id, sizeof id);
    return true;
}

NameResult CNameCipher::SealName(NameKind kind, const std::string& strParent,
                                 const std::string& strName, std::string* pDisk) const {
    if (!HasKeys()) return R::NAME_NO_CRYPTO;
    if (!IsPlainParentPath(strParent) || !IsPlainName(strName)) return R::NAME_BAD_PLAIN;
    const std::string strSuffix = kind == NameKind::NAME_FILE ? STORED_SUFFIX : "";
    if (!NameFitsSealed(kind, strName.size())) {
        std::string strShort;
        if (!ShortName(kind, strParent, strName, &strShort)) return R::NAME_NO_CRYPTO;
        *pDisk = strShort + strSuffix;
        return R::NAME_LONG;
    }
    std::vector<unsigned char> sealed(NAME_SEALED_OVERHEAD + strName.size());
    if (kind == NameKind::NAME_FILE)
        FillRandom(sealed.data(), NAME_NONCE_SIZE);
    else if (!FolderNonce(strParent, strName, sealed.data()))
        return R::NAME_NO_CRYPTO;
    if (!SealBytes(m_sealKey, KindByte(kind), strParent, strName, sealed.data(),
                   sealed.data() + NAME_NONCE_SIZE))
        return R::NAME_NO_CRYPTO;
    *pDisk = EncodeBase32(sealed.data(), sealed.size()) + strSuffix;
    return R::NAME_OK;
}

NameResult CNameCipher::OpenSealed(unsigned char nKind, const std::string& strParent,
                                   const unsigned char* pNonce, const unsigned char* pSealed,
                                   std::size_t nSealed, std::string* pPlain) const {
    const std::string strAd = AssociatedData(nKind, strParent);
    std::string strPlain(nSealed - NAME_TAG_SIZE, '\0');
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(
            reinterpret_cast<unsigned char*>(strPlain.data()), nullptr, nullptr, pSealed, nSealed,
            reinterpret_cast<const unsigned char*>(strAd.data()), strAd.size(), pNonce,
            m_sealKey.Data()) != 0)
        return R::NAME_DAMAGED;
    // Only a holder of the key seals, and only plain names; anything else is
    // never handed out as a name.
    if (!IsPlainName(strPlain)) return R::NAME_DAMAGED;
    *pPlain = std::move(strPlain);
    return R::NAME_OK;
}

NameResult CNameCipher::OpenName(NameKind kind, const std::string& strParent,
                                 const std::string& strDisk, std::string* pPlain) const {
    if (!HasKeys()) return R::NAME_NO_CRYPTO;
    if (!IsPlainParentPath(strParent)) return R::NAME_BAD_PLAIN;
    if (strDisk.size() > NAME_MAX_BYTES) return R::NAME_NOT_SEALED;
    const bool bFile = kind == NameKind::NAME_FILE;
    if (bFile && !EndsWithSuffix(strDisk)) return R::NAME_NOT_SEALED;
    const std::string_view text(strDisk.data(), strDisk.size() - (bFile ? SUFFIX_SIZE : 0));
    std::vector<unsigned char> bytes;
    if (!text.empty() && text[0] == NAME_SHORT_PREFIX)
        return DecodeBase32(text.substr(1), &bytes) && bytes.size() == NAME_SHORT_ID_SIZE
                   ? R::NAME_LONG
                   : R::NAME_NOT_SEALED;
    // At least one byte of name: the empty name is never sealed.
    if (!DecodeBase32(text, &bytes) || bytes.size() <= NAME_SEALED_OVERHEAD)
        return R::NAME_NOT_SEALED;
    std::string strPlain;
    const R result =
        OpenSealed(KindByte(kind), strParent, bytes.data(), bytes.data() + NAME_NONCE_SIZE,
                   bytes.size() - NAME_NONCE_SIZE, &strPlain);
    if (result != R::NAME_OK) return result;
    // A folder has one on-disk name; one sealed under another nonce would
    // be a second folder of the same name beside it.
    unsigned char nonce[NAME_NONCE_SIZE];
    if (!bFile && (!FolderNonce(strParent, strPlain, nonce) ||
                   sodium_memcmp(nonce, bytes.data(), NAME_NONCE_SIZE) != 0))
        return R::NAME_DAMAGED;
    *pPlain = std::move(strPlain);
    return R::NAME_OK;
}

bool CNameCipher::IsShortFolderNameOf(const std::string& strParent, const std::string& strName,
                                      const std::string& strDisk) const {
    if (!HasKeys() || !IsPlainParentPath(strParent) || !IsPlainName(strName) ||
        NameFitsSealed(NameKind::NAME_FOLDER, strName.size()))
        return false;
    std::string strShort;
    return ShortName(NameKind::NAME_FOLDER, strParent, strName, &strShort) &&
           strDisk.size() == strShort.size() &&
           sodium_memcmp(strDisk.data(), strShort.data(), strShort.size()) == 0;
}

std::vector<unsigned char> CNameCipher::SealFolderRecord(const std::string& strParent,
                                                         const std::string& strName) const {
    if (!HasKeys() || !IsPlainParentPath(strParent) || !IsPlainName(strName)) return {};
    std::vector<unsigned char> record(NAME_RECORD_OFFSET_SEALED + strName.size() + NAME_TAG_SIZE);
    std::memcpy(record.data(), NAME_RECORD_MAGIC, NAME_RECORD_MAGIC_SIZE);
    record[NAME_RECORD_OFFSET_VERSION] = NAME_RECORD_VERSION;
    unsigned char* pNonce = record.data() + NAME_RECORD_OFFSET_NONCE;
    FillRandom(pNonce, NAME_NONCE_SIZE);
    if (!SealBytes(m_sealKey, NAME_KIND_RECORD, strParent, strName, pNonce,
                   record.data() + NAME_RECORD_OFFSET_SEALED))
        return {};
    return record;
}

NameResult CNameCipher::OpenFolderRecord(const std::string& strParent, const unsigned char* p,
                                         std::size_t n, std::string* pName) const {
    if (!HasKeys()) return R::NAME_NO_CRYPTO;
    if (!IsPlainParentPath(strParent)) return R::NAME_BAD_PLAIN;
    if (n <= NAME_RECORD_OFFSET_VERSION ||
        std::memcmp(p, NAME_RECORD_MAGIC, NAME_RECORD_MAGIC_SIZE) != 0 ||
        p[NAME_RECORD_OFFSET_VERSION] != NAME_RECORD_VERSION)
        return R::NAME_NOT_SEALED;
    if (n <= NAME_RECORD_OFFSET_SEALED + NAME_TAG_SIZE || n > NAME_RECORD_MAX_SIZE)
        return R::NAME_DAMAGED;
    return OpenSealed(NAME_KIND_RECORD, strParent, p + NAME_RECORD_OFFSET_NONCE,
                      p + NAME_RECORD_OFFSET_SEALED, n - NAME_RECORD_OFFSET_SEALED, pName);
}

}  // namespace quovex
