#include "VersionsResolve.h"

#include <cerrno>
#include <memory>
#include <set>

#include "ConflictNames.h"
#include "FileStore.h"
#include "FolderChanges.h"
#include "PathText.h"
#include "PlainNames.h"
#include "ProtectedLayout.h"
#include "RunContext.h"
#include "StoredFileInfo.h"
#include "StoredFormat.h"
#include "StoredRewrite.h"
#include "VaultKey.h"

namespace quovex {

namespace {

// Sealed names drawn before a rename gives up: one that is taken is
// another store's, met only by chance.
constexpr int NAME_ATTEMPTS = 8;

// The folder the versions lie in, and the names they go by.
struct VersionFolder {
    FolderPtr pFolder;
    std::string strPlain;  // the folder's plain path in the vault
    std::string strName;   // the versions' plain name
};

FileResult Invalid() {
    return FailCause{FailReason::FAIL_OTHER, EINVAL};
}

// The names give way only to what was read: every version in one folder.
FileResult OpenVersionFolder(const std::vector<StoredVersion>& vVersions, const CPlainNames& names,
                             VersionFolder* pAt) {
    if (vVersions.empty()) return Invalid();
    const std::string strFolder = FolderOf(vVersions.front().strDisk);
    for (const StoredVersion& version : vVersions)
        if (FolderOf(version.strDisk) != strFolder) return Invalid();
    pAt->pFolder = names.Env()->OpenFolder(strFolder);
    if (!pAt->pFolder) return CauseOfLastError();
    pAt->strPlain = names.PlaceOf(strFolder, EntryKind::ENTRY_FOLDER);
    // The name where it lies, of the newest version whose names open here
    // (one moved in by hand lies under no name of this folder's own).
    for (auto it = vVersions.rbegin(); it != vVersions.rend() && pAt->strName.empty(); ++it)
        pAt->strName = SealedNameOf(names.PlaceOf(it->strDisk, EntryKind::ENTRY_FILE));
    return FileOutcome::FILE_DONE;
}

bool StillAsRead(CFolder& folder, const StoredVersion& version) {
    FileStamp now;
    return version.stamp.kind == EntryKind::ENTRY_FILE &&
           folder.GetStamp(LastComponent(version.strDisk), &now) && now.SameContent(version.stamp);
}

FileResult MadeDurable(CFolder& folder) {
    if (!folder.VolumeSyncCovers() && !folder.Sync()) return CauseOfLastError();
    return FileOutcome::FILE_DONE;
}

// Gives the file strFrom of the folder a new on-disk name for the plain
// name strPlain, never replacing: visible names have one such name, taken
// means EEXIST; hidden ones draw another sealed name.
FileResult GiveName(const VersionFolder& at, const CVaultNames& names, const std::string& strFrom,
                    const std::string& strPlain) {
    for (int i = 0; i < NAME_ATTEMPTS; ++i) {
        const std::string strNew = names.NewFileOnDisk(at.strPlain, strPlain);
        if (strNew.empty()) return FailCause{FailReason::FAIL_PATH_NOT_STORABLE};
        // Looked at first: a file system without a no-replace rename
        // replaces in its last step whatever appeared there meanwhile.
        FileStamp there;
        if (!at.pFolder->GetStamp(strNew, &there)) {
            if (at.pFolder->RenameEntry(strFrom, strNew)) return MadeDurable(*at.pFolder);
            if (errno != EEXIST) return CauseOfLastError();
        }
        if (!names.Hidden()) return CauseOfErrno(EEXIST);
    }
    return CauseOfErrno(EEXIST);
}

FileResult PlaceResult(PlaceWriteResult nResult) {
    switch (nResult) {
        case PlaceWriteResult::PLACE_WRITTEN:
            return FileOutcome::FILE_DONE;
        case PlaceWriteResult::PLACE_FILE_CHANGED:
            return FileOutcome::FILE_CHANGED;
        case PlaceWriteResult::PLACE_NOT_OPENED:
            return FailCause{FailReason::FAIL_DAMAGED};
        case PlaceWriteResult::PLACE_WRITE_FAILED:
        case PlaceWriteResult::PLACE_NEEDS_NEW_FILE:
            break;
    }
    return CauseOfLastError();
}

// Makes the stored file strName of the folder (a protected one; a
// scrambled file records no place) record strPlace, slot by slot where it
// has room, else written anew; read back before it counts.
FileResult WritePlace(const CFileStore& files, const VersionFolder& at, const std::string& strPath,
                      const std::string& strPlace) {
    const std::string strName = LastComponent(strPath);
    std::unique_ptr<CStoredReader> pReader;
    FileStamp read;
    const FileResult opened = files.OpenStoredAt(*at.pFolder, strName, &pReader, &read);
    if (opened.nOutcome != FileOutcome::FILE_DONE) return opened;
    if (pReader->Head().nKind != StoredKind::STORED_PROTECTED) return FileOutcome::FILE_DONE;
    if (pReader->Head().strPlace == strPlace) return FileOutcome::FILE_DONE;
    const PlaceWriteResult nWritten =
        WriteStoredPlace(strPath, read, strPlace, files.Env(), files.Key());
    if (nWritten == PlaceWriteResult::PLACE_NEEDS_NEW_FILE) {
        RunContext run;
        const FileResult rewritten =
            RewriteStoredFile(files, *at.pFolder, strName, *pReader, read, strPlace, run);
        if (rewritten.nOutcome != FileOutcome::FILE_DONE) return rewritten;
    } else if (nWritten != PlaceWriteResult::PLACE_WRITTEN) {
        return PlaceResult(nWritten);
    }
    const FileResult back = files.OpenStoredAt(*at.pFolder, strName, &pReader, &read);
    if (back.nOutcome != FileOutcome::FILE_DONE) return back;
    if (pReader->Head().strPlace != strPlace) return FailCause{FailReason::FAIL_IO, EIO};
    return FileOutcome::FILE_DONE;
}

// Version's new plain name strNew: its place first, then its on-disk name;
// a rename that fails gives it its old place back.
FileResult RenameVersion(const CFileStore& files, const CVaultNames& names, const VersionFolder& at,
                         const StoredVersion& version, const std::string& strNew) {
    const FileResult placed =
        WritePlace(files, at, version.strDisk, PlainChildPath(at.strPlain, strNew));
    if (placed.nOutcome != FileOutcome::FILE_DONE) return placed;
    const FileResult renamed = GiveName(at, names, LastComponent(version.strDisk), strNew);
    if (renamed.nOutcome != FileOutcome::FILE_DONE)
        WritePlace(files, at, version.strDisk, PlainChildPath(at.strPlain, at.strName));
    return renamed;
}

// A kept conflict copy takes a name of the vault's own (it lies in its
// place already); where it cannot, it stays a version alone under its name.
void TidyKeptName(const CVaultNames& names, const VersionFolder& at, const StoredVersion& version) {
    ConflictCopyName copy;
    // A sealed name is bound to its folder's plain path: none is made blind.
    if (!at.strName.empty() && !at.strPlain.empty() &&
        ReadConflictCopyName(LastComponent(version.strDisk), &copy))
        GiveName(at, names, LastComponent(version.strDisk), at.strName);
}

// A protected vault's folder tells no more of when it changed than of
// when it was stored into, as after the window's delete.
void KeepFolderTime(const CVaultKey& key, const VersionFolder& at) {
    if (key.IsProtected()) at.pFolder->SetOwnTimes(PROTECTED_STORED_FILE_TIME, 0);
}

// The plain names of the stored files of the folder.
std::set<std::string> FileNamesIn(const CPlainNames& names, const VersionFolder& at) {
    std::set<std::string> taken;
    std::vector<PlainEntry> vEntries;
    names.List(*at.pFolder, at.strPlain, &vEntries);
    for (const PlainEntry& entry : vEntries)
        if (entry.kind == EntryKind::ENTRY_FILE) taken.insert(entry.strPlain);
    return taken;
}

void NoteFailure(VersionsResolution* pResolution, const FileResult& result,
                 const std::string& strPath) {
    if (pResolution->result.nOutcome == FileOutcome::FILE_DONE) pResolution->result = result;
    pResolution->vLeft.push_back(strPath);
}

}  // namespace

std::string NumberedName(const std::string& strName, unsigned n) {
    const std::size_t nDot = strName.rfind('.');
    const std::size_t nEnd = nDot == std::string::npos || nDot == 0 ? strName.size() : nDot;
    return strName.substr(0, nEnd) + " (" + std::to_string(n) + ")" + strName.substr(nEnd);
}

VersionsResolution KeepOneVersion(const std::vector<StoredVersion>& vVersions, std::size_t nKeep,
                                  const CVaultKey& key, CVaultEnv* pEnv) {
    VersionsResolution resolution;
    if (nKeep < 1 || nKeep > vVersions.size()) {
        resolution.result = Invalid();
        return resolution;
    }
    const CPlainNames names(&key, pEnv);
    VersionFolder at;
    resolution.result = OpenVersionFolder(vVersions, names, &at);
    if (resolution.result.nOutcome != FileOutcome::FILE_DONE) return resolution;
    const StoredVersion& kept = vVersions[nKeep - 1];
    if (!StillAsRead(*at.pFolder, kept)) {
        resolution.result = FileOutcome::FILE_CHANGED;
        return resolution;
    }
    for (std::size_t i = 0; i < vVersions.size(); ++i) {
        const StoredVersion& version = vVersions[i];
        if (i + 1 == nKeep) continue;
        if (!StillAsRead(*at.pFolder, version))
            NoteFailure(&resolution, FileOutcome::FILE_CHANGED, version.strDisk);
        else if (!DeleteOneFile(version.strDisk, pEnv))
            NoteFailure(&resolution, CauseOfLastError(), version.strDisk);
    }
    if (resolution.vLeft.empty()) TidyKeptName(names.Names(), at, kept);
    KeepFolderTime(key, at);
    return resolution;
}

VersionsResolution KeepAllVersions(const std::vector<StoredVersion>& vVersions,
                                   const CVaultKey& key, CVaultEnv* pEnv) {
    VersionsResolution resolution;
    const CPlainNames names(&key, pEnv);
    VersionFolder at;
    resolution.result = OpenVersionFolder(vVersions, names, &at);
    if (resolution.result.nOutcome != FileOutcome::FILE_DONE) return resolution;
    if (at.strName.empty() || at.strPlain.empty()) {
        resolution.result = FailCause{FailReason::FAIL_PATH_NOT_STORABLE};
        return resolution;
    }
    for (const StoredVersion& version : vVersions) {
        if (StillAsRead(*at.pFolder, version)) continue;
        resolution.result = FileOutcome::FILE_CHANGED;
        return resolution;
    }
    const CFileStore files(key, pEnv);
    std::set<std::string> taken = FileNamesIn(names, at);
    unsigned nNext = 2;
    for (std::size_t i = 0; i + 1 < vVersions.size(); ++i) {
        while (taken.count(NumberedName(at.strName, nNext))) ++nNext;
        const std::string strNew = NumberedName(at.strName, nNext);
        const FileResult renamed = RenameVersion(files, names.Names(), at, vVersions[i], strNew);
        if (renamed.nOutcome == FileOutcome::FILE_DONE) {
            taken.insert(strNew);
            resolution.vNames.push_back(strNew);
        } else {
            NoteFailure(&resolution, renamed, vVersions[i].strDisk);
            resolution.vNames.emplace_back();
        }
    }
    resolution.vNames.push_back(at.strName);
    if (resolution.vLeft.empty()) TidyKeptName(names.Names(), at, vVersions.back());
    KeepFolderTime(key, at);
    return resolution;
}

}  // namespace quovex
