#include "ContentsTree.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTreeWidgetItemIterator>
#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "ConflictNames.h"
#include "DialogBuilder.h"
#include "FindRunner.h"
#include "FindWalk.h"
#include "FolderWalk.h"
#include "PathOrder.h"
#include "PathText.h"
#include "PlainNames.h"
#include "StoredVersions.h"
#include "TreeRoles.h"
#include "UiThread.h"
#include "VaultKey.h"
#include "VersionTexts.h"
#include "WaitCursor.h"

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(ContentsTree)
};

}  // namespace

namespace {

namespace fs = std::filesystem;

constexpr QChar SEPARATOR = QLatin1Char('/');

fs::path NativePath(const QString& strPath) {
    return fs::path(QFile::encodeName(strPath).toStdString());
}

// The name of a listed entry as text, or "" when its bytes do not survive
// the trip to text and back (an item for it could not name it).
QString DecodedName(const fs::directory_entry& entry) {
    const std::string strBytes = entry.path().filename().native();
    const QString strName = QFile::decodeName(QByteArray::fromStdString(strBytes));
    return QFile::encodeName(strName).toStdString() == strBytes ? strName : QString();
}

// Calls fn(strName, bFolder) for every entry of strFolder that the tree can
// show: no symbolic links, no undecodable names. fn returns false to stop.
// std::filesystem rather than QDirIterator: Qt hands out names already
// decoded, lossily, so an undecodable one could not be told apart.
template <class Fn>
void ForEachShowableEntry(const QString& strFolder, Fn&& fn) {
    std::error_code ec;
    fs::directory_iterator it(NativePath(strFolder), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        // The type the listing reported saves a stat per entry; the file
        // system is asked only where the listing did not tell. Links are
        // passed over first, so is_directory never looks through one.
        std::error_code ecType;
        if (it->is_symlink(ecType) || ecType) continue;
        const bool bFolder = it->is_directory(ecType);
        if (ecType) continue;
        const QString strName = DecodedName(*it);
        if (strName.isEmpty() || IsSyncEngineName(it->path().filename().native())) continue;
        if (!fn(strName, bFolder)) return;
    }
}

// The icon of a folder: the provider's, with the theme's open folder (where
// it has one) for a selected folder.
QIcon FolderIcon(const QFileIconProvider& provider) {
    const QIcon icon = provider.icon(QAbstractFileIconProvider::Folder);
    const QIcon open = QIcon::fromTheme(QStringLiteral("folder-open"));
    if (open.isNull()) return icon;
    QIcon combined;
    for (QSize size : {QSize(16, 16), QSize(32, 32)}) {
        combined.addPixmap(icon.pixmap(size), QIcon::Normal);
        combined.addPixmap(open.pixmap(size), QIcon::Selected);
    }
    return combined;
}

// The on-disk names vNames of the versions of one stored file in strFolder,
// the oldest first (ReadStoredVersions).
QByteArrayList OrderedVersions(const QString& strFolder, const std::vector<std::string>& vNames,
                               const CVaultKey* pKey, CVaultEnv* pEnv) {
    const std::string strDisk = QFile::encodeName(strFolder).toStdString();
    std::vector<std::string> vPaths;
    for (const std::string& strName : vNames) vPaths.push_back(JoinPath(strDisk, strName));
    QByteArrayList vOrdered;
    for (const StoredVersion& version : ReadStoredVersions(vPaths, pKey, pEnv))
        vOrdered << QByteArray::fromStdString(LastComponent(version.strDisk));
    return vOrdered;
}

// Makes pItem the one item of a stored file of the versions vOrdered, shown
// as strName ("a.doc.$"): the commands act on the newest.
void MarkVersions(QTreeWidgetItem* pItem, const QString& strName, const QByteArrayList& vOrdered) {
    pItem->setText(0, VersionsItemText(strName, static_cast<int>(vOrdered.size())));
    pItem->setData(0, ROLE_DISK, vOrdered.back());
    pItem->setData(0, ROLE_VERSIONS, QVariant::fromValue(vOrdered));
}

// The name a visible stored file's versions go by: a conflict copy's is
// its original's, any other name its own.
std::string VersionKeyOf(const CFolderEntry& entry) {
    ConflictCopyName copy;
    if (entry.m_bFolder || !ReadConflictCopyName(entry.m_strName, &copy) ||
        !IsStoredFileName(copy.strOriginal))
        return entry.m_strName;
    return copy.strOriginal;
}

}  // namespace

