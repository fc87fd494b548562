#include "ContextCommands.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTreeWidgetItem>

#include "CancelWatch.h"
#include "ContentsTree.h"
#include "DialogTemplate.h"
#include "DirDialog.h"
#include "FolderChanges.h"
#include "FolderIdentity.h"
#include "ItemProperties.h"
#include "MessageBox.h"
#include "OpenVault.h"
#include "PathText.h"
#include "PlainNames.h"
#include "ProgressDlg.h"
#include "ProtectedLayout.h"
#include "ResolveVersionsDlg.h"
#include "RunReport.h"
#include "StatusText.h"
#include "StoredFileInfo.h"
#include "TreeDeletion.h"
#include "VaultKey.h"
#include "VaultTransfer.h"
#include "VersionTexts.h"
#include "VersionsResolve.h"

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(ContextCommands)
};

}  // namespace

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

// The run's feedback, with every file it shows named by its plain path
// (names: the vault's, made before the run; used on the worker thread).
class CPlainStatus final : public CCancelWatch {
public:
    CPlainStatus(CVaultFeedback& inner, const CPlainNames& names)
        : CCancelWatch(inner), m_names(names) {}
    void SetStatusText(const std::string& strText) override {
        CCancelWatch::SetStatusText(m_names.ShownPathOf(strText));
    }

private:
    const CPlainNames& m_names;
};

// Deletes the folder strFolder with all it holds under the progress dialog
// over pOwner, which may stop it between two files, and returns what is left
// (the first RUN_REPORT_MAX_LINES, *pMore counting the rest).
std::vector<std::string> DeleteFolderUnderProgress(const std::string& strFolder,
                                                   const CPlainNames& names, CVaultEnv* pEnv,
                                                   std::size_t* pMore, QWidget* pOwner) {
    DeleteJob job;
    job.strFolder = strFolder;
    job.pEnv = pEnv;
    job.nMaxLeft = RUN_REPORT_MAX_LINES;
    const auto fnDelete = [&job, &names](CVaultFeedback& feedback) {
        CPlainStatus shown(feedback, names);
        return DeleteWorker(shown, job);
    };
    if (RunWithProgress(fnDelete, PROGRESS_CAN_CANCEL, pOwner) == RunOutcome::RUN_CANCELLED)
        ShowMessageBox(QStringLiteral("User cancelled the operation !"));
    *pMore = job.nMoreLeft;
    return std::move(job.vLeft);
}

}  // namespace

int RestoreAndReport(const COpenVault& vault, const QString& strStored,
                     const QString& strTargetFolder, QWidget* pProgressParent,
                     QWidget* pReportParent) {
    CVaultTransfer transfer(vault.Key(), vault.Env());
    RestoreJob job;
    job.strStoredItem = Native(strStored);
    job.strTargetFolder = Native(strTargetFolder);
    job.strVaultPath = vault.NativeLocation();
    job.pVault = &transfer;
    const auto fnRestore = [&job](CVaultFeedback& feedback) {
        return RestoreWorker(feedback, job);
    };
    const bool bFolder = vault.Env()->GetKind(job.strStoredItem) == EntryKind::ENTRY_FOLDER;
    if (RunWithProgress(fnRestore, PROGRESS_CAN_CANCEL | (bFolder ? PROGRESS_SEVERAL_FILES : 0),
                        pProgressParent) == RunOutcome::RUN_CANCELLED)
        ShowMessageBox(QStringLiteral("User cancelled the operation !"));
    const QString strReport = RunReportText(job.report, RunKind::RUN_RESTORE);
    if (!strReport.isEmpty()) ShowMessageBox(strReport, MSGBOX_OK, QString(), pReportParent);
    return job.report.nFilesDone;
}

CContextCommands::CContextCommands(COpenVault& vault, CContentsTree& tree, QWidget& window)
    : m_vault(vault), m_tree(tree), m_window(window) {}

void CContextCommands::OnRestore() {
    if (const QTreeWidgetItem* pItem = m_tree.SelectedItem())
        RunRestore(m_tree.GetItemPath(pItem), QString());
}

void CContextCommands::OnRestoreTo() {
    const QTreeWidgetItem* pItem = m_tree.SelectedItem();
    if (!pItem) return;
    const QString strStored = m_tree.GetItemPath(pItem);
    CDirDialog dirDialog;
    if (!dirDialog.PickFolder(Words::tr("选择文件夹"))) return;
    if (RestoreTargetTouchesVault(m_vault, strStored, dirDialog.m_strPath)) {
        ShowMessageBox(Words::tr("不能还原到保险柜之内：\n%1").arg(dirDialog.m_strPath), MSGBOX_OK,
                       QString(), &m_window);
        return;
    }
    RunRestore(strStored, dirDialog.m_strPath);
}

void CContextCommands::RunRestore(const QString& strStored, const QString& strTargetFolder) {
    // Where a file restored to its place goes, read before it goes.
    QString strFolder = strTargetFolder;
    if (strFolder.isEmpty() && m_vault.Env()->GetKind(Native(strStored)) == EntryKind::ENTRY_FILE) {
        const StoredFileInfo info =
            ReadStoredFileInfo(Native(strStored), m_vault.Env(), &m_vault.Key());
        if (info.bStored)
            strFolder = QFileInfo(QFile::decodeName(info.strSourcePath.c_str())).path();
    }
    // No owner given: the runner puts the progress dialog over the main window.
    const int nDone = RestoreAndReport(m_vault, strStored, strTargetFolder, nullptr, &m_window);
    m_tree.ShowAfresh();
    if (nDone == 0) return;
    const QString strCount = Words::tr("%n 个文件已还原到", nullptr, nDone);
    if (strFolder.isEmpty())
        ShowWindowStatus(&m_window, strCount + Words::tr("原来的位置"));
    else
        ShowWindowStatus(&m_window, strCount, strFolder);
}

