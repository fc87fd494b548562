// The contents tree of the main window (control 1003): the folder of one
// box, read from disk level by level as folders are expanded. Its single
// root item reads the folder's full path; every other item reads its own
// name. Children of an item are listed folders first, then files, in the
// order of SortFolderEntries. Symbolic links are passed over, and so are
// names that do not decode to text (their item could not name them).
// Everything runs on the interface thread except where said otherwise.
#pragma once

#include <QIcon>
#include <QString>
#include <QTreeWidget>

class QContextMenuEvent;
class QMouseEvent;

namespace quovex {

class CContentsTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit CContentsTree(QWidget* pParent = nullptr);

    // Discards every item and shows strRootFolder (made absolute) as the
    // one root item, filled with the folder's children and left expanded;
    // files are listed only when bShowFiles is set. Returns false, with the
    // tree left empty, when strRootFolder is empty or not an existing
    // folder. Item labels can never be edited. Any
    // thread: from another thread the call is carried to the interface
    // thread, which must be running an event loop, and returns when done.
    bool ShowFolder(const QString& strRootFolder, bool bShowFiles);

    // The full path of pItem, rebuilt from the texts of the item and its
    // ancestors, with no trailing separator (the root item gives the root
    // folder). "" for nullptr.
    QString GetItemPath(const QTreeWidgetItem* pItem) const;

    // Appends to pParent the sub-folders of strFolder, each with a
    // placeholder child when HasListableChildren holds for it, then (when
    // files are shown) its files. A folder that cannot be read adds nothing.
    void FillItem(QTreeWidgetItem* pParent, const QString& strFolder);

    // Appends an item for strPath as the last child of pParent, or as a
    // top-level item reading the whole path (cleaned as QDir::cleanPath
    // does) when pParent is nullptr. The
    // icon is the folder or the file icon, as the path is a folder or not.
    // Returns the new item.
    QTreeWidgetItem* InsertPathItem(QTreeWidgetItem* pParent, const QString& strPath);

    // True when strFolder holds a sub-folder, or (when files are shown) a
    // file whose name does not begin with a dot. Stops at the first such
    // entry; false for a folder that cannot be read.
    bool HasListableChildren(const QString& strFolder) const;

    // Throws away the children of pItem and lists its folder afresh.
    void RefreshItem(QTreeWidgetItem* pItem);

    // Shows the root folder afresh, as ShowFolder does, then opens again
    // every folder that was open and is still there, and selects the item
    // that was selected, or else the nearest of its ancestors that is left.
    // Nothing when the tree is empty. Interface thread.
    void ShowAfresh();

    // The item that shows the absolute path strPath (cleaned as
    // QDir::cleanPath does), or nullptr when none does (an item inside a
    // closed folder included).
    QTreeWidgetItem* FindPathItem(const QString& strPath) const;

signals:
    // A command of the context menu (menu 140) was chosen for the current
    // item; nCommandId is RES_CMD_OPEN or one of RES_CMD_RESTORE ...
    // RES_CMD_PROPERTIES.
    void CommandChosen(int nCommandId);

protected:
    // Opens the context menu at ptGlobal (screen coordinates) and reports a
    // chosen command through CommandChosen. Blocks while the menu is open.
    // Tests override it to observe the menu without a real popup.
    virtual void ShowContextMenu(const QPoint& ptGlobal);

    // The right button over an item selects it and opens the context menu;
    // over empty space it does nothing at all.
    void mousePressEvent(QMouseEvent* pEvent) override;
    // Context-menu requests (the keyboard's menu key) are swallowed.
    void contextMenuEvent(QContextMenuEvent* pEvent) override;

private:
    bool ShowFolderHere(const QString& strRootFolder, bool bShowFiles);
    void OnItemExpanded(QTreeWidgetItem* pItem);
    void OnItemCollapsed(QTreeWidgetItem* pItem);
    void AddPlaceholder(QTreeWidgetItem* pItem);
    // A new item, in no tree yet, reading strText with the icon of its kind.
    QTreeWidgetItem* NewItem(const QString& strText, bool bFolder) const;

    bool m_bShowFiles = false;  // set by each ShowFolder
    // Icons are looked up once per kind, not per path: with 20,000 entries
    // a lookup per path (a stat, and on desktops whose icon theme sniffs
    // file types, a read) costs more than the listing, and all stored files
    // end in ".$" alike. Icons are decoration only.
    QIcon m_iconFolder;  // with the theme's open folder for a selected one
    QIcon m_iconFile;
};

// Puts a CContentsTree in place of the plain tree control
// RES_ID_CONTENTS_TREE below pRoot: same parent, rectangle, object name,
// frame and place in the tab order. Returns the new tree, or nullptr when
// there is no such control.
CContentsTree* InstallContentsTree(QWidget* pRoot);

}  // namespace quovex
