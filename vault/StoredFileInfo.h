// What the properties dialogs show of a stored file or a folder, read
// without the key, and the one change made to a stored file after it was
// stored: its summary, rewritten in place. Stateless; any thread.
#pragma once

#include <cstdint>
#include <string>

#include "VaultEnv.h"

namespace quovex {

// The plain header of one file as far as it could be read. The texts are
// UTF-8; a field whose bytes are not valid GB18030 is left empty and
// flagged, so that it is shown as unreadable and never written back.
struct StoredFileInfo {
    bool bOpened = false;            // the file could be opened for reading
    FileStamp stamp;                 // the file when it was opened
    bool bHasCreationTime = false;   // nCreationTime holds a time
    std::int64_t nCreationTime = 0;  // seconds since 1970 (UTC)
    bool bStored = false;            // a whole header with the signature was read
    bool bProtected = false;         // of the protected format (ProtectedFileInfo.h)
    std::uint64_t nPlainSize = 0;
    std::string strSourcePath;
    bool bSourceUnreadable = false;
    std::string strSummary;
    bool bSummaryUnreadable = false;
};

// Reads the file strPath (a final link not followed). A file that cannot
// be opened gives bOpened false and nothing else; one without a whole
// header and the signature gives its stamp and creation time only.
StoredFileInfo ReadStoredFileInfo(const std::string& strPath, CVaultEnv* pEnv = nullptr);

// The creation time of the regular file strPath (a final link not
// followed), as CReadableFile::GetCreationTime. False when it cannot be
// opened.
bool ReadFileCreationTime(const std::string& strPath, std::int64_t* pSeconds,
                          CVaultEnv* pEnv = nullptr);

// The creation time of the folder strPath (which may be reached through a
// link), as CFolder::GetCreationTime. False when it cannot be opened.
bool ReadFolderCreationTime(const std::string& strPath, std::int64_t* pSeconds,
                            CVaultEnv* pEnv = nullptr);

enum class SummaryWriteResult {
    SUMMARY_WRITTEN,        // the field holds the new summary, on disk
    SUMMARY_FILE_CHANGED,   // the file changed, vanished or is no longer a stored file
    SUMMARY_TOO_LONG,       // more than SFF_TEXT_MAX_BYTES in GB18030
    SUMMARY_NOT_ENCODABLE,  // not valid UTF-8, or it holds a NUL
    SUMMARY_WRITE_FAILED,   // the file may not be written, or writing or syncing failed
};

// Replaces the summary of the stored file strPath with strSummary (UTF-8),
// provided the file is still the one that was read: the same object with
// the size and modification time of `expected`, beginning with the
// signature. The whole 128-byte field is written in place, the GB18030
// text padded with zero bytes, and synced; no other byte changes, and
// nothing is written at all unless every check passed. A write that fails
// part way can leave part of the field new.
SummaryWriteResult WriteStoredSummary(const std::string& strPath, const FileStamp& expected,
                                      const std::string& strSummary, CVaultEnv* pEnv = nullptr);

}  // namespace quovex
