// The items of a survey (list, check) gathered by the plain name they go
// by, so that the versions of one stored file are shown as one item: two
// machines stored it while apart, or a sync engine kept a conflict copy of
// it (StoredVersions.h). Main thread.
#pragma once

#include <string>
#include <vector>

#include "PlainSurvey.h"
#include "StoredVersions.h"

namespace quovex {

class CVaultEnv;
class CVaultKey;

// One plain name: its only item, or its versions.
struct SurveyGroup {
    std::string strShown;                  // the plain path shown for the name
    std::vector<SurveyItem> vItems;        // with several, in version order (version n: n - 1)
    std::vector<StoredVersion> vVersions;  // filled only with several items
    bool Versions() const { return vItems.size() > 1; }
};

// Gathers vItems (in the survey's order) by plain name, each group where
// its first item was. Where names are visible, a conflict copy's name goes
// by the name it is a copy of; a folder not listed and a name that does not
// open stay alone. Versions are numbered (ReadStoredVersions) with pKey.
std::vector<SurveyGroup> GroupSurveyItems(std::vector<SurveyItem> vItems, bool bNamesHidden,
                                          const CVaultKey* pKey, CVaultEnv* pEnv);

}  // namespace quovex
