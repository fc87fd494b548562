// The commands of the contents tree's context menu: restore, restore to,
// delete, resolving versions and properties, each on the tree's selected item; and the restore
// run they share with opening a stored file. Interface thread.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace quovex {

class CContentsTree;
class COpenVault;

// Restores strStored, a stored file or a folder of them in vault, below
// strTargetFolder, or each file to where it came from when that is "",
// under the progress dialog over pProgressParent (nullptr: the main
// window), which may cancel the run ("User cancelled the operation !" is
// said then). What did not go through is told in one message over
// pReportParent. Returns how many files were restored.
int RestoreAndReport(const COpenVault& vault, const QString& strStored,
                     const QString& strTargetFolder, QWidget* pProgressParent,
                     QWidget* pReportParent);

class CContextCommands {
public:
    // vault: the open vault the commands work on; tree: the main window's
    // contents tree, whose selected item each command takes and which each
    // shows afresh once it changed something; window: the main window,
    // parent of the dialogs and messages. All three outlive this object.
    CContextCommands(COpenVault& vault, CContentsTree& tree, QWidget& window);
    CContextCommands(const CContextCommands&) = delete;
    CContextCommands& operator=(const CContextCommands&) = delete;

    // Each does nothing without a selected item.
    // Restore: to where each file came from, under the progress dialog.
    void OnRestore();
    // Restore to: below a folder the user picks, which may not lie in the
    // vault, hold it, or be taken by the vault's own name (said, and
    // nothing restored).
    void OnRestoreTo();
    // Delete: asks, default No; deletes (a folder under the progress
    // dialog, which may stop it between two files; a stored file of several
    // versions with all of them), names whatever is left, and shows the box
    // afresh with what is really there.
    void OnDelete();
    // Properties: the stored file's or the folder's dialog, modal.
    void OnProperties();
    // 解决冲突...: on a stored file of several versions, the versions dialog
    // (CResolveVersionsDlg); its 打开 opens a version through fnOpen. Keep
    // the selected one deletes the others (KeepOneVersion), keep all gives
    // them names of their own (KeepAllVersions); what did not go through is
    // told, and the box is shown afresh. On any other item it says there is
    // one version only.
    void OnResolveVersions(const std::function<void(const QString&)>& fnOpen);

private:
    // RestoreAndReport under the progress dialog over the main window, then
    // the box shown afresh.
    void RunRestore(const QString& strStored, const QString& strTargetFolder);

    COpenVault& m_vault;
    CContentsTree& m_tree;
    QWidget& m_window;
};

}  // namespace quovex
