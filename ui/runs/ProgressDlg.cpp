#include "ProgressDlg.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

#include "CoreTexts.h"
#include "DialogBuilder.h"
#include "MessageBox.h"
#include "UiThread.h"
#include "VaultApp.h"
#include "VaultDlg.h"
#include "WaitCursor.h"

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(ProgressDlg)
};

}  // namespace

namespace {

constexpr int IDC_PROGRESS = 1021;
constexpr int IDC_STATUS = 1022;

QWidget* DefaultOwner(QWidget* pParent) {
    if (pParent) return pParent;
    if (const CVaultApp* pApp = CVaultApp::Instance(); pApp && pApp->m_pMainWnd) {
        return pApp->m_pMainWnd;
    }
    return QApplication::activeWindow();
}

// Lets the main window refresh a box: its ShowBoxContents is served
// synchronously for the worker.
void ConnectBoxContents(CProgressDlg& dialog, QWidget* pOwner) {
    if (auto* pMain = qobject_cast<CVaultDlg*>(pOwner)) {
        QObject::connect(&dialog, &CProgressDlg::BoxContentsChanged, pMain,
                         &CVaultDlg::ShowBoxContents);
    }
}

}  // namespace

CProgressDlg::CProgressDlg(int nFlags, QWidget* pParent)
    : QDialog(pParent),
      m_bCanCancel(nFlags & PROGRESS_CAN_CANCEL),
      m_bSeveralFiles(nFlags & PROGRESS_SEVERAL_FILES),
      m_strStatus(Words::tr("请稍候......")) {
    BuildDialog(this, RES_DLG_PROGRESS);
    m_pProgress = FindControl<QProgressBar>(this, IDC_PROGRESS);
    m_pStatus = FindControl<QLabel>(this, IDC_STATUS);
}

CProgressDlg::~CProgressDlg() = default;

void CProgressDlg::showEvent(QShowEvent* pEvent) {
    if (!m_bReady.load()) OnInitDialog();
    QDialog::showEvent(pEvent);
}

void CProgressDlg::OnInitDialog() {
    m_pStatus->setText(m_strStatus);
    m_pProgress->setRange(0, 100);
    m_pProgress->setValue(0);
    m_bReady.store(true);
    // A close request that came before the dialog was up found nothing to
    // close; ask again now that it is.
    if (m_bFinished.load()) QTimer::singleShot(0, this, &CProgressDlg::reject);
}

void CProgressDlg::SetStatusText(const std::string& strText) {
    if (!m_bReady.load()) return;
    {
        const std::lock_guard lock(m_pendingMutex);
        m_strPendingStatus = QString::fromStdString(strText);
        m_bStatusPending = true;
    }
    PostPendingReports();
}

void CProgressDlg::SetProgressPos(int nPos) {
    // Checked here, on the worker's side, so that the block-by-block
    // reports cost a cross-thread call only when the bar moves.
    if (!m_bReady.load() || nPos == m_nLastPos) return;
    {
        const std::lock_guard lock(m_pendingMutex);
        m_nPendingPos = nPos;
    }
    PostPendingReports();
    m_nLastPos = nPos;
}

bool CProgressDlg::AskYesNo(FeedbackQuestion nQuestion, const std::string& strPath) {
    if (const auto it = m_answersForAll.find(nQuestion); it != m_answersForAll.end())
        return it->second;
    const unsigned nButtons = m_bSeveralFiles ? MSGBOX_YESNO_ALL : MSGBOX_YESNO;
    const int nAnswer =
        ShowMessageBox(QuestionText(nQuestion, strPath), nButtons | MSGBOX_DEFAULT_NO);
    if (nAnswer == MSGBOX_RESULT_YES_ALL || nAnswer == MSGBOX_RESULT_NO_ALL)
        m_answersForAll[nQuestion] = nAnswer == MSGBOX_RESULT_YES_ALL;
    return nAnswer == MSGBOX_RESULT_YES || nAnswer == MSGBOX_RESULT_YES_ALL;
}

void CProgressDlg::ShowMessage(FeedbackMessage nMessage, const std::string& strPath,
                               const VolumeRoom& room) {
    ShowMessageBox(MessageText(nMessage, strPath, room), MSGBOX_OK);
}

void CProgressDlg::BeginWaitCursor() {
    {
        const std::lock_guard lock(m_pendingMutex);
        ++m_nWaitCursorDepth;
    }
    PostPendingReports();
}

void CProgressDlg::EndWaitCursor() {
    {
        const std::lock_guard lock(m_pendingMutex);
        if (m_nWaitCursorDepth > 0) --m_nWaitCursorDepth;
    }
    PostPendingReports();
}

