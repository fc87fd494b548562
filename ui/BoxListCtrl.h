// The box list of the main window: one 80 x 80 picture for each of the four
// boxes, in icon mode. It follows the selection to the folder of the box
// selected last and accepts local files and folders dropped anywhere on it.
// Interface thread.
#pragma once

#include <QListWidget>
#include <QString>
#include <QStringList>
#include <functional>

class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QMimeData;

namespace quovex {

class CBoxListCtrl : public QListWidget {
    Q_OBJECT
public:
    // fnWorkPath gives the vault location; it is asked at every change of
    // the selection, so a location changed meanwhile applies from then on.
    CBoxListCtrl(std::function<QString()> fnWorkPath, QWidget* pParent = nullptr);

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
    // The selection changed and its lowest box lies at strBoxPath.
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

    std::function<QString()> m_fnWorkPath;
    QString m_strBoxPath;
};

}  // namespace quovex
