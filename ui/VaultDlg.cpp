#include "VaultDlg.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QKeyEvent>
#include <QUrl>

#include "AboutDlg.h"
#include "ContentsTree.h"
#include "DialogBuilder.h"
#include "ResourceImages.h"
#include "VaultApp.h"
#include "VaultFolders.h"

namespace quovex {

QString HelpFilePath(const QString& strProgramPath) {
    return QFileInfo(strProgramPath).absolutePath() + QStringLiteral("/Quovex.chm");
}

CVaultDlg::CVaultDlg(const QString& strUser, const QString& strPassword, QWidget* pParent)
    : CStretchDialog(pParent), m_cipher(strUser.toStdString(), strPassword.toStdString()) {
    SetClientArea(BuildDialog(this, RES_DLG_MAIN));
    m_pContentsTree = InstallContentsTree(this);
    // The first box is shown at start.
    if (const CVaultApp* pApp = CVaultApp::Instance(); pApp && m_pContentsTree) {
        const std::string strBox = BoxFolderPath(pApp->m_strWorkPath.toStdString(), BOX_FILE);
        m_pContentsTree->ShowFolder(QString::fromStdString(strBox), true);
    }
    setWindowIcon(LoadAppIcon());
    ConnectCommand(RES_CMD_EXIT, &CVaultDlg::OnExit);
    ConnectCommand(RES_CMD_HELP, &CVaultDlg::OnHelp);
    ConnectCommand(RES_CMD_ABOUT, &CVaultDlg::OnAbout);
}

bool CVaultDlg::OnInitDialog() {
    InitSizing(10);
    AddAnchor(FindControl(this, RES_ID_BOX_LIST), ANCHOR_STRETCH, ANCHOR_FIXED);
    AddAnchor(FindControl(this, RES_ID_CONTENTS_TREE), ANCHOR_STRETCH, ANCHOR_STRETCH);
    AddAnchor(FindControl(this, RES_ID_MAIN_STATUS), ANCHOR_HALF, ANCHOR_MOVE);
    return true;
}

void CVaultDlg::ConnectCommand(int nCommandId, void (CVaultDlg::*pHandler)()) {
    if (QAction* pAction = findChild<QAction*>(QString::number(nCommandId))) {
        connect(pAction, &QAction::triggered, this, pHandler);
    }
}

void CVaultDlg::OnExit() {
    accept();
}

void CVaultDlg::OnHelp() {
    const CVaultApp* pApp = CVaultApp::Instance();
    const QString strProgram = pApp && !pApp->m_strProgramPath.isEmpty()
                                   ? pApp->m_strProgramPath
                                   : QCoreApplication::applicationFilePath();
    QDesktopServices::openUrl(QUrl::fromLocalFile(HelpFilePath(strProgram)));
}

void CVaultDlg::OnAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CVaultDlg::keyPressEvent(QKeyEvent* pEvent) {
    if (pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter) {
        OnExit();
        return;
    }
    QDialog::keyPressEvent(pEvent);
}

}  // namespace quovex
