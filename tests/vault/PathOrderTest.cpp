// The contents tree's order of names: the comparison on named cases, one
// per rule, and the stable sort checked against the plain repeated-pass
// sort it replaces on random names. (Folders before files: the stored-file
// scan's test and the tree's.)
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "PathOrder.h"

using namespace quovex;

namespace {

// Passes over neighbours, swapping those that compare greater, until one
// pass swaps nothing.
void RepeatedPassSort(std::vector<std::string>* pList) {
    for (bool bSwapped = pList->size() >= 2; bSwapped;) {
        bSwapped = false;
        for (std::size_t i = 0; i + 1 < pList->size(); ++i) {
            if (ComparePathNames((*pList)[i], (*pList)[i + 1]) > 0) {
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

}  // namespace

TEST(PathOrderTest, ComparesNamesAsTheTreeOrdersThem) {
    using V = std::vector<std::string>;
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
}

// On names of up to five pieces: cases, prefixes, punctuation, two- and
// four-byte characters (丄 and 乤 differ only in a trail byte that is 'A' or
// 'a') and bytes that are not UTF-8.
TEST(PathOrderTest, StableSortGivesTheRepeatedPassOrder) {
    const std::string pieces[] = {"a",  "A",  "b",  "B",  "_", ".", ".$",   "1",
                                  "中", "文", "丄", "乤", "Ä", "😀", "\xff", "\xc3"};
    std::mt19937 rng(20260807);
    for (int nRound = 0; nRound < 400; ++nRound) {
        std::vector<std::string> vExpected(rng() % 40);
        for (auto& strName : vExpected)
            for (unsigned n = rng() % 6; n > 0; --n) strName += pieces[rng() % std::size(pieces)];
        std::vector<std::string> vSorted = vExpected;
        SortedPathList(&vSorted);
        RepeatedPassSort(&vExpected);
        ASSERT_EQ(vSorted, vExpected) << "round " << nRound;
    }
}
