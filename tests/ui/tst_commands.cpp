// The commands on the tree's selected item and a Cancel in their runs.
#include <QLabel>
#include <QUrl>

#include "DirDialog.h"
#include "ProgressDlg.h"
#include "UiTestSupport.h"
#include "UiThread.h"

using namespace quovex;
using namespace quovex::test;

class TestCommands : public QObject, public CDroppedVault {
    Q_OBJECT
private slots:
    void init() { QVERIFY(MakeDropped("cmd")); }
    void cleanup() {
        CDirDialog::SetFolderPicker({});
        ClearDropped();
    }
    void restoreAndRestoreTo();
    void cancelMidRestoreOrDrop();
    void answersForTheWholeRun();
    void deleteAsksAndTellsWhatIsLeft();
    void cancelMidFolderDeletion();
};

void TestCommands::restoreAndRestoreTo() {
    // A folder, below a chosen folder.
    const QString strOut = m_strRoot + u"/out"_s;
    QVERIFY(QDir().mkpath(strOut));
    CDirDialog::SetFolderPicker(
        [&](const QString& strTitle) { return strTitle == u"选择文件夹"_s ? strOut : QString(); });
    QVERIFY(Select("目录"));
    m_pDlg->OnRestoreTo();
    QCOMPARE(ReadFile(strOut + u"/目录/a.txt"_s), QByteArray("beta"));
    // The bottom text says where the files went, the folder a link to it.
    const QLabel* pStatus = FindControl<QLabel>(m_pDlg, RES_ID_MAIN_STATUS);
    QCOMPARE(pStatus->toolTip(), u"1 个文件已还原到"_s + strOut);
    QVERIFY(pStatus->text().contains(QUrl::fromLocalFile(strOut).toString(QUrl::FullyEncoded)));
    QVERIFY(SaveScreenshot(m_pDlg, u"main-window"_s));

    // The whole box, each file to where it came from: the changed a.txt kept
    // (the report names it), 目录/a.txt restored unasked; the box selected.
    // The question names the file; Enter would keep it.
    QVERIFY(MakeFile(Src("a.txt"), "edited"));
    QVERIFY(Select(""));
    m_pDlg->OnRestore();
    QVERIFY(ReadFile(Src("a.txt")) == "edited" && ReadFile(Src("目录/a.txt")) == "beta");
    const std::vector<MessageBoxRequest>& requests = m_pScript->Requests();
    QCOMPARE(requests.size(), std::size_t(2));
    QCOMPARE(requests[0].strText, u"目标文件已经存在，覆盖它吗？\n\n"_s + Src("a.txt"));
    QVERIFY(requests[0].nButtons == MSGBOX_YESNO_ALL && requests[0].bDefaultNo);
    QCOMPARE(LastMessage(),
             u"以下项目没有完成：\n%1（未能还原：已有的文件没有覆盖）"_s.arg(Box("a.txt.$")));
    QCOMPARE(m_pDlg->SelectedItem(), m_pDlg->ContentsTree()->FindPathItem(m_strBox));

    // One file: no answer for the rest of the run is offered.
    m_pScript->SetNextAnswer(MSGBOX_RESULT_YES);
    QVERIFY(Select("a.txt.$"));
    m_pDlg->OnRestore();
    QCOMPARE(ReadFile(Src("a.txt")), QByteArray("alpha"));
    QVERIFY(requests[2].nButtons == MSGBOX_YESNO && requests[2].bDefaultNo);
    QCOMPARE(pStatus->toolTip(), u"1 个文件已还原到"_s + QFileInfo(Src("a.txt")).path());

    // A folder beside the boxes is an ordinary one; a box is refused.
    const QString strDocs = m_strVault + u"/Documents"_s;
    QVERIFY(QDir().mkpath(strDocs));
    CDirDialog::SetFolderPicker([&](const QString&) { return strDocs; });
    m_pDlg->OnRestoreTo();
    QCOMPARE(ReadFile(strDocs + u"/a.txt"_s), QByteArray("alpha"));
    const auto vault = Snapshot(m_strVault);
    CDirDialog::SetFolderPicker([&](const QString&) { return m_strVault + u"/OtherBox"_s; });
    m_pDlg->OnRestoreTo();
    QVERIFY2(LastMessage().contains(u"保险柜之内"_s), qPrintable(LastMessage()));
    QCOMPARE(Snapshot(m_strVault), vault);

    // A volume without room for a.txt.$ (402 bytes) and the margin says so,
    // with the amounts, before anything is written.
    m_env.m_nFreeSpace = 1000;
    CDirDialog::SetFolderPicker([&](const QString&) { return strOut; });
    m_pDlg->OnRestoreTo();
    QCOMPARE(LastMessage(),
             u"硬盘空间不足。\n%1 所在的磁盘需要 476.84 MB( 500000402 字节)，只有 "
             u"1000 字节( 1000 字节) 可用；需要的空间含须留出的 476.84 MB( "
             u"500000000 字节)。"_s.arg(strOut));
    QVERIFY(!QFileInfo::exists(strOut + u"/a.txt"_s));
}

