// The box list of the main window: one 80 x 80 picture for each of the four
// boxes, in icon mode. It follows the selection to the folder of the box
// selected last, in the open vault wherever that lies now, and accepts local
// files and folders dropped anywhere on it. Interface thread.
#pragma once

#include <QListWidget>
#include <QString>
#include <QStringList>

class QDragEnterEvent;
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
    // box table, all showing picture 0, then selects box 0 without making
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
    // box selected last. Never emitted with an empty list.
    void FilesDropped(const QStringList& vPaths, const QString& strBoxPath);

protected:
    void dragEnterEvent(QDragEnterEvent* pEvent) override;
    void dragMoveEvent(QDragMoveEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;

private:
    void OnSelectionChanged();
    void OnLocationChanged();
    // Makes box nBox the one selected last and announces its folder.
    void TakeBox(int nBox);

    const COpenVault& m_vault;
    int m_nBox = -1;  // the box selected last, -1 before the first
    QString m_strBoxPath;
};

}  // namespace quovex
