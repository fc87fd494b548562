#include "SecretBytes.h"

#include <sodium.h>

#include <cstring>
#include <utility>

#include "SecureRandom.h"

namespace quovex {

CSecretBytes::CSecretBytes(std::size_t nSize) {
    if (!SodiumReady()) return;
    m_pData = static_cast<unsigned char*>(sodium_malloc(nSize == 0 ? 1 : nSize));
    if (!m_pData) return;
    m_nSize = nSize;
    sodium_memzero(m_pData, nSize);
}

CSecretBytes::~CSecretBytes() {
    Wipe();
}

CSecretBytes::CSecretBytes(CSecretBytes&& other) noexcept
    : m_pData(std::exchange(other.m_pData, nullptr)), m_nSize(std::exchange(other.m_nSize, 0)) {}

CSecretBytes& CSecretBytes::operator=(CSecretBytes&& other) noexcept {
    if (this != &other) {
        Wipe();
        m_pData = std::exchange(other.m_pData, nullptr);
        m_nSize = std::exchange(other.m_nSize, 0);
    }
    return *this;
}

CSecretBytes CSecretBytes::Clone() const {
    if (IsEmpty()) return {};
    CSecretBytes copy(m_nSize);
    if (!copy.IsEmpty()) std::memcpy(copy.m_pData, m_pData, m_nSize);
    return copy;
}

void CSecretBytes::Wipe() {
    // sodium_free wipes before it frees.
    if (m_pData) sodium_free(m_pData);
    m_pData = nullptr;
    m_nSize = 0;
}

bool CSecretBytes::Equals(const CSecretBytes& other) const {
    if (m_nSize != other.m_nSize || IsEmpty() || other.IsEmpty()) return false;
    return sodium_memcmp(m_pData, other.m_pData, m_nSize) == 0;
}

}  // namespace quovex
