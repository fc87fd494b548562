#include "VaultProtection.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

#include "Boxes.h"
#include "ContentsTree.h"
#include "CoreTexts.h"
#include "DialogTemplate.h"
#include "MessageBox.h"
#include "NamesConversion.h"
#include "OpenVault.h"
#include "PasswordDlgs.h"
#include "PasswordEntry.h"
#include "ProgressDlg.h"
#include "RecoveryKeyDlg.h"
#include "RunReport.h"
#include "StoredFileScan.h"
#include "VaultAccess.h"
#include "VaultConversion.h"
#include "VaultKey.h"
#include "WaitCursor.h"

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(VaultProtection)
};

}  // namespace

namespace {

QString ProtectCaption() {
    return Words::tr("加密保护此保险柜");
}

QString ChangeCaption() {
    return Words::tr("修改口令");
}

QString HideCaption() {
    return Words::tr("隐藏此保险柜的文件名");
}

// What a run that hid names did, when not every name is hidden yet.
QString HidingText(const HideNamesJob& job, RunOutcome nOutcome) {
    QString strText = nOutcome == RunOutcome::RUN_CANCELLED
                          ? Words::tr("隐藏文件名已取消。")
                          : Words::tr("有的文件名没有隐藏（原因见下）。");
    strText += Words::tr(
        "\n这次隐藏了 %n 个文件名；每个文件都还能以原来的名字还原，"
        "再次运行“隐藏此保险柜的文件名...”即可完成其余的。",
        nullptr, PluralCount(job.report.nFilesDone));
    if (job.nScrambledLeft > 0)
        strText +=
            Words::tr("\n保险柜中还有没有加密保护的文件：请先用“加密保护此保险柜...”转换它们。");
    const QString strReport = RunReportText(job.report, RunKind::RUN_CONVERT);
    if (!strReport.isEmpty()) strText += QStringLiteral("\n\n") + strReport;
    return strText;
}

// Asks (with the password and a new one) and makes the key record of the
// scrambled vault open in vault; its recovery key is shown. False when the
// user declined or the record could not be made (said).
bool MakeKeyRecord(COpenVault& vault, const KdfLimits& limits, QWidget* pParent) {
    CProtectVaultDlg ask(vault.Key(), false, pParent);
    const bool bAgreed = ask.exec() == QDialog::Accepted;
    AccessOutcome outcome;
    CSecretBytes recoveryText;
    if (bAgreed) {
        const CWaitCursor wait;
        outcome = vault.Protect(ask.m_strNewPassword, limits, &recoveryText);
    }
    ask.ForgetPasswords();
    if (!bAgreed) return false;
    if (!outcome.Opened()) {
        ShowMessageBox(Words::tr("保险柜没有加密保护。\n") + AccessRefusalText(outcome),
                       MSGBOX_OK | MSGBOX_ICON_WARNING, ProtectCaption(), pParent);
        return false;
    }
    ShowRecoveryKey(recoveryText, pParent);
    return true;
}

// The scrambled files left in the protected vault still open with the
// password in force, which they give away: the record is sealed under a
// new one before they are converted. False when declined or refused (said).
bool ResealBeforeRest(COpenVault& vault, const KdfLimits& limits, QWidget* pParent) {
    CProtectVaultDlg ask(vault.Key(), true, pParent);
    const bool bAgreed = ask.exec() == QDialog::Accepted;
    AccessOutcome outcome;
    if (bAgreed) {
        // Opening the record and sealing it again: two derivations.
        const CWaitCursor wait;
        outcome = vault.ResealForConversion(ask.m_strPassword, ask.m_strNewPassword, limits);
    }
    ask.ForgetPasswords();
    if (!bAgreed) return false;
    if (outcome.Opened()) return true;
    ShowMessageBox(Words::tr("口令没有修改，文件没有转换。\n") + AccessRefusalText(outcome),
                   MSGBOX_OK | MSGBOX_ICON_WARNING, ProtectCaption(), pParent);
    return false;
}

// The scrambled files left were stored under the password the vault had
// before its conversion began: it is asked for until they accept it or
// the user gives up.
bool AdmitRest(COpenVault& vault, QWidget* pParent) {
    for (;;) {
        COldPasswordDlg ask(pParent);
        const bool bAgreed = ask.exec() == QDialog::Accepted;
        AccessOutcome outcome;
        if (bAgreed) outcome = vault.AdmitScrambledFiles(ask.m_strOldPassword);
        ask.ForgetPassword();
        if (!bAgreed) return false;
        if (outcome.Opened()) return true;
        const QString strWhy = outcome.nResult == AccessResult::ACCESS_WRONG_CREDENTIALS
                                   ? Words::tr("这不是这些文件存入时的口令。")
                                   : AccessRefusalText(outcome);
        ShowMessageBox(strWhy, MSGBOX_OK | MSGBOX_ICON_WARNING, ProtectCaption(), pParent);
    }
}

QString ConversionText(const ConvertJob& job, RunOutcome nOutcome) {
    const QString strPart = Words::tr(
        "保险柜只有一部分文件已转换（这次 %n 个）。\n"
        "每个文件都还能读出；再次运行“加密保护此保险柜...”即可完成其余的文件。",
        nullptr, PluralCount(job.report.nFilesDone));
    QString strText;
    switch (nOutcome) {
        case RunOutcome::RUN_FINISHED:
            strText = Words::tr("保险柜已加密保护，转换了 %n 个文件。", nullptr,
                                PluralCount(job.report.nFilesDone));
            break;
        case RunOutcome::RUN_CANCELLED:
            strText = Words::tr("转换已取消：") + strPart;
            break;
        case RunOutcome::RUN_STOPPED:
            strText = Words::tr("转换没有完成（原因见下）：") + strPart;
            break;
    }
    const QString strReport = RunReportText(job.report, RunKind::RUN_CONVERT);
    if (!strReport.isEmpty()) strText += QStringLiteral("\n\n") + strReport;
    return strText;
}

}  // namespace