// A Cancel while the first overwrite question is up stops a drop or a
// restore: Yes no longer counts, and no file or source is touched.
void TestCommands::cancelMidRestoreOrDrop() {
    QVERIFY(MakeFile(Src("a.txt"), "old a") && MakeFile(Src("目录/a.txt"), "old beta"));
    const auto sources = Snapshot(Src(""));
    const auto stored = Snapshot(m_strBox);
    m_pScript->SetOnRequest([](const MessageBoxRequest&) {
        if (auto* pProgress = qobject_cast<CProgressDlg*>(QApplication::activeModalWidget())) {
            SaveScreenshot(pProgress, u"progress"_s);
            pProgress->reject();
        }
    });
    m_pScript->SetNextAnswer(MSGBOX_RESULT_YES);
    m_pDlg->StartAddFromDrop({Src("a.txt"), Src("目录")}, m_strBox);
    m_pScript->SetNextAnswer(MSGBOX_RESULT_YES);
    QVERIFY(Select(""));
    m_pDlg->OnRestore();
    QVERIFY(Snapshot(Src("")) == sources && Snapshot(m_strBox) == stored);
    // Each run: one question, the cancel, the report.
    const std::vector<MessageBoxRequest>& requests = m_pScript->Requests();
    QCOMPARE(requests.size(), std::size_t(6));
    QCOMPARE(requests[0].strText, u"目标文件已经在保险柜存在，覆盖它吗？\n\n"_s + Box("a.txt.$"));
    for (std::size_t i : {1, 4}) QCOMPARE(requests[i].strText, u"User cancelled the operation !"_s);
}

// 全部否 and 全部是 answer every later question of the run unasked; a run
// of one file offers neither.
void TestCommands::answersForTheWholeRun() {
    const auto stored = Snapshot(m_strBox);
    QVERIFY(MakeFile(Src("a.txt"), "new a") && MakeFile(Src("目录/a.txt"), "new beta"));
    const auto sources = Snapshot(Src(""));
    m_pScript->SetNextAnswer(MSGBOX_RESULT_NO_ALL);
    m_pDlg->StartAddFromDrop({Src("a.txt"), Src("目录")}, m_strBox);
    QVERIFY(Snapshot(m_strBox) == stored && Snapshot(Src("")) == sources);
    const std::vector<MessageBoxRequest>& requests = m_pScript->Requests();
    QCOMPARE(requests.size(), std::size_t(2));  // the question and the report
    QCOMPARE(requests[0].strText, u"目标文件已经在保险柜存在，覆盖它吗？\n\n"_s + Box("a.txt.$"));
    QVERIFY(requests[0].nButtons == MSGBOX_YESNO_ALL && requests[0].bDefaultNo);

    // The next run asks again; 全部是 replaces both files.
    m_pScript->SetNextAnswer(MSGBOX_RESULT_YES_ALL);
    QVERIFY(Select(""));
    m_pDlg->OnRestore();
    QVERIFY(ReadFile(Src("a.txt")) == "alpha" && ReadFile(Src("目录/a.txt")) == "beta");
    QCOMPARE(requests.size(), std::size_t(3));

    // The 全部否 of the first run no longer holds: asked, Yes stores it.
    QVERIFY(MakeFile(Src("a.txt"), "new a"));
    m_pScript->SetNextAnswer(MSGBOX_RESULT_YES);
    m_pDlg->StartAddFromDrop({Src("a.txt")}, m_strBox);
    QVERIFY(requests.size() == 4 && !QFileInfo::exists(Src("a.txt")));
    QVERIFY(requests[3].nButtons == MSGBOX_YESNO && requests[3].bDefaultNo);
}

