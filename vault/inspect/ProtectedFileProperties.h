// The protected half of StoredFileInfo.h: a protected stored file's sealed
// metadata read with the vault's key, and the summary edit that writes one
// slot in place. Used by StoredFileInfo.cpp only. Any thread.
#pragma once

#include <cstddef>
#include <string>

#include "StoredFileInfo.h"

namespace quovex {

class CReadableFile;
class CUpdatableFile;
class CVaultKey;

// Reads the header and, with pKey holding a master key, the metadata of
// the protected file into *pInfo (nKind, nSealed, bStored and the fields
// it sets). Its first nPeek bytes (at most PFF_HEADER_SIZE) were read into
// pPeek already; file is open right after them. Without a key nothing but
// the header is read.
void ReadProtectedProperties(CReadableFile& file, const unsigned char* pPeek, std::size_t nPeek,
                             const CVaultKey* pKey, StoredFileInfo* pInfo);

// Writes strSummary (valid UTF-8 without a NUL, checked by the caller)
// into the slot of file that is not in force, after the caller checked
// that it is the file that was read.
SummaryWriteResult WriteSummaryIntoSlot(CUpdatableFile& file, const std::string& strSummary,
                                        const CVaultKey* pKey);

// Writes strPlace into the slot of file that is not in force, after the
// caller checked that it is the file that was read.
PlaceWriteResult WritePlaceIntoSlot(CUpdatableFile& file, const std::string& strPlace,
                                    const CVaultKey& key);

}  // namespace quovex