CContentsTree::CContentsTree(QWidget* pParent) : QTreeWidget(pParent) {
    const QFileIconProvider provider;
    m_iconFolder = FolderIcon(provider);
    m_iconFile = provider.icon(QAbstractFileIconProvider::File);
    m_strFolderWord = Words::tr("文件夹");
    m_strFileWord = Words::tr("已存文件");
    setHeaderHidden(true);
    setColumnCount(1);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(16, 16));
    connect(this, &QTreeWidget::itemExpanded, this, &CContentsTree::OnItemExpanded);
    connect(this, &QTreeWidget::itemCollapsed, this, &CContentsTree::OnItemCollapsed);
    m_pFind = std::make_unique<CFindRunner>(
        [this](int nGeneration, CFoundItem&& found) { ShowFound(nGeneration, std::move(found)); });
}

CContentsTree::~CContentsTree() = default;

void CContentsTree::SetVault(const CVaultKey* pKey, CVaultEnv* pEnv) {
    m_pKey = pKey;
    m_pEnv = pEnv;
}

bool CContentsTree::NamesHidden() const {
    return m_pKey && m_pEnv && m_pKey->NamesHidden();
}

bool CContentsTree::ShowFolder(const QString& strRootFolder, bool bShowFiles) {
    bool bShown = false;
    RunOnObjectThread(this, [&] {
        bShown = ShowFolderHere(strRootFolder, bShowFiles);
        emit FolderShown();
    });
    return bShown;
}

bool CContentsTree::ShowFolderHere(const QString& strRootFolder, bool bShowFiles) {
    // Made absolute, so that every item's path is a full one. The walk may
    // start from a folder reached through a link.
    QString strRoot;
    if (!strRootFolder.isEmpty())
        strRoot = QDir::cleanPath(QFileInfo(strRootFolder).absoluteFilePath());
    if (!strRoot.isEmpty() && !QFileInfo(strRoot).isDir()) strRoot.clear();
    // Whatever the folder, it is read afresh.
    m_pFind->Forget();
    if (m_strFindText.isEmpty() || strRoot.isEmpty()) {
        if (strRoot.isEmpty()) m_pFind->Cancel();
        return ListRoot(strRoot, bShowFiles);
    }
    // A find is shown: it is made again, the items shown staying until its
    // result comes. Another folder starts from its root alone, and that is
    // what clearing the find brings back.
    if (strRoot != m_strRoot || bShowFiles != m_bShowFiles) {
        clear();
        m_bShowFiles = bShowFiles;
        m_strRoot = strRoot;
        InsertPathItem(nullptr, strRoot);
        m_viewBeforeFind = CViewState();
    }
    StartFind();
    return true;
}

bool CContentsTree::ListRoot(const QString& strRoot, bool bShowFiles) {
    clear();
    m_bShowFiles = bShowFiles;
    m_strRoot = strRoot;
    if (strRoot.isEmpty()) return false;
    QTreeWidgetItem* pRoot = InsertPathItem(nullptr, strRoot);
    FillItem(pRoot, strRoot);
    // The root is filled already: expanding it must not list it again.
    const QSignalBlocker blocker(this);
    pRoot->setExpanded(true);
    return true;
}

QString CContentsTree::DiskNameOf(const QTreeWidgetItem* pItem) {
    const QVariant disk = pItem->data(0, ROLE_DISK);
    return disk.isValid() ? QFile::decodeName(disk.toByteArray()) : pItem->text(0);
}

