// The progress runner: worker thread, reports carried to the interface
// thread, the cancel rules, and a real store under the dialog.
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <atomic>
#include <thread>

#include "DialogBuilder.h"
#include "MessageBox.h"
#include "ProgressDlg.h"
#include "UiTestSupport.h"
#include "VaultCipher.h"
#include "VaultTransfer.h"

using namespace quovex;

namespace {

// Two gates the test opens for its worker, which blocks on each without
// a time limit; the test opens both when it ends early, so that a failure
// cannot leave the worker, and the dialog with it, waiting for ever.
struct WorkerGate {
    std::atomic<bool> bShown{false};  // the dialog is up: report
    std::atomic<bool> bGo{false};     // look for a cancel and return
    std::atomic<int> nReports{0};
    std::atomic<bool> bSawCancel{false};
    int nResult = 1;

    static void Open(std::atomic<bool>& bGate) {
        bGate = true;
        bGate.notify_all();
    }
    void OpenAll() {
        Open(bShown);
        Open(bGo);
    }
};

// Reports the positions 1 to 20 once the dialog is up, then, let go,
// records whether it sees a cancel and returns gate.nResult (0 standing for
// a worker that stopped early on that cancel). After the reports it never
// waits for the interface thread, so the test may block that thread.
int GatedWorker(CVaultFeedback& feedback, void* pData) {
    auto& gate = *static_cast<WorkerGate*>(pData);
    gate.bShown.wait(false);
    for (int nPos = 1; nPos <= 20; ++nPos) {
        feedback.SetProgressPos(nPos);
        gate.nReports = nPos;
    }
    gate.bGo.wait(false);
    gate.bSawCancel = feedback.IsCancelled();
    return gate.nResult;
}

// Counts the calls carried over to a control's thread.
class CCallCounter : public QObject {
public:
    int m_nCalls = 0;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override {
        if (pEvent->type() == QEvent::MetaCall) ++m_nCalls;
        return QObject::eventFilter(pWatched, pEvent);
    }
};

}  // namespace

class TestProgressDlg : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { test::CancelPendingWaits(); }
    void workerReturningAtOnceClosesTheDialog();
    void cancelRules_data();
    void cancelRules();
    void reportsReachTheControlsOnceUpAndOnlyOnChange();
    void storesSeveralFilesUnderTheDialog();
};

void TestProgressDlg::workerReturningAtOnceClosesTheDialog() {
    // Most often before the dialog is up; its 0 without any Cancel is no cancel.
    WorkerGate gate;
    gate.OpenAll();
    gate.nResult = 0;
    QCOMPARE(RunWithProgress(GatedWorker, PROGRESS_CAN_CANCEL, &gate), 1);
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(ProgressThreadProc(nullptr), 1u);
}

void TestProgressDlg::cancelRules_data() {
    QTest::addColumn<int>("nFlags");
    QTest::addColumn<bool>("bAfterReturn");  // Cancel once the worker has returned
    QTest::addColumn<int>("nWorkerResult");
    QTest::addColumn<bool>("bCancelled");  // as the worker sees it
    QTest::addColumn<int>("nExpected");
    const int CAN = PROGRESS_CAN_CANCEL;
    // The worker sees the cancel and stops early.
    QTest::newRow("mid-run") << CAN << false << 0 << true << 0;
    // Cancel, Escape and closing are all ignored.
    QTest::newRow("can-cancel 0") << 0 << false << 0 << false << 1;
    // The worker did all its work: the Cancel came too late to count.
    QTest::newRow("before the last work") << CAN << false << 1 << true << 1;
    // Ends the dialog at once; the worker's 0 is then no cancel.
    QTest::newRow("after the worker returned") << CAN << true << 0 << false << 1;
}

// The worker waits at its gate while the test cancels, so that what the
// test sees does not depend on when the worker runs.
void TestProgressDlg::cancelRules() {
    QFETCH(int, nFlags);
    QFETCH(bool, bAfterReturn);
    QFETCH(int, nWorkerResult);
    QFETCH(bool, bCancelled);
    QFETCH(int, nExpected);
    WorkerGate gate;
    gate.nResult = nWorkerResult;
    bool bEnded = false;
    int nBar = 0;
    test::WhenModal<CProgressDlg>([&](CProgressDlg* pDialog) {
        const auto release = qScopeGuard([&] { gate.OpenAll(); });
        QCOMPARE(pDialog->windowTitle(), QStringLiteral("处理进度"));
        WorkerGate::Open(gate.bShown);
        QVERIFY(test::WaitUntil([&] { return gate.nReports == 20; }));
        test::SaveScreenshot(pDialog, QStringLiteral("progress-running"));
        if (bAfterReturn) {
            WorkerGate::Open(gate.bGo);  // and keep its close request waiting
            while (!pDialog->IsFinished()) std::this_thread::yield();
        }
        FindControl<QPushButton>(pDialog, 2)->click();
        if (pDialog->isVisible()) {
            QTest::keyClick(pDialog, Qt::Key_Escape);
            pDialog->close();
        }
        // Cancelling never closes the dialog by itself.
        bEnded = !pDialog->isVisible();
        nBar = FindControl<QProgressBar>(pDialog, 1021)->value();
    });
    QCOMPARE(RunWithProgress(GatedWorker, nFlags, &gate), nExpected);
    QCOMPARE(bEnded, bAfterReturn);
    QCOMPARE(gate.bSawCancel.load(), bCancelled);
    QCOMPARE(nBar, 20);
}

