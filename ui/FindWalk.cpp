#include "FindWalk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "PathOrder.h"

namespace quovex {

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
QString DecodedName(const char* pszName) {
    const QByteArray bytes(pszName);
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

struct CWalk {
    std::string strFolded;
    bool bFiles = false;
    const std::function<bool()>& fnStop;

    bool Folder(int fd, CFoundItem* pItem) const;
    bool Listable(const char* pszName, EntryType type) const {
        if (type == EntryType::ENTRY_FILE && (!bFiles || pszName[0] == '.')) return false;
        return !DecodedName(pszName).isEmpty();
    }
};

// Puts a folder's found children into the tree's order: folders first, then
// files, each by its sort key, worked out once per name.
void SortChildren(std::vector<CFoundItem>* pChildren) {
    std::vector<std::pair<std::vector<PathUnit>, std::size_t>> vKeyed;
    vKeyed.reserve(pChildren->size());
    for (std::size_t i = 0; i < pChildren->size(); ++i)
        vKeyed.emplace_back(PathSortKey(QFile::encodeName((*pChildren)[i].m_strName).toStdString()),
                            i);
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

// Lists the folder open at fd (and takes fd over) into pItem: its children
// that hold the text or lead to it, and whether it has anything to list.
bool CWalk::Folder(int fd, CFoundItem* pItem) const {
    DIR* pDir = fdopendir(fd);
    if (!pDir) {
        close(fd);
        return true;
    }
    bool bGoOn = true;
    while (const dirent* pEntry = readdir(pDir)) {
        if (fnStop()) {
            bGoOn = false;
            break;
        }
        const char* pszName = pEntry->d_name;
        if (pszName[0] == '.' && (!pszName[1] || (pszName[1] == '.' && !pszName[2]))) continue;
        const EntryType type = TypeOf(dirfd(pDir), pEntry);
        if (type == EntryType::ENTRY_SKIP) continue;
        if (!pItem->m_bHasChildren) pItem->m_bHasChildren = Listable(pszName, type);
        if (pszName[0] == '.') continue;
        const bool bFolder = type == EntryType::ENTRY_FOLDER;
        if (!bFolder && !bFiles) continue;
        CFoundItem child;
        child.m_bFolder = bFolder;
        child.m_bMatch = BytesHoldText(pszName, strFolded);
        if (!child.m_bMatch && !bFolder) continue;
        child.m_strName = DecodedName(pszName);
        if (child.m_strName.isEmpty()) continue;
        if (bFolder) {
            const int fdChild =
                openat(dirfd(pDir), pszName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (fdChild >= 0 && !Folder(fdChild, &child)) {
                bGoOn = false;
                break;
            }
            if (!child.m_bMatch && child.m_vChildren.empty()) continue;
        }
        pItem->m_vChildren.push_back(std::move(child));
    }
    closedir(pDir);
    if (bGoOn) SortChildren(&pItem->m_vChildren);
    return bGoOn;
}

}  // namespace

bool NameHoldsText(const QString& strName, const QString& strText) {
    return BytesHoldText(FoldedBytes(strName), FoldedBytes(strText));
}

bool FindBelow(const QString& strRoot, const QString& strText, bool bFiles,
               const std::function<bool()>& fnStop, CFoundItem* pRoot) {
    *pRoot = CFoundItem();
    pRoot->m_strName = strRoot;
    pRoot->m_bFolder = true;
    // The root itself may be reached through a link, as in the tree.
    const int fd = open(QFile::encodeName(strRoot).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return true;
    const CWalk walk{FoldedBytes(strText), bFiles, fnStop};
    return walk.Folder(fd, pRoot);
}

}  // namespace quovex
