// The box list of the main window: one 80 x 80 picture for each of the four
// boxes, in icon mode. It follows the selection to the folder of the box
// selected last, in the open vault wherever that lies now, and accepts local
// files and folders dropped anywhere on it.
//
// A drop goes where it is aimed: during a drag the box under the pointer is
// highlighted and, after a short hover, selected (its contents shown); a
// drop on a picture selects that box first, so that the box selected last
// is always the one the files go into. Over the empty part of the list the
// selected box is highlighted and takes the drop. Interface thread.
#pragma once

#include <QListWidget>
#include <QString>
#include <QStringList>
#include <QTimer>

class QDragEnterEvent;
class QDragLeaveEvent;
class QDragMoveEvent;
class QDropEvent;
class QMimeData;

namespace quovex {

class COpenVault;

class CBoxListCtrl : public QListWidget {
    Q_OBJECT
public:
    // The boxes of vault, which outlives the list. When the vault moves to
    // another location, the box selected last is taken there at once
    // (BoxPath changes and BoxSelected is emitted), selected or not.
    explicit CBoxListCtrl(const COpenVault& vault, QWidget* pParent = nullptr);

    // Gives the list the pictures of strip 135 and the four boxes of the
    // box table, box n showing picture n, then selects box 0 without making
    // it the current (focused) item; that selection emits BoxSelected.
    void FillBoxList();

    // Folder of the box selected last; empty until a box has been selected.
    // An empty selection leaves it as it is.
    const QString& BoxPath() const { return m_strBoxPath; }

    // The local paths of a drop, in drop order; URLs that are not local
    // files are left out.
    static QStringList DroppedPaths(const QMimeData* pData);

signals:
    // The selection changed and its lowest box lies at strBoxPath, or the
    // box selected last now lies there because the vault moved.
    void BoxSelected(const QString& strBoxPath);
    // Local files and folders were dropped; they belong in strBoxPath, the
    // box selected last (the one dropped on, when on a picture). Never
    // emitted with an empty list.
    void FilesDropped(const QStringList& vPaths, const QString& strBoxPath);

public:
    // How long the pointer rests on a picture during a drag before its box
    // is selected.
    static constexpr int DROP_HOVER_MS = 500;
    void SetHoverDelay(int nMilliseconds) { m_hoverTimer.setInterval(nMilliseconds); }
    // The box a drop would go into now (highlighted), -1 outside a drag.
    int DropTarget() const { return m_nDropTarget; }

protected:
    void dragEnterEvent(QDragEnterEvent* pEvent) override;
    void dragMoveEvent(QDragMoveEvent* pEvent) override;
    void dragLeaveEvent(QDragLeaveEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;

private:
    // The box a drag at pos aims at: the picture under it, or the box
    // selected last over the empty part of the list.
    int AimedBox(const QPoint& pos) const;
    // Highlights box nBox as the drop's target (-1: none).
    void SetDropTarget(int nBox);
    // Selects box nBox alone, as a click on its picture does.
    void SelectBox(int nBox);
    void OnHoverElapsed();
    void OnSelectionChanged();
    void OnLocationChanged();
    // Makes box nBox the one selected last and announces its folder.
    void TakeBox(int nBox);

    const COpenVault& m_vault;
    int m_nBox = -1;  // the box selected last, -1 before the first
    QString m_strBoxPath;
    int m_nDropTarget = -1;
    int m_nHovered = -1;  // the picture under the pointer during a drag
    QTimer m_hoverTimer;
};

}  // namespace quovex
