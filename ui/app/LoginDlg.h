// The login dialog: vault location, user name and password. Interface thread.
#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

namespace quovex {

constexpr int LOGIN_MIN_BYTES = 4;   // shortest user name and password
constexpr int LOGIN_MAX_BYTES = 63;  // longest, enforced while typing

class CLoginDlg : public QDialog {
    Q_OBJECT
public:
    explicit CLoginDlg(QWidget* pParent = nullptr);

    // Copies the fields into the controls (false) or the controls into the
    // fields (true).
    void UpdateData(bool bSaveAndValidate);

    // OK: takes the controls over; with a user name or password under 4
    // GB18030 bytes shows the length message and stays open, else closes.
    void accept() override;

    // For the login of a locked vault: the location and the user name (set
    // in m_strPath and m_strUser) are shown but cannot be changed, and the
    // password has the focus; "忘记口令..." sets a new password by the
    // recovery key, as at the first login.
    void SetForUnlock();

    // Clears the password field and wipes m_strPassword and
    // m_strRecoveryKey, once they have gone into the vault's key: no copy
    // stays with the dialog for the rest of the run.
    void ForgetPassword();

    QString m_strPassword;
    QString m_strUser;
    QString m_strPath;
    // Set by "忘记口令...": the recovery key typed, with m_strPassword the
    // new password that is to replace the forgotten one; empty otherwise.
    QString m_strRecoveryKey;

protected:
    void showEvent(QShowEvent* pEvent) override;

private:
    void OnInitDialog();
    // Lets the user choose the location; a choice also puts the user name
    // and password fields back into their controls.
    void OnBrowse();
    // "忘记口令...": takes the controls over and, with a user name of 4
    // bytes, asks for the recovery key and a new password (CForgotPasswordDlg);
    // given them, closes with OK and m_strRecoveryKey set.
    void OnForgotPassword();
    // False after the length message when the user name, or with
    // bPassword the password, has fewer than 4 GB18030 bytes.
    bool CheckLengths(bool bPassword);

    QLineEdit* m_pUserEdit;
    QLineEdit* m_pPasswordEdit;
    QLineEdit* m_pPathEdit;
    bool m_bInitialised = false;
    bool m_bForUnlock = false;
};

}  // namespace quovex
