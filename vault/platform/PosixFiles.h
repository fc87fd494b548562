// The file objects of the real file system (PosixEnv.cpp), on POSIX calls.
// Internal to the core.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <string>

#include "VaultEnv.h"

namespace quovex {

// The stamp of what fstat or lstat told.
FileStamp StampOfStat(const struct stat& st);
// futimens of the open file nFd: access and modification time both set to
// the time given. False with errno set when the file system refuses.
bool SetFileTimes(int nFd, std::int64_t nSeconds, std::uint32_t nNanos);

// Opens a regular file for reading at strName relative to the folder nDirFd
// (AT_FDCWD for a path), never through a final link and without blocking on
// a pipe; null for anything else.
std::unique_ptr<CReadableFile> OpenRegularFile(int nDirFd, const std::string& strName);

// A reader of the open regular file nFd, which it takes over (closed also
// when it is not a regular file: null then, errno ENXIO or EISDIR).
std::unique_ptr<CReadableFile> AdoptRegularFile(int nFd);

// Opens the existing regular file strPath for reading and writing in
// place, never through a final link, without blocking, creating or
// truncating it; null for anything else.
std::unique_ptr<CUpdatableFile> OpenUpdatableFile(const std::string& strPath);

// A new file for strName in the open folder nDirFd (which pFolder keeps
// open): unnamed in that folder where the file system offers that
// (O_TMPFILE), else a dot-named temporary beside its target. nRefused
// (CVaultEnv::Refusal bits) names calls to act as if the file system
// refused them; on a volume that one flush covers, the file is flushed
// behind its writing every nFlushStep bytes (StreamSizes.h).
std::unique_ptr<CWritableFile> CreateNewFile(FolderPtr pFolder, int nDirFd,
                                             const std::string& strName, unsigned nMode,
                                             unsigned nRefused, std::uint64_t nFlushStep);

// Renames strFrom to strTo in the folder nDirFd only when strTo is free
// (errno EEXIST when it is not), by the best means the file system offers:
// renameat2(RENAME_NOREPLACE), else link and unlink, else a look right
// before a plain rename. nRefused: calls to act as if it refused. 0 or -1.
int RenameNoReplace(int nDirFd, const std::string& strFrom, const std::string& strTo,
                    unsigned nRefused);

// True when a flush of the volume holding the open file or folder nFd
// makes what is written there durable (CFolder::VolumeSyncCovers).
bool VolumeSyncCoversFd(int nFd);

}  // namespace quovex
