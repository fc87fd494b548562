// Whether a master key is the one a vault's protected stored files were
// sealed with: the test that tells a key record of this vault from one of
// another vault copied in (a backup of the wrong vault, a sync conflict, an
// attacker holding another of the user's vaults). It opens the metadata
// slots of a few protected stored files in the boxes; no body is read and
// nothing is written. Any thread.
#pragma once

#include <cstddef>
#include <string>

#include "KeyRecordFiles.h"
#include "SecretBytes.h"

namespace quovex {

class CVaultEnv;

// How many protected stored files are tried at most: one whose both slots
// are damaged must not make the vault's own key look foreign, and the test
// stays a matter of milliseconds however large the vault is.
constexpr std::size_t KEY_FIT_MAX_FILES = 4;

// Tries master on the first protected stored files (in walk order) in the
// box folders of the vault at strVaultPath. A file whose header is damaged
// or of another version, or that cannot be read, is passed over.
KeyFit TryKeyOnStoredFiles(const std::string& strVaultPath, const CSecretBytes& master,
                           CVaultEnv* pEnv);

}  // namespace quovex