QStringList CContentsTree::VersionNamesOf(const QTreeWidgetItem* pItem) {
    QStringList vNames;
    if (!pItem) return vNames;
    for (const QByteArray& name : pItem->data(0, ROLE_VERSIONS).value<QByteArrayList>())
        vNames << QFile::decodeName(name);
    return vNames;
}

QString CContentsTree::GetItemPath(const QTreeWidgetItem* pItem) const {
    QStringList texts;
    for (; pItem; pItem = pItem->parent()) texts.prepend(DiskNameOf(pItem));
    // The root's text is a clean path and the others are listed names, so
    // cleaning only drops the doubled separator after a root of "/".
    return QDir::cleanPath(texts.join(SEPARATOR));
}

std::string CContentsTree::PlainPathOf(const QTreeWidgetItem* pItem) const {
    std::vector<std::string> vNames;
    for (; pItem && pItem->parent(); pItem = pItem->parent()) {
        if (pItem->data(0, ROLE_UNREADABLE).toBool()) return {};
        vNames.push_back(pItem->text(0).toStdString());
    }
    // The root reads the box folder's whole path; its plain path is its name.
    if (!pItem) return {};
    std::string strPlain = QFile::encodeName(QFileInfo(pItem->text(0)).fileName()).toStdString();
    for (auto it = vNames.rbegin(); it != vNames.rend(); ++it)
        strPlain = PlainChildPath(strPlain, *it);
    return strPlain;
}

void CContentsTree::MarkVersionsIn(QTreeWidgetItem* pItem, const QString& strShown,
                                   const QString& strFolder,
                                   const std::vector<std::string>& vDiskNames) const {
    MarkVersions(pItem, strShown, OrderedVersions(strFolder, vDiskNames, m_pKey, m_pEnv));
}

void CContentsTree::ShowUnderOriginalName(QTreeWidgetItem* pItem) {
    const QString strName = pItem->text(0);
    const QString strOriginal = VersionKeyText(strName);
    if (strOriginal == strName) return;
    pItem->setText(0, strOriginal);
    pItem->setData(0, ROLE_DISK, QFile::encodeName(strName));
}

QString CContentsTree::VersionKeyText(const QString& strName) {
    return QString::fromStdString(VersionKeyOf(CFolderEntry{strName.toStdString(), false}));
}

