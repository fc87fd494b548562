#include "RecoveryKeyDlg.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>

#include "DialogBuilder.h"
#include "PasswordEntry.h"
#include "SecretBytes.h"

namespace quovex {

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
}

void CRecoveryKeyDlg::accept() {
    if (m_pWrittenCheck->isChecked()) QDialog::accept();
}

void CRecoveryKeyDlg::done(int nResult) {
    // The label lets go of the text first, so that the one copy left is
    // wiped rather than detached.
    m_pKeyLabel->clear();
    WipeText(m_strShown);
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
