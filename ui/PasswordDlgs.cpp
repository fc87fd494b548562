#include "PasswordDlgs.h"

#include <QLineEdit>
#include <cstring>

#include "DialogBuilder.h"
#include "KeyRecord.h"
#include "MessageBox.h"
#include "PasswordEntry.h"
#include "SecretBytes.h"
#include "VaultKey.h"

namespace quovex {

namespace {

QString WithoutSpaces(const QString& strText) {
    QString strKept;
    for (QChar c : strText) {
        if (!c.isSpace()) strKept += c;
    }
    return strKept;
}

bool IsRecoveryKeyForm(const QString& strText) {
    const CUtf8Secret text(strText);
    CSecretBytes key;
    return ParseRecoveryKey(text.Text(), &key);
}

// Whether strPassword is the password key was made from.
bool IsKeysPassword(const CVaultKey& key, const QString& strPassword) {
    const CUtf8Secret password(strPassword);
    CSecretBytes typed(password.Text().size());
    if (typed.IsEmpty()) return false;
    std::memcpy(typed.Data(), password.Text().data(), typed.Size());
    return typed.Equals(key.Password());
}

}  // namespace

CForgotPasswordDlg::CForgotPasswordDlg(QWidget* pParent) : QDialog(pParent) {
    BuildDialog(this, RES_DLG_FORGOT_PASSWORD);
    m_pKeyEdit = FindControl<QLineEdit>(this, RES_ID_RECOVERY_KEY);
    m_pNewEdit = FindPasswordEdit(this, RES_ID_NEW_PASSWORD);
    m_pAgainEdit = FindPasswordEdit(this, RES_ID_NEW_PASSWORD_AGAIN);
    m_pKeyEdit->setFocus(Qt::OtherFocusReason);
}

void CForgotPasswordDlg::accept() {
    m_strRecoveryKey = WithoutSpaces(m_pKeyEdit->text());
    m_strNewPassword = m_pNewEdit->text();
    if (!IsRecoveryKeyForm(m_strRecoveryKey)) {
        ShowMessageBox(QStringLiteral("恢复密钥的格式不对：应为 13 组，每组 4 个字母或数字。"),
                       MSGBOX_OK, QStringLiteral("合法性警告"), this);
    } else if (AcceptTypedAgain(m_strNewPassword, m_pAgainEdit, this)) {
        QDialog::accept();
    }
}

void CForgotPasswordDlg::ForgetSecrets() {
    ForgetTypedText(m_pKeyEdit, m_strRecoveryKey);
    ForgetTypedText(m_pNewEdit, m_strNewPassword);
    m_pAgainEdit->clear();
}

CChangePasswordDlg::CChangePasswordDlg(QWidget* pParent) : QDialog(pParent) {
    BuildDialog(this, RES_DLG_CHANGE_PASSWORD);
    m_pOldEdit = FindPasswordEdit(this, RES_ID_OLD_PASSWORD);
    m_pNewEdit = FindPasswordEdit(this, RES_ID_NEW_PASSWORD);
    m_pAgainEdit = FindPasswordEdit(this, RES_ID_NEW_PASSWORD_AGAIN);
    m_pOldEdit->setFocus(Qt::OtherFocusReason);
}

void CChangePasswordDlg::accept() {
    m_strOldPassword = m_pOldEdit->text();
    m_strNewPassword = m_pNewEdit->text();
    if (AcceptTypedAgain(m_strNewPassword, m_pAgainEdit, this)) QDialog::accept();
}

void CChangePasswordDlg::ForgetPasswords() {
    ForgetTypedText(m_pOldEdit, m_strOldPassword);
    ForgetTypedText(m_pNewEdit, m_strNewPassword);
    m_pAgainEdit->clear();
}

CProtectVaultDlg::CProtectVaultDlg(const CVaultKey& key, QWidget* pParent)
    : QDialog(pParent), m_key(key) {
    BuildDialog(this, RES_DLG_PROTECT_VAULT);
    m_pPasswordEdit = FindPasswordEdit(this, RES_ID_PASSWORD);
    m_pPasswordEdit->setFocus(Qt::OtherFocusReason);
}

void CProtectVaultDlg::accept() {
    m_strPassword = m_pPasswordEdit->text();
    if (!IsKeysPassword(m_key, m_strPassword)) {
        ShowMessageBox(QStringLiteral("口令不对，请输入登录时的口令。"), MSGBOX_OK,
                       QStringLiteral("合法性警告"), this);
        return;
    }
    QDialog::accept();
}

void CProtectVaultDlg::ForgetPassword() {
    ForgetTypedText(m_pPasswordEdit, m_strPassword);
}

}  // namespace quovex
