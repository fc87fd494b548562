#include "FreeSpace.h"

#include <limits>
#include <memory>
#include <unordered_map>

#include "FileStore.h"
#include "FolderWalk.h"
#include "PathText.h"

namespace quovex {

std::uint64_t SpaceNeededFor(std::uint64_t nBytes) {
    const std::uint64_t nMax = std::numeric_limits<std::uint64_t>::max();
    return nBytes > nMax - TRANSFER_FREE_SPACE_MARGIN ? nMax : nBytes + TRANSFER_FREE_SPACE_MARGIN;
}

bool FreeSpaceHolds(std::uint64_t nFree, std::uint64_t nBytes) {
    return nFree >= SpaceNeededFor(nBytes);
}

bool HasRoomFor(CVaultEnv* pEnv, const std::string& strPath, std::uint64_t nTotal,
                VolumeRoom* pRoom) {
    VolumeSpace space;
    // Unknown free space: go ahead, and let each file report its own failure.
    if (!pEnv->GetFreeSpace(strPath, &space) || FreeSpaceHolds(space.nFree, nTotal)) return true;
    if (pRoom) *pRoom = {SpaceNeededFor(nTotal), space.nFree};
    return false;
}

namespace {

// Stored lengths by the folder their recorded paths lie in: the files of
// one stored folder mostly return to one folder, so the volumes are then
// asked about once per folder, not once per file.
using FolderBytes = std::unordered_map<std::string, std::uint64_t>;

// The head is read here once more than by the restore itself: it is what
// tells where the file goes (for a protected file, its sealed metadata).
// Its size comes with the open, so the walk costs no look-up of its own
// per file.
void AddStoredFile(const CFileStore& files, std::unique_ptr<CReadableFile> pFile,
                   std::uint64_t* pTotal, FolderBytes* pByFolder) {
    if (!pFile) return;
    const std::uint64_t nSize = pFile->Size();
    *pTotal += nSize;
    const std::string strPath = files.RecordedPathOf(std::move(pFile));
    if (!strPath.empty()) (*pByFolder)[FolderOf(strPath)] += nSize;
}

void AddStoredFolder(const CFileStore& files, const FolderPtr& pFolder, const std::string& strPath,
                     std::uint64_t* pTotal, FolderBytes* pByFolder) {
    WalkFolder(pFolder, strPath, [&](const WalkEntry& entry) {
        if (entry.kind == EntryKind::ENTRY_FOLDER) {
            AddStoredFolder(files, entry.pFolder->OpenFolder(entry.strName), entry.strPath, pTotal,
                            pByFolder);
        } else if (entry.kind == EntryKind::ENTRY_FILE) {
            AddStoredFile(files, entry.pFolder->OpenFile(entry.strName), pTotal, pByFolder);
        }
        return true;
    });
}

// Whether each volume holds the bytes of the folders that lie on it; when
// one does not, *pFull is one of its folders and *pRoom its amounts.
bool VolumesHaveRoom(CVaultEnv* pEnv, const FolderBytes& byFolder, std::string* pFull,
                     VolumeRoom* pRoom) {
    struct Share {
        std::uint64_t nBytes = 0;
        std::uint64_t nFree = 0;
        const std::string* pFolder = nullptr;
    };
    std::unordered_map<std::uint64_t, Share> byVolume;
    for (const auto& [strFolder, nBytes] : byFolder) {
        VolumeSpace space;
        // Unknown free space: go ahead, and let each file report its own failure.
        if (!pEnv->GetFreeSpace(strFolder, &space)) continue;
        Share& share = byVolume[space.nVolume];
        share.nBytes += nBytes;
        share.nFree = space.nFree;
        share.pFolder = &strFolder;
    }
    for (const auto& [nVolume, share] : byVolume) {
        if (FreeSpaceHolds(share.nFree, share.nBytes)) continue;
        *pFull = *share.pFolder;
        *pRoom = {SpaceNeededFor(share.nBytes), share.nFree};
        return false;
    }
    return true;
}

}  // namespace

bool RestoreHasRoom(const CFileStore& files, CVaultEnv* pEnv, const std::string& strStored,
                    const std::string& strTargetFolder, std::uint64_t* pTotal, std::string* pFull,
                    VolumeRoom* pRoom) {
    if (!strTargetFolder.empty()) {
        *pTotal = GetPathLength(strStored, pEnv);
        *pFull = strTargetFolder;
        return HasRoomFor(pEnv, strTargetFolder, *pTotal, pRoom);
    }
    *pTotal = 0;
    FolderBytes byFolder;
    switch (pEnv->GetKind(strStored)) {
        case EntryKind::ENTRY_FOLDER:
            AddStoredFolder(files, pEnv->OpenFolder(strStored), strStored, pTotal, &byFolder);
            break;
        case EntryKind::ENTRY_FILE:
            AddStoredFile(files, pEnv->OpenForRead(strStored), pTotal, &byFolder);
            break;
        default:
            break;
    }
    return VolumesHaveRoom(pEnv, byFolder, pFull, pRoom);
}

}  // namespace quovex
