// The narrow seam through which the storage core reaches the file system.
// CPosixEnv (PosixEnv.cpp) is the real one; tests wrap it to inject faults
// and to stage what other programs do to the disk while a run goes on.
//
// Walks and deletions work relative to open folders (CFolder), so a folder
// swapped for a link during a run cannot lead them elsewhere; names inside a
// folder are never looked up through a link. Paths are UTF-8 text. Nothing
// here throws. Any thread.
//
// A call that fails (false, null, -1, COMMIT_FAILED) leaves errno telling
// why, as the system call behind it did; where the env itself refuses
// something, it says so in the same terms: ELOOP for a link, EISDIR for a
// folder, ENXIO for a pipe, device or socket where a regular file was
// asked for. The core reads errno right after the failed call
// (FailReason.h).
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "StreamSizes.h"

namespace quovex {

enum class EntryKind {
    ENTRY_NONE,    // nothing there (or it cannot be examined)
    ENTRY_FILE,    // a regular file
    ENTRY_FOLDER,  // a folder
    ENTRY_LINK,    // a symbolic link, never followed
    ENTRY_OTHER,   // a device, pipe or socket
};

// One name of a folder listing and what lies there, links not followed.
struct FolderEntry {
    std::string strName;
    EntryKind kind;
};

// What a file system object is, enough to know it again later: the same
// object (device and inode) and, for a file, the same content as far as
// its size, modification time and status change time (with nanoseconds)
// tell. The status change time cannot be set by any program, so a file
// rewritten in place and given its old modification time again (as a
// protected stored file always carries one fixed time) is still told.
struct FileStamp {
    EntryKind kind = EntryKind::ENTRY_NONE;
    std::uint64_t nDevice = 0;
    std::uint64_t nInode = 0;
    std::uint64_t nSize = 0;
    std::int64_t nModSeconds = 0;
    std::int64_t nModNanos = 0;
    std::int64_t nChangeSeconds = 0;  // st_ctim; 0 where a file system keeps none
    std::int64_t nChangeNanos = 0;
    unsigned nMode = 0;  // permission bits
    unsigned nOwner = 0;
    unsigned nGroup = 0;

