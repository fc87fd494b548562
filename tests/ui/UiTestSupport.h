// The main of the interface tests: it points HOME, XDG_CONFIG_HOME,
// XDG_CACHE_HOME and XDG_RUNTIME_DIR (where opened files are restored) at a
// temporary folder before the application exists, as QSettings and
// QStandardPaths read the variables once.
#pragma once

#include <QAction>
#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "DialogBuilder.h"
#include "MessageBox.h"
#include "OpenVault.h"
#include "VaultApp.h"
#include "VaultDlg.h"

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
    return strPath;
}

// Clicks the button nId of pDialog.
inline void Click(const QWidget* pDialog, int nId) {
    FindControl<QPushButton>(pDialog, nId)->click();
}

// Puts strText into the line edit nId of pDialog.
inline void TypeInto(const QWidget* pDialog, int nId, const QString& strText) {
    FindControl<QLineEdit>(pDialog, nId)->setText(strText);
}

inline QAction* Command(const QWidget* pWindow, int nCommandId) {
    return pWindow->findChild<QAction*>(QString::number(nCommandId));
}

inline bool CommandEnabled(const QWidget* pWindow, int nCommandId) {
    return Command(pWindow, nCommandId)->isEnabled();
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

// A value of the settings record as stored, "" when there is none.
inline QString StoredSetting(const char* pszKey) {
    QSettings store(QStringLiteral("tandrel"), QCoreApplication::applicationName());
    return store.value(QStringLiteral("SaftyBox/") + QLatin1String(pszKey)).toString();
}

// The main window over alice's vault at strVault (through pEnv, null: the
// real file system), shown; its settings are an application object's.
struct CShownVault {
    explicit CShownVault(const QString& strVault, CVaultEnv* pEnv = nullptr)
        : vault(strVault, QStringLiteral("alice"), QStringLiteral("secret1"), pEnv) {
        app.m_strWorkPath = strVault;
        dlg.show();
        (void)QTest::qWaitForWindowExposed(&dlg);
    }
    CVaultApp app;
    COpenVault vault;
    CVaultDlg dlg{vault, app};
};

inline constexpr char WHEN_MODAL_TIMER[] = "quovex-when-modal";

// Calls fn once with the first visible modal dialog of type T that comes up,
// checking every 10 ms until it does or the test's cleanup stops the wait.
template <class T>
void WhenModal(std::function<void(T*)> fn) {
    auto* pTimer = new QTimer(qApp);
    pTimer->setObjectName(QString::fromLatin1(WHEN_MODAL_TIMER));
    QObject::connect(pTimer, &QTimer::timeout, qApp, [pTimer, fn] {
        T* pDialog = qobject_cast<T*>(QApplication::activeModalWidget());
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

// Saves a picture of pWidget as <build>/screenshots/<strName>.png.
inline bool SaveScreenshot(QWidget* pWidget, const QString& strName) {
    QDir().mkpath(QStringLiteral(QUOVEX_SCREENSHOT_DIR));
    return pWidget->grab().save(QStringLiteral(QUOVEX_SCREENSHOT_DIR "/") + strName +
                                QStringLiteral(".png"));
}

// Every file below strRoot with a digest of its content.
inline QMap<QString, QByteArray> Snapshot(const QString& strRoot) {
    QMap<QString, QByteArray> files;
    QDirIterator it(strRoot, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString strPath = it.next();
        files[strPath] = QCryptographicHash::hash(ReadFile(strPath), QCryptographicHash::Sha1);
    }
    return files;
}

}  // namespace quovex::test

#define QUOVEX_UI_TEST_MAIN(TestClass)                                                        \
    int main(int argc, char** argv) {                                                         \
        QTemporaryDir home;                                                                   \
        if (!home.isValid()) return 1;                                                        \
        quovex::test::g_strHome = home.path();                                                \
        qputenv("HOME", home.path().toLocal8Bit());                                           \
        qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());  \
        qputenv("XDG_CACHE_HOME", (home.path() + QStringLiteral("/cache")).toLocal8Bit());    \
        QDir().mkdir(home.path() + QStringLiteral("/runtime"),                                \
                     QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);                 \
        qputenv("XDG_RUNTIME_DIR", (home.path() + QStringLiteral("/runtime")).toLocal8Bit()); \
        QApplication app(argc, argv);                                                         \
        TestClass tc;                                                                         \
        return QTest::qExec(&tc, argc, argv);                                                 \
    }
