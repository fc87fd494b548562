// The properties command on one item of the contents tree. Interface thread.
#pragma once

#include <QString>

class QWidget;

namespace quovex {

class CVaultEnv;
class CVaultKey;

// Shows the properties of strPath modally over pParent: the folder dialog
// for a folder, the file dialog for anything else that is there (a link is
// neither followed nor read, so it shows nothing), and nothing at all for
// an empty path or one where nothing is. Protected stored files (the one
// shown, or those a folder's size sums) are read with pKey, the open
// vault's, through pEnv, the open vault's file system. Returns when the
// dialog closed.
void ShowItemProperties(const QString& strPath, QWidget* pParent, const CVaultKey* pKey,
                        CVaultEnv* pEnv);

}  // namespace quovex
