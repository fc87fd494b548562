// The contents tree's order of names: the comparison on named cases, and the
// stable sort checked against the plain repeated-pass sort it replaces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "PathOrder.h"
#include "TextCodec.h"

using namespace quovex;

namespace {

// The comparison walked directly over the GB18030 bytes: ASCII folded to lower
// case, a two-byte character as its code, a four-byte one (second byte a
// digit) as its four bytes, the shorter name first when one is a prefix.
int ReferenceCompare(const std::string& strA8, const std::string& strB8) {
    std::string strA, strB;
    if (!Utf8ToGb18030(strA8, &strA) || !Utf8ToGb18030(strB8, &strB)) ADD_FAILURE();
    const auto Next = [](const std::string& s, std::size_t& i) -> unsigned long {
        const auto At = [&s](std::size_t k) { return static_cast<unsigned char>(s[k]); };
        if (At(i) < 0x80) return static_cast<unsigned long>(std::tolower(At(i++)));
        unsigned long n = At(i) << 8 | At(i + 1);
        if (At(i + 1) >= '0' && At(i + 1) <= '9') {
            n = n << 16 | At(i + 2) << 8 | At(i + 3);
            i += 2;
        }
        i += 2;
        return n;
    };
    std::size_t i = 0, j = 0;
    while (i < strA.size() && j < strB.size()) {
        const unsigned long a = Next(strA, i), b = Next(strB, j);
        if (a != b) return a < b ? -1 : 1;
    }
    return (i < strA.size()) - (j < strB.size());
}

// Passes over neighbours, swapping those that compare greater, until one
// pass swaps nothing.
template <class Compare>
void RepeatedPassSort(std::vector<std::string>* pList, Compare Cmp) {
    for (bool bSwapped = pList->size() >= 2; bSwapped;) {
        bSwapped = false;
        for (std::size_t i = 0; i + 1 < pList->size(); ++i) {
            if (Cmp((*pList)[i], (*pList)[i + 1]) > 0) {
                std::swap((*pList)[i], (*pList)[i + 1]);
                bSwapped = true;
            }
        }
    }
}

std::vector<std::string> Sorted(std::vector<std::string> vNames) {
    SortedPathList(&vNames);
    return vNames;
}

// Names of up to nMaxPieces pieces: cases, prefixes, punctuation, two- and
// four-byte characters (丄 and 乤 differ only in a trail byte that is 'A' or
// 'a'), and when bUnreadable also bytes that are not UTF-8.
std::vector<std::string> RandomNames(std::mt19937& rng, std::size_t nCount, bool bUnreadable,
                                     unsigned nMaxPieces = 5) {
    static const std::vector<std::string> vPieces = {
        "a", "A", "b", "B", "_", ".", ".$", "1", "中", "文", "丄", "乤", "Ä", "😀", "\xff", "\xc3"};
    const std::size_t nPieces = vPieces.size() - (bUnreadable ? 0 : 2);
    std::vector<std::string> vNames(nCount);
    for (auto& strName : vNames) {
        for (unsigned n = rng() % (nMaxPieces + 1); n > 0; --n) strName += vPieces[rng() % nPieces];
    }
    return vNames;
}

}  // namespace

TEST(PathOrderTest, ComparesNamesAsTheTreeOrdersThem) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Sorted({"cherry.$", "Banana.$", "apple.$"}), (V{"apple.$", "Banana.$", "cherry.$"}));
    // '_' (0x5F) lies below 'b' (0x62), but above 'B' (0x42): folding is to lower case.
    EXPECT_EQ(Sorted({"ab.$", "a_b.$"}), (V{"a_b.$", "ab.$"}));
    EXPECT_EQ(Sorted({"中.$", "~~~.$", "Zebra.$", "文件.$", "_x.$"}),
              (V{"_x.$", "Zebra.$", "~~~.$", "文件.$", "中.$"}));
    // Equal but for case: kept in the order given, either way round.
    EXPECT_EQ(Sorted({"ReadMe.$", "s", "README.$", "readme.$"}),
              (V{"ReadMe.$", "README.$", "readme.$", "s"}));
    EXPECT_EQ(Sorted({"readme.$", "ReadMe.$"}), (V{"readme.$", "ReadMe.$"}));
    EXPECT_EQ(Sorted({"abc", "ab.$", "ab", ""}), (V{"", "ab", "ab.$", "abc"}));
    // One unit per character, two-byte after ASCII, four-byte after two-byte.
    EXPECT_EQ(PathSortKey("Az中Ä😀"),
              (std::vector<PathUnit>{'a', 'z', 0xD6D0, 0x81308732, 0x9439FC36}));
    EXPECT_LT(ComparePathNames("\xee\x93\x85", "Ä"), 0);  // U+E4C5 is FEFE, the last two-byte code
    EXPECT_LT(ComparePathNames("丄", "乤"), 0);           // trail bytes 'A' and 'a' are not folded
    // A byte that is not UTF-8 sorts after every character, and the readable
    // characters before it still count.
    EXPECT_EQ(Sorted({"b\xff.$", "c.$", "b😀.$", "b.$", "a\xc3.$"}),
              (V{"a\xc3.$", "b.$", "b😀.$", "b\xff.$", "c.$"}));
    EXPECT_EQ(PathSortKey("\xc3("), (std::vector<PathUnit>{PATH_UNIT_UNREADABLE | 0xC3, '('}));

    std::vector<CFolderEntry> vEntries = {
        {"b.$", false}, {"z", true}, {"A.$", false}, {"中", true}, {"A", true}};
    SortFolderEntries(&vEntries);
    std::vector<std::pair<std::string, bool>> vGot;
    for (const auto& entry : vEntries) vGot.emplace_back(entry.m_strName, entry.m_bFolder);
    EXPECT_EQ(vGot, (std::vector<std::pair<std::string, bool>>{
                        {"A", true}, {"z", true}, {"中", true}, {"A.$", false}, {"b.$", false}}));
}

TEST(PathOrderTest, StableSortGivesTheRepeatedPassOrder) {
    std::mt19937 rng(20260807);
    for (int nRound = 0; nRound < 400; ++nRound) {
        const bool bUnreadable = nRound % 2 == 1;
        std::vector<std::string> vExpected = RandomNames(rng, rng() % 40, bUnreadable);
        std::vector<std::string> vSorted = vExpected;
        SortedPathList(&vSorted);
        if (bUnreadable) {
            RepeatedPassSort(&vExpected, ComparePathNames);
        } else {
            RepeatedPassSort(&vExpected, ReferenceCompare);
        }
        ASSERT_EQ(vSorted, vExpected) << "round " << nRound;
    }
}
