#include "FileInfoDlg.h"

#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>

#include "ByteLimitValidator.h"
#include "DateText.h"
#include "DialogBuilder.h"
#include "MessageBox.h"
#include "ProtectedFileInfo.h"
#include "StoredFileFormat.h"
#include "StoredFileInfo.h"
#include "VaultFolders.h"

namespace quovex {

const char* const FILE_INFO_UNREADABLE = "（无法读取）";

namespace {

constexpr int IDC_SUMMARY = 1011;
constexpr int IDC_SOURCE = 1013;
constexpr int IDC_SIZE = 1014;
constexpr int IDC_DATE = 1015;
constexpr int IDC_NAME = 1016;

// Width the name and source paths are shortened to, in pixels.
constexpr int PATH_TEXT_WIDTH = 270;

QString ShortenPath(const QString& strPath, const QWidget* pControl) {
    return QFontMetrics(pControl->font()).elidedText(strPath, Qt::ElideMiddle, PATH_TEXT_WIDTH);
}

QString WriteFailureText(SummaryWriteResult result) {
    const QString strEscape = QStringLiteral("\n按 Esc 键可关闭窗口并放弃修改。");
    switch (result) {
        case SummaryWriteResult::SUMMARY_FILE_CHANGED:
            return QStringLiteral("文件在打开属性窗口后已被改动、移走或替换，摘要没有保存。") +
                   strEscape;
        case SummaryWriteResult::SUMMARY_TOO_LONG:
            return QStringLiteral("摘要最多 127 个字节（一个汉字占 2 个字节），摘要没有保存。");
        case SummaryWriteResult::SUMMARY_NOT_ENCODABLE:
            return QStringLiteral("摘要中有无法保存的字符，摘要没有保存。");
        default:
            return QStringLiteral(
                       "无法写入文件（文件可能是只读的，或者磁盘出错），摘要没有保存。") +
                   strEscape;
    }
}

// The dialog opens centred on the mouse pointer, kept on its screen.
void CentreOnPointer(QWidget* pDialog) {
    const QPoint pointer = QCursor::pos();
    QRect frame(QPoint(), pDialog->frameGeometry().size());
    frame.moveCenter(pointer);
    if (const QScreen* pScreen = QGuiApplication::screenAt(pointer)) {
        const QRect area = pScreen->availableGeometry();
        frame.moveLeft(qMax(area.left(), qMin(frame.left(), area.right() - frame.width())));
        frame.moveTop(qMax(area.top(), qMin(frame.top(), area.bottom() - frame.height())));
    }
    pDialog->move(frame.topLeft());
}

}  // namespace

CFileInfoDlg::CFileInfoDlg(QWidget* pParent) : QDialog(pParent) {
    BuildDialog(this, RES_DLG_FILE_INFO);
    m_pNameEdit = FindControl<QLineEdit>(this, IDC_NAME);
    m_pSummaryEdit = FindControl<QLineEdit>(this, IDC_SUMMARY);
    m_pSummaryEdit->setValidator(
        new CByteLimitValidator(static_cast<int>(SFF_TEXT_MAX_BYTES), m_pSummaryEdit));
}

void CFileInfoDlg::DoDataExchange(bool bSaveAndValidate) {
    QLabel* pSource = FindControl<QLabel>(this, IDC_SOURCE);
    QLabel* pDate = FindControl<QLabel>(this, IDC_DATE);
    QLabel* pSize = FindControl<QLabel>(this, IDC_SIZE);
    if (bSaveAndValidate) {
        m_strName = m_pNameEdit->text();
        m_strSource = pSource->text();
        m_strDate = pDate->text();
        m_strSize = pSize->text();
        m_strSummary = m_pSummaryEdit->text();
        return;
    }
    m_pNameEdit->setText(m_strName);
    pSource->setText(m_strSource);
    pDate->setText(m_strDate);
    pSize->setText(m_strSize);
    m_pSummaryEdit->setText(m_strSummary);
    m_pSummaryEdit->setReadOnly(!m_bSummaryEditable);
}

void CFileInfoDlg::showEvent(QShowEvent* pEvent) {
    if (!m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(pEvent);
}

void CFileInfoDlg::OnInitDialog() {
    DoDataExchange(false);
    CentreOnPointer(this);
}

void CFileInfoDlg::OnOK() {
    DoDataExchange(true);
    if (!m_bSummaryEditable || m_strSummary == m_strOldSummary) {
        QDialog::accept();
        return;
    }
    const std::string strPath = m_strStoredPath.toStdString();
    const SummaryWriteResult result =
        m_bProtected && m_pKey
            ? WriteProtectedSummary(strPath, m_stampRead, m_strSummary.toStdString(), *m_pKey,
                                    m_pEnv)
            : WriteStoredSummary(strPath, m_stampRead, m_strSummary.toStdString(), m_pEnv);
    if (result != SummaryWriteResult::SUMMARY_WRITTEN) {
        ShowMessageBox(WriteFailureText(result), MSGBOX_OK, QString(), this);
        return;
    }
    m_strOldSummary = m_strSummary;
    QDialog::accept();
}

void LoadFileInfo(CFileInfoDlg& dlg, const QString& strPath, CVaultEnv* pEnv,
                  const CVaultKey* pKey) {
    const StoredFileInfo info = pKey ? ReadAnyStoredFileInfo(strPath.toStdString(), *pKey, pEnv)
                                     : ReadStoredFileInfo(strPath.toStdString(), pEnv);
    if (!info.bOpened) return;
    if (info.bHasCreationTime) dlg.m_strDate = FormatDateText(info.nCreationTime);
    if (!info.bStored) return;

    const QString strUnreadable = QString::fromUtf8(FILE_INFO_UNREADABLE);
    dlg.m_strStoredPath = strPath;
    dlg.m_stampRead = info.stamp;
    dlg.m_pEnv = pEnv;
    dlg.m_pKey = pKey;
    dlg.m_bProtected = info.bProtected;
    dlg.m_strName = ShortenPath(strPath, dlg.m_pNameEdit);
    dlg.m_strSource = info.bSourceUnreadable
                          ? strUnreadable
                          : ShortenPath(QString::fromStdString(info.strSourcePath),
                                        FindControl<QLabel>(&dlg, IDC_SOURCE));
    dlg.m_strSize = QString::fromStdString(FormatSizeText(info.nPlainSize));
    dlg.m_strSummary =
        info.bSummaryUnreadable ? strUnreadable : QString::fromStdString(info.strSummary);
    dlg.m_strOldSummary = dlg.m_strSummary;
    dlg.m_bSummaryEditable = !info.bSummaryUnreadable;
}

}  // namespace quovex
