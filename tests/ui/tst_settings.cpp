// The settings sheet: run from the File menu, the Apply button's enabling,
// browse undoing check-box clicks, what applying writes and creates, and
// locations that are refused. Settings go to the temporary config folder.
#include <QAction>
#include <QCheckBox>
#include <QDesktopServices>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <memory>

#include "BoxListCtrl.h"
#include "ContentsTree.h"
#include "DialogBuilder.h"
#include "DirDialog.h"
#include "HelpViewer.h"
#include "MessageBox.h"
#include "NormalPage.h"
#include "OpenVault.h"
#include "SetPropertySheet.h"
#include "UiTestSupport.h"
#include "VaultApp.h"
#include "VaultDlg.h"
#include "VaultFolders.h"

using namespace quovex;

namespace {

// A stored settings value, "" when there is none.
QString Stored(const char* pszKey) {
    QSettings store(QStringLiteral("tandrel"), QCoreApplication::applicationName());
    return store.value(QStringLiteral("SaftyBox/") + QLatin1String(pszKey)).toString();
}

bool HasBoxes(const QString& strVault) {
    const std::string strLast = BoxFolderPath(strVault.toStdString(), BOX_COUNT - 1);
    return QFileInfo(QString::fromStdString(strLast)).isDir();
}

QPushButton* Button(QWidget* pSheet, int nId) {
    return FindControl<QPushButton>(pSheet, nId);
}

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
    auto pSheet = std::make_unique<CSetPropertySheet>(QStringLiteral("参数设置"));
    pSheet->AddPage(new CNormalPage(vault, settings));
    pSheet->show();
    return pSheet;
}

COpenVault AliceVault(const QString& strLocation) {
    return COpenVault(strLocation, QStringLiteral("alice"), QStringLiteral("secret1"));
}

}  // namespace

class TestSettings : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE void OpenUrl(const QUrl& url) { m_urls << url; }

private:
    QList<QUrl> m_urls;

private slots:
    void init() {
        QSettings(QStringLiteral("tandrel"), QCoreApplication::applicationName()).clear();
    }
    void cleanup() { CDirDialog::SetFolderPicker({}); }
    void fileMenuRunsTheSheet();
    void applyTakesTheValuesOver();
    void badLocationsAreRefused();
    void locationTakesTheLoginsRule();
    void helpOpensInAWindowOfItsOwn();
};

// Escape ends the sheet without applying; OK without a change applies and
// writes the current values and creates the box folders.
void TestSettings::fileMenuRunsTheSheet() {
    CVaultApp app;
    const QString strVault = test::g_strHome + QStringLiteral("/menu/vault");
    app.m_strWorkPath = strVault;
    app.m_bDeleteSource = false;
    COpenVault vault = AliceVault(strVault);
    CVaultDlg dlg(vault, app);
    QAction* pSettings = dlg.findChild<QAction*>(QStringLiteral("32772"));
    QStringList seen;  // what the sheet showed when it came up
    QTimer::singleShot(0, this, [&] {
        QWidget* pSheet = QApplication::activeModalWidget();
        seen << pSheet->windowTitle() << FindControl<QTabWidget>(pSheet, SHEET_ID_TABS)->tabText(0)
             << FindControl<QLineEdit>(pSheet, 1007)->text()
             << QString::number(Button(pSheet, SHEET_ID_APPLY)->isEnabled())
             << QString::number(Check(pSheet, 1009)->isChecked())
             << QString::number(Check(pSheet, 1010)->isChecked());
        test::SaveScreenshot(pSheet, QStringLiteral("settings"));
        Check(pSheet, 1009)->click();
        QTest::keyClick(pSheet, Qt::Key_Escape);
    });
    pSettings->trigger();
    QCOMPARE(seen, QStringList({"参数设置", "普通", strVault, "0", "0", "1"}));
    QVERIFY(!app.m_bDeleteSource && !app.m_bSettingsChanged);
    QVERIFY(Stored("WorkPath").isEmpty() && !QFileInfo::exists(strVault));

    QTimer::singleShot(0, this, [] { Button(QApplication::activeModalWidget(), 1)->click(); });
    pSettings->trigger();
    QVERIFY(app.m_bSettingsChanged && HasBoxes(strVault));
    QCOMPARE(Stored("WorkPath"), strVault);
    QCOMPARE(Stored("DeleteSource"), QStringLiteral("FALSE"));
}

