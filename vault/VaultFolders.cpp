#include "VaultFolders.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <vector>

#include "PathText.h"
#include "StoredFileFormat.h"
#include "VaultEnv.h"

namespace quovex {

const BoxInfo BOX_TABLE[BOX_COUNT] = {
    {"FileBox"},
    {"ImageBox"},
    {"VideoBox"},
    {"OtherBox"},
};

namespace {}  // namespace

bool IsStoredFileName(const std::string& strName) {
    return FindExtension(strName).compare(0, 2, SFF_STORED_SUFFIX) == 0;
}

bool WalkFolder(const FolderPtr& pFolder, const std::string& strFolderPath,
                const WalkVisitor& fnVisit) {
    std::vector<FolderEntry> vEntries;
    if (!pFolder || !pFolder->List(&vEntries)) return false;
    const std::string strBase = WithSeparator(strFolderPath);
    for (const FolderEntry& entry : vEntries) {
        if (entry.strName.empty() || entry.strName[0] == '.') continue;
        const std::string strPath = strBase + entry.strName;
        if (!fnVisit(WalkEntry{pFolder, entry.strName, strPath, entry.kind})) break;
    }
    return true;
}

bool WalkFolder(CVaultEnv* pEnv, const std::string& strFolder, const WalkVisitor& fnVisit) {
    return WalkFolder(CVaultEnv::Or(pEnv)->OpenFolder(strFolder), strFolder, fnVisit);
}

int BoxIndex(const std::string& strFolderName) {
    for (int i = 0; i < BOX_COUNT; ++i) {
        if (strFolderName == BOX_TABLE[i].pszFolder) return i;
    }
    return -1;
}

std::string BoxFolderPath(const std::string& strVaultPath, int nBox) {
    return JoinPath(strVaultPath, BOX_TABLE[nBox].pszFolder);
}

int CreateDirectoryPath(const std::string& strPath, unsigned nMode, CVaultEnv* pEnv,
                        std::vector<std::string>* pMade) {
    pEnv = CVaultEnv::Or(pEnv);
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

namespace {

std::string FindFirstStoredIn(const FolderPtr& pFolder, const std::string& strPath) {
    std::string strFound;
    WalkFolder(pFolder, strPath, [&](const WalkEntry& entry) {
        if (entry.kind == EntryKind::ENTRY_FOLDER) {
            strFound = FindFirstStoredIn(entry.pFolder->OpenFolder(entry.strName), entry.strPath);
        } else if (entry.kind == EntryKind::ENTRY_FILE && IsStoredFileName(entry.strName)) {
            strFound = entry.strPath;
        }
        return strFound.empty();
    });
    return strFound;
}

std::uint64_t FileLengthIn(CFolder& folder, const std::string& strName) {
    FileStamp stamp;
    return folder.GetStamp(strName, &stamp) && stamp.kind == EntryKind::ENTRY_FILE ? stamp.nSize
                                                                                   : 0;
}

}  // namespace

int DeleteOneFile(const std::string& strPath, CVaultEnv* pEnv) {
    const FolderPtr pParent = CVaultEnv::Or(pEnv)->OpenFolder(FolderOf(strPath));
    return pParent && pParent->DeleteFile(LastComponent(strPath)) ? 1 : 0;
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
    pEnv = CVaultEnv::Or(pEnv);
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

std::string FindFirstStoredFile(const std::string& strFolder, CVaultEnv* pEnv) {
    return FindFirstStoredIn(CVaultEnv::Or(pEnv)->OpenFolder(strFolder), strFolder);
}

std::string FindFirstStoredFileInBoxes(const std::string& strVaultPath, CVaultEnv* pEnv) {
    std::string strFound;
    WalkFolder(
        CVaultEnv::Or(pEnv)->OpenFolder(strVaultPath), strVaultPath, [&](const WalkEntry& entry) {
            if (entry.kind == EntryKind::ENTRY_FOLDER && BoxIndex(entry.strName) >= 0)
                strFound =
                    FindFirstStoredIn(entry.pFolder->OpenFolder(entry.strName), entry.strPath);
            return strFound.empty();
        });
    return strFound;
}

std::uint64_t SumOverFiles(const FolderPtr& pFolder, const std::string& strPath,
                           const FileMeasure& fnMeasure) {
    std::uint64_t nSum = 0;
    WalkFolder(pFolder, strPath, [&](const WalkEntry& entry) {
        if (entry.kind == EntryKind::ENTRY_FOLDER)
            nSum +=
                SumOverFiles(entry.pFolder->OpenFolder(entry.strName), entry.strPath, fnMeasure);
        if (entry.kind == EntryKind::ENTRY_FILE) nSum += fnMeasure(*entry.pFolder, entry.strName);
        return true;
    });
    return nSum;
}

std::uint64_t GetStoredTotalSize(const std::string& strFolder, CVaultEnv* pEnv) {
    return SumOverFiles(CVaultEnv::Or(pEnv)->OpenFolder(strFolder), strFolder,
                        [](CFolder& folder, const std::string& strName) -> std::uint64_t {
                            return ReadPlainSize(folder.OpenFile(strName).get());
                        });
}

std::uint64_t GetFileLength(const std::string& strPath, CVaultEnv* pEnv) {
    FileStamp stamp;
    CVaultEnv::Or(pEnv)->GetStamp(strPath, &stamp);
    return stamp.kind == EntryKind::ENTRY_FILE ? stamp.nSize : 0;
}

std::uint64_t GetFolderLength(const std::string& strFolder, CVaultEnv* pEnv) {
    return SumOverFiles(CVaultEnv::Or(pEnv)->OpenFolder(strFolder), strFolder, FileLengthIn);
}

std::uint64_t GetPathLength(const std::string& strPath, CVaultEnv* pEnv) {
    pEnv = CVaultEnv::Or(pEnv);
    switch (pEnv->GetKind(strPath)) {
        case EntryKind::ENTRY_FOLDER:
            return GetFolderLength(strPath, pEnv);
        case EntryKind::ENTRY_FILE:
            return GetFileLength(strPath, pEnv);
        default:
            return 0;
    }
}

SizeUnit ScaleSize(std::uint64_t nBytes, double* pValue) {
    const std::uint64_t nKilo = nBytes / 1024;
    *pValue = static_cast<double>(nKilo == 0 ? nBytes : nKilo);
    if (nKilo == 0) return SizeUnit::SIZE_BYTES;
    if (nKilo < 1000) return SizeUnit::SIZE_KB;
    *pValue /= 1024.0;
    return SizeUnit::SIZE_MB;
}

std::string FormatSizeText(std::uint64_t nBytes) {
    double dValue = 0;
    const SizeUnit nUnit = ScaleSize(nBytes, &dValue);
    char szText[96];
    if (nUnit == SizeUnit::SIZE_BYTES) {
        std::snprintf(szText, sizeof szText, "%" PRIu64 " 字节( %" PRIu64 " 字节)", nBytes, nBytes);
    } else {
        std::snprintf(szText, sizeof szText, "%.2f %s( %" PRIu64 " 字节)", dValue,
                      nUnit == SizeUnit::SIZE_KB ? "KB" : "MB", nBytes);
    }
    return szText;
}

}  // namespace quovex
