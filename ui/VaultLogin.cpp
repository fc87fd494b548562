#include "VaultLogin.h"

#include "CoreTexts.h"
#include "KnownVaults.h"
#include "MessageBox.h"
#include "NewVaultDlg.h"
#include "OpenVault.h"
#include "RecoveryKeyDlg.h"
#include "WaitCursor.h"

namespace quovex {

namespace {

bool Refuse(const AccessOutcome& outcome, QWidget* pParent) {
    ShowMessageBox(AccessRefusalText(outcome), MSGBOX_OK, QString(), pParent);
    return false;
}

bool MakeNewVault(COpenVault& vault, const QString& strPassword, const KdfLimits& limits,
                  QWidget* pParent) {
    CNewVaultDlg step(strPassword, pParent);
    const bool bChosen = step.exec() == QDialog::Accepted;
    step.ForgetPassword();
    if (!bChosen) return false;
    CSecretBytes recoveryText;
    AccessOutcome outcome;
    {
        const CWaitCursor wait;
        outcome = vault.Create(strPassword, step.m_bProtected, limits, &recoveryText);
    }
    if (!outcome.Opened()) return Refuse(outcome, pParent);
    if (step.m_bProtected) ShowRecoveryKey(recoveryText, pParent);
    return true;
}

// The location was a protected vault and its key record has gone: the
// user hears what that means and must agree, against the default, before
// it is taken for whatever lies there now (a new vault, a scrambled one).
bool AgreeToLoseVault(const COpenVault& vault, QWidget* pParent) {
    const QString strText =
        AccessRefusalText({AccessResult::ACCESS_RECORD_LOST, vault.NativeLocation(), {}, {}}) +
        QStringLiteral(
            "\n\n仍然要在这里使用新的保险柜吗？原来的文件仍留在那里，但只有放回原来的密钥记录才能"
            "打开；之后存入的文件与它们无关。");
    if (ShowMessageBox(strText, MSGBOX_YESNO | MSGBOX_ICON_WARNING | MSGBOX_DEFAULT_NO,
                       QStringLiteral("密钥记录不见了"), pParent) != MSGBOX_RESULT_YES)
        return false;
    ForgetProtected(vault.NativeLocation());
    return true;
}

}  // namespace

bool OpenVaultAtLogin(COpenVault& vault, const QString& strPassword, const QString& strRecoveryKey,
                      const KdfLimits& limits, QWidget* pParent) {
    if (vault.Kind() != VaultKind::VAULT_PROTECTED && IsKnownProtected(vault.NativeLocation()) &&
        !AgreeToLoseVault(vault, pParent))
        return false;
    if (strRecoveryKey.isEmpty() && vault.Kind() == VaultKind::VAULT_NONE)
        return MakeNewVault(vault, strPassword, limits, pParent);
    AccessOutcome outcome;
    {
        // A protected vault's derivation takes about half a second.
        const CWaitCursor wait;
        outcome = strRecoveryKey.isEmpty() ? vault.Open(strPassword)
                                           : vault.Recover(strRecoveryKey, strPassword, limits);
    }
    if (!outcome.Opened()) return Refuse(outcome, pParent);
    TellForeignRecord(outcome, pParent);
    return true;
}

void TellForeignRecord(const AccessOutcome& outcome, QWidget* pParent) {
    if (!outcome.strForeignRecord.empty())
        ShowMessageBox(ForeignRecordText(outcome.strForeignRecord), MSGBOX_OK | MSGBOX_ICON_WARNING,
                       QString(), pParent);
}

}  // namespace quovex
