#include "ConflictNames.h"

#include <cctype>
#include <cstddef>

namespace quovex {
namespace {

constexpr char SYNCTHING_INFIX[] = ".sync-conflict-";
constexpr std::size_t SYNCTHING_DEVICE_SIZE = 7;

// Whether n characters of s from i are digits.
bool DigitsAt(const std::string& s, std::size_t i, std::size_t n) {
    if (i + n > s.size()) return false;
    for (std::size_t k = i; k < i + n; ++k)
        if (!std::isdigit(static_cast<unsigned char>(s[k]))) return false;
    return true;
}

// Whether what follows a conflict mark is an extension: nothing, or a dot
// and the rest of the name.
bool IsExtension(const std::string& s, std::size_t i) {
    return i == s.size() || s[i] == '.';
}

// X.sync-conflict-YYYYMMDD-HHMMSS-DEVICE E
bool ReadSyncthing(const std::string& strName, ConflictCopyName* pCopy) {
    for (std::size_t at = strName.find(SYNCTHING_INFIX); at != std::string::npos;
         at = strName.find(SYNCTHING_INFIX, at + 1)) {
        const std::size_t i = at + sizeof(SYNCTHING_INFIX) - 1;
        if (!DigitsAt(strName, i, 8) || i + 8 >= strName.size() || strName[i + 8] != '-' ||
            !DigitsAt(strName, i + 9, 6) || i + 15 >= strName.size() || strName[i + 15] != '-')
            continue;
        const std::size_t d = i + 16;
        std::size_t e = d;
        while (e < strName.size() && (std::isupper(static_cast<unsigned char>(strName[e])) ||
                                      std::isdigit(static_cast<unsigned char>(strName[e]))))
            ++e;
        if (e - d != SYNCTHING_DEVICE_SIZE || !IsExtension(strName, e)) continue;
        pCopy->strOriginal = strName.substr(0, at) + strName.substr(e);
        pCopy->strDevice = strName.substr(d, e - d);
        pCopy->strWhen = strName.substr(i, 15);
        return !pCopy->strOriginal.empty();
    }
    return false;
}

// The date "YYYY-MM-DD" at i.
bool DateAt(const std::string& s, std::size_t i) {
    return DigitsAt(s, i, 4) && i + 4 < s.size() && s[i + 4] == '-' && DigitsAt(s, i + 5, 2) &&
           i + 7 < s.size() && s[i + 7] == '-' && DigitsAt(s, i + 8, 2);
}

// X (conflicted copy [USER ]YYYY-MM-DD HHMMSS)E, and Dropbox's
// X (DEVICE's conflicted copy YYYY-MM-DD[ n])E: a bracket opened by " (",
// holding "conflicted copy" and a date, closed before an extension.
bool ReadBracketed(const std::string& strName, ConflictCopyName* pCopy) {
    constexpr char MARK[] = "conflicted copy ";
    for (std::size_t at = strName.find(" ("); at != std::string::npos;
         at = strName.find(" (", at + 1)) {
        const std::size_t close = strName.find(')', at);
        if (close == std::string::npos || !IsExtension(strName, close + 1)) continue;
        const std::string strInside = strName.substr(at + 2, close - at - 2);
        const std::size_t m = strInside.find(MARK);
        if (m == std::string::npos) continue;
        const std::string strAfter = strInside.substr(m + sizeof(MARK) - 1);
        std::size_t date = std::string::npos;
        for (std::size_t k = 0; k < strAfter.size(); ++k)
            if (DateAt(strAfter, k)) {
                date = k;
                break;
            }
        if (date == std::string::npos) continue;
        const std::string strDevice = m >= 3 && strInside.compare(m - 3, 3, "'s ") == 0
                                          ? strInside.substr(0, m - 3)
                                          : (date > 0 ? strAfter.substr(0, date - 1) : "");
        pCopy->strOriginal = strName.substr(0, at) + strName.substr(close + 1);
        pCopy->strDevice = strDevice;
        const bool bTime = strAfter.size() >= date + 17 && strAfter[date + 10] == ' ' &&
                           DigitsAt(strAfter, date + 11, 6);
        pCopy->strWhen = strAfter.substr(date, bTime ? 17 : 10);
        return !pCopy->strOriginal.empty();
    }
    return false;
}

}  // namespace

bool ReadConflictCopyName(const std::string& strName, ConflictCopyName* pCopy) {
    ConflictCopyName copy;
    if (!ReadSyncthing(strName, &copy) && !ReadBracketed(strName, &copy)) return false;
    *pCopy = std::move(copy);
    return true;
}

}  // namespace quovex
