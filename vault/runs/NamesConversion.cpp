#include "NamesConversion.h"

#include <cerrno>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "BlockProgress.h"
#include "Boxes.h"
#include "FileStore.h"
#include "FolderWalk.h"
#include "PathText.h"
#include "StoredFileInfo.h"
#include "StoredRewrite.h"
#include "VaultEnv.h"
#include "VaultFeedback.h"
#include "VaultKey.h"
#include "VaultNames.h"

namespace quovex {

namespace {

// A free sealed name is drawn again when the one drawn is taken (which a
// name of 24 random bytes never is, unless someone put it there).
constexpr int HIDE_NAME_ATTEMPTS = 3;

constexpr std::size_t SUFFIX_SIZE = sizeof STORED_SUFFIX - 1;

// The plain name of a stored file under its visible name, or "" for a
// file that is no stored file of visible names.
std::string VisibleStoredName(const std::string& strDisk) {
    if (strDisk.size() <= SUFFIX_SIZE ||
        strDisk.compare(strDisk.size() - SUFFIX_SIZE, SUFFIX_SIZE, STORED_SUFFIX) != 0)
        return {};
    return strDisk.substr(0, strDisk.size() - SUFFIX_SIZE);
}

// The files below a box folder, for the progress.
std::uint64_t CountFiles(const FolderPtr& pFolder, const std::string& strPath) {
    return SumOverFiles(pFolder, strPath, [](CFolder&, const std::string&) { return 1; });
}

// One folder being worked on: open, its path on disk and its plain path.
struct HideFolder {
    CFolder& folder;
    std::string strDisk;
    std::string strPlain;
};

// One run: the walk over the box folders, each file's place and name, each
// folder's name. Lives on the worker's thread for the run.
class CNamesHider {
public:
    CNamesHider(CVaultFeedback& feedback, HideNamesJob& job)
        : m_feedback(feedback),
          m_job(job),
          m_files(*job.pKey, job.pEnv),
          m_pEnv(job.pEnv),
          m_progress(&feedback, 0) {}

    RunOutcome Run();

private:
    bool Cancelled();
    void NoteFailed(const std::string& strPath, const FailCause& cause) {
        m_job.report.vFailed.push_back({strPath, cause});
    }
    // Reads the sealed place of a stored file, for the names of long names.
    PlaceReader Places() const;
    void HideIn(const HideFolder& at);
    void HideFileIn(const HideFolder& at, const std::string& strName);
    void DropSecondName(const HideFolder& at, const std::string& strName);
    void HideFolderIn(const HideFolder& at, const std::string& strName, const PlainEntry* pSealed);
    // The stored file strName records strPlace, read back from the disk;
    // *pbScrambled (and FILE_DONE) for a scrambled file, left as it is.
    FileResult EnsurePlace(const HideFolder& at, const std::string& strName,
                           const std::string& strPlace, bool* pbScrambled);
    FileResult WritePlace(const HideFolder& at, const std::string& strName,
                          std::unique_ptr<CStoredReader> pReader, const FileStamp& read,
                          const std::string& strPlace);
    // Renames strName of the open folder to a new sealed file name.
    FileResult GiveSealedName(const HideFolder& at, const std::string& strName,
                              const std::string& strPlain);
    FileResult RenameFolder(const HideFolder& at, CFolder& sub, const std::string& strName,
                            const std::string& strPlain);
    // The name record of a long-named folder, written in it when missing.
    FileResult EnsureNameRecord(CFolder& sub, const std::string& strParent,
                                const std::string& strPlain, const std::string& strSealed);
    FileResult MadeDurable(CFolder& folder);
    void Note(const FileResult& result, const std::string& strPath);

