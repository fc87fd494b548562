#include "TextCodec.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <vector>

namespace quovex {

namespace {

// One whole conversion through iconv; false on any invalid or incomplete input.
bool Convert(const char* pszTo, const char* pszFrom, const std::string& strIn, std::string* pOut) {
    iconv_t cd = iconv_open(pszTo, pszFrom);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::vector<char> vOut(strIn.size() * 4 + 16);
    char* pIn = const_cast<char*>(strIn.data());
    size_t nInLeft = strIn.size();
    char* pDst = vOut.data();
    size_t nOutLeft = vOut.size();
    const size_t nResult = iconv(cd, &pIn, &nInLeft, &pDst, &nOutLeft);
    const bool bFlushed = iconv(cd, nullptr, nullptr, &pDst, &nOutLeft) != static_cast<size_t>(-1);
    iconv_close(cd);
    if (nResult == static_cast<size_t>(-1) || nInLeft != 0 || !bFlushed) return false;
    pOut->assign(vOut.data(), pDst);
    return true;
}

}  // namespace

std::size_t Utf8SequenceLength(const unsigned char* p, std::size_t n) {
    const unsigned c = p[0];
    if (c < 0x80) return 1;
    std::size_t nLength = 0;
    unsigned nLow = 0x80, nHigh = 0xBF;  // of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        nLength = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        nLength = 3;
        if (c == 0xE0) nLow = 0xA0;
        if (c == 0xED) nHigh = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        nLength = 4;
        if (c == 0xF0) nLow = 0x90;
        if (c == 0xF4) nHigh = 0x8F;
    } else {
        return 0;
    }
    if (n < nLength || p[1] < nLow || p[1] > nHigh) return 0;
    for (std::size_t i = 2; i < nLength; ++i)
        if ((p[i] & 0xC0) != 0x80) return 0;
    return nLength;
}

bool IsValidUtf8(const std::string& strText) {
    const auto* p = reinterpret_cast<const unsigned char*>(strText.data());
    for (std::size_t i = 0, n = strText.size(); i < n;) {
        const std::size_t nLength = Utf8SequenceLength(p + i, n - i);
        if (nLength == 0) return false;
        i += nLength;
    }
    return true;
}

bool Utf8ToGb18030(const std::string& strUtf8, std::string* pOut) {
    return Convert("GB18030", "UTF-8", strUtf8, pOut);
}

bool Gb18030ToUtf8(const std::string& strGb, std::string* pOut) {
    return Convert("UTF-8", "GB18030", strGb, pOut);
}

long Gb18030Length(const std::string& strUtf8) {
    std::string strGb;
    if (!Utf8ToGb18030(strUtf8, &strGb)) return -1;
    return static_cast<long>(strGb.size());
}

}  // namespace quovex
