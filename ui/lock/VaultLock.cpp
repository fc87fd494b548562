// Locking the open vault: by the File menu's "锁定" (Ctrl+L) and after the
// settings' idle minutes. Interface thread.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QKeySequence>

#include "ContentsTree.h"
#include "CoreTexts.h"
#include "DialogTemplate.h"
#include "IdleWatch.h"
#include "LoginDlg.h"
#include "MessageBox.h"
#include "OpenVault.h"
#include "OpenedFiles.h"
#include "ProgressDlg.h"
#include "VaultDlg.h"
#include "VaultLogin.h"
#include "VaultSettings.h"
#include "WaitCursor.h"

namespace quovex {

void CVaultDlg::InitLocking() {
    ConnectCommand(RES_CMD_LOCK, &CVaultDlg::OnLock);
    m_pIdleWatch = new CIdleWatch(this);
    m_pIdleWatch->SetLimitMinutes(m_settings.m_nLockMinutes);
    connect(m_pIdleWatch, &CIdleWatch::IdleTimeReached, this, &CVaultDlg::OnIdleTimeReached);
}

bool CVaultDlg::IsLocked() const {
    return m_vault.IsLocked();
}

void CVaultDlg::OnIdleTimeReached() {
    // A run is never cut short, nor a question about a copy, whose answer
    // decides what becomes of a change: the watch reports again at its
    // next check, until the lock can be.
    if (IsLocked() || RunsInProgress() > 0 || m_pOpened->IsAskingAboutCopies()) return;
    // A dialog left open is closed; its own event loop must end before the
    // lock runs in the window's, so that comes at the next check.
    if (CloseDialogsAbove()) return;
    OnLock();
}

bool CVaultDlg::CloseDialogsAbove() {
    bool bClosed = false;
    if (QWidget* pPopup = QApplication::activePopupWidget()) {
        pPopup->close();
        bClosed = true;
    }
    QWidget* pModal = QApplication::activeModalWidget();
    if (pModal && pModal != this) {
        if (auto* pDialog = qobject_cast<QDialog*>(pModal)) pDialog->reject();
        bClosed = true;
    }
    return bClosed;
}

void CVaultDlg::OnLock() {
    if (IsLocked() || RunsInProgress() > 0) return;
    // The client area holds the box list and the tree.
    QWidget* pClient = m_pContentsTree ? m_pContentsTree->parentWidget() : nullptr;
    if (pClient) pClient->hide();
    CloseOpenedCopies();
    m_vault.Lock();
    if (!RunUnlockLogin()) {
        reject();
        return;
    }
    if (pClient) pClient->show();
    if (m_pContentsTree) m_pContentsTree->ShowAfresh();
    m_pIdleWatch->Restart();
    // Changes that could not be stored back at the lock are offered again.
    OfferLeftoverCopies();
}

bool CVaultDlg::RunUnlockLogin() {
    for (;;) {
        CLoginDlg login(this);
        login.m_strPath = m_vault.Location();
        login.m_strUser = m_vault.LockedUser();
        login.SetForUnlock();
        if (login.exec() != QDialog::Accepted) return false;
        AccessOutcome outcome;
        {
            // A protected vault's derivation takes about half a second.
            const CWaitCursor wait;
            outcome = m_vault.Unlock(login.m_strPassword);
        }
        login.ForgetPassword();
        if (outcome.Opened()) {
            TellForeignRecord(outcome, this);
            return true;
        }
        ShowMessageBox(AccessRefusalText(outcome), MSGBOX_OK, QString(), this);
    }
}

}  // namespace quovex
