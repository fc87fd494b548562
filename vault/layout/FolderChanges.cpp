#include "FolderChanges.h"

#include <cerrno>

#include "PathText.h"

namespace quovex {

int CreateDirectoryPath(const std::string& strPath, unsigned nMode, CVaultEnv* pEnv,
                        std::vector<std::string>* pMade) {
    int nFirstError = 0;
    for (std::size_t i = 1; i < strPath.size(); ++i) {
        if (strPath[i] != PATH_SEPARATOR) continue;
        if (pEnv->CreateFolder(strPath.substr(0, i), nMode)) {
            if (pMade) pMade->push_back(strPath.substr(0, i));
        } else if (errno != EEXIST && nFirstError == 0) {
            nFirstError = errno;
        }
    }
    return nFirstError;
}

bool DeleteOneFile(const std::string& strPath, CVaultEnv* pEnv) {
    const FolderPtr pParent = pEnv->OpenFolder(FolderOf(strPath));
    return pParent && pParent->DeleteFile(LastComponent(strPath));
}

namespace {

// Adds the leaves below the open folder to *pLeft, counting those past nMax.
void CollectLeftovers(const FolderPtr& pFolder, const std::string& strPath, std::size_t nMax,
                      std::vector<std::string>* pLeft, std::size_t* pMore) {
    std::vector<FolderEntry> vEntries;
    if (!pFolder || !pFolder->List(&vEntries)) return;
    if (vEntries.empty()) {
        if (pLeft->size() < nMax) {
            pLeft->push_back(strPath);
        } else {
            ++*pMore;
        }
        return;
    }
    for (const FolderEntry& entry : vEntries) {
        const std::string strSub = JoinPath(strPath, entry.strName);
        if (entry.kind == EntryKind::ENTRY_FOLDER) {
            CollectLeftovers(pFolder->OpenFolder(entry.strName), strSub, nMax, pLeft, pMore);
        } else if (pLeft->size() < nMax) {
            pLeft->push_back(strSub);
        } else {
            ++*pMore;
        }
    }
}

}  // namespace

std::vector<std::string> FindLeftovers(const std::string& strPath, std::size_t nMax,
                                       std::size_t* pMore, CVaultEnv* pEnv) {
    std::vector<std::string> vLeft;
    *pMore = 0;
    const EntryKind kind = pEnv->GetKind(strPath);
    if (kind == EntryKind::ENTRY_NONE) return vLeft;
    if (kind != EntryKind::ENTRY_FOLDER) {
        vLeft.push_back(strPath);
        return vLeft;
    }
    const FolderPtr pParent = pEnv->OpenFolder(FolderOf(strPath));
    CollectLeftovers(pParent ? pParent->OpenFolder(LastComponent(strPath)) : nullptr, strPath, nMax,
                     &vLeft, pMore);
    // A folder that cannot be listed is itself what is left.
    if (vLeft.empty() && *pMore == 0) vLeft.push_back(strPath);
    return vLeft;
}

}  // namespace quovex
