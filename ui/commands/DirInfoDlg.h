// The folder properties dialog, "目录属性": a folder's full path, its
// creation date and the plain size of everything stored below it. It
// changes nothing; "关闭" ends it. Interface thread.
#pragma once

#include <QDialog>
#include <QString>

#include "VaultEnv.h"

namespace quovex {

class CVaultKey;

class CDirInfoDlg : public QDialog {
    Q_OBJECT
public:
    explicit CDirInfoDlg(QWidget* pParent = nullptr);

    // Copies the fields into the controls (false) or the controls into the
    // fields (true).
    void DoDataExchange(bool bSaveAndValidate);

    QString m_strPath;  // 1011: the full path, not shortened
    QString m_strDate;  // 1015
    QString m_strSize;  // 1014
    QString m_strNote;  // 1017: nothing fills it, so it shows empty

protected:
    void showEvent(QShowEvent* pEvent) override;

private:
    bool m_bInitialised = false;
};

// Fills the dialog from the folder strPath: the path, the folder's
// creation date (empty when it cannot be read) and FormatSizeText of
// GetPlainTotalSize with pKey (the open vault's; protected files count by
// their plain sizes only with it).
void LoadDirInfo(CDirInfoDlg& dlg, const QString& strPath, CVaultEnv* pEnv,
                 const CVaultKey* pKey = nullptr);

}  // namespace quovex
