// The free-space test of a restore run: every volume the run writes to
// must hold what it receives there plus TRANSFER_FREE_SPACE_MARGIN.
// Worker thread of the run (any thread: it keeps no state).
#pragma once

#include <cstdint>
#include <string>

#include "VaultEnv.h"
#include "VaultFeedback.h"

namespace quovex {

class CFileStore;

// Adds up the stored lengths below strStored (*pTotal, what GetPathLength
// counts) and tests the room for them. Restored below strTargetFolder,
// they all count on that folder's volume; restored to their recorded
// places (strTargetFolder empty), each stored file counts on the volume of
// the folder it records (its nearest existing folder; files reads the
// recorded path of either format), and a file that records no acceptable
// path, or whose head does not open, counts nowhere, as it writes nothing.
// True when every such volume has room, or its free space cannot be
// determined; else false, with *pFull a folder on a volume without room
// and *pRoom what that volume needs and has.
bool RestoreHasRoom(const CFileStore& files, CVaultEnv* pEnv, const std::string& strStored,
                    const std::string& strTargetFolder, std::uint64_t* pTotal, std::string* pFull,
                    VolumeRoom* pRoom);

}  // namespace quovex