    bool SameObject(const FileStamp& other) const {
        return kind != EntryKind::ENTRY_NONE && kind == other.kind && nDevice == other.nDevice &&
               nInode == other.nInode;
    }
    bool SameContent(const FileStamp& other) const {
        return SameObject(other) && nSize == other.nSize && nModSeconds == other.nModSeconds &&
               nModNanos == other.nModNanos && nChangeSeconds == other.nChangeSeconds &&
               nChangeNanos == other.nChangeNanos;
    }
};

class CReadableFile {
public:
    virtual ~CReadableFile() = default;
    // Reads up to nCount bytes; returns the number read (0 at the end) or -1.
    virtual std::int64_t Read(void* pBuffer, std::size_t nCount) = 0;
    // The file's length when it was opened.
    virtual std::uint64_t Size() const = 0;
    // The file as it was when it was opened.
    virtual const FileStamp& OpenStamp() const = 0;
    // The open file as it is now. False when it cannot be examined.
    virtual bool GetStamp(FileStamp* pStamp) = 0;
    // When the open file came into being, in seconds since 1970 (UTC): its
    // birth time where the file system keeps one, else its last
    // modification. False when it cannot be examined.
    virtual bool GetCreationTime(std::int64_t* pSeconds) {
        FileStamp stamp;
        if (!GetStamp(&stamp)) return false;
        *pSeconds = stamp.nModSeconds;
        return true;
    }
};

// An existing regular file opened to be changed in place: nothing else of
// it changes, and it is neither created nor truncated by the opening.
class CUpdatableFile {
public:
    virtual ~CUpdatableFile() = default;
    // Reads up to nCount bytes at nOffset; the number read (0 at the end) or -1.
    virtual std::int64_t ReadAt(void* pBuffer, std::size_t nCount, std::uint64_t nOffset) = 0;
    // Writes all nCount bytes at nOffset; false when they could not all be written.
    virtual bool WriteAt(const void* pData, std::size_t nCount, std::uint64_t nOffset) = 0;
    // Makes the written data durable.
    virtual bool Sync() = 0;
    // The open file as it is now. False when it cannot be examined.
    virtual bool GetStamp(FileStamp* pStamp) = 0;
    // Gives the file the modification time given (and the same access
    // time). False (errno set) where the file system refuses, as by default.
    virtual bool SetTimes(std::int64_t nSeconds, std::uint32_t nNanos) {
        (void)nSeconds, (void)nNanos;
        errno = ENOTSUP;
        return false;
    }
};

// How putting a finished file in place went.
enum class CommitResult {
    COMMIT_DONE,    // the file is in place
    COMMIT_TAKEN,   // not replacing, and the name was taken meanwhile
    COMMIT_FAILED,  // anything else; the target is as it was
};

// A new file being written for one target. It becomes visible at the
// target only by Commit; until then, and after a failure, the target is as
// it was, and whatever the file was written into disappears with the
// object.
class CWritableFile {
public:
    virtual ~CWritableFile() = default;
    virtual bool Append(const void* pData, std::size_t nCount) = 0;
    // Makes the file durable: its data and what describes it.
    virtual bool Sync() = 0;
    // Gives the file the permission bits, and where the process may set
    // them the owner and group, of the file it is going to replace.
    virtual bool TakeAccessOf(const FileStamp& replaced) = 0;
    // Gives the file the modification time given (and the same access
    // time), to be called after the last Append. False (errno set) where
    // the file system refuses, as by default.
    virtual bool SetTimes(std::int64_t nSeconds, std::uint32_t nNanos) {
        (void)nSeconds, (void)nNanos;
        errno = ENOTSUP;
        return false;
    }
    // Puts the file at its target. Not replacing, the name must be free at
    // that moment (COMMIT_TAKEN when it is not); replacing, whatever file or
    // link lies there is replaced atomically. After COMMIT_TAKEN or
    // COMMIT_FAILED the file may be committed again (and synced, and given
    // access, before that); after COMMIT_DONE it is in place for good.
    virtual CommitResult Commit(bool bReplace) = 0;
    // The bytes written so far, opened anew for reading from the start, so
    // that a caller can check what reached the file before it commits it.
    // Null (errno set) when they cannot be read back, as by default.
    virtual std::unique_ptr<CReadableFile> ReadBack() {
        errno = ENOTSUP;
        return nullptr;
    }
};

// An open folder. Names are looked up in it and never through a link.
class CFolder {
public:
    virtual ~CFolder() = default;
    // The folder itself, as it is now.
    virtual bool GetOwnStamp(FileStamp* pStamp) = 0;
    // When the folder came into being, as CReadableFile::GetCreationTime.
    virtual bool GetCreationTime(std::int64_t* pSeconds) {
        FileStamp stamp;
        if (!GetOwnStamp(&stamp)) return false;
        *pSeconds = stamp.nModSeconds;
        return true;
    }
    // The entries in the file system's order, without "." and "..", each
    // with its kind as GetStamp would give it. False when it cannot be listed.
    virtual bool List(std::vector<FolderEntry>* pEntries) = 0;
    // The sub-folder strName; null when it is not a folder (a link included).
    virtual std::shared_ptr<CFolder> OpenFolder(const std::string& strName) = 0;
    // The regular file strName, opened for reading without blocking; null
    // for anything else (a link, a pipe, a device included).
    virtual std::unique_ptr<CReadableFile> OpenFile(const std::string& strName) = 0;
    // What lies at strName, a link not followed.
    virtual bool GetStamp(const std::string& strName, FileStamp* pStamp) = 0;
    // A new, empty file with the given mode (narrowed by the umask) that
    // will be put at strName in this folder by its Commit. Null when none
    // can be made here.
    virtual std::unique_ptr<CWritableFile> CreateFileFor(const std::string& strName,
                                                         unsigned nMode) = 0;
    // Removes the file or link strName.
    virtual bool DeleteFile(const std::string& strName) = 0;
    // Removes the empty folder strName.
    virtual bool RemoveFolder(const std::string& strName) = 0;
    // Gives the file or folder strFrom the name strTo in this folder, never
    // replacing: false with EEXIST when strTo is taken. Where the file
    // system offers no no-replace rename, a file is linked and unlinked, and
    // without links the name is looked at right before a plain rename (one
    // system call's window, as a commit has). False (errno set) on any
    // other failure, ENOTSUP by default.
    virtual bool RenameEntry(const std::string& strFrom, const std::string& strTo) {
        (void)strFrom, (void)strTo;
        errno = ENOTSUP;
        return false;
    }
    // Gives the folder itself the modification and access time nSeconds
    // (and nNanos) since the epoch. False (errno set) where the file system
    // does not let it, ENOTSUP by default.
    virtual bool SetOwnTimes(std::int64_t nSeconds, std::uint32_t nNanos) {
        (void)nSeconds, (void)nNanos;
        errno = ENOTSUP;
        return false;
    }
    // Makes the names in this folder durable, as commits and deletions left
    // them.
    virtual bool Sync() = 0;
    // True when a flush of this folder's volume (CVaultEnv::SyncVolume)
    // makes whatever is written in it durable: a local file system known
    // to work so. False elsewhere (FUSE, network file systems, anything
    // unknown), where such a flush may not reach the server that holds the
    // data, and each file and the folder that names it are synced on their
    // own.
    virtual bool VolumeSyncCovers() = 0;
};

using FolderPtr = std::shared_ptr<CFolder>;

// A volume and its free space.
struct VolumeSpace {
    std::uint64_t nVolume = 0;  // tells volumes apart (the device number)
    std::uint64_t nFree = 0;    // bytes an ordinary user may still write
};

class CVaultEnv {
public:
    virtual ~CVaultEnv() = default;

