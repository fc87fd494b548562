// The protected half of StoredFileScan.h: one protected stored file
// examined with or without the key, and the damage that shows. Used by
// StoredFileScan.cpp only. Any thread.
#pragma once

#include <cstddef>

#include "StoredFileScan.h"

namespace quovex {

// Examines the protected file whose first nPeek bytes (at most
// PFF_HEADER_SIZE) pPeek holds; file is open right after them. Sets
// bProtected and the protected fields of *pScan (ScanStoredFile says what
// is read when).
void ScanProtectedFile(CReadableFile& file, const unsigned char* pPeek, std::size_t nPeek,
                       bool bReadBody, const ProtectedFileKeys* pKeys, StoredFileScan* pScan);

// FindStoredDamage for a protected file.
unsigned FindProtectedDamage(const StoredFileScan& scan);

// Whether a body of nBody bytes after a head of nHead can be cut into
// chunks as a writer cuts them: whole chunks, then a padded final chunk.
bool IsProtectedBodyLength(std::uint64_t nHead, std::uint64_t nBody);

}  // namespace quovex
