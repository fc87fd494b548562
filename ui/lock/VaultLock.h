// Locking the open vault: by the File menu's "锁定" (Ctrl+L) and after the
// settings' idle minutes, then the login that opens it again. Interface
// thread.
#pragma once

#include <QObject>

#include "KeyRecord.h"

class QDialog;

namespace quovex {

class CContentsTree;
class CIdleWatch;
class COpenVault;
class COpenedFiles;
class CVaultSettings;

class CVaultLock : public QObject {
    Q_OBJECT
public:
    // vault: the open vault it locks and opens again. settings: the idle
    // minutes (m_nLockMinutes), read now and by FollowSettings. opened: the
    // opened files, dealt with before the key goes and offered again once
    // the vault is open. pTree: the main window's contents tree, which with
    // the box list beside it is hidden while the vault is locked (nullptr
    // when the window has none). window: the main window, parent of the
    // login and its messages; it ends with Cancel when the user gives the
    // login up. All outlive this object. The idle watch starts now.
    CVaultLock(COpenVault& vault, const CVaultSettings& settings, COpenedFiles& opened,
               CContentsTree* pTree, QDialog& window);
    ~CVaultLock() override;

    // The lock: the box list and the tree are hidden, the opened copies
    // dealt with (COpenedFiles::CloseOpenedCopies), the key wiped
    // (COpenVault::Lock), and the login asks for the password of the same
    // user at the same location, again after a refusal. Success opens the
    // vault again, shows the window as it was and offers the changes that
    // could not be stored back (COpenedFiles::OfferLeftoverCopies); Escape
    // there ends the window with Cancel, and so the program. Nothing while
    // the vault is locked already or a run goes on.
    void OnLock();
    // "锁定" asked for by the user: with copies open, they are listed and
    // the user asked whether to lock (their applications still show them,
    // and a save there would fail once the copy is gone); 取消 leaves
    // everything as it is. Then OnLock.
    void OnLockCommand();
    bool IsLocked() const;
    // The idle watch, limited to the settings' minutes; it locks the vault
    // once no run is going on and no question about a copy is up, closing
    // whatever dialog is left open first.
    CIdleWatch* IdleWatch() const { return m_pIdleWatch; }
    // The idle watch takes the settings' minutes again (after the settings
    // sheet ran).
    void FollowSettings();
    // The session was locked or the machine goes to sleep (CSessionWatch):
    // the vault is locked as by the idle watch, asking nothing, as soon as
    // no run is going on and no question about a copy is up.
    void OnSessionLock();
    // The cost of the derivation a recovery at the lock's login runs.
    void SetKdfLimits(const KdfLimits& limits) { m_limits = limits; }

signals:
    // The vault was locked, or opened again.
    void LockChanged();

private:
    void OnIdleTimeReached();
    void TrySessionLock();
    // Closes the menu and the dialog up over the window, if any; true when
    // there was one.
    bool CloseDialogsAbove();
    // The login of a locked vault, until the vault opens (true) or the
    // user gives up (false).
    bool RunUnlockLogin();

    COpenVault& m_vault;
    const CVaultSettings& m_settings;
    COpenedFiles& m_opened;
    CContentsTree* m_pTree;
    QDialog& m_window;
    CIdleWatch* m_pIdleWatch;  // a child of this object
    bool m_bSessionLockPending = false;
    KdfLimits m_limits = KDF_DEFAULT_LIMITS;
};

}  // namespace quovex
