// The settings sheet and the help.
#include <QCheckBox>
#include <QTextBrowser>

#include "BoxListCtrl.h"
#include "DirDialog.h"
#include "HelpViewer.h"
#include "NormalPage.h"
#include "SetPropertySheet.h"
#include "UiTestSupport.h"

using namespace quovex;
using test::StoredSetting;

namespace {

QCheckBox* Check(QWidget* pSheet, int nId) {
    return FindControl<QCheckBox>(pSheet, nId);
}

void Type(QWidget* pSheet, const QString& strText) {
    auto* pEdit = FindControl<QLineEdit>(pSheet, 1007);
    pEdit->selectAll();
    QTest::keyClick(pEdit, Qt::Key_Backspace);
    QTest::keyClicks(pEdit, strText);
}

// A sheet with its general page, shown without a modal loop of its own.
std::unique_ptr<CSetPropertySheet> OpenSheet(COpenVault& vault, CVaultSettings& settings) {
    auto pSheet = std::make_unique<CSetPropertySheet>(u"参数设置"_s);
    pSheet->AddPage(new CNormalPage(vault, settings));
    pSheet->show();
    return pSheet;
}

}  // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void init() { QSettings(u"tandrel"_s, QCoreApplication::applicationName()).clear(); }
    void cleanup() { CDirDialog::SetFolderPicker({}); }
    void applyTakesTheValuesOver();
    void locationTakesTheLoginsRule();
    void helpOpensInAWindowOfItsOwn();
};

void TestSettings::applyTakesTheValuesOver() {
    CVaultApp app{CVaultEnv::Default()};
    app.m_strUserName = u"alice"_s;
    app.m_bDeleteSource = false;
    COpenVault vault(app.m_strWorkPath, u"alice"_s, u"secret1"_s, CVaultEnv::Default());
    QStringList asked;
    const QString strChosen = test::g_strHome + u"/apply/chosen"_s;
    CDirDialog::SetFolderPicker([&](const QString& strTitle) {
        asked << strTitle;
        return asked.size() == 1 ? QString() : strChosen;
    });

    // The values in force; typing alone leaves Apply disabled; OK takes the
    // location over, cleaned, and makes its boxes.
    auto pSheet = OpenSheet(vault, app);
    QCOMPARE(FindControl<QLineEdit>(pSheet.get(), 1007)->text(), vault.Location());
    QVERIFY(!Check(pSheet.get(), 1009)->isChecked() && Check(pSheet.get(), 1010)->isChecked());
    QVERIFY(test::SaveScreenshot(pSheet.get(), u"settings"_s));
    const QString strTyped = test::g_strHome + u"/apply/./typed/"_s;
    Type(pSheet.get(), strTyped);
    QVERIFY(!FindControl<QPushButton>(pSheet.get(), SHEET_ID_APPLY)->isEnabled());
    test::Click(pSheet.get(), 1);
    QVERIFY(!pSheet->isVisible() && pSheet->result() == QDialog::Accepted);
    QCOMPARE(app.m_strWorkPath, test::g_strHome + u"/apply/typed"_s);
    QVERIFY(vault.Location() == app.m_strWorkPath && test::HasBoxes(app.m_strWorkPath));
    QVERIFY(app.m_bSettingsChanged);
    QCOMPARE(StoredSetting("DeleteSource"), u"FALSE"_s);

    // A click enables Apply; a chosen folder (not a cancelled browse) puts
    // the box back, Apply staying enabled.
    pSheet = OpenSheet(vault, app);
    QCheckBox* pDelete = Check(pSheet.get(), 1009);
    QPushButton* pApply = FindControl<QPushButton>(pSheet.get(), SHEET_ID_APPLY);
    pDelete->click();
    test::Click(pSheet.get(), 1008);
    QVERIFY(pDelete->isChecked() && pApply->isEnabled());
    test::Click(pSheet.get(), 1008);
    QCOMPARE(asked, QStringList({"选择文件夹", "选择文件夹"}));
    QVERIFY(!pDelete->isChecked() && pApply->isEnabled());
    QCOMPARE(FindControl<QLineEdit>(pSheet.get(), 1007)->text(), strChosen);

    // Save-user cleared and applied: written at once, UserName left alone.
    // Apply turns itself off; what Cancel follows stays applied.
    app.m_strUserName = u"bob"_s;
    Check(pSheet.get(), 1010)->click();
    pApply->click();
    QVERIFY(!pApply->isEnabled() && pSheet->isVisible() && test::HasBoxes(strChosen));
    QVERIFY(StoredSetting("SaveUser") == u"FALSE"_s && StoredSetting("UserName") == u"alice"_s);
    Type(pSheet.get(), strTyped);
    pDelete->click();
    test::Click(pSheet.get(), 2);
    QCOMPARE(StoredSetting("WorkPath"), strChosen);
    QVERIFY(!app.m_bDeleteSource && !app.m_bSaveUser && app.m_strWorkPath == strChosen);

    // Bad locations: Apply and OK each say why, take nothing and make nothing.
    CMessageBoxScript script;
    pSheet = OpenSheet(vault, app);
    pApply = FindControl<QPushButton>(pSheet.get(), SHEET_ID_APPLY);
    Check(pSheet.get(), 1010)->click();
    for (const char* pszBad : {"  ", "rel-vault"}) {
        Type(pSheet.get(), QString::fromLatin1(pszBad));
        test::Click(pSheet.get(), SHEET_ID_APPLY);
        test::Click(pSheet.get(), 1);
        QVERIFY(pSheet->isVisible() && pApply->isEnabled());
    }
    QCOMPARE(script.Requests().size(), std::size_t(4));
    QCOMPARE(script.Requests().front().strText, u"请输入保险柜存放位置。"_s);
    QVERIFY(script.Requests().back().strText.startsWith(u"保险柜存放位置必须是"_s));
    QVERIFY(!app.m_bSaveUser && app.m_strWorkPath == strChosen && !QFileInfo::exists("rel-vault"));
    QCOMPARE(StoredSetting("WorkPath"), strChosen);
}

