// What the properties dialog shows of a protected stored file, read with
// the open vault's key, and its summary written into the slot that does not
// hold the newest record (so that a torn write leaves the old summary).
// Stateless; any thread.
#pragma once

#include <string>

#include "StoredFileInfo.h"

namespace quovex {

class CVaultKey;

// ReadStoredFileInfo for a stored file of either format: one that begins
// with the protected signature is read with key (bProtected set; bStored
// once a slot opened with key's file keys, so a file of another vault or
// with both slots damaged shows its stamp and creation time only). Its date
// is the storage time the metadata holds; its texts are never unreadable.
StoredFileInfo ReadAnyStoredFileInfo(const std::string& strPath, const CVaultKey& key,
                                     CVaultEnv* pEnv = nullptr);

// The summary of the protected stored file strPath set to strSummary
// (UTF-8), provided the file is still the one that was read (the same
// object, size and modification time as `expected`) and its slots still
// open with key. One slot is written in place and synced; nothing is
// written unless every check passed. SUMMARY_TOO_LONG beyond what a slot
// holds, SUMMARY_NOT_ENCODABLE for text with a NUL or not UTF-8.
SummaryWriteResult WriteProtectedSummary(const std::string& strPath, const FileStamp& expected,
                                         const std::string& strSummary, const CVaultKey& key,
                                         CVaultEnv* pEnv = nullptr);

}  // namespace quovex
