// The contents tree of the main window (control 1003): the folder of one
// box, read from disk level by level as folders are expanded. Its single
// root item reads the folder's full path; every other item reads its own
// name. Children of an item are listed folders first, then files, in the
// order of SortFolderEntries. Symbolic links are passed over, and so are
// names that do not decode to text (their item could not name them).
// Everything runs on the interface thread except where said otherwise.
//
// A find narrows the tree to the names that hold a text (SetFindText); while
// it is shown, showing the folder afresh finds again.
//
// In a vault that hides its names (SetVault) every item below the root
// reads its plain name and keeps its on-disk name beside it: paths
// (GetItemPath, FindPathItem) are on-disk paths, and only the texts are
// plain.
#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>
#include <QTreeWidget>
#include <memory>
#include <string>
#include <vector>

class QContextMenuEvent;
class QKeyEvent;
class QMouseEvent;

namespace quovex {

class CFindRunner;
class CVaultEnv;
class CVaultKey;
struct CFoundItem;

class CContentsTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit CContentsTree(QWidget* pParent = nullptr);
    // Supersedes any find still running and waits for its walk to end.
    ~CContentsTree() override;

    // Discards every item and shows strRootFolder (made absolute) as the
    // one root item, filled with the folder's children and left expanded;
    // files are listed only when bShowFiles is set. Returns false, with the
    // tree left empty, when strRootFolder is empty or not an existing
    // folder. Item labels can never be edited. Any
    // thread: from another thread the call is carried to the interface
    // thread, which must be running an event loop, and returns when done.
    bool ShowFolder(const QString& strRootFolder, bool bShowFiles);

    // The key and file system of the open vault, whose names the tree opens
    // when the key says they are hidden (read at every listing, so a lock
    // or another location needs no call). pKey must outlive the tree or be
    // replaced; null: names are shown as they are on disk.
    void SetVault(const CVaultKey* pKey, CVaultEnv* pEnv);

    // The full path of pItem, rebuilt from the on-disk names of the item
    // and its ancestors, with no trailing separator (the root item gives
    // the root folder). "" for nullptr.
    QString GetItemPath(const QTreeWidgetItem* pItem) const;
    // The on-disk name of pItem: its text, unless the names are hidden or
    // it is a stored file of several versions (then its newest's).
    static QString DiskNameOf(const QTreeWidgetItem* pItem);
    // The on-disk names of the versions of the stored file pItem shows, the
    // oldest first; empty unless it has several. A stored file of several
    // versions (two machines stored it while apart, a sync engine's conflict
    // copies) is one item, reading "a.doc.$（2 个版本）".
    static QStringList VersionNamesOf(const QTreeWidgetItem* pItem);

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
    // While a find is shown, makes the find again instead. Nothing when the
    // tree is empty. Interface thread.
    void ShowAfresh();

    // Find (ContentsTreeFind.cpp). A text other than "" narrows the tree to
    // the items below the root whose names hold it (NameHoldsText: ASCII
    // letters without regard to case), with the folders that lead to them
    // open. The root's whole tree is read (ListBelow) on a pool thread when
    // a find begins and again whenever the tree is shown afresh (ShowFolder,
    // ShowAfresh); each text searches that reading (CFindRunner), and the
    // result replaces the items shown when it comes back, unless a newer
    // find or "" was set meanwhile (each text supersedes the ones before). A found folder with
    // nothing found below it opens as any folder does. "" shows the whole tree again as it was
    // before the find began: its open folders and selection as ShowAfresh restores them. The same
    // text again does nothing. Interface thread.
    void SetFindText(const QString& strText);
    const QString& FindText() const { return m_strFindText; }
    // The first item, in tree order, whose own name holds the find's text,
    // or nullptr (no find shown, or nothing found).
    QTreeWidgetItem* FirstFoundItem() const;
    // Whether the find shown found pItem by its own name.
    static bool IsFoundItem(const QTreeWidgetItem* pItem);
    // What the root shows, in an item that cannot be selected, when a find
    // found nothing.
    static QString NothingFoundText();

    // The item that shows the absolute path strPath (cleaned as
    // QDir::cleanPath does), or nullptr when none does (an item inside a
    // closed folder included).
    QTreeWidgetItem* FindPathItem(const QString& strPath) const;

