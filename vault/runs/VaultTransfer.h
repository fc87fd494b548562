// Recursive add, restore and the two worker procedures that run them under
// the progress dialog. All of it runs on the worker thread; the user is
// reached only through CVaultFeedback.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "FileOutcome.h"
#include "FileStore.h"
#include "FolderIdentity.h"
#include "FolderWalk.h"
#include "FreeSpace.h"
#include "RunContext.h"
#include "RunOutcome.h"
#include "VaultEnv.h"
#include "VaultFeedback.h"
#include "VaultNames.h"

namespace quovex {

class CRestoreFolders;
class CVaultFeedback;
class CVaultKey;

// Stored sources are deleted in batches of this many, after one flush of
// the vault's volume, so that a crash can never lose both copies. A batch
// holds the folders of its sources open, so it is also flushed when it
// spans this many folders.
constexpr std::size_t TRANSFER_DELETE_BATCH = 512;
constexpr std::size_t TRANSFER_DELETE_FOLDERS = 64;

// Stores and restores items for one open vault.
class CVaultTransfer {
public:
    // key must outlive the transfer. pEnv: the file system.
    explicit CVaultTransfer(const CVaultKey& key, CVaultEnv* pEnv);
    ~CVaultTransfer();

    // From now on the vault's names are hidden (VaultNames.h): stores seal
    // them, restores open them. False, and the names left visible, when the
    // key holds no master key or the names keys cannot be derived.
    bool HideNames();
    const CVaultNames& Names() const { return m_names; }
    // Reads the sealed place of a stored file, for the names of long names.
    PlaceReader PlaceReaderOf() const;

    // Whether sources are deleted after they have been stored.
    void SetDeleteSource(bool bDeleteSource) { m_bDeleteSource = bDeleteSource; }
    bool DeleteSource() const { return m_bDeleteSource; }
    CVaultEnv* Env() const { return m_pEnv; }
    const CFileStore& Files() const { return m_files; }

    // Stores one dropped file or folder below strBoxFolder, then asks for the
    // box to be shown afresh. Links and missing paths are passed over. The
    // vault's location (the folder above strBoxFolder), its box folders and
    // records (VaultKeepOutSet) and an item inside a box folder are refused,
    // and box folders and records met inside a dropped folder are passed
    // over, each reported; nothing in the vault changes because of them.
    // Everything else below the location is stored as from any folder.
    void StoreDroppedItem(const std::string& strPath, const std::string& strBoxFolder,
                          RunContext& run);
    // Mirrors strSource below strTarget (whose plain place in the vault is
    // strPlainTarget), storing every file. True when the source folder could
    // be listed.
    bool StoreFolder(const std::string& strSource, const std::string& strTarget,
                     const std::string& strPlainTarget, RunContext& run);
    // From now on every restore refuses (FILE_IN_VAULT) a file whose target
    // would lie in a box folder of the vault at strVaultPath, or take the
    // place of one of its records (VaultKeepOutSet), wherever the target's
    // path leads. False, and no such check, when the folder cannot be opened.
    bool KeepRestoresOutOf(const std::string& strVaultPath);
    // Restores a stored file or folder to its recorded place (strTargetFolder
    // empty) or below strTargetFolder, under its plain name.
    void RestoreItem(const std::string& strStored, const std::string& strTargetFolder,
                     RunContext& run);
    // True when the stored folder could be listed.
    bool RestoreFolder(const std::string& strStored, const std::string& strTarget, RunContext& run);

    // Deletes the sources stored since the last call, after flushing the
    // volume of strVaultFolder: each only while it is still the file that
    // was stored (else it is kept and reported). A failed flush keeps all.
    void DeletePendingSources(const std::string& strVaultFolder, TransferReport* pReport);
    // Forgets the sources stored since the last call, deleting none.
    void DiscardPendingSources();
    // The folders a run of a protected vault stored into, and those above
    // them up to their box folder, get the one fixed time its stored files
    // carry (where the disk lets them): a folder's time would tell when it
    // was last stored into. Call once the run's deletions are done.
    void SettleFolderTimes();
    // Forgets what a run read of the vault's folders (VersionsIn): a run
    // begins and ends with the disk as it is.
    void ForgetRunReadings() { m_versions.clear(); }

private:
    struct PendingDeletion {
        FolderPtr pFolder;  // the open folder that holds it
        std::string strName;
        std::string strPath;
        FileStamp stamp;  // the file as it was stored
        bool bFolder;
    };

