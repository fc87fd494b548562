#include "FolderIdentity.h"

#include <algorithm>

#include "Boxes.h"
#include "PathText.h"

namespace quovex {

namespace {

// Deeper than any real folder tree; ends a walk up a broken file system.
constexpr int FOLDER_MAX_DEPTH = 4096;

bool IsOneOf(const FileStamp& stamp, const std::vector<FileStamp>& vStamps) {
    return std::any_of(vStamps.begin(), vStamps.end(),
                       [&](const FileStamp& other) { return stamp.SameObject(other); });
}

void AddHeld(const FolderPtr& pLocation, const char* pszName, KeepOutSet* pKeep) {
    FileStamp stamp;
    if (!pLocation->GetStamp(pszName, &stamp)) return;
    if (stamp.kind == EntryKind::ENTRY_FOLDER) {
        pKeep->vFolders.push_back(stamp);
    } else {
        pKeep->vFiles.push_back(stamp);
    }
}

}  // namespace

KeepOutSet VaultKeepOutSet(const FolderPtr& pLocation) {
    KeepOutSet keep;
    if (!pLocation) return keep;
    for (const BoxInfo& box : BOX_TABLE) AddHeld(pLocation, box.pszFolder, &keep);
    for (const char* pszRecord : VAULT_RECORD_NAMES) AddHeld(pLocation, pszRecord, &keep);
    return keep;
}

bool IsSameFolder(const FolderPtr& pFolder, const FileStamp& folder) {
    FileStamp own;
    return pFolder && pFolder->GetOwnStamp(&own) && own.SameObject(folder);
}

bool IsKeptOut(const FileStamp& entry, const KeepOutSet& keep) {
    return IsOneOf(entry, keep.vFolders) || IsOneOf(entry, keep.vFiles);
}

bool IsKeptOut(const FolderPtr& pFolder, const KeepOutSet& keep) {
    FileStamp own;
    return pFolder && pFolder->GetOwnStamp(&own) && IsOneOf(own, keep.vFolders);
}

bool IsKeptOut(const FolderPtr& pFolder, const std::string& strName, const KeepOutSet& keep) {
    FileStamp entry;
    return pFolder && pFolder->GetStamp(strName, &entry) && IsKeptOut(entry, keep);
}

bool IsWithinFolder(FolderPtr pFolder, const KeepOutSet& keep) {
    if (keep.vFolders.empty()) return false;
    for (int i = 0; pFolder && i < FOLDER_MAX_DEPTH; ++i) {
        FileStamp own, above;
        if (!pFolder->GetOwnStamp(&own)) return false;
        if (IsOneOf(own, keep.vFolders)) return true;
        FolderPtr pParent = pFolder->OpenFolder("..");
        // The root is its own parent.
        if (!pParent || !pParent->GetOwnStamp(&above) || above.SameObject(own)) return false;
        pFolder = std::move(pParent);
    }
    return false;
}

bool PathLeadsInto(CVaultEnv* pEnv, const std::string& strPath, const KeepOutSet& keep) {
    FileStamp at;
    if (!keep.vFiles.empty() && pEnv->GetStamp(strPath, &at) && IsOneOf(at, keep.vFiles))
        return true;
    std::string strFolder = strPath;
    for (int i = 0; !strFolder.empty() && i < FOLDER_MAX_DEPTH; ++i) {
        // A write follows links on the way, so the check does too.
        if (FolderPtr pFolder = pEnv->OpenFolder(strFolder)) return IsWithinFolder(pFolder, keep);
        const std::string strUp = FolderOf(strFolder);
        if (strUp == strFolder) break;
        strFolder = strUp;
    }
    return false;
}

}  // namespace quovex
