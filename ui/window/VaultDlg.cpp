#include "VaultDlg.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStyle>
#include <QSystemTrayIcon>
#include <utility>

#include "AboutDlg.h"
#include "BoxListCtrl.h"
#include "Boxes.h"
#include "ContentsTree.h"
#include "ContextCommands.h"
#include "CoreTexts.h"
#include "DialogBuilder.h"
#include "DirDialog.h"
#include "FindField.h"
#include "HelpViewer.h"
#include "IdleWatch.h"
#include "MessageBox.h"
#include "OpenVault.h"
#include "OpenedFiles.h"
#include "ProgressDlg.h"
#include "ResourceImages.h"
#include "RunReport.h"
#include "SessionWatch.h"
#include "SettingsCommand.h"
#include "StatusText.h"
#include "TreeWatch.h"
#include "VaultLock.h"
#include "VaultProtection.h"
#include "VaultSettings.h"
#include "VaultTray.h"
#include "WindowPlace.h"

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(VaultDlg)
};

}  // namespace

CVaultDlg::CVaultDlg(COpenVault& vault, CVaultSettings& settings, QWidget* pParent)
    : CStretchDialog(pParent), m_vault(vault), m_settings(settings) {
    SetClientArea(BuildDialog(this, RES_DLG_MAIN));
    m_pContentsTree = InstallContentsTree(this);
    if (m_pContentsTree) {
        m_pContentsTree->SetVault(&m_vault.Key(), m_vault.Env());
        // What a sync engine brings shows by itself; never during a run or
        // while locked (the tree is empty then, and the key wiped).
        m_pTreeWatch = new CTreeWatch(
            m_pContentsTree, [this] { return m_bAddRunning || (m_pLock && m_pLock->IsLocked()); });
    }
    // The first box is shown at start.
    if (m_pContentsTree) m_pContentsTree->ShowFolder(m_vault.BoxFolder(BOX_FILE), true);
    setWindowIcon(LoadAppIcon());
    ConnectCommand(RES_CMD_EXIT, &CVaultDlg::OnExit);
    ConnectCommand(RES_CMD_HELP, &CVaultDlg::OnHelp);
    ConnectCommand(RES_CMD_ABOUT, &CVaultDlg::OnAbout);
    ConnectCommand(RES_CMD_SETTINGS, &CVaultDlg::OnSettings);
    ConnectCommand(RES_CMD_CHANGE_PASSWORD, &CVaultDlg::OnChangePassword);
    ConnectCommand(RES_CMD_PROTECT_VAULT, &CVaultDlg::OnProtectVault);
    ConnectCommand(RES_CMD_HIDE_NAMES, &CVaultDlg::OnHideNames);
    ConnectCommand(RES_CMD_RESOLVE, &CVaultDlg::OnResolveVersions);
    ConnectCommand(RES_CMD_STORE_FILES, &CVaultDlg::OnStoreFiles);
    ConnectCommand(RES_CMD_STORE_FOLDER, &CVaultDlg::OnStoreFolder);
    m_pProtection = std::make_unique<CVaultProtection>(m_vault, m_pContentsTree, *this);
    if (m_pContentsTree) {
        m_pCommands = std::make_unique<CContextCommands>(m_vault, *m_pContentsTree, *this);
        connect(m_pContentsTree, &CContentsTree::CommandChosen, this, &CVaultDlg::OnContextCommand);
    }
    InitFind();
    m_pOpened = std::make_unique<COpenedFiles>(m_vault, m_pContentsTree, *this);
    ConnectCommand(RES_CMD_LOCK, &CVaultDlg::OnLock);
    m_pLock = std::make_unique<CVaultLock>(m_vault, m_settings, *m_pOpened, m_pContentsTree, *this);
    // The vault locks with the session, and before the machine sleeps.
    m_pSessionWatch = new CSessionWatch(QDBusConnection::systemBus(), this);
    connect(m_pSessionWatch, &CSessionWatch::LockRequested, m_pLock.get(),
            &CVaultLock::OnSessionLock);
    UseTray(QSystemTrayIcon::isSystemTrayAvailable());
    connect(m_pLock.get(), &CVaultLock::LockChanged, this, [this] { m_pTray->FollowVault(); });
    connect(m_pLock->IdleWatch(), &CIdleWatch::IdleTimeNear, this, [this] {
        const QString strWarning =
            Words::tr("一分钟后保险柜将自动锁定，打开着的文件副本将被删除。请先保存。");
        m_pTray->Tell(strWarning);
        ShowStatus(strWarning);
    });
}

