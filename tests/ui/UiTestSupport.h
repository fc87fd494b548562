// The main of the interface tests points HOME and the XDG folders at a
// temporary folder before the application exists: QSettings and
// QStandardPaths read them once.
#pragma once

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidgetItem>
#include <QWidget>
#include <functional>
#include <memory>

#include "Boxes.h"
#include "ContentsTree.h"
#include "DialogBuilder.h"
#include "Fakes.h"
#include "KnownVaults.h"
#include "LoginDlg.h"
#include "MessageBox.h"
#include "OpenVault.h"
#include "PlainNames.h"
#include "TestFiles.h"
#include "VaultAccess.h"
#include "VaultApp.h"
#include "VaultDlg.h"

using namespace Qt::StringLiterals;

namespace quovex::test {

inline QString g_strHome;  // the temporary home of this test process

// Writes bytes to strPath, making its folders.
inline bool MakeFile(const QString& strPath, const QByteArray& bytes = QByteArray()) {
    QDir().mkpath(QFileInfo(strPath).absolutePath());
    QFile file(strPath);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray ReadFile(const QString& strPath) {
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Copies the reference stored file pszName of tests/data to strPath.
inline bool PlaceReference(const char* pszName, const QString& strPath) {
    return MakeFile(strPath,
                    ReadFile(QStringLiteral(QUOVEX_TEST_DATA "/") + QLatin1String(pszName)));
}

// A fresh, empty folder strName below the test's home.
inline QString FreshFolder(const QString& strName) {
    const QString strPath = g_strHome + QLatin1Char('/') + strName;
    QDir(strPath).removeRecursively();
    QDir().mkpath(strPath);
    // A new folder: no protected vault of an earlier test lay here.
    ForgetProtected(strPath.toStdString());
    return strPath;
}

inline void Click(const QWidget* pDialog, int nId) {
    FindControl<QPushButton>(pDialog, nId)->click();
}

inline void TypeInto(const QWidget* pDialog, int nId, const QString& strText) {
    FindControl<QLineEdit>(pDialog, nId)->setText(strText);
}

inline QAction* Command(const QWidget* pWindow, int nCommandId) {
    return pWindow->findChild<QAction*>(QString::number(nCommandId));
}

// The texts of the message boxes the script answered, in order.
inline QStringList MessageTexts(const CMessageBoxScript& script) {
    QStringList texts;
    for (const MessageBoxRequest& request : script.Requests()) texts << request.strText;
    return texts;
}

// Runs the whole program on app, as started without arguments.
inline int RunProgram(CVaultApp& app) {
    int argc = 1;
    char szName[] = "quovex";
    char* argv[] = {szName, nullptr};
    return app.Run(argc, argv);
}

// Whether the boxes of a vault at strVault are made.
inline bool HasBoxes(const QString& strVault) {
    const std::string strLast = BoxFolderPath(strVault.toStdString(), BOX_COUNT - 1);
    return QFileInfo(QString::fromStdString(strLast)).isDir();
}

// A value of the settings record as stored, "" when there is none.
inline QString StoredSetting(const char* pszKey) {
    QSettings store(u"tandrel"_s, QCoreApplication::applicationName());
    return store.value(u"SaftyBox/"_s + QLatin1String(pszKey)).toString();
}

// Makes a protected vault of alice / secret1 at strVault (with its names
// visible, as earlier versions made them, when bVisibleNames); its recovery
// key as shown, "" when it was not made.
inline QString MakeProtectedVault(const QString& strVault, bool bVisibleNames = false) {
    CVaultKey key("alice", "secret1");
    CSecretBytes text;
    if (bVisibleNames) {
        MakeVisibleNamesVault(strVault.toStdString(), "alice", "secret1", KDF_FASTEST_LIMITS,
                              nullptr, &text);
    } else {
        CreateVault(strVault.toStdString(), "secret1", true, KDF_FASTEST_LIMITS, &key, nullptr,
                    &text, CVaultEnv::Default());
    }
    return QString::fromLatin1(reinterpret_cast<const char*>(text.Data()),
                               static_cast<qsizetype>(text.Size()));
}

// The main window over alice's vault at strVault (through pEnv, the real
// file system unless given), opened as the login opens it (bOpened: whether
// it did) and shown, with an application object's settings and the fastest
// limits.
struct CShownVault {
    explicit CShownVault(const QString& strVault, CVaultEnv* pEnv = CVaultEnv::Default())
        : vault(strVault, u"alice"_s, u"secret1"_s, pEnv) {
        app.m_strWorkPath = strVault;
        dlg.SetKdfLimits(KDF_FASTEST_LIMITS);
        dlg.show();
        (void)QTest::qWaitForWindowExposed(&dlg);
    }
    CVaultApp app{CVaultEnv::Default()};
    COpenVault vault;
    bool bOpened = vault.Open(u"secret1"_s).Opened();
    CVaultDlg dlg{vault, app};
};

inline constexpr char WHEN_MODAL_TIMER[] = "quovex-when-modal";

// The visible window of type T that takes the user's input now: the modal
// dialog up, or with none, a top-level window of that type (the main
// window, which is not modal so that the tray's menu works beside it).
template <class T>
T* WindowInFront() {
    if (QWidget* pModal = QApplication::activeModalWidget()) return qobject_cast<T*>(pModal);
    for (QWidget* pTop : QApplication::topLevelWidgets())
        if (auto* pWindow = qobject_cast<T*>(pTop); pWindow && pWindow->isVisible()) return pWindow;
    return nullptr;
}

// Calls fn once with the first visible dialog of type T that comes up in
// front (WindowInFront), checking every 10 ms until it does or the test's
// cleanup stops the wait.
template <class T>
void WhenModal(std::function<void(T*)> fn) {
    auto* pTimer = new QTimer(qApp);
    pTimer->setObjectName(QString::fromLatin1(WHEN_MODAL_TIMER));
    QObject::connect(pTimer, &QTimer::timeout, qApp, [pTimer, fn] {
        T* pDialog = WindowInFront<T>();
        if (!pDialog || !pDialog->isVisible()) return;
        pTimer->stop();
        pTimer->deleteLater();
        fn(pDialog);
    });
    pTimer->start(10);
}

// Stops every WhenModal still waiting (a test's cleanup).
inline void StopWhenModal() {
    qDeleteAll(qApp->findChildren<QTimer*>(QString::fromLatin1(WHEN_MODAL_TIMER)));
}

// Logs in with strPassword at the next login, counted in *pnLogins if given.
inline void LogInWhenAsked(const QString& strPassword, int* pnLogins = nullptr) {
    WhenModal<CLoginDlg>([strPassword, pnLogins](CLoginDlg* pLogin) {
        if (pnLogins) ++*pnLogins;
        TypeInto(pLogin, 1005, strPassword);
        Click(pLogin, RES_ID_OK);
    });
}

// The on-disk path below the box folder strBox of the plain relative path
// strRel ("目录/a.txt.$": a stored file's plain name with ".$"; the first
// version where there are several) in a vault that hides its names with
// key; strBox joined with strRel when nothing there has that name.
inline QString DiskPathBelow(const QString& strBox, const QString& strRel, const CVaultKey& key) {
    const CPlainNames names(&key, CVaultEnv::Default());
    std::string strDisk = strBox.toStdString();
    std::string strPlain = QFileInfo(strBox).fileName().toStdString();
    const QStringList vNames = strRel.split(u'/', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < vNames.size(); ++i) {
        std::string strName = vNames[i].toStdString();
        const bool bLast = i + 1 == vNames.size();
        std::string strOnDisk;
        if (bLast && vNames[i].endsWith(u".$"_s)) {
            strName.resize(strName.size() - 2);
            const FolderPtr pFolder = CVaultEnv::Default()->OpenFolder(strDisk);
            const std::vector<std::string> vFound =
                pFolder
                    ? FindStoredVersions(*pFolder, strPlain, strName, names.Names(), names.Places())
                    : std::vector<std::string>();
            if (!vFound.empty()) strOnDisk = vFound.front();
        } else {
            strOnDisk = names.Names().FolderOnDisk(strPlain, strName);
        }
        if (strOnDisk.empty()) return strBox + QLatin1Char('/') + strRel;
        strDisk += "/" + strOnDisk;
        strPlain = PlainChildPath(strPlain, strName);
    }
    return QString::fromStdString(strDisk);
}

// A shown window over alice's vault at <home>/<name><n>/Box (n counting
// the set-ups) through m_env, whose FileBox holds a.txt ("alpha") and
// 目录/a.txt ("beta") dropped from src/; message boxes are scripted.
struct CDroppedVault {
    // A test's init (bProtected: a protected vault); false on a failure.
    bool MakeDropped(const char* pszName, bool bProtected = false) {
        static int nRun = 0;
        m_strRoot = g_strHome + QLatin1Char('/') + QLatin1String(pszName) + QString::number(++nRun);
        m_strVault = m_strRoot + u"/Box"_s;
        m_strBox = m_strVault + u"/FileBox"_s;
        m_pScript = std::make_unique<CMessageBoxScript>();
        if (bProtected && MakeProtectedVault(m_strVault).isEmpty()) return false;
        CreateBoxFolders(m_strVault.toStdString(), CVaultEnv::Default());
        if (!MakeFile(Src("a.txt"), "alpha") || !MakeFile(Src("目录/a.txt"), "beta")) return false;
        m_pShown = std::make_unique<CShownVault>(m_strVault, &m_env);
        m_pDlg = &m_pShown->dlg;
        m_pDlg->StartAddFromDrop({Src("a.txt"), Src("目录")}, m_strBox);
        return m_pShown->bOpened && m_pShown->vault.Key().IsProtected() == bProtected &&
               QFileInfo::exists(Box("目录/a.txt.$")) && !QFileInfo::exists(Src("a.txt"));
    }
    void ClearDropped() {
        StopWhenModal();
        m_pShown.reset();
        m_pScript.reset();
        m_env = CFaultEnv();
    }
    QString Src(const char* pszRel) const {
        return m_strRoot + u"/src/"_s + QString::fromUtf8(pszRel);
    }
    // The box itself for ""; where the vault hides its names, the on-disk
    // path of what pszRel names plain.
    QString Box(const char* pszRel) const {
        if (m_pShown && m_pShown->vault.Key().NamesHidden())
            return DiskPathBelow(m_strBox, QString::fromUtf8(pszRel), m_pShown->vault.Key());
        return *pszRel ? m_strBox + QLatin1Char('/') + QString::fromUtf8(pszRel) : m_strBox;
    }
    // Shows the box afresh and selects pszRel in it, opening the folders on
    // the way; whether the window took it as its selection.
    bool Select(const char* pszRel) {
        CContentsTree* pTree = m_pDlg->ContentsTree();
        pTree->ShowAfresh();
        QString strRel;
        for (const QString& strName : QString::fromUtf8(pszRel).split(u'/', Qt::SkipEmptyParts)) {
            if (QTreeWidgetItem* pFolder = pTree->FindPathItem(Box(qPrintable(strRel))))
                pFolder->setExpanded(true);
            strRel += (strRel.isEmpty() ? QString() : u"/"_s) + strName;
        }
        QTreeWidgetItem* pItem = pTree->FindPathItem(Box(pszRel));
        pTree->setCurrentItem(pItem);
        return pItem && m_pDlg->SelectedItem() == pItem;
    }
    const QString& LastMessage() const { return m_pScript->Requests().back().strText; }

    QString m_strRoot, m_strVault, m_strBox;
    CFaultEnv m_env;
    std::unique_ptr<CShownVault> m_pShown;
    CVaultDlg* m_pDlg = nullptr;
    std::unique_ptr<CMessageBoxScript> m_pScript;
};

// Saves a picture of pWidget as <build>/screenshots/<strName>.png.
inline bool SaveScreenshot(QWidget* pWidget, const QString& strName) {
    QDir().mkpath(QStringLiteral(QUOVEX_SCREENSHOT_DIR));
    return pWidget->grab().save(QStringLiteral(QUOVEX_SCREENSHOT_DIR "/") + strName + u".png"_s);
}

// Every entry below strRoot, files with their contents (SnapshotTree).
inline Tree Snapshot(const QString& strRoot) {
    return SnapshotTree(QFile::encodeName(strRoot).toStdString());
}

}  // namespace quovex::test

#define QUOVEX_UI_TEST_MAIN(TestClass)                                           \
    int main(int argc, char** argv) {                                            \
        QTemporaryDir home;                                                      \
        if (!home.isValid()) return 1;                                           \
        quovex::test::g_strHome = home.path();                                   \
        qputenv("HOME", home.path().toLocal8Bit());                              \
        qputenv("XDG_CONFIG_HOME", (home.path() + u"/config"_s).toLocal8Bit());  \
        qputenv("XDG_CACHE_HOME", (home.path() + u"/cache"_s).toLocal8Bit());    \
        QDir().mkdir(home.path() + u"/runtime"_s,                                \
                     QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);    \
        qputenv("XDG_RUNTIME_DIR", (home.path() + u"/runtime"_s).toLocal8Bit()); \
        QApplication app(argc, argv);                                            \
        TestClass tc;                                                            \
        return QTest::qExec(&tc, argc, argv);                                    \
    }