void TestProgressDlg::reportsReachTheControlsOnceUpAndOnlyOnChange() {
    CProgressDlg dialog(PROGRESS_CAN_CANCEL);
    auto* pStatus = FindControl<QLabel>(&dialog, 1022);
    auto* pBar = FindControl<QProgressBar>(&dialog, 1021);
    // Dropped before the dialog is up, and so not remembered as sent.
    dialog.SetStatusText("/early/report.txt");
    dialog.SetProgressPos(40);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(pStatus->text(), QStringLiteral("请稍候......"));
    QCOMPARE(pBar->value(), 0);
    test::SaveScreenshot(&dialog, QStringLiteral("progress-waiting"));

    // From another thread; a position equal to the last one sent is not sent.
    CCallCounter counter;
    pBar->installEventFilter(&counter);
    std::atomic<bool> bDone{false};
    std::thread worker([&] {
        dialog.SetStatusText("/home/用户/文档/报告.doc");
        for (int nPos : {0, 40, 40, 41, 41}) dialog.SetProgressPos(nPos);
        bDone = true;
    });
    QVERIFY(test::WaitUntil([&] { return bDone.load(); }));
    worker.join();
    QCOMPARE(counter.m_nCalls, 2);
    QCOMPARE(pBar->value(), 41);
    QCOMPARE(pStatus->text(), QStringLiteral("/home/用户/文档/报告.doc"));
    test::SaveScreenshot(&dialog, QStringLiteral("progress-report"));
    dialog.NotifyFinished();
    QCoreApplication::sendPostedEvents(&dialog, QEvent::MetaCall);
    QVERIFY(!dialog.isVisible());
}

void TestProgressDlg::storesSeveralFilesUnderTheDialog() {
    const QString strRoot = test::TestHome() + QStringLiteral("/store/");
    QVERIFY(QDir().mkpath(strRoot + QStringLiteral("src/sub")));
    QVERIFY(QDir().mkpath(strRoot + QStringLiteral("Box/FileBox")));
    const std::pair<const char*, int> sources[] = {
        {"a.txt", 3000}, {"大文件.bin", 4 << 20}, {"sub/c.txt", 10}};
    for (const auto& [pszName, nBytes] : sources) {
        QFile file(strRoot + QStringLiteral("src/") + QString::fromUtf8(pszName));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(nBytes, 'q')) == nBytes);
    }
    const CVaultCipher cipher("alice", "secret1");
    CVaultTransfer transfer(cipher);
    transfer.SetDeleteSource(false);
    DropJob job;
    for (const char* pszDropped : {"src/a.txt", "src/大文件.bin", "src/sub"})
        job.vDropList.push_back((strRoot + QString::fromUtf8(pszDropped)).toStdString());
    job.strBoxPath = (strRoot + QStringLiteral("Box/FileBox")).toStdString();
    job.pVault = &transfer;
    CMessageBoxScript script;
    QCOMPARE(RunWithProgress(AddDropWorker, PROGRESS_CAN_CANCEL, &job), 1);
    QCOMPARE(job.report.nFilesDone, 3u);
    QVERIFY(job.report.vFailed.empty());
    QVERIFY(script.Requests().empty());
    QVERIFY(!QApplication::overrideCursor());

    // Again: the question whether to overwrite the stored a.txt.$ comes from
    // the worker while the dialog is up, and the scripted No keeps it.
    job.vDropList.resize(1);
    job.report = {};
    QCOMPARE(RunWithProgress(AddDropWorker, PROGRESS_CAN_CANCEL, &job), 1);
    QCOMPARE(script.Requests().size(), std::size_t(1));
    const MessageBoxRequest& request = script.Requests().front();
    QCOMPARE(request.strText, QString::fromUtf8(MSG_STORED_EXISTS));
    QCOMPARE(request.nButtons | request.nIcon, unsigned(MSGBOX_YESNO | MSGBOX_ICON_WARNING));
    QVERIFY(request.bFromOtherThread);
    QCOMPARE(request.strActiveModal, QStringLiteral("145"));
    QCOMPARE(job.report.nFilesDone, 0u);
}

QUOVEX_UI_TEST_MAIN(TestProgressDlg)
#include "tst_progressdlg.moc"
