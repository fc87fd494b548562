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
    for (int nBox = 0; nBox < BOX_COUNT; ++nBox) {
        if (pEnv->GetKind(BoxFolderPath(strPath, nBox)) == EntryKind::ENTRY_FOLDER) return strPath;
    }
    return std::string();
}

std::string StoredPlaceOf(const std::string& strStored) {
    std::string strAt = strStored;
    for (std::string strUp = FolderOf(strAt); strUp != strAt;
         strAt = strUp, strUp = FolderOf(strAt)) {
        if (BoxIndex(LastComponent(strAt)) < 0) continue;
        std::string strPlace = strStored.substr(WithSeparator(strUp).size());
        const std::size_t nSuffix = sizeof STORED_SUFFIX - 1;
        if (strPlace.size() > nSuffix &&
            strPlace.compare(strPlace.size() - nSuffix, nSuffix, STORED_SUFFIX) == 0)
            strPlace.resize(strPlace.size() - nSuffix);
        return strPlace;
    }
    return {};
}

bool PlaceScrambledMark(const std::string& strVaultPath, CVaultEnv* pEnv) {
    const FolderPtr pLocation = pEnv->OpenFolder(strVaultPath);
    if (!pLocation) return false;
    const auto pMark = pLocation->CreateFileFor(SCRAMBLED_MARK_NAME, 0600);
    if (!pMark || !pMark->Sync()) return false;
    const CommitResult nCommit = pMark->Commit(false);
    if (nCommit == CommitResult::COMMIT_FAILED) return false;
    return nCommit == CommitResult::COMMIT_TAKEN || pLocation->Sync();
}

bool HasScrambledMark(const std::string& strVaultPath, CVaultEnv* pEnv) {
    return pEnv->GetKind(JoinPath(strVaultPath, SCRAMBLED_MARK_NAME)) != EntryKind::ENTRY_NONE;
}

void CreateBoxFolders(const std::string& strVaultPath, CVaultEnv* pEnv) {
    const std::string strBase = WithSeparator(strVaultPath);
    for (const BoxInfo& box : BOX_TABLE) {
        CreateDirectoryPath(strBase + box.pszFolder + PATH_SEPARATOR, 0700, pEnv);
    }
}

}  // namespace quovex
