#include "FolderWalk.h"

#include <vector>

#include "Boxes.h"
#include "PathText.h"
#include "StoredFileHeader.h"

namespace quovex {

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

bool IsStoredFileName(const std::string& strName) {
    return FindExtension(strName).compare(0, 2, STORED_SUFFIX) == 0;
}

bool IsSyncEngineName(const std::string& strName) {
    return strName.rfind(".syncthing.", 0) == 0 || strName.rfind("~syncthing~", 0) == 0 ||
           strName == ".stfolder" || strName == ".stversions";
}

bool WalkFolder(const FolderPtr& pFolder, const std::string& strFolderPath,
                const WalkVisitor& fnVisit, FailCause* pFailure) {
    std::vector<FolderEntry> vEntries;
    if (!pFolder) return false;
    if (!pFolder->List(&vEntries)) {
        if (pFailure) *pFailure = CauseOfLastError();
        return false;
    }
    const std::string strBase = WithSeparator(strFolderPath);
    for (const FolderEntry& entry : vEntries) {
        if (entry.strName.empty() || entry.strName[0] == '.' || IsSyncEngineName(entry.strName))
            continue;
        const std::string strPath = strBase + entry.strName;
        if (!fnVisit(WalkEntry{pFolder, entry.strName, strPath, entry.kind})) break;
    }
    return true;
}

OpenedFolder OpenSubFolder(CFolder& parent, const std::string& strName) {
    OpenedFolder opened{parent.OpenFolder(strName), {}};
    if (!opened.pFolder) opened.failure = CauseOfLastError();
    return opened;
}

OpenedFolder OpenFolderAt(CVaultEnv* pEnv, const std::string& strPath) {
    OpenedFolder opened{pEnv->OpenFolder(strPath), {}};
    if (!opened.pFolder) opened.failure = CauseOfLastError();
    return opened;
}

bool WalkFolder(CVaultEnv* pEnv, const std::string& strFolder, const WalkVisitor& fnVisit) {
    return WalkFolder(pEnv->OpenFolder(strFolder), strFolder, fnVisit);
}

std::string FindFirstStoredFile(const std::string& strFolder, CVaultEnv* pEnv) {
    return FindFirstStoredIn(pEnv->OpenFolder(strFolder), strFolder);
}

std::string FindFirstStoredFileInBoxes(const std::string& strVaultPath, CVaultEnv* pEnv) {
    std::string strFound;
    WalkFolder(pEnv->OpenFolder(strVaultPath), strVaultPath, [&](const WalkEntry& entry) {
        if (entry.kind == EntryKind::ENTRY_FOLDER && BoxIndex(entry.strName) >= 0)
            strFound = FindFirstStoredIn(entry.pFolder->OpenFolder(entry.strName), entry.strPath);
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
    return SumOverFiles(pEnv->OpenFolder(strFolder), strFolder,
                        [](CFolder& folder, const std::string& strName) -> std::uint64_t {
                            return ReadPlainSize(folder.OpenFile(strName).get());
                        });
}

std::uint64_t GetFileLength(const std::string& strPath, CVaultEnv* pEnv) {
    FileStamp stamp;
    pEnv->GetStamp(strPath, &stamp);
    return stamp.kind == EntryKind::ENTRY_FILE ? stamp.nSize : 0;
}

std::uint64_t GetFolderLength(const std::string& strFolder, CVaultEnv* pEnv) {
    return SumOverFiles(pEnv->OpenFolder(strFolder), strFolder, FileLengthIn);
}

std::uint64_t GetPathLength(const std::string& strPath, CVaultEnv* pEnv) {
    switch (pEnv->GetKind(strPath)) {
        case EntryKind::ENTRY_FOLDER:
            return GetFolderLength(strPath, pEnv);
        case EntryKind::ENTRY_FILE:
            return GetFileLength(strPath, pEnv);
        default:
            return 0;
    }
}

}  // namespace quovex
