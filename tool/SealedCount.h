// quovex-tool list without credentials on a vault whose names are hidden:
// how many stored files each box folder holds and their stored length, and
// nothing of their names, sealed or not. Main thread.
#pragma once

#include <string>

namespace quovex {

class CVaultEnv;

// Counts the stored files at or below strPath (the vault's location
// strVault, a box folder of it, or a path on disk below one) per box
// folder, on standard output as text or one JSON array of
// {"box", "storedFiles", "storedSize", "sizeText"}. Returns the exit status:
// 1 when strPath does not exist on disk (a plain path below a box folder
// resolves only with the credentials) or a folder below it cannot be
// listed, else 0.
int RunSealedCount(const std::string& strPath, const std::string& strVault, bool bJson,
                   CVaultEnv* pEnv);

}  // namespace quovex
