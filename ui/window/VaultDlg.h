// The main window: menu bar, box list and contents tree of the open vault.
// It wires the menu's and the tree's commands to the parts that carry them
// out, each its own object the window owns: the context commands
// (CContextCommands), the opened files (COpenedFiles), the lock
// (CVaultLock) and the protection commands (CVaultProtection); drops on
// the box list it runs itself. Interface thread.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <deque>
#include <memory>
#include <utility>

#include "KeyRecord.h"
#include "StretchDialog.h"
#include "VaultKey.h"

class QCloseEvent;
class QKeyEvent;
class QTreeWidgetItem;

namespace quovex {

class CBoxListCtrl;
class CContentsTree;
class CContextCommands;
class CIdleWatch;
class COpenVault;
class COpenedFiles;
class CSessionWatch;
class CTreeWatch;
class CVaultTray;
class CVaultLock;
class CVaultProtection;
class CVaultSettings;

class CVaultDlg : public CStretchDialog {
    Q_OBJECT
public:
    // vault is the vault opened at the login and settings the record of
    // the options and the window's place; both outlive the window. A place
    // kept in settings is taken again when it still fits on a screen.
    CVaultDlg(COpenVault& vault, CVaultSettings& settings, QWidget* pParent = nullptr);
    ~CVaultDlg() override;

    COpenVault& Vault() const { return m_vault; }
    const CVaultKey& Key() const;
    // The contents tree (control 1003).
    CContentsTree* ContentsTree() const { return m_pContentsTree; }
    // What keeps the tree in step with changes on disk by others (nullptr
    // without a tree).
    CTreeWatch* TreeWatch() const { return m_pTreeWatch; }

    // Exit: ends the window with OK.
    void OnExit();
    // Opens the program's help (HelpViewer.h).
    void OnHelp();
    // Runs the about box modally.
    void OnAbout();
    // Runs the settings sheet (SettingsCommand.h); the idle lock then
    // follows the settings' minutes.
    void OnSettings();
    // "查找" (Ctrl+F): the find field above the tree takes the keyboard,
    // its text selected.
    void OnFind();
    // "存入文件..." (Ctrl+I) and "存入文件夹..." (Ctrl+Shift+I): what the
    // user picks in the file chooser is stored into the selected box, as a
    // drop on it would be.
    void OnStoreFiles();
    void OnStoreFolder();
    // "刷新" (F5): the tree shows the box afresh (ShowAfresh), finding
    // again when a find is shown.
    void OnRefresh();

    // The File menu's commands on the vault's protection, as
    // CVaultProtection carries them out (VaultProtection.h).
    // "修改口令...": the password change of a protected vault.
    void OnChangePassword();
    // "加密保护此保险柜...": protecting a scrambled vault, or finishing its
    // conversion.
    void OnProtectVault();
    // "隐藏此保险柜的文件名...": hiding a protected vault's names.
    void OnHideNames();
    // Enables the two commands as the vault allows them.
    void UpdateProtectionCommands();
    // The cost of the password derivations the two commands run; tests
    // lower it to KDF_FASTEST_LIMITS.
    void SetKdfLimits(const KdfLimits& limits);

    // However the window ends, the opened copies are dealt with
    // (CloseOpenedCopies) unless the vault is locked, and its place and size
    // go into the settings (SetWindowPlace), for the next start.
    void done(int nResult) override;

    // The commands of the contents tree's context menu, each on the
    // selected item and doing nothing without one, as CContextCommands
    // carries them out (ContextCommands.h).
    // Restore: to where each file came from.
    void OnRestore();
    // Restore to: below a folder the user picks, outside the vault.
    void OnRestoreTo();
    // Delete: asks, deletes, names whatever is left.
    void OnDelete();
    // Properties: the stored file's or the folder's dialog.
    void OnProperties();
    // 解决冲突... (the context menu and the File menu): the versions of the
    // selected stored file, a version opened as OpenStoredFile opens it.
    void OnResolveVersions();
    // The selected item of the contents tree, or nullptr.
    QTreeWidgetItem* SelectedItem() const;

    // Opening stored files, as COpenedFiles does it (OpenedFiles.h).
    // "打开" on the selected item: a stored file opened, a folder expanded.
    void OnOpen();
    // strStored restored into a private copy, handed to the desktop.
    void OpenStoredFile(const QString& strStored);
    // Each changed copy asked about: stored back or left.
    void AskAboutChangedCopies();
    // The changed copies asked about, then every copy closed.
    void CloseOpenedCopies();
    // At the login: the copies a killed run left, their changes offered.
    void OfferLeftoverCopies();

