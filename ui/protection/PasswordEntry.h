// What the password dialogs share: the rule for a new password typed
// twice, and secret texts wiped once they have served. Interface thread.
#pragma once

#include <QString>
#include <string>

class QLineEdit;
class QWidget;

namespace quovex {

// Empties strText, overwriting its characters first. The caller makes sure
// no other QString shares them (an edit holding the same text is cleared
// first), so that the one copy is wiped rather than detached.
void WipeText(QString& strText);

// Clears pEdit and wipes strText, which was taken from it.
void ForgetTypedText(QLineEdit* pEdit, QString& strText);

// A new password as typed twice: false, after a message over pParent, when
// it has fewer than LOGIN_MIN_BYTES GB18030 bytes, or, bForProtection (a
// protected vault's), fewer than PROTECTED_PASSWORD_MIN_CHARS characters,
// or the two differ.
bool AcceptNewPassword(const QString& strPassword, const QString& strAgain, QWidget* pParent,
                       bool bForProtection);
// AcceptNewPassword of strPassword and the text typed again in pAgainEdit;
// the copy taken of that text is wiped. Refused, the text is selected for
// typing again.
bool AcceptTypedAgain(const QString& strPassword, QLineEdit* pAgainEdit, QWidget* pParent,
                      bool bForProtection);

// The password edit nId of the built dialog pDialog, which takes at most
// LOGIN_MAX_BYTES GB18030 bytes, as the login's does.
QLineEdit* FindPasswordEdit(QWidget* pDialog, int nId);

// The UTF-8 bytes of a secret text, for the calls of the core; wiped when
// the holder goes.
class CUtf8Secret {
public:
    explicit CUtf8Secret(const QString& strText);
    ~CUtf8Secret();
    CUtf8Secret(const CUtf8Secret&) = delete;
    CUtf8Secret& operator=(const CUtf8Secret&) = delete;

    const std::string& Text() const { return m_strText; }

private:
    std::string m_strText;
};

}  // namespace quovex
