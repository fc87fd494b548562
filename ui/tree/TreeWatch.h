// Keeps the contents tree in step with what others do to its folders: a
// sync engine bringing files stored on another machine (or its conflict
// copies), a file manager, a second window. The folders the tree shows
// open (its root and every expanded folder) are watched through
// QFileSystemWatcher; a while after the last change seen, the tree is shown
// afresh (CContentsTree::ShowAfresh: open folders and selection kept, a
// find made again). Interface thread.
//
// Never while the window is not free to change under the user: a modal
// dialog (a command holds items of the tree while it asks), a popup menu,
// or whatever fnBusy reports (a run). The refresh then waits for the next
// quiet moment, checked every delay.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <functional>

namespace quovex {

class CContentsTree;

class CTreeWatch : public QObject {
    Q_OBJECT
public:
    // pTree must outlive the watch; fnBusy may be empty.
    CTreeWatch(CContentsTree* pTree, std::function<bool()> fnBusy);

    // How long after the last change the tree is shown afresh.
    void SetDelay(int nMilliseconds) { m_timer.setInterval(nMilliseconds); }
    static constexpr int DEFAULT_DELAY_MS = 1000;

    // Watches the folders the tree shows open now, and no others.
    void Rewatch();
    // The folders watched, for tests.
    QStringList Watched() const { return m_watcher.directories(); }

signals:
    // The tree was shown afresh after changes on disk.
    void Refreshed();

private:
    void OnChanged();
    void OnQuiet();
    bool MayRefresh() const;

    CContentsTree* m_pTree;
    std::function<bool()> m_fnBusy;
    QFileSystemWatcher m_watcher;
    QTimer m_timer;
};

}  // namespace quovex
