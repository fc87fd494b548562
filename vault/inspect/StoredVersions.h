// The versions of one plain name: the stored files a folder lists under
// the same plain name. A vault in a folder that a sync engine shares meets
// them when two machines stored the same name while apart (hidden names:
// two on-disk names, one plain name), when the engine keeps a conflict copy
// ("a.doc.sync-conflict-20261209-022408-S3MHZRP.$", or a sealed name with
// that infix), and when a store that replaces a hidden name was cut off
// between writing the new file and removing the old one.
//
// Versions are numbered 1..N from the oldest to the newest by storage time
// (equal times by on-disk name), so that "the newest" is always N. Reads
// only; stateless; any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "PlainNames.h"

namespace quovex {

class CVaultKey;

// One version, as far as it could be read.
struct StoredVersion {
    std::string strDisk;  // its path on disk
    FileStamp stamp;      // the file as it was read (kind ENTRY_NONE: it could not be opened)
    // The fields below were read: a scrambled file's plain header, or a
    // protected file's sealed metadata with the vault's key.
    bool bRead = false;
    // Seconds since 1970 (UTC): a protected file's recorded storage time, a
    // scrambled file's creation time (else its modification time); 0 when
    // unknown.
    std::int64_t nStoredTime = 0;
    std::uint64_t nPlainSize = 0;
    std::string strSummary;
    // The path the file was stored from: which machine's folder it came
    // from tells two stores apart where no engine names a device.
    std::string strSourcePath;
    // The machine a sync engine's conflict copy names (ConflictCopyName::
    // strDevice); "" for a file of no engine's naming, or one that names none.
    std::string strDevice;
};

// Reads the stored files vDisk (paths on disk, all of one plain name) as
// versions, with pKey for protected files (null: their metadata stays
// sealed and they sort by name alone), and returns them numbered: version n
// is element n - 1. A file that cannot be read is still a version, unread.
std::vector<StoredVersion> ReadStoredVersions(const std::vector<std::string>& vDisk,
                                              const CVaultKey* pKey, CVaultEnv* pEnv);

// The versions of the stored file of plain path strPlainPath in the vault
// at strVault ("FileBox/资料/a.doc.$", as ResolvePlainPath takes it), read
// with the key the names hold. PLAIN_PATH_FOUND (one version) and
// PLAIN_PATH_VERSIONS fill *pVersions; anything else (a folder included,
// given as PLAIN_PATH_MISSING) leaves it empty.
PlainPathResult FindVersionsOf(const CPlainNames& names, const std::string& strVault,
                               const std::string& strPlainPath,
                               std::vector<StoredVersion>* pVersions);

// One plain name of a folder listing with more than one stored file.
struct VersionGroup {
    std::string strPlain;                 // the plain name, without ".$"
    std::vector<std::string> vDiskNames;  // the on-disk names, in listing order
};

// The plain names of vEntries (ListPlainEntries) that more than one stored
// file goes by, opened ones and those lying away alike, in the order each
// first appears.
std::vector<VersionGroup> GroupVersions(const std::vector<PlainEntry>& vEntries);

}  // namespace quovex