    bool StoreFolderIn(const OpenedFolder& source, const std::string& strSource,
                       const std::string& strTarget, const std::string& strPlainTarget,
                       RunContext& run);
    // Stores the file strName of pFolder into the vault folder strTarget
    // (open as pStoredFolder, or null), whose plain place is strPlainTarget.
    void StoreFileIn(const FolderPtr& pFolder, const std::string& strName,
                     const std::string& strPath, FolderPtr pStoredFolder,
                     const std::string& strTarget, const std::string& strPlainTarget,
                     RunContext& run);
    // The hidden versions of strName in pStored, asked about as one stored
    // file: FILE_DONE with their names and stamps in *pOld when there are
    // none or they may be replaced, else why not.
    FileResult AskAboutVersions(CFolder& stored, const std::string& strPlainTarget,
                                const std::string& strName, const std::string& strShown,
                                RunContext& run, std::vector<PendingDeletion>* pOld);
    // The on-disk versions of every stored file of the folder stored (plain
    // path strPlainTarget) by plain name: read once a run, as opening every
    // name again for each file stored into a folder of 10,000 would cost
    // the square of its size; kept up to date by the run's own stores.
    std::map<std::string, std::vector<std::string>>& VersionsIn(CFolder& stored,
                                                                const std::string& strPlainTarget);
    // The folder strTarget in the vault (plain place strPlainTarget), made
    // when missing; null when it cannot be had.
    FolderPtr OpenMirror(const std::string& strTarget, const std::string& strPlainTarget);
    // What restores must keep out of (the vault), or null.
    const KeepOutSet* KeptOut() const { return m_bKeepOutOfVault ? &m_keepOut : nullptr; }
    // strPlain: the stored folder's plain place in the vault (hidden names).
    bool RestoreFolderIn(const OpenedFolder& stored, const std::string& strStored,
                         const std::string& strPlain, const std::string& strTarget,
                         CRestoreFolders& targets, RunContext& run);
    // RestoreFolderIn where the names are hidden: each entry under its plain name.
    // The on-disk names in vEntries (the listing of the stored folder
    // strStored) of the versions older than the newest of their plain name.
    std::set<std::string> OlderVersions(const std::string& strStored,
                                        const std::vector<PlainEntry>& vEntries) const;
    bool RestoreHiddenIn(const OpenedFolder& stored, const std::string& strStored,
                         const std::string& strPlain, const std::string& strTarget,
                         CRestoreFolders& targets, RunContext& run);
    void RestoreOne(CFolder& folder, const std::string& strName, const std::string& strStored,
                    const std::string& strTarget, const std::string& strPlace,
                    CRestoreFolders& targets, RunContext& run);
    void QueueSourceDeletion(PendingDeletion item, const std::string& strVaultFolder,
                             TransferReport* pReport);

    CFileStore m_files;
    CVaultNames m_names;
    CVaultEnv* m_pEnv;
    bool m_bDeleteSource = true;
    FileStamp m_vault;     // the vault's location, in the run in progress
    KeepOutSet m_keepOut;  // what that vault holds, kept out of the run
    bool m_bKeepOutOfVault = false;
    std::vector<PendingDeletion> m_vPending;
    std::size_t m_nPendingFolders = 0;
    std::set<std::string> m_touchedFolders;  // what SettleFolderTimes settles
    // VersionsIn's readings, by plain folder path; forgotten with the run.
    std::map<std::string, std::map<std::string, std::vector<std::string>>> m_versions;
    // Notes strFolder, and every folder above it up to its box folder, as
    // changed by this run.
    void NoteFolderTouched(const std::string& strFolder);
};

// The data of an add run.
struct DropJob {
    std::vector<std::string> vDropList;  // dropped paths, in drop order
    std::string strBoxPath;              // folder of the selected box
    CVaultTransfer* pVault = nullptr;
    TransferReport report;
};

// The data of a restore run.
struct RestoreJob {
    std::string strStoredItem;    // stored file or folder in the vault
    std::string strTargetFolder;  // chosen folder, or "" for a plain restore
    std::string
        strVaultPath;  // nothing is written into its boxes; "": the one holding strStoredItem
    CVaultTransfer* pVault = nullptr;
    TransferReport report;
};

// Worker of an add run: the free-space test, then every dropped item in
// drop order, sharing one done counter and total; sources of stored items
// are deleted (when asked) after one flush.
RunOutcome AddDropWorker(CVaultFeedback& feedback, DropJob& job);
// Worker of a restore run. The free space is asked of each volume the run
// writes to (RestoreHasRoom). A file whose target lies in the vault is not
// restored, and is reported.
RunOutcome RestoreWorker(CVaultFeedback& feedback, RestoreJob& job);

}  // namespace quovex