void CContextCommands::OnDelete() {
    const QTreeWidgetItem* pItem = m_tree.SelectedItem();
    if (!pItem) return;
    const QString strPath = m_tree.GetItemPath(pItem);
    const std::string strNative = Native(strPath);
    CVaultEnv* pEnv = m_vault.Env();
    const EntryKind kind = pEnv->GetKind(strNative);
    if (kind == EntryKind::ENTRY_NONE) return;
    const bool bFolder = kind == EntryKind::ENTRY_FOLDER;
    // Every version goes with the item: the other machine's too, so say so.
    const qsizetype nVersions = CContentsTree::VersionNamesOf(pItem).size();
    const CPlainNames names(&m_vault.Key(), pEnv);
    const QString strShown = FromNative(names.ShownPathOf(strNative));
    const QString strQuestion =
        bFolder
            ? Words::tr("目录：%1 \r\n 路径下所有的文件和子目录都将被删除，并且不可恢复。继续吗？")
                  .arg(strShown)
        : nVersions > 1 ? Words::tr(
                              "文件：%1 \r\n 它的全部 %n 个版本都将被删除，并且不可恢复。继续吗？"
                              "\r\n（只保留其中一个版本，请用“解决冲突...”。）",
                              nullptr, nVersions)
                              .arg(strShown)
                        : Words::tr("文件：%1 \r\n 将被删除，并且不可恢复。继续吗？").arg(strShown);
    if (ShowMessageBox(strQuestion, MSGBOX_YESNO | MSGBOX_DEFAULT_NO | MSGBOX_ICON_WARNING,
                       Words::tr("删除警告"), &m_window) != MSGBOX_RESULT_YES)
        return;
    // A file goes at once, a folder under the progress dialog. Either way
    // the user hears of whatever is left, and the tree shows what is there.
    std::size_t nMore = 0;
    std::vector<std::string> vLeftPaths;
    if (bFolder) {
        vLeftPaths = DeleteFolderUnderProgress(strNative, names, pEnv, &nMore, &m_window);
    } else {
        // A stored file of several versions goes with all of them.
        std::vector<std::string> vFiles{strNative};
        for (const QString& strName : CContentsTree::VersionNamesOf(pItem))
            if (const std::string strPath = JoinPath(FolderOf(strNative), Native(strName));
                strPath != strNative)
                vFiles.push_back(strPath);
        for (const std::string& strFile : vFiles) {
            DeleteOneFile(strFile, pEnv);
            for (std::string& strLeft : FindLeftovers(strFile, RUN_REPORT_MAX_LINES, &nMore, pEnv))
                vLeftPaths.push_back(std::move(strLeft));
        }
    }
    // A protected vault's folder tells no more of when something went from
    // it than of when it was stored into.
    if (m_vault.Key().IsProtected()) {
        if (const FolderPtr pParent = pEnv->OpenFolder(FolderOf(strNative)))
            pParent->SetOwnTimes(PROTECTED_STORED_FILE_TIME, 0);
    }
    QStringList vLeft;
    for (const std::string& strLeft : vLeftPaths) vLeft << FromNative(names.ShownPathOf(strLeft));
    const QString strReport =
        ListReportText(Words::tr("以下项目未能删除："), vLeft, static_cast<qsizetype>(nMore));
    if (!strReport.isEmpty()) ShowMessageBox(strReport, MSGBOX_OK, QString(), &m_window);
    m_tree.ShowAfresh();
}

void CContextCommands::OnProperties() {
    if (const QTreeWidgetItem* pItem = m_tree.SelectedItem())
        ShowItemProperties(m_tree.GetItemPath(pItem), &m_window, &m_vault.Key(), m_vault.Env());
}

void CContextCommands::OnResolveVersions(const std::function<void(const QString&)>& fnOpen) {
    const QTreeWidgetItem* pItem = m_tree.SelectedItem();
    if (!pItem) return;
    const QStringList vNames = CContentsTree::VersionNamesOf(pItem);
    if (vNames.size() < 2) {
        ShowMessageBox(Words::tr("这个文件只有一个版本，没有冲突需要解决。"), MSGBOX_OK, QString(),
                       &m_window);
        return;
    }
    CVaultEnv* pEnv = m_vault.Env();
    const std::string strFolder = FolderOf(Native(m_tree.GetItemPath(pItem)));
    std::vector<std::string> vPaths;
    for (const QString& strName : vNames) vPaths.push_back(JoinPath(strFolder, Native(strName)));
    const CPlainNames names(&m_vault.Key(), pEnv);
    const QString strShown = FromNative(names.ShownPathOf(vPaths.back()));
    CResolveVersionsDlg dialog(ReadStoredVersions(vPaths, &m_vault.Key(), pEnv), strShown, fnOpen,
                               &m_window);
    if (dialog.exec() != QDialog::Accepted) return;
    const VersionsResolution resolution =
        dialog.Chosen() == CResolveVersionsDlg::Choice::CHOICE_KEEP_ALL
            ? KeepAllVersions(dialog.Versions(), m_vault.Key(), pEnv)
            : KeepOneVersion(dialog.Versions(), static_cast<std::size_t>(dialog.SelectedVersion()),
                             m_vault.Key(), pEnv);
    QStringList vLeft;
    for (const std::string& strLeft : resolution.vLeft)
        vLeft << FromNative(names.ShownPathOf(strLeft));
    const QString strReport = ResolutionReportText(resolution, vLeft);
    if (!strReport.isEmpty()) ShowMessageBox(strReport, MSGBOX_OK, QString(), &m_window);
    m_tree.ShowAfresh();
}

}  // namespace quovex
