#include "PlainSurvey.h"

#include <algorithm>
#include <vector>

#include "Boxes.h"
#include "PathOrder.h"
#include "PathText.h"
#include "ProtectedStream.h"
#include "ToolNames.h"
#include "VaultEnv.h"
#include "VaultKey.h"

namespace quovex {

namespace {

// A walk of hidden names: what every file is read with, and where to.
struct HiddenWalk {
    const CToolNames& names;
    bool bReadBody;
    const ProtectedFileKeys* pKeys;
    const SurveyVisitor& fnVisit;
};

// The name an entry sorts by: its plain one, else the one on disk.
const std::string& SortName(const PlainEntry& entry) {
    return entry.strPlain.empty() ? entry.strDisk : entry.strPlain;
}

// The tree's order: folders first, each group by name, equal names as listed.
void SortPlainEntries(std::vector<PlainEntry>* pEntries) {
    std::stable_sort(pEntries->begin(), pEntries->end(),
                     [](const PlainEntry& a, const PlainEntry& b) {
                         const bool bFolderA = a.kind == EntryKind::ENTRY_FOLDER;
                         const bool bFolderB = b.kind == EntryKind::ENTRY_FOLDER;
                         if (bFolderA != bFolderB) return bFolderA;
                         return ComparePathNames(SortName(a), SortName(b)) < 0;
                     });
}

// A folder that was not walked: it cannot be listed, or its name does not open.
void VisitUnwalked(const std::string& strDisk, const std::string& strShown, bool bUnreadable,
                   const HiddenWalk& walk) {
    SurveyItem item;
    item.scan.strPath = strDisk;
    item.scan.bUnlistedFolder = true;
    item.strShown = strShown;
    item.bUnreadableName = bUnreadable;
    walk.fnVisit(item);
}

// The stored file strName of an open folder, at strDisk: item holds how it
// is shown and where it lies.
void VisitFile(CFolder& folder, const std::string& strName, const std::string& strDisk,
               SurveyItem item, const HiddenWalk& walk) {
    item.scan.strPath = strDisk;
    ScanStoredFile(folder.OpenFile(strName).get(), walk.bReadBody, &item.scan, walk.pKeys);
    if (item.bUnreadableName) item.strShown = strDisk;
    walk.fnVisit(item);
}

// How a listed stored file is shown: under the plain name it was listed by
// (one moved by hand, under the name its sealed place gives), else on disk.
SurveyItem ListedFile(const PlainEntry& entry, const std::string& strPlain,
                      const HiddenWalk& walk) {
    SurveyItem item;
    item.bUnreadableName = entry.nState == PlainState::PLAIN_UNREADABLE;
    if (!item.bUnreadableName) item.strShown = walk.names.ShownPlain(strPlain, true);
    if (entry.nState == PlainState::PLAIN_OPENED) item.strLiesAt = strPlain;
    return item;
}

void WalkFolder(const FolderPtr& pFolder, const std::string& strDisk, const std::string& strPlain,
                const HiddenWalk& walk) {
    std::vector<PlainEntry> vEntries;
    if (!pFolder || !walk.names.Plain().List(*pFolder, strPlain, &vEntries)) {
        VisitUnwalked(strDisk, walk.names.ShownPlain(strPlain, false), false, walk);
        return;
    }
    SortPlainEntries(&vEntries);
    for (const PlainEntry& entry : vEntries) {
        const std::string strEntryDisk = JoinPath(strDisk, entry.strDisk);
        const std::string strEntryPlain = PlainChildPath(strPlain, entry.strPlain);
        if (entry.nState == PlainState::PLAIN_UNREADABLE && entry.kind == EntryKind::ENTRY_FOLDER)
            VisitUnwalked(strEntryDisk, strEntryDisk, true, walk);
        else if (entry.kind == EntryKind::ENTRY_FOLDER)
            WalkFolder(pFolder->OpenFolder(entry.strDisk), strEntryDisk, strEntryPlain, walk);
        else
            VisitFile(*pFolder, entry.strDisk, strEntryDisk, ListedFile(entry, strEntryPlain, walk),
                      walk);
    }
}

// The walk of a vault with hidden names from strDisk: the location's box
// folders, a folder below a box folder, or one stored file.
bool WalkHidden(const std::string& strDisk, const HiddenWalk& walk, CVaultEnv* pEnv) {
    const CToolNames& names = walk.names;
    const EntryKind kind = pEnv->GetKind(strDisk);
    if (kind == EntryKind::ENTRY_FILE) {
        const FolderPtr pFolder = pEnv->OpenFolder(FolderOf(strDisk));
        if (!pFolder) return false;
        SurveyItem item;
        item.strShown = names.Shown(strDisk, &item.bUnreadableName);
        item.strLiesAt = names.Plain().PlaceOf(strDisk, EntryKind::ENTRY_FILE);
        VisitFile(*pFolder, LastComponent(strDisk), strDisk, std::move(item), walk);
        return true;
    }
    if (kind != EntryKind::ENTRY_FOLDER) return false;
    if (strDisk == names.Vault()) {
        // By name, as the location's other folders are walked where names are visible.
        std::vector<std::string> vBoxes;
        for (const BoxInfo& box : BOX_TABLE) vBoxes.emplace_back(box.pszFolder);
        SortedPathList(&vBoxes);
        for (const std::string& strBox : vBoxes) {
            const std::string strBoxDisk = JoinPath(strDisk, strBox);
            if (pEnv->GetKind(strBoxDisk) == EntryKind::ENTRY_FOLDER)
                WalkFolder(pEnv->OpenFolder(strBoxDisk), strBoxDisk, strBox, walk);
        }
        return true;
    }
    const std::string strPlain = names.Plain().PlaceOf(strDisk, EntryKind::ENTRY_FOLDER);
    if (strPlain.empty()) {
        VisitUnwalked(strDisk, strDisk, true, walk);
        return true;
    }
    const FolderPtr pFolder = pEnv->OpenFolder(strDisk);
    if (!pFolder) return false;
    WalkFolder(pFolder, strDisk, strPlain, walk);
    return true;
}

}  // namespace

bool SurveyStoredFiles(const CToolNames& names, const std::string& strDisk, bool bReadBody,
                       const CVaultKey* pKey, const SurveyVisitor& fnVisit, CVaultEnv* pEnv) {
    // Below the box folders of a vault with hidden names only; the rest is
    // named on disk as it is.
    if (names.Hidden() && (strDisk == names.Vault() || names.InBox(strDisk))) {
        ProtectedFileKeys keys;
        const bool bKeys = pKey && pKey->FileKeys(&keys);
        return WalkHidden(strDisk, HiddenWalk{names, bReadBody, bKeys ? &keys : nullptr, fnVisit},
                          pEnv);
    }
    return ScanStoredFiles(
        strDisk, bReadBody,
        [&](const StoredFileScan& scan) {
            SurveyItem item;
            item.scan = scan;
            item.strShown = scan.strPath;
            item.strLiesAt = StoredPlaceOf(scan.strPath);
            fnVisit(item);
        },
        pEnv, pKey);
}

bool IsAwayFromPlace(const SurveyItem& item) {
    const StoredFileScan& scan = item.scan;
    return scan.bMetadata && !scan.metadata.strPlace.empty() &&
           scan.metadata.strPlace != item.strLiesAt;
}

}  // namespace quovex
