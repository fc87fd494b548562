#include "StoredVersions.h"

#include <algorithm>
#include <map>

#include "ConflictNames.h"
#include "PathText.h"
#include "StoredFileInfo.h"

namespace quovex {

namespace {

StoredVersion ReadVersion(const std::string& strDisk, const CVaultKey* pKey, CVaultEnv* pEnv) {
    StoredVersion version;
    version.strDisk = strDisk;
    ConflictCopyName copy;
    if (ReadConflictCopyName(LastComponent(strDisk), &copy)) version.strDevice = copy.strDevice;
    const StoredFileInfo info = ReadStoredFileInfo(strDisk, pEnv, pKey);
    version.stamp = info.stamp;
    version.bRead = info.bStored;
    if (!info.bStored) return version;
    version.nPlainSize = info.nPlainSize;
    version.strSummary = info.strSummary;
    version.strSourcePath = info.strSourcePath;
    if (info.nKind == StoredKind::STORED_PROTECTED)
        version.nStoredTime = info.nStoredTime;
    else
        version.nStoredTime = info.bHasCreationTime ? info.nCreationTime : info.stamp.nModSeconds;
    return version;
}

}  // namespace

std::vector<StoredVersion> ReadStoredVersions(const std::vector<std::string>& vDisk,
                                              const CVaultKey* pKey, CVaultEnv* pEnv) {
    std::vector<StoredVersion> vVersions;
    vVersions.reserve(vDisk.size());
    for (const std::string& strDisk : vDisk) vVersions.push_back(ReadVersion(strDisk, pKey, pEnv));
    std::sort(vVersions.begin(), vVersions.end(),
              [](const StoredVersion& a, const StoredVersion& b) {
                  if (a.nStoredTime != b.nStoredTime) return a.nStoredTime < b.nStoredTime;
                  return a.strDisk < b.strDisk;
              });
    return vVersions;
}

PlainPathResult FindVersionsOf(const CPlainNames& names, const std::string& strVault,
                               const std::string& strPlainPath,
                               std::vector<StoredVersion>* pVersions) {
    pVersions->clear();
    const ResolvedPlainPath resolved = ResolvePlainPath(names, names.Env(), strVault, strPlainPath);
    if (resolved.nResult != PlainPathResult::PLAIN_PATH_FOUND &&
        resolved.nResult != PlainPathResult::PLAIN_PATH_VERSIONS)
        return resolved.nResult;
    if (resolved.kind != EntryKind::ENTRY_FILE) return PlainPathResult::PLAIN_PATH_MISSING;
    *pVersions = ReadStoredVersions(resolved.vDisk, names.Key(), names.Env());
    return resolved.nResult;
}

std::vector<VersionGroup> GroupVersions(const std::vector<PlainEntry>& vEntries) {
    std::vector<VersionGroup> vGroups;
    std::map<std::string, std::size_t> index;
    for (const PlainEntry& entry : vEntries) {
        if (entry.kind != EntryKind::ENTRY_FILE || entry.nState == PlainState::PLAIN_UNREADABLE)
            continue;
        const auto [it, bNew] = index.emplace(entry.strPlain, vGroups.size());
        if (bNew) vGroups.push_back(VersionGroup{entry.strPlain, {}});
        vGroups[it->second].vDiskNames.push_back(entry.strDisk);
    }
    std::erase_if(vGroups, [](const VersionGroup& group) { return group.vDiskNames.size() < 2; });
    return vGroups;
}

}  // namespace quovex
