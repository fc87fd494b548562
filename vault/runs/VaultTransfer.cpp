#include "VaultTransfer.h"

#include <cerrno>
#include <limits>
#include <map>
#include <set>

#include "Boxes.h"
#include "CancelWatch.h"
#include "FolderChanges.h"
#include "FolderIdentity.h"
#include "FolderWalk.h"
#include "FreeSpace.h"
#include "PathText.h"
#include "ProtectedLayout.h"
#include "RestoreTargets.h"
#include "StoredVersions.h"
#include "TargetCommit.h"
#include "VaultEnv.h"
#include "VaultFeedback.h"
#include "VaultKey.h"

namespace quovex {

namespace {

bool Cancelled(CVaultFeedback* pFeedback) {
    return pFeedback && pFeedback->IsCancelled();
}

void NotePassedOver(TransferReport* pReport, const std::string& strPath, PassReason nReason) {
    if (pReport) pReport->vPassedOver.push_back({strPath, nReason});
}

void NoteFailed(TransferReport* pReport, const std::string& strPath, const FailCause& cause) {
    if (pReport) pReport->vFailed.push_back({strPath, cause});
}

// Counts a file done, or puts it in the one list that tells why it is not.
void NoteResult(TransferReport* pReport, const FileResult& result, const std::string& strPath) {
    switch (result.nOutcome) {
        case FileOutcome::FILE_DONE:
            if (pReport) ++pReport->nFilesDone;
            break;
        case FileOutcome::FILE_CHANGED:
            NotePassedOver(pReport, strPath, PassReason::PASS_SOURCE_CHANGED);
            break;
        case FileOutcome::FILE_BAD_PATH:
            NotePassedOver(pReport, strPath, PassReason::PASS_BAD_RECORDED_PATH);
            break;
        case FileOutcome::FILE_IN_VAULT:
            NotePassedOver(pReport, strPath, PassReason::PASS_TARGET_IN_VAULT);
            break;
        default:
            NoteFailed(pReport, strPath, result.cause);
            break;
    }
}

// A dropped path may end in separators ("dir/"); its name is the last real component.
std::string TrimSeparators(std::string strPath) {
    while (strPath.size() > 1 && strPath.back() == PATH_SEPARATOR) strPath.pop_back();
    return strPath;
}

std::string SubPath(const std::string& strFolder, const std::string& strName) {
    return strFolder.empty() ? std::string() : JoinPath(strFolder, strName);
}

}  // namespace

CVaultTransfer::CVaultTransfer(const CVaultKey& key, CVaultEnv* pEnv)
    : m_files(key, pEnv), m_pEnv(m_files.Env()) {
    if (key.NamesHidden()) HideNames();
}

CVaultTransfer::~CVaultTransfer() = default;

void CVaultTransfer::QueueSourceDeletion(PendingDeletion item, const std::string& strVaultFolder,
                                         TransferReport* pReport) {
    if (m_vPending.empty() || m_vPending.back().pFolder != item.pFolder) ++m_nPendingFolders;
    m_vPending.push_back(std::move(item));
    if (m_vPending.size() >= TRANSFER_DELETE_BATCH || m_nPendingFolders >= TRANSFER_DELETE_FOLDERS)
        DeletePendingSources(strVaultFolder, pReport);
}

void CVaultTransfer::DeletePendingSources(const std::string& strVaultFolder,
                                          TransferReport* pReport) {
    // One flush of the vault's volume covers every stored copy written so
    // far (where it would not reach them, each was synced at its commit);
    // only then may the originals go.
    if (!m_vPending.empty() && m_pEnv->SyncVolume(strVaultFolder)) {
        for (const PendingDeletion& item : m_vPending) {
            if (item.bFolder) {
                item.pFolder->RemoveFolder(item.strName);  // only when empty
                continue;
            }
            // Edited or replaced (an editor's atomic save) since it was
            // stored: the vault holds an older version, so the file stays.
            FileStamp now;
            item.pFolder->GetStamp(item.strName, &now);
            if (now.SameContent(item.stamp)) {
                item.pFolder->DeleteFile(item.strName);
            } else if (now.kind != EntryKind::ENTRY_NONE) {
                NotePassedOver(pReport, item.strPath, PassReason::PASS_SOURCE_CHANGED);
            }
        }
    }
    DiscardPendingSources();
}

void CVaultTransfer::NoteFolderTouched(const std::string& strFolder) {
    if (!m_files.Key().IsProtected()) return;
    for (std::string strAt = strFolder, strUp = FolderOf(strAt); strUp != strAt;
         strAt = strUp, strUp = FolderOf(strAt)) {
        if (!m_touchedFolders.insert(strAt).second) return;
        if (BoxIndex(LastComponent(strAt)) >= 0) return;
    }
}

void CVaultTransfer::SettleFolderTimes() {
    for (const std::string& strFolder : m_touchedFolders) {
        // A time that cannot be set leaves the folder as it is: no failure.
        if (const FolderPtr pFolder = m_pEnv->OpenFolder(strFolder))
            pFolder->SetOwnTimes(PROTECTED_STORED_FILE_TIME, 0);
    }
    m_touchedFolders.clear();
}

void CVaultTransfer::DiscardPendingSources() {
    m_vPending.clear();
    m_nPendingFolders = 0;
}

bool CVaultTransfer::HideNames() {
    return m_names.HideWith(m_files.Key().MasterKey());
}

PlaceReader CVaultTransfer::PlaceReaderOf() const {
    return SealedPlaceReader(m_files);
}

FileResult CVaultTransfer::AskAboutVersions(CFolder& stored, const std::string& strPlainTarget,
                                            const std::string& strName, const std::string& strShown,
                                            RunContext& run, std::vector<PendingDeletion>* pOld) {
    const auto& versions = VersionsIn(stored, strPlainTarget);
    const auto it = versions.find(strName);
    if (it == versions.end() || it->second.empty()) return FileOutcome::FILE_DONE;
    const std::vector<std::string>& vVersions = it->second;
    for (const std::string& strVersion : vVersions) {
        PendingDeletion old{nullptr, strVersion, strShown, {}, false};
        stored.GetStamp(strVersion, &old.stamp);
        pOld->push_back(std::move(old));
    }
    return AskToReplace(pOld->front().stamp, FeedbackQuestion::QUESTION_STORED_EXISTS, strShown,
                        run.pFeedback);
}

std::map<std::string, std::vector<std::string>>& CVaultTransfer::VersionsIn(
    CFolder& stored, const std::string& strPlainTarget) {
    const auto it = m_versions.find(strPlainTarget);
    if (it != m_versions.end()) return it->second;
    auto& versions = m_versions[strPlainTarget];
    std::vector<PlainEntry> vEntries;
    ListPlainEntries(stored, strPlainTarget, m_names, PlaceReaderOf(), &vEntries);
    for (PlainEntry& entry : vEntries) {
        if (entry.kind == EntryKind::ENTRY_FILE && entry.nState == PlainState::PLAIN_OPENED)
            versions[entry.strPlain].push_back(std::move(entry.strDisk));
    }
    return versions;
}

void CVaultTransfer::StoreFileIn(const FolderPtr& pFolder, const std::string& strName,
                                 const std::string& strPath, FolderPtr pStoredFolder,
                                 const std::string& strTarget, const std::string& strPlainTarget,
                                 RunContext& run) {
    const std::string strDisk = m_names.NewFileOnDisk(strPlainTarget, strName);
    const std::string strPlace = PlainChildPath(strPlainTarget, strName);
    if (strDisk.empty()) {
        NoteFailed(run.pReport, strPath, FailCause{FailReason::FAIL_PATH_NOT_STORABLE});
        return;
    }
    // Hidden names: every store writes a new name, and the versions stored
    // before under the same plain name go only once it is in place (after
    // the flush that also frees the sources): a crash in between leaves two
    // versions, never none.
    std::vector<PendingDeletion> vOld;
    if (m_names.Hidden()) {
        if (!pStoredFolder) pStoredFolder = OpenMirror(strTarget, strPlainTarget);
        if (!pStoredFolder) {
            NoteFailed(run.pReport, strPath, CauseOfLastError());
            return;
        }
        const FileResult asked = AskAboutVersions(
            *pStoredFolder, strPlainTarget, strName,
            PlainVaultPath(strTarget, strPlainTarget) + "/" + strName + STORED_SUFFIX, run, &vOld);
        if (asked.nOutcome != FileOutcome::FILE_DONE) {
            NoteResult(run.pReport, asked, strPath);
            return;
        }
    }
    const StoreResult result =
        m_files.StoreFileAt(*pFolder, strName, strPath, pStoredFolder, JoinPath(strTarget, strDisk),
                            m_names.Hidden() ? strPlace : std::string(), run);
    NoteResult(run.pReport, result, strPath);
    if (result.nOutcome != FileOutcome::FILE_DONE) return;
    NoteFolderTouched(strTarget);
    // The versions before go with the run's deletions: this one is left.
    if (m_names.Hidden()) m_versions[strPlainTarget][strName] = {strDisk};
    for (PendingDeletion& old : vOld) {
        old.pFolder = pStoredFolder;
        QueueSourceDeletion(std::move(old), strTarget, run.pReport);
    }
    if (m_bDeleteSource)
        QueueSourceDeletion({pFolder, strName, strPath, result.source, false}, strTarget,
                            run.pReport);
}

void CVaultTransfer::StoreDroppedItem(const std::string& strPath, const std::string& strBoxFolder,
                                      RunContext& run) {
    TransferReport* pReport = run.pReport;
    const std::string strSource = TrimSeparators(strPath);
    const std::string strBox = TrimSeparators(strBoxFolder);
    const std::string strBoxPlace = LastComponent(strBox);
    // The vault's location is the folder above the box folder. When it
    // cannot be opened nothing of the vault can be met, and nothing can be
    // stored either.
    m_vault = FileStamp();
    const FolderPtr pVault = m_pEnv->OpenFolder(ParentFolder(TrimSeparators(strBoxFolder)));
    if (pVault) pVault->GetOwnStamp(&m_vault);
    m_keepOut = VaultKeepOutSet(pVault);
    const FolderPtr pParent = m_pEnv->OpenFolder(FolderOf(strSource));
    const std::string strName = LastComponent(strSource);
    FileStamp item;
    if (pParent) pParent->GetStamp(strName, &item);
    if (item.kind == EntryKind::ENTRY_FOLDER || item.kind == EntryKind::ENTRY_FILE) {
        const OpenedFolder folder = item.kind == EntryKind::ENTRY_FOLDER
                                        ? OpenSubFolder(*pParent, strName)
                                        : OpenedFolder{};
        const FolderPtr& pFolder = folder.pFolder;
        // A folder is judged as opened, so that one swapped in since its
        // stamp was taken is not walked.
        const bool bHeld = pFolder ? IsKeptOut(pFolder, m_keepOut) : IsKeptOut(item, m_keepOut);
        if (IsSameFolder(pFolder, m_vault) || bHeld) {
            NotePassedOver(pReport, strSource, PassReason::PASS_IS_VAULT);
        } else if (IsWithinFolder(pParent, m_keepOut)) {
            NotePassedOver(pReport, strSource, PassReason::PASS_IN_VAULT);
        } else if (item.kind == EntryKind::ENTRY_FILE) {
            StoreFileIn(pParent, strName, strSource, nullptr, strBox, strBoxPlace, run);
        } else if (const std::string strFolder = m_names.FolderOnDisk(strBoxPlace, strName);
                   strFolder.empty()) {
            NoteFailed(pReport, strSource, FailCause{FailReason::FAIL_PATH_NOT_STORABLE});
        } else if (StoreFolderIn(folder, strSource, JoinPath(strBox, strFolder),
                                 PlainChildPath(strBoxPlace, strName), run) &&
                   m_bDeleteSource) {
            QueueSourceDeletion({pParent, strName, strSource, item, true}, strBoxFolder, pReport);
        }
    }
    // Links, pipes and vanished paths are passed over.
    if (run.pFeedback) run.pFeedback->ShowBoxContents(strBoxFolder);
}

FolderPtr CVaultTransfer::OpenMirror(const std::string& strTarget,
                                     const std::string& strPlainTarget) {
    if (FolderPtr pMirror = m_pEnv->OpenFolder(strTarget)) return pMirror;
    CreateDirectoryPath(WithSeparator(strTarget), 0700, m_pEnv);
    const std::size_t nSlash = strPlainTarget.rfind('/');
    if (!m_names.Hidden() || nSlash == std::string::npos) return m_pEnv->OpenFolder(strTarget);
    // Made now, and given its name record where its name is long.
    std::string strDisk;
    return MakePlainFolder(m_pEnv, ParentFolder(strTarget), strPlainTarget.substr(0, nSlash),
                           strPlainTarget.substr(nSlash + 1), m_names, &strDisk);
}

bool CVaultTransfer::StoreFolder(const std::string& strSource, const std::string& strTarget,
                                 const std::string& strPlainTarget, RunContext& run) {
    return StoreFolderIn(OpenFolderAt(m_pEnv, strSource), strSource, strTarget, strPlainTarget,
                         run);
}

bool CVaultTransfer::StoreFolderIn(const OpenedFolder& source, const std::string& strSource,
                                   const std::string& strTarget, const std::string& strPlainTarget,
                                   RunContext& run) {
    TransferReport* pReport = run.pReport;
    const FolderPtr& pSource = source.pFolder;
    if (!pSource) {
        NoteFailed(pReport, strSource, source.failure);
        return false;
    }
    // The mirror of the source folder in the vault, made and opened for its
    // first file: a folder without files yields none.
    FolderPtr pMirror;
    // The vault keeps its records at its location, and only there.
    const bool bAtVault = !m_keepOut.vFiles.empty() && IsSameFolder(pSource, m_vault);
    FailCause failure;
    const bool bListed = WalkFolder(
        pSource, strSource,
        [&](const WalkEntry& entry) {
            if (Cancelled(run.pFeedback)) return false;
            if (entry.kind == EntryKind::ENTRY_FILE && bAtVault &&
                IsKeptOut(entry.pFolder, entry.strName, m_keepOut)) {
                NotePassedOver(pReport, entry.strPath, PassReason::PASS_IS_VAULT);
            } else if (entry.kind == EntryKind::ENTRY_FILE) {
                if (!pMirror) pMirror = OpenMirror(strTarget, strPlainTarget);
                StoreFileIn(entry.pFolder, entry.strName, entry.strPath, pMirror, strTarget,
                            strPlainTarget, run);
            } else if (entry.kind == EntryKind::ENTRY_FOLDER) {
                // Opened without following a link: a folder swapped for one
                // since the listing cannot be listed, and is reported so.
                const OpenedFolder sub = OpenSubFolder(*entry.pFolder, entry.strName);
                const std::string strFolder = m_names.FolderOnDisk(strPlainTarget, entry.strName);
                if (IsKeptOut(sub.pFolder, m_keepOut)) {
                    NotePassedOver(pReport, entry.strPath, PassReason::PASS_IS_VAULT);
                } else if (strFolder.empty()) {
                    NoteFailed(pReport, entry.strPath,
                               FailCause{FailReason::FAIL_PATH_NOT_STORABLE});
                } else if (StoreFolderIn(sub, entry.strPath, JoinPath(strTarget, strFolder),
                                         PlainChildPath(strPlainTarget, entry.strName), run) &&
                           m_bDeleteSource) {
                    QueueSourceDeletion({entry.pFolder, entry.strName, entry.strPath, {}, true},
                                        strTarget, pReport);
                }
            }
            return true;
        },
        &failure);
    if (!bListed) NoteFailed(pReport, strSource, failure);
    return bListed;
}

bool CVaultTransfer::KeepRestoresOutOf(const std::string& strVaultPath) {
    m_bKeepOutOfVault = false;
    const FolderPtr pVault = strVaultPath.empty() ? nullptr : m_pEnv->OpenFolder(strVaultPath);
    if (!pVault || !pVault->GetOwnStamp(&m_vault)) return false;
    m_keepOut = VaultKeepOutSet(pVault);
    m_bKeepOutOfVault = true;
    return true;
}

void CVaultTransfer::RestoreItem(const std::string& strStored, const std::string& strTargetFolder,
                                 RunContext& run) {
    const std::string strItem = TrimSeparators(strStored);
    const EntryKind kind = m_pEnv->GetKind(strItem);
    // Hidden names: the item comes back under its plain name, which its
    // place in the vault gives; a stored file's with ".$", as its target
    // always ends.
    std::string strPlace, strTarget = SubPath(strTargetFolder, LastComponent(strItem));
    if (m_names.Hidden() && (kind == EntryKind::ENTRY_FOLDER || kind == EntryKind::ENTRY_FILE)) {
        strPlace = PlainPlaceOf(m_pEnv, strItem, kind, m_names, PlaceReaderOf());
        if (strPlace.empty() && kind == EntryKind::ENTRY_FOLDER) {
            NoteFailed(run.pReport, strItem, FailCause{FailReason::FAIL_DAMAGED});
            return;
        }
        // A file whose names do not open where it lies (moved by hand)
        // comes back under the name its own sealed place gives, as a file
        // away from its place does.
        if (!strPlace.empty()) {
            const std::string strName = strPlace.substr(strPlace.rfind('/') + 1);
            strTarget = SubPath(strTargetFolder,
                                kind == EntryKind::ENTRY_FILE ? strName + STORED_SUFFIX : strName);
        }
    }
    CRestoreFolders targets(m_pEnv, KeptOut());
    switch (kind) {
        case EntryKind::ENTRY_FOLDER:
            RestoreFolderIn(OpenFolderAt(m_pEnv, strItem), strItem, strPlace, strTarget, targets,
                            run);
            break;
        case EntryKind::ENTRY_FILE:
            if (const FolderPtr pFolder = m_pEnv->OpenFolder(FolderOf(strItem))) {
                RestoreOne(*pFolder, LastComponent(strItem), strItem, strTarget, strPlace, targets,
                           run);
            } else {
                NoteFailed(run.pReport, strItem, CauseOfLastError());
            }
            break;
        default:
            break;
    }
}

bool CVaultTransfer::RestoreFolder(const std::string& strStored, const std::string& strTarget,
                                   RunContext& run) {
    CRestoreFolders targets(m_pEnv, KeptOut());
    const std::string strPlace =
        m_names.Hidden()
            ? PlainPlaceOf(m_pEnv, strStored, EntryKind::ENTRY_FOLDER, m_names, PlaceReaderOf())
            : std::string();
    return RestoreFolderIn(OpenFolderAt(m_pEnv, strStored), strStored, strPlace, strTarget, targets,
                           run);
}

std::set<std::string> CVaultTransfer::OlderVersions(const std::string& strStored,
                                                    const std::vector<PlainEntry>& vEntries) const {
    std::set<std::string> older;
    for (const VersionGroup& group : GroupVersions(vEntries)) {
        std::vector<std::string> vDisk;
        for (const std::string& strName : group.vDiskNames)
            vDisk.push_back(JoinPath(strStored, strName));
        const std::vector<StoredVersion> vVersions =
            ReadStoredVersions(vDisk, &m_files.Key(), m_pEnv);
        for (std::size_t i = 0; i + 1 < vVersions.size(); ++i)
            older.insert(LastComponent(vVersions[i].strDisk));
    }
    return older;
}

bool CVaultTransfer::RestoreHiddenIn(const OpenedFolder& stored, const std::string& strStored,
                                     const std::string& strPlain, const std::string& strTarget,
                                     CRestoreFolders& targets, RunContext& run) {
    FailCause failure;
    std::vector<PlainEntry> vEntries;
    const bool bListed =
        ListPlainEntries(*stored.pFolder, strPlain, m_names, PlaceReaderOf(), &vEntries, &failure);
    // Of several versions of one name, the newest goes to the name's target.
    const std::set<std::string> older = OlderVersions(strStored, vEntries);
    for (const PlainEntry& entry : vEntries) {
        if (Cancelled(run.pFeedback)) break;
        const std::string strPath = JoinPath(strStored, entry.strDisk);
        if (older.count(entry.strDisk)) {
            NotePassedOver(run.pReport, strPath, PassReason::PASS_OLDER_VERSION);
            continue;
        }
        if (entry.nState == PlainState::PLAIN_UNREADABLE) {
            // A name that does not open here, of nothing that tells its own
            // name: damaged, or another vault's. Nothing of it is restored
            // blindly.
            NoteFailed(run.pReport, strPath, FailCause{FailReason::FAIL_DAMAGED});
            continue;
        }
        // A file moved here by hand is restored (under its sealed name) and
        // reported as lying away from its place.
        const std::string strPlace = entry.nState == PlainState::PLAIN_AWAY
                                         ? std::string()
                                         : PlainChildPath(strPlain, entry.strPlain);
        if (entry.kind == EntryKind::ENTRY_FOLDER) {
            RestoreHiddenIn(OpenSubFolder(*stored.pFolder, entry.strDisk), strPath, strPlace,
                            SubPath(strTarget, entry.strPlain), targets, run);
        } else {
            RestoreOne(*stored.pFolder, entry.strDisk, strPath,
                       SubPath(strTarget, entry.strPlain + STORED_SUFFIX), strPlace, targets, run);
        }
    }
    if (!bListed) NoteFailed(run.pReport, strStored, failure);
    return bListed;
}

bool CVaultTransfer::RestoreFolderIn(const OpenedFolder& stored, const std::string& strStored,
                                     const std::string& strPlain, const std::string& strTarget,
                                     CRestoreFolders& targets, RunContext& run) {
    if (!stored.pFolder) {
        NoteFailed(run.pReport, strStored, stored.failure);
        return false;
    }
    if (m_names.Hidden())
        return RestoreHiddenIn(stored, strStored, strPlain, strTarget, targets, run);
    // Visible names: a sync engine's conflict copy is a version of the name
    // it copies, and goes to that name's target when it is the newest.
    std::vector<PlainEntry> vEntries;
    ListPlainEntries(*stored.pFolder, strPlain, m_names, PlaceReaderOf(), &vEntries);
    const std::set<std::string> older = OlderVersions(strStored, vEntries);
    std::map<std::string, std::string> copies;  // a conflict copy's name: the plain one
    for (const PlainEntry& entry : vEntries)
        if (entry.bConflictCopy) copies[entry.strDisk] = entry.strPlain + STORED_SUFFIX;
    FailCause failure;
    const bool bListed = WalkFolder(
        stored.pFolder, strStored,
        [&](const WalkEntry& entry) {
            if (Cancelled(run.pFeedback)) return false;
            if (older.count(entry.strName)) {
                NotePassedOver(run.pReport, entry.strPath, PassReason::PASS_OLDER_VERSION);
                return true;
            }
            const auto copy = copies.find(entry.strName);
            const std::string strSub =
                SubPath(strTarget, copy == copies.end() ? entry.strName : copy->second);
            if (entry.kind == EntryKind::ENTRY_FOLDER) {
                RestoreFolderIn(OpenSubFolder(*entry.pFolder, entry.strName), entry.strPath, {},
                                strSub, targets, run);
            } else if (entry.kind == EntryKind::ENTRY_FILE) {
                RestoreOne(*entry.pFolder, entry.strName, entry.strPath, strSub, {}, targets, run);
            }
            return true;
        },
        &failure);
    if (!bListed) NoteFailed(run.pReport, strStored, failure);
    return bListed;
}

void CVaultTransfer::RestoreOne(CFolder& folder, const std::string& strName,
                                const std::string& strStored, const std::string& strTarget,
                                const std::string& strPlace, CRestoreFolders& targets,
                                RunContext& run) {
    const FileResult result =
        m_files.RestoreFileAt(folder, strName, strStored, strTarget, strPlace, targets, run);
    // Reported by its plain name where the names are hidden.
    NoteResult(run.pReport, result,
               strPlace.empty() ? strStored : PlainVaultPath(strStored, strPlace) + STORED_SUFFIX);
}

namespace {

// Clears the pending deletions at the start and at every end of a run.
class CPendingScope {
public:
    explicit CPendingScope(CVaultTransfer& transfer) : m_transfer(transfer) {
        m_transfer.DiscardPendingSources();
    }
    ~CPendingScope() { m_transfer.DiscardPendingSources(); }
    CPendingScope(const CPendingScope&) = delete;
    CPendingScope& operator=(const CPendingScope&) = delete;

private:
    CVaultTransfer& m_transfer;
};

RunOutcome RunAddDrop(CVaultFeedback& feedback, DropJob& job) {
    CVaultEnv* pEnv = job.pVault->Env();
    CCancelWatch watch(feedback);
    std::uint64_t nTotal = 0;
    for (const std::string& strPath : job.vDropList) nTotal += GetPathLength(strPath, pEnv);
    VolumeRoom room;
    if (!HasRoomFor(pEnv, job.strBoxPath, nTotal, &room)) {
        job.report.bNoSpace = true;
        feedback.ShowMessage(FeedbackMessage::MESSAGE_NO_DISK_SPACE, job.strBoxPath, room);
        return RunOutcome::RUN_STOPPED;
    }
    // Sources queued for deletion belong to this run alone: a run that ends
    // by an exception deletes none of them, and none carry over.
    CPendingScope pending(*job.pVault);
    job.pVault->ForgetRunReadings();
    RunContext run{&watch, 0, nTotal, &job.report};
    for (const std::string& strPath : job.vDropList) {
        if (watch.IsCancelled()) break;
        job.pVault->StoreDroppedItem(strPath, job.strBoxPath, run);
    }
    // Also after a cancel: what was stored completely may free its source.
    job.pVault->DeletePendingSources(job.strBoxPath, &job.report);
    job.pVault->SettleFolderTimes();
    job.pVault->ForgetRunReadings();
    job.report.bCancelled = watch.SawCancel();
    return job.report.bCancelled ? RunOutcome::RUN_CANCELLED : RunOutcome::RUN_FINISHED;
}

RunOutcome RunRestore(CVaultFeedback& feedback, RestoreJob& job) {
    CVaultEnv* pEnv = job.pVault->Env();
    CCancelWatch watch(feedback);
    std::uint64_t nTotal = 0;
    std::string strFull;
    VolumeRoom room;
    if (!RestoreHasRoom(job.pVault->Files(), pEnv, job.strStoredItem, job.strTargetFolder, &nTotal,
                        &strFull, &room)) {
        job.report.bNoSpace = true;
        feedback.ShowMessage(FeedbackMessage::MESSAGE_NO_DISK_SPACE, strFull, room);
        return RunOutcome::RUN_STOPPED;
    }
    const std::string strVault =
        job.strVaultPath.empty() ? FindVaultOf(job.strStoredItem, pEnv) : job.strVaultPath;
    job.pVault->KeepRestoresOutOf(strVault);
    RunContext run{&watch, 0, nTotal, &job.report};
    job.pVault->RestoreItem(job.strStoredItem, job.strTargetFolder, run);
    job.report.bCancelled = watch.SawCancel();
    return job.report.bCancelled ? RunOutcome::RUN_CANCELLED : RunOutcome::RUN_FINISHED;
}

}  // namespace

// The workers run on a thread of their own: nothing may escape them. Running
// out of memory is the only way in; what was stored by then stays stored.
RunOutcome AddDropWorker(CVaultFeedback& feedback, DropJob& job) {
    try {
        return RunAddDrop(feedback, job);
    } catch (...) {
        NoteFailed(&job.report, job.strBoxPath, CauseOfErrno(ENOMEM));
        return RunOutcome::RUN_STOPPED;
    }
}

RunOutcome RestoreWorker(CVaultFeedback& feedback, RestoreJob& job) {
    try {
        return RunRestore(feedback, job);
    } catch (...) {
        NoteFailed(&job.report, job.strStoredItem, CauseOfErrno(ENOMEM));
        return RunOutcome::RUN_STOPPED;
    }
}

}  // namespace quovex
