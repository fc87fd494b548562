#include "VaultLogin.h"

#include "CoreTexts.h"
#include "MessageBox.h"
#include "NewVaultDlg.h"
#include "OpenVault.h"
#include "PasswordEntry.h"
#include "RecoveryKeyDlg.h"
#include "VaultAccess.h"
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
    KeyRecordBytes vRecord;
    CSecretBytes recoveryText;
    AccessOutcome outcome;
    {
        const CWaitCursor wait;
        const CUtf8Secret password(strPassword);
        outcome = CreateVault(vault.NativeLocation(), password.Text(), step.m_bProtected, limits,
                              vault.KeyForAccess(), &vRecord, &recoveryText, vault.Env());
    }
    if (!outcome.Opened()) return Refuse(outcome, pParent);
    if (step.m_bProtected) ShowRecoveryKey(recoveryText, pParent);
    return true;
}

bool RecoverAtLogin(COpenVault& vault, const QString& strPassword, const QString& strRecoveryKey,
                    const KdfLimits& limits, QWidget* pParent) {
    AccessOutcome outcome;
    {
        const CWaitCursor wait;
        const CUtf8Secret password(strPassword);
        const CUtf8Secret key(strRecoveryKey);
        outcome = RecoverVault(vault.NativeLocation(), key.Text(), password.Text(), limits,
                               vault.KeyForAccess(), vault.Env());
    }
    return outcome.Opened() || Refuse(outcome, pParent);
}

}  // namespace

bool OpenVaultAtLogin(COpenVault& vault, const QString& strPassword, const QString& strRecoveryKey,
                      const KdfLimits& limits, QWidget* pParent) {
    const VaultKind kind = KindOfVault(vault.NativeLocation(), vault.Env());
    if (!strRecoveryKey.isEmpty())
        return RecoverAtLogin(vault, strPassword, strRecoveryKey, limits, pParent);
    if (kind == VaultKind::VAULT_NONE) return MakeNewVault(vault, strPassword, limits, pParent);
    AccessOutcome outcome;
    {
        // A protected vault's derivation takes about half a second.
        const CWaitCursor wait;
        const CUtf8Secret password(strPassword);
        outcome = OpenVaultKey(vault.NativeLocation(), password.Text(), vault.KeyForAccess(),
                               nullptr, vault.Env());
    }
    return outcome.Opened() || Refuse(outcome, pParent);
}

}  // namespace quovex
