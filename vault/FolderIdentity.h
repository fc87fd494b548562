// Where a folder really lies, whatever the spelling of the path that led to
// it: folders are compared by device and inode, and "inside" is decided by
// going up through "..". Used to keep the vault out of its own runs.
// Stateless; any thread.
#pragma once

#include <string>

#include "VaultEnv.h"

namespace quovex {

// Whether the open folder is the one stamped by folder.
bool IsSameFolder(const FolderPtr& pFolder, const FileStamp& folder);

// Whether the open folder is the one stamped by folder or lies below it.
// False when either cannot be read.
bool IsWithinFolder(FolderPtr pFolder, const FileStamp& folder);

// Whether a file or folder at strPath would lie in the folder stamped by
// folder: decided on the nearest folder of strPath that exists (strPath
// itself when it is a folder), reached as a write there would reach it.
bool PathLeadsInto(CVaultEnv* pEnv, const std::string& strPath, const FileStamp& folder);

// Whether the folder at strInner lies below (or is) the folder at strOuter.
// False when either cannot be opened.
bool FolderLiesWithin(CVaultEnv* pEnv, const std::string& strInner, const std::string& strOuter);

}  // namespace quovex
