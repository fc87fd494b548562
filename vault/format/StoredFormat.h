// A stored file's format: how a plain file becomes a stored file and back.
// Two formats live side by side: the scrambled one (ScrambledFormat.h) and
// the protected one (ProtectedFormat.h). Each stored file tells its own by
// its signature, so a vault may hold both. CFileStore does the steps both
// share (folders, questions, the commit); a format writes and reads bytes.
// Formats are immutable: any thread may use one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "FileOutcome.h"

namespace quovex {

class CReadableFile;
class CWritableFile;
struct RunContext;

// Which format a file is in, as its signature tells.
enum class StoredKind {
    STORED_NONE,       // neither signature (or too short for one): not a stored file
    STORED_SCRAMBLED,  // "QUOVEX"
    STORED_PROTECTED,  // the protected signature
};

// What a restore learns of a stored file before it chooses the target,
// and what a conversion carries over into the other format.
struct StoredHead {
    StoredKind nKind = StoredKind::STORED_SCRAMBLED;
    std::uint64_t nPlainSize = 0;
    std::string strSourcePath;     // UTF-8; "" when the recorded path is not one storing writes
    std::string strRecordedPath;   // UTF-8, as recorded, whatever its form
    std::string strSummary;        // UTF-8
    bool bTextUnreadable = false;  // the recorded path or summary is not valid text: both ""
    std::int64_t nStoredTime = 0;  // protected: seconds since 1970 (UTC); see StoredTime()
    std::uint32_t nMode = 0;       // the source's permission bits; 0 when not recorded
    // Protected files of the second version: the plain place in the vault
    // the file was stored at ("" when not recorded) and the source's
    // modification time (bSourceTime false when not recorded).
    std::string strPlace;
    bool bSourceTime = false;
    std::int64_t nSourceTime = 0;
    std::uint32_t nSourceNanos = 0;
    // False when the file records credentials other than the key's: it
    // was stored with another user name or password.
    bool bKeyMatches = true;
};

// One stored file opened for a restore: its head is read and checked, the
// body not yet.
class CStoredReader {
public:
    virtual ~CStoredReader() = default;
    virtual const StoredHead& Head() const = 0;
    // When the file was stored, in seconds since 1970 (UTC); 0 when not
    // known. A scrambled file records no time: the stored file's own
    // creation time is looked up here, a call more that only a conversion
    // makes.
    virtual std::int64_t StoredTime() { return Head().nStoredTime; }
    // Writes the plain content into target, counting run.nDone by stored
    // bytes read. FILE_DONE only when the whole body was read and found
    // sound; the target is then complete but not committed. A damaged body
    // is FAIL_DAMAGED, a cancel FILE_CANCELLED.
    virtual FileResult WritePlain(CWritableFile& target, RunContext& run) = 0;
};

class CStoredFormat {
public:
    virtual ~CStoredFormat() = default;

    // Whether a source of nSize bytes whose absolute, normal path is
    // strSource can be stored in this format at all (FILE_DONE), before
    // anything is written; otherwise why not.
    virtual FileResult CanStore(std::uint64_t nSize, const std::string& strSource) const = 0;
    // Writes the whole stored file into target: source is open at its
    // start and holds nSize bytes. strPlace is the file's plain place in the
    // vault, which a format that records it seals ("" for none). *pRead
    // receives how many bytes were read from it, so the caller can tell a
    // source that changed. Not committed. A cancel is FILE_CANCELLED.
    virtual FileResult WriteStored(CReadableFile& source, std::uint64_t nSize,
                                   const std::string& strSource, const std::string& strPlace,
                                   CWritableFile& target, RunContext& run,
                                   std::uint64_t* pRead) const = 0;
    // Reads and checks the head of stored (open at its start) and leaves a
    // reader for its body in *ppReader. A head that is not this format's,
    // or damaged, is FAIL_DAMAGED.
    virtual FileResult OpenStored(std::unique_ptr<CReadableFile> pStored,
                                  std::unique_ptr<CStoredReader>* ppReader) const = 0;
};

// The longest signature of any format: what must be read of a stored file
// to tell its format.
constexpr std::size_t STORED_SIGNATURE_PEEK = 8;

}  // namespace quovex
