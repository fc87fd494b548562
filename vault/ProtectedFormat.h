// The protected format: authenticated encryption of the body in 64 KiB
// chunks and of the metadata in two slots, under keys derived from the
// vault's master key (ProtectedFileFormat.h, the layout; ProtectedFile.h,
// the sealing). Any size, any path a slot holds. Any thread.
#pragma once

#include "ProtectedFile.h"
#include "StoredFormat.h"

namespace quovex {

class CVaultKey;

class CProtectedFormat final : public CStoredFormat {
public:
    // Derives the file keys from key's master key; without one, nothing can
    // be stored, and a protected file read is FAIL_NEEDS_KEY.
    explicit CProtectedFormat(const CVaultKey& key);

    bool HasKeys() const { return m_bKeys; }

    // FAIL_PATH_NOT_STORABLE for a path a slot cannot hold.
    FileResult CanStore(std::uint64_t nSize, const std::string& strSource) const override;
    FileResult WriteStored(CReadableFile& source, std::uint64_t nSize, const std::string& strSource,
                           CWritableFile& target, RunContext& run,
                           std::uint64_t* pRead) const override;
    // FAIL_NEWER_FORMAT for a version this program does not read; a file
    // whose metadata does not open with this vault's keys (damaged, or
    // stored in another vault) is FAIL_DAMAGED.
    FileResult OpenStored(std::unique_ptr<CReadableFile> pStored,
                          std::unique_ptr<CStoredReader>* ppReader) const override;

    const ProtectedFileKeys& Keys() const { return m_keys; }

private:
    ProtectedFileKeys m_keys;
    bool m_bKeys = false;
};

// The cause of a refusal of the protected sealing and opening code.
FailCause CauseOfProtected(ProtectedResult nResult, std::int64_t nChunk = -1);

// Reads a protected stored file's header and metadata with keys: the
// opener is left after OpenSlots. FILE_DONE, or why not (the file's own
// read errors included).
FileResult OpenProtectedHead(CReadableFile& stored, CProtectedOpener* pOpener);

}  // namespace quovex
