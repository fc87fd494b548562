// The box table, the vault's folder layout and the folder walks. Walks skip
// every entry whose name begins with a dot and never follow symbolic links
// (only the folder a walk starts from may be reached through one).
// Stateless; any thread.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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

// One entry met by a walk: its name in the open folder that holds it, and
// its full path for what is shown and reported.
struct WalkEntry {
    const FolderPtr& pFolder;
    const std::string& strName;
    const std::string& strPath;
    EntryKind kind;
};

// Visits each entry of the open folder pFolder (whose path is
// strFolderPath) in listing order, passing over names that begin with a
// dot. fnVisit returns false to end the walk. False when the folder cannot
// be listed. A visitor goes deeper by opening the entry through pFolder.
using WalkVisitor = std::function<bool(const WalkEntry& entry)>;
bool WalkFolder(const FolderPtr& pFolder, const std::string& strFolderPath,
                const WalkVisitor& fnVisit);
// The same from the folder at strFolder (which may be reached through a link).
bool WalkFolder(CVaultEnv* pEnv, const std::string& strFolder, const WalkVisitor& fnVisit);

// The vault that holds strPath, judged by names: the folder above the
// nearest box folder among strPath and the folders above it, else strPath
// itself when it holds a box folder; "" when there is neither. Links in
// strPath are not resolved.
std::string FindVaultOf(const std::string& strPath, CVaultEnv* pEnv = nullptr);

// Creates every folder that holds the last component of strPath (with a
// trailing separator, the folder itself too), parents first, with nMode.
// Failures do not stop it; the errno of the first folder that could not be
// made (one that exists already is no failure) is returned, else 0, for a
// caller that then finds the folder missing to tell why. pMade, when
// given, receives the folders this call made, parents first.
int CreateDirectoryPath(const std::string& strPath, unsigned nMode = 0700,
                        CVaultEnv* pEnv = nullptr, std::vector<std::string>* pMade = nullptr);

// Creates the vault location and its four box folders. Always 1.
int CreateBoxFolders(const std::string& strVaultPath, CVaultEnv* pEnv = nullptr);

// Puts the scrambled vault's mark in the existing location strVaultPath,
// flushed with its folder. 1 when the mark is there (made now, or there
// already), else 0 with errno telling why.
int PlaceScrambledMark(const std::string& strVaultPath, CVaultEnv* pEnv = nullptr);
// Whether anything lies at the mark's name in strVaultPath.
bool HasScrambledMark(const std::string& strVaultPath, CVaultEnv* pEnv = nullptr);

// Removes the file or link at strPath through the folder that holds it
// (a link is removed, never followed). 1 when it was removed, else 0.
int DeleteOneFile(const std::string& strPath, CVaultEnv* pEnv = nullptr);

// What is left at strPath after a deletion: strPath itself when it is not
// a folder, else every entry below it that holds nothing more (files,
// links, dot-names included, and empty folders), depth first, at most
// nMax of them; *pMore counts those left out. Empty when nothing is there.
std::vector<std::string> FindLeftovers(const std::string& strPath, std::size_t nMax,
                                       std::size_t* pMore, CVaultEnv* pEnv = nullptr);

// True when the name's extension (from its last dot) begins with ".$",
// the mark of a stored file ("a.txt.$", also "a.$abc").
bool IsStoredFileName(const std::string& strName);

// The first file, depth first in listing order, whose extension begins
// with ".$"; "" when there is none.
std::string FindFirstStoredFile(const std::string& strFolder, CVaultEnv* pEnv = nullptr);
// FindFirstStoredFile of the vault at strVaultPath, looking only into its
// box folders (in the location's listing order): a location may also hold
// the user's other files, and a stray ".$" file among them is none of the
// vault's.
std::string FindFirstStoredFileInBoxes(const std::string& strVaultPath, CVaultEnv* pEnv = nullptr);

// Sums fnMeasure over every regular file below the open folder pFolder
// (whose path is strPath) at any depth, walked as WalkFolder does; it is
// given the open folder that holds the file and the file's name there.
using FileMeasure = std::function<std::uint64_t(CFolder& folder, const std::string& strName)>;
std::uint64_t SumOverFiles(const FolderPtr& pFolder, const std::string& strPath,
                           const FileMeasure& fnMeasure);

// Sum of the plain sizes recorded in the scrambled headers of all files
// below strFolder (a protected file counts 0: GetPlainTotalSize).
std::uint64_t GetStoredTotalSize(const std::string& strFolder, CVaultEnv* pEnv = nullptr);

// Length of a regular file, 0 when there is none (a link counts 0).
std::uint64_t GetFileLength(const std::string& strPath, CVaultEnv* pEnv = nullptr);
// Sum of the lengths of all files below a folder.
std::uint64_t GetFolderLength(const std::string& strFolder, CVaultEnv* pEnv = nullptr);
// GetFolderLength of a folder, GetFileLength of a file, else 0 (links count 0).
std::uint64_t GetPathLength(const std::string& strPath, CVaultEnv* pEnv = nullptr);

// The unit a size is shown in, by the rule both faces follow: bytes below
// 1 KiB, KB below 1000 whole kilobytes, else MB, the last two counted from
// the whole kilobytes (so 1024000 bytes is 0.98 MB). *pValue receives the
// number shown before the unit.
enum class SizeUnit { SIZE_BYTES, SIZE_KB, SIZE_MB };
SizeUnit ScaleSize(std::uint64_t nBytes, double* pValue);

// The window's wording of a size:
// "1023 字节( 1023 字节)", "4.00 KB( 5000 字节)", "0.98 MB( 1024000 字节)".
std::string FormatSizeText(std::uint64_t nBytes);

}  // namespace quovex
