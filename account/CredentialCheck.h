// The login check: the typed credentials open a vault when their checksum
// equals the one in the first stored file found in it. A vault without a
// stored file accepts any credentials.
#pragma once

#include <string>

namespace quovex {

class CVaultEnv;

// strVaultPath, strUser and strPassword are UTF-8. The checksum is taken
// over the GB18030 bytes of user name and password; text that cannot be
// encoded is rejected. A first stored file that cannot be opened or is
// damaged rejects every input. Reads only; any thread.
bool CheckCredentials(const std::string& strVaultPath, const std::string& strUser,
                      const std::string& strPassword, CVaultEnv* pEnv = nullptr);

}  // namespace quovex
