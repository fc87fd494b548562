// The stored-file properties dialog, "文件属性": where a stored file came
// from, its plain size, its storage date and its summary, which is the one
// thing the user can change. A protected stored file is read and written
// with the open vault's key. Interface thread.
#pragma once

#include <QDialog>
#include <QString>

#include "VaultEnv.h"

class QLineEdit;

namespace quovex {

class CByteLimitValidator;
class CVaultKey;

class CFileInfoDlg : public QDialog {
    Q_OBJECT
public:
    explicit CFileInfoDlg(QWidget* pParent = nullptr);

    // Copies the fields into the controls (false) or the controls into the
    // fields (true).
    void DoDataExchange(bool bSaveAndValidate);

    // The "关闭" button and Enter: OnOK.
    void accept() override { OnOK(); }

    QString m_strOldSummary;  // the summary as read, to tell an edit
    QString m_strStoredPath;  // the stored file; empty unless one was read
    QLineEdit* m_pNameEdit;   // control 1016
    QString m_strName;        // 1016: the stored file's path, shortened
    QString m_strSource;      // 1013: the source path, shortened
    QString m_strDate;        // 1015
    QString m_strSize;        // 1014
    QString m_strSummary;     // 1011

    // What the summary is written back against: the file as it was read,
    // through the seam it was read with.
    // The summary box is editable only for a stored file whose summary
    // could be read.
    FileStamp m_stampRead;
    CVaultEnv* m_pEnv = nullptr;
    bool m_bSummaryEditable = false;
    // A protected stored file is read and written with the open vault's
    // key; its summary's limit is counted in UTF-8 bytes, not GB18030.
    const CVaultKey* m_pKey = nullptr;
    bool m_bProtected = false;

protected:
    void showEvent(QShowEvent* pEvent) override;

private:
    void OnInitDialog();
    // Closes at once when the summary is unchanged (writing nothing).
    // Otherwise writes it into the stored file that was read and closes;
    // when it cannot be written, says so and stays open, so that the edit
    // is kept until the user gives it up with Escape.
    void OnOK();

    QLineEdit* m_pSummaryEdit;
    CByteLimitValidator* m_pSummaryLimit;
    bool m_bInitialised = false;
};

// Texts (untranslated: the dialog shows them in the window's language)
// shown for a header field that is not valid GB18030.
extern const char* const FILE_INFO_UNREADABLE;
// Shown as the source of a protected stored file read without its
// vault's key, and of one whose metadata does not open with the key.
extern const char* const FILE_INFO_SEALED;
extern const char* const FILE_INFO_NOT_OPENED;
extern const char* const FILE_INFO_OTHER_VAULT;

// Fills the dialog from the file strPath, a final link not followed: the
// date of any file that opens; for a stored file also its path, source,
// size and summary. A protected stored file is read with pKey (without a
// protected vault's key, or when its metadata does not open with it, only
// its path, its date and why the rest is missing are shown), and its date
// is the storage time it records. A file that cannot be opened leaves
// every text empty. Shortens the paths to the name and source controls'
// width in their font.
void LoadFileInfo(CFileInfoDlg& dlg, const QString& strPath, CVaultEnv* pEnv,
                  const CVaultKey* pKey = nullptr);

}  // namespace quovex
