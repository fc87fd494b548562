// The narrow seam through which the storage core reaches the file system.
// CPosixEnv (PosixEnv.cpp) is the real one; tests wrap it to inject faults.
// Paths are UTF-8 text. Nothing here throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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

class CReadableFile {
public:
    virtual ~CReadableFile() = default;
    // Reads up to nCount bytes; returns the number read (0 at the end) or -1.
    virtual std::int64_t Read(void* pBuffer, std::size_t nCount) = 0;
    // The file's length when it was opened.
    virtual std::uint64_t Size() const = 0;
};

class CWritableFile {
public:
    virtual ~CWritableFile() = default;
    virtual bool Append(const void* pData, std::size_t nCount) = 0;
    // Makes the written data durable.
    virtual bool Sync() = 0;
    // Closes the file; false when buffered data could not be written.
    virtual bool Close() = 0;
};

class CVaultEnv {
public:
    virtual ~CVaultEnv() = default;

    // The process-wide real file system.
    static CVaultEnv* Default();

    virtual std::unique_ptr<CReadableFile> OpenForRead(const std::string& strPath) = 0;
    // Creates a new, empty file beside strTarget, exclusively (never through
    // an existing name or link), with the given mode; *pTempPath receives
    // its path. The name begins with a dot, so folder walks pass it over.
    virtual std::unique_ptr<CWritableFile> CreateTempBeside(const std::string& strTarget,
                                                            unsigned nMode,
                                                            std::string* pTempPath) = 0;
    // Atomically replaces strTo (a file or link, never a folder) by strFrom.
    virtual bool RenameFile(const std::string& strFrom, const std::string& strTo) = 0;
    virtual bool DeleteFile(const std::string& strPath) = 0;
    // Removes an empty folder.
    virtual bool RemoveFolder(const std::string& strPath) = 0;
    virtual bool CreateFolder(const std::string& strPath, unsigned nMode) = 0;
    // What lies at strPath, without following a final link.
    virtual EntryKind GetKind(const std::string& strPath) = 0;
    // The length of the regular file at strPath (a final link not
    // followed); false when there is none or it cannot be examined.
    virtual bool GetFileSize(const std::string& strPath, std::uint64_t* pSize) = 0;
    // The entries of a folder in the file system's order, without "." and
    // "..", each with its kind as GetKind would give it (most file systems
    // tell the kinds with the names, which saves a look per entry). A link
    // to a folder is listed through. False when it cannot be listed.
    virtual bool ListFolder(const std::string& strPath, std::vector<FolderEntry>* pEntries) = 0;
    // Total free bytes of the volume holding strPath, asked of its nearest
    // existing folder. False when it cannot be determined.
    virtual bool GetFreeSpace(const std::string& strPath, std::uint64_t* pFree) = 0;
    // Flushes everything written to the volume holding strPath.
    virtual bool SyncVolume(const std::string& strPath) = 0;
};

}  // namespace quovex
