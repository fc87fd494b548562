// The folder walks: entries whose names begin with a dot are passed over,
// and symbolic links are never followed (only the folder a walk starts from
// may be reached through one). Stored files found, and sizes summed, by
// walking. Stateless; any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "FailReason.h"
#include "VaultEnv.h"

namespace quovex {

// One entry met by a walk: its name in the open folder that holds it, and
// its full path for what is shown and reported.
struct WalkEntry {
    const FolderPtr& pFolder;
    const std::string& strName;
    const std::string& strPath;
    EntryKind kind;
};

// Whether strName is a sync engine's own: its temporaries beside the files
// it is receiving (".syncthing.*.tmp", "~syncthing~*") and its folders
// (".stfolder", ".stversions"). No walk, listing, count or restore takes
// them: a half-received stored file is none of the vault's.
bool IsSyncEngineName(const std::string& strName);

// Visits each entry of the open folder pFolder (whose path is
// strFolderPath) in listing order, passing over names that begin with a
// dot and a sync engine's (IsSyncEngineName). fnVisit returns false to end the walk. False when the
// folder cannot be listed, with why in *pFailure when given (taken right after the listing failed;
// for a null pFolder the caller tells its own failure to open it). A visitor goes deeper by opening
// the entry through pFolder.
using WalkVisitor = std::function<bool(const WalkEntry& entry)>;
bool WalkFolder(const FolderPtr& pFolder, const std::string& strFolderPath,
                const WalkVisitor& fnVisit, FailCause* pFailure = nullptr);

// A folder opened, or why it could not be: the cause is taken right after
// the call that failed, before any other call can change errno.
struct OpenedFolder {
    FolderPtr pFolder;
    FailCause failure;
};
// The folder strName in parent, a link not followed; or the path strPath
// (links followed, as a walk may start from one).
OpenedFolder OpenSubFolder(CFolder& parent, const std::string& strName);
OpenedFolder OpenFolderAt(CVaultEnv* pEnv, const std::string& strPath);
// The same from the folder at strFolder (which may be reached through a link).
bool WalkFolder(CVaultEnv* pEnv, const std::string& strFolder, const WalkVisitor& fnVisit);

// True when the name's extension (from its last dot) begins with ".$",
// the mark of a stored file ("a.txt.$", also "a.$abc").
bool IsStoredFileName(const std::string& strName);

// The first file, depth first in listing order, whose extension begins
// with ".$"; "" when there is none.
std::string FindFirstStoredFile(const std::string& strFolder, CVaultEnv* pEnv);
// FindFirstStoredFile of the vault at strVaultPath, looking only into its
// box folders (in the location's listing order): a location may also hold
// the user's other files, and a stray ".$" file among them is none of the
// vault's.
std::string FindFirstStoredFileInBoxes(const std::string& strVaultPath, CVaultEnv* pEnv);

// Sums fnMeasure over every regular file below the open folder pFolder
// (whose path is strPath) at any depth, walked as WalkFolder does; it is
// given the open folder that holds the file and the file's name there.
using FileMeasure = std::function<std::uint64_t(CFolder& folder, const std::string& strName)>;
std::uint64_t SumOverFiles(const FolderPtr& pFolder, const std::string& strPath,
                           const FileMeasure& fnMeasure);

// Sum of the plain sizes recorded in the scrambled headers of all files
// below strFolder (a protected file counts 0: GetPlainTotalSize).
std::uint64_t GetStoredTotalSize(const std::string& strFolder, CVaultEnv* pEnv);

// Length of a regular file, 0 when there is none (a link counts 0).
std::uint64_t GetFileLength(const std::string& strPath, CVaultEnv* pEnv);
// Sum of the lengths of all files below a folder.
std::uint64_t GetFolderLength(const std::string& strFolder, CVaultEnv* pEnv);
// GetFolderLength of a folder, GetFileLength of a file, else 0 (links count 0).
std::uint64_t GetPathLength(const std::string& strPath, CVaultEnv* pEnv);

}  // namespace quovex
