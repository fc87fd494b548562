#include "VaultLogin.h"

#include "CoreTexts.h"
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

}  // namespace

bool OpenVaultAtLogin(COpenVault& vault, const QString& strPassword, const QString& strRecoveryKey,
                      const KdfLimits& limits, QWidget* pParent) {
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
