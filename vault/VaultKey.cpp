#include "VaultKey.h"

#include <sodium.h>

namespace quovex {

CVaultKey::CVaultKey(const std::string& strUser, const std::string& strPassword)
    : m_strUser(strUser), m_cipher(strUser, strPassword) {}

CVaultKey::~CVaultKey() {
    Wipe();
}

void CVaultKey::Wipe() {
    m_cipher.Wipe();
    m_master.Wipe();
    if (!m_strUser.empty()) sodium_memzero(m_strUser.data(), m_strUser.size());
    m_strUser.clear();
}

}  // namespace quovex
