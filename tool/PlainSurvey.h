// The walk below list and check: every stored file at or below a path on
// disk, named as the user knows it. Where names are visible it is
// ScanStoredFiles' walk; where they are hidden every folder is listed
// under its plain names (CPlainNames) and walked in the tree's order of
// those names, so that nothing of a sealed name is shown but a name that
// does not open. Main thread.
#pragma once

#include <functional>
#include <string>

#include "StoredFileScan.h"

namespace quovex {

class CToolNames;
class CVaultEnv;
class CVaultKey;

// One stored file the survey met, or a folder below the start it could not
// list (scan.bUnlistedFolder): scan.strPath is its path on disk.
struct SurveyItem {
    StoredFileScan scan;
    std::string strShown;  // the path shown: the plain one (CToolNames::Shown)
    // Its own name does not open (a folder: nothing below it was walked):
    // strShown is its path on disk.
    bool bUnreadableName = false;
    // The plain place where it lies, which its sealed place is compared
    // with; "" when its name does not open where it lies.
    std::string strLiesAt;
};
using SurveyVisitor = std::function<void(const SurveyItem& item)>;

// Calls fnVisit for every stored file at or below strDisk, with bReadBody
// and pKey as ScanStoredFiles takes them; the vault's location stands for
// its box folders. False when strDisk is neither a folder nor a file, or
// cannot be listed.
bool SurveyStoredFiles(const CToolNames& names, const std::string& strDisk, bool bReadBody,
                       const CVaultKey* pKey, const SurveyVisitor& fnVisit, CVaultEnv* pEnv);

// Whether the item's sealed metadata puts it at another place than where
// it lies (moved, renamed or swapped by hand).
bool IsAwayFromPlace(const SurveyItem& item);

}  // namespace quovex
