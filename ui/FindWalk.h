// The walk behind the find field: every name below a box folder that holds
// a text, with the folders that lead to it, in the contents tree's order.
// Plain data and the file system only, so it runs on any thread.
#pragma once

#include <QString>
#include <functional>
#include <vector>

namespace quovex {

// One item of a find's result: the root, a folder on the way to a name
// found, or a name found (a folder that holds the text may be both).
struct CFoundItem {
    QString m_strName;  // the root's full path; every other item's own name
    bool m_bFolder = false;
    bool m_bMatch = false;        // its own name holds the text
    bool m_bHasChildren = false;  // a folder with something the tree would list
    // Only what holds the text or leads to it: folders first, then files,
    // each group in SortFolderEntries' order.
    std::vector<CFoundItem> m_vChildren;
};

// Whether strName holds strText, ASCII letters compared without regard to
// case and every other character as it is. An empty text is in every name.
bool NameHoldsText(const QString& strName, const QString& strText);

// Walks every folder below strRoot for the names that hold strText, as the
// contents tree would show them: symbolic links are never followed nor
// reported, names that begin with a dot are passed over (with what lies
// below them), and so are names that do not decode to text; files only when
// bFiles is set. Each folder is opened through the one that holds it, so a
// folder swapped for a link meanwhile is not entered. A folder that cannot
// be read adds nothing. fnStop is asked before each entry; when it says
// true the walk ends and returns false, with *pRoot incomplete. Otherwise
// *pRoot is the root (m_strName = strRoot, m_bFolder set) with whatever was
// found below it, and the result is true (also when strRoot cannot be
// opened: nothing is found there).
bool FindBelow(const QString& strRoot, const QString& strText, bool bFiles,
               const std::function<bool()>& fnStop, CFoundItem* pRoot);

}  // namespace quovex
