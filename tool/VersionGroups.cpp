#include "VersionGroups.h"

#include <map>

#include "Boxes.h"
#include "ConflictNames.h"
#include "FolderWalk.h"
#include "PathText.h"

namespace quovex {

namespace {

// The plain path an item goes by: a visible conflict copy's is its original's.
std::string GroupKey(const SurveyItem& item, bool bNamesHidden) {
    if (bNamesHidden) return item.strShown;
    ConflictCopyName copy;
    const std::string strName = LastComponent(item.strShown);
    if (!ReadConflictCopyName(strName, &copy) || !IsStoredFileName(copy.strOriginal))
        return item.strShown;
    return JoinPath(FolderOf(item.strShown), copy.strOriginal);
}

// The group's items put in the order of its numbered versions.
void NumberVersions(SurveyGroup* pGroup, const CVaultKey* pKey, CVaultEnv* pEnv) {
    std::vector<std::string> vDisk;
    for (const SurveyItem& item : pGroup->vItems) vDisk.push_back(item.scan.strPath);
    pGroup->vVersions = ReadStoredVersions(vDisk, pKey, pEnv);
    std::vector<SurveyItem> vOrdered;
    std::vector<bool> vTaken(pGroup->vItems.size(), false);
    for (const StoredVersion& version : pGroup->vVersions) {
        for (std::size_t i = 0; i < pGroup->vItems.size(); ++i) {
            if (vTaken[i] || pGroup->vItems[i].scan.strPath != version.strDisk) continue;
            vTaken[i] = true;
            vOrdered.push_back(std::move(pGroup->vItems[i]));
            break;
        }
    }
    pGroup->vItems = std::move(vOrdered);
}

}  // namespace

std::vector<SurveyGroup> GroupSurveyItems(std::vector<SurveyItem> vItems, bool bNamesHidden,
                                          const CVaultKey* pKey, CVaultEnv* pEnv) {
    std::vector<SurveyGroup> vGroups;
    std::map<std::string, std::size_t> index;
    for (SurveyItem& item : vItems) {
        const bool bAlone = item.scan.bUnlistedFolder || item.bUnreadableName;
        const std::string strKey = GroupKey(item, bNamesHidden);
        if (!bAlone) {
            const auto it = index.find(strKey);
            if (it != index.end()) {
                vGroups[it->second].vItems.push_back(std::move(item));
                continue;
            }
            index.emplace(strKey, vGroups.size());
        }
        vGroups.push_back(SurveyGroup{strKey, {}, {}});
        vGroups.back().vItems.push_back(std::move(item));
    }
    for (SurveyGroup& group : vGroups)
        if (group.Versions()) NumberVersions(&group, pKey, pEnv);
    return vGroups;
}

}  // namespace quovex
