// The progress dialog "处理进度" and the runner that shows it while a
// worker procedure of the core runs on a thread of its own.
#pragma once

#include <QDialog>
#include <QString>
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "VaultFeedback.h"
#include "VaultTransfer.h"

class QLabel;
class QProgressBar;
class QShowEvent;

namespace quovex {

class CWaitCursor;

// Runner flags.
constexpr int PROGRESS_CAN_CANCEL = 1;  // the Cancel button cancels the run
// The run may meet more than one file (several items, or a folder): its
// overwrite questions also offer 全部是 and 全部否. Set by whoever starts
// the run, from its job, since the first question must offer them already.
constexpr int PROGRESS_SEVERAL_FILES = 2;

// Shortest time between two box refreshes asked for by the worker.
constexpr int PROGRESS_BOX_INTERVAL_MS = 100;

// The dialog of one run. Its reporting operations are called on the worker
// thread. The questions, the messages and the box refresh wait until the
// interface thread has carried them out; the status text, the bar position
// and the wait cursor are handed over without waiting. The dialog ends only
// after NotifyFinished.
class CProgressDlg : public QDialog, public CVaultFeedback {
    Q_OBJECT
public:
    // nFlags: PROGRESS_CAN_CANCEL and PROGRESS_SEVERAL_FILES, or 0.
    explicit CProgressDlg(int nFlags, QWidget* pParent = nullptr);
    // Takes down any wait cursor the worker left up.
    ~CProgressDlg() override;

    // Worker thread, without waiting: the status line and the bar show what
    // was reported last. Until the dialog is up, these reports are dropped;
    // a position equal to the last one sent is not sent again.
    void SetStatusText(const std::string& strText) override;
    void SetProgressPos(int nPos) override;
    bool IsCancelled() override { return m_bCancelled.load(); }
    // Shown by the interface thread over this dialog while the worker waits,
    // in the window's words (CoreTexts.h). A question names strPath; Enter
    // answers No, as Yes replaces a file. Once 全部是 or 全部否 was chosen, a
    // later question of the same kind in this run is answered so unasked.
    bool AskYesNo(FeedbackQuestion nQuestion, const std::string& strPath) override;
    // The message names the folder whose volume lacks room, and the room.
    void ShowMessage(FeedbackMessage nMessage, const std::string& strPath,
                     const VolumeRoom& room) override;
    // Any thread, without waiting: the wait cursor is up while more
    // BeginWaitCursor than EndWaitCursor calls have been made.
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    // Emits BoxContentsChanged on the interface thread and waits for it,
    // at most once per PROGRESS_BOX_INTERVAL_MS (counted from the run's
    // start, then from the end of the last one). A request that comes
    // sooner is held back until one that is due or until NotifyFinished; a
    // request for another box first shows the one held back.
    void ShowBoxContents(const std::string& strBoxPath) override;

    // Worker thread, after the worker has returned: shows the box held back
    // by ShowBoxContents, if any, marks the run finished and asks the dialog
    // to close.
    void NotifyFinished();
    bool IsFinished() const { return m_bFinished.load(); }

    // Cancel, Escape and the close request: ends the dialog once the run
    // has finished; before that only sets the cancelled flag, and only when
    // cancelling is allowed.
    void reject() override;

signals:
    void BoxContentsChanged(const QString& strBoxPath);

protected:
    void showEvent(QShowEvent* pEvent) override;

private:
    void OnInitDialog();
    // Worker side: makes sure one call of ShowPendingReports is on its way.
    void PostPendingReports();
    // Interface thread: shows the status text, the bar position and the
    // wait cursor as the worker reported them last.
    void ShowPendingReports();
    // Worker side: emits BoxContentsChanged for the box held back, if any.
    void ShowHeldBackBox();

    int m_nLastPos = 0;  // worker thread only after construction
    std::atomic<bool> m_bReady{false};
    const bool m_bCanCancel;
    const bool m_bSeveralFiles;
    // The 全部是 or 全部否 given to each kind of question; worker thread only.
    std::map<FeedbackQuestion, bool> m_answersForAll;
    std::atomic<bool> m_bCancelled{false};
    std::atomic<bool> m_bFinished{false};
    QProgressBar* m_pProgress;
    QLabel* m_pStatus;
    QString m_strStatus;
    // The status text and the wait cursor are reported around every file,
    // the position every time it moves. Waiting for the interface thread
    // each time would pace a run of many small files by that thread, and on
    // a busy machine by how soon it gets a processor; instead the worker
    // leaves its latest report here and posts at most one call at a time,
    // which shows whatever is latest when it runs.
    std::mutex m_pendingMutex;
    QString m_strPendingStatus;
    bool m_bStatusPending = false;
    int m_nPendingPos = -1;  // -1: no new position
    int m_nWaitCursorDepth = 0;
    bool m_bReportsPosted = false;
    std::unique_ptr<CWaitCursor> m_pWaitCursor;  // interface thread only
    // Worker thread only after construction. The worker waits while the
    // tree lists the box, so that it never lists a box being written to;
    // the refresh is therefore held back on this side: asking the interface
    // thread after every dropped item whether one is due would itself pace
    // a drop of many small files.
    std::string m_strHeldBackBox;
    std::chrono::steady_clock::time_point m_lastBoxShown = std::chrono::steady_clock::now();
};

// What the worker thread is handed: the dialog and the job.
class CPDLGInfo {
public:
    CPDLGInfo(CProgressDlg* pDialog, ProgressWorker fnWorker)
        : m_pDialog(pDialog), m_fnWorker(std::move(fnWorker)) {}

    CProgressDlg* m_pDialog;
    ProgressWorker m_fnWorker;
    RunOutcome m_nResult = RunOutcome::RUN_STOPPED;  // the worker's, once it returned
};

// Entry of the worker thread: runs the worker, then NotifyFinished. 1 when
// pInfo is unusable, else 0. A worker that throws counts as stopped.
unsigned ProgressThreadProc(CPDLGInfo* pInfo);

// Runs fnWorker(dialog) on a new thread while the progress dialog of nFlags
// is up (owner pParent, else the main window), and returns when both have
// ended, with the worker's outcome: RUN_CANCELLED only when it stopped
// early because IsCancelled() was true (a Cancel after the last piece of
// work is no cancel). A run that could not be started is RUN_STOPPED, after
// a message saying so. Interface thread.
RunOutcome RunWithProgress(ProgressWorker fnWorker, int nFlags, QWidget* pParent = nullptr);

// How many RunWithProgress calls have not returned yet (a run started
// while another waits counts too). Interface thread.
int RunsInProgress();

}  // namespace quovex
