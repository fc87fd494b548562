#include "PasswordEntry.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QLineEdit>
#include <cstring>

#include "ByteLimitValidator.h"
#include "DialogBuilder.h"
#include "LoginDlg.h"
#include "MessageBox.h"
#include "VaultAccess.h"

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(PasswordEntry)
};

}  // namespace

namespace {

void WipeBytes(char* pData, std::size_t nSize) {
    // Unlike memset, not left out because the buffer is freed next.
    if (nSize) explicit_bzero(pData, nSize);
}

}  // namespace

void WipeText(QString& strText) {
    if (!strText.isEmpty()) {
        QChar* pText = strText.data();
        WipeBytes(reinterpret_cast<char*>(pText),
                  static_cast<std::size_t>(strText.size()) * sizeof(QChar));
    }
    strText.clear();
}

void ForgetTypedText(QLineEdit* pEdit, QString& strText) {
    if (pEdit) pEdit->clear();
    WipeText(strText);
}

bool AcceptNewPassword(const QString& strPassword, const QString& strAgain, QWidget* pParent,
                       bool bForProtection) {
    const QString strCaption = Words::tr("合法性警告");
    if (Gb18030Bytes(strPassword) < LOGIN_MIN_BYTES) {
        ShowMessageBox(Words::tr("口令长度至少 4 位"), MSGBOX_OK, strCaption, pParent);
        return false;
    }
    if (bForProtection && !IsLongEnoughForProtection(CUtf8Secret(strPassword).Text())) {
        ShowMessageBox(
            Words::tr("加密保护的保险柜，口令至少要 %1 个字符。").arg(PROTECTED_PASSWORD_MIN_CHARS),
            MSGBOX_OK, strCaption, pParent);
        return false;
    }
    if (strPassword != strAgain) {
        ShowMessageBox(Words::tr("两次输入的口令不一致。"), MSGBOX_OK, strCaption, pParent);
        return false;
    }
    return true;
}

bool AcceptTypedAgain(const QString& strPassword, QLineEdit* pAgainEdit, QWidget* pParent,
                      bool bForProtection) {
    QString strAgain = pAgainEdit->text();
    const bool bAccepted = AcceptNewPassword(strPassword, strAgain, pParent, bForProtection);
    WipeText(strAgain);
    if (!bAccepted) {
        // Selected, so that the next typing replaces it rather than adding on.
        pAgainEdit->setFocus(Qt::OtherFocusReason);
        pAgainEdit->selectAll();
    }
    return bAccepted;
}

QLineEdit* FindPasswordEdit(QWidget* pDialog, int nId) {
    auto* pEdit = FindControl<QLineEdit>(pDialog, nId);
    pEdit->setValidator(new CByteLimitValidator(LOGIN_MAX_BYTES, pEdit));
    return pEdit;
}

CUtf8Secret::CUtf8Secret(const QString& strText) {
    QByteArray bytes = strText.toUtf8();
    m_strText.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    WipeBytes(bytes.data(), static_cast<std::size_t>(bytes.size()));
}

CUtf8Secret::~CUtf8Secret() {
    WipeBytes(m_strText.data(), m_strText.size());
}

}  // namespace quovex
