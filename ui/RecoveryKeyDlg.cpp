#include "RecoveryKeyDlg.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>
#include <QStringList>

#include "DialogBuilder.h"
#include "SecretBytes.h"

namespace quovex {

namespace {

// Groups on one line of the shown key: short enough to copy by eye.
constexpr int GROUPS_PER_LINE = 5;
constexpr int KEY_POINT_SIZE = 13;

}  // namespace

CRecoveryKeyDlg::CRecoveryKeyDlg(const QString& strKeyText, QWidget* pParent) : QDialog(pParent) {
    BuildDialog(this, RES_DLG_RECOVERY_KEY);
    auto* pKey = FindControl<QLabel>(this, RES_ID_RECOVERY_KEY);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(KEY_POINT_SIZE);
    pKey->setFont(font);
    pKey->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pKey->setAlignment(Qt::AlignCenter);
    pKey->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    pKey->setText(KeyLines(strKeyText));
    m_pWrittenCheck = FindControl<QCheckBox>(this, RES_ID_KEY_WRITTEN_CHECK);
    m_pOkButton = FindControl<QPushButton>(this, RES_ID_OK);
    m_pOkButton->setEnabled(false);
    connect(m_pWrittenCheck, &QCheckBox::toggled, m_pOkButton, &QPushButton::setEnabled);
}

void CRecoveryKeyDlg::accept() {
    if (m_pWrittenCheck->isChecked()) QDialog::accept();
}

QString CRecoveryKeyDlg::KeyLines(const QString& strKeyText) {
    const QStringList vGroups = strKeyText.split(QLatin1Char('-'));
    QStringList vLines;
    for (qsizetype i = 0; i < vGroups.size(); i += GROUPS_PER_LINE)
        vLines << vGroups.mid(i, GROUPS_PER_LINE).join(QLatin1Char('-'));
    return vLines.join(QLatin1Char('\n'));
}

void ShowRecoveryKey(const CSecretBytes& keyText, QWidget* pParent) {
    const QString strText = QString::fromLatin1(reinterpret_cast<const char*>(keyText.Data()),
                                                static_cast<qsizetype>(keyText.Size()));
    CRecoveryKeyDlg dialog(strText, pParent);
    dialog.exec();
}

}  // namespace quovex
