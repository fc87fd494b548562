#include "ItemProperties.h"

#include "DirInfoDlg.h"
#include "FileInfoDlg.h"
#include "VaultEnv.h"

namespace quovex {

void ShowItemProperties(const QString& strPath, QWidget* pParent, const CVaultKey* pKey,
                        CVaultEnv* pEnv) {
    if (strPath.isEmpty()) return;
    switch (pEnv->GetKind(strPath.toStdString())) {
        case EntryKind::ENTRY_NONE:
            return;
        case EntryKind::ENTRY_FOLDER: {
            CDirInfoDlg dlg(pParent);
            LoadDirInfo(dlg, strPath, pEnv, pKey);
            dlg.exec();
            return;
        }
        default: {
            CFileInfoDlg dlg(pParent);
            LoadFileInfo(dlg, strPath, pEnv, pKey);
            dlg.exec();
            return;
        }
    }
}

}  // namespace quovex
