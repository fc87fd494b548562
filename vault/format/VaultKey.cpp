#include "VaultKey.h"

#include <sodium.h>

#include <new>

#include "ProtectedStream.h"

namespace quovex {

CVaultKey::CVaultKey(const std::string& strUser, const std::string& strPassword)
    : m_strUser(strUser), m_cipherMemory(sizeof(CVaultCipher)) {
    // CVaultCipher holds only bytes (alignment 1), so it may live in the
    // locked, guarded memory sodium_malloc hands out.
    static_assert(alignof(CVaultCipher) == 1);
    if (!m_cipherMemory.IsEmpty()) m_pCipher = new (m_cipherMemory.Data()) CVaultCipher();
    SetScrambleKey(strPassword);
}

CVaultKey::~CVaultKey() {
    Wipe();
}

const CVaultCipher& CVaultKey::NoCipher() {
    static const CVaultCipher none;
    return none;
}

void CVaultKey::SetScrambleKey(const std::string& strPassword) {
    if (!m_pCipher) return;
    // The temporary wipes its own bytes when it goes.
    *m_pCipher = CVaultCipher(m_strUser, strPassword);
}

void CVaultKey::DropScrambleKey() {
    if (m_pCipher) m_pCipher->Wipe();
}

bool CVaultKey::FileKeys(ProtectedFileKeys* pKeys) const {
    pKeys->bVaultId = m_bVaultId;
    pKeys->vaultId = m_vaultId;
    return IsProtected() && DeriveFileKeys(m_master, pKeys);
}

void CVaultKey::Wipe() {
    DropScrambleKey();
    SetMasterKey(CSecretBytes());
    if (!m_strUser.empty()) sodium_memzero(m_strUser.data(), m_strUser.size());
    m_strUser.clear();
}

void CVaultKey::Reset(const std::string& strUser, const std::string& strPassword) {
    Wipe();
    m_strUser = strUser;
    SetScrambleKey(strPassword);
}

}  // namespace quovex