void CContentsTree::FillPlainItem(QTreeWidgetItem* pParent, const QString& strFolder) {
    const CPlainNames names(m_pKey, m_pEnv);
    std::vector<PlainEntry> vEntries;
    names.List(QFile::encodeName(strFolder).toStdString(), PlainPathOf(pParent), &vEntries);
    // A stored file of several versions is one item, at its first version.
    std::map<std::string, QByteArrayList> versions;
    std::set<std::string> passed;
    for (const VersionGroup& group : GroupVersions(vEntries)) {
        versions[group.vDiskNames.front()] =
            OrderedVersions(strFolder, group.vDiskNames, m_pKey, m_pEnv);
        passed.insert(group.vDiskNames.begin() + 1, group.vDiskNames.end());
    }
    // Folders first, then files, each by its plain name (an unreadable one
    // by the text it reads, after every readable one).
    std::vector<std::pair<std::vector<PathUnit>, std::size_t>> vKeyed;
    for (std::size_t i = 0; i < vEntries.size(); ++i) {
        if (vEntries[i].kind != EntryKind::ENTRY_FOLDER && !m_bShowFiles) continue;
        if (passed.count(vEntries[i].strDisk)) continue;
        std::vector<PathUnit> key = PathSortKey(vEntries[i].strPlain);
        if (vEntries[i].nState == PlainState::PLAIN_UNREADABLE) key.assign(1, PATH_UNIT_UNREADABLE);
        vKeyed.emplace_back(std::move(key), i);
    }
    std::stable_sort(vKeyed.begin(), vKeyed.end(), [&](const auto& a, const auto& b) {
        const bool bFolderA = vEntries[a.second].kind == EntryKind::ENTRY_FOLDER;
        const bool bFolderB = vEntries[b.second].kind == EntryKind::ENTRY_FOLDER;
        if (bFolderA != bFolderB) return bFolderA;
        return a.first < b.first;
    });
    const CWaitCursor waitCursor;
    setUpdatesEnabled(false);
    const QDir folder(strFolder);
    QList<QTreeWidgetItem*> vItems;
    vItems.reserve(static_cast<qsizetype>(vKeyed.size()));
    for (const auto& keyed : vKeyed) {
        const PlainEntry& entry = vEntries[keyed.second];
        const bool bFolder = entry.kind == EntryKind::ENTRY_FOLDER;
        const bool bUnreadable = entry.nState == PlainState::PLAIN_UNREADABLE;
        // A stored file reads as in a vault whose names are visible: "a.doc.$".
        const QString strText =
            bUnreadable ? UnreadableNameText()
                        : QString::fromStdString(entry.strPlain) +
                              (bFolder ? QString() : QString::fromLatin1(STORED_SUFFIX));
        QTreeWidgetItem* pItem = NewPlainItem(strText, entry.strDisk, bFolder, bUnreadable);
        if (const auto it = versions.find(entry.strDisk); it != versions.end())
            MarkVersions(pItem, strText, it->second);
        if (bFolder &&
            HasListableChildren(folder.filePath(QFile::decodeName(entry.strDisk.c_str()))))
            AddPlaceholder(pItem);
        vItems.append(pItem);
    }
    pParent->addChildren(vItems);
    setUpdatesEnabled(true);
}

QTreeWidgetItem* CContentsTree::NewPlainItem(const QString& strText, const std::string& strDisk,
                                             bool bFolder, bool bUnreadable) const {
    QTreeWidgetItem* pItem = NewItem(strText, bFolder);
    pItem->setData(0, ROLE_DISK, QByteArray::fromStdString(strDisk));
    if (bUnreadable) pItem->setData(0, ROLE_UNREADABLE, true);
    return pItem;
}

void CContentsTree::FillItem(QTreeWidgetItem* pParent, const QString& strFolder) {
    if (NamesHidden()) {
        FillPlainItem(pParent, strFolder);
        return;
    }
    std::vector<CFolderEntry> entries;
    ForEachShowableEntry(strFolder, [&](const QString& strName, bool bFolder) {
        if (bFolder || m_bShowFiles) entries.push_back({strName.toStdString(), bFolder});
        return true;
    });
    SortFolderEntries(&entries);
    // A stored file and its conflict copies are one item, at the first of them.
    std::map<std::string, std::vector<std::string>> byKey;
    for (const CFolderEntry& entry : entries)
        if (!entry.m_bFolder) byKey[VersionKeyOf(entry)].push_back(entry.m_strName);

    const CWaitCursor waitCursor;
    setUpdatesEnabled(false);
    const QDir folder(strFolder);
    // The items are handed to the parent all at once: the model then
    // announces one insertion rather than one per entry.
    QList<QTreeWidgetItem*> vItems;
    vItems.reserve(static_cast<qsizetype>(entries.size()));
    for (const CFolderEntry& entry : entries) {
        const QString strName = QString::fromStdString(entry.m_strName);
        const std::vector<std::string>* pVersions =
            entry.m_bFolder ? nullptr : &byKey[VersionKeyOf(entry)];
        if (pVersions && pVersions->size() > 1 && pVersions->front() != entry.m_strName) continue;
        QTreeWidgetItem* pItem = NewItem(strName, entry.m_bFolder);
        if (pVersions && pVersions->size() > 1)
            MarkVersions(pItem, QString::fromStdString(VersionKeyOf(entry)),
                         OrderedVersions(strFolder, *pVersions, m_pKey, m_pEnv));
        else if (pVersions)
            ShowUnderOriginalName(pItem);
        if (entry.m_bFolder && HasListableChildren(folder.filePath(strName))) AddPlaceholder(pItem);
        vItems.append(pItem);
    }
    pParent->addChildren(vItems);
    setUpdatesEnabled(true);
}