    // Calls that some file systems refuse (exFAT through FUSE refuses all
    // three). A real file system can be made to act as if they were
    // refused, so that the way taken on such file systems is tried on any
    // disk.
    enum Refusal : unsigned {
        REFUSE_UNNAMED_FILES = 1u << 0,     // O_TMPFILE
        REFUSE_NOREPLACE_RENAME = 1u << 1,  // renameat2(RENAME_NOREPLACE)
        REFUSE_HARD_LINKS = 1u << 2,        // linkat; an unnamed file needs it to be named
    };

    // The process-wide real file system. Only the programs' entry points
    // (and the tests) name it: everything else works on the env it is
    // given, so that no call escapes a test's fault env to the real disk.
    static CVaultEnv* Default();
    // A real file system that refuses the calls in nRefused (Refusal bits)
    // as if the file system did.
    static std::unique_ptr<CVaultEnv> CreateRefusing(unsigned nRefused);

    // Opens the folder at strPath. Links on the way to it, and the path
    // itself, are followed: a walk may start from a folder reached through
    // a link. Null when it is not a folder or cannot be opened.
    virtual FolderPtr OpenFolder(const std::string& strPath) = 0;
    // Opens a regular file for reading, a final link not followed, without
    // blocking; null for anything else.
    virtual std::unique_ptr<CReadableFile> OpenForRead(const std::string& strPath) = 0;
    // Opens an existing regular file for reading and writing in place, a
    // final link not followed, without blocking, creating or truncating
    // it; null for anything else, or when it may not be written.
    virtual std::unique_ptr<CUpdatableFile> OpenForUpdate(const std::string& strPath) = 0;
    // Makes the folder strPath. Where a flush of the volume does not cover
    // the folder above, its new name is made durable at once, so that what
    // is stored below it can be found after a crash.
    virtual bool CreateFolder(const std::string& strPath, unsigned nMode) = 0;
    // What lies at strPath, without following a final link. False (and a
    // stamp of kind ENTRY_NONE) when nothing is there or it cannot be examined.
    virtual bool GetStamp(const std::string& strPath, FileStamp* pStamp) = 0;
    // The volume that holds strPath, asked of its nearest existing folder
    // (where a write to strPath would make its folders), and the bytes an
    // ordinary user may still write there. False when it cannot be determined.
    virtual bool GetFreeSpace(const std::string& strPath, VolumeSpace* pSpace) = 0;
    // Flushes everything written to the volume holding strPath that the
    // kernel holds; a FUSE or network server may hold more (see
    // CFolder::VolumeSyncCovers).
    virtual bool SyncVolume(const std::string& strPath) = 0;

    // The kind of what lies at strPath, a final link not followed.
    EntryKind GetKind(const std::string& strPath) {
        FileStamp stamp;
        GetStamp(strPath, &stamp);
        return stamp.kind;
    }

    // The sizes files are streamed with here (StreamSizes.h): the
    // constants there on the real file system. A store takes them when it
    // is made.
    virtual StreamSizes Sizes() const { return StreamSizes(); }
    // A real file system that refuses the calls in nRefused, as
    // CreateRefusing, and streams with sizes: its new files are flushed
    // behind every sizes.nFlushStep bytes. Tests make small files take the
    // ways of large ones with it.
    static std::unique_ptr<CVaultEnv> CreateSized(unsigned nRefused, const StreamSizes& sizes);
};

}  // namespace quovex