void TestSettings::applyTakesTheValuesOver() {
    CVaultApp app;
    app.m_strUserName = QStringLiteral("alice");
    COpenVault vault = AliceVault(app.m_strWorkPath);
    QStringList asked;
    const QString strChosen = test::g_strHome + QStringLiteral("/apply/chosen");
    CDirDialog::SetFolderPicker([&](const QString& strTitle) {
        asked << strTitle;
        return asked.size() == 1 ? QString() : strChosen;
    });

    // Typing alone leaves Apply disabled; OK takes the new location over,
    // cleaned, and creates it with its boxes.
    auto pSheet = OpenSheet(vault, app);
    const QString strTyped = test::g_strHome + QStringLiteral("/apply/./typed/");
    Type(pSheet.get(), strTyped);
    QVERIFY(!Button(pSheet.get(), SHEET_ID_APPLY)->isEnabled());
    Button(pSheet.get(), 1)->click();
    QVERIFY(!pSheet->isVisible() && pSheet->result() == QDialog::Accepted);
    QCOMPARE(app.m_strWorkPath, test::g_strHome + QStringLiteral("/apply/typed"));
    QCOMPARE(vault.Location(), app.m_strWorkPath);
    QVERIFY(HasBoxes(app.m_strWorkPath) && app.m_bSettingsChanged);

    // A check-box click enables Apply; a cancelled browse changes nothing, a
    // chosen folder puts the box back as it was and Apply stays enabled.
    pSheet = OpenSheet(vault, app);
    QCheckBox* pDelete = Check(pSheet.get(), 1009);
    QPushButton* pApply = Button(pSheet.get(), SHEET_ID_APPLY);
    pDelete->click();
    Button(pSheet.get(), 1008)->click();
    QVERIFY(!pDelete->isChecked() && pApply->isEnabled());
    Button(pSheet.get(), 1008)->click();
    QCOMPARE(asked, QStringList({"选择文件夹", "选择文件夹"}));
    QVERIFY(pDelete->isChecked() && pApply->isEnabled());
    QCOMPARE(FindControl<QLineEdit>(pSheet.get(), 1007)->text(), strChosen);

    // Save-user cleared and applied: written at once, UserName left alone.
    // Apply turns itself off; what Cancel follows stays applied.
    app.m_strUserName = QStringLiteral("bob");
    Check(pSheet.get(), 1010)->click();
    pApply->click();
    QVERIFY(!pApply->isEnabled() && pSheet->isVisible() && HasBoxes(strChosen));
    QCOMPARE(Stored("SaveUser"), QStringLiteral("FALSE"));
    QCOMPARE(Stored("UserName"), QStringLiteral("alice"));
    Type(pSheet.get(), strTyped);
    pDelete->click();
    Button(pSheet.get(), 2)->click();
    QCOMPARE(Stored("WorkPath"), strChosen);
    QVERIFY(app.m_bDeleteSource && !app.m_bSaveUser && app.m_strWorkPath == strChosen);
}

// Refused by Apply and by OK alike, each time with a message; the sheet
// stays open and nothing is taken over or created.
void TestSettings::badLocationsAreRefused() {
    CVaultApp app;
    app.m_strWorkPath = test::g_strHome + QStringLiteral("/refused");
    COpenVault vault = AliceVault(app.m_strWorkPath);
    CMessageBoxScript script;
    auto pSheet = OpenSheet(vault, app);
    Check(pSheet.get(), 1010)->click();
    for (const char* pszBad : {"  ", "rel-vault"}) {
        Type(pSheet.get(), QString::fromLatin1(pszBad));
        Button(pSheet.get(), SHEET_ID_APPLY)->click();
        Button(pSheet.get(), 1)->click();
        QVERIFY(pSheet->isVisible() && Button(pSheet.get(), SHEET_ID_APPLY)->isEnabled());
    }
    QCOMPARE(script.Requests().size(), std::size_t(4));
    QCOMPARE(script.Requests().front().strText, QStringLiteral("请输入保险柜存放位置。"));
    QVERIFY(script.Requests().back().strText.startsWith(QStringLiteral("保险柜存放位置必须是")));
    QVERIFY(!app.m_bSettingsChanged && app.m_bSaveUser);
    QVERIFY(Stored("WorkPath").isEmpty() && !QFileInfo::exists(QStringLiteral("rel-vault")));
}

