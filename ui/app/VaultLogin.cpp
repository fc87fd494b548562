#include "VaultLogin.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "CoreTexts.h"
#include "KnownVaults.h"
#include "MessageBox.h"
#include "NewVaultDlg.h"
#include "OpenVault.h"
#include "RecoveryKeyDlg.h"
#include "VaultSettings.h"
#include "WaitCursor.h"

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(VaultLogin)
};

}  // namespace

namespace {

bool Refuse(const AccessOutcome& outcome, QWidget* pParent) {
    ShowMessageBox(AccessRefusalText(outcome), MSGBOX_OK, QString(), pParent);
    return false;
}

bool MakeNewVault(COpenVault& vault, const QString& strPassword, const KdfLimits& limits,
                  QWidget* pParent, bool* pbGivenUp) {
    CNewVaultDlg step(strPassword, pParent);
    const bool bChosen = step.exec() == QDialog::Accepted;
    step.ForgetPassword();
    if (!bChosen) {
        if (pbGivenUp) *pbGivenUp = true;
        return false;
    }
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
        AccessRefusalText(
            {AccessResult::ACCESS_RECORD_LOST, vault.NativeLocation(), {}, {}, false, {}}) +
        Words::tr(
            "\n\n仍然要在这里使用新的保险柜吗？原来的文件仍留在那里，但只有放回原来的密钥记录才能"
            "打开；之后存入的文件与它们无关。");
    if (ShowMessageBox(strText, MSGBOX_YESNO | MSGBOX_ICON_WARNING | MSGBOX_DEFAULT_NO,
                       Words::tr("密钥记录不见了"), pParent) != MSGBOX_RESULT_YES)
        return false;
    ForgetProtected(vault.NativeLocation());
    return true;
}

}  // namespace

bool OpenVaultAtLogin(COpenVault& vault, const QString& strPassword, const QString& strRecoveryKey,
                      const KdfLimits& limits, QWidget* pParent, bool* pbGivenUp) {
    if (pbGivenUp) *pbGivenUp = false;
    if (vault.Kind() != VaultKind::VAULT_PROTECTED && IsKnownProtected(vault.NativeLocation()) &&
        !AgreeToLoseVault(vault, pParent))
        return false;
    // A copy whose key record has not arrived is neither opened nor made anew.
    if (RecordAwaited(vault.NativeLocation(), vault.Env()))
        return Refuse(
            {AccessResult::ACCESS_RECORD_AWAITED, vault.NativeLocation(), {}, {}, false, {}},
            pParent);
    if (strRecoveryKey.isEmpty() && vault.Kind() == VaultKind::VAULT_NONE)
        return MakeNewVault(vault, strPassword, limits, pParent, pbGivenUp);
    AccessOutcome outcome;
    {
        // A protected vault's derivation takes about half a second.
        const CWaitCursor wait;
        outcome = strRecoveryKey.isEmpty() ? vault.Open(strPassword)
                                           : vault.Recover(strRecoveryKey, strPassword, limits);
    }
    if (!outcome.Opened()) return Refuse(outcome, pParent);
    if (!strRecoveryKey.isEmpty()) TellRecovered(pParent);
    TellRecordFindings(outcome, pParent);
    return true;
}

void TellRecovered(QWidget* pParent) {
    ShowMessageBox(Words::tr("已用恢复密钥为这个保险柜设置了新口令，保险柜已打开。"
                             "以后请用新口令登录；原来的口令不再有效，恢复密钥仍然有效。"),
                   MSGBOX_OK | MSGBOX_ICON_INFORMATION, Words::tr("口令已重新设置"), pParent);
}

void TellRecordFindings(const AccessOutcome& outcome, QWidget* pParent) {
    if (!outcome.strForeignRecord.empty())
        ShowMessageBox(ForeignRecordText(outcome.strForeignRecord), MSGBOX_OK | MSGBOX_ICON_WARNING,
                       QString(), pParent);
    if (!outcome.strConflictRecord.empty())
        ShowMessageBox(Words::tr("这个保险柜的口令在两台电脑上分别改过了，这次打开它的是另一台电脑"
                                 "改的口令（同步程序保留的冲突副本）。现在两个口令都能打开这个"
                                 "保险柜；再改一次口令之后，就只有新口令能打开了。"),
                       MSGBOX_OK | MSGBOX_ICON_WARNING, Words::tr("口令已经改过"), pParent);
    else if (outcome.bOlderRecord)
        ShowMessageBox(
            Words::tr("这个保险柜的口令已经改过了（可能是在另一台电脑上），这次是用原来的"
                      "口令打开的。请改用新口令登录：新口令登录一次之后，原来的口令就"
                      "打不开这个保险柜了。"),
            MSGBOX_OK | MSGBOX_ICON_WARNING, Words::tr("口令已经改过"), pParent);
}

bool TakeTypedLocation(const QString& strTyped, QString* pLocation, QWidget* pParent) {
    const QFileInfo typed(strTyped);
    if (typed.isDir()) {
        *pLocation = strTyped;
        return true;
    }
    // A link to nothing is something there, not a place for a new vault.
    if (typed.exists() || typed.isSymLink()) {
        ShowMessageBox(Words::tr("这个位置不是文件夹：\n%1").arg(strTyped), MSGBOX_OK, QString(),
                       pParent);
        return false;
    }
    // A relative path would name a folder below wherever the program runs.
    if (!QDir::isAbsolutePath(strTyped)) {
        ShowMessageBox(Words::tr("这个位置不存在：\n%1\n新建保险柜须用完整路径，例如 %2。")
                           .arg(strTyped, DefaultWorkPath()),
                       MSGBOX_OK, QString(), pParent);
        return false;
    }
    const int nAnswer =
        ShowMessageBox(Words::tr("这个位置不存在：\n%1\n要在这里新建保险柜吗？").arg(strTyped),
                       MSGBOX_YESNO | MSGBOX_ICON_QUESTION, QString(), pParent);
    if (nAnswer != MSGBOX_RESULT_YES) return false;
    *pLocation = strTyped;
    return true;
}

}  // namespace quovex
