// The properties dialogs on real stored files of both formats.
#include <QLabel>
#include <filesystem>

#include "DateText.h"
#include "FileInfoDlg.h"
#include "ItemProperties.h"
#include "SizeText.h"
#include "StoredFileHeader.h"
#include "StoredFileInfo.h"
#include "TestFiles.h"
#include "UiTestSupport.h"

using namespace quovex;
namespace fs = std::filesystem;

namespace {

using namespace test;

// Stores nSize bytes written at strSource as strStored (alice's scrambled
// key unless given).
bool Store(const QString& strSource, int nSize, const QString& strStored,
           const CVaultKey& key = CVaultKey("alice", "secret1")) {
    return MakeFile(strSource, QByteArray(nSize, 'q')) &&
           test::StoreWith(key, strSource.toStdString(), strStored.toStdString());
}

QString Text(const QWidget* pDlg, int nId) {
    if (auto* pEdit = FindControl<QLineEdit>(pDlg, nId)) return pEdit->text();
    return FindControl<QLabel>(pDlg, nId)->text();
}

QString SummaryOf(const QString& strPath, const CVaultKey* pKey = nullptr) {
    return QString::fromStdString(
        ReadStoredFileInfo(strPath.toStdString(), CVaultEnv::Default(), pKey).strSummary);
}

// Types strText as key presses, one character at a time.
void Type(QWidget* pWidget, const QString& strText) {
    for (char32_t c : strText.toUcs4())
        QTest::sendKeyEvent(QTest::Click, pWidget, Qt::Key_unknown, QString::fromUcs4(&c, 1),
                            Qt::NoModifier);
}

// Loads strPath into a file dialog, shown.
bool ShowFileInfo(CFileInfoDlg& dlg, const QString& strPath,
                  CVaultEnv* pEnv = CVaultEnv::Default()) {
    LoadFileInfo(dlg, strPath, pEnv);
    dlg.show();
    return QTest::qWaitForWindowExposed(&dlg);
}

// Runs the properties command on strPath with pKey, and fn on the dialog it
// brings up, which is then closed; its objectName, "-" when none came up.
QString OnProperties(const QString& strPath, const CVaultKey* pKey,
                     const std::function<void(QDialog*)>& fn = {}) {
    QString strShown = u"-"_s;
    QTimer::singleShot(0, [&] {
        auto* pDlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!pDlg) return;
        strShown = pDlg->objectName();
        if (fn) fn(pDlg);
        if (pDlg->isVisible()) pDlg->reject();
    });
    ShowItemProperties(strPath, nullptr, pKey, CVaultEnv::Default());
    QCoreApplication::processEvents();
    return strShown;
}

}  // namespace

class TestProperties : public QObject {
    Q_OBJECT
private slots:
    void storedFileShowsAndTakesItsSummary();
    void unreadableHeaderWritesNothing();
    void protectedFileShowsAndTakesItsSummary();
    void folderShowsItsStoredTotalAndLinksTheirOwn();
    void sizesAreWordedInBytesKilobytesAndMegabytes();
};