void TestCommands::deleteAsksAndTellsWhatIsLeft() {
    CContentsTree* pTree = m_pDlg->ContentsTree();
    QVERIFY(MakeFile(Box("目录/d.txt.$")));
    // The file question, with the full path and its ending; No keeps it.
    QVERIFY(Select("目录/a.txt.$"));
    m_pDlg->OnDelete();
    QCOMPARE(LastMessage(),
             u"文件：%1 \r\n 将被删除，并且不可恢复。继续吗？"_s.arg(Box("目录/a.txt.$")));
    QVERIFY(QFileInfo::exists(Box("目录/a.txt.$")) && m_pScript->Requests()[0].bDefaultNo);

    // Yes deletes it; its open folder stays open.
    m_pScript->SetNextAnswer(MSGBOX_RESULT_YES);
    m_pDlg->OnDelete();
    QVERIFY(!QFileInfo::exists(Box("目录/a.txt.$")) && !pTree->FindPathItem(Box("目录/a.txt.$")));
    QVERIFY(pTree->FindPathItem(Box("目录"))->isExpanded() && m_pScript->Requests().size() == 2);

    // A folder keeping a hidden file stays, in the tree too; the file is named.
    QVERIFY(MakeFile(Box("目录/.keep"), "x"));
    QVERIFY(Select("目录"));
    m_pScript->SetNextAnswer(MSGBOX_RESULT_YES);
    m_pDlg->OnDelete();
    QVERIFY(m_pScript->Requests()[2].strText.startsWith(
                u"目录：%1 \r\n 路径下所有"_s.arg(Box("目录"))) &&
            m_pScript->Requests()[2].bDefaultNo);
    QVERIFY(LastMessage().contains(Box("目录/.keep")) && pTree->FindPathItem(Box("目录")));

    QVERIFY(QFile::remove(Box("目录/.keep")) && Select(""));
    m_pScript->SetNextAnswer(MSGBOX_RESULT_YES);
    m_pDlg->OnDelete();
    QVERIFY(!QFileInfo::exists(m_strBox) && pTree->topLevelItemCount() == 0);
    QCOMPARE(m_pScript->Requests().size(), std::size_t(5));
}

// At the worker's first listing after a file has gone, it waits while the
// test reads the status line and presses Cancel: no next file is reached.
void TestCommands::cancelMidFolderDeletion() {
    QStringList vStored;
    for (const char* pszStored : {"树/x/f.txt.$", "树/y/f.txt.$", "树/z/f.txt.$"}) {
        vStored << Box(pszStored);
        QVERIFY(MakeFile(vStored.back(), "stored"));
    }
    const auto stored = [&] {
        return std::ranges::count_if(vStored,
                                     [](const QString& s) { return QFileInfo::exists(s); });
    };
    QVERIFY(Select("树"));
    QString strStatus;
    bool bCancelled = false;
    m_env.m_fnAfterList = [&](const std::string&) {
        if (bCancelled) return;
        const bool bOneGone = stored() < vStored.size();
        RunOnObjectThread(qApp, [&] {
            auto* pProgress = qobject_cast<CProgressDlg*>(QApplication::activeModalWidget());
            if (!pProgress || !bOneGone) return;
            strStatus = FindControl<QLabel>(pProgress, 1022)->text();
            Click(pProgress, 2);
            bCancelled = true;
        });
    };
    m_pScript->SetNextAnswer(MSGBOX_RESULT_YES);
    m_pDlg->OnDelete();

    QVERIFY(bCancelled && stored() == 2);
    QVERIFY2(vStored.contains(strStatus) && !QFileInfo::exists(strStatus), qPrintable(strStatus));
    const std::vector<MessageBoxRequest>& requests = m_pScript->Requests();
    QCOMPARE(requests.size(), std::size_t(3));
    QCOMPARE(requests[1].strText, u"User cancelled the operation !"_s);
    for (const QString& strLeft : vStored)
        QVERIFY(!QFileInfo::exists(strLeft) || requests[2].strText.contains(strLeft));
    QVERIFY(m_pDlg->ContentsTree()->FindPathItem(Box("树")));
}

QUOVEX_UI_TEST_MAIN(TestCommands)
#include "tst_commands.moc"
