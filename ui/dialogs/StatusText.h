// The main window's bottom text (control 1002): what the last store or
// restore came to, a folder named in it a link that opens the folder in
// the desktop's file manager. Interface thread.
#pragma once

#include <QString>

class QWidget;

namespace quovex {

// Shows strText (plain text) in pWindow's bottom text, widened to fit
// within the window; nothing when pWindow has none.
void ShowWindowStatus(QWidget* pWindow, const QString& strText);

// The same, followed by strFolder as a link that opens it.
void ShowWindowStatus(QWidget* pWindow, const QString& strText, const QString& strFolder);

}  // namespace quovex