// An unchanged close writes nothing; typing stops at 127 GB18030 bytes; an
// edit is written by "关闭", a shorter one after it by Enter. Paths are shown
// shortened in the middle. A file replaced after the dialog read it is not
// written (as every refused write): the dialog says so and stays open.
void TestProperties::storedFileShowsAndTakesItsSummary() {
    const QString strSource =
        test::g_strHome + u"/来源/年度报告资料汇总/第一季度/财务数据/客户名单明细.txt"_s;
    const QString strStored = test::g_strHome + u"/Box/FileBox/客户名单明细.txt.$"_s;
    QVERIFY(Store(strSource, 5000, strStored));
    CMessageBoxScript script;  // none is expected; one would otherwise wait for an answer
    const auto fnEdit = [&](const QString& strTyped, bool bByButton) {
        CFileInfoDlg dlg;
        QVERIFY(ShowFileInfo(dlg, strStored));
        auto* pEdit = FindControl<QLineEdit>(&dlg, 1011);
        pEdit->setFocus();
        pEdit->selectAll();
        Type(pEdit, strTyped);
        bByButton ? test::Click(&dlg, 1) : QTest::keyClick(pEdit, Qt::Key_Return);
        QVERIFY(!dlg.isVisible());
    };
    const auto modified = fs::last_write_time(strStored.toStdString());
    fnEdit(QString(), true);
    QCOMPARE(fs::last_write_time(strStored.toStdString()), modified);
    const QString strBao(63, QChar(0x4FDD));  // 保: 126 bytes
    fnEdit(strBao + u"保ab"_s, true);         // the last 保 and b would pass 127 bytes
    QCOMPARE(SummaryOf(strStored), strBao + u"a"_s);
    fnEdit(u"第一季度客户名单"_s, false);
    QCOMPARE(SummaryOf(strStored), u"第一季度客户名单"_s);

    CFileInfoDlg dlg;
    QVERIFY(ShowFileInfo(dlg, strStored));
    QCOMPARE(QStringList({Text(&dlg, 1014), Text(&dlg, 1011)}),
             QStringList({u"4.00 KB( 5000 字节)"_s, u"第一季度客户名单"_s}));
    const QString strSourceShown = Text(&dlg, 1013);
    QVERIFY(strSourceShown.contains(QChar(0x2026)) && strSourceShown.endsWith("明细.txt"));
    QVERIFY(test::SaveScreenshot(&dlg, u"properties-file"_s));

    const QString strOther = test::g_strHome + u"/Box/FileBox/b.txt.$"_s;
    QVERIFY(Store(test::g_strHome + u"/src/b.txt"_s, 300, strOther));
    Type(FindControl<QLineEdit>(&dlg, 1011), u"新摘要"_s);
    fs::rename(strOther.toStdString(), strStored.toStdString());
    const QByteArray before = ReadFile(strStored);
    test::Click(&dlg, 1);
    QVERIFY(dlg.isVisible() && script.Requests().size() == 1);  // none before
    QVERIFY(script.Requests()[0].strText.startsWith(u"文件在打开属性窗口后已被改动"_s));
    QTest::keyClick(&dlg, Qt::Key_Escape);
    QVERIFY(!dlg.isVisible() && ReadFile(strStored) == before);
}

// A header that cannot be decoded shows the marker, and its summary cannot
// be edited, so that the marker is never written back.
void TestProperties::unreadableHeaderWritesNothing() {
    StoredFileHeader header;
    header.nPlainSize = 5000;
    std::strcpy(header.szSourcePath, "/src/\x81\x30");  // a cut four-byte sequence
    std::strcpy(header.szSummary, "\xFF\xFF");
    QByteArray bad(SFF_HEADER_SIZE, '\0');
    EncodeHeader(header, reinterpret_cast<unsigned char*>(bad.data()));
    const QString strBad = test::g_strHome + u"/other/bad.$"_s;
    QVERIFY(MakeFile(strBad, bad));
    CFileInfoDlg dlg;
    QVERIFY(ShowFileInfo(dlg, strBad));
    auto* pEdit = FindControl<QLineEdit>(&dlg, 1011);
    Type(pEdit, u"新"_s);
    const QString strMarker = QString::fromUtf8(FILE_INFO_UNREADABLE);
    QCOMPARE(QStringList({Text(&dlg, 1013), pEdit->text()}), QStringList({strMarker, strMarker}));
    test::Click(&dlg, 1);
    QVERIFY(!dlg.isVisible() && ReadFile(strBad) == bad);
}

