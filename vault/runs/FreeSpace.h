// The free-space tests of the runs: a volume a run writes to must hold what
// it receives there plus TRANSFER_FREE_SPACE_MARGIN. A drop writes to one
// volume (HasRoomFor), a restore to every volume its files return to
// (RestoreHasRoom). Worker thread of the run (any thread: no state kept).
#pragma once

#include <cstdint>
#include <string>

#include "VaultEnv.h"
#include "VaultFeedback.h"

namespace quovex {

class CFileStore;

// Space that must stay free on the volume beyond the bytes a run writes.
constexpr std::uint64_t TRANSFER_FREE_SPACE_MARGIN = 500000000ull;

// The bytes a run that writes nBytes needs free: nBytes plus the margin
// (saturating in 64 bits).
std::uint64_t SpaceNeededFor(std::uint64_t nBytes);
// True when nFree bytes hold SpaceNeededFor(nBytes).
bool FreeSpaceHolds(std::uint64_t nFree, std::uint64_t nBytes);
// True when the volume of strPath has at least nTotal + margin bytes free,
// or when its free space cannot be determined. When false, *pRoom (if
// given) receives what is needed there and what is free.
bool HasRoomFor(CVaultEnv* pEnv, const std::string& strPath, std::uint64_t nTotal,
                VolumeRoom* pRoom = nullptr);

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
