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
    connect(&m_vault, &COpenVault::LocationChanged, this, &CBoxListCtrl::OnLocationChanged);
}

void CBoxListCtrl::FillBoxList() {
    const QPixmap strip = LoadBoxStrip();
    for (int nBox = 0; nBox < BOX_COUNT; ++nBox) {
        addItem(new QListWidgetItem(BoxPicture(strip, 0), BoxCaption(nBox)));
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

void CBoxListCtrl::dragEnterEvent(QDragEnterEvent* pEvent) {
    if (DroppedPaths(pEvent->mimeData()).isEmpty()) return pEvent->ignore();
    pEvent->acceptProposedAction();
}

void CBoxListCtrl::dragMoveEvent(QDragMoveEvent* pEvent) {
    // Anywhere on the list, over a picture or not.
    if (DroppedPaths(pEvent->mimeData()).isEmpty()) return pEvent->ignore();
    pEvent->acceptProposedAction();
}

void CBoxListCtrl::dropEvent(QDropEvent* pEvent) {
    const QStringList vPaths = DroppedPaths(pEvent->mimeData());
    if (vPaths.isEmpty()) return pEvent->ignore();
    pEvent->acceptProposedAction();
    activateWindow();
    emit FilesDropped(vPaths, m_strBoxPath);
}

}  // namespace quovex
