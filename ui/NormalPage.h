// The general page of the settings sheet: the vault location and the two
// options the user may change. Interface thread.
#pragma once

#include <QString>

#include "PropertyPage.h"

class QCheckBox;
class QLineEdit;

namespace quovex {

class CNormalPage : public CPropertyPage {
    Q_OBJECT
public:
    // Builds the page and fills the fields from the application object
    // (defaults when there is none).
    explicit CNormalPage(QWidget* pParent = nullptr);

    // Copies the fields into the controls (false) or the controls into the
    // fields (true).
    void DoDataExchange(bool bSaveAndValidate);

    // Takes the controls over and, for an absolute location, hands the
    // values to the application object, creates the location with its box
    // folders and writes the settings at once; the location is kept as a
    // cleaned absolute path. An empty or relative location is refused with
    // a message: false, nothing taken over.
    bool OnApply() override;

    QString m_strWorkPath;
    bool m_bDeleteSource = true;
    bool m_bSaveUser = true;

protected:
    void OnInitDialog() override;

private:
    // Lets the user choose the location; a choice puts all three fields
    // back into their controls, undoing clicks on the check boxes since the
    // last load, and marks the page as changed.
    void OnBrowse();
    // A click on either check box marks the page as changed.
    void OnOptionClicked();

    QLineEdit* m_pPathEdit;
    QCheckBox* m_pDeleteSourceCheck;
    QCheckBox* m_pSaveUserCheck;
};

// Takes the values of pPage over into the application object: location
// and options, box folders under the location, settings written, and the
// settings marked as changed. Does nothing without an application object.
void TakeOverSettings(const CNormalPage& page);

}  // namespace quovex
