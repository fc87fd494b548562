// What the properties dialogs show of a stored file or a folder, and the
// one change made to a stored file after it was stored: its summary,
// rewritten in place. A scrambled file's header is plain and read without
// the key; a protected file's metadata is sealed and read with the open
// vault's key, without which only what the file shows of itself is known.
// Stateless; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "StoredFormat.h"
#include "VaultEnv.h"

namespace quovex {

class CVaultKey;

// Which format a file's signature names.

// How far a protected file's sealed metadata could be read.
enum class SealedInfo {
    SEALED_NO_KEY,          // no protected vault's key was given: only the plain facts are known
    SEALED_OPENED,          // a slot opened with the key
    SEALED_NOT_OPENED,      // neither slot opens with the key: damaged, or stored in another vault
    SEALED_OTHER_VAULT,     // the header names another vault than the key's
    SEALED_DAMAGED_HEADER,  // the plain header is cut short or holds a slot size no writer makes
    SEALED_UNSUPPORTED,     // a version this build does not read
};

// One file as far as it could be read. The texts are UTF-8; a scrambled
// header field whose bytes are not valid GB18030 is left empty and
// flagged, so that it is shown as unreadable and never written back.
struct StoredFileInfo {
    bool bOpened = false;            // the file could be opened for reading
    FileStamp stamp;                 // the file when it was opened (nSize: its stored length)
    bool bHasCreationTime = false;   // nCreationTime holds a time
    std::int64_t nCreationTime = 0;  // seconds since 1970 (UTC)
    StoredKind nKind = StoredKind::STORED_NONE;
    // The fields below are known: a scrambled header was read whole, or a
    // protected file's metadata opened.
    bool bStored = false;
    std::uint64_t nPlainSize = 0;
    std::string strSourcePath;
    bool bSourceUnreadable = false;
    std::string strSummary;
    bool bSummaryUnreadable = false;

    // A protected file's own: how its metadata was read and, once opened,
    // the storage time and mode it records. bTornSlot: one slot did not
    // open (a summary edit torn by a crash, or damage); the other served.
    SealedInfo nSealed = SealedInfo::SEALED_NO_KEY;
    std::int64_t nStoredTime = 0;  // seconds since 1970 (UTC)
    std::uint32_t nMode = 0;
    bool bTornSlot = false;
    // Recorded by the second version: the plain place the file was stored
    // at ("" when not recorded), whether it now lies elsewhere (moved,
    // renamed or swapped by hand), and the source's modification time.
    std::string strPlace;
    bool bAwayFromPlace = false;
    bool bSourceTime = false;
    std::int64_t nSourceTime = 0;  // seconds since 1970 (UTC)
    std::uint32_t nSourceNanos = 0;
};

// The longest summary a stored file of nKind takes, in bytes of the text
// its format keeps: GB18030 for a scrambled file (SFF_TEXT_MAX_BYTES),
// UTF-8 for a protected one (PFF_SUMMARY_MAX_BYTES); 0 for anything else.
std::size_t SummaryLimitBytes(StoredKind nKind);

// Reads the file strPath (a final link not followed). A file that cannot
// be opened gives bOpened false and nothing else; one without a signature
// gives its stamp and creation time only. A protected file's metadata is
// read only with pKey holding a protected vault's master key.
StoredFileInfo ReadStoredFileInfo(const std::string& strPath, CVaultEnv* pEnv,
                                  const CVaultKey* pKey = nullptr);

// The plain place a stored file strName of the open folder records in its
// sealed metadata ("FileBox/资料/a.doc"), read with pKey; "" when it
// records none or its metadata does not open.
std::string SealedPlaceAt(CFolder& folder, const std::string& strName, const CVaultKey* pKey);

// What the folder properties show as the size of strFolder: the plain
// sizes of the stored files below it at any depth. A scrambled file's
// comes from its header; a protected file's from its sealed metadata when
// pKey holds its vault's master key, else (no key, or metadata that does
// not open) its stored length, which is more than it holds. A file of
// neither format counts 0.
std::uint64_t GetPlainTotalSize(const std::string& strFolder, const CVaultKey* pKey,
                                CVaultEnv* pEnv);

// The creation time of the regular file strPath (a final link not
// followed), as CReadableFile::GetCreationTime. False when it cannot be
// opened.
bool ReadFileCreationTime(const std::string& strPath, std::int64_t* pSeconds, CVaultEnv* pEnv);

// The creation time of the folder strPath (which may be reached through a
// link), as CFolder::GetCreationTime. False when it cannot be opened.
bool ReadFolderCreationTime(const std::string& strPath, std::int64_t* pSeconds, CVaultEnv* pEnv);

enum class SummaryWriteResult {
    SUMMARY_WRITTEN,        // the summary is in the file, on disk
    SUMMARY_FILE_CHANGED,   // the file changed, vanished or is no longer a stored file
    SUMMARY_TOO_LONG,       // more than SummaryLimitBytes of the file's kind
    SUMMARY_NOT_ENCODABLE,  // not valid UTF-8, or it holds a NUL
    SUMMARY_WRITE_FAILED,   // the file may not be written, or writing or syncing failed
    SUMMARY_NEEDS_KEY,      // a protected file, and no protected vault's key was given
    SUMMARY_NOT_OPENED,     // a protected file whose metadata does not open with the key
                            // (damaged, stored in another vault, or of a later version)
};

// Replaces the summary of the stored file strPath with strSummary (UTF-8),
// provided the file is still the one that was read: the same object with
// the size and modification time of `expected`, beginning with a
// signature. Nothing is written at all unless every check passed.
//
// A scrambled file: the whole 128-byte field is written in place, the
// GB18030 text padded with zero bytes, and synced; no other byte changes.
// A write that fails part way can leave part of the field new.
//
// A protected file (pKey must hold its vault's master key): its slots are
// opened, and only the slot that is not in force is written, with the
// record in force carrying the new summary, then synced; no other byte
// changes. A write torn part way leaves that slot unopenable and the
// summary before the edit in force.
SummaryWriteResult WriteStoredSummary(const std::string& strPath, const FileStamp& expected,
                                      const std::string& strSummary, CVaultEnv* pEnv,
                                      const CVaultKey* pKey = nullptr);

enum class PlaceWriteResult {
    PLACE_WRITTEN,         // the place is in the file, on disk
    PLACE_FILE_CHANGED,    // the file changed, vanished or is no longer a protected stored file
    PLACE_NEEDS_NEW_FILE,  // the first version (no place in its records), or no room in its slots
    PLACE_WRITE_FAILED,    // the file may not be written, or writing or syncing failed (errno)
    PLACE_NOT_OPENED,      // its metadata does not open with the key, or no keys
};

// Makes the protected stored file strPath record strPlace as its plain
// place in the vault, provided it is still the file that was read (as
// WriteStoredSummary): only the slot that is not in force is written, with
// the record in force carrying the new place, then synced; no other byte
// changes, and a write torn part way leaves the place before in force.
// key must hold the vault's master key. Nothing is written unless every
// check passed.
PlaceWriteResult WriteStoredPlace(const std::string& strPath, const FileStamp& expected,
                                  const std::string& strPlace, CVaultEnv* pEnv,
                                  const CVaultKey& key);

}  // namespace quovex
