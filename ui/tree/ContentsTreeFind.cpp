// The find of the contents tree: the whole tree narrowed to what holds a
// text, and back. Interface thread.
#include <QCoreApplication>
#include <QSignalBlocker>
#include <QTreeWidgetItemIterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ContentsTree.h"
#include "FindRunner.h"
#include "PlainNames.h"
#include "TreeRoles.h"

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(ContentsTreeFind)
};

}  // namespace

namespace {

// What a find made of an item, kept in its data (ROLE_FOUND).
constexpr int FOUND_MATCH = 1;   // its own name holds the text
constexpr int FOUND_LISTED = 2;  // its children came from the find

}  // namespace

QString CContentsTree::NothingFoundText() {
    return Words::tr("没有找到");
}

bool CContentsTree::IsListedByFind(const QTreeWidgetItem* pItem) {
    return pItem->data(0, ROLE_FOUND).toInt() & FOUND_LISTED;
}

void CContentsTree::SetFindText(const QString& strText) {
    if (strText == m_strFindText) return;
    const bool bWasFinding = !m_strFindText.isEmpty();
    m_strFindText = strText;
    if (strText.isEmpty()) {
        m_pFind->Cancel();
        if (m_strRoot.isEmpty()) return;
        ShowFolderHere(m_strRoot, m_bShowFiles);
        RestoreView(m_viewBeforeFind);
        return;
    }
    if (!bWasFinding) {
        m_viewBeforeFind = CaptureView();
        m_pFind->Forget();  // a find begins with the box as it is now
    }
    StartFind();
}

void CContentsTree::StartFind() {
    if (m_strRoot.isEmpty()) {
        m_pFind->Cancel();
        return;
    }
    std::shared_ptr<const CPlainNames> pNames;
    if (NamesHidden()) pNames = std::make_shared<const CPlainNames>(m_pKey, m_pEnv);
    m_pFind->Start(m_strRoot, m_strFindText, m_bShowFiles, std::move(pNames));
}

void CContentsTree::ShowFound(int nGeneration, CFoundItem&& found) {
    // The result belongs to the root it was asked for; ShowFolder moves on
    // to another root only with a newer find.
    const QString strSelected = GetItemPath(currentItem());
    setUpdatesEnabled(false);
    clear();
    // Built whole before it enters the tree: the model then announces one
    // insertion, not one per item.
    QTreeWidgetItem* pRoot = NewItem(found.m_strName, true);
    pRoot->setData(0, ROLE_FOUND, FOUND_LISTED);
    QList<QTreeWidgetItem*> vOpen{pRoot};
    AddFoundChildren(pRoot, found, &vOpen);
    if (found.m_vChildren.empty()) {
        // Said, not left to an empty tree: a find that found nothing.
        auto* pNone = new QTreeWidgetItem(pRoot, QStringList(NothingFoundText()));
        pNone->setFlags(Qt::NoItemFlags);
    }
    addTopLevelItem(pRoot);
    {
        const QSignalBlocker blocker(this);
        for (QTreeWidgetItem* pItem : vOpen) pItem->setExpanded(true);
    }
    // The item the user had selected stays so while it is still found.
    if (QTreeWidgetItem* pSelected = strSelected.isEmpty() ? nullptr : FindPathItem(strSelected))
        setCurrentItem(pSelected);
    setUpdatesEnabled(true);
    emit FoundShown(nGeneration);
}

void CContentsTree::AddFoundChildren(QTreeWidgetItem* pParent, CFoundItem& found,
                                     QList<QTreeWidgetItem*>* pvOpen) {
    // The versions of a stored file found are one item, as in the tree, at
    // the first of them: its shown name (the original's, for a conflict copy
    // under visible names) and the on-disk names of them all.
    std::map<QString, std::vector<std::string>> versions;
    const auto fnKey = [&](const CFoundItem& child) {
        return child.m_bFolder || child.m_bUnreadable ? QString()
               : child.m_strDisk.empty()              ? VersionKeyText(child.m_strName)
                                                      : child.m_strName;
    };
    for (const CFoundItem& child : found.m_vChildren) {
        if (const QString strKey = fnKey(child); !strKey.isEmpty())
            versions[strKey].push_back(child.m_strDisk.empty() ? child.m_strName.toStdString()
                                                               : child.m_strDisk);
    }
    QList<QTreeWidgetItem*> vItems;
    vItems.reserve(static_cast<qsizetype>(found.m_vChildren.size()));
    for (CFoundItem& child : found.m_vChildren) {
        const QString strKey = fnKey(child);
        const std::vector<std::string>* pVersions = strKey.isEmpty() ? nullptr : &versions[strKey];
        const std::string strDisk =
            child.m_strDisk.empty() ? child.m_strName.toStdString() : child.m_strDisk;
        if (pVersions && pVersions->size() > 1 && pVersions->front() != strDisk) continue;
        QTreeWidgetItem* pItem = child.m_strDisk.empty()
                                     ? NewItem(child.m_strName, child.m_bFolder)
                                     : NewPlainItem(child.m_strName, child.m_strDisk,
                                                    child.m_bFolder, child.m_bUnreadable);
        if (pVersions && pVersions->size() > 1)
            MarkVersionsIn(pItem, strKey, GetItemPath(pParent), *pVersions);
        else if (pVersions && child.m_strDisk.empty())
            ShowUnderOriginalName(pItem);
        int nFound = child.m_bMatch ? FOUND_MATCH : 0;
        if (!child.m_vChildren.empty()) {
            nFound |= FOUND_LISTED;
            AddFoundChildren(pItem, child, pvOpen);
            pvOpen->append(pItem);
        } else if (child.m_bHasChildren) {
            AddPlaceholder(pItem);
        }
        if (nFound) pItem->setData(0, ROLE_FOUND, nFound);
        vItems.append(pItem);
    }
    pParent->addChildren(vItems);
}

bool CContentsTree::IsFoundItem(const QTreeWidgetItem* pItem) {
    return pItem && pItem->data(0, ROLE_FOUND).toInt() & FOUND_MATCH;
}

QTreeWidgetItem* CContentsTree::FirstFoundItem() const {
    if (m_strFindText.isEmpty()) return nullptr;
    QTreeWidgetItem* pRoot = topLevelItem(0);
    if (!pRoot) return nullptr;
    for (QTreeWidgetItemIterator it(pRoot); *it; ++it) {
        if (IsFoundItem(*it)) return *it;
    }
    return nullptr;
}

}  // namespace quovex
