// quovex-tool's list and check: read-only surveys of the stored files
// below a folder, on standard output as text or as one JSON array. Main
// thread.
#pragma once

#include <cstdint>
#include <string>

namespace quovex {

// Lists every stored file below the folder strPath (or the stored file
// strPath): stored path, source path, plain size, storage date, summary,
// and the damage its header and length show. Needs no key. Returns the
// exit status: 1 when strPath is neither a folder nor a file or a folder
// below it cannot be listed, else 0 (damaged files are listed, not failed).
int RunList(const std::string& strPath, bool bJson);

// Reads every stored file below strPath whole and reports the damaged ones:
// unreadable, no signature, a short header, a short body or one that ends
// inside a block, or a credential checksum other than nChecksum. A count
// goes to standard error. Returns 0 when all are sound, else 1 (also when
// strPath or a folder below it cannot be listed).
int RunCheck(const std::string& strPath, bool bJson, std::uint32_t nChecksum);

}  // namespace quovex
