#include "VaultLock.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QTimer>

#include "ContentsTree.h"
#include "CoreTexts.h"
#include "IdleWatch.h"
#include "LoginDlg.h"
#include "MessageBox.h"
#include "OpenVault.h"
#include "OpenedFiles.h"
#include "ProgressDlg.h"
#include "VaultLogin.h"
#include "VaultSettings.h"
#include "WaitCursor.h"

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(VaultLock)
};

}  // namespace

CVaultLock::CVaultLock(COpenVault& vault, const CVaultSettings& settings, COpenedFiles& opened,
                       CContentsTree* pTree, QDialog& window)
    : m_vault(vault),
      m_settings(settings),
      m_opened(opened),
      m_pTree(pTree),
      m_window(window),
      m_pIdleWatch(new CIdleWatch(this)) {
    m_pIdleWatch->SetLimitMinutes(m_settings.m_nLockMinutes);
    connect(m_pIdleWatch, &CIdleWatch::IdleTimeReached, this, &CVaultLock::OnIdleTimeReached);
}

CVaultLock::~CVaultLock() = default;

bool CVaultLock::IsLocked() const {
    return m_vault.IsLocked();
}

void CVaultLock::FollowSettings() {
    m_pIdleWatch->SetLimitMinutes(m_settings.m_nLockMinutes);
}

void CVaultLock::OnIdleTimeReached() {
    // A run is never cut short, nor a question about a copy, whose answer
    // decides what becomes of a change: the watch reports again at its
    // next check, until the lock can be.
    if (IsLocked() || RunsInProgress() > 0 || m_opened.IsAskingAboutCopies()) return;
    // A dialog left open is closed; its own event loop must end before the
    // lock runs in the window's, so that comes at the next check.
    if (CloseDialogsAbove()) return;
    OnLock();
}

void CVaultLock::OnSessionLock() {
    m_bSessionLockPending = true;
    TrySessionLock();
}

void CVaultLock::TrySessionLock() {
    // How often a session lock that has to wait looks again.
    constexpr int SESSION_LOCK_RETRY_MS = 250;
    if (!m_bSessionLockPending) return;
    if (IsLocked()) {
        m_bSessionLockPending = false;
        return;
    }
    if (RunsInProgress() > 0 || m_opened.IsAskingAboutCopies() || CloseDialogsAbove()) {
        QTimer::singleShot(SESSION_LOCK_RETRY_MS, this, &CVaultLock::TrySessionLock);
        return;
    }
    m_bSessionLockPending = false;
    OnLock();
}

bool CVaultLock::CloseDialogsAbove() {
    bool bClosed = false;
    if (QWidget* pPopup = QApplication::activePopupWidget()) {
        pPopup->close();
        bClosed = true;
    }
    QWidget* pModal = QApplication::activeModalWidget();
    if (pModal && pModal != &m_window) {
        if (auto* pDialog = qobject_cast<QDialog*>(pModal)) pDialog->reject();
        bClosed = true;
    }
    return bClosed;
}

void CVaultLock::OnLock() {
    if (IsLocked() || RunsInProgress() > 0) return;
    // The client area holds the box list and the tree.
    QWidget* pClient = m_pTree ? m_pTree->parentWidget() : nullptr;
    if (pClient) pClient->hide();
    m_opened.CloseOpenedCopies();
    m_vault.Lock();
    emit LockChanged();
    if (!RunUnlockLogin()) {
        m_window.reject();
        return;
    }
    emit LockChanged();
    if (pClient) pClient->show();
    if (m_pTree) m_pTree->ShowAfresh();
    m_pIdleWatch->Restart();
    // Changes that could not be stored back at the lock are offered again.
    m_opened.OfferLeftoverCopies();
}

void CVaultLock::OnLockCommand() {
    if (IsLocked() || RunsInProgress() > 0) return;
    const QStringList vOpen = m_opened.OpenCopyNames();
    if (!vOpen.isEmpty() &&
        !ShowConfirmBox(Words::tr("这些文件还在其他程序中打开着：\n\n%1\n\n"
                                  "锁定后这些副本将被删除。请先在程序中保存并关闭。")
                            .arg(vOpen.join(u'\n')),
                        Words::tr("锁定(&L)"), &m_window))
        return;
    OnLock();
}

bool CVaultLock::RunUnlockLogin() {
    for (;;) {
        CLoginDlg login(&m_window);
        login.m_strPath = m_vault.Location();
        login.m_strUser = m_vault.LockedUser();
        login.SetForUnlock();
        if (login.exec() != QDialog::Accepted) return false;
        AccessOutcome outcome;
        const bool bRecovery = !login.m_strRecoveryKey.isEmpty();
        {
            // A protected vault's derivation takes about half a second.
            const CWaitCursor wait;
            outcome = bRecovery ? m_vault.UnlockByRecovery(login.m_strRecoveryKey,
                                                           login.m_strPassword, m_limits)
                                : m_vault.Unlock(login.m_strPassword);
        }
        login.ForgetPassword();
        if (outcome.Opened()) {
            if (bRecovery) TellRecovered(&m_window);
            TellRecordFindings(outcome, &m_window);
            return true;
        }
        ShowMessageBox(AccessRefusalText(outcome), MSGBOX_OK, QString(), &m_window);
    }
}

}  // namespace quovex
