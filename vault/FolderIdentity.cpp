#include "FolderIdentity.h"

#include "PathText.h"

namespace quovex {

namespace {

// Deeper than any real folder tree; ends a walk up a broken file system.
constexpr int FOLDER_MAX_DEPTH = 4096;

}  // namespace

bool IsSameFolder(const FolderPtr& pFolder, const FileStamp& folder) {
    FileStamp own;
    return pFolder && pFolder->GetOwnStamp(&own) && own.SameObject(folder);
}

bool IsWithinFolder(FolderPtr pFolder, const FileStamp& folder) {
    for (int i = 0; pFolder && i < FOLDER_MAX_DEPTH; ++i) {
        FileStamp own, above;
        if (!pFolder->GetOwnStamp(&own)) return false;
        if (own.SameObject(folder)) return true;
        FolderPtr pParent = pFolder->OpenFolder("..");
        // The root is its own parent.
        if (!pParent || !pParent->GetOwnStamp(&above) || above.SameObject(own)) return false;
        pFolder = std::move(pParent);
    }
    return false;
}

bool PathLeadsInto(CVaultEnv* pEnv, const std::string& strPath, const FileStamp& folder) {
    std::string strFolder = strPath;
    for (int i = 0; !strFolder.empty() && i < FOLDER_MAX_DEPTH; ++i) {
        // A write follows links on the way, so the check does too.
        if (FolderPtr pFolder = pEnv->OpenFolder(strFolder)) return IsWithinFolder(pFolder, folder);
        const std::string strUp = FolderOf(strFolder);
        if (strUp == strFolder) break;
        strFolder = strUp;
    }
    return false;
}

bool FolderLiesWithin(CVaultEnv* pEnv, const std::string& strInner, const std::string& strOuter) {
    const FolderPtr pOuter = pEnv->OpenFolder(strOuter);
    FileStamp outer;
    if (!pOuter || !pOuter->GetOwnStamp(&outer)) return false;
    return IsWithinFolder(pEnv->OpenFolder(strInner), outer);
}

}  // namespace quovex
