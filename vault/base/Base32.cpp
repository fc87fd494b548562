#include "Base32.h"

#include <cstdint>

namespace quovex {

namespace {

constexpr char BASE32_ALPHABET[] = "abcdefghijklmnopqrstuvwxyz234567";

constexpr unsigned BASE32_BAD = 0x100;

// The value of every byte as a character of the text, BASE32_BAD for one
// outside the alphabet.
struct Base32Table {
    unsigned value[256];
    Base32Table() {
        for (unsigned& nValue : value) nValue = BASE32_BAD;
        for (unsigned n = 0; n < 32; ++n) value[static_cast<unsigned char>(BASE32_ALPHABET[n])] = n;
    }
};

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

bool DecodeBase32(std::string_view text, std::vector<unsigned char>* pOut) {
    pOut->clear();
    const std::size_t nBytes = text.size() * 5 / 8;
    // Lengths 1, 3 and 6 (mod 8) are never given: they hold a character
    // whose bits are all unused.
    if (Base32Length(nBytes) != text.size()) return false;
    // Every name a folder lists is decoded: eight characters (five bytes)
    // at a time through a table, written in place.
    static const Base32Table TABLE;
    pOut->resize(nBytes);
    unsigned char* pByte = pOut->data();
    unsigned nBad = 0;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t nGroup = 0;
        for (std::size_t k = 0; k < 8; ++k) {
            const unsigned nValue = TABLE.value[static_cast<unsigned char>(text[i + k])];
            nBad |= nValue;
            nGroup = nGroup << 5 | (nValue & 31);
        }
        for (int nShift = 32; nShift >= 0; nShift -= 8)
            *pByte++ = static_cast<unsigned char>(nGroup >> nShift);
    }
    // The last characters, fewer than eight: their unused bits must be zero,
    // so that every byte string has one text.
    std::uint32_t nBits = 0;
    unsigned nHeld = 0;
    for (; i < text.size(); ++i) {
        const unsigned nValue = TABLE.value[static_cast<unsigned char>(text[i])];
        nBad |= nValue;
        nBits = (nBits << 5 | (nValue & 31)) & 0xFFF;
        nHeld += 5;
        if (nHeld >= 8) {
            nHeld -= 8;
            *pByte++ = static_cast<unsigned char>(nBits >> nHeld);
        }
    }
    if ((nBad & BASE32_BAD) != 0 || (nBits & ((1u << nHeld) - 1)) != 0) {
        pOut->clear();
        return false;
    }
    return true;
}

}  // namespace quovex