// A location whose vault holds another user's files is refused as the login
// refuses it, and a file as no folder, the old vault staying in force; one
// that takes the login's credentials is shown at once and takes the next drop.
void TestSettings::locationTakesTheLoginsRule() {
    const QString strRoot = test::g_strHome + u"/rule"_s;
    const QString strOld = strRoot + u"/old"_s;
    const QString strOther = strRoot + u"/other"_s;  // 张三user's
    const QString strGood = strRoot + u"/good"_s;    // alice's
    QVERIFY(test::PlaceReference("chinese.txt.$", strOther + u"/FileBox/a.$"_s));
    QVERIFY(test::PlaceReference("empty.txt.$", strGood + u"/FileBox/a.$"_s));
    CreateBoxFolders(strOld.toStdString(), CVaultEnv::Default());
    test::CShownVault shown(strOld);
    auto& [app, vault, bOpened, dlg] = shown;
    CMessageBoxScript script;
    const auto other = test::Snapshot(strOther);
    // Applies strLocation through the File menu; true when the sheet stays.
    const auto applyLocation = [&](const QString& strLocation) {
        bool bStays = false;
        QTimer::singleShot(0, this, [&] {
            QWidget* pSheet = QApplication::activeModalWidget();
            Type(pSheet, strLocation);
            test::Click(pSheet, 1);
            bStays = pSheet->isVisible();
            if (bStays) QTest::keyClick(pSheet, Qt::Key_Escape);
        });
        test::Command(&dlg, 32772)->trigger();
        return bStays;
    };

    QVERIFY(applyLocation(strOther));
    QCOMPARE(test::MessageTexts(script), QStringList{"户名或者口令出错。"});
    QVERIFY(vault.Location() == strOld && app.m_strWorkPath == strOld && !app.m_bSettingsChanged);
    QVERIFY(StoredSetting("WorkPath").isEmpty() && dlg.BoxList()->BoxPath().startsWith(strOld));
    QCOMPARE(test::Snapshot(strOther), other);
    // A location that cannot be made a vault says why, and is not taken.
    QVERIFY(test::MakeFile(strRoot + u"/file"_s) && applyLocation(strRoot + u"/file"_s));
    QCOMPARE(test::MessageTexts(script).last(),
             u"保险柜存放位置不能读写（不是文件夹）：\n"_s + strRoot + u"/file"_s);
    QVERIFY(vault.Location() == strOld);

    QVERIFY(!applyLocation(strGood));
    QCOMPARE(StoredSetting("WorkPath"), strGood);
    QCOMPARE(dlg.BoxList()->BoxPath(), strGood + u"/FileBox"_s);
    QCOMPARE(dlg.ContentsTree()->GetItemPath(dlg.ContentsTree()->topLevelItem(0)),
             dlg.BoxList()->BoxPath());
    // The next drop, into the box selected last, lands there.
    QVERIFY(test::MakeFile(strRoot + u"/drop.txt"_s));
    dlg.StartAddFromDrop({strRoot + u"/drop.txt"_s}, dlg.BoxList()->BoxPath());
    QVERIFY(QFileInfo::exists(strGood + u"/FileBox/drop.txt.$"_s) && script.Requests().size() == 2);
}

// The Help menu and the sheet's Help button show the program's own help,
// once per owner (a Quovex.chm beside the program: tst_opened).
void TestSettings::helpOpensInAWindowOfItsOwn() {
    test::CShownVault shown(test::g_strHome + u"/help/vault"_s);
    auto& [app, vault, bOpened, dlg] = shown;
    for (int i = 0; i < 2; ++i) test::Command(&dlg, 32777)->trigger();
    const QList<CHelpWindow*> vHelp = dlg.findChildren<CHelpWindow*>();
    QVERIFY(vHelp.size() == 1 && vHelp.front()->isVisible());
    QVERIFY(vHelp.front()->Browser()->toPlainText().contains(u"保护的作用与局限"_s));
    test::SaveScreenshot(vHelp.front(), u"help"_s);

    const auto pSheet = OpenSheet(vault, app);
    test::Click(pSheet.get(), SHEET_ID_HELP);
    QVERIFY(pSheet->findChild<CHelpWindow*>());
}

QUOVEX_UI_TEST_MAIN(TestSettings)
#include "tst_settings.moc"