QTreeWidgetItem* CContentsTree::NewItem(const QString& strText, bool bFolder) const {
    auto* pItem = new QTreeWidgetItem(QStringList(strText));
    pItem->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    pItem->setIcon(0, bFolder ? m_iconFolder : m_iconFile);
    // What the icon shows, for a screen reader: the text says only the name.
    pItem->setData(0, Qt::AccessibleDescriptionRole, bFolder ? m_strFolderWord : m_strFileWord);
    return pItem;
}

QTreeWidgetItem* CContentsTree::InsertPathItem(QTreeWidgetItem* pParent, const QString& strPath) {
    const QFileInfo info(QDir::cleanPath(strPath));
    QTreeWidgetItem* pItem = NewItem(pParent ? info.fileName() : info.filePath(), info.isDir());
    if (pParent) {
        pParent->addChild(pItem);
    } else {
        addTopLevelItem(pItem);
    }
    return pItem;
}

bool CContentsTree::HasListableChildren(const QString& strFolder) const {
    bool bFound = false;
    ForEachShowableEntry(strFolder, [&](const QString& strName, bool bFolder) {
        bFound = bFolder || (m_bShowFiles && !strName.startsWith(QLatin1Char('.')));
        return !bFound;
    });
    return bFound;
}

void CContentsTree::RefreshItem(QTreeWidgetItem* pItem) {
    qDeleteAll(pItem->takeChildren());
    FillItem(pItem, GetItemPath(pItem));
}

void CContentsTree::ShowAfresh() {
    if (!topLevelItem(0)) return;
    if (!m_strFindText.isEmpty()) {
        m_pFind->Forget();
        StartFind();
        return;
    }
    const CViewState view = CaptureView();
    ShowFolderHere(m_strRoot, m_bShowFiles);
    RestoreView(view);
    emit FolderShown();
}

CContentsTree::CViewState CContentsTree::CaptureView() const {
    CViewState view;
    QTreeWidgetItem* pRoot = topLevelItem(0);
    if (!pRoot) return view;
    view.bRootOpen = pRoot->isExpanded();
    // Tree order: every folder before the folders inside it.
    for (QTreeWidgetItemIterator it(pRoot); *it; ++it) {
        if (*it != pRoot && (*it)->isExpanded()) view.vOpen << GetItemPath(*it);
    }
    view.strSelected = GetItemPath(currentItem());
    view.nScroll = verticalScrollBar()->value();
    return view;
}

void CContentsTree::RestoreView(const CViewState& view) {
    QTreeWidgetItem* pRoot = topLevelItem(0);
    if (!pRoot) return;
    for (const QString& strPath : view.vOpen) {
        if (QTreeWidgetItem* pItem = FindPathItem(strPath)) pItem->setExpanded(true);
    }
    if (!view.bRootOpen) pRoot->setExpanded(false);
    // The walk up ends at the root at the latest, which is always there.
    QTreeWidgetItem* pSelected = nullptr;
    QString strSelected = view.strSelected;
    while (!strSelected.isEmpty() && !pSelected) {
        pSelected = FindPathItem(strSelected);
        const QString strParent = QFileInfo(strSelected).path();
        strSelected = strParent == strSelected ? QString() : strParent;
    }
    if (pSelected) setCurrentItem(pSelected);
    verticalScrollBar()->setValue(view.nScroll);
}

QTreeWidgetItem* CContentsTree::SelectedItem() const {
    const QList<QTreeWidgetItem*> vSelected = selectedItems();
    return vSelected.isEmpty() ? nullptr : vSelected.front();
}

