// The reading behind the find field: everything below a box folder that the
// contents tree could show, read once, and the part of it whose names hold
// a text, with the folders that lead there, in the tree's order. Plain data
// and the file system only, so it runs on any thread.
#pragma once

#include <QString>
#include <functional>
#include <string>
#include <vector>

namespace quovex {

class CPlainNames;

// One entry below a box folder as read from disk.
struct CListedEntry {
    std::string m_strName;  // the name's bytes on disk ("" for the root)
    // Where the vault hides its names: the plain name (UTF-8) shown and
    // searched instead, "" when it is the on-disk name; m_bUnreadable when
    // no plain name is known (such an entry is never found by its name).
    std::string m_strShown;
    bool m_bUnreadable = false;
    bool m_bFolder = false;
    bool m_bHasChildren = false;            // a folder with something the tree would list
    std::vector<CListedEntry> m_vChildren;  // a folder's entries, in no order
};

// One item of a find's result: the root, a folder on the way to a name
// found, or a name found (a folder that holds the text may be both).
struct CFoundItem {
    QString m_strName;           // the root's full path; every other item's own name
    std::string m_strDisk;       // its name on disk where that is not m_strName ("" otherwise)
    bool m_bUnreadable = false;  // m_strName says its plain name is not known
    bool m_bFolder = false;
    bool m_bMatch = false;        // its own name holds the text
    bool m_bHasChildren = false;  // as in CListedEntry
    // Only what holds the text or leads to it: folders first, then files,
    // each group in SortFolderEntries' order.
    std::vector<CFoundItem> m_vChildren;
};

// What an item reads whose plain name is not known (a sealed name that
// does not open where it lies).
QString UnreadableNameText();

// Whether strName holds strText, ASCII letters compared without regard to
// case and every other character as it is. An empty text is in every name.
bool NameHoldsText(const QString& strName, const QString& strText);

// Reads every folder below strRoot into *pRoot as the contents tree would
// show it: symbolic links are never followed nor listed, names that begin
// with a dot are left out (with what lies below them), and so are folders
// whose names do not decode to text; files only when bFiles is set. Each
// folder is opened through the one that holds it, so a folder swapped for a
// link meanwhile is not entered. A folder that cannot be read lists nothing,
// and so does a root that cannot be opened. fnStop is asked before each
// entry; when it says true the reading ends and the result is false, with
// *pRoot incomplete. Any thread.
bool ListBelow(const QString& strRoot, bool bFiles, const std::function<bool()>& fnStop,
               CListedEntry* pRoot);

// The same for a box folder of a vault whose names are hidden, read with
// its plain names (CPlainNames::List: dot-names, links and entries of
// none of the vault's names are left out). strRootPlain: the box folder's
// plain path in the vault (its own name). Any thread.
bool ListPlainBelow(const CPlainNames& names, const QString& strRoot,
                    const std::string& strRootPlain, bool bFiles,
                    const std::function<bool()>& fnStop, CListedEntry* pRoot);

// The entries of listed (read below strRoot) whose names hold strText
// (NameHoldsText), with the folders that lead to them; names that do not
// decode to text are passed over. The result's root reads strRoot. Any
// thread.
CFoundItem FindInListing(const CListedEntry& listed, const QString& strRoot,
                         const QString& strText);

}  // namespace quovex
