// The progress runner: worker thread, reports carried to the interface
// thread, the cancel rules, and a real store under the dialog.
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
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

// Shared between a test and its worker.
struct WorkerGate {
    std::atomic<bool> bShown{false};  // set by the test once the dialog is up
    std::atomic<bool> bGo{false};     // set by the test to let the worker return
    std::atomic<int> nReports{0};
    int nResult = 1;
};

// Once the dialog is up reports the positions 1 to 20, then waits for bGo
// and returns gate.nResult; a worker that would return 0 stops early, with
// 0, as soon as it sees a cancel. After the reports it never waits for the
// interface thread, so the test may block that thread.
int GatedWorker(CVaultFeedback& feedback, void* pData) {
    auto& gate = *static_cast<WorkerGate*>(pData);
    for (int i = 0; i < 10000 && !gate.bShown; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    for (int nPos = 1; nPos <= 20; ++nPos) {
        feedback.SetProgressPos(nPos);
        gate.nReports = nPos;
    }
    for (int i = 0; i < 10000 && !gate.bGo; ++i) {
        if (feedback.IsCancelled() && gate.nResult == 0) return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
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
    // A worker that says it stopped early without any Cancel is no cancel either.
    for (int nResult : {1, 0}) {
        WorkerGate gate;
        gate.bShown = gate.bGo = true;
        gate.nResult = nResult;
        QCOMPARE(RunWithProgress(GatedWorker, PROGRESS_CAN_CANCEL, &gate), 1);
    }
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(ProgressThreadProc(nullptr), 1u);
}

void TestProgressDlg::cancelRules_data() {
    QTest::addColumn<int>("nFlags");
    QTest::addColumn<bool>("bAfterReturn");  // Cancel once the worker has returned
    QTest::addColumn<int>("nWorkerResult");
    QTest::addColumn<bool>("bCancelled");
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

void TestProgressDlg::cancelRules() {
    QFETCH(int, nFlags);
    QFETCH(bool, bAfterReturn);
    QFETCH(int, nWorkerResult);
    QFETCH(bool, bCancelled);
    QFETCH(int, nExpected);
    WorkerGate gate;
    gate.nResult = nWorkerResult;
    bool bEnded = false;
    bool bSawCancelled = !bCancelled;
    int nBar = 0;
    test::WhenModal<CProgressDlg>([&](CProgressDlg* pDialog) {
        QCOMPARE(pDialog->windowTitle(), QStringLiteral("处理进度"));
        gate.bShown = true;
        QVERIFY(QTest::qWaitFor([&] { return gate.nReports == 20; }));
        test::SaveScreenshot(pDialog, QStringLiteral("progress-running"));
        if (bAfterReturn) {
            gate.bGo = true;  // and keep its close request waiting
            while (!pDialog->IsFinished()) std::this_thread::yield();
        }
        FindControl<QPushButton>(pDialog, 2)->click();
        if (pDialog->isVisible()) {
            QTest::keyClick(pDialog, Qt::Key_Escape);
            pDialog->close();
        }
        // Cancelling never closes the dialog by itself.
        bEnded = !pDialog->isVisible();
        bSawCancelled = pDialog->IsCancelled();
        if (nExpected == 0) QVERIFY(QTest::qWaitFor([&] { return pDialog->IsFinished(); }));
        nBar = FindControl<QProgressBar>(pDialog, 1021)->value();
        gate.bGo = true;
    });
    QCOMPARE(RunWithProgress(GatedWorker, nFlags, &gate), nExpected);
    QCOMPARE(bEnded, bAfterReturn);
    QCOMPARE(bSawCancelled, bCancelled);
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
    QVERIFY(QTest::qWaitFor([&] { return bDone.load(); }));
    worker.join();
    QCOMPARE(counter.m_nCalls, 2);
    QCOMPARE(pBar->value(), 41);
    QCOMPARE(pStatus->text(), QStringLiteral("/home/用户/文档/报告.doc"));
    test::SaveScreenshot(&dialog, QStringLiteral("progress-report"));
    dialog.NotifyFinished();
    QVERIFY(QTest::qWaitFor([&] { return !dialog.isVisible(); }));
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
    for (const char* pszStored : {"a.txt.$", "大文件.bin.$", "sub/c.txt.$"})
        QVERIFY(QFile::exists(strRoot + QStringLiteral("Box/FileBox/") + pszStored));
    QVERIFY(script.Requests().empty());
    QVERIFY(!QApplication::overrideCursor());

    // Again: the overwrite question comes from the worker while the dialog
    // is up, and the scripted No keeps the stored file.
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
