// The program's icon in the desktop's tray (QSystemTrayIcon), where there is
// one: it shows whether the vault is open or locked, and offers 显示 (the
// main window brought back), 锁定 and 退出; a click on it shows the window.
// With a tray, closing the main window keeps the program there, which the
// tray says the first time. Interface thread.
#pragma once

#include <QObject>
#include <QString>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace quovex {

class CVaultDlg;

class CVaultTray : public QObject {
    Q_OBJECT
public:
    // window outlives the tray. bAvailable: whether the desktop has a tray
    // (QSystemTrayIcon::isSystemTrayAvailable; tests say yes without one).
    CVaultTray(CVaultDlg& window, bool bAvailable);
    ~CVaultTray() override;

    bool IsAvailable() const { return m_pIcon != nullptr; }
    // The main window was closed and stays in the tray: said once.
    void TellKeptInTray();
    // The icon's tooltip follows the vault: open or locked.
    void FollowVault();
    // Shows strText as the tray's message (the idle lock's warning).
    void Tell(const QString& strText);

    // The menu's commands, also for tests.
    QAction* ShowAction() const { return m_pShow; }
    QAction* LockAction() const { return m_pLock; }
    QAction* ExitAction() const { return m_pExit; }
    const QString& LastMessage() const { return m_strLastMessage; }

private:
    void ShowWindow();

    CVaultDlg& m_window;
    QSystemTrayIcon* m_pIcon = nullptr;
    QMenu* m_pMenu = nullptr;
    QAction* m_pShow = nullptr;
    QAction* m_pLock = nullptr;
    QAction* m_pExit = nullptr;
    bool m_bToldKept = false;
    QString m_strLastMessage;
};

}  // namespace quovex
