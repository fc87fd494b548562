#include "StretchDialog.h"

#include <QResizeEvent>
#include <QScreen>

namespace quovex {

CStretchDialog::CStretchDialog(QWidget* pParent) : QDialog(pParent) {}

void CStretchDialog::SetClientArea(QWidget* pClient) {
    m_pClient = pClient ? pClient : this;
}

bool CStretchDialog::OnInitDialog() {
    return InitSizing(10);
}

bool CStretchDialog::InitSizing(int nGrowthPercent) {
    m_anchors.Setup(this, m_pClient);
    m_pClient->installEventFilter(this);

    const SizeLimits limits = m_anchors.Limits();
    setMinimumSize(limits.minimum.nWidth, limits.minimum.nHeight);
    setMaximumSize(limits.maximum.nWidth, limits.maximum.nHeight);

    const QRect rcNormal = geometry();
    const QRect rcScreen = screen() ? screen()->availableGeometry() : QRect();
    const AnchorRect rc =
        EnlargedWindowRect({rcNormal.left(), rcNormal.top(), rcNormal.left() + rcNormal.width(),
                            rcNormal.top() + rcNormal.height()},
                           nGrowthPercent, m_anchors.m_nSizingFlags,
                           {rcScreen.left(), rcScreen.top(), rcScreen.left() + rcScreen.width(),
                            rcScreen.top() + rcScreen.height()});
    setGeometry(rc.nLeft, rc.nTop, rc.Width(), rc.Height());
    return true;
}

void CStretchDialog::showEvent(QShowEvent* pEvent) {
    if (!m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(pEvent);
}

bool CStretchDialog::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (pWatched == m_pClient && pEvent->type() == QEvent::Resize && !isMinimized()) {
        m_anchors.Relayout(static_cast<QResizeEvent*>(pEvent)->size());
        m_pClient->update();
    }
    return QDialog::eventFilter(pWatched, pEvent);
}

}  // namespace quovex
