// Opens the program's help. Interface thread only.
#pragma once

#include <QDialog>
#include <QString>

class QTextBrowser;

namespace quovex {

// The help file's path: Quovex.chm in the folder of strProgramPath.
QString HelpFilePath(const QString& strProgramPath);

// The address of the program's own help, built into it.
QString BuiltInHelpUrl();

// Opens the program's help over pParent: Quovex.chm beside the program
// where one lies there and the desktop opens it, else the help window. One
// help window per owner: asked again, the open one comes to the front.
void ShowProgramHelp(QWidget* pParent);

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
