#include "TextCodec.h"

#include <iconv.h>

#include <cerrno>
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