CVaultProtection::CVaultProtection(COpenVault& vault, CContentsTree* pTree, QWidget& window)
    : m_vault(vault), m_pTree(pTree), m_window(window) {
    // The File menu's enabled commands follow the vault's protection.
    if (auto* pAction = m_window.findChild<QAction*>(QString::number(RES_CMD_CHANGE_PASSWORD))) {
        if (auto* pMenu = qobject_cast<QMenu*>(pAction->parent()))
            connect(pMenu, &QMenu::aboutToShow, this, &CVaultProtection::UpdateProtectionCommands);
    }
    // Another location may hold scrambled files where this one held none.
    connect(&m_vault, &COpenVault::LocationChanged, this, [this] {
        m_nScrambledLeft = -1;
        UpdateProtectionCommands();
    });
    UpdateProtectionCommands();
}

void CVaultProtection::OnChangePassword() {
    if (!m_vault.IsProtected()) return;
    if (HoldsScrambledFiles()) {
        ShowMessageBox(Words::tr("保险柜中还有没有加密保护的文件，它们只能用现在的口令读出。\n"
                                 "请先用“加密保护此保险柜...”转换完，再修改口令。"),
                       MSGBOX_OK | MSGBOX_ICON_WARNING, ChangeCaption(), &m_window);
        return;
    }
    CChangePasswordDlg dialog(&m_window);
    const bool bChosen = dialog.exec() == QDialog::Accepted;
    AccessOutcome outcome;
    if (bChosen) {
        // Opening the record and sealing it again: two derivations.
        const CWaitCursor wait;
        outcome =
            m_vault.ChangePassword(dialog.m_strOldPassword, dialog.m_strNewPassword, m_kdfLimits);
    }
    dialog.ForgetPasswords();
    if (!bChosen) return;
    if (outcome.Opened()) {
        ShowMessageBox(Words::tr("口令已修改，下次登录请用新口令。恢复密钥仍然有效。"),
                       MSGBOX_OK | MSGBOX_ICON_INFORMATION, ChangeCaption(), &m_window);
    } else {
        ShowMessageBox(Words::tr("口令没有修改。\n") + AccessRefusalText(outcome),
                       MSGBOX_OK | MSGBOX_ICON_WARNING, ChangeCaption(), &m_window);
    }
}

void CVaultProtection::OnProtectVault() {
    if (!m_vault.IsProtected()) {
        if (!MakeKeyRecord(m_vault, m_kdfLimits, &m_window)) return;
    } else {
        // The record is there already: a run that was stopped is finished,
        // with the scramble key of the files left.
        using Step = COpenVault::ConversionStep;
        switch (m_vault.NextConversionStep()) {
            case Step::STEP_NOTHING_LEFT:
                return;
            case Step::STEP_READY:
                break;
            case Step::STEP_NEEDS_NEW_PASSWORD:
                if (!ResealBeforeRest(m_vault, m_kdfLimits, &m_window)) return;
                break;
            case Step::STEP_NEEDS_OLD_PASSWORD:
                if (!AdmitRest(m_vault, &m_window)) return;
                break;
        }
    }
    RunConversion();
}

void CVaultProtection::RunConversion() {
    ConvertJob job;
    job.strVaultPath = m_vault.NativeLocation();
    job.pKey = &m_vault.Key();
    job.pEnv = m_vault.Env();
    const auto fnConvert = [&job](CVaultFeedback& feedback) {
        return ConvertWorker(feedback, job);
    };
    const RunOutcome nOutcome = RunWithProgress(fnConvert, PROGRESS_CAN_CANCEL, &m_window);
    m_nScrambledLeft = -1;
    ShowMessageBox(ConversionText(job, nOutcome), MSGBOX_OK | MSGBOX_ICON_INFORMATION,
                   ProtectCaption(), &m_window);
    if (m_pTree) m_pTree->ShowAfresh();
    UpdateProtectionCommands();
}

