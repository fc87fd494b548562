#include "RestoreTargets.h"

#include "FolderChanges.h"
#include "FolderIdentity.h"
#include "PathText.h"

namespace quovex {

namespace {

// Folders made for restored files, narrowed by the umask as mkdir -p does.
constexpr unsigned RESTORE_FOLDER_MODE = 0777;
// Folders held open at once: enough for files that alternate between a few
// folders, few enough to stay far below the limit of open files.
constexpr std::size_t RESTORE_HELD_FOLDERS = 8;

}  // namespace

CRestoreFolders::CRestoreFolders(CVaultEnv* pEnv, const KeepOutSet* pKeepOut)
    : m_pEnv(pEnv), m_pKeepOut(pKeepOut) {}

FileResult CRestoreFolders::Open(const std::string& strFolder, FolderPtr* pFolder) {
    m_vMade.clear();
    for (std::size_t i = 0; i < m_vHeld.size(); ++i) {
        if (m_vHeld[i].strPath != strFolder) continue;
        if (i > 0) std::swap(m_vHeld[i], m_vHeld[0]);
        *pFolder = m_vHeld[0].pFolder;
        return FileOutcome::FILE_DONE;
    }
    const FileResult opened = OpenAnew(strFolder, pFolder);
    if (opened.nOutcome != FileOutcome::FILE_DONE) return opened;
    if (m_vHeld.size() == RESTORE_HELD_FOLDERS) m_vHeld.pop_back();
    m_vHeld.insert(m_vHeld.begin(), HeldFolder{strFolder, *pFolder});
    return FileOutcome::FILE_DONE;
}

FileResult CRestoreFolders::OpenAnew(const std::string& strFolder, FolderPtr* pFolder) {
    FolderPtr pOpen = m_pEnv->OpenFolder(strFolder);
    if (!pOpen) {
        // Checked before any folder is made, and again on the folder made.
        if (KeptOut(strFolder, nullptr)) return FileOutcome::FILE_IN_VAULT;
        std::vector<std::string> vMade;
        const int nMadeError =
            CreateDirectoryPath(WithSeparator(strFolder), RESTORE_FOLDER_MODE, m_pEnv, &vMade);
        for (std::string& strMade : vMade) {
            MadeFolder made{std::move(strMade), {}};
            if (m_pEnv->GetStamp(made.strPath, &made.stamp)) m_vMade.push_back(std::move(made));
        }
        pOpen = m_pEnv->OpenFolder(strFolder);
        // The folder that could not be made says why.
        if (!pOpen) return nMadeError ? CauseOfErrno(nMadeError) : CauseOfLastError();
    }
    if (KeptOut(strFolder, pOpen)) return FileOutcome::FILE_IN_VAULT;
    *pFolder = std::move(pOpen);
    return FileOutcome::FILE_DONE;
}

bool CRestoreFolders::KeptOut(const std::string& strFolder, const FolderPtr& pFolder) const {
    if (!m_pKeepOut) return false;
    return pFolder ? IsWithinFolder(pFolder, *m_pKeepOut)
                   : PathLeadsInto(m_pEnv, strFolder, *m_pKeepOut);
}

void CRestoreFolders::RemoveMadeFolders() {
    for (auto it = m_vMade.rbegin(); it != m_vMade.rend() && RemoveIfAsMade(*it); ++it) {
        std::erase_if(m_vHeld, [&](const HeldFolder& held) { return held.strPath == it->strPath; });
    }
    m_vMade.clear();
}

bool CRestoreFolders::RemoveIfAsMade(const MadeFolder& made) {
    const FolderPtr pParent = m_pEnv->OpenFolder(FolderOf(made.strPath));
    const std::string strName = LastComponent(made.strPath);
    FileStamp now;
    return pParent && pParent->GetStamp(strName, &now) && now.SameObject(made.stamp) &&
           pParent->RemoveFolder(strName);
}

bool CRestoreFolders::KeepsOut(const FileStamp& entry) const {
    return m_pKeepOut && entry.kind != EntryKind::ENTRY_NONE && IsKeptOut(entry, *m_pKeepOut);
}

}  // namespace quovex