    // The item the commands act on: the first selected one, or nullptr when
    // none is selected.
    QTreeWidgetItem* SelectedItem() const;

signals:
    // A command of the context menu (menu 140) was chosen for the current
    // item; nCommandId is RES_CMD_OPEN or one of RES_CMD_RESTORE ...
    // RES_CMD_PROPERTIES.
    void CommandChosen(int nCommandId);
    // The result of the find that SetFindText started as nGeneration is now
    // shown (a count of finds, from 1).
    void FoundShown(int nGeneration);
    // ShowFolder or ShowAfresh has listed the root folder anew.
    void FolderShown();

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
    // Delete with an item selected chooses RES_CMD_DELETE, as the context
    // menu's "删除" does.
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    // What ShowAfresh brings back: the open folders (tree order), the
    // selected item's path and the scroll position.
    struct CViewState {
        bool bRootOpen = true;
        QStringList vOpen;
        QString strSelected;
        int nScroll = 0;
    };
    CViewState CaptureView() const;
    // Opens and selects again what view names, in the tree just listed.
    void RestoreView(const CViewState& view);

    bool ShowFolderHere(const QString& strRootFolder, bool bShowFiles);
    // Lists the whole of strRoot, an existing folder's absolute and clean
    // path ("" leaves the tree empty and returns false).
    bool ListRoot(const QString& strRoot, bool bShowFiles);
    void StartFind();
    void ShowFound(int nGeneration, CFoundItem&& found);
    // Whether a find put pItem's children there (they stay when it closes).
    static bool IsListedByFind(const QTreeWidgetItem* pItem);
    void AddFoundChildren(QTreeWidgetItem* pParent, CFoundItem& found,
                          QList<QTreeWidgetItem*>* pvOpen);
    void OnItemExpanded(QTreeWidgetItem* pItem);
    void OnItemCollapsed(QTreeWidgetItem* pItem);
    void AddPlaceholder(QTreeWidgetItem* pItem);
    // A new item, in no tree yet, reading strText with the icon of its kind.
    QTreeWidgetItem* NewItem(const QString& strText, bool bFolder) const;
    // A new item for an entry whose on-disk name strDisk is not its text.
    QTreeWidgetItem* NewPlainItem(const QString& strText, const std::string& strDisk, bool bFolder,
                                  bool bUnreadable) const;
    bool NamesHidden() const;
    // Makes pItem the one item of the stored file whose versions lie in
    // strFolder under vDiskNames, shown as strShown ("a.doc.$").
    void MarkVersionsIn(QTreeWidgetItem* pItem, const QString& strShown, const QString& strFolder,
                        const std::vector<std::string>& vDiskNames) const;
    // The name a visible stored file of the on-disk name strName goes by
    // among versions: a conflict copy's is its original's.
    static QString VersionKeyText(const QString& strName);
    // A sync engine's conflict copy whose original is not beside it reads
    // as the original ("a.doc.$"), its on-disk name kept beside.
    static void ShowUnderOriginalName(QTreeWidgetItem* pItem);
    // FillItem where the names are hidden.
    void FillPlainItem(QTreeWidgetItem* pParent, const QString& strFolder);
    // The plain path in the vault of pItem ("FileBox/资料"), "" when a name
    // on its way is not known.
    std::string PlainPathOf(const QTreeWidgetItem* pItem) const;

    bool m_bShowFiles = false;  // set by each ShowFolder
    const CVaultKey* m_pKey = nullptr;
    CVaultEnv* m_pEnv = nullptr;
    // Icons are looked up once per kind, not per path: with 20,000 entries
    // a lookup per path (a stat, and on desktops whose icon theme sniffs
    // file types, a read) costs more than the listing, and all stored files
    // end in ".$" alike. Icons are decoration only.
    QIcon m_iconFolder;  // with the theme's open folder for a selected one
    QIcon m_iconFile;
    // What each icon shows, in words for a screen reader (translated once:
    // a box may hold tens of thousands of items).
    QString m_strFolderWord;
    QString m_strFileWord;
    QString m_strRoot;            // the root folder shown, absolute and clean; "" for none
    QString m_strFindText;        // "" when no find is shown
    CViewState m_viewBeforeFind;  // what "" brings back
    // Last, so that its walks end before anything they report to goes.
    std::unique_ptr<CFindRunner> m_pFind;
};

// Puts a CContentsTree in place of the plain tree control
// RES_ID_CONTENTS_TREE below pRoot: same parent, rectangle, object name,
// frame and place in the tab order. Returns the new tree, or nullptr when
// there is no such control.
CContentsTree* InstallContentsTree(QWidget* pRoot);

}  // namespace quovex
