// The properties dialogs on real stored files of both formats: what each
// shows, the summary written only when edited and only into the file that
// was read (a protected file's with the open vault's key), refused writes
// that keep the dialog open, and the command that picks the dialog.
// Screenshots of both dialogs go to <build>/screenshots.
#include <QLabel>
#include <filesystem>

#include "DateText.h"
#include "FileInfoDlg.h"
#include "FileStore.h"
#include "ItemProperties.h"
#include "RunContext.h"
#include "StoredFileFormat.h"
#include "StoredFileInfo.h"
#include "TestFiles.h"
#include "UiTestSupport.h"

using namespace quovex;
namespace fs = std::filesystem;

namespace {

using test::MakeFile;
using test::ReadFile;

// Stores nSize bytes, written at strSource first, as strStored with key
// (alice's scrambled vault's unless given).
bool Store(const QString& strSource, int nSize, const QString& strStored,
           const CVaultKey& key = CVaultKey("alice", "secret1")) {
    RunContext run;
    return MakeFile(strSource, QByteArray(nSize, 'q')) &&
           CFileStore(key)
                   .StoreFile(strSource.toStdString(), strStored.toStdString(), run)
                   .nOutcome == FileOutcome::FILE_DONE;
}

QString Text(const QWidget* pDlg, int nId) {
    if (auto* pEdit = FindControl<QLineEdit>(pDlg, nId)) return pEdit->text();
    return FindControl<QLabel>(pDlg, nId)->text();
}

QString SummaryOf(const QString& strPath, const CVaultKey* pKey = nullptr) {
    return QString::fromStdString(
        ReadStoredFileInfo(strPath.toStdString(), nullptr, pKey).strSummary);
}

// Types strText as key presses, one character at a time.
void Type(QWidget* pWidget, const QString& strText) {
    for (char32_t c : strText.toUcs4())
        QTest::sendKeyEvent(QTest::Click, pWidget, Qt::Key_unknown, QString::fromUcs4(&c, 1),
                            Qt::NoModifier);
}

// Loads strPath (through pEnv, null: the real file system) into a file
// dialog, shown.
bool ShowFileInfo(CFileInfoDlg& dlg, const QString& strPath, CVaultEnv* pEnv = nullptr) {
    LoadFileInfo(dlg, strPath, pEnv);
    dlg.show();
    return QTest::qWaitForWindowExposed(&dlg);
}

// Runs the properties command on strPath with pKey, and fn on the dialog it
// brings up, which is then closed unless fn closed it; the dialog's
// objectName, "-" when none came up.
QString OnProperties(const QString& strPath, const CVaultKey* pKey,
                     const std::function<void(QDialog*)>& fn = {}) {
    QString strShown = QStringLiteral("-");
    QTimer::singleShot(0, [&] {
        auto* pDlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!pDlg) return;
        strShown = pDlg->objectName();
        if (fn) fn(pDlg);
        if (pDlg->isVisible()) pDlg->reject();
    });
    ShowItemProperties(strPath, nullptr, pKey);
    QCoreApplication::processEvents();
    return strShown;
}

}  // namespace

class TestProperties : public QObject {
    Q_OBJECT
private slots:
    void storedFileShowsAndTakesItsSummary();
    void failedWritesKeepTheDialogOpen();
    void otherFilesShowLessAndWriteNothing();
    void protectedFileShowsAndTakesItsSummary();
    void folderShowsItsStoredTotal();
    void commandPicksTheDialog();
};

// An unchanged close writes nothing; typing stops at 127 GB18030 bytes;
// an edit is written by "关闭", a shorter one after it by Enter. The
// header is shown with the paths shortened in the middle.
void TestProperties::storedFileShowsAndTakesItsSummary() {
    const QString strSource =
        test::g_strHome +
        QStringLiteral("/来源/年度报告资料汇总/第一季度/财务数据/客户名单明细.txt");
    const QString strStored = test::g_strHome + QStringLiteral("/Box/FileBox/客户名单明细.txt.$");
    QVERIFY(Store(strSource, 5000, strStored));
    CMessageBoxScript script;  // none is expected; one would otherwise wait for an answer
    const auto fnEdit = [&](const QString& strTyped, bool bByButton) {
        CFileInfoDlg dlg;
        QVERIFY(ShowFileInfo(dlg, strStored));
        auto* pEdit = FindControl<QLineEdit>(&dlg, 1011);
        pEdit->setFocus();
        pEdit->selectAll();
        Type(pEdit, strTyped);
        if (bByButton)
            test::Click(&dlg, 1);
        else
            QTest::keyClick(pEdit, Qt::Key_Return);
        QVERIFY(!dlg.isVisible());
    };
    const auto modified = fs::last_write_time(strStored.toStdString());
    fnEdit(QString(), true);
    QCOMPARE(fs::last_write_time(strStored.toStdString()), modified);
    const QString strBao(63, QChar(0x4FDD));        // 保: 126 bytes
    fnEdit(strBao + QStringLiteral("保ab"), true);  // the last 保 and b would pass 127 bytes
    QCOMPARE(SummaryOf(strStored), strBao + QStringLiteral("a"));
    fnEdit(QStringLiteral("第一季度客户名单"), false);
    QCOMPARE(SummaryOf(strStored), QStringLiteral("第一季度客户名单"));
    QCOMPARE(script.Requests().size(), std::size_t(0));

    CFileInfoDlg dlg;
    QVERIFY(ShowFileInfo(dlg, strStored));
    QCOMPARE(Text(&dlg, 1014), QStringLiteral("4.00 KB( 5000 字节)"));
    QCOMPARE(Text(&dlg, 1011), QStringLiteral("第一季度客户名单"));
    const QString strSourceShown = Text(&dlg, 1013);
    QVERIFY(strSourceShown.contains(QChar(0x2026)) && strSourceShown.endsWith("明细.txt"));
    QVERIFY(test::SaveScreenshot(&dlg, QStringLiteral("properties-file")));
}

