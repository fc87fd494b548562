// Versions of one plain name made as other machines and sync engines make
// them: a protected stored file written with a chosen storage time (a
// store's own time is the clock's), and sealed names for a vault that
// hides them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "ProtectedFormat.h"
#include "TestFiles.h"
#include "VaultEnv.h"
#include "VaultKey.h"

namespace quovex::test {

// The key of a protected vault that hides its names, master key nFill repeated.
inline void MakeHiddenNamesKey(CVaultKey* pKey, unsigned char nFill) {
    SetTestMasterKey(pKey, nFill, true);
}

// Writes the protected stored file strPath (its folder made when missing)
// of vPlain, as stored at nStoredTime into the plain place strPlace ("":
// none, a file of the first version). False when it could not be written.
inline bool WriteVersion(const CVaultKey& key, const std::string& strPath, std::int64_t nStoredTime,
                         const std::string& strPlace, const Bytes& vPlain,
                         const std::string& strSummary = {}) {
    const std::filesystem::path path(strPath);
    std::filesystem::create_directories(path.parent_path());
    const FolderPtr pFolder = CVaultEnv::Default()->OpenFolder(path.parent_path().string());
    const auto pTarget = pFolder ? pFolder->CreateFileFor(path.filename().string(), 0600) : nullptr;
    if (!pTarget) return false;
    ProtectedMetadata metadata;
    metadata.nPlainSize = vPlain.size();
    metadata.nStoredTime = nStoredTime;
    metadata.nMode = 0644;
    metadata.strSourcePath = "/home/u/" + path.filename().string();
    metadata.strSummary = strSummary;
    metadata.strPlace = strPlace;
    const CProtectedFormat format(key, StreamSizes());
    CProtectedWriter writer(format, *pTarget);
    return writer.Begin(metadata).nOutcome == FileOutcome::FILE_DONE &&
           writer.Append(vPlain.data(), vPlain.size()) &&
           writer.Finish().nOutcome == FileOutcome::FILE_DONE &&
           pTarget->Commit(false) == CommitResult::COMMIT_DONE;
}

// The Syncthing conflict copy's name of the stored file strDisk (on-disk
// name, ".$" at its end) from the device strDevice.
inline std::string SyncthingCopyName(const std::string& strDisk, const std::string& strDevice) {
    return strDisk.substr(0, strDisk.size() - 2) + ".sync-conflict-20261209-022408-" + strDevice +
           ".$";
}

}  // namespace quovex::test
