// Where a restore writes: the folders that receive restored files, each
// opened and checked against the vault once for all the files it receives.
#pragma once

#include <string>
#include <vector>

#include "FileOutcome.h"
#include "FolderIdentity.h"
#include "VaultEnv.h"

namespace quovex {

// The folders one restore run writes into. A folder is made when missing,
// opened, and checked once to lie outside the kept-out folders; it is then
// held open, so that the check holds for every file written into it,
// wherever its path leads meanwhile. The few used last stay open: the files
// of one stored folder mostly go into one folder. One thread at a time.
class CRestoreFolders {
public:
    // pKeepOut: what nothing may be written into or replace (what the vault
    // holds), or null.
    CRestoreFolders(CVaultEnv* pEnv, const KeepOutSet* pKeepOut);

    // The open folder strFolder, to receive restored files: FILE_DONE with
    // *pFolder set; FILE_IN_VAULT when it lies in a kept-out folder
    // (nothing is made then); a failure, with why, when it cannot be made
    // or opened.
    FileResult Open(const std::string& strFolder, FolderPtr* pFolder);
    // Whether the entry a restored file would replace, as looked up in its
    // open folder (ENTRY_NONE when the name is free), is a kept-out file or
    // folder.
    bool KeepsOut(const FileStamp& entry) const;
    // Takes back what the last Open made for a file that then restored
    // nothing: the folders it made, deepest first, each only while it is
    // still the folder made and empty; one that stays keeps those above it.
    // Folders that were there before are never touched.
    void RemoveMadeFolders();

private:
    struct HeldFolder {
        std::string strPath;
        FolderPtr pFolder;
    };
    struct MadeFolder {
        std::string strPath;
        FileStamp stamp;  // as made, so that a folder put in its place is left alone
    };

    FileResult OpenAnew(const std::string& strFolder, FolderPtr* pFolder);
    // The vault's keep-out rule, the one place a restore applies it: whether
    // the open folder pFolder, or while it is null the folder strFolder
    // would be made in, lies in the kept-out folder.
    bool KeptOut(const std::string& strFolder, const FolderPtr& pFolder) const;
    bool RemoveIfAsMade(const MadeFolder& made);

    CVaultEnv* m_pEnv;
    const KeepOutSet* m_pKeepOut;
    std::vector<HeldFolder> m_vHeld;  // the one used last first
    std::vector<MadeFolder> m_vMade;  // what the last Open made, parents first
};

}  // namespace quovex
