#include "NewVaultDlg.h"

#include <QCheckBox>
#include <QLineEdit>

#include "ByteLimitValidator.h"
#include "DialogBuilder.h"
#include "LoginDlg.h"
#include "PasswordEntry.h"

namespace quovex {

CNewVaultDlg::CNewVaultDlg(const QString& strPassword, QWidget* pParent)
    : QDialog(pParent), m_strPassword(strPassword) {
    BuildDialog(this, RES_DLG_NEW_VAULT);
    m_pAgainEdit = FindControl<QLineEdit>(this, RES_ID_NEW_PASSWORD_AGAIN);
    m_pAgainEdit->setValidator(new CByteLimitValidator(LOGIN_MAX_BYTES, m_pAgainEdit));
    m_pProtectCheck = FindControl<QCheckBox>(this, RES_ID_PROTECT_CHECK);
    m_pProtectCheck->setChecked(m_bProtected);
    m_pAgainEdit->setFocus(Qt::OtherFocusReason);
}

void CNewVaultDlg::accept() {
    m_bProtected = m_pProtectCheck->isChecked();
    m_strAgain = m_pAgainEdit->text();
    const bool bSame = AcceptNewPassword(m_strPassword, m_strAgain, this);
    WipeText(m_strAgain);
    if (bSame) QDialog::accept();
}

void CNewVaultDlg::ForgetPassword() {
    ForgetTypedText(m_pAgainEdit, m_strAgain);
}

}  // namespace quovex
