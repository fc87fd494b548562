#include "VaultTray.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QSystemTrayIcon>

#include "MessageBox.h"
#include "ResourceImages.h"
#include "VaultDlg.h"

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(VaultTray)
};

}  // namespace

CVaultTray::CVaultTray(CVaultDlg& window, bool bAvailable) : QObject(&window), m_window(window) {
    if (!bAvailable) return;
    m_pMenu = new QMenu();
    m_pShow = m_pMenu->addAction(Words::tr("显示(&S)"));
    m_pLock = m_pMenu->addAction(Words::tr("锁定(&L)"));
    m_pMenu->addSeparator();
    m_pExit = m_pMenu->addAction(Words::tr("退出(&X)"));
    connect(m_pShow, &QAction::triggered, this, &CVaultTray::ShowWindow);
    connect(m_pLock, &QAction::triggered, &m_window, &CVaultDlg::OnLock);
    connect(m_pExit, &QAction::triggered, &m_window, &CVaultDlg::OnExit);
    m_pIcon = new QSystemTrayIcon(LoadAppIcon(), this);
    m_pIcon->setContextMenu(m_pMenu);
    connect(m_pIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason nReason) {
                if (nReason == QSystemTrayIcon::Trigger || nReason == QSystemTrayIcon::DoubleClick)
                    ShowWindow();
            });
    FollowVault();
    m_pIcon->show();
}

CVaultTray::~CVaultTray() {
    delete m_pMenu;
}

void CVaultTray::ShowWindow() {
    m_window.showNormal();
    m_window.raise();
    m_window.activateWindow();
}

void CVaultTray::FollowVault() {
    if (!m_pIcon) return;
    m_pIcon->setToolTip(ProgramCaption() +
                        (m_window.IsLocked() ? Words::tr("：已锁定") : Words::tr("：已打开")));
}

void CVaultTray::Tell(const QString& strText) {
    m_strLastMessage = strText;
    if (m_pIcon) m_pIcon->showMessage(ProgramCaption(), strText);
}

void CVaultTray::TellKeptInTray() {
    if (m_bToldKept) return;
    m_bToldKept = true;
    Tell(
        Words::tr("Merovik保险柜仍在运行，保险柜仍然打开着。点击通知区域中的图标可以再次"
                  "显示窗口；要退出，请选“文件”菜单或图标菜单中的“退出”。"));
}

}  // namespace quovex
