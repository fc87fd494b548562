#include "PropertyPage.h"

namespace quovex {

CPropertyPage::CPropertyPage(QWidget* pParent) : QWidget(pParent) {}

void CPropertyPage::SetModified(bool bChanged) {
    if (m_bModified == bChanged) return;
    m_bModified = bChanged;
    emit ModifiedChanged(bChanged);
}

void CPropertyPage::showEvent(QShowEvent* pEvent) {
    if (!m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    QWidget::showEvent(pEvent);
}

}  // namespace quovex
