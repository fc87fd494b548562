// The dialogs that take a password for an open or opening vault: the
// forgotten password ("忘记口令": the recovery key and a new password
// twice), the password change ("修改口令": the old one and a new one
// twice), the confirmation before a vault is protected ("加密保护此保险
// 柜": what will happen, the password and a new one twice), and the old
// password of scrambled files left to convert. Each checks what it can
// without the vault and stays open, after a message, until that holds;
// the caller does the rest. Interface thread.
#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

namespace quovex {

class CVaultKey;

class CForgotPasswordDlg : public QDialog {
    Q_OBJECT
public:
    explicit CForgotPasswordDlg(QWidget* pParent = nullptr);

    // OK: closes when the key has the form of a recovery key (its spaces
    // and line breaks dropped) and the new password is long enough and
    // typed the same twice; else says which and stays open.
    void accept() override;
    // Clears the fields and wipes the texts taken from them.
    void ForgetSecrets();

    QString m_strRecoveryKey;  // as typed, without white space
    QString m_strNewPassword;

private:
    QLineEdit* m_pKeyEdit;
    QLineEdit* m_pNewEdit;
    QLineEdit* m_pAgainEdit;
};

class CChangePasswordDlg : public QDialog {
    Q_OBJECT
public:
    explicit CChangePasswordDlg(QWidget* pParent = nullptr);

    // OK: closes when the new password is long enough and typed the same
    // twice; else says which and stays open. Whether the old one is right
    // is the vault's to say.
    void accept() override;
    void ForgetPasswords();

    QString m_strOldPassword;
    QString m_strNewPassword;

private:
    QLineEdit* m_pOldEdit;
    QLineEdit* m_pNewEdit;
    QLineEdit* m_pAgainEdit;
};

class CProtectVaultDlg : public QDialog {
    Q_OBJECT
public:
    // key is the open vault's: the password typed first must be the one its
    // scramble key was made from. bRestLeft: the vault is protected
    // already, and its scrambled files left still open with that password,
    // which they give away; the text says so.
    CProtectVaultDlg(const CVaultKey& key, bool bRestLeft, QWidget* pParent = nullptr);

    // "开始": closes when the password typed is the scramble key's, and the
    // new one is long enough for a protected vault, typed the same twice
    // and not the old one; else says which and stays open.
    void accept() override;
    void ForgetPasswords();

    QString m_strPassword;
    QString m_strNewPassword;

private:
    const CVaultKey& m_key;
    QLineEdit* m_pPasswordEdit;
    QLineEdit* m_pNewEdit;
    QLineEdit* m_pAgainEdit;
};

// The password the scrambled files left in a protected vault were stored
// with, when it is not the one the vault opens with now: "开始" closes when
// the field holds a password the login would take; whether it is theirs is
// the vault's to say.
class COldPasswordDlg : public QDialog {
    Q_OBJECT
public:
    explicit COldPasswordDlg(QWidget* pParent = nullptr);

    void accept() override;
    void ForgetPassword();

    QString m_strOldPassword;

private:
    QLineEdit* m_pOldEdit;
};

// The password the vault opens with, asked before its names are hidden
// ("隐藏此保险柜的文件名": what will happen, then the password): "开始"
// closes when the field holds a password the login would take; whether it
// is the vault's is the vault's to say.
class CHideNamesDlg : public QDialog {
    Q_OBJECT
public:
    explicit CHideNamesDlg(QWidget* pParent = nullptr);
    void accept() override;
    void ForgetPassword();

    QString m_strPassword;

private:
    QLineEdit* m_pEdit = nullptr;
};

}  // namespace quovex