    CVaultFeedback& m_feedback;
    HideNamesJob& m_job;
    CFileStore m_files;
    CVaultNames m_names;
    CVaultEnv* m_pEnv;
    CBlockProgress m_progress;
    std::uint64_t m_nHandled = 0;  // files met, for the progress
    bool m_bCancelled = false;
    bool m_bChanged = false;  // something was written or renamed
};

bool CNamesHider::Cancelled() {
    if (!m_bCancelled && !m_progress.AfterBlock(m_nHandled)) m_bCancelled = true;
    return m_bCancelled;
}

PlaceReader CNamesHider::Places() const {
    return SealedPlaceReader(m_files);
}

RunOutcome CNamesHider::Run() {
    const CVaultKey& key = *m_job.pKey;
    if (!key.IsProtected() || !m_files.Protected().HasKeys()) {
        NoteFailed(m_job.strVaultPath, FailCause{FailReason::FAIL_NEEDS_KEY});
        return RunOutcome::RUN_STOPPED;
    }
    if (!m_names.HideWith(key.MasterKey())) {
        NoteFailed(m_job.strVaultPath, CauseOfErrno(ENOMEM));
        return RunOutcome::RUN_STOPPED;
    }
    const FolderPtr pVault = m_pEnv->OpenFolder(m_job.strVaultPath);
    if (!pVault) {
        NoteFailed(m_job.strVaultPath, CauseOfLastError());
        return RunOutcome::RUN_STOPPED;
    }
    std::vector<FolderPtr> vBoxes(BOX_COUNT);
    std::uint64_t nTotal = 0;
    for (int nBox = 0; nBox < BOX_COUNT; ++nBox) {
        // Through the open location, so that a box swapped for a link is not followed.
        vBoxes[nBox] = pVault->OpenFolder(BOX_TABLE[nBox].pszFolder);
        if (vBoxes[nBox])
            nTotal += CountFiles(vBoxes[nBox], BoxFolderPath(m_job.strVaultPath, nBox));
    }
    m_progress = CBlockProgress(&m_feedback, nTotal);
    for (int nBox = 0; nBox < BOX_COUNT && !Cancelled(); ++nBox) {
        if (!vBoxes[nBox]) continue;
        const std::string strBox = BoxFolderPath(m_job.strVaultPath, nBox);
        const bool bChangedBefore = m_bChanged;
        m_bChanged = false;
        HideIn({*vBoxes[nBox], strBox, BOX_TABLE[nBox].pszFolder});
        if (m_bChanged) m_feedback.ShowBoxContents(strBox);
        m_bChanged |= bChangedBefore;
    }
    if (!m_bCancelled) Cancelled();  // the last position, 100
    // Each place written was synced before its file's rename; on a local
    // disk one flush makes the renames durable too (elsewhere each folder
    // was synced after its rename). Only after it may the key record follow.
    if (m_bChanged && !m_pEnv->SyncVolume(m_job.strVaultPath))
        NoteFailed(m_job.strVaultPath, CauseOfLastError());
    m_job.report.bCancelled = m_bCancelled;
    return m_bCancelled ? RunOutcome::RUN_CANCELLED : RunOutcome::RUN_FINISHED;
}

// The entries under sealed names are known by the names layer's listing;
// every other folder or regular file has a visible name.
void CNamesHider::HideIn(const HideFolder& at) {
    std::vector<FolderEntry> vEntries;
    if (!at.folder.List(&vEntries)) {
        NoteFailed(at.strDisk, CauseOfLastError());
        return;
    }
    std::vector<PlainEntry> vSealed;
    ListPlainEntries(at.folder, at.strPlain, m_names, Places(), &vSealed);
    std::map<std::string, PlainEntry> sealed;
    std::set<std::pair<std::uint64_t, std::uint64_t>> sealedFiles;  // device, inode
    for (PlainEntry& entry : vSealed) {
        if (entry.nState != PlainState::PLAIN_OPENED) continue;
        FileStamp stamp;
        if (entry.kind == EntryKind::ENTRY_FILE && at.folder.GetStamp(entry.strDisk, &stamp))
            sealedFiles.insert({stamp.nDevice, stamp.nInode});
        sealed[entry.strDisk] = std::move(entry);
    }
    for (const FolderEntry& entry : vEntries) {
        if (Cancelled()) return;
        if (entry.strName.empty() || entry.strName[0] == '.') continue;
        const auto found = sealed.find(entry.strName);
        const PlainEntry* pSealed = found == sealed.end() ? nullptr : &found->second;
        if (entry.kind == EntryKind::ENTRY_FOLDER) {
            HideFolderIn(at, entry.strName, pSealed);
        } else if (entry.kind == EntryKind::ENTRY_FILE) {
            ++m_nHandled;
            FileStamp stamp;
            if (pSealed) {
                ++m_job.nAlreadyHidden;
            } else if (!sealedFiles.empty() && at.folder.GetStamp(entry.strName, &stamp) &&
                       sealedFiles.count({stamp.nDevice, stamp.nInode})) {
                DropSecondName(at, entry.strName);
            } else {
                HideFileIn(at, entry.strName);
            }
        }
    }
}

void CNamesHider::HideFileIn(const HideFolder& at, const std::string& strName) {
    const std::string strPlain = VisibleStoredName(strName);
    if (strPlain.empty()) return;  // no stored file: not the vault's
    const std::string strPath = JoinPath(at.strDisk, strName);
    if (!IsPlainName(strPlain)) {
        NoteFailed(strPath, FailCause{FailReason::FAIL_PATH_NOT_STORABLE});
        return;
    }
    m_feedback.SetStatusText(strPath);
    CWaitCursorGuard cursor(&m_feedback);
    bool bScrambled = false;
    FileResult result =
        EnsurePlace(at, strName, PlainChildPath(at.strPlain, strPlain), &bScrambled);
    if (bScrambled) {
        ++m_job.nScrambledLeft;
        return;
    }
    if (result.nOutcome == FileOutcome::FILE_DONE) result = GiveSealedName(at, strName, strPlain);
    Note(result, strPath);
}

// A stored file under its plain name that lies under a sealed one as well:
// a rename by link and unlink (a file system without a no-replace rename)
// stopped between the two. The place was written before the rename, so the
// plain name goes and the sealed one stays.
void CNamesHider::DropSecondName(const HideFolder& at, const std::string& strName) {
    const std::string strPath = JoinPath(at.strDisk, strName);
    if (!at.folder.DeleteFile(strName)) {
        NoteFailed(strPath, CauseOfLastError());
        return;
    }
    m_bChanged = true;
    ++m_job.nAlreadyHidden;
    const FileResult durable = MadeDurable(at.folder);
    if (durable.nOutcome != FileOutcome::FILE_DONE) NoteFailed(strPath, durable.cause);
}

// Slot by slot where the file's version has room for a place; a file of
// the first version, or one whose slots cannot hold the place beside its
// summary, is written anew (its body with it).
FileResult CNamesHider::EnsurePlace(const HideFolder& at, const std::string& strName,
                                    const std::string& strPlace, bool* pbScrambled) {
    std::unique_ptr<CStoredReader> pReader;
    FileStamp read;
    const FileResult opened = m_files.OpenStoredAt(at.folder, strName, &pReader, &read);
    if (opened.nOutcome != FileOutcome::FILE_DONE) return opened;
    const StoredHead& head = pReader->Head();
    *pbScrambled = head.nKind != StoredKind::STORED_PROTECTED;
    if (*pbScrambled) return FileOutcome::FILE_DONE;
    if (head.strPlace == strPlace) return FileOutcome::FILE_DONE;
    if (!head.strPlace.empty())
        m_job.report.vAway.push_back({JoinPath(at.strDisk, strName), head.strPlace});
    const FileResult written = WritePlace(at, strName, std::move(pReader), read, strPlace);
    if (written.nOutcome != FileOutcome::FILE_DONE) return written;
    m_bChanged = true;
    // Read back: the name follows only a place that opens from the disk.
    const FileResult back = m_files.OpenStoredAt(at.folder, strName, &pReader, &read);
    if (back.nOutcome != FileOutcome::FILE_DONE) return back;
    if (pReader->Head().strPlace != strPlace) return FailCause{FailReason::FAIL_IO, EIO};
    return FileOutcome::FILE_DONE;
}

FileResult CNamesHider::WritePlace(const HideFolder& at, const std::string& strName,
                                   std::unique_ptr<CStoredReader> pReader, const FileStamp& read,
                                   const std::string& strPlace) {
    switch (WriteStoredPlace(JoinPath(at.strDisk, strName), read, strPlace, m_pEnv, *m_job.pKey)) {
        case PlaceWriteResult::PLACE_WRITTEN:
            ++m_job.nPlacesWritten;
            return FileOutcome::FILE_DONE;
        case PlaceWriteResult::PLACE_FILE_CHANGED:
            return FileOutcome::FILE_CHANGED;
        case PlaceWriteResult::PLACE_NOT_OPENED:
            return FailCause{FailReason::FAIL_DAMAGED};
        case PlaceWriteResult::PLACE_WRITE_FAILED:
            return CauseOfLastError();
        case PlaceWriteResult::PLACE_NEEDS_NEW_FILE:
            break;
    }
    RunContext run{&m_feedback, 0, 0, nullptr};
    const FileResult rewritten =
        RewriteStoredFile(m_files, at.folder, strName, *pReader, read, strPlace, run);
    if (rewritten.nOutcome == FileOutcome::FILE_DONE) ++m_job.nFilesRewritten;
    return rewritten;
}

FileResult CNamesHider::GiveSealedName(const HideFolder& at, const std::string& strName,
                                       const std::string& strPlain) {
    for (int i = 0; i < HIDE_NAME_ATTEMPTS; ++i) {
        const std::string strSealed = m_names.NewFileOnDisk(at.strPlain, strPlain);
        if (strSealed.empty()) return FailCause{FailReason::FAIL_PATH_NOT_STORABLE};
        // Looked at first: a file system without a no-replace rename
        // replaces in its last step whatever appeared there meanwhile.
        FileStamp there;
        if (at.folder.GetStamp(strSealed, &there)) continue;
        if (!at.folder.RenameEntry(strName, strSealed)) {
            if (errno == EEXIST) continue;
            return CauseOfLastError();
        }
        m_bChanged = true;
        return MadeDurable(at.folder);
    }
    return CauseOfErrno(EEXIST);
}

void CNamesHider::HideFolderIn(const HideFolder& at, const std::string& strName,
                               const PlainEntry* pSealed) {
    const std::string strPath = JoinPath(at.strDisk, strName);
    const std::string strPlain = pSealed ? pSealed->strPlain : strName;
    // A name that is no text cannot be sealed, nor can a place below it.
    if (!IsPlainName(strPlain)) {
        NoteFailed(strPath, FailCause{FailReason::FAIL_PATH_NOT_STORABLE});
        return;
    }
    const FolderPtr pSub = at.folder.OpenFolder(strName);
    if (!pSub) {
        NoteFailed(strPath, CauseOfLastError());
        return;
    }
    HideIn({*pSub, strPath, PlainChildPath(at.strPlain, strPlain)});
    if (Cancelled()) return;
    if (pSealed) {
        ++m_job.nAlreadyHidden;
        return;
    }
    const FileResult renamed = RenameFolder(at, *pSub, strName, strPlain);
    if (renamed.nOutcome == FileOutcome::FILE_DONE) {
        ++m_job.nFoldersHidden;
    } else {
        NoteFailed(strPath, renamed.cause);
    }
}

FileResult CNamesHider::RenameFolder(const HideFolder& at, CFolder& sub, const std::string& strName,
                                     const std::string& strPlain) {
    bool bLong = false;
    const std::string strSealed = m_names.FolderOnDisk(at.strPlain, strPlain, &bLong);
    if (strSealed.empty()) return FailCause{FailReason::FAIL_PATH_NOT_STORABLE};
    // The one name this folder can have is somebody else's: nothing is merged into it.
    FileStamp there;
    if (at.folder.GetStamp(strSealed, &there)) return CauseOfErrno(EEXIST);
    if (bLong) {
        const FileResult recorded = EnsureNameRecord(sub, at.strPlain, strPlain, strSealed);
        if (recorded.nOutcome != FileOutcome::FILE_DONE) return recorded;
    }
    if (!at.folder.RenameEntry(strName, strSealed)) return CauseOfLastError();
    m_bChanged = true;
    return MadeDurable(at.folder);
}

// Written, flushed and put in place before the folder takes its short
// name: an empty folder's name lives nowhere else. A record found there
// already (a run stopped before the rename) must name this folder.
FileResult CNamesHider::EnsureNameRecord(CFolder& sub, const std::string& strParent,
                                         const std::string& strPlain,
                                         const std::string& strSealed) {
    const std::vector<unsigned char> vRecord = m_names.FolderRecord(strParent, strPlain);
    if (vRecord.empty()) return CauseOfErrno(ENOMEM);
    const auto pRecord = sub.CreateFileFor(FOLDER_NAME_RECORD, 0600);
    if (!pRecord) return CauseOfLastError();
    if (!pRecord->Append(vRecord.data(), vRecord.size()) || !pRecord->Sync())
        return CauseOfLastError();
    switch (pRecord->Commit(false)) {
        case CommitResult::COMMIT_DONE:
            m_bChanged = true;
            return MadeDurable(sub);
        case CommitResult::COMMIT_TAKEN:
            break;
        case CommitResult::COMMIT_FAILED:
            return CauseOfLastError();
    }
    std::vector<unsigned char> vThere(NAME_RECORD_MAX_SIZE + 1);
    const auto pThere = sub.OpenFile(FOLDER_NAME_RECORD);
    const std::int64_t nRead = pThere ? pThere->Read(vThere.data(), vThere.size()) : -1;
    if (nRead < 0) return CauseOfLastError();
    vThere.resize(static_cast<std::size_t>(nRead));
    if (m_names.NameFromRecord(strParent, strSealed, vThere) != strPlain)
        return CauseOfErrno(EEXIST);
    return FileOutcome::FILE_DONE;
}

FileResult CNamesHider::MadeDurable(CFolder& folder) {
    if (!folder.VolumeSyncCovers() && !folder.Sync()) return CauseOfLastError();
    return FileOutcome::FILE_DONE;
}

void CNamesHider::Note(const FileResult& result, const std::string& strPath) {
    NoteRewriteResult(result, strPath, &m_job.report, &m_bCancelled);
}

}  // namespace

// Runs on a thread of its own: nothing may escape it. Running out of
// memory is the only way in; what was hidden by then stays hidden.
RunOutcome HideNamesWorker(CVaultFeedback& feedback, HideNamesJob& job) {
    try {
        CNamesHider hider(feedback, job);
        return hider.Run();
    } catch (...) {
        job.report.vFailed.push_back({job.strVaultPath, CauseOfErrno(ENOMEM)});
        return RunOutcome::RUN_STOPPED;
    }
}

bool AllNamesHidden(RunOutcome nOutcome, const HideNamesJob& job) {
    return nOutcome == RunOutcome::RUN_FINISHED && job.report.vFailed.empty() &&
           job.report.vPassedOver.empty() && job.nScrambledLeft == 0 && !job.report.bCancelled;
}

}  // namespace quovex
