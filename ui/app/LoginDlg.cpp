#include "LoginDlg.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>

#include "ByteLimitValidator.h"
#include "DialogBuilder.h"
#include "DirDialog.h"
#include "MessageBox.h"
#include "PasswordDlgs.h"
#include "PasswordEntry.h"

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(LoginDlg)
};

}  // namespace

namespace {

constexpr int IDC_USER = 1004;
constexpr int IDC_PASSWORD = 1005;
constexpr int IDC_PATH = 1011;
constexpr int IDC_BROWSE = 1020;

}  // namespace

CLoginDlg::CLoginDlg(QWidget* pParent) : QDialog(pParent) {
    BuildDialog(this, RES_DLG_LOGIN);
    m_pUserEdit = FindControl<QLineEdit>(this, IDC_USER);
    m_pPasswordEdit = FindControl<QLineEdit>(this, IDC_PASSWORD);
    m_pPathEdit = FindControl<QLineEdit>(this, IDC_PATH);
    m_pUserEdit->setValidator(new CByteLimitValidator(LOGIN_MAX_BYTES, m_pUserEdit));
    m_pPasswordEdit->setValidator(new CByteLimitValidator(LOGIN_MAX_BYTES, m_pPasswordEdit));
    connect(FindControl<QPushButton>(this, IDC_BROWSE), &QPushButton::clicked, this,
            &CLoginDlg::OnBrowse);
    connect(FindControl<QPushButton>(this, RES_ID_FORGOT_PASSWORD), &QPushButton::clicked, this,
            &CLoginDlg::OnForgotPassword);
}

void CLoginDlg::UpdateData(bool bSaveAndValidate) {
    if (bSaveAndValidate) {
        m_strPassword = m_pPasswordEdit->text();
        m_strUser = m_pUserEdit->text();
        m_strPath = m_pPathEdit->text();
        return;
    }
    m_pPasswordEdit->setText(m_strPassword);
    m_pUserEdit->setText(m_strUser);
    m_pPathEdit->setText(m_strPath);
}

void CLoginDlg::accept() {
    UpdateData(true);
    if (CheckLengths(true)) QDialog::accept();
}

bool CLoginDlg::CheckLengths(bool bPassword) {
    if (Gb18030Bytes(m_strUser) >= LOGIN_MIN_BYTES &&
        (!bPassword || Gb18030Bytes(m_strPassword) >= LOGIN_MIN_BYTES))
        return true;
    ShowMessageBox(Words::tr("户名和口令长度至少 4 位"), MSGBOX_OK, Words::tr("合法性警告"), this);
    return false;
}

void CLoginDlg::OnForgotPassword() {
    UpdateData(true);
    // The new password is checked by the next dialog; the user name here.
    if (!CheckLengths(false)) return;
    CForgotPasswordDlg forgot(this);
    if (forgot.exec() != QDialog::Accepted) return;
    // The field's own text is the old password: it lets go of it first.
    ForgetTypedText(m_pPasswordEdit, m_strPassword);
    m_strPassword = forgot.m_strNewPassword;
    m_strRecoveryKey = forgot.m_strRecoveryKey;
    forgot.ForgetSecrets();
    QDialog::accept();
}

void CLoginDlg::ForgetPassword() {
    // The field lets go of its text first, so that m_strPassword owns the
    // only copy and is wiped in place rather than detached.
    ForgetTypedText(m_pPasswordEdit, m_strPassword);
    WipeText(m_strRecoveryKey);
}

void CLoginDlg::showEvent(QShowEvent* pEvent) {
    if (!m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(pEvent);
}

void CLoginDlg::OnInitDialog() {
    UpdateData(false);
    (m_bForUnlock ? m_pPasswordEdit : m_pUserEdit)->setFocus(Qt::OtherFocusReason);
}

void CLoginDlg::SetForUnlock() {
    m_bForUnlock = true;
    m_pPathEdit->setReadOnly(true);
    m_pUserEdit->setReadOnly(true);
    FindControl<QPushButton>(this, IDC_BROWSE)->setEnabled(false);
}

void CLoginDlg::OnBrowse() {
    CDirDialog chooser;
    if (!chooser.PickFolder(Words::tr("选择文件夹"))) return;
    m_strPath = chooser.m_strPath;
    UpdateData(false);
}

}  // namespace quovex
