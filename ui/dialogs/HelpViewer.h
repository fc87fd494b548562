// Opens the program's help. Interface thread only.
#pragma once

#include <QDialog>
#include <QString>

class QTextBrowser;

namespace quovex {

// The help file's path: Quovex.chm in the folder of strProgramPath.
QString HelpFilePath(const QString& strProgramPath);

// The address of the program's own help, built into it, in the window's
// language (WindowLanguage.h); at strTopic's section when one is given.
QString BuiltInHelpUrl(const QString& strTopic = QString());

// Opens the program's help over pParent: Quovex.chm beside the program
// where one lies there and the desktop opens it, else the help window at
// the section strTopic ("" for the first page). One help window per owner:
// asked again, the open one comes to the front at the section asked for.
void ShowProgramHelp(QWidget* pParent, const QString& strTopic = QString());

// The help section of a window: the one SetHelpTopic gave it, else the one
// of the dialog template it was built from; "" for the first page.
QString HelpTopicOf(const QWidget* pWindow);
// Gives a window not built from a template its help section.
void SetHelpTopic(QWidget* pWindow, const char* pszTopic);

// F1 in any window of the application that does not take F1 itself opens
// the help at that window's section. Installed once on the application;
// interface thread.
void InstallHelpKey();

// A window showing the program's own help, with its links followed inside
// it; it deletes itself when closed. Owned by the window that opened it, so
// that it takes input even while that window is modal.
class CHelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit CHelpWindow(QWidget* pParent);
    QTextBrowser* Browser() const { return m_pBrowser; }

private:
    QTextBrowser* m_pBrowser;
};

}  // namespace quovex
