// Opens the program's help. Interface thread only.
#pragma once

#include <QString>

class QWidget;

namespace quovex {

// The help file's path: Quovex.chm in the folder of strProgramPath.
QString HelpFilePath(const QString& strProgramPath);

// Opens the program's help over pParent; a failure is not reported.
void ShowProgramHelp(QWidget* pParent);

}  // namespace quovex
