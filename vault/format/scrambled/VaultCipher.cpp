#include "VaultCipher.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "BlockShuffle.h"
#include "TextCodec.h"
#include "VaultEnv.h"

namespace quovex {

const char CIPHER_PLAIN_ALPHABET[CIPHER_ALPHABET_SIZE + 1] =
    "_+-0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
const char CIPHER_SUBST_ALPHABET[CIPHER_ALPHABET_SIZE + 1] =
    "pyuUXwr1WhTPs96tnlgKBV-i5f7_IHDqJ3CvE0kxO2ZAbmLeczNYj4So+RMFdG8Qa";

const std::int32_t CIPHER_PERMUTATION[SFF_BLOCK_SIZE] = {
    107, 39, 33,  103, 35, 59, 8,   113, 0,   96, 38,  14,  120, 18,  115, 82, 13,  1,   43,
    40,  54, 66,  23,  27, 84, 90,  70,  11,  25, 85,  97,  68,  73,  56,  29, 61,  79,  86,
    36,  55, 65,  108, 74, 28, 47,  50,  105, 71, 58,  9,   118, 125, 76,  88, 48,  24,  121,
    109, 62, 16,  72,  21, 92, 124, 34,  45,  5,  111, 122, 12,  110, 41,  44, 106, 46,  64,
    52,  3,  17,  117, 26, 77, 10,  78,  2,   30, 99,  6,   81,  119, 95,  20, 91,  102, 126,
    116, 63, 127, 51,  60, 32, 67,  98,  69,  37, 87,  31,  15,  80,  112, 22, 42,  4,   104,
    123, 7,  89,  75,  57, 49, 83,  19,  101, 93, 100, 53,  114, 94,
};

std::uint32_t CredentialChecksum(const char* pszUser, const char* pszPassword) {
    std::uint32_t nSum = 0;
    for (const char* p = pszUser; *p; ++p) nSum += static_cast<unsigned char>(*p);
    for (const char* p = pszPassword; *p; ++p) nSum += static_cast<unsigned char>(*p);
    return nSum;
}

int FindCharIndex(const char* pszAlphabet, char c) {
    for (int i = 0; pszAlphabet[i]; ++i) {
        if (pszAlphabet[i] == c) return i;
    }
    return -1;
}

void SubstituteChars(char* pOut, const char* pszIn, int nCount) {
    if (nCount == -1) nCount = static_cast<int>(std::strlen(pszIn));
    for (int i = 0; i < nCount; ++i) {
        const int k = FindCharIndex(CIPHER_PLAIN_ALPHABET, pszIn[i]);
        pOut[i] = k >= 0 ? CIPHER_SUBST_ALPHABET[k] : pszIn[i];
    }
    pOut[nCount] = 0;
}

bool CVaultCipher::EncodeCredential(const std::string& strText, std::string* pBytes) {
    std::string strGb;
    if (strText.find('\0') != std::string::npos || !Utf8ToGb18030(strText, &strGb) ||
        strGb.size() > CIPHER_TEXT_MAX_BYTES) {
        return false;
    }
    *pBytes = std::move(strGb);
    return true;
}

CVaultCipher::CVaultCipher(const std::string& strUser, const std::string& strPassword) {
    std::string strUserBytes;
    std::string strPasswordBytes;
    if (EncodeCredential(strUser, &strUserBytes) &&
        EncodeCredential(strPassword, &strPasswordBytes)) {
        std::memcpy(m_szUser, strUserBytes.data(), strUserBytes.size());
        std::memcpy(m_szPassword, strPasswordBytes.data(), strPasswordBytes.size());
        m_bValid = true;
    }
    // explicit_bzero, unlike memset, is not left out for memory freed next.
    explicit_bzero(strUserBytes.data(), strUserBytes.size());
    explicit_bzero(strPasswordBytes.data(), strPasswordBytes.size());
}

CVaultCipher::~CVaultCipher() {
    Wipe();
}

void CVaultCipher::Wipe() {
    explicit_bzero(m_szUser, sizeof m_szUser);
    explicit_bzero(m_szPassword, sizeof m_szPassword);
    m_bValid = false;
}

void CVaultCipher::MakeKey(char* pOut) const {
    const char* pUser = m_szUser;
    const char* pPassword = m_szPassword;
    const std::size_t n = std::max(std::strlen(m_szUser), std::strlen(m_szPassword));
    unsigned char nFiller = CIPHER_FIRST_FILLER;
    std::size_t nOut = 0;
    for (std::size_t i = 0; i < n; ++i) {
        pOut[nOut++] = *pUser ? *pUser++ : static_cast<char>(nFiller++);
        pOut[nOut++] = *pPassword ? *pPassword++ : static_cast<char>(nFiller++);
    }
    pOut[nOut] = 0;
}

void CVaultCipher::BuildFileKey(char* pOut) const {
    char szRaw[CIPHER_KEY_BUFFER_SIZE] = {};
    MakeKey(szRaw);
    char szSubst[CIPHER_KEY_BUFFER_SIZE] = {};
    SubstituteChars(szSubst, szRaw, static_cast<int>(std::strlen(szRaw)));
    std::memcpy(pOut, szSubst, CIPHER_KEY_BUFFER_SIZE);
    // Both hold the credentials, merely interleaved and substituted.
    explicit_bzero(szRaw, sizeof szRaw);
    explicit_bzero(szSubst, sizeof szSubst);
}

void CVaultCipher::ExpandKey(const char* pszKey, unsigned char* pStream) {
    const std::size_t nLen = std::strlen(pszKey);
    for (std::size_t i = 0; i < SFF_BLOCK_SIZE; ++i) {
        pStream[i] = nLen == 0 ? 0 : static_cast<unsigned char>(pszKey[i % nLen]);
    }
}

void CVaultCipher::ScrambleWithStream(const unsigned char* pStream, const unsigned char* pIn,
                                      unsigned char* pOut) {
    BestBlockShuffle().pfnScramble(pStream, pIn, pOut);
}

void CVaultCipher::UnscrambleWithStream(const unsigned char* pStream, const unsigned char* pIn,
                                        unsigned char* pOut) {
    BestBlockShuffle().pfnUnscramble(pStream, pIn, pOut);
}

void CVaultCipher::ScrambleBlock(const char* pszKey, const unsigned char* pIn,
                                 unsigned char* pOut) {
    unsigned char stream[SFF_BLOCK_SIZE];
    ExpandKey(pszKey, stream);
    ScrambleWithStream(stream, pIn, pOut);
}

void CVaultCipher::UnscrambleBlock(const char* pszKey, const unsigned char* pIn,
                                   unsigned char* pOut) {
    unsigned char stream[SFF_BLOCK_SIZE];
    ExpandKey(pszKey, stream);
    UnscrambleWithStream(stream, pIn, pOut);
}

std::uint32_t CVaultCipher::Checksum() const {
    return CredentialChecksum(m_szUser, m_szPassword);
}

}  // namespace quovex
