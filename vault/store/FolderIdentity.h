// Where a folder really lies, whatever the spelling of the path that led to
// it: folders are compared by device and inode, and "inside" is decided by
// going up through "..". Used to keep what the vault holds out of its own
// runs. Stateless; any thread.
#pragma once

#include <string>
#include <vector>

#include "VaultEnv.h"

namespace quovex {

// What a run keeps out of, each known by device and inode, so that neither
// another spelling of a path nor a link leads past it: folders that nothing
// is taken from or written into, with everything below them, and files
// that are neither taken nor replaced.
struct KeepOutSet {
    std::vector<FileStamp> vFolders;
    std::vector<FileStamp> vFiles;
};

// What the vault whose location is the open folder pLocation holds, as it
// is on disk now: its box folders and its records (VAULT_RECORD_NAMES),
// looked up in pLocation without following a link. One that is missing
// matches nothing; everything else below the location is an ordinary
// folder. Empty when pLocation is null.
KeepOutSet VaultKeepOutSet(const FolderPtr& pLocation);

// Whether the open folder is the one stamped by folder.
bool IsSameFolder(const FolderPtr& pFolder, const FileStamp& folder);

// Whether the entry stamped entry is one of keep's folders or files.
bool IsKeptOut(const FileStamp& entry, const KeepOutSet& keep);
// Whether the open folder is one of keep's folders. False when it is null.
bool IsKeptOut(const FolderPtr& pFolder, const KeepOutSet& keep);
// Whether the entry strName of the open folder, a link not followed, is
// one of keep's folders or files.
bool IsKeptOut(const FolderPtr& pFolder, const std::string& strName, const KeepOutSet& keep);

// Whether the open folder is one of keep's folders or lies below one.
// False when it cannot be read.
bool IsWithinFolder(FolderPtr pFolder, const KeepOutSet& keep);

// Whether a file or folder written at strPath would lie in one of keep's
// folders or take the place of one of its files: decided on what lies at
// strPath and on its nearest folder that exists (strPath itself when it is
// a folder), reached as a write there would reach it.
bool PathLeadsInto(CVaultEnv* pEnv, const std::string& strPath, const KeepOutSet& keep);

}  // namespace quovex
