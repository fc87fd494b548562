#include "HelpViewer.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "VaultApp.h"

namespace quovex {

QString HelpFilePath(const QString& strProgramPath) {
    return QFileInfo(strProgramPath).absolutePath() + QStringLiteral("/Quovex.chm");
}

void ShowProgramHelp(QWidget* /*pParent*/) {
    const CVaultApp* pApp = CVaultApp::Instance();
    const QString strProgram = pApp && !pApp->m_strProgramPath.isEmpty()
                                   ? pApp->m_strProgramPath
                                   : QCoreApplication::applicationFilePath();
    QDesktopServices::openUrl(QUrl::fromLocalFile(HelpFilePath(strProgram)));
}

}  // namespace quovex