// A protected file read with the open vault's key shows its metadata (the
// date: the recorded storage time) and takes up to 511 UTF-8 bytes of
// summary; without the key, or with another vault's, it says why and
// writes nothing.
void TestProperties::protectedFileShowsAndTakesItsSummary() {
    CVaultKey key("alice", "secret1");
    test::SetTestMasterKey(&key, 7);
    const QString strStored = test::g_strHome + u"/Box/FileBox/机密合同.txt.$"_s;
    QVERIFY(Store(test::g_strHome + u"/合同/机密合同.txt"_s, 5000, strStored, key));
    const StoredFileInfo info =
        ReadStoredFileInfo(strStored.toStdString(), CVaultEnv::Default(), &key);
    CMessageBoxScript script;
    QStringList shown;  // 1013, 1014, 1015 and 1011 after typing
    const auto fnEdit = [&shown](QDialog* pDlg) {
        shown = QStringList({Text(pDlg, 1013), Text(pDlg, 1014), Text(pDlg, 1015)});
        Type(FindControl<QLineEdit>(pDlg, 1011), QString(171, QChar(0x4FDD)) + "ab");  // 3 bytes
        shown << Text(pDlg, 1011);
        test::Click(pDlg, 1);
    };
    QCOMPARE(OnProperties(strStored, &key, fnEdit), u"141"_s);
    const QString strLongest = QString(170, QChar(0x4FDD)) + u"a"_s;  // 511 bytes
    QVERIFY(shown.front().endsWith(u"机密合同.txt"_s));
    QCOMPARE(shown.mid(1), QStringList({u"4.00 KB( 5000 字节)"_s,
                                        FormatDateText(info.nStoredTime) + u"\n原文件修改于 "_s +
                                            FormatDateText(info.nSourceTime),
                                        strLongest}));
    QCOMPARE(SummaryOf(strStored, &key), strLongest);

    CVaultKey other("alice", "secret1"), unnamed("alice", "secret1");
    test::SetTestMasterKey(&other, 8);
    unnamed.SetMasterKey(other.MasterKey().Clone());  // as builds that named no vault
    const QByteArray before = ReadFile(strStored);
    for (const auto& [pKey, pszWhy] :
         {std::pair<const CVaultKey*, const char*>(nullptr, FILE_INFO_SEALED),
          std::pair<const CVaultKey*, const char*>(&other, FILE_INFO_OTHER_VAULT),
          std::pair<const CVaultKey*, const char*>(&unnamed, FILE_INFO_NOT_OPENED)}) {
        OnProperties(strStored, pKey, fnEdit);
        QCOMPARE(shown.front(), QString::fromUtf8(pszWhy));
        QCOMPARE(shown[1] + shown[3], QString());
    }
    QVERIFY(ReadFile(strStored) == before && script.Requests().empty());
}

// The folder's path, date and the plain sizes stored below it at any depth.
// Dates in local time without leading zeros or seconds. A link to a folder
// gets the file dialog (not followed), a missing path nothing.
void TestProperties::folderShowsItsStoredTotalAndLinksTheirOwn() {
    const QDateTime when(QDate(2023, 12, 7), QTime(9, 35, 59));
    QCOMPARE(FormatDateText(when.toSecsSinceEpoch()), u"2023年12月7日 9:35"_s);
    const QString strBox = test::g_strHome + u"/Box/ImageBox"_s;
    QVERIFY(Store(test::g_strHome + u"/pics/海边.jpg"_s, 5000, strBox + u"/海边.jpg.$"_s));
    QVERIFY(Store(test::g_strHome + u"/pics/山.png"_s, 300, strBox + u"/旅行相册/山.png.$"_s));
    QVERIFY(MakeFile(strBox + u"/说明.txt"_s, QByteArray(900, 'x')));
    QStringList shown;
    QCOMPARE(OnProperties(strBox, nullptr,
                          [&shown](QDialog* pDlg) {
                              shown = QStringList({Text(pDlg, 1011), Text(pDlg, 1014)});
                              QVERIFY(!Text(pDlg, 1015).isEmpty());
                              QVERIFY(test::SaveScreenshot(pDlg, "properties-folder"));
                          }),
             u"142"_s);
    QCOMPARE(shown, QStringList({strBox, "5.00 KB( 5300 字节)"}));
    QVERIFY(QFile::link(test::g_strHome, test::g_strHome + u"/cmd-link"_s));
    QCOMPARE(OnProperties(test::g_strHome + u"/cmd-link"_s, nullptr), u"141"_s);
    QCOMPARE(OnProperties(test::g_strHome + u"/missing"_s, nullptr), u"-"_s);
}

// Megabytes are worked out from whole kilobytes: 1054700 bytes are 1029 KB.
void TestProperties::sizesAreWordedInBytesKilobytesAndMegabytes() {
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "0 字节"},        {1023, "1023 字节"},          {1024, "1.00 KB"},
        {5000, "4.00 KB"},    {1023999, "999.00 KB"},       {1024000, "0.98 MB"},
        {1054700, "1.00 MB"}, {5000000000ull, "4768.37 MB"}};
    for (const auto& [nBytes, pszText] : cases)
        QCOMPARE(FormatSizeText(nBytes), pszText + ("( " + std::to_string(nBytes) + " 字节)"));
}

QUOVEX_UI_TEST_MAIN(TestProperties)
#include "tst_properties.moc"
