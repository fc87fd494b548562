#include "FileInfoDlg.h"

#include <QCoreApplication>
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
#include "PathText.h"
#include "SizeText.h"
#include "StoredFileHeader.h"
#include "StoredFileInfo.h"
#include "VaultNames.h"

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(FileInfoDlg)
};

}  // namespace

const char* const FILE_INFO_UNREADABLE = QT_TRANSLATE_NOOP("FileInfoDlg", "（无法读取）");
const char* const FILE_INFO_SEALED =
    QT_TRANSLATE_NOOP("FileInfoDlg", "（已加密保护，需要本保险柜的口令才能查看）");
const char* const FILE_INFO_NOT_OPENED =
    QT_TRANSLATE_NOOP("FileInfoDlg", "（无法用本保险柜的密钥打开：文件已损坏或来自别的保险柜）");
const char* const FILE_INFO_OTHER_VAULT =
    QT_TRANSLATE_NOOP("FileInfoDlg", "（这个文件存在另一个保险柜里，在本保险柜中打不开）");

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

QString WriteFailureText(SummaryWriteResult result, bool bProtected) {
    const QString strEscape = Words::tr("\n按 Esc 键可关闭窗口并放弃修改。");
    switch (result) {
        case SummaryWriteResult::SUMMARY_FILE_CHANGED:
            return Words::tr("文件在打开属性窗口后已被改动、移走或替换，摘要没有保存。") +
                   strEscape;
        case SummaryWriteResult::SUMMARY_TOO_LONG:
            return bProtected
                       ? Words::tr("摘要最多 511 个字节（一个汉字占 3 个字节），摘要没有保存。")
                       : Words::tr("摘要最多 127 个字节（一个汉字占 2 个字节），摘要没有保存。");
        case SummaryWriteResult::SUMMARY_NEEDS_KEY:
        case SummaryWriteResult::SUMMARY_NOT_OPENED:
            return Words::tr(
                       "文件的加密信息无法用本保险柜的密钥打开（文件已损坏或来自别的保险柜），"
                       "摘要没有保存。") +
                   strEscape;
        case SummaryWriteResult::SUMMARY_NOT_ENCODABLE:
            return Words::tr("摘要中有无法保存的字符，摘要没有保存。");
        default:
            return Words::tr("无法写入文件（文件可能是只读的，或者磁盘出错），摘要没有保存。") +
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

// What a protected file shows beyond a scrambled one: its recorded
// storage time as the date, or without its metadata its own path and why
// nothing else is shown. Nothing is written back then.
void LoadProtectedInfo(CFileInfoDlg& dlg, const QString& strPath, const StoredFileInfo& info) {
    dlg.m_bProtected = true;
    if (info.bStored) {
        dlg.m_strDate = FormatDateText(info.nStoredTime);
        if (info.bSourceTime)
            dlg.m_strDate += Words::tr("\n原文件修改于 %1").arg(FormatDateText(info.nSourceTime));
        return;
    }
    dlg.m_strName = ShortenPath(strPath, dlg.m_pNameEdit);
    dlg.m_strSource =
        Words::tr(info.nSealed == SealedInfo::SEALED_NO_KEY        ? FILE_INFO_SEALED
                  : info.nSealed == SealedInfo::SEALED_OTHER_VAULT ? FILE_INFO_OTHER_VAULT
                                                                   : FILE_INFO_NOT_OPENED);
}

}  // namespace

CFileInfoDlg::CFileInfoDlg(QWidget* pParent) : QDialog(pParent) {
    BuildDialog(this, RES_DLG_FILE_INFO);
    m_pNameEdit = FindControl<QLineEdit>(this, IDC_NAME);
    m_pSummaryEdit = FindControl<QLineEdit>(this, IDC_SUMMARY);
    m_pSummaryLimit = new CByteLimitValidator(static_cast<int>(SFF_TEXT_MAX_BYTES), m_pSummaryEdit);
    m_pSummaryEdit->setValidator(m_pSummaryLimit);
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
    const StoredKind nKind =
        m_bProtected ? StoredKind::STORED_PROTECTED : StoredKind::STORED_SCRAMBLED;
    m_pSummaryLimit->SetLimit(static_cast<int>(SummaryLimitBytes(nKind)),
                              m_bProtected ? ByteCount::UTF8 : ByteCount::GB18030);
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
    const SummaryWriteResult result = WriteStoredSummary(
        m_strStoredPath.toStdString(), m_stampRead, m_strSummary.toStdString(), m_pEnv, m_pKey);
    if (result != SummaryWriteResult::SUMMARY_WRITTEN) {
        ShowMessageBox(WriteFailureText(result, m_bProtected), MSGBOX_OK, QString(), this);
        return;
    }
    m_strOldSummary = m_strSummary;
    QDialog::accept();
}

void LoadFileInfo(CFileInfoDlg& dlg, const QString& strPath, CVaultEnv* pEnv,
                  const CVaultKey* pKey) {
    const StoredFileInfo info = ReadStoredFileInfo(strPath.toStdString(), pEnv, pKey);
    if (!info.bOpened) return;
    if (info.bHasCreationTime) dlg.m_strDate = FormatDateText(info.nCreationTime);
    if (info.nKind == StoredKind::STORED_PROTECTED) {
        LoadProtectedInfo(dlg, strPath, info);
        if (!info.bStored) return;
    } else if (!info.bStored) {
        return;
    }

    const QString strUnreadable = Words::tr(FILE_INFO_UNREADABLE);
    dlg.m_strStoredPath = strPath;
    dlg.m_stampRead = info.stamp;
    dlg.m_pEnv = pEnv;
    dlg.m_pKey = pKey;
    // A file moved, renamed or swapped by hand is shown by the place it was
    // stored at, which its sealed metadata vouches for, not by its name on disk.
    // Where names are hidden the path on disk says nothing: the name shown
    // is the plain one, read from the same sealed place.
    const QString strShown = QString::fromStdString(
        PlainVaultPath(strPath.toStdString(), info.strPlace) +
        (info.strPlace.empty() ? std::string() : std::string(STORED_SUFFIX)));
    dlg.m_strName =
        info.bAwayFromPlace
            ? Words::tr("%1（不在存入时的位置）").arg(QString::fromStdString(info.strPlace))
            : ShortenPath(strShown, dlg.m_pNameEdit);
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
