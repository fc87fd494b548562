// The box table and the vault's own names at its location: the four box
// folders, the records kept beside them, where a path's vault lies, and
// making the boxes and the scrambled mark. Stateless; any thread.
#pragma once

#include <array>
#include <string>

#include "VaultEnv.h"

namespace quovex {

constexpr int BOX_COUNT = 4;
constexpr int BOX_FILE = 0;
constexpr int BOX_IMAGE = 1;
constexpr int BOX_VIDEO = 2;
constexpr int BOX_OTHER = 3;

// Row of the box table; BoxIndex is its position (the window words its caption).
struct BoxInfo {
    const char* pszFolder;  // folder name under the vault location
};
extern const BoxInfo BOX_TABLE[BOX_COUNT];

// The mark a scrambled vault is made with: an empty file at the location
// that keeps it a scrambled vault while no stored file decides its kind.
inline constexpr char SCRAMBLED_MARK_NAME[] = ".quovex-scrambled";

// Names of the records the vault keeps for itself at its location, beside
// the box folders: the two copies of a protected vault's key record
// (KEY_RECORD_NAME, KEY_RECORD_COPY_NAME in KeyRecordFiles.h) and the mark
// of a scrambled one. Drops and restores keep out of them as they keep out
// of the box folders (FolderIdentity.h); a new record only needs its name
// here.
inline constexpr std::array<const char*, 3> VAULT_RECORD_NAMES{".quovex-key", ".quovex-key.2",
                                                               SCRAMBLED_MARK_NAME};

// The row number of a box folder name, or -1.
int BoxIndex(const std::string& strFolderName);
// The folder path of box nBox under the vault location (no trailing separator).
std::string BoxFolderPath(const std::string& strVaultPath, int nBox);

// The vault that holds strPath, judged by names: the folder above the
// nearest box folder among strPath and the folders above it, else strPath
// itself when it holds a box folder; "" when there is neither. Links in
// strPath are not resolved.
std::string FindVaultOf(const std::string& strPath, CVaultEnv* pEnv);

// The place in the vault of the stored file at strStored, judged by names
// as FindVaultOf does: the path from the nearest box folder down, ".$"
// dropped ("FileBox/资料/a.doc"); "" when it lies in no box folder. Where a
// vault's names are visible this is the plain place a store records.
std::string StoredPlaceOf(const std::string& strStored);

// Creates the vault location and its four box folders where missing;
// whether they are there is for the caller to look at.
void CreateBoxFolders(const std::string& strVaultPath, CVaultEnv* pEnv);

// Puts the scrambled vault's mark in the existing location strVaultPath,
// flushed with its folder. True when the mark is there (made now, or there
// already), else false with errno telling why.
bool PlaceScrambledMark(const std::string& strVaultPath, CVaultEnv* pEnv);
// Whether anything lies at the mark's name in strVaultPath.
bool HasScrambledMark(const std::string& strVaultPath, CVaultEnv* pEnv);

}  // namespace quovex
