// quovex-tool's list and check: read-only surveys of the stored files of
// both formats below a folder, on standard output as text or as one JSON
// array. Main thread.
#pragma once

#include <string>

namespace quovex {

class CVaultEnv;
class CVaultKey;

// Lists every stored file below the folder strPath (or the stored file
// strPath): stored path, format, stored length, and for a scrambled file
// (or, with pKey holding the vault's master key, a protected one) its
// source path, plain size, storage date and summary, and the damage its
// header and length show. Without the key a protected file shows its name
// and length only. Returns the exit status: 1 when strPath is neither a
// folder nor a file or a folder below it cannot be listed, else 0 (damaged
// files are listed, not failed).
int RunList(const std::string& strPath, bool bJson, const CVaultKey* pKey, CVaultEnv* pEnv);

// Reads every stored file below strPath whole and reports the damaged ones:
// unreadable, no signature, a short header, a short body or one that ends
// inside a block, a credential checksum other than key's; a protected
// file whose metadata or a chunk does not open with key's master key
// (every chunk is authenticated), or met with a key that has none. A slot
// that did not open while the other served is a warning, not damage. A
// count goes to standard error. Returns 0 when all are sound, else 1 (also
// when strPath or a folder below it cannot be listed).
int RunCheck(const std::string& strPath, bool bJson, const CVaultKey& key, CVaultEnv* pEnv);

}  // namespace quovex
