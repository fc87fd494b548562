#include "Base32.h"

#include <cstdint>

namespace quovex {

namespace {

constexpr char BASE32_ALPHABET[] = "abcdefghijklmnopqrstuvwxyz234567";

// The value of one character, -1 for any other character.
int Base32Value(char c) {
    if (c >= 'a' && c <= 'z') return c - 'a';
    if (c >= '2' && c <= '7') return c - '2' + 26;
    return -1;
}

}  // namespace

std::string EncodeBase32(const unsigned char* p, std::size_t n) {
    std::string strOut;
    strOut.reserve(Base32Length(n));
    std::uint32_t nBits = 0;
    unsigned nHeld = 0;
    for (std::size_t i = 0; i < n; ++i) {
        nBits = (nBits << 8 | p[i]) & 0xFFF;  // at most 4 + 8 bits are ever held
        nHeld += 8;
        while (nHeld >= 5) {
            nHeld -= 5;
            strOut += BASE32_ALPHABET[(nBits >> nHeld) & 31];
        }
    }
    if (nHeld > 0) strOut += BASE32_ALPHABET[(nBits << (5 - nHeld)) & 31];
    return strOut;
}

bool DecodeBase32(const std::string& strText, std::vector<unsigned char>* pOut) {
    pOut->clear();
    const std::size_t nBytes = strText.size() * 5 / 8;
    // Lengths 1, 3 and 6 (mod 8) are never given: they hold a character
    // whose bits are all unused.
    if (Base32Length(nBytes) != strText.size()) return false;
    pOut->reserve(nBytes);
    std::uint32_t nBits = 0;
    unsigned nHeld = 0;
    for (const char c : strText) {
        const int nValue = Base32Value(c);
        if (nValue < 0) {
            pOut->clear();
            return false;
        }
        nBits = (nBits << 5 | static_cast<std::uint32_t>(nValue)) & 0xFFF;
        nHeld += 5;
        if (nHeld >= 8) {
            nHeld -= 8;
            pOut->push_back(static_cast<unsigned char>(nBits >> nHeld));
        }
    }
    // The bits left over (fewer than five) fill the last character only.
    if ((nBits & ((1u << nHeld) - 1)) != 0) {
        pOut->clear();
        return false;
    }
    return true;
}

}  // namespace quovex
