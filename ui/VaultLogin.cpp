#include "VaultLogin.h"

#include <QDir>
#include <QFileInfo>

#include "CoreTexts.h"
#include "MessageBox.h"
#include "NewVaultDlg.h"
#include "OpenVault.h"
#include "RecoveryKeyDlg.h"
#include "VaultSettings.h"
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
        outcome = vault.Create(step.m_bProtected, limits, &recoveryText);
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
        outcome = strRecoveryKey.isEmpty() ? vault.Open() : vault.Recover(strRecoveryKey, limits);
    }
    return outcome.Opened() || Refuse(outcome, pParent);
}

bool TakeTypedLocation(const QString& strTyped, QString* pLocation, QWidget* pParent) {
    const QFileInfo typed(strTyped);
    if (typed.isDir()) {
        *pLocation = strTyped;
        return true;
    }
    // A link to nothing is something there, not a place for a new vault.
    if (typed.exists() || typed.isSymLink()) {
        ShowMessageBox(QStringLiteral("这个位置不是文件夹：\n%1").arg(strTyped), MSGBOX_OK,
                       QString(), pParent);
        return false;
    }
    // A relative path would name a folder below wherever the program runs.
    if (!QDir::isAbsolutePath(strTyped)) {
        ShowMessageBox(QStringLiteral("这个位置不存在：\n%1\n新建保险柜须用完整路径，例如 %2。")
                           .arg(strTyped, DefaultWorkPath()),
                       MSGBOX_OK, QString(), pParent);
        return false;
    }
    const int nAnswer =
        ShowMessageBox(QStringLiteral("这个位置不存在：\n%1\n要在这里新建保险柜吗？").arg(strTyped),
                       MSGBOX_YESNO | MSGBOX_ICON_QUESTION, QString(), pParent);
    if (nAnswer != MSGBOX_RESULT_YES) return false;
    *pLocation = strTyped;
    return true;
}

}  // namespace quovex
