#include "StoredItemText.h"

#include <cstring>
#include <ctime>

#include "StoredFileInfo.h"
#include "StoredFileScan.h"
#include "TextCodec.h"

namespace quovex {

namespace {

constexpr char REPLACEMENT_CHARACTER[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// The length of the GB18030 character that begins at p by its byte
// pattern alone (n bytes left): 1, 2 or 4, or 0 when none can begin there.
std::size_t Gb18030CharLength(const unsigned char* p, std::size_t n) {
    if (p[0] < 0x80) return 1;
    if (p[0] == 0x80 || p[0] == 0xFF || n < 2) return 0;
    if (p[1] >= 0x30 && p[1] <= 0x39) return n >= 4 ? 4 : 0;
    return 2;
}

}  // namespace

std::string DecodeHeaderText(const char* pszField) {
    const std::string strBytes = pszField;
    std::string strUtf8;
    if (Gb18030ToUtf8(strBytes, &strUtf8)) return strUtf8;
    // Character by character, so that one bad byte costs one character.
    strUtf8.clear();
    const auto* p = reinterpret_cast<const unsigned char*>(strBytes.data());
    for (std::size_t i = 0; i < strBytes.size();) {
        const std::size_t nLength = Gb18030CharLength(p + i, strBytes.size() - i);
        std::string strChar;
        if (nLength > 0 && Gb18030ToUtf8(strBytes.substr(i, nLength), &strChar)) {
            strUtf8 += strChar;
            i += nLength;
        } else {
            strUtf8 += REPLACEMENT_CHARACTER;
            ++i;
        }
    }
    return strUtf8;
}

std::string FormatStorageDate(const std::string& strPath, CVaultEnv* pEnv) {
    std::int64_t nSeconds = 0;
    if (!ReadFileCreationTime(strPath, &nSeconds, pEnv)) return std::string();
    return FormatLocalMinute(nSeconds);
}

ShownFields ShownFieldsOf(const StoredFileScan& scan, CVaultEnv* pEnv) {
    ShownFields fields;
    if (HasUsableHeader(scan)) {
        fields.bKnown = true;
        fields.strSource = DecodeHeaderText(scan.header.szSourcePath);
        fields.nPlainSize = scan.header.nPlainSize;
        fields.strSummary = DecodeHeaderText(scan.header.szSummary);
    } else if (HasOpenedMetadata(scan)) {
        fields.bKnown = true;
        fields.strSource = scan.metadata.strSourcePath;
        fields.nPlainSize = scan.metadata.nPlainSize;
        fields.strSummary = scan.metadata.strSummary;
        fields.strDate = FormatLocalMinute(scan.metadata.nStoredTime);
        return fields;
    }
    // Even its creation time is kept from a list of protected files
    // without the key: names and lengths only.
    if (!scan.bProtected) fields.strDate = FormatStorageDate(scan.strPath, pEnv);
    return fields;
}

std::string FormatLocalMinute(std::int64_t nSeconds) {
    const auto nTime = static_cast<std::time_t>(nSeconds);
    struct tm local;
    if (!localtime_r(&nTime, &local)) return std::string();
    char szText[32];
    std::strftime(szText, sizeof szText, "%Y-%m-%d %H:%M", &local);
    return szText;
}

}  // namespace quovex
