// The commands of the contents tree's context menu: restore, restore to,
// delete and properties, each on the selected item. Interface thread.
#include <QFile>
#include <QTreeWidgetItem>

#include "ContentsTree.h"
#include "DialogTemplate.h"
#include "DirDialog.h"
#include "FolderChanges.h"
#include "FolderIdentity.h"
#include "ItemProperties.h"
#include "MessageBox.h"
#include "OpenVault.h"
#include "PathText.h"
#include "ProgressDlg.h"
#include "RunReport.h"
#include "TreeDeletion.h"
#include "VaultDlg.h"
#include "VaultTransfer.h"

namespace quovex {

namespace {

std::string Native(const QString& strPath) {
    return QFile::encodeName(strPath).toStdString();
}

QString FromNative(const std::string& strPath) {
    return QFile::decodeName(QByteArray::fromStdString(strPath));
}

// Whether restoring strStored below strTarget would write into what the
// vault holds: the restored item would lie in a box folder or be one. The
// rest of the vault's location is an ordinary folder.
bool RestoreTargetTouchesVault(const COpenVault& vault, const QString& strStored,
                               const QString& strTarget) {
    CVaultEnv* pEnv = vault.Env();
    const KeepOutSet keep = VaultKeepOutSet(pEnv->OpenFolder(vault.NativeLocation()));
    const std::string strLanding = JoinPath(Native(strTarget), LastComponent(Native(strStored)));
    return PathLeadsInto(pEnv, strLanding, keep);
}

// Deletes the folder strFolder with all it holds under the progress dialog
// over pOwner, which may stop it between two files, and returns what is left
// (the first RUN_REPORT_MAX_LINES, *pMore counting the rest).
std::vector<std::string> DeleteFolderUnderProgress(const std::string& strFolder, CVaultEnv* pEnv,
                                                   std::size_t* pMore, QWidget* pOwner) {
    DeleteJob job;
    job.strFolder = strFolder;
    job.pEnv = pEnv;
    job.nMaxLeft = RUN_REPORT_MAX_LINES;
    const auto fnDelete = [&job](CVaultFeedback& feedback) { return DeleteWorker(feedback, job); };
    if (RunWithProgress(fnDelete, PROGRESS_CAN_CANCEL, pOwner) == RunOutcome::RUN_CANCELLED)
        ShowMessageBox(QStringLiteral("User cancelled the operation !"));
    *pMore = job.nMoreLeft;
    return std::move(job.vLeft);
}

}  // namespace

QTreeWidgetItem* CVaultDlg::SelectedItem() const {
    if (!m_pContentsTree) return nullptr;
    const QList<QTreeWidgetItem*> vSelected = m_pContentsTree->selectedItems();
    return vSelected.isEmpty() ? nullptr : vSelected.front();
}

void CVaultDlg::OnContextCommand(int nCommandId) {
    switch (nCommandId) {
        case RES_CMD_RESTORE:
            OnRestore();
            break;
        case RES_CMD_RESTORE_TO:
            OnRestoreTo();
            break;
        case RES_CMD_DELETE:
            OnDelete();
            break;
        case RES_CMD_PROPERTIES:
            OnProperties();
            break;
        case RES_CMD_OPEN:
            OnOpen();
            break;
        default:
            break;
    }
}

void CVaultDlg::OnRestore() {
    if (const QTreeWidgetItem* pItem = SelectedItem())
        RunRestore(m_pContentsTree->GetItemPath(pItem), QString());
}

void CVaultDlg::OnRestoreTo() {
    const QTreeWidgetItem* pItem = SelectedItem();
    if (!pItem) return;
    const QString strStored = m_pContentsTree->GetItemPath(pItem);
    CDirDialog dirDialog;
    if (!dirDialog.PickFolder(QStringLiteral("选择文件夹"))) return;
    if (RestoreTargetTouchesVault(m_vault, strStored, dirDialog.m_strPath)) {
        ShowMessageBox(QStringLiteral("不能还原到保险柜之内：\n%1").arg(dirDialog.m_strPath),
                       MSGBOX_OK, QString(), this);
        return;
    }
    RunRestore(strStored, dirDialog.m_strPath);
}

void CVaultDlg::RunRestore(const QString& strStored, const QString& strTargetFolder) {
    RestoreAndReport(strStored, strTargetFolder, nullptr);
    m_pContentsTree->ShowAfresh();
}

int CVaultDlg::RestoreAndReport(const QString& strStored, const QString& strTargetFolder,
                                QWidget* pProgressParent) {
    CVaultTransfer transfer(m_vault.Key(), m_vault.Env());
    RestoreJob job;
    job.strStoredItem = Native(strStored);
    job.strTargetFolder = Native(strTargetFolder);
    job.strVaultPath = m_vault.NativeLocation();
    job.pVault = &transfer;
    const auto fnRestore = [&job](CVaultFeedback& feedback) {
        return RestoreWorker(feedback, job);
    };
    const bool bFolder = m_vault.Env()->GetKind(job.strStoredItem) == EntryKind::ENTRY_FOLDER;
    if (RunWithProgress(fnRestore, PROGRESS_CAN_CANCEL | (bFolder ? PROGRESS_SEVERAL_FILES : 0),
                        pProgressParent) == RunOutcome::RUN_CANCELLED)
        ShowMessageBox(QStringLiteral("User cancelled the operation !"));
    const QString strReport = RunReportText(job.report, RunKind::RUN_RESTORE);
    if (!strReport.isEmpty()) ShowMessageBox(strReport, MSGBOX_OK, QString(), this);
    return job.report.nFilesDone;
}

void CVaultDlg::OnDelete() {
    const QTreeWidgetItem* pItem = SelectedItem();
    if (!pItem) return;
    const QString strPath = m_pContentsTree->GetItemPath(pItem);
    const std::string strNative = Native(strPath);
    CVaultEnv* pEnv = m_vault.Env();
    const EntryKind kind = pEnv->GetKind(strNative);
    if (kind == EntryKind::ENTRY_NONE) return;
    const bool bFolder = kind == EntryKind::ENTRY_FOLDER;
    const QString strQuestion =
        bFolder ? QStringLiteral(
                      "目录：%1 \r\n 路径下所有的文件和子目录都将被删除，并且不可恢复。继续吗？")
                : QStringLiteral("文件：%1 \r\n 将被删除，并且不可恢复。继续吗？");
    if (ShowMessageBox(strQuestion.arg(strPath),
                       MSGBOX_YESNO | MSGBOX_DEFAULT_NO | MSGBOX_ICON_WARNING,
                       QStringLiteral("删除警告"), this) != MSGBOX_RESULT_YES)
        return;
    // A file goes at once, a folder under the progress dialog. Either way
    // the user hears of whatever is left, and the tree shows what is there.
    std::size_t nMore = 0;
    std::vector<std::string> vLeftPaths;
    if (bFolder) {
        vLeftPaths = DeleteFolderUnderProgress(strNative, pEnv, &nMore, this);
    } else {
        DeleteOneFile(strNative, pEnv);
        vLeftPaths = FindLeftovers(strNative, RUN_REPORT_MAX_LINES, &nMore, pEnv);
    }
    QStringList vLeft;
    for (const std::string& strLeft : vLeftPaths) vLeft << FromNative(strLeft);
    const QString strReport =
        ListReportText(QStringLiteral("以下项目未能删除："), vLeft, static_cast<qsizetype>(nMore));
    if (!strReport.isEmpty()) ShowMessageBox(strReport, MSGBOX_OK, QString(), this);
    m_pContentsTree->ShowAfresh();
}

void CVaultDlg::OnProperties() {
    if (const QTreeWidgetItem* pItem = SelectedItem())
        ShowItemProperties(m_pContentsTree->GetItemPath(pItem), this, &m_vault.Key(),
                           m_vault.Env());
}

}  // namespace quovex
