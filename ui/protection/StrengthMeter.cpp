#include "StrengthMeter.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>

#include "PasswordEntry.h"
#include "PasswordStrength.h"

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(StrengthMeter)
};

}  // namespace

namespace {

struct LevelLook {
    const char* pszWord;
    const char* pszColour;
};

LevelLook LookOf(PasswordStrength nLevel) {
    switch (nLevel) {
        case PasswordStrength::PASSWORD_VERY_WEAK:
            return {QT_TRANSLATE_NOOP("StrengthMeter", "很弱"), "#c0392b"};
        case PasswordStrength::PASSWORD_WEAK:
            return {QT_TRANSLATE_NOOP("StrengthMeter", "弱"), "#d35400"};
        case PasswordStrength::PASSWORD_GOOD:
            return {QT_TRANSLATE_NOOP("StrengthMeter", "良好"), "#27ae60"};
        case PasswordStrength::PASSWORD_EXCELLENT:
            return {QT_TRANSLATE_NOOP("StrengthMeter", "很强"), "#1e8449"};
    }
    return {"", "black"};
}

PasswordEstimate Estimate(const QString& strPassword, const QString& strUser) {
    // The password's UTF-8 bytes are wiped when the copy goes.
    const CUtf8Secret password(strPassword);
    return EstimatePassword(password.Text(), strUser.toStdString());
}

QString TextOf(const PasswordEstimate& estimate) {
    return Words::tr("口令强度：%1（约 %2 位）")
        .arg(Words::tr(LookOf(estimate.nLevel).pszWord),
             QString::number(static_cast<int>(estimate.dBits)));
}

}  // namespace

QString StrengthText(const QString& strPassword, const QString& strUser) {
    return strPassword.isEmpty() ? QString() : TextOf(Estimate(strPassword, strUser));
}

void ShowStrength(QLabel* pMeter, const QString& strPassword, const QString& strUser) {
    if (!pMeter) return;
    if (strPassword.isEmpty()) {
        pMeter->clear();
        return;
    }
    const PasswordEstimate estimate = Estimate(strPassword, strUser);
    pMeter->setText(TextOf(estimate));
    pMeter->setStyleSheet(
        QStringLiteral("color: %1").arg(QString::fromLatin1(LookOf(estimate.nLevel).pszColour)));
}

void AttachStrengthMeter(QLineEdit* pPassword, QLabel* pMeter, std::function<QString()> fnUser) {
    if (!pPassword || !pMeter) return;
    const auto fnShow = [pMeter, fnUser](const QString& strText) {
        ShowStrength(pMeter, strText, fnUser ? fnUser() : QString());
    };
    QObject::connect(pPassword, &QLineEdit::textChanged, pMeter, fnShow);
    fnShow(pPassword->text());
}

}  // namespace quovex
