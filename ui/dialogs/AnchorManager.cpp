#include "AnchorManager.h"

#include <QSizeGrip>

namespace quovex {

namespace {

AnchorSize ToAnchorSize(QSize size) {
    return {size.width(), size.height()};
}

AnchorRect ToAnchorRect(const QRect& rc) {
    return {rc.left(), rc.top(), rc.left() + rc.width(), rc.top() + rc.height()};
}

}  // namespace

void CAnchorManager::Setup(QWidget* pWindow, QWidget* pClient) {
    m_pClient = pClient;
    m_initialClient = ToAnchorSize(pClient->size());
    m_initialWindow = ToAnchorSize(pWindow->size());
    if (!m_bShowGrip) return;
    m_pGrip = new QSizeGrip(pClient);
    m_pGrip->setObjectName(QStringLiteral("65535"));
    const QSize gripSize = m_pGrip->sizeHint();
    m_pGrip->setGeometry(
        QRect(QPoint(pClient->width() - gripSize.width(), pClient->height() - gripSize.height()),
              gripSize));
    AddAnchor(m_pGrip, ANCHOR_MOVE, ANCHOR_MOVE);
    m_pGrip->show();
}

QSizeGrip* CAnchorManager::SizeGrip() const {
    return m_pGrip;
}

bool CAnchorManager::AddAnchor(QWidget* pControl, int nHorzMode, int nVertMode) {
    const AnchorPercents percents = AnchorPercentsFor(nHorzMode, nVertMode);
    if (!IsSetUp() || !m_pClient || !pControl || percents.IsFixed()) return false;
    m_entries.push_back({pControl, percents, ToAnchorRect(pControl->geometry())});
    Place(m_entries.back(), ClientGrowth(m_initialClient, ToAnchorSize(m_pClient->size())));
    return true;
}

void CAnchorManager::Relayout(QSize clientSize) {
    if (!IsSetUp()) return;
    const AnchorSize growth = ClientGrowth(m_initialClient, ToAnchorSize(clientSize));
    for (const AnchorEntry& entry : m_entries) Place(entry, growth);
}

void CAnchorManager::Place(const AnchorEntry& entry, AnchorSize growth) {
    if (!entry.pControl) return;
    const AnchorRect rc = PlaceAnchored(entry.rcInitial, entry.percents, growth);
    entry.pControl->setGeometry(rc.nLeft, rc.nTop, rc.Width(), rc.Height());
}

}  // namespace quovex
