// The property sheet that holds the settings pages: a tab for each page
// and the buttons OK, Cancel, Apply and Help. Interface thread.
#pragma once

#include <QDialog>
#include <QDialogButtonBox>

class QPushButton;
class QTabWidget;

namespace quovex {

class CPropertyPage;

// Object names of the sheet's own controls, after the ids the framework
// gives them (OK and Cancel carry RES_ID_OK and RES_ID_CANCEL).
constexpr int SHEET_ID_HELP = 9;
constexpr int SHEET_ID_TABS = 0x3020;
constexpr int SHEET_ID_APPLY = 0x3021;

class CSetPropertySheet : public QDialog {
    Q_OBJECT
public:
    // A sheet with strCaption, modal over pParent when run with exec(),
    // that shows page nSelectPage (counted from 0) first.
    explicit CSetPropertySheet(const QString& strCaption, QWidget* pParent = nullptr,
                               int nSelectPage = 0);

    // Appends pPage as a tab named after the page's window title. The sheet
    // becomes its parent, so it is destroyed with the sheet unless it goes
    // first. The first page gives the sheet its font.
    void AddPage(CPropertyPage* pPage);
    int GetPageCount() const;
    CPropertyPage* GetPage(int nPage) const;

    // OK: applies every page; closes with Accepted only when all accept,
    // else stays open on the page that refused.
    void accept() override;
    // Apply: applies every page; when all accept, they count as unchanged
    // and Apply is disabled until a page is marked again. True when all
    // accepted.
    bool OnApplyNow();

private:
    bool ApplyPages();
    void UpdateApplyButton();
    QPushButton* AddButton(QDialogButtonBox::StandardButton button, int nId,
                           const QString& strText);

    QTabWidget* m_pTabs;
    QDialogButtonBox* m_pButtons;
    QPushButton* m_pApplyButton = nullptr;
    int m_nStartPage;
};

}  // namespace quovex
