#include "SetPropertySheet.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "DialogTemplate.h"
#include "HelpViewer.h"
#include "PropertyPage.h"

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(SetPropertySheet)
};

}  // namespace

CSetPropertySheet::CSetPropertySheet(const QString& strCaption, QWidget* pParent, int nSelectPage)
    : QDialog(pParent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_pTabs(new QTabWidget(this)),
      m_pButtons(new QDialogButtonBox(this)),
      m_nStartPage(nSelectPage) {
    setWindowTitle(strCaption);
    m_pTabs->setObjectName(QString::number(SHEET_ID_TABS));
    // Qt's standard buttons would carry English texts in a program that
    // loads no translation, so each gets its text here.
    AddButton(QDialogButtonBox::Ok, RES_ID_OK, Words::tr("确定"))->setDefault(true);
    AddButton(QDialogButtonBox::Cancel, RES_ID_CANCEL, Words::tr("取消"));
    m_pApplyButton = AddButton(QDialogButtonBox::Apply, SHEET_ID_APPLY, Words::tr("应用(&A)"));
    AddButton(QDialogButtonBox::Help, SHEET_ID_HELP, Words::tr("帮助"));
    m_pApplyButton->setEnabled(false);

    connect(m_pButtons, &QDialogButtonBox::accepted, this, &CSetPropertySheet::accept);
    connect(m_pButtons, &QDialogButtonBox::rejected, this, &CSetPropertySheet::reject);
    connect(m_pApplyButton, &QPushButton::clicked, this, &CSetPropertySheet::OnApplyNow);
    connect(m_pButtons, &QDialogButtonBox::helpRequested, this,
            [this] { ShowProgramHelp(this, HelpTopicOf(this)); });
    SetHelpTopic(this, "settings");

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pTabs);
    pLayout->addWidget(m_pButtons);
    // A sheet keeps the size its pages ask for.
    pLayout->setSizeConstraint(QLayout::SetFixedSize);
}

QPushButton* CSetPropertySheet::AddButton(QDialogButtonBox::StandardButton button, int nId,
                                          const QString& strText) {
    QPushButton* pButton = m_pButtons->addButton(button);
    pButton->setObjectName(QString::number(nId));
    pButton->setText(strText);
    return pButton;
}

void CSetPropertySheet::AddPage(CPropertyPage* pPage) {
    if (m_pTabs->count() == 0) setFont(pPage->font());
    // A page places its controls at fixed rectangles without a layout, so
    // the size it was built with is the least it needs.
    pPage->setMinimumSize(pPage->size());
    const int nIndex = m_pTabs->addTab(pPage, pPage->windowTitle());
    if (nIndex == m_nStartPage) m_pTabs->setCurrentIndex(nIndex);
    connect(pPage, &CPropertyPage::ModifiedChanged, this, &CSetPropertySheet::UpdateApplyButton);
    UpdateApplyButton();
}

int CSetPropertySheet::GetPageCount() const {
    return m_pTabs->count();
}

CPropertyPage* CSetPropertySheet::GetPage(int nPage) const {
    return qobject_cast<CPropertyPage*>(m_pTabs->widget(nPage));
}

void CSetPropertySheet::accept() {
    if (ApplyPages()) QDialog::accept();
}

bool CSetPropertySheet::OnApplyNow() {
    if (!ApplyPages()) return false;
    for (int i = 0; i < GetPageCount(); ++i) GetPage(i)->SetModified(false);
    return true;
}

bool CSetPropertySheet::ApplyPages() {
    for (int i = 0; i < GetPageCount(); ++i) {
        CPropertyPage* pPage = GetPage(i);
        if (!pPage->IsInitialised() || pPage->OnApply()) continue;
        m_pTabs->setCurrentIndex(i);
        return false;
    }
    return true;
}

void CSetPropertySheet::UpdateApplyButton() {
    bool bModified = false;
    for (int i = 0; i < GetPageCount(); ++i) bModified = bModified || GetPage(i)->IsModified();
    m_pApplyButton->setEnabled(bModified);
}

}  // namespace quovex
