// What changes the folder tree outside a run's files: folders made with
// their parents, one file removed through its folder, and what a deletion
// left behind. Stateless; any thread.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "VaultEnv.h"

namespace quovex {

// Creates every folder that holds the last component of strPath (with a
// trailing separator, the folder itself too), parents first, with nMode.
// Failures do not stop it; the errno of the first folder that could not be
// made (one that exists already is no failure) is returned, else 0, for a
// caller that then finds the folder missing to tell why. pMade, when
// given, receives the folders this call made, parents first.
int CreateDirectoryPath(const std::string& strPath, unsigned nMode, CVaultEnv* pEnv,
                        std::vector<std::string>* pMade = nullptr);

// Removes the file or link at strPath through the folder that holds it
// (a link is removed, never followed). True when it was removed.
bool DeleteOneFile(const std::string& strPath, CVaultEnv* pEnv);

// What is left at strPath after a deletion: strPath itself when it is not
// a folder, else every entry below it that holds nothing more (files,
// links, dot-names included, and empty folders), depth first, at most
// nMax of them; *pMore counts those left out. Empty when nothing is there.
std::vector<std::string> FindLeftovers(const std::string& strPath, std::size_t nMax,
                                       std::size_t* pMore, CVaultEnv* pEnv);

}  // namespace quovex
