#include "HelpViewer.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "ResourceImages.h"
#include "VaultApp.h"

namespace quovex {

namespace {

// The help window opens at this size in pixels; the user may resize it.
constexpr int HELP_WIDTH = 640;
constexpr int HELP_HEIGHT = 560;

QString ProgramPath() {
    const CVaultApp* pApp = CVaultApp::Instance();
    return pApp && !pApp->m_strProgramPath.isEmpty() ? pApp->m_strProgramPath
                                                     : QCoreApplication::applicationFilePath();
}

}  // namespace

QString HelpFilePath(const QString& strProgramPath) {
    return QFileInfo(strProgramPath).absoluteDir().filePath(QStringLiteral("Quovex.chm"));
}

QString BuiltInHelpUrl() {
    return QStringLiteral("qrc:/help/index.html");
}

CHelpWindow::CHelpWindow(QWidget* pParent) : QDialog(pParent), m_pBrowser(new QTextBrowser(this)) {
    setWindowTitle(QStringLiteral("Merovik保险柜 帮助"));
    setWindowIcon(LoadAppIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    m_pBrowser->setOpenExternalLinks(true);
    m_pBrowser->setSource(QUrl(BuiltInHelpUrl()));
    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->addWidget(m_pBrowser);
    resize(HELP_WIDTH, HELP_HEIGHT);
}

void ShowProgramHelp(QWidget* pParent) {
    // As on Windows, a help file installed beside the program comes first.
    const QString strChm = HelpFilePath(ProgramPath());
    if (QFileInfo::exists(strChm) && QDesktopServices::openUrl(QUrl::fromLocalFile(strChm))) return;
    CHelpWindow* pWindow =
        pParent ? pParent->findChild<CHelpWindow*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!pWindow) pWindow = new CHelpWindow(pParent);
    pWindow->show();
    pWindow->raise();
    pWindow->activateWindow();
}

}  // namespace quovex