bool CVaultProtection::CanHideNames() {
    return HiddenNamesOpen() && m_vault.IsProtected() && !m_vault.Key().NamesHidden() &&
           !HoldsScrambledFiles();
}

void CVaultProtection::OnHideNames() {
    if (!CanHideNames()) return;
    CHideNamesDlg ask(&m_window);
    if (ask.exec() != QDialog::Accepted) return;
    // The record must open with the password once the names are hidden:
    // it is checked before anything changes.
    AccessOutcome checked;
    {
        const CWaitCursor wait;
        const CUtf8Secret password(ask.m_strPassword);
        CVaultKey trial(m_vault.Key().User(), password.Text());
        checked =
            OpenVaultKey(m_vault.NativeLocation(), password.Text(), &trial, nullptr, m_vault.Env());
    }
    if (!checked.Opened()) {
        ask.ForgetPassword();
        ShowMessageBox(Words::tr("文件名没有隐藏。\n") + AccessRefusalText(checked),
                       MSGBOX_OK | MSGBOX_ICON_WARNING, HideCaption(), &m_window);
        return;
    }
    HideNamesJob job;
    job.strVaultPath = m_vault.NativeLocation();
    job.pKey = &m_vault.Key();
    job.pEnv = m_vault.Env();
    const auto fnHide = [&job](CVaultFeedback& feedback) { return HideNamesWorker(feedback, job); };
    const RunOutcome nOutcome = RunWithProgress(fnHide, PROGRESS_CAN_CANCEL, &m_window);
    AccessOutcome recorded;
    CSecretBytes recoveryText;
    if (AllNamesHidden(nOutcome, job)) {
        const CWaitCursor wait;
        recorded = m_vault.HideNames(ask.m_strPassword, m_kdfLimits, &recoveryText);
    }
    ask.ForgetPassword();
    if (m_pTree) m_pTree->ShowAfresh();
    UpdateProtectionCommands();
    if (!AllNamesHidden(nOutcome, job)) {
        ShowMessageBox(HidingText(job, nOutcome), MSGBOX_OK | MSGBOX_ICON_INFORMATION,
                       HideCaption(), &m_window);
    } else if (!recorded.Opened()) {
        ShowMessageBox(Words::tr("文件名都已隐藏，但保险柜的记录没有更新。\n") +
                           AccessRefusalText(recorded) +
                           Words::tr("\n再次运行“隐藏此保险柜的文件名...”即可完成。"),
                       MSGBOX_OK | MSGBOX_ICON_WARNING, HideCaption(), &m_window);
    } else {
        ShowRecoveryKey(recoveryText, &m_window);
        ShowMessageBox(Words::tr("保险柜的文件名都已隐藏，隐藏了 %n 个文件名。口令不变；"
                                 "原来的恢复密钥已失效。",
                                 nullptr, PluralCount(job.report.nFilesDone)),
                       MSGBOX_OK | MSGBOX_ICON_INFORMATION, HideCaption(), &m_window);
    }
}

bool CVaultProtection::HoldsScrambledFiles() {
    if (m_nScrambledLeft < 0) {
        bool bFound = false;
        const auto fnVisit = [&bFound](const StoredFileScan& scan) {
            if (scan.bSignature) bFound = true;
        };
        const std::string strLocation = m_vault.NativeLocation();
        for (int nBox = 0; nBox < BOX_COUNT && !bFound; ++nBox)
            ScanStoredFiles(BoxFolderPath(strLocation, nBox), false, fnVisit, m_vault.Env());
        m_nScrambledLeft = bFound ? 1 : 0;
    }
    return m_nScrambledLeft == 1;
}

void CVaultProtection::UpdateProtectionCommands() {
    const bool bProtected = m_vault.IsProtected();
    const bool bScrambledLeft = bProtected && HoldsScrambledFiles();
    const auto fnEnable = [this](int nCommandId, bool bEnabled) {
        if (QAction* pAction = m_window.findChild<QAction*>(QString::number(nCommandId)))
            pAction->setEnabled(bEnabled);
    };
    fnEnable(RES_CMD_CHANGE_PASSWORD, bProtected && !bScrambledLeft);
    fnEnable(RES_CMD_PROTECT_VAULT, !bProtected || bScrambledLeft);
    fnEnable(RES_CMD_HIDE_NAMES, CanHideNames());
    if (QAction* pHide = m_window.findChild<QAction*>(QString::number(RES_CMD_HIDE_NAMES)))
        pHide->setVisible(HiddenNamesOpen());
    // The scramble key would give the password away and opens nothing here.
    if (bProtected && !bScrambledLeft) m_vault.DropScrambleKey();
}

}  // namespace quovex
