#include "VaultApp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include "HelpViewer.h"
#include "LoginDlg.h"
#include "OpenVault.h"
#include "ResourceImages.h"
#include "VaultDlg.h"
#include "VaultLogin.h"

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(VaultApp)
};

}  // namespace

namespace {

CVaultApp* s_pInstance = nullptr;

// Preset of the location field: leaving it keeps the configured location.
QString LoginDefaultPath() {
    return Words::tr("缺省位置");
}

}  // namespace

CVaultApp::CVaultApp(CVaultEnv* pEnv) : m_pEnv(pEnv) {
    s_pInstance = this;
}

CVaultApp::~CVaultApp() {
    if (s_pInstance == this) s_pInstance = nullptr;
}

CVaultApp* CVaultApp::Instance() {
    return s_pInstance;
}

int CVaultApp::Run(int& argc, char** argv) {
    if (!QApplication::instance()) m_pApplication = std::make_unique<QApplication>(argc, argv);
    // Here rather than in InitInstance, so that the windows tests run
    // speak the texts they compare whatever the machine's locale.
    m_translators.Install(SystemWindowLanguage());
    InitInstance();
    return 0;
}

bool CVaultApp::InitInstance() {
    QApplication::setWindowIcon(LoadAppIcon());
    InstallHelpKey();
    LoadSettings();
    m_strProgramPath = QCoreApplication::applicationFilePath();

    CLoginDlg login;
    login.m_strPath = LoginDefaultPath();
    login.m_strUser = m_strUserName;
    // 放弃 in the new-vault step comes back here, the fields as they were.
    for (bool bGivenUp = true; bGivenUp;) {
        login.m_strPassword.clear();
        if (login.exec() != QDialog::Accepted) return false;
        OpenAfterLogin(login, &bGivenUp);
    }
    return false;
}

bool CVaultApp::OpenAfterLogin(CLoginDlg& login, bool* pbGivenUp) {
    *pbGivenUp = false;

    if (login.m_strPath != m_strWorkPath) {
        // The preset, or an empty field, keeps the configured location.
        const bool bTyped = !login.m_strPath.isEmpty() && login.m_strPath != LoginDefaultPath();
        if (bTyped && !TakeTypedLocation(login.m_strPath, &m_strWorkPath)) {
            login.ForgetPassword();
            return false;
        }
        m_strUserName = login.m_strUser;
    }
    COpenVault vault(m_strWorkPath, login.m_strUser, login.m_strPassword, m_pEnv);
    const bool bOpened = OpenVaultAtLogin(vault, login.m_strPassword, login.m_strRecoveryKey,
                                          m_kdfLimits, nullptr, pbGivenUp);
    login.ForgetPassword();
    if (!bOpened) return false;
    if (m_strUserName != login.m_strUser) {
        m_strUserName = login.m_strUser;
        m_bSettingsChanged = true;
    }
    vault.CreateBoxFolders();

    {
        CVaultDlg mainWindow(vault, *this);
        mainWindow.SetKdfLimits(m_kdfLimits);
        m_pMainWnd = &mainWindow;
        // Once the window is up: what a killed run left opened.
        QTimer::singleShot(0, &mainWindow, &CVaultDlg::OfferLeftoverCopies);
        // Not exec(): a window hidden in the tray goes on, and a modal one
        // would keep the tray's menu from the user. The loop ends when the
        // window does.
        QEventLoop loop;
        QObject::connect(&mainWindow, &QDialog::finished, &loop, &QEventLoop::quit);
        mainWindow.show();
        loop.exec();
        m_pMainWnd = nullptr;
    }
    // The main window has left its place in the record.
    if (m_bSettingsChanged) {
        SaveSettings();
    } else {
        SaveWindowPlace();
    }
    return false;
}

}  // namespace quovex
