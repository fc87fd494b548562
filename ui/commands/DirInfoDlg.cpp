#include "DirInfoDlg.h"

#include <QLabel>
#include <QLineEdit>

#include "DateText.h"
#include "DialogBuilder.h"
#include "PlainNames.h"
#include "SizeText.h"
#include "StoredFileInfo.h"

namespace quovex {

namespace {

constexpr int IDC_PATH = 1011;
constexpr int IDC_SIZE = 1014;
constexpr int IDC_DATE = 1015;
constexpr int IDC_NOTE = 1017;

}  // namespace

CDirInfoDlg::CDirInfoDlg(QWidget* pParent) : QDialog(pParent) {
    BuildDialog(this, RES_DLG_DIR_INFO);
}

void CDirInfoDlg::DoDataExchange(bool bSaveAndValidate) {
    QLineEdit* pPath = FindControl<QLineEdit>(this, IDC_PATH);
    QLabel* pDate = FindControl<QLabel>(this, IDC_DATE);
    QLabel* pSize = FindControl<QLabel>(this, IDC_SIZE);
    QLabel* pNote = FindControl<QLabel>(this, IDC_NOTE);
    if (bSaveAndValidate) {
        m_strPath = pPath->text();
        m_strDate = pDate->text();
        m_strSize = pSize->text();
        m_strNote = pNote->text();
        return;
    }
    pPath->setText(m_strPath);
    pDate->setText(m_strDate);
    pSize->setText(m_strSize);
    pNote->setText(m_strNote);
}

void CDirInfoDlg::showEvent(QShowEvent* pEvent) {
    if (!m_bInitialised) {
        m_bInitialised = true;
        DoDataExchange(false);
    }
    QDialog::showEvent(pEvent);
}

void LoadDirInfo(CDirInfoDlg& dlg, const QString& strPath, CVaultEnv* pEnv, const CVaultKey* pKey) {
    const std::string strFolder = strPath.toStdString();
    // A folder of a vault that hides its names is shown by its plain path.
    const CPlainNames names(pKey, pEnv);
    dlg.m_strPath = names.Hidden()
                        ? QString::fromStdString(PlainVaultPath(
                              strFolder, names.PlaceOf(strFolder, EntryKind::ENTRY_FOLDER)))
                        : strPath;
    std::int64_t nSeconds = 0;
    if (ReadFolderCreationTime(strFolder, &nSeconds, pEnv))
        dlg.m_strDate = FormatDateText(nSeconds);
    dlg.m_strSize =
        QString::fromStdString(FormatSizeText(GetPlainTotalSize(strFolder, pKey, pEnv)));
}

}  // namespace quovex
