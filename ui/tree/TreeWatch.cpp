#include "TreeWatch.h"

#include <QApplication>
#include <QSet>
#include <QTreeWidgetItemIterator>

#include "ContentsTree.h"

namespace quovex {

CTreeWatch::CTreeWatch(CContentsTree* pTree, std::function<bool()> fnBusy)
    : QObject(pTree), m_pTree(pTree), m_fnBusy(std::move(fnBusy)) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(DEFAULT_DELAY_MS);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &CTreeWatch::OnChanged);
    connect(&m_timer, &QTimer::timeout, this, &CTreeWatch::OnQuiet);
    // The tree's own handlers, connected first, have listed or emptied the
    // folder by the time these run.
    connect(pTree, &QTreeWidget::itemExpanded, this, &CTreeWatch::Rewatch);
    connect(pTree, &QTreeWidget::itemCollapsed, this, &CTreeWatch::Rewatch);
    connect(pTree, &CContentsTree::FolderShown, this, &CTreeWatch::Rewatch);
}

void CTreeWatch::Rewatch() {
    QSet<QString> wanted;
    if (QTreeWidgetItem* pRoot = m_pTree->topLevelItem(0)) {
        wanted.insert(m_pTree->GetItemPath(pRoot));
        for (QTreeWidgetItemIterator it(pRoot); *it; ++it) {
            if ((*it)->isExpanded()) wanted.insert(m_pTree->GetItemPath(*it));
        }
    }
    QStringList vGone;
    for (const QString& strPath : m_watcher.directories()) {
        if (!wanted.remove(strPath)) vGone << strPath;
    }
    if (!vGone.isEmpty()) m_watcher.removePaths(vGone);
    // A folder that cannot be watched (gone meanwhile, or out of inotify
    // watches) is simply not followed: F5 still shows it afresh.
    if (!wanted.isEmpty()) m_watcher.addPaths(QStringList(wanted.begin(), wanted.end()));
}

void CTreeWatch::OnChanged() {
    // Every change starts the wait again: a sync engine writes a temporary
    // file, then renames it, often many files in a row.
    m_timer.start();
}

bool CTreeWatch::MayRefresh() const {
    // A modal window other than the tree's own (which tests run modal) is a
    // dialog over it.
    const QWidget* pModal = QApplication::activeModalWidget();
    return (!pModal || pModal == m_pTree->window()) && !QApplication::activePopupWidget() &&
           !(m_fnBusy && m_fnBusy());
}

void CTreeWatch::OnQuiet() {
    if (!MayRefresh()) {
        m_timer.start();
        return;
    }
    m_pTree->ShowAfresh();
    Rewatch();
    emit Refreshed();
}

}  // namespace quovex