QTreeWidgetItem* CContentsTree::FindPathItem(const QString& strPath) const {
    QTreeWidgetItem* pItem = topLevelItem(0);
    if (!pItem) return nullptr;
    if (!QDir::isAbsolutePath(strPath)) return nullptr;
    const QString strRelative = QDir(pItem->text(0)).relativeFilePath(strPath);
    if (strRelative == QLatin1String(".")) return pItem;
    if (strRelative == QLatin1String("..") || strRelative.startsWith(QLatin1String("../")))
        return nullptr;
    for (const QString& strName : strRelative.split(SEPARATOR)) {
        QTreeWidgetItem* pChild = nullptr;
        for (int i = 0; i < pItem->childCount() && !pChild; ++i) {
            if (DiskNameOf(pItem->child(i)) == strName) pChild = pItem->child(i);
        }
        if (!pChild) return nullptr;
        pItem = pChild;
    }
    return pItem;
}

void CContentsTree::OnItemExpanded(QTreeWidgetItem* pItem) {
    // A folder whose children a find put there keeps them: listing it
    // would show everything it holds.
    if (IsListedByFind(pItem)) return;
    RefreshItem(pItem);
}

void CContentsTree::OnItemCollapsed(QTreeWidgetItem* pItem) {
    if (IsListedByFind(pItem)) return;
    // Children live only while their parent is open; the placeholder keeps
    // the folder expandable.
    qDeleteAll(pItem->takeChildren());
    AddPlaceholder(pItem);
}

void CContentsTree::AddPlaceholder(QTreeWidgetItem* pItem) {
    auto* pPlaceholder = new QTreeWidgetItem(pItem);
    pPlaceholder->setFlags(Qt::NoItemFlags);
}

void CContentsTree::ShowContextMenu(const QPoint& ptGlobal) {
    const std::unique_ptr<QMenu> pMenu(BuildPopupMenu(RES_MENU_CONTEXT, 0, this));
    if (!pMenu) return;
    // Every command acts on the selected item, and only with one.
    const bool bSelected = !selectedItems().isEmpty();
    for (QAction* pAction : pMenu->actions()) pAction->setEnabled(bSelected);
    if (const QAction* pChosen = pMenu->exec(ptGlobal)) {
        bool bOk = false;
        const int nCommandId = pChosen->objectName().toInt(&bOk);
        if (bOk) emit CommandChosen(nCommandId);
    }
}

void CContentsTree::mousePressEvent(QMouseEvent* pEvent) {
    if (pEvent->button() != Qt::RightButton) {
        QTreeWidget::mousePressEvent(pEvent);
        return;
    }
    pEvent->accept();
    const QPoint pt = pEvent->position().toPoint();
    QTreeWidgetItem* pItem = itemAt(pt);
    if (!pItem) return;
    setFocus(Qt::MouseFocusReason);
    setCurrentItem(pItem);
    ShowContextMenu(viewport()->mapToGlobal(pt));
}

void CContentsTree::contextMenuEvent(QContextMenuEvent* pEvent) {
    pEvent->accept();
}

void CContentsTree::keyPressEvent(QKeyEvent* pEvent) {
    const bool bPlain = (pEvent->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (pEvent->key() == Qt::Key_Delete && bPlain && !selectedItems().isEmpty()) {
        pEvent->accept();
        emit CommandChosen(RES_CMD_DELETE);
        return;
    }
    QTreeWidget::keyPressEvent(pEvent);
}

CContentsTree* InstallContentsTree(QWidget* pRoot) {
    auto* pOld = FindControl<QTreeWidget>(pRoot, RES_ID_CONTENTS_TREE);
    if (!pOld) return nullptr;
    auto* pTree = new CContentsTree(pOld->parentWidget());
    pTree->setObjectName(pOld->objectName());
    pTree->setGeometry(pOld->geometry());
    pTree->setFont(pOld->font());
    pTree->setFrameStyle(pOld->frameStyle());
    pTree->setFocusPolicy(pOld->focusPolicy());
    pTree->stackUnder(pOld);
    QWidget::setTabOrder(pOld, pTree);
    delete pOld;
    return pTree;
}

}  // namespace quovex