// A location whose vault holds another user's files is refused as the
// login refuses it: the sheet stays, and the old vault stays in force for
// drops. A vault that takes the login's credentials is shown at once, with
// no box clicked, and takes the next drop.
void TestSettings::locationTakesTheLoginsRule() {
    const QString strRoot = test::g_strHome + QStringLiteral("/rule");
    const QString strOld = strRoot + QStringLiteral("/old");
    const QString strOther = strRoot + QStringLiteral("/other");  // 张三user's
    const QString strGood = strRoot + QStringLiteral("/good");    // alice's
    const auto place = [](const char* pszName, const QString& strVault) {
        return test::MakeFile(
            strVault + QStringLiteral("/FileBox/") + QString::fromLatin1(pszName),
            test::ReadFile(QStringLiteral(QUOVEX_TEST_DATA "/") + QString::fromLatin1(pszName)));
    };
    QVERIFY(place("chinese.txt.$", strOther) && place("empty.txt.$", strGood));
    CVaultApp app;
    app.m_strWorkPath = strOld;
    COpenVault vault = AliceVault(strOld);
    vault.CreateBoxFolders();
    CVaultDlg dlg(vault, app);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    CMessageBoxScript script;
    const auto other = test::Snapshot(strOther);
    // Drops into the box selected last; true when the file landed in strVault.
    const auto dropInto = [&](const QString& strVault) {
        const QString strSource = strRoot + QStringLiteral("/drop.txt");
        test::MakeFile(strSource, "dropped");
        dlg.StartAddFromDrop({strSource}, dlg.BoxList()->BoxPath());
        return QFile::remove(strVault + QStringLiteral("/FileBox/drop.txt.$"));
    };
    const auto applyLocation = [&](const QString& strLocation, bool* pStays) {
        QTimer::singleShot(0, this, [&, strLocation, pStays] {
            QWidget* pSheet = QApplication::activeModalWidget();
            Type(pSheet, strLocation);
            Button(pSheet, 1)->click();
            *pStays = pSheet->isVisible();
            if (*pStays) QTest::keyClick(pSheet, Qt::Key_Escape);
        });
        dlg.findChild<QAction*>(QStringLiteral("32772"))->trigger();
    };

    bool bStays = false;
    applyLocation(strOther, &bStays);
    QVERIFY(bStays);
    QCOMPARE(script.Requests().size(), std::size_t(1));
    QCOMPARE(script.Requests().front().strText, QStringLiteral("户名或者口令出错。"));
    QVERIFY(vault.Location() == strOld && app.m_strWorkPath == strOld && !app.m_bSettingsChanged);
    QVERIFY(Stored("WorkPath").isEmpty());
    QVERIFY(dropInto(strOld));
    QCOMPARE(test::Snapshot(strOther), other);

    applyLocation(strGood, &bStays);
    QVERIFY(!bStays);
    QCOMPARE(Stored("WorkPath"), strGood);
    const QString strBox = strGood + QStringLiteral("/FileBox");
    QCOMPARE(dlg.BoxList()->BoxPath(), strBox);
    QCOMPARE(dlg.ContentsTree()->GetItemPath(dlg.ContentsTree()->topLevelItem(0)), strBox);
    QVERIFY(dropInto(strGood));
    QCOMPARE(script.Requests().size(), std::size_t(1));
}

// From the main window's Help menu and from the sheet's Help button, with
// no viewer installed: the program's own help, once per owner.
void TestSettings::helpOpensInAWindowOfItsOwn() {
    CVaultApp app;
    app.m_strWorkPath = test::g_strHome + QStringLiteral("/help/vault");
    COpenVault vault = AliceVault(app.m_strWorkPath);
    CVaultDlg dlg(vault, app);
    dlg.show();
    for (int i = 0; i < 2; ++i) dlg.findChild<QAction*>(QStringLiteral("32777"))->trigger();
    const QList<CHelpWindow*> vHelp = dlg.findChildren<CHelpWindow*>();
    QCOMPARE(vHelp.size(), 1);
    QVERIFY(vHelp.front()->isVisible());
    QVERIFY(vHelp.front()->Browser()->toPlainText().contains(QStringLiteral("保护的作用与局限")));
    test::SaveScreenshot(vHelp.front(), QStringLiteral("help"));

    const auto pSheet = OpenSheet(vault, app);
    Button(pSheet.get(), SHEET_ID_HELP)->click();
    QVERIFY(pSheet->findChild<CHelpWindow*>());

    // A Quovex.chm beside the program is handed to the desktop instead.
    app.m_strProgramPath = test::g_strHome + QStringLiteral("/help/quovex");
    QVERIFY(test::MakeFile(test::g_strHome + QStringLiteral("/help/Quovex.chm")));
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "OpenUrl");
    dlg.OnHelp();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(
        m_urls,
        QList<QUrl>({QUrl::fromLocalFile(test::g_strHome + QStringLiteral("/help/Quovex.chm"))}));
}

QUOVEX_UI_TEST_MAIN(TestSettings)
#include "tst_settings.moc"
