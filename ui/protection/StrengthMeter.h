// The strength of a new password shown as it is typed (EstimatePassword):
// "口令强度：弱（约 40 位）" in a label under the field, coloured from red
// to green. Interface thread.
#pragma once

#include <QString>
#include <functional>

class QLabel;
class QLineEdit;

namespace quovex {

// The meter's words for a password of the user strUser; "" for an empty one.
QString StrengthText(const QString& strPassword, const QString& strUser);

// Keeps pMeter showing StrengthText of pPassword's text as it changes,
// for the user fnUser gives. pMeter's text is set now.
void AttachStrengthMeter(QLineEdit* pPassword, QLabel* pMeter, std::function<QString()> fnUser);

// Shows StrengthText of strPassword in pMeter once (a password typed
// before the dialog came).
void ShowStrength(QLabel* pMeter, const QString& strPassword, const QString& strUser);

}  // namespace quovex
