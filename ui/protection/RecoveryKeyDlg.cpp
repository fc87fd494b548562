#include "RecoveryKeyDlg.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include "ClipboardSecret.h"
#include "DialogBuilder.h"
#include "DirDialog.h"
#include "PasswordEntry.h"
#include "SecretBytes.h"

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(RecoveryKeyDlg)
};

}  // namespace

namespace {

// Groups on one line of the shown key: short enough to copy by eye.
constexpr int GROUPS_PER_LINE = 5;
constexpr int KEY_POINT_SIZE = 13;

}  // namespace

CRecoveryKeyDlg::CRecoveryKeyDlg(const QString& strKeyText, QWidget* pParent) : QDialog(pParent) {
    BuildDialog(this, RES_DLG_RECOVERY_KEY);
    m_pKeyLabel = FindControl<QLabel>(this, RES_ID_RECOVERY_KEY);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(KEY_POINT_SIZE);
    m_pKeyLabel->setFont(font);
    m_pKeyLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_pKeyLabel->setAlignment(Qt::AlignCenter);
    m_pKeyLabel->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_strShown = KeyLines(strKeyText);
    m_pKeyLabel->setText(m_strShown);
    m_pWrittenCheck = FindControl<QCheckBox>(this, RES_ID_KEY_WRITTEN_CHECK);
    m_pOkButton = FindControl<QPushButton>(this, RES_ID_OK);
    m_pOkButton->setEnabled(false);
    connect(m_pWrittenCheck, &QCheckBox::toggled, m_pOkButton, &QPushButton::setEnabled);
    m_strKey = QString(strKeyText.constData(), strKeyText.size());
    connect(FindControl<QPushButton>(this, RES_ID_COPY_KEY), &QPushButton::clicked, this,
            &CRecoveryKeyDlg::CopyKey);
    connect(FindControl<QPushButton>(this, RES_ID_PRINT_KEY), &QPushButton::clicked, this,
            &CRecoveryKeyDlg::PrintKeyOnPrinter);
    connect(FindControl<QPushButton>(this, RES_ID_SAVE_KEY_PDF), &QPushButton::clicked, this,
            &CRecoveryKeyDlg::SaveKeyAsPdf);
}

void CRecoveryKeyDlg::CopyKey() {
    CClipboardSecret::Instance().Put(m_strKey);
}

void CRecoveryKeyDlg::PrintKey(QPagedPaintDevice* pDevice) const {
    QPainter painter(pDevice);
    const QRect page = painter.viewport();
    const int nLine = page.height() / 30;
    QFont heading = font();
    heading.setPixelSize(nLine);
    painter.setFont(heading);
    QRect rc(page.left(), page.top() + nLine, page.width(), 2 * nLine);
    painter.drawText(rc, Qt::AlignHCenter | Qt::AlignVCenter, Words::tr("Merovik保险柜 恢复密钥"));
    QFont key = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    key.setPixelSize(nLine * 3 / 2);
    painter.setFont(key);
    rc = QRect(page.left(), page.top() + 4 * nLine, page.width(), 8 * nLine);
    painter.drawText(rc, Qt::AlignCenter, m_strShown);
    painter.setFont(heading);
    rc = QRect(page.left() + nLine, page.top() + 13 * nLine, page.width() - 2 * nLine, 8 * nLine);
    painter.drawText(rc, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                     Words::tr("忘记口令时，凭这个恢复密钥可以设置新口令，重新打开保险柜。"
                               "请把这一页与电脑分开保管：得到它的人也能打开保险柜。"));
}

void CRecoveryKeyDlg::PrintKeyOnPrinter() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(Words::tr("打印恢复密钥"));
    if (dialog.exec() == QDialog::Accepted) PrintKey(&printer);
}

bool CRecoveryKeyDlg::SaveKeyAsPdf() {
    QString strPath = PickFileToSave(Words::tr("把恢复密钥另存为 PDF"), Words::tr("恢复密钥.pdf"),
                                     QStringLiteral("PDF (*.pdf)"), this);
    if (strPath.isEmpty()) return false;
    if (!strPath.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        strPath += QStringLiteral(".pdf");
    QPdfWriter writer(strPath);
    writer.setTitle(Words::tr("Merovik保险柜 恢复密钥"));
    writer.setPageSize(QPageSize(QPageSize::A4));
    PrintKey(&writer);
    return QFileInfo(strPath).size() > 0;
}

void CRecoveryKeyDlg::accept() {
    if (m_pWrittenCheck->isChecked()) QDialog::accept();
}

void CRecoveryKeyDlg::done(int nResult) {
    // The label lets go of the text first, so that the one copy left is
    // wiped rather than detached.
    m_pKeyLabel->clear();
    WipeText(m_strShown);
    WipeText(m_strKey);
    QDialog::done(nResult);
}

QString CRecoveryKeyDlg::KeyLines(const QString& strKeyText) {
    QString strLines(strKeyText.constData(), strKeyText.size());
    int nDashes = 0;
    for (QChar& c : strLines) {
        if (c == QLatin1Char('-') && ++nDashes % GROUPS_PER_LINE == 0) c = QLatin1Char('\n');
    }
    return strLines;
}

void ShowRecoveryKey(const CSecretBytes& keyText, QWidget* pParent) {
    QString strText = QString::fromLatin1(reinterpret_cast<const char*>(keyText.Data()),
                                          static_cast<qsizetype>(keyText.Size()));
    {
        CRecoveryKeyDlg dialog(strText, pParent);
        dialog.exec();
    }
    WipeText(strText);
}

}  // namespace quovex
