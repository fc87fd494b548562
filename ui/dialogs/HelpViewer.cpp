#include "HelpViewer.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "DialogTemplate.h"
#include "ResourceImages.h"
#include "VaultApp.h"
#include "WindowLanguage.h"

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(HelpViewer)
};

}  // namespace

namespace {

// The help window opens at this size in pixels; the user may resize it.
constexpr int HELP_WIDTH = 640;
constexpr int HELP_HEIGHT = 560;

// The help section of each dialog template that has one of its own.
struct TemplateTopic {
    int nTemplateId;
    const char* pszTopic;
};
constexpr TemplateTopic TEMPLATE_TOPICS[] = {
    {RES_DLG_LOGIN, "login"},
    {RES_DLG_NEW_VAULT, "login"},
    {RES_DLG_RECOVERY_KEY, "recovery"},
    {RES_DLG_FORGOT_PASSWORD, "recovery"},
    {RES_DLG_CHANGE_PASSWORD, "recovery"},
    {RES_DLG_PROTECT_VAULT, "protection"},
    {RES_DLG_OLD_PASSWORD, "protection"},
    {RES_DLG_HIDE_NAMES, "protection"},
    {RES_DLG_RESOLVE_VERSIONS, "versions"},
    {RES_DLG_FILE_INFO, "properties"},
    {RES_DLG_DIR_INFO, "properties"},
    {RES_DLG_SETTINGS_PAGE, "settings"},
    {RES_DLG_PROGRESS, "store"},
};

const char* const HELP_TOPIC_PROPERTY = "quovexHelpTopic";

// Opens the help for the active window on F1 that nothing else took.
class CHelpKeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override {
        if (pEvent->type() != QEvent::KeyPress ||
            static_cast<QKeyEvent*>(pEvent)->key() != Qt::Key_F1 ||
            static_cast<QKeyEvent*>(pEvent)->modifiers() != Qt::NoModifier)
            return false;
        QWidget* pWindow = QApplication::activeWindow();
        // Delivered to the focus widget and then its parents: handled once.
        // F1 in the help itself leaves it where it is.
        if (!pWindow || qobject_cast<CHelpWindow*>(pWindow) || !pWatched->isWidgetType() ||
            static_cast<QWidget*>(pWatched)->window() != pWindow)
            return false;
        ShowProgramHelp(pWindow, HelpTopicOf(pWindow));
        return true;
    }
};

QString ProgramPath() {
    const CVaultApp* pApp = CVaultApp::Instance();
    return pApp && !pApp->m_strProgramPath.isEmpty() ? pApp->m_strProgramPath
                                                     : QCoreApplication::applicationFilePath();
}

}  // namespace

QString HelpFilePath(const QString& strProgramPath) {
    return QFileInfo(strProgramPath).absoluteDir().filePath(QStringLiteral("Quovex.chm"));
}

QString BuiltInHelpUrl(const QString& strTopic) {
    QString strUrl = CurrentWindowLanguage() == WindowLanguage::LANGUAGE_ENGLISH
                         ? QStringLiteral("qrc:/help/index.en.html")
                         : QStringLiteral("qrc:/help/index.html");
    if (!strTopic.isEmpty()) strUrl += QLatin1Char('#') + strTopic;
    return strUrl;
}

QString HelpTopicOf(const QWidget* pWindow) {
    if (!pWindow) return QString();
    const QVariant topic = pWindow->property(HELP_TOPIC_PROPERTY);
    if (topic.isValid()) return topic.toString();
    bool bNumber = false;
    const int nTemplate = pWindow->objectName().toInt(&bNumber);
    if (!bNumber) return QString();
    for (const TemplateTopic& entry : TEMPLATE_TOPICS) {
        if (entry.nTemplateId == nTemplate) return QString::fromLatin1(entry.pszTopic);
    }
    return QString();
}

void SetHelpTopic(QWidget* pWindow, const char* pszTopic) {
    pWindow->setProperty(HELP_TOPIC_PROPERTY, QString::fromLatin1(pszTopic));
}

CHelpWindow::CHelpWindow(QWidget* pParent) : QDialog(pParent), m_pBrowser(new QTextBrowser(this)) {
    setWindowTitle(Words::tr("Merovik保险柜 帮助"));
    setWindowIcon(LoadAppIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    m_pBrowser->setOpenExternalLinks(true);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->addWidget(m_pBrowser);
    resize(HELP_WIDTH, HELP_HEIGHT);
}

void ShowProgramHelp(QWidget* pParent, const QString& strTopic) {
    // As on Windows, a help file installed beside the program comes first.
    const QString strChm = HelpFilePath(ProgramPath());
    if (QFileInfo::exists(strChm) && QDesktopServices::openUrl(QUrl::fromLocalFile(strChm))) return;
    CHelpWindow* pWindow =
        pParent ? pParent->findChild<CHelpWindow*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!pWindow) pWindow = new CHelpWindow(pParent);
    pWindow->Browser()->setSource(QUrl(BuiltInHelpUrl(strTopic)));
    pWindow->show();
    pWindow->raise();
    pWindow->activateWindow();
}

void InstallHelpKey() {
    // Guarded: the filter goes with the application it was installed on.
    static QPointer<CHelpKeyFilter> s_pFilter;
    if (s_pFilter || !QCoreApplication::instance()) return;
    s_pFilter = new CHelpKeyFilter(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(s_pFilter);
}

}  // namespace quovex