void CVaultDlg::UseTray(bool bAvailable) {
    delete m_pTray;
    m_pTray = new CVaultTray(*this, bAvailable);
}

void CVaultDlg::closeEvent(QCloseEvent* pEvent) {
    if (m_pTray && m_pTray->IsAvailable() && !IsLocked()) {
        pEvent->ignore();
        hide();
        m_pTray->TellKeptInTray();
        return;
    }
    CStretchDialog::closeEvent(pEvent);
}

void CVaultDlg::InitFind() {
    auto* pField = FindControl<QLineEdit>(this, RES_ID_FIND_TEXT);
    if (!pField || !m_pContentsTree) return;
    new CFindField(pField, m_pContentsTree);
    ConnectCommand(RES_CMD_FIND, &CVaultDlg::OnFind);
    ConnectCommand(RES_CMD_REFRESH, &CVaultDlg::OnRefresh);
}

void CVaultDlg::OnFind() {
    if (auto* pField = FindControl<QLineEdit>(this, RES_ID_FIND_TEXT)) {
        pField->setFocus(Qt::ShortcutFocusReason);
        pField->selectAll();
    }
}

void CVaultDlg::OnStoreFiles() {
    if (!m_pBoxList || m_pBoxList->BoxPath().isEmpty()) return;
    const QString strBox = m_pBoxList->BoxPath();
    const QStringList vFiles =
        PickFilesToStore(Words::tr("选择要存入%1的文件").arg(BoxCaptionOf(strBox)), this);
    if (!vFiles.isEmpty()) QueueDrop(vFiles, strBox);
}

void CVaultDlg::OnStoreFolder() {
    if (!m_pBoxList || m_pBoxList->BoxPath().isEmpty()) return;
    const QString strBox = m_pBoxList->BoxPath();
    CDirDialog dirDialog;
    if (dirDialog.PickFolder(Words::tr("选择要存入%1的文件夹").arg(BoxCaptionOf(strBox))))
        QueueDrop({dirDialog.m_strPath}, strBox);
}

void CVaultDlg::OnRefresh() {
    if (m_pContentsTree) m_pContentsTree->ShowAfresh();
}

CVaultDlg::~CVaultDlg() = default;

const CVaultKey& CVaultDlg::Key() const {
    return m_vault.Key();
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
        case RES_CMD_RESOLVE:
            OnResolveVersions();
            break;
        default:
            break;
    }
}

QTreeWidgetItem* CVaultDlg::SelectedItem() const {
    return m_pContentsTree ? m_pContentsTree->SelectedItem() : nullptr;
}

void CVaultDlg::OnRestore() {
    if (m_pCommands) m_pCommands->OnRestore();
}

void CVaultDlg::OnRestoreTo() {
    if (m_pCommands) m_pCommands->OnRestoreTo();
}

void CVaultDlg::OnDelete() {
    if (m_pCommands) m_pCommands->OnDelete();
}

void CVaultDlg::OnProperties() {
    if (m_pCommands) m_pCommands->OnProperties();
}

void CVaultDlg::OnResolveVersions() {
    if (m_pCommands)
        m_pCommands->OnResolveVersions(
            [this](const QString& strStored) { OpenStoredFile(strStored); });
}

void CVaultDlg::OnOpen() {
    m_pOpened->OnOpen();
}

void CVaultDlg::OpenStoredFile(const QString& strStored) {
    m_pOpened->OpenStoredFile(strStored);
}

void CVaultDlg::AskAboutChangedCopies() {
    m_pOpened->AskAboutChangedCopies();
}

void CVaultDlg::CloseOpenedCopies() {
    m_pOpened->CloseOpenedCopies();
}

void CVaultDlg::OfferLeftoverCopies() {
    m_pOpened->OfferLeftoverCopies();
}

