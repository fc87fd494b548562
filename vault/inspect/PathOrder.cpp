#include "PathOrder.h"

#include <algorithm>
#include <compare>
#include <cstddef>
#include <utility>

#include "TextCodec.h"

namespace quovex {

namespace {

// Appends the units of GB18030 bytes: ASCII folded, two- and four-byte
// characters each as one number. A lead byte without its trail bytes (never
// produced by the encoder) counts as a single byte.
void AppendGbUnits(const std::string& strGb, std::vector<PathUnit>* pUnits) {
    const auto Byte = [&strGb](std::size_t i) { return static_cast<unsigned char>(strGb[i]); };
    std::size_t i = 0;
    while (i < strGb.size()) {
        const unsigned char b = Byte(i);
        if (b >= 0x81 && b <= 0xFE && i + 1 < strGb.size()) {
            const unsigned char b2 = Byte(i + 1);
            if (b2 >= 0x30 && b2 <= 0x39 && i + 3 < strGb.size()) {
                pUnits->push_back(PathUnit{b} << 24 | PathUnit{b2} << 16 |
                                  PathUnit{Byte(i + 2)} << 8 | Byte(i + 3));
                i += 4;
            } else {
                pUnits->push_back(PathUnit{b} << 8 | b2);
                i += 2;
            }
            continue;
        }
        pUnits->push_back(b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b);
        ++i;
    }
}

// Length of the UTF-8 sequence that begins at strText[i] judged by its lead
// and continuation bytes, or 0 when no sequence begins there.
std::size_t SequenceLength(const std::string& strText, std::size_t i) {
    const unsigned char b = static_cast<unsigned char>(strText[i]);
    const std::size_t n = b < 0x80                 ? 1
                          : b >= 0xC2 && b <= 0xDF ? 2
                          : b >= 0xE0 && b <= 0xEF ? 3
                          : b >= 0xF0 && b <= 0xF4 ? 4
                                                   : 0;
    if (n == 0 || i + n > strText.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((static_cast<unsigned char>(strText[i + k]) & 0xC0) != 0x80) return 0;
    }
    return n;
}

// The slow road for a name that does not convert as a whole: character by
// character, each byte that no convertible character covers as its own unit.
void AppendUnitsPiecewise(const std::string& strUtf8, std::vector<PathUnit>* pUnits) {
    std::size_t i = 0;
    while (i < strUtf8.size()) {
        const std::size_t n = SequenceLength(strUtf8, i);
        std::string strGb;
        if (n != 0 && Utf8ToGb18030(strUtf8.substr(i, n), &strGb)) {
            AppendGbUnits(strGb, pUnits);
            i += n;
        } else {
            pUnits->push_back(PATH_UNIT_UNREADABLE | static_cast<unsigned char>(strUtf8[i]));
            ++i;
        }
    }
}

}  // namespace

std::vector<PathUnit> PathSortKey(const std::string& strUtf8) {
    std::vector<PathUnit> vUnits;
    vUnits.reserve(strUtf8.size());
    // ASCII is its own GB18030: most names need no conversion, which costs
    // far more than the folding (a whole iconv set-up per name).
    if (std::all_of(strUtf8.begin(), strUtf8.end(), [](char c) { return (c & 0x80) == 0; })) {
        AppendGbUnits(strUtf8, &vUnits);
        return vUnits;
    }
    std::string strGb;
    if (Utf8ToGb18030(strUtf8, &strGb)) {
        AppendGbUnits(strGb, &vUnits);
    } else {
        AppendUnitsPiecewise(strUtf8, &vUnits);
    }
    return vUnits;
}

int ComparePathNames(const std::string& strA, const std::string& strB) {
    const std::vector<PathUnit> vA = PathSortKey(strA);
    const std::vector<PathUnit> vB = PathSortKey(strB);
    const auto order =
        std::lexicographical_compare_three_way(vA.begin(), vA.end(), vB.begin(), vB.end());
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

void SortedPathList(std::vector<std::string>* pList) {
    if (pList->size() < 2) return;
    std::vector<std::pair<std::vector<PathUnit>, std::size_t>> vKeyed;
    vKeyed.reserve(pList->size());
    for (std::size_t i = 0; i < pList->size(); ++i)
        vKeyed.emplace_back(PathSortKey((*pList)[i]), i);
    std::stable_sort(vKeyed.begin(), vKeyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> vSorted;
    vSorted.reserve(pList->size());
    for (auto& keyed : vKeyed) vSorted.push_back(std::move((*pList)[keyed.second]));
    pList->swap(vSorted);
}

void SortFolderEntries(std::vector<CFolderEntry>* pEntries) {
    std::vector<std::string> vFolders;
    std::vector<std::string> vFiles;
    for (auto& entry : *pEntries) (entry.m_bFolder ? vFolders : vFiles).push_back(entry.m_strName);
    SortedPathList(&vFolders);
    SortedPathList(&vFiles);
    pEntries->clear();
    for (auto& strName : vFolders) pEntries->push_back({std::move(strName), true});
    for (auto& strName : vFiles) pEntries->push_back({std::move(strName), false});
}

}  // namespace quovex