    // Locking, as CVaultLock does it (VaultLock.h).
    // "锁定" (Ctrl+L): the window hidden, the key wiped, and the login that
    // opens the vault again or, given up, ends the window with Cancel.
    void OnLock();
    bool IsLocked() const;
    // The idle watch that locks the vault after the settings' minutes.
    CIdleWatch* IdleWatch() const;
    // What locks the vault with the desktop session (SessionWatch.h).
    CSessionWatch* SessionWatch() const { return m_pSessionWatch; }
    // The icon in the desktop's tray (VaultTray.h), made anew as bAvailable
    // says (tests give a tray where the platform has none).
    CVaultTray* Tray() const { return m_pTray; }
    void UseTray(bool bAvailable);

    // The box list (control 1000); nullptr until the window is first shown.
    CBoxListCtrl* BoxList() const { return m_pBoxList; }

    // Stores every path of vDropList, in order, below strBoxPath under the
    // progress dialog, deleting the sources when the settings ask for it.
    // Then tells the user once: "User cancelled the operation !" after a
    // cancel, and one list of what did not go through, if anything. An
    // empty list starts no run. Returns 1. Interface thread.
    int StartAddFromDrop(const QStringList& vDropList, const QString& strBoxPath);
    // The bottom text (control 1002): after a store, how many files went
    // into which box.
    void ShowStatus(const QString& strText);
    QString StoredSummaryText(std::uint64_t nFiles, const QString& strBoxPath) const;
    // "文档保险柜" for the vault's FileBox; another folder's name for another.
    QString BoxCaptionOf(const QString& strBoxPath) const;

public slots:
    // Shows the box folder strBoxPath in the contents tree. Interface thread
    // (the progress dialog serves the worker's calls there).
    void ShowBoxContents(const QString& strBoxPath);

signals:
    // ShowBoxContents has shown strBoxPath afresh in the contents tree.
    void BoxContentsRequested(const QString& strBoxPath);

protected:
    // Sets up sizing with a growth of 10 and anchors the box list and the
    // find field (wider), the contents tree (wider and taller) and the
    // bottom text (shifted by half the added width, kept at its distance
    // from the bottom).
    bool OnInitDialog() override;
    // Enter with no default button ends the window like Exit.
    void keyPressEvent(QKeyEvent* pEvent) override;
    // With a tray, closing the window hides it there and the vault stays
    // open; without, it ends as it always did.
    void closeEvent(QCloseEvent* pEvent) override;

private:
    // Replaces the placeholder of control 1000 by the box list, in its place
    // and with its drop acceptance, and fills it.
    void InitBoxList();
    // Widens the window so that the four boxes fit side by side.
    void WidenForAllBoxes();
    // A drop is queued and run once the drop itself has ended; drops that
    // come while a run is up wait for it, in order.
    void QueueDrop(const QStringList& vPaths, const QString& strBoxPath);
    void RunQueuedDrops();
    void ConnectCommand(int nCommandId, void (CVaultDlg::*pHandler)());
    // Ties the find field (control RES_ID_FIND_TEXT) to the tree, and the
    // commands "查找" and "刷新".
    void InitFind();
    // A command of the tree's context menu, to the part that carries it out.
    void OnContextCommand(int nCommandId);

    COpenVault& m_vault;
    CVaultSettings& m_settings;
    CBoxListCtrl* m_pBoxList = nullptr;
    std::deque<std::pair<QStringList, QString>> m_vQueuedDrops;
    bool m_bAddRunning = false;
    CContentsTree* m_pContentsTree = nullptr;
    CTreeWatch* m_pTreeWatch = nullptr;        // owned by the tree
    CSessionWatch* m_pSessionWatch = nullptr;  // a child of the window
    CVaultTray* m_pTray = nullptr;             // a child of the window
    // The parts, made once the tree is in place; the lock goes before the
    // opened files it uses. The context commands exist only with a tree.
    std::unique_ptr<CVaultProtection> m_pProtection;
    std::unique_ptr<CContextCommands> m_pCommands;
    std::unique_ptr<COpenedFiles> m_pOpened;
    std::unique_ptr<CVaultLock> m_pLock;
};

}  // namespace quovex
