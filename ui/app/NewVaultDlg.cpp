#include "NewVaultDlg.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include "DialogBuilder.h"
#include "PasswordEntry.h"
#include "StrengthMeter.h"

namespace quovex {

CNewVaultDlg::CNewVaultDlg(const QString& strPassword, QWidget* pParent)
    : QDialog(pParent), m_strPassword(strPassword) {
    BuildDialog(this, RES_DLG_NEW_VAULT);
    m_pAgainEdit = FindPasswordEdit(this, RES_ID_NEW_PASSWORD_AGAIN);
    m_pProtectCheck = FindControl<QCheckBox>(this, RES_ID_PROTECT_CHECK);
    m_pProtectCheck->setChecked(m_bProtected);
    ShowStrength(FindControl<QLabel>(this, RES_ID_STRENGTH), strPassword, QString());
    m_pAgainEdit->setFocus(Qt::OtherFocusReason);
}

void CNewVaultDlg::accept() {
    m_bProtected = m_pProtectCheck->isChecked();
    if (AcceptTypedAgain(m_strPassword, m_pAgainEdit, this, m_bProtected)) QDialog::accept();
}

void CNewVaultDlg::ForgetPassword() {
    m_pAgainEdit->clear();
}

}  // namespace quovex