void CProgressDlg::PostPendingReports() {
    {
        const std::lock_guard lock(m_pendingMutex);
        if (std::exchange(m_bReportsPosted, true)) return;
    }
    // A call still queued when the dialog goes is dropped with it; the
    // destructor takes the wait cursor down.
    QMetaObject::invokeMethod(this, &CProgressDlg::ShowPendingReports, Qt::QueuedConnection);
}

void CProgressDlg::ShowPendingReports() {
    bool bStatus = false;
    bool bWait = false;
    QString strStatus;
    int nPos = -1;
    {
        const std::lock_guard lock(m_pendingMutex);
        m_bReportsPosted = false;
        bStatus = std::exchange(m_bStatusPending, false);
        strStatus = std::move(m_strPendingStatus);
        nPos = std::exchange(m_nPendingPos, -1);
        bWait = m_nWaitCursorDepth > 0;
    }
    if (bStatus) {
        m_strStatus = strStatus;
        m_pStatus->setText(m_strStatus);
    }
    if (nPos >= 0) m_pProgress->setValue(nPos);
    if (!bWait) {
        m_pWaitCursor.reset();
    } else if (!m_pWaitCursor) {
        m_pWaitCursor = std::make_unique<CWaitCursor>();
    }
}

void CProgressDlg::ShowBoxContents(const std::string& strBoxPath) {
    if (!m_strHeldBackBox.empty() && m_strHeldBackBox != strBoxPath) ShowHeldBackBox();
    m_strHeldBackBox = strBoxPath;
    const auto interval = std::chrono::milliseconds(PROGRESS_BOX_INTERVAL_MS);
    if (std::chrono::steady_clock::now() - m_lastBoxShown >= interval) ShowHeldBackBox();
}

void CProgressDlg::ShowHeldBackBox() {
    if (m_strHeldBackBox.empty()) return;
    const QString strPath = QString::fromStdString(std::exchange(m_strHeldBackBox, {}));
    RunOnObjectThread(this, [&] { emit BoxContentsChanged(strPath); });
    m_lastBoxShown = std::chrono::steady_clock::now();
}

void CProgressDlg::NotifyFinished() {
    ShowHeldBackBox();
    m_bFinished.store(true);
    QMetaObject::invokeMethod(this, &CProgressDlg::reject, Qt::QueuedConnection);
}

void CProgressDlg::reject() {
    if (m_bFinished.load()) {
        if (isVisible()) QDialog::reject();
        return;
    }
    if (m_bCanCancel) m_bCancelled.store(true);
}

unsigned ProgressThreadProc(CPDLGInfo* pInfo) {
    if (!pInfo || !pInfo->m_pDialog || !pInfo->m_fnWorker) return 1;
    try {
        pInfo->m_nResult = pInfo->m_fnWorker(*pInfo->m_pDialog);
    } catch (...) {
        // The dialog must still close; what the worker did is its own report.
        pInfo->m_nResult = RunOutcome::RUN_STOPPED;
    }
    pInfo->m_pDialog->NotifyFinished();
    return 0;
}

namespace {

int s_nRunsInProgress = 0;

// Counts a run from its start to its return, however it returns.
class CRunCount {
public:
    CRunCount() { ++s_nRunsInProgress; }
    ~CRunCount() { --s_nRunsInProgress; }
    CRunCount(const CRunCount&) = delete;
    CRunCount& operator=(const CRunCount&) = delete;
};

// The run that could not be started is told, as nothing else will.
RunOutcome NotStarted(QWidget* pOwner) {
    ShowMessageBox(Words::tr("无法开始处理：内存或线程不足。"), MSGBOX_OK, QString(), pOwner);
    return RunOutcome::RUN_STOPPED;
}

}  // namespace

int RunsInProgress() {
    return s_nRunsInProgress;
}

RunOutcome RunWithProgress(ProgressWorker fnWorker, int nFlags, QWidget* pParent) {
    const CRunCount count;
    QWidget* pOwner = DefaultOwner(pParent);
    CProgressDlg dialog(nFlags, pOwner);
    ConnectBoxContents(dialog, pOwner);
    auto* pInfo = new (std::nothrow) CPDLGInfo(&dialog, std::move(fnWorker));
    if (!pInfo) return NotStarted(pOwner);
    std::thread worker;
    try {
        worker = std::thread(ProgressThreadProc, pInfo);
    } catch (const std::system_error&) {
        delete pInfo;
        return NotStarted(pOwner);
    }
    dialog.exec();
    worker.join();
    // A worker's early stop counts as a cancel only where the dialog took one.
    const RunOutcome nOutcome =
        pInfo->m_nResult == RunOutcome::RUN_CANCELLED && !dialog.IsCancelled()
            ? RunOutcome::RUN_FINISHED
            : pInfo->m_nResult;
    delete pInfo;
    return nOutcome;
}

}  // namespace quovex
