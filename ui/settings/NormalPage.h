// The general page of the settings sheet: the vault location and the two
// options the user may change. Interface thread.
#pragma once

#include <QString>

#include "PropertyPage.h"

class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace quovex {

class COpenVault;
class CVaultSettings;

class CNormalPage : public CPropertyPage {
    Q_OBJECT
public:
    // Builds the page and fills the fields from the open vault (its
    // location) and the settings record (the options); applying takes the
    // values over into both, which outlive the page.
    CNormalPage(COpenVault& vault, CVaultSettings& settings, QWidget* pParent = nullptr);

    // Copies the fields into the controls (false) or the controls into the
    // fields (true).
    void DoDataExchange(bool bSaveAndValidate);

    // Takes the controls over and, for an absolute location, hands the
    // values over as TakeOverSettings does; the location is kept as a
    // cleaned absolute path. An empty or relative location, and one whose
    // vault refuses the credentials of the login, are refused with a
    // message: false, nothing taken over, the old location still in force.
    bool OnApply() override;

    QString m_strWorkPath;
    bool m_bDeleteSource = true;
    bool m_bSaveUser = true;
    int m_nLockMinutes = 0;  // "空闲多少分钟后锁定": 0 never

protected:
    void OnInitDialog() override;

private:
    // Lets the user choose the location; a choice puts all three fields
    // back into their controls, undoing clicks on the check boxes since the
    // last load, and marks the page as changed.
    void OnBrowse();
    // A click on either check box, or another idle time, marks the page as
    // changed.
    void OnOptionClicked();

    // Puts the focus on the location, selected, for the user to correct.
    void FocusLocation();

    COpenVault& m_vault;
    CVaultSettings& m_settings;
    QLineEdit* m_pPathEdit;
    QCheckBox* m_pDeleteSourceCheck;
    QCheckBox* m_pSaveUserCheck;
    QSpinBox* m_pLockMinutesSpin;
};

// Takes the values of page over: the open vault moves to the location by
// the login's credential rule (box folders made there, the window shown the
// new vault), then the settings record takes the location, the options and
// the idle minutes before the lock,
// is written at once and marked as changed. When the vault at the location
// refuses the credentials, shows "户名或者口令出错。" (over the modal
// dialog up, the sheet) and returns false with nothing taken over; else true.
bool TakeOverSettings(const CNormalPage& page, COpenVault& vault, CVaultSettings& settings);

}  // namespace quovex