void CVaultDlg::OnLock() {
    m_pLock->OnLockCommand();
}

bool CVaultDlg::IsLocked() const {
    return m_pLock->IsLocked();
}

CIdleWatch* CVaultDlg::IdleWatch() const {
    return m_pLock->IdleWatch();
}

void CVaultDlg::OnChangePassword() {
    m_pProtection->OnChangePassword();
}

void CVaultDlg::OnProtectVault() {
    m_pProtection->OnProtectVault();
}

void CVaultDlg::OnHideNames() {
    m_pProtection->OnHideNames();
}

void CVaultDlg::UpdateProtectionCommands() {
    m_pProtection->UpdateProtectionCommands();
}

void CVaultDlg::SetKdfLimits(const KdfLimits& limits) {
    m_pProtection->SetKdfLimits(limits);
    m_pLock->SetKdfLimits(limits);
}

bool CVaultDlg::OnInitDialog() {
    InitSizing(10);
    InitBoxList();
    AddAnchor(FindControl(this, RES_ID_BOX_LIST), ANCHOR_STRETCH, ANCHOR_FIXED);
    AddAnchor(FindControl(this, RES_ID_FIND_TEXT), ANCHOR_STRETCH, ANCHOR_FIXED);
    AddAnchor(FindControl(this, RES_ID_CONTENTS_TREE), ANCHOR_STRETCH, ANCHOR_STRETCH);
    AddAnchor(FindControl(this, RES_ID_MAIN_STATUS), ANCHOR_HALF, ANCHOR_MOVE);
    // Where the window was left, unless that is no longer on a screen; the
    // minimum size still holds. The first time: wide enough for the four
    // boxes side by side, in the middle of the screen.
    if (m_settings.HasWindowPlace() && FitsOnAScreen(m_settings.WindowPlace())) {
        setGeometry(m_settings.WindowPlace());
    } else {
        WidenForAllBoxes();
        if (const QScreen* pScreen = screen()) {
            QRect rc = geometry();
            rc.moveCenter(pScreen->availableGeometry().center());
            move(rc.topLeft());
        }
    }
    return true;
}

void CVaultDlg::WidenForAllBoxes() {
    if (!m_pBoxList || m_pBoxList->count() == 0) return;
    const QSize item = m_pBoxList->sizeHintForIndex(m_pBoxList->model()->index(0, 0));
    const int nNeed = BOX_COUNT * (item.width() + 2 * m_pBoxList->spacing() + 4) +
                      2 * m_pBoxList->frameWidth() +
                      style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8;
    const int nMore = nNeed - m_pBoxList->width();
    if (nMore <= 0) return;
    const int nRoom = screen() ? screen()->availableGeometry().width() : width() + nMore;
    resize(qMin(width() + nMore, qMax(width(), nRoom)), height());
}

void CVaultDlg::done(int nResult) {
    // No plain copy outlives the window (a locked vault has none left).
    if (!IsLocked()) CloseOpenedCopies();
    // A window ended before it was ever shown has no place of its own.
    if (isVisible()) m_settings.SetWindowPlace(normalGeometry());
    CStretchDialog::done(nResult);
}

void CVaultDlg::InitBoxList() {
    QWidget* pPlaceholder = FindControl(this, RES_ID_BOX_LIST);
    if (!pPlaceholder || m_pBoxList) return;
    m_pBoxList = new CBoxListCtrl(m_vault, pPlaceholder->parentWidget());
    m_pBoxList->setGeometry(pPlaceholder->geometry());
    m_pBoxList->setAcceptDrops(true);
    m_pBoxList->stackUnder(pPlaceholder);
    delete pPlaceholder;
    m_pBoxList->setObjectName(QString::number(RES_ID_BOX_LIST));
    connect(m_pBoxList, &CBoxListCtrl::BoxSelected, this, &CVaultDlg::ShowBoxContents);
    connect(m_pBoxList, &CBoxListCtrl::FilesDropped, this, &CVaultDlg::QueueDrop);
    m_pBoxList->FillBoxList();
    m_pBoxList->show();
}

