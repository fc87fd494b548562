#include "VaultKey.h"

#include <sodium.h>

#include <cstring>

namespace quovex {

namespace {

CSecretBytes KeepSecret(const std::string& strText) {
    CSecretBytes secret(strText.size());
    if (!secret.IsEmpty() && !strText.empty())
        std::memcpy(secret.Data(), strText.data(), strText.size());
    return secret;
}

}  // namespace

CVaultKey::CVaultKey(const std::string& strUser, const std::string& strPassword)
    : m_strUser(strUser), m_cipher(strUser, strPassword), m_password(KeepSecret(strPassword)) {}

CVaultKey::~CVaultKey() {
    Wipe();
}

void CVaultKey::ChangePassword(const std::string& strNewPassword) {
    m_cipher.Wipe();  // the assignment below may free the old bytes unwiped
    m_cipher = CVaultCipher(m_strUser, strNewPassword);
    m_password = KeepSecret(strNewPassword);
}

void CVaultKey::Wipe() {
    m_cipher.Wipe();
    m_password.Wipe();
    m_master.Wipe();
    if (!m_strUser.empty()) sodium_memzero(m_strUser.data(), m_strUser.size());
    m_strUser.clear();
}

void CVaultKey::Reset(const std::string& strUser, const std::string& strPassword) {
    Wipe();
    m_strUser = strUser;
    m_cipher = CVaultCipher(m_strUser, strPassword);
    m_password = KeepSecret(strPassword);
}

}  // namespace quovex
