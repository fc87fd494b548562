// The file objects of the real file system (PosixEnv.cpp), on POSIX calls.
// Internal to the core.
#pragma once

#include <sys/stat.h>

#include <memory>
#include <string>

#include "VaultEnv.h"

namespace quovex {

// The stamp of what fstat or lstat told.
FileStamp StampOfStat(const struct stat& st);

// Opens a regular file for reading at strName relative to the folder nDirFd
// (AT_FDCWD for a path), never through a final link and without blocking on
// a pipe; null for anything else.
std::unique_ptr<CReadableFile> OpenRegularFile(int nDirFd, const std::string& strName);

// A new file for strTarget: unnamed in the target's folder where the file
// system offers that (O_TMPFILE), else a dot-named temporary beside it.
std::unique_ptr<CWritableFile> CreateNewFile(const std::string& strTarget, unsigned nMode);

}  // namespace quovex
