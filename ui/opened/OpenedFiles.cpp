#include "OpenedFiles.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTreeWidgetItem>
#include <QUrl>
#include <functional>

#include "ContentsTree.h"
#include "ContextCommands.h"
#include "DialogTemplate.h"
#include "FileStore.h"
#include "MessageBox.h"
#include "OpenVault.h"
#include "OpenedCopies.h"
#include "PlainNames.h"
#include "ProgressDlg.h"
#include "RunReport.h"
#include "StoreBack.h"
#include "VaultTransfer.h"

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(OpenedFiles)
};

}  // namespace

namespace {

// An application saves in several writes; a copy is looked at once it
// has been left alone this long.
constexpr int COPY_SETTLE_MS = 500;

std::string Native(const QString& strPath) {
    return QFile::encodeName(strPath).toStdString();
}

// Enter on the tree's selected item does what a double-click does, rather
// than ending the window; with no item selected the window still ends. It
// belongs to pOwner, whose fnActivate it calls: the filter goes with it.
class CEnterOnTree final : public QObject {
public:
    CEnterOnTree(QTreeWidget* pTree, QObject* pOwner,
                 std::function<void(QTreeWidgetItem*)> fnActivate)
        : QObject(pOwner), m_pTree(pTree), m_fnActivate(std::move(fnActivate)) {
        pTree->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override {
        if (pEvent->type() != QEvent::KeyPress) return QObject::eventFilter(pWatched, pEvent);
        const int nKey = static_cast<QKeyEvent*>(pEvent)->key();
        QTreeWidgetItem* pItem = m_pTree->currentItem();
        if ((nKey != Qt::Key_Return && nKey != Qt::Key_Enter) || !pItem || !pItem->isSelected())
            return QObject::eventFilter(pWatched, pEvent);
        m_fnActivate(pItem);
        return true;
    }

private:
    QTreeWidget* m_pTree;
    std::function<void(QTreeWidgetItem*)> m_fnActivate;
};

}  // namespace

COpenedFiles::COpenedFiles(COpenVault& vault, CContentsTree* pTree, QWidget& window)
    : m_vault(vault),
      m_pTree(pTree),
      m_window(window),
      m_pCopies(std::make_unique<COpenedCopies>(vault.Env())) {
    m_copiesTimer.setSingleShot(true);
    m_copiesTimer.setInterval(COPY_SETTLE_MS);
    connect(m_pCopies.get(), &COpenedCopies::CopiesTouched, &m_copiesTimer,
            qOverload<>(&QTimer::start));
    connect(&m_copiesTimer, &QTimer::timeout, this, &COpenedFiles::OnCopiesTouched);
    // The copies belong to the vault whose key would store them back.
    connect(&m_vault, &COpenVault::LeavingLocation, this, &COpenedFiles::CloseOpenedCopies);
    if (!m_pTree) return;
    // A folder's double-click stays the tree's own: it opens or closes it.
    connect(m_pTree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* pItem) {
        if (m_vault.Env()->GetKind(Native(m_pTree->GetItemPath(pItem))) == EntryKind::ENTRY_FILE)
            ActivateItem(pItem, false);
    });
    new CEnterOnTree(m_pTree, this, [this](QTreeWidgetItem* pItem) { ActivateItem(pItem, true); });
}

QStringList COpenedFiles::OpenCopyNames() const {
    QStringList vNames;
    for (const OpenedCopy& copy : m_pCopies->Copies()) vNames << QFileInfo(copy.strPath).fileName();
    return vNames;
}

COpenedFiles::~COpenedFiles() = default;

void COpenedFiles::OnOpen() {
    if (QTreeWidgetItem* pItem = m_pTree ? m_pTree->SelectedItem() : nullptr)
        ActivateItem(pItem, false);
}

void COpenedFiles::ActivateItem(QTreeWidgetItem* pItem, bool bToggle) {
    const QString strPath = m_pTree->GetItemPath(pItem);
    switch (m_vault.Env()->GetKind(Native(strPath))) {
        case EntryKind::ENTRY_FOLDER:
            pItem->setExpanded(!bToggle || !pItem->isExpanded());
            break;
        case EntryKind::ENTRY_FILE:
            OpenStoredFile(strPath);
            break;
        default:
            break;
    }
}

