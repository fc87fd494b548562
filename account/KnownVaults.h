// The locations this user has opened as protected vaults, each with its
// vault id: one small record in the user's configuration folder
// ($XDG_CONFIG_HOME, else ~/.config, then tandrel/quovex-protected-vaults),
// read and written by the window and quovex-tool alike. It is what lets
// both refuse a location that was a protected vault but holds no key record
// any more (removed, or replaced by a scrambled vault's mark by someone who
// wants the next files stored scrambled): without it, such a location looks
// like an empty or a scrambled vault.
//
// One line a vault: 32 hexadecimal digits of the vault id, a space, the
// location's absolute path. The record is replaced whole (a new file, then
// a rename), mode 0600. Nothing here throws. Any thread, but the faces use
// it from one thread at a time; two programs writing at once may lose one
// entry, never the record.
#pragma once

#include <string>

#include "KeyRecord.h"

namespace quovex {

// The record's path: strConfigFolder (tests) or the user's configuration
// folder, then tandrel/quovex-protected-vaults.
std::string KnownVaultsPath(const std::string& strConfigFolder = std::string());

// Whether strLocation (an absolute path; a trailing separator does not
// count) was opened as a protected vault; the record at strRecordPath,
// "" for the user's.
bool IsKnownProtected(const std::string& strLocation,
                      const std::string& strRecordPath = std::string());

// The vault id (hexadecimal) strLocation was last opened with, "" when it
// was never opened as a protected vault.
std::string KnownVaultId(const std::string& strLocation,
                         const std::string& strRecordPath = std::string());
// The vault id of a key record in the record's hexadecimal form, "" when it
// is damaged.
std::string VaultIdText(const KeyRecordBytes& vRecord);

// Remembers strLocation as the protected vault whose key record is vRecord
// (its vault id). Writes only when the record does not hold that already.
// False when the record could not be written, or the location's path holds
// a line break, which the record cannot hold (the caller goes on: the
// record is a safeguard, not part of the vault).
bool RememberProtected(const std::string& strLocation, const KeyRecordBytes& vRecord,
                       const std::string& strRecordPath = std::string());

// Forgets strLocation, after the user agreed to make a new vault where a
// protected one was. False when the record could not be written.
bool ForgetProtected(const std::string& strLocation,
                     const std::string& strRecordPath = std::string());

}  // namespace quovex
