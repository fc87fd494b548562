// The step of the first login to a location that holds no vault yet,
// "新建保险柜": the password typed a second time, and whether the new
// vault is protected (checked at first). Interface thread.
#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLineEdit;

namespace quovex {

class CNewVaultDlg : public QDialog {
    Q_OBJECT
public:
    // strPassword is the password typed at the login; it outlives the dialog.
    explicit CNewVaultDlg(const QString& strPassword, QWidget* pParent = nullptr);

    // OK: takes the check box over; closes when the password typed again is
    // the login's, else says so and stays open.
    void accept() override;

    // Clears the password field, so that no copy of the password stays with
    // the dialog.
    void ForgetPassword();

    bool m_bProtected = true;  // the check box, as taken over by OK

private:
    const QString& m_strPassword;
    QLineEdit* m_pAgainEdit;
    QCheckBox* m_pProtectCheck;
};

}  // namespace quovex