// A file replaced after the dialog read it, a file that may not be written
// (the fault seam stands in for a read-only one): "关闭" says so, writes
// nothing and stays open; Escape then closes without writing.
void TestProperties::failedWritesKeepTheDialogOpen() {
    const QString strStored = test::g_strHome + QStringLiteral("/fail/a.txt.$");
    const QString strOther = test::g_strHome + QStringLiteral("/fail/b.txt.$");
    QVERIFY(Store(test::g_strHome + QStringLiteral("/src/a.txt"), 300, strStored));
    QVERIFY(Store(test::g_strHome + QStringLiteral("/src/b.txt"), 300, strOther));
    CMessageBoxScript script;
    const auto fnRefused = [&](CVaultEnv* pEnv, const QString& strWhy,
                               const std::function<void()>& fnMeanwhile) {
        CFileInfoDlg dlg;
        QVERIFY(ShowFileInfo(dlg, strStored, pEnv));
        Type(FindControl<QLineEdit>(&dlg, 1011), QStringLiteral("新摘要"));
        fnMeanwhile();
        const QByteArray before = ReadFile(strStored);
        const std::size_t nMessages = script.Requests().size();
        test::Click(&dlg, 1);
        QVERIFY(dlg.isVisible());
        QCOMPARE(script.Requests().size(), nMessages + 1);
        const QString& strText = script.Requests().back().strText;
        QVERIFY(strText.contains(strWhy) && strText.contains(QStringLiteral("摘要没有保存")));
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(ReadFile(strStored), before);
    };
    fnRefused(nullptr, QStringLiteral("改动"), [&] {
        fs::copy_file(strOther.toStdString(), (strOther + QStringLiteral("~")).toStdString());
        fs::rename((strOther + QStringLiteral("~")).toStdString(), strStored.toStdString());
    });
    test::CFaultEnv env;
    env.m_bFailUpdate = true;
    fnRefused(&env, QStringLiteral("无法写入"), [] {});
}

// A file without the signature shows only its date; a header that cannot
// be decoded shows the marker, and its summary cannot be edited, so that
// the marker is never written back. No close writes anything.
void TestProperties::otherFilesShowLessAndWriteNothing() {
    StoredFileHeader header;
    header.nPlainSize = 5000;
    std::strcpy(header.szSourcePath, "/src/\x81\x30");  // a cut four-byte sequence
    std::strcpy(header.szSummary, "\xFF\xFF");
    QByteArray bad(SFF_HEADER_SIZE, '\0');
    EncodeHeader(header, reinterpret_cast<unsigned char*>(bad.data()));
    const QString strPlain = test::g_strHome + QStringLiteral("/other/plain.txt");
    const QString strBad = test::g_strHome + QStringLiteral("/other/bad.$");
    QVERIFY(MakeFile(strPlain, QByteArray(400, 'x')) && MakeFile(strBad, bad));
    const QString strMarker = QString::fromUtf8(FILE_INFO_UNREADABLE);
    // The texts of 1013, 1014 and 1011, and whether 1015 holds a date.
    for (const auto& [strPath, expected] :
         {std::pair(strPlain, QStringList({"", "", "", "date"})),
          std::pair(strBad, QStringList({strMarker, "4.00 KB( 5000 字节)", strMarker, "date"}))}) {
        CFileInfoDlg dlg;
        QVERIFY(ShowFileInfo(dlg, strPath));
        auto* pEdit = FindControl<QLineEdit>(&dlg, 1011);
        Type(pEdit, QStringLiteral("新"));
        QCOMPARE(QStringList({Text(&dlg, 1013), Text(&dlg, 1014), pEdit->text(),
                              Text(&dlg, 1015).isEmpty() ? "" : "date"}),
                 expected);
        test::Click(&dlg, 1);
        QVERIFY(!dlg.isVisible());
    }
    QCOMPARE(ReadFile(strPlain), QByteArray(400, 'x'));
    QCOMPARE(ReadFile(strBad), bad);
}

