// The progress runner: worker thread, reports carried to the interface
// thread, the cancel rules, and a real store under the dialog.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <atomic>
#include <chrono>
#include <thread>

#include "DialogBuilder.h"
#include "MessageBox.h"
#include "ProgressDlg.h"
#include "UiTestSupport.h"
#include "VaultCipher.h"
#include "VaultTransfer.h"

using namespace quovex;

namespace {

// Shared between a test and its worker.
struct WorkerGate {
    std::atomic<bool> bGo{false};       // set by the test to let the worker on
    std::atomic<bool> bWorking{false};  // set by the worker once it reports
    std::atomic<int> nReports{0};
    int nResult = 1;
};

void WaitFor(const std::atomic<bool>& flag) {
    for (int i = 0; i < 2000 && !flag.load(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Reports until cancelled, then says it stopped early.
int ReportUntilCancelled(CVaultFeedback& feedback, void* pData) {
    auto& gate = *static_cast<WorkerGate*>(pData);
    for (int i = 1; i < 100000; ++i) {
        if (feedback.IsCancelled()) return 0;
        feedback.SetProgressPos(i % 100);
        ++gate.nReports;
        gate.bWorking = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return 1;
}

// Waits for the test, then finishes its work whatever was pressed.
int FinishAfterGate(CVaultFeedback& feedback, void* pData) {
    auto& gate = *static_cast<WorkerGate*>(pData);
    feedback.SetStatusText("working");
    WaitFor(gate.bGo);
    return gate.nResult;
}

QPushButton* CancelButton(QWidget* pDialog) {
    return FindControl<QPushButton>(pDialog, 2);
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

void WriteFile(const QString& strPath, qint64 nBytes) {
    QFile file(strPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QByteArray chunk(4096, 'q');
    for (qint64 n = 0; n < nBytes; n += chunk.size())
        file.write(chunk.left(int(qMin<qint64>(chunk.size(), nBytes - n))));
}

}  // namespace

class TestProgressDlg : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { test::CancelPendingWaits(); }
    void workerReturningAtOnceClosesTheDialog();
    void cancelMidRunStopsTheWorker();
    void cancelIsIgnoredWithoutCanCancel();
    void cancelAfterTheLastWorkIsNoCancel();
    void reportsBeforeTheDialogIsUpAreDropped();
    void samePositionIsNotSentTwice();
    void storesSeveralFilesUnderTheDialog();
};

void TestProgressDlg::workerReturningAtOnceClosesTheDialog() {
    auto returnAtOnce = [](CVaultFeedback&, void*) { return 1; };
    QCOMPARE(RunWithProgress(returnAtOnce, PROGRESS_CAN_CANCEL, nullptr), 1);
    // A worker that says it stopped early without any cancel is no cancel either.
    auto returnZero = [](CVaultFeedback&, void*) { return 0; };
    QCOMPARE(RunWithProgress(returnZero, PROGRESS_CAN_CANCEL, nullptr), 1);
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(ProgressThreadProc(nullptr), 1u);
}

void TestProgressDlg::cancelMidRunStopsTheWorker() {
    WorkerGate gate;
    int nBarAtCancel = -1;
    bool bStayedUp = false;
    test::WhenModal<CProgressDlg>([&](CProgressDlg* pDialog) {
        QCOMPARE(pDialog->windowTitle(), QStringLiteral("处理进度"));
        QVERIFY(test::WaitUntil([&] { return gate.nReports.load() > 5; }));
        test::SaveScreenshot(pDialog, QStringLiteral("progress-running"));
        CancelButton(pDialog)->click();
        // Cancelling never closes the dialog by itself.
        bStayedUp = pDialog->isVisible();
        QVERIFY(pDialog->IsCancelled());
        QVERIFY(test::WaitUntil([&] { return pDialog->IsFinished(); }));
        nBarAtCancel = FindControl<QProgressBar>(pDialog, 1021)->value();
    });
    QCOMPARE(RunWithProgress(ReportUntilCancelled, PROGRESS_CAN_CANCEL, &gate), 0);
    QVERIFY(bStayedUp);
    QVERIFY(nBarAtCancel > 0);
}

void TestProgressDlg::cancelIsIgnoredWithoutCanCancel() {
    WorkerGate gate;
    bool bStayedUp = false;
    bool bCancelled = true;
    test::WhenModal<CProgressDlg>([&](CProgressDlg* pDialog) {
        CancelButton(pDialog)->click();
        QTest::keyClick(pDialog, Qt::Key_Escape);
        pDialog->close();
        bStayedUp = pDialog->isVisible();
        bCancelled = pDialog->IsCancelled();
        gate.bGo = true;
    });
    QCOMPARE(RunWithProgress(FinishAfterGate, 0, &gate), 1);
    QVERIFY(bStayedUp);
    QVERIFY(!bCancelled);
}

void TestProgressDlg::cancelAfterTheLastWorkIsNoCancel() {
    // Cancel once the worker has returned, before its close request is served:
    // the dialog ends at once and the run is no cancel.
    {
        WorkerGate gate;
        bool bEndedByCancel = false;
        test::WhenModal<CProgressDlg>([&](CProgressDlg* pDialog) {
            gate.bGo = true;
            while (!pDialog->IsFinished())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            CancelButton(pDialog)->click();
            bEndedByCancel = !pDialog->isVisible();
        });
        QCOMPARE(RunWithProgress(FinishAfterGate, PROGRESS_CAN_CANCEL, &gate), 1);
        QVERIFY(bEndedByCancel);
    }
    // Cancel after the last piece of work, while the worker is about to
    // return without having stopped early.
    {
        WorkerGate gate;
        test::WhenModal<CProgressDlg>([&](CProgressDlg* pDialog) {
            CancelButton(pDialog)->click();
            QVERIFY(pDialog->IsCancelled());
            gate.bGo = true;
        });
        QCOMPARE(RunWithProgress(FinishAfterGate, PROGRESS_CAN_CANCEL, &gate), 1);
    }
}

void TestProgressDlg::reportsBeforeTheDialogIsUpAreDropped() {
    CProgressDlg dialog(PROGRESS_CAN_CANCEL);
    auto* pStatus = FindControl<QLabel>(&dialog, 1022);
    auto* pBar = FindControl<QProgressBar>(&dialog, 1021);
    dialog.SetStatusText("/early/report.txt");
    dialog.SetProgressPos(40);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(pStatus->text(), QStringLiteral("请稍候......"));
    QCOMPARE(pBar->value(), 0);
    test::SaveScreenshot(&dialog, QStringLiteral("progress-waiting"));

    // Once up, reports from another thread reach the controls.
    std::thread worker([&] {
        dialog.SetStatusText("/home/用户/文档/报告.doc");
        dialog.SetProgressPos(40);
    });
    QVERIFY(test::WaitUntil([&] { return pBar->value() == 40; }));
    worker.join();
    QCOMPARE(pStatus->text(), QStringLiteral("/home/用户/文档/报告.doc"));
    test::SaveScreenshot(&dialog, QStringLiteral("progress-report"));
    dialog.NotifyFinished();
    QVERIFY(test::WaitUntil([&] { return !dialog.isVisible(); }));
}

void TestProgressDlg::samePositionIsNotSentTwice() {
    CProgressDlg dialog(PROGRESS_CAN_CANCEL);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* pBar = FindControl<QProgressBar>(&dialog, 1021);
    CCallCounter counter;
    pBar->installEventFilter(&counter);
    std::atomic<bool> bDone{false};
    std::thread worker([&] {
        for (int nPos : {0, 0, 30, 30, 30, 31, 31}) dialog.SetProgressPos(nPos);
        bDone = true;
    });
    QVERIFY(test::WaitUntil([&] { return bDone.load(); }));
    worker.join();
    QCOMPARE(counter.m_nCalls, 2);
    QCOMPARE(pBar->value(), 31);
}

void TestProgressDlg::storesSeveralFilesUnderTheDialog() {
    const QString strRoot = test::TestHome() + QStringLiteral("/store");
    QDir(strRoot).removeRecursively();
    QDir().mkpath(strRoot + QStringLiteral("/src/sub"));
    QDir().mkpath(strRoot + QStringLiteral("/Box/FileBox"));
    WriteFile(strRoot + QStringLiteral("/src/a.txt"), 3000);
    WriteFile(strRoot + QStringLiteral("/src/大文件.bin"), 4 << 20);
    WriteFile(strRoot + QStringLiteral("/src/sub/c.txt"), 10);

    const CVaultCipher cipher("alice", "secret1");
    CVaultTransfer transfer(cipher);
    transfer.SetDeleteSource(false);
    DropJob job;
    job.vDropList = {(strRoot + QStringLiteral("/src/a.txt")).toStdString(),
                     (strRoot + QStringLiteral("/src/大文件.bin")).toStdString(),
                     (strRoot + QStringLiteral("/src/sub")).toStdString()};
    job.strBoxPath = (strRoot + QStringLiteral("/Box/FileBox")).toStdString();
    job.pVault = &transfer;
    CMessageBoxScript script;
    QCOMPARE(RunWithProgress(AddDropWorker, PROGRESS_CAN_CANCEL, &job), 1);
    QCOMPARE(job.report.nFilesDone, 3u);
    QVERIFY(job.report.vFailed.empty());
    QVERIFY(QFile::exists(strRoot + QStringLiteral("/Box/FileBox/a.txt.$")));
    QVERIFY(QFile::exists(strRoot + QStringLiteral("/Box/FileBox/大文件.bin.$")));
    QVERIFY(QFile::exists(strRoot + QStringLiteral("/Box/FileBox/sub/c.txt.$")));
    QVERIFY(script.Requests().empty());
    QVERIFY(!QApplication::overrideCursor());

    // Again: the overwrite question comes from the worker while the dialog is up.
    DropJob again;
    again.vDropList = {job.vDropList[0]};
    again.strBoxPath = job.strBoxPath;
    again.pVault = &transfer;
    QCOMPARE(RunWithProgress(AddDropWorker, PROGRESS_CAN_CANCEL, &again), 1);
    QCOMPARE(script.Requests().size(), std::size_t(1));
    const MessageBoxRequest& request = script.Requests().front();
    QCOMPARE(request.strText, QString::fromUtf8(MSG_STORED_EXISTS));
    QCOMPARE(request.nButtons, unsigned(MSGBOX_YESNO));
    QCOMPARE(request.nIcon, unsigned(MSGBOX_ICON_WARNING));
    QVERIFY(request.bFromOtherThread);
    QCOMPARE(request.strActiveModal, QStringLiteral("145"));
    QCOMPARE(again.report.nFilesDone, 0u);
}

QUOVEX_UI_TEST_MAIN(TestProgressDlg)
#include "tst_progressdlg.moc"
