#include "FindWalk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <string_view>
#include <thread>
#include <utility>

#include "FolderWalk.h"
#include "PathOrder.h"
#include "PathText.h"
#include "PlainNames.h"
#include "VaultEnv.h"

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(FindWalk)
};

}  // namespace

namespace {

// Names are compared as the bytes they have on disk, ASCII letters folded:
// in UTF-8 no byte of a longer character is an ASCII one and no character
// begins inside another, so a byte match is a match of whole characters.
char FoldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string FoldedBytes(const QString& strText) {
    std::string strBytes = QFile::encodeName(strText).toStdString();
    std::transform(strBytes.begin(), strBytes.end(), strBytes.begin(), FoldAscii);
    return strBytes;
}

bool BytesHoldText(std::string_view name, std::string_view folded) {
    if (folded.size() > name.size()) return false;
    for (std::size_t i = 0; i + folded.size() <= name.size(); ++i) {
        std::size_t k = 0;
        while (k < folded.size() && FoldAscii(name[i + k]) == folded[k]) ++k;
        if (k == folded.size()) return true;
    }
    return false;
}

// The name as text, or "" when its bytes do not survive the trip to text
// and back (the contents tree passes such names over).
QString DecodedName(const std::string& strBytes) {
    const QByteArray bytes = QByteArray::fromStdString(strBytes);
    const QString strName = QFile::decodeName(bytes);
    return QFile::encodeName(strName) == bytes ? strName : QString();
}

enum class EntryType { ENTRY_SKIP, ENTRY_FOLDER, ENTRY_FILE };

// What an entry of the folder open at fd is; links and entries that vanish
// are skipped. The listing's own type saves a stat where it tells.
EntryType TypeOf(int fd, const dirent* pEntry) {
    unsigned char nType = pEntry->d_type;
    if (nType == DT_UNKNOWN) {
        struct stat st {};
        if (fstatat(fd, pEntry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return EntryType::ENTRY_SKIP;
        nType = S_ISLNK(st.st_mode) ? DT_LNK : S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
    }
    if (nType == DT_LNK) return EntryType::ENTRY_SKIP;
    return nType == DT_DIR ? EntryType::ENTRY_FOLDER : EntryType::ENTRY_FILE;
}

struct CReading {
    bool bFiles = false;
    const std::function<bool()>& fnStop;

    // What HasListableChildren counts: any folder, a file not named with a dot.
    bool Listable(const char* pszName, EntryType type) const {
        if (type == EntryType::ENTRY_FILE && (!bFiles || pszName[0] == '.')) return false;
        return !DecodedName(pszName).isEmpty();
    }

    // Reads the folder open at fd (and takes fd over) into pEntry.
    bool Folder(int fd, CListedEntry* pEntry) const {
        DIR* pDir = fdopendir(fd);
        if (!pDir) {
            close(fd);
            return true;
        }
        bool bGoOn = true;
        while (const dirent* pDirent = readdir(pDir)) {
            if (fnStop()) {
                bGoOn = false;
                break;
            }
            const char* pszName = pDirent->d_name;
            if (!std::strcmp(pszName, ".") || !std::strcmp(pszName, "..")) continue;
            if (IsSyncEngineName(pszName)) continue;
            const EntryType type = TypeOf(dirfd(pDir), pDirent);
            if (type == EntryType::ENTRY_SKIP) continue;
            if (!pEntry->m_bHasChildren) pEntry->m_bHasChildren = Listable(pszName, type);
            if (pszName[0] == '.' || (type == EntryType::ENTRY_FILE && !bFiles)) continue;
            CListedEntry child;
            child.m_strName = pszName;
            child.m_bFolder = type == EntryType::ENTRY_FOLDER;
            if (child.m_bFolder) {
                // Nothing below a folder the tree cannot name can be shown.
                if (DecodedName(child.m_strName).isEmpty()) continue;
                const int fdChild =
                    openat(dirfd(pDir), pszName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                if (fdChild >= 0 && !Folder(fdChild, &child)) {
                    bGoOn = false;
                    break;
                }
            }
            pEntry->m_vChildren.push_back(std::move(child));
        }
        closedir(pDir);
        return bGoOn;
    }
};

// The plain path of the listed folder child of the folder strPlain; ""
// where it is not known.
std::string ChildPlainPath(const std::string& strPlain, const CListedEntry& child) {
    return child.m_bUnreadable || strPlain.empty() ? std::string()
                                                   : PlainChildPath(strPlain, child.m_strShown);
}

// Reads the entries of the folder open as folder (plain path strPlain; ""
// where it is not known) with their plain names into pEntry, without
// descending into its folders.
bool ReadPlainEntries(const CPlainNames& names, CFolder& folder, const std::string& strPlain,
                      bool bFiles, const std::function<bool()>& fnStop, CListedEntry* pEntry) {
    std::vector<PlainEntry> vEntries;
    names.List(folder, strPlain, &vEntries);
    pEntry->m_vChildren.reserve(vEntries.size());
    for (PlainEntry& plain : vEntries) {
        if (fnStop()) return false;
        const bool bFolder = plain.kind == EntryKind::ENTRY_FOLDER;
        pEntry->m_bHasChildren = pEntry->m_bHasChildren || bFolder || bFiles;
        if (!bFolder && !bFiles) continue;
        CListedEntry child;
        child.m_strName = std::move(plain.strDisk);
        // A stored file reads as in a vault whose names are visible: "a.doc.$".
        child.m_strShown = std::move(plain.strPlain);
        if (!bFolder && plain.nState != PlainState::PLAIN_UNREADABLE)
            child.m_strShown += STORED_SUFFIX;
        child.m_bUnreadable = plain.nState == PlainState::PLAIN_UNREADABLE;
        child.m_bFolder = bFolder;
        pEntry->m_vChildren.push_back(std::move(child));
    }
    return true;
}

// ReadPlainEntries, and the same below every folder listed.
bool ReadPlainFolder(const CPlainNames& names, CFolder& folder, const std::string& strPlain,
                     bool bFiles, const std::function<bool()>& fnStop, CListedEntry* pEntry) {
    if (!ReadPlainEntries(names, folder, strPlain, bFiles, fnStop, pEntry)) return false;
    for (CListedEntry& child : pEntry->m_vChildren) {
        if (!child.m_bFolder) continue;
        const FolderPtr pSub = folder.OpenFolder(child.m_strName);
        if (pSub &&
            !ReadPlainFolder(names, *pSub, ChildPlainPath(strPlain, child), bFiles, fnStop, &child))
            return false;
    }
    return true;
}

// Puts a folder's found children into the tree's order: folders first, then
// files, each by its sort key, worked out once per name.
void SortChildren(std::vector<CFoundItem>* pChildren) {
    std::vector<std::pair<std::vector<PathUnit>, std::size_t>> vKeyed;
    vKeyed.reserve(pChildren->size());
    for (std::size_t i = 0; i < pChildren->size(); ++i) {
        const QByteArray name = QFile::encodeName((*pChildren)[i].m_strName);
        vKeyed.emplace_back(PathSortKey(name.toStdString()), i);
    }
    std::stable_sort(vKeyed.begin(), vKeyed.end(), [&](const auto& a, const auto& b) {
        const bool bFolderA = (*pChildren)[a.second].m_bFolder;
        const bool bFolderB = (*pChildren)[b.second].m_bFolder;
        if (bFolderA != bFolderB) return bFolderA;
        return a.first < b.first;
    });
    std::vector<CFoundItem> vSorted;
    vSorted.reserve(pChildren->size());
    for (auto& keyed : vKeyed) vSorted.push_back(std::move((*pChildren)[keyed.second]));
    pChildren->swap(vSorted);
}

// Adds to pFound the children of listed that hold strFolded or lead to one.
void FindChildren(const CListedEntry& listed, const std::string& strFolded, CFoundItem* pFound) {
    for (const CListedEntry& entry : listed.m_vChildren) {
        CFoundItem child;
        child.m_bFolder = entry.m_bFolder;
        child.m_bHasChildren = entry.m_bHasChildren;
        const std::string& strShown = entry.m_strShown.empty() ? entry.m_strName : entry.m_strShown;
        child.m_bMatch = !entry.m_bUnreadable && BytesHoldText(strShown, strFolded);
        if (entry.m_bFolder) FindChildren(entry, strFolded, &child);
        if (!child.m_bMatch && child.m_vChildren.empty()) continue;
        if (!entry.m_strShown.empty() || entry.m_bUnreadable) {
            child.m_strDisk = entry.m_strName;
            child.m_bUnreadable = entry.m_bUnreadable;
            child.m_strName = entry.m_bUnreadable ? UnreadableNameText()
                                                  : QString::fromStdString(entry.m_strShown);
        } else {
            child.m_strName = DecodedName(entry.m_strName);
        }
        if (!child.m_strName.isEmpty()) pFound->m_vChildren.push_back(std::move(child));
    }
    SortChildren(&pFound->m_vChildren);
}

}  // namespace

QString UnreadableNameText() {
    return Words::tr("（无法读出的名字）");
}

bool NameHoldsText(const QString& strName, const QString& strText) {
    return BytesHoldText(FoldedBytes(strName), FoldedBytes(strText));
}

bool ListBelow(const QString& strRoot, bool bFiles, const std::function<bool()>& fnStop,
               CListedEntry* pRoot) {
    *pRoot = CListedEntry();
    pRoot->m_bFolder = true;
    // The root itself may be reached through a link, as in the tree.
    const int fd = open(QFile::encodeName(strRoot).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return true;
    const CReading reading{bFiles, fnStop};
    return reading.Folder(fd, pRoot);
}

bool ListPlainBelow(const CPlainNames& names, const QString& strRoot,
                    const std::string& strRootPlain, bool bFiles,
                    const std::function<bool()>& fnStop, CListedEntry* pRoot) {
    *pRoot = CListedEntry();
    pRoot->m_bFolder = true;
    const FolderPtr pFolder = names.Env()->OpenFolder(QFile::encodeName(strRoot).toStdString());
    if (!pFolder) return true;
    if (!ReadPlainEntries(names, *pFolder, strRootPlain, bFiles, fnStop, pRoot)) return false;
    // Opening every name costs twice what listing it does: the box's
    // folders are read on two threads, each taking the next one left.
    std::atomic<std::size_t> nNext{0};
    std::atomic<bool> bStopped{false};
    const auto fnRead = [&] {
        for (std::size_t i; !bStopped && (i = nNext++) < pRoot->m_vChildren.size();) {
            CListedEntry& child = pRoot->m_vChildren[i];
            if (!child.m_bFolder) continue;
            const FolderPtr pSub = pFolder->OpenFolder(child.m_strName);
            if (pSub && !ReadPlainFolder(names, *pSub, ChildPlainPath(strRootPlain, child), bFiles,
                                         fnStop, &child))
                bStopped = true;
        }
    };
    std::thread helper(fnRead);
    fnRead();
    helper.join();
    return !bStopped;
}

CFoundItem FindInListing(const CListedEntry& listed, const QString& strRoot,
                         const QString& strText) {
    CFoundItem root;
    root.m_strName = strRoot;
    root.m_bFolder = true;
    FindChildren(listed, FoldedBytes(strText), &root);
    return root;
}

}  // namespace quovex
