// The user's answer to the versions of one plain name (StoredVersions.h):
// keep one of them, or keep them all under names of their own. Both work
// on the versions of one folder as ReadStoredVersions numbered them, and
// touch a version only while it is still the file that was read.
//
// Nothing is lost on a failure: a version is deleted only when the user
// asked for it to go, and a version renamed keeps its content at its old
// name until the rename, which never replaces a file; a version whose new
// place was written but whose rename failed gets its old place back (were
// that to fail too, it still opens under its old name, reported as lying
// away from its place).
//
// Quick (no progress, no question), so the interface thread may call them,
// except where a protected file of the first version must be written anew
// to record its place, which reads and writes the whole file. Never throw.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "FileOutcome.h"
#include "StoredVersions.h"

namespace quovex {

class CVaultEnv;
class CVaultKey;

// What resolving came to.
struct VersionsResolution {
    // FILE_DONE when every step went through; FILE_CHANGED when a version
    // is no longer the file that was read (nothing was done then, or, for
    // a version to be deleted, that one was left); else the cause of the
    // first step that failed (FAIL_PATH_NOT_STORABLE: the names do not open
    // here, so no new name can be given; FAIL_OTHER with EINVAL: no such
    // version, or versions of more than one folder).
    FileResult result;
    // The on-disk paths of the versions that are still under the shared
    // plain name although they should not be: not deleted, or not renamed.
    std::vector<std::string> vLeft;
    // KeepAllVersions: the plain name of each version afterwards, by
    // version (element n - 1), "" for one that could not be renamed.
    std::vector<std::string> vNames;
};

// Keeps version nKeep (1 to vVersions.size()) and deletes every other one
// as the window deletes a stored file (DeleteOneFile; in a protected vault
// the folder then gets its fixed time back). Nothing is deleted unless the
// kept version is still the file that was read. A kept sync engine's
// conflict copy then takes a name of the vault's own, once no other
// version is left (where that rename fails it keeps its copy's name: a
// version alone all the same).
VersionsResolution KeepOneVersion(const std::vector<StoredVersion>& vVersions, std::size_t nKeep,
                                  const CVaultKey& key, CVaultEnv* pEnv);

// Keeps every version: the newest keeps the plain name, and each other one,
// the oldest first, takes the first free name of the folder of the form
// "report (2).txt", "report (3).txt" (NumberedName). A protected version
// first records its new place in its sealed metadata (in the slot not in
// force; a file of the first version, or one without room, is written anew
// as the hiding of a vault's names does), then takes the new on-disk name
// by a rename that never replaces. Nothing is done unless every version is
// still the file that was read.
VersionsResolution KeepAllVersions(const std::vector<StoredVersion>& vVersions,
                                   const CVaultKey& key, CVaultEnv* pEnv);

// strName with " (n)" put before its extension (from its last dot; a
// dot-name's, or a name without a dot, at its end): "report.txt", 2 gives
// "report (2).txt".
std::string NumberedName(const std::string& strName, unsigned n);

}  // namespace quovex