void COpenedFiles::OpenStoredFile(const QString& strStored) {
    if (const OpenedCopy* pCopy = m_pCopies->Find(strStored)) {
        HandOverCopy(pCopy->strPath);
        return;
    }
    // The copy bears the stored file's plain name (the one its restore
    // gives it): the application chosen for it goes by that name.
    const std::string strName = CPlainNames(&m_vault.Key(), m_vault.Env())
                                    .ShownNameOf(Native(strStored), EntryKind::ENTRY_FILE);
    const QString strCopy = m_pCopies->Prepare(strStored, m_vault.Location(), strName);
    if (strCopy.isEmpty()) {
        ShowMessageBox(Words::tr("无法打开：没有可以存放打开文件的私有文件夹。"), MSGBOX_OK,
                       QString(), &m_window);
        return;
    }
    const int nRestored =
        RestoreAndReport(m_vault, strStored, QFileInfo(strCopy).path(), &m_window, &m_window);
    if (nRestored != 1 || !QFileInfo(strCopy).isFile()) {
        m_pCopies->Remove(strCopy);
        return;
    }
    m_pCopies->Settle(strCopy);
    HandOverCopy(strCopy);
}

void COpenedFiles::HandOverCopy(const QString& strCopy) {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(strCopy)))
        ShowMessageBox(Words::tr("没有能打开此文件的程序：\n%1").arg(strCopy), MSGBOX_OK, QString(),
                       &m_window);
}

bool COpenedFiles::IsFreeToAsk() const {
    const QWidget* pModal = QApplication::activeModalWidget();
    return !m_vault.IsLocked() && RunsInProgress() == 0 && !m_bAskingAboutCopies &&
           (!pModal || pModal == &m_window) && !QApplication::activePopupWidget();
}

void COpenedFiles::OnCopiesTouched() {
    // Whatever is going on first runs to its end.
    if (!IsFreeToAsk()) {
        m_copiesTimer.start();
        return;
    }
    AskAboutChangedCopies();
}

void COpenedFiles::AskAboutChangedCopies() {
    if (m_vault.IsLocked() || m_bAskingAboutCopies) return;
    m_bAskingAboutCopies = true;
    // A copy of the list: storing back changes nothing in it, but a
    // question's event loop may.
    const std::vector<OpenedCopy> vCopies = m_pCopies->Copies();
    for (const OpenedCopy& copy : vCopies) {
        if (!m_pCopies->IsChanged(copy)) continue;
        const QString strText =
            Words::tr("«%1» 已修改，存回保险柜吗？").arg(QFileInfo(copy.strPath).fileName());
        const bool bStore = ShowMessageBox(strText, MSGBOX_YESNO | MSGBOX_ICON_QUESTION, QString(),
                                           &m_window) == MSGBOX_RESULT_YES;
        if (!bStore || StoreCopyBack(copy)) m_pCopies->Settle(copy.strPath);
    }
    m_bAskingAboutCopies = false;
}

bool COpenedFiles::StoreCopyBack(const OpenedCopy& copy) {
    const CFileStore files(m_vault.Key(), m_vault.Env());
    StoreBackJob job;
    job.strCopy = Native(copy.strPath);
    job.strStored = Native(copy.strStored);
    job.pFiles = &files;
    const auto fnStore = [&job](CVaultFeedback& feedback) {
        return StoreBackWorker(feedback, job);
    };
    if (RunWithProgress(fnStore, PROGRESS_CAN_CANCEL, &m_window) == RunOutcome::RUN_CANCELLED)
        ShowMessageBox(QStringLiteral("User cancelled the operation !"));
    const QString strReport = RunReportText(job.report, RunKind::RUN_STORE);
    if (!strReport.isEmpty()) ShowMessageBox(strReport, MSGBOX_OK, QString(), &m_window);
    if (m_pTree) m_pTree->ShowAfresh();
    return job.report.nFilesDone == 1;
}

void COpenedFiles::CloseOpenedCopies() {
    AskAboutChangedCopies();
    m_pCopies->CloseAll();
}

void COpenedFiles::OfferLeftoverCopies() {
    if (m_vault.IsLocked()) return;
    const QStringList vAdopted = m_pCopies->AdoptLeftovers(m_vault.Location());
    std::vector<OpenedCopy> vChanged;
    for (const OpenedCopy& copy : m_pCopies->Copies()) {
        if (vAdopted.contains(copy.strPath) && m_pCopies->IsChanged(copy)) vChanged.push_back(copy);
    }
    if (!vChanged.empty()) {
        QStringList vNames;
        for (const OpenedCopy& copy : vChanged) vNames << copy.strStored;
        const QString strText =
            ListReportText(Words::tr("上次没有正常退出，以下打开过的文件已修改："), vNames) +
            Words::tr("\n存回保险柜吗？选“否”将丢弃这些修改。");
        m_bAskingAboutCopies = true;
        const bool bStore = ShowMessageBox(strText, MSGBOX_YESNO | MSGBOX_ICON_QUESTION, QString(),
                                           &m_window) == MSGBOX_RESULT_YES;
        for (const OpenedCopy& copy : vChanged) {
            if (!bStore || StoreCopyBack(copy)) m_pCopies->Settle(copy.strPath);
        }
        m_bAskingAboutCopies = false;
    }
    for (const QString& strCopy : vAdopted) m_pCopies->Close(strCopy);
}

}  // namespace quovex
