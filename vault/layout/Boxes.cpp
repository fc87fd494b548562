#include "Boxes.h"

#include <string_view>

#include "FolderChanges.h"
#include "KeyRecordFiles.h"
#include "PathText.h"

namespace quovex {

static_assert(std::string_view(VAULT_RECORD_NAMES[0]) == KEY_RECORD_NAME &&
              std::string_view(VAULT_RECORD_NAMES[1]) == KEY_RECORD_COPY_NAME);

const BoxInfo BOX_TABLE[BOX_COUNT] = {
    {"FileBox"},
    {"ImageBox"},
    {"VideoBox"},
    {"OtherBox"},
};

int BoxIndex(const std::string& strFolderName) {
    for (int i = 0; i < BOX_COUNT; ++i) {
        if (strFolderName == BOX_TABLE[i].pszFolder) return i;
    }
    return -1;
}

std::string BoxFolderPath(const std::string& strVaultPath, int nBox) {
    return JoinPath(strVaultPath, BOX_TABLE[nBox].pszFolder);
}

std::string FindVaultOf(const std::string& strPath, CVaultEnv* pEnv) {
    std::string strAt = strPath;
    while (strAt.size() > 1 && strAt.back() == PATH_SEPARATOR) strAt.pop_back();
    for (std::string strUp = FolderOf(strAt); strUp != strAt;
         strAt = strUp, strUp = FolderOf(strAt)) {
        if (BoxIndex(LastComponent(strAt)) >= 0) return strUp;
    }
    pEnv = CVaultEnv::Or(pEnv);
    for (int nBox = 0; nBox < BOX_COUNT; ++nBox) {
        if (pEnv->GetKind(BoxFolderPath(strPath, nBox)) == EntryKind::ENTRY_FOLDER) return strPath;
    }
    return std::string();
}

int PlaceScrambledMark(const std::string& strVaultPath, CVaultEnv* pEnv) {
    const FolderPtr pLocation = CVaultEnv::Or(pEnv)->OpenFolder(strVaultPath);
    if (!pLocation) return 0;
    const auto pMark = pLocation->CreateFileFor(SCRAMBLED_MARK_NAME, 0600);
    if (!pMark || !pMark->Sync()) return 0;
    const CommitResult nCommit = pMark->Commit(false);
    if (nCommit == CommitResult::COMMIT_FAILED) return 0;
    return nCommit == CommitResult::COMMIT_TAKEN || pLocation->Sync() ? 1 : 0;
}

bool HasScrambledMark(const std::string& strVaultPath, CVaultEnv* pEnv) {
    return CVaultEnv::Or(pEnv)->GetKind(JoinPath(strVaultPath, SCRAMBLED_MARK_NAME)) !=
           EntryKind::ENTRY_NONE;
}

int CreateBoxFolders(const std::string& strVaultPath, CVaultEnv* pEnv) {
    const std::string strBase = WithSeparator(strVaultPath);
    for (const BoxInfo& box : BOX_TABLE) {
        CreateDirectoryPath(strBase + box.pszFolder + PATH_SEPARATOR, 0700, pEnv);
    }
    return 1;
}

}  // namespace quovex
