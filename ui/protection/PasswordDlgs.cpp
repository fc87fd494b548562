#include "PasswordDlgs.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <cstring>

#include "ByteLimitValidator.h"
#include "DialogBuilder.h"
#include "KeyRecord.h"
#include "LoginDlg.h"
#include "MessageBox.h"
#include "PasswordEntry.h"
#include "SecretBytes.h"
#include "StrengthMeter.h"
#include "VaultAccess.h"
#include "VaultKey.h"

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(PasswordDlgs)
};

}  // namespace

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

}  // namespace

CForgotPasswordDlg::CForgotPasswordDlg(QWidget* pParent) : QDialog(pParent) {
    BuildDialog(this, RES_DLG_FORGOT_PASSWORD);
    m_pKeyEdit = FindControl<QLineEdit>(this, RES_ID_RECOVERY_KEY);
    m_pNewEdit = FindPasswordEdit(this, RES_ID_NEW_PASSWORD);
    m_pAgainEdit = FindPasswordEdit(this, RES_ID_NEW_PASSWORD_AGAIN);
    AttachStrengthMeter(m_pNewEdit, FindControl<QLabel>(this, RES_ID_STRENGTH), {});
    m_pKeyEdit->setFocus(Qt::OtherFocusReason);
}

void CForgotPasswordDlg::accept() {
    m_strRecoveryKey = WithoutSpaces(m_pKeyEdit->text());
    m_strNewPassword = m_pNewEdit->text();
    if (!IsRecoveryKeyForm(m_strRecoveryKey)) {
        ShowMessageBox(Words::tr("恢复密钥的格式不对：应为 13 组，每组 4 个字母或数字。"),
                       MSGBOX_OK, Words::tr("合法性警告"), this);
    } else if (AcceptTypedAgain(m_strNewPassword, m_pAgainEdit, this, true)) {
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
    AttachStrengthMeter(m_pNewEdit, FindControl<QLabel>(this, RES_ID_STRENGTH), {});
    m_pOldEdit->setFocus(Qt::OtherFocusReason);
}

void CChangePasswordDlg::accept() {
    m_strOldPassword = m_pOldEdit->text();
    m_strNewPassword = m_pNewEdit->text();
    if (AcceptTypedAgain(m_strNewPassword, m_pAgainEdit, this, true)) QDialog::accept();
}

void CChangePasswordDlg::ForgetPasswords() {
    ForgetTypedText(m_pOldEdit, m_strOldPassword);
    ForgetTypedText(m_pNewEdit, m_strNewPassword);
    m_pAgainEdit->clear();
}

CProtectVaultDlg::CProtectVaultDlg(const CVaultKey& key, bool bRestLeft, QWidget* pParent)
    : QDialog(pParent), m_key(key) {
    BuildDialog(this, RES_DLG_PROTECT_VAULT);
    if (bRestLeft) {
        FindControl<QLabel>(this, RES_ID_PROTECT_TEXT)
            ->setText(Words::tr("保险柜中还有没有加密保护的文件。它们用的就是现在的口令，\n"
                                "而这些文件（包括它们的备份）会泄露这个口令。\n"
                                "转换其余的文件时请换一个新口令。\n"
                                "转换可以中途取消，再次运行即可完成。"));
    }
    m_pPasswordEdit = FindPasswordEdit(this, RES_ID_PASSWORD);
    m_pNewEdit = FindPasswordEdit(this, RES_ID_NEW_PASSWORD);
    m_pAgainEdit = FindPasswordEdit(this, RES_ID_NEW_PASSWORD_AGAIN);
    AttachStrengthMeter(m_pNewEdit, FindControl<QLabel>(this, RES_ID_STRENGTH),
                        [this] { return QString::fromStdString(m_key.User()); });
    m_pPasswordEdit->setFocus(Qt::OtherFocusReason);
}

void CProtectVaultDlg::accept() {
    m_strPassword = m_pPasswordEdit->text();
    m_strNewPassword = m_pNewEdit->text();
    const QString strCaption = Words::tr("合法性警告");
    if (!IsScramblePassword(m_key, CUtf8Secret(m_strPassword).Text())) {
        ShowMessageBox(Words::tr("口令不对，请输入登录时的口令。"), MSGBOX_OK, strCaption, this);
    } else if (AcceptTypedAgain(m_strNewPassword, m_pAgainEdit, this, true)) {
        if (!IsScramblePassword(m_key, CUtf8Secret(m_strNewPassword).Text())) {
            QDialog::accept();
            return;
        }
        ShowMessageBox(Words::tr("新口令不能是原来的口令：没有加密保护的文件（包括它们的备份）"
                                 "会泄露原来的口令。"),
                       MSGBOX_OK, strCaption, this);
    }
}

void CProtectVaultDlg::ForgetPasswords() {
    ForgetTypedText(m_pPasswordEdit, m_strPassword);
    ForgetTypedText(m_pNewEdit, m_strNewPassword);
    m_pAgainEdit->clear();
}

COldPasswordDlg::COldPasswordDlg(QWidget* pParent) : QDialog(pParent) {
    BuildDialog(this, RES_DLG_OLD_PASSWORD);
    m_pOldEdit = FindPasswordEdit(this, RES_ID_OLD_PASSWORD);
    m_pOldEdit->setFocus(Qt::OtherFocusReason);
}

void COldPasswordDlg::accept() {
    m_strOldPassword = m_pOldEdit->text();
    if (Gb18030Bytes(m_strOldPassword) < LOGIN_MIN_BYTES) {
        ShowMessageBox(Words::tr("口令长度至少 4 位"), MSGBOX_OK, Words::tr("合法性警告"), this);
        return;
    }
    QDialog::accept();
}

void COldPasswordDlg::ForgetPassword() {
    ForgetTypedText(m_pOldEdit, m_strOldPassword);
}

CHideNamesDlg::CHideNamesDlg(QWidget* pParent) : QDialog(pParent) {
    BuildDialog(this, RES_DLG_HIDE_NAMES);
    m_pEdit = FindPasswordEdit(this, RES_ID_PASSWORD);
    m_pEdit->setFocus(Qt::OtherFocusReason);
}

void CHideNamesDlg::accept() {
    m_strPassword = m_pEdit->text();
    if (Gb18030Bytes(m_strPassword) < LOGIN_MIN_BYTES) {
        ShowMessageBox(Words::tr("口令长度至少 4 位"), MSGBOX_OK, Words::tr("合法性警告"), this);
        return;
    }
    QDialog::accept();
}

void CHideNamesDlg::ForgetPassword() {
    ForgetTypedText(m_pEdit, m_strPassword);
}

}  // namespace quovex