// A protected file read through the command with the open vault's key
// shows what its metadata records (its date the recorded storage time),
// takes up to 511 UTF-8 bytes of summary and writes it into the file.
// Without the key, or with another vault's, it shows why nothing more is
// shown and writes nothing.
void TestProperties::protectedFileShowsAndTakesItsSummary() {
    CVaultKey key("alice", "secret1");
    test::SetTestMasterKey(&key, 7);
    const QString strStored = test::g_strHome + QStringLiteral("/Box/FileBox/机密合同.txt.$");
    QVERIFY(Store(test::g_strHome + QStringLiteral("/合同/机密合同.txt"), 5000, strStored, key));
    const StoredFileInfo info = ReadStoredFileInfo(strStored.toStdString(), nullptr, &key);
    CMessageBoxScript script;
    QStringList shown;  // 1013, 1014, 1015 and 1011 after typing
    const auto fnEdit = [&shown](QDialog* pDlg) {
        shown = QStringList({Text(pDlg, 1013), Text(pDlg, 1014), Text(pDlg, 1015)});
        Type(FindControl<QLineEdit>(pDlg, 1011), QString(171, QChar(0x4FDD)) + "ab");  // 3 bytes
        shown << Text(pDlg, 1011);
        test::Click(pDlg, 1);
    };
    QCOMPARE(OnProperties(strStored, &key, fnEdit), QStringLiteral("141"));
    const QString strLongest = QString(170, QChar(0x4FDD)) + QStringLiteral("a");  // 511 bytes
    QVERIFY(shown.front().endsWith(QStringLiteral("机密合同.txt")));
    QCOMPARE(shown.mid(1), QStringList({QStringLiteral("4.00 KB( 5000 字节)"),
                                        FormatDateText(info.nStoredTime), strLongest}));
    QCOMPARE(SummaryOf(strStored, &key), strLongest);

    CVaultKey other("alice", "secret1");
    test::SetTestMasterKey(&other, 8);
    const QByteArray before = ReadFile(strStored);
    for (const auto& [pKey, pszWhy] :
         {std::pair<const CVaultKey*, const char*>(nullptr, FILE_INFO_SEALED),
          std::pair<const CVaultKey*, const char*>(&other, FILE_INFO_NOT_OPENED)}) {
        OnProperties(strStored, pKey, fnEdit);
        QCOMPARE(shown.front(), QString::fromUtf8(pszWhy));
        QCOMPARE(shown[1] + shown[3], QString());
    }
    QCOMPARE(ReadFile(strStored), before);
    QCOMPARE(script.Requests().size(), std::size_t(0));
}

// The folder's path, its date and the plain sizes stored below it at any
// depth, nothing else. Dates in local time, no leading zeros, two-digit
// fields kept whole, no seconds.
void TestProperties::folderShowsItsStoredTotal() {
    const QDateTime when(QDate(2023, 12, 7), QTime(9, 35, 59));
    QCOMPARE(FormatDateText(when.toSecsSinceEpoch()), QStringLiteral("2023年12月7日 9:35"));
    const QString strBox = test::g_strHome + QStringLiteral("/Box/ImageBox");
    QVERIFY(Store(test::g_strHome + QStringLiteral("/pics/海边.jpg"), 5000,
                  strBox + QStringLiteral("/海边.jpg.$")));
    QVERIFY(Store(test::g_strHome + QStringLiteral("/pics/山.png"), 300,
                  strBox + QStringLiteral("/旅行相册/山.png.$")));
    QVERIFY(MakeFile(strBox + QStringLiteral("/说明.txt"), QByteArray(900, 'x')));
    QStringList shown;
    QCOMPARE(OnProperties(strBox, nullptr,
                          [&shown](QDialog* pDlg) {
                              shown = QStringList({Text(pDlg, 1011), Text(pDlg, 1014)});
                              QVERIFY(!Text(pDlg, 1015).isEmpty());
                              QVERIFY(test::SaveScreenshot(pDlg, "properties-folder"));
                          }),
             QStringLiteral("142"));
    QCOMPARE(shown, QStringList({strBox, "5.00 KB( 5300 字节)"}));
}

// A link to a folder gets the file dialog (it is not followed), a missing
// path nothing.
void TestProperties::commandPicksTheDialog() {
    const QString strLink = test::g_strHome + QStringLiteral("/cmd-link");
    QVERIFY(QFile::link(test::g_strHome, strLink));
    QCOMPARE(OnProperties(strLink, nullptr), QStringLiteral("141"));
    QCOMPARE(OnProperties(test::g_strHome + QStringLiteral("/missing"), nullptr),
             QStringLiteral("-"));
}

QUOVEX_UI_TEST_MAIN(TestProperties)
#include "tst_properties.moc"