void CVaultDlg::ShowBoxContents(const QString& strBoxPath) {
    // During a run the progress dialog spaces these calls out (at most one
    // every PROGRESS_BOX_INTERVAL_MS, and always one at its end).
    if (m_pContentsTree) m_pContentsTree->ShowFolder(strBoxPath, true);
    emit BoxContentsRequested(strBoxPath);
}

void CVaultDlg::QueueDrop(const QStringList& vPaths, const QString& strBoxPath) {
    m_vQueuedDrops.emplace_back(vPaths, strBoxPath);
    QMetaObject::invokeMethod(this, &CVaultDlg::RunQueuedDrops, Qt::QueuedConnection);
}

void CVaultDlg::RunQueuedDrops() {
    // A run already up takes the queued drops after its own.
    if (m_bAddRunning) return;
    m_bAddRunning = true;
    while (!m_vQueuedDrops.empty()) {
        const auto [vPaths, strBoxPath] = std::move(m_vQueuedDrops.front());
        m_vQueuedDrops.pop_front();
        StartAddFromDrop(vPaths, strBoxPath);
    }
    m_bAddRunning = false;
}

int CVaultDlg::StartAddFromDrop(const QStringList& vDropList, const QString& strBoxPath) {
    if (vDropList.isEmpty() || strBoxPath.isEmpty()) return 1;
    CVaultTransfer transfer(m_vault.Key(), m_vault.Env());
    transfer.SetDeleteSource(m_settings.m_bDeleteSource);
    DropJob job;
    for (const QString& strPath : vDropList)
        job.vDropList.push_back(QFile::encodeName(strPath).toStdString());
    job.strBoxPath = QFile::encodeName(strBoxPath).toStdString();
    job.pVault = &transfer;
    const auto fnAdd = [&job](CVaultFeedback& feedback) { return AddDropWorker(feedback, job); };
    const bool bSeveral = job.vDropList.size() > 1 ||
                          m_vault.Env()->GetKind(job.vDropList.front()) == EntryKind::ENTRY_FOLDER;
    const RunOutcome nOutcome =
        RunWithProgress(fnAdd, PROGRESS_CAN_CANCEL | (bSeveral ? PROGRESS_SEVERAL_FILES : 0), this);
    if (nOutcome == RunOutcome::RUN_CANCELLED)
        ShowMessageBox(QStringLiteral("User cancelled the operation !"));
    ShowStatus(StoredSummaryText(job.report.nFilesDone, strBoxPath));
    const QString strReport = RunReportText(job.report, RunKind::RUN_STORE);
    if (!strReport.isEmpty()) ShowMessageBox(strReport, MSGBOX_OK, QString(), this);
    return 1;
}

QString CVaultDlg::BoxCaptionOf(const QString& strBoxPath) const {
    for (int nBox = 0; nBox < BOX_COUNT; ++nBox)
        if (m_vault.BoxFolder(nBox) == strBoxPath) return BoxCaption(nBox);
    return QFileInfo(strBoxPath).fileName();
}

QString CVaultDlg::StoredSummaryText(std::uint64_t nFiles, const QString& strBoxPath) const {
    return Words::tr("%n 个文件已存入%1", nullptr, nFiles).arg(BoxCaptionOf(strBoxPath));
}

void CVaultDlg::ShowStatus(const QString& strText) {
    ShowWindowStatus(this, strText);
}

void CVaultDlg::ConnectCommand(int nCommandId, void (CVaultDlg::*pHandler)()) {
    if (QAction* pAction = findChild<QAction*>(QString::number(nCommandId))) {
        connect(pAction, &QAction::triggered, this, pHandler);
    }
}

void CVaultDlg::OnExit() {
    accept();
}

void CVaultDlg::OnHelp() {
    ShowProgramHelp(this);
}

void CVaultDlg::OnAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CVaultDlg::OnSettings() {
    RunSettingsCommand(m_vault, m_settings, this);
    m_pLock->FollowSettings();
}

void CVaultDlg::keyPressEvent(QKeyEvent* pEvent) {
    if (pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter) {
        OnExit();
        return;
    }
    QDialog::keyPressEvent(pEvent);
}

}  // namespace quovex
