#include "BoxListCtrl.h"

#include <QBitmap>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "Boxes.h"
#include "CoreTexts.h"
#include "OpenVault.h"
#include "ResourceImages.h"

namespace quovex {

namespace {

// Picture n of the box strip, white made transparent.
QIcon BoxPicture(const QPixmap& strip, int n) {
    QPixmap picture =
        strip.copy(n * RES_BOX_PICTURE_SIZE, 0, RES_BOX_PICTURE_SIZE, RES_BOX_PICTURE_SIZE);
    picture.setMask(picture.createMaskFromColor(Qt::white));
    return QIcon(picture);
}

}  // namespace

CBoxListCtrl::CBoxListCtrl(const COpenVault& vault, QWidget* pParent)
    : QListWidget(pParent), m_vault(vault) {
    setViewMode(QListView::IconMode);
    setMovement(QListView::Static);
    // The boxes flow into the width the window is given.
    setResizeMode(QListView::Adjust);
    setSortingEnabled(false);
    setIconSize(QSize(RES_BOX_PICTURE_SIZE, RES_BOX_PICTURE_SIZE));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    connect(this, &QListWidget::itemSelectionChanged, this, &CBoxListCtrl::OnSelectionChanged);
    m_hoverTimer.setSingleShot(true);
    m_hoverTimer.setInterval(DROP_HOVER_MS);
    connect(&m_hoverTimer, &QTimer::timeout, this, &CBoxListCtrl::OnHoverElapsed);
    connect(&m_vault, &COpenVault::LocationChanged, this, &CBoxListCtrl::OnLocationChanged);
}

void CBoxListCtrl::FillBoxList() {
    const QPixmap strip = LoadBoxStrip();
    for (int nBox = 0; nBox < BOX_COUNT; ++nBox) {
        // A picture of its own for each box, so that a box is known by its colour.
        auto* pItem = new QListWidgetItem(BoxPicture(strip, nBox), BoxCaption(nBox));
        pItem->setData(Qt::AccessibleTextRole, BoxCaption(nBox));
        addItem(pItem);
    }
    selectionModel()->select(model()->index(0, 0), QItemSelectionModel::Select);
}

void CBoxListCtrl::OnSelectionChanged() {
    int nBox = -1;
    for (int i = 0; i < count() && nBox < 0; ++i) {
        if (item(i)->isSelected()) nBox = i;
    }
    if (nBox < 0 || nBox >= BOX_COUNT) return;
    TakeBox(nBox);
}

void CBoxListCtrl::OnLocationChanged() {
    if (m_nBox >= 0) TakeBox(m_nBox);
}

void CBoxListCtrl::TakeBox(int nBox) {
    const QString strPath = m_vault.BoxFolder(nBox);
    emit BoxSelected(strPath);
    m_nBox = nBox;
    m_strBoxPath = strPath;
}

QStringList CBoxListCtrl::DroppedPaths(const QMimeData* pData) {
    QStringList vPaths;
    if (!pData) return vPaths;
    for (const QUrl& url : pData->urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) vPaths << url.toLocalFile();
    }
    return vPaths;
}

int CBoxListCtrl::AimedBox(const QPoint& pos) const {
    const QListWidgetItem* pItem = itemAt(pos);
    const int nRow = pItem ? row(pItem) : -1;
    return nRow >= 0 && nRow < BOX_COUNT ? nRow : m_nBox;
}

void CBoxListCtrl::SetDropTarget(int nBox) {
    if (nBox == m_nDropTarget) return;
    const QBrush none;
    if (QListWidgetItem* pOld = item(m_nDropTarget)) pOld->setBackground(none);
    m_nDropTarget = nBox;
    if (QListWidgetItem* pNew = item(nBox)) {
        QColor color = palette().color(QPalette::Highlight);
        color.setAlpha(90);
        pNew->setBackground(color);
    }
}

void CBoxListCtrl::SelectBox(int nBox) {
    if (nBox < 0 || nBox >= count()) return;
    setCurrentItem(item(nBox), QItemSelectionModel::ClearAndSelect);
}

void CBoxListCtrl::OnHoverElapsed() {
    if (m_nHovered >= 0 && m_nHovered != m_nBox) SelectBox(m_nHovered);
}

void CBoxListCtrl::dragEnterEvent(QDragEnterEvent* pEvent) {
    if (DroppedPaths(pEvent->mimeData()).isEmpty()) return pEvent->ignore();
    pEvent->acceptProposedAction();
    dragMoveEvent(pEvent);
}

void CBoxListCtrl::dragMoveEvent(QDragMoveEvent* pEvent) {
    // Anywhere on the list, over a picture or not.
    if (DroppedPaths(pEvent->mimeData()).isEmpty()) return pEvent->ignore();
    pEvent->acceptProposedAction();
    const QListWidgetItem* pItem = itemAt(pEvent->position().toPoint());
    const int nHovered = pItem ? row(pItem) : -1;
    if (nHovered != m_nHovered) {
        m_nHovered = nHovered;
        // Resting on another picture starts the wait again.
        if (nHovered >= 0)
            m_hoverTimer.start();
        else
            m_hoverTimer.stop();
    }
    SetDropTarget(AimedBox(pEvent->position().toPoint()));
}

void CBoxListCtrl::dragLeaveEvent(QDragLeaveEvent* pEvent) {
    m_hoverTimer.stop();
    m_nHovered = -1;
    SetDropTarget(-1);
    QListWidget::dragLeaveEvent(pEvent);
}

void CBoxListCtrl::dropEvent(QDropEvent* pEvent) {
    m_hoverTimer.stop();
    m_nHovered = -1;
    SetDropTarget(-1);
    const QStringList vPaths = DroppedPaths(pEvent->mimeData());
    if (vPaths.isEmpty()) return pEvent->ignore();
    pEvent->acceptProposedAction();
    // Dropped on a picture: that box, selected as the one taken last.
    const int nAimed = AimedBox(pEvent->position().toPoint());
    if (nAimed >= 0 && nAimed != m_nBox) SelectBox(nAimed);
    activateWindow();
    emit FilesDropped(vPaths, m_strBoxPath);
}

}  // namespace quovex
