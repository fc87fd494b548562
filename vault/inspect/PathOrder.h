// The order in which the contents tree lists the entries of one folder:
// sub-folders first, then files, each group sorted by name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quovex {

// One character of a name as it takes part in the ordering. Units compare as
// plain numbers:
// - a single-byte character of GB18030 (ASCII) is its byte, letters folded to
//   lower case;
// - a two-byte character is its code, lead byte first (0x8140 to 0xFEFE), so
//   it sorts after every single-byte one;
// - a four-byte character is its four bytes read as one big-endian number
//   (from 0x81308130), after every two-byte one;
// - a byte of a name that cannot be encoded in GB18030 (not valid UTF-8) is
//   PATH_UNIT_UNREADABLE plus its value: after every character, by its value,
//   while the readable characters around it keep their own units.
using PathUnit = std::uint32_t;
constexpr PathUnit PATH_UNIT_UNREADABLE = 0xFF000000u;

// The units of a UTF-8 name, one per character (per unreadable byte).
std::vector<PathUnit> PathSortKey(const std::string& strUtf8);

// Negative, zero or positive as strA sorts before, with or after strB: the
// units compared in turn, the first difference deciding; a name that is a
// prefix of the other sorts first. Zero for names that differ only in the
// case of their ASCII letters.
int ComparePathNames(const std::string& strA, const std::string& strB);

// Sorts a list of names (or of paths that all begin with the same folder) in
// place by ComparePathNames, keeping names that compare equal in their
// original order. This is the order of repeated passes that swap neighbours
// comparing greater, reached in O(n log n) with each name's key built once.
void SortedPathList(std::vector<std::string>* pList);

// An entry of a folder listing; whether it counts as a folder is the caller's
// decision (the tree counts directories that are not symbolic links).
struct CFolderEntry {
    std::string m_strName;
    bool m_bFolder = false;
};

// Sorts a folder's entries in place into the tree's order: every folder
// before every file, and within each group SortedPathList's order.
void SortFolderEntries(std::vector<CFolderEntry>* pEntries);

}  // namespace quovex
