// The names sync engines give the copy they keep when one file was changed
// on two machines while apart. Such a copy is a second version of the file
// whose name it carries, never a file of its own: the vault reads it as a
// version of that name (stored files) or as another copy of the key record.
// Pure text, no file system. Any thread.
//
// The patterns read, with X the name before the original's extension E
// (from its last dot; the whole name for a dot-name such as ".quovex-key",
// so that X is empty there):
//   Syncthing:  X.sync-conflict-YYYYMMDD-HHMMSS-DEVICE E   (DEVICE: the engine's short
//               device id, 7 upper-case letters or digits)
//   Nextcloud:  X (conflicted copy [USER ]YYYY-MM-DD HHMMSS)E
//   Dropbox:    X (DEVICE's conflicted copy YYYY-MM-DD[ n])E
#pragma once

#include <string>

namespace quovex {

// What a conflict copy's name tells.
struct ConflictCopyName {
    std::string strOriginal;  // the name of the file it is a version of
    std::string strDevice;    // the machine (or user) the engine names, "" when none
    std::string strWhen;      // the engine's time text as written ("20261209-022408"), or ""
};

// Whether strName is a sync engine's conflict copy; fills *pCopy when it is.
// A name that merely contains the words (a user's "notes (conflicted copy).txt"
// without the date) is not one.
bool ReadConflictCopyName(const std::string& strName, ConflictCopyName* pCopy);

}  // namespace quovex
