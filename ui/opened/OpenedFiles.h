// The stored files the user opened with the desktop's applications: each
// restored into a private copy (COpenedCopies) and handed over, the copies
// watched, and their changes stored back when the user agrees; the copies
// a killed run left, offered at the login. Interface thread.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <memory>

class QTreeWidgetItem;
class QWidget;

namespace quovex {

class CContentsTree;
class COpenVault;
class COpenedCopies;
struct OpenedCopy;

class COpenedFiles : public QObject {
    Q_OBJECT
public:
    // vault: the open vault, whose key restores and stores back; when it
    // is about to move elsewhere, the copies are closed (CloseOpenedCopies).
    // pTree: the main window's contents tree, whose double-click and Enter
    // open a file (nullptr when the window has none). window: the main
    // window, over which the runs, questions and messages come; while it is
    // the only modal widget up, nothing else is going on. All outlive this
    // object.
    COpenedFiles(COpenVault& vault, CContentsTree* pTree, QWidget& window);
    // Closes the copies left as COpenedCopies::CloseAll does (a changed one
    // is kept for the next login), asking nothing.
    ~COpenedFiles() override;

    // "打开" on the tree's selected item: a stored file is opened
    // (OpenStoredFile), a folder expanded. A double-click or Enter on an
    // item does the same, except that a folder opens or closes.
    void OnOpen();
    // Restores strStored under the progress dialog into a copy in a folder
    // of its own and hands the copy to the desktop's application for its
    // type (QDesktopServices::openUrl). A stored file whose copy is there
    // already is handed over again as it is. What did not go through is
    // told as a restore tells it.
    void OpenStoredFile(const QString& strStored);
    // Asks of each copy changed since it was last settled "«name»
    // 已修改，存回保险柜吗？": Yes stores it back over its stored file
    // (StoreBackWorker) under the progress dialog, No leaves the stored
    // file as it is; either way that change is not asked about again.
    // Nothing while the vault is locked or such a question is up already.
    void AskAboutChangedCopies();
    // AskAboutChangedCopies, then deletes every copy: at the lock, at the
    // end, and before the vault moves to another location. A copy whose
    // change could not be stored back is kept for the next login instead.
    void CloseOpenedCopies();
    // At the login: takes over the copies of this vault that a killed
    // program left. When some of them changed, one question offers to
    // store those back (Yes) or not (No); then all of them are deleted.
    // Nothing while the vault is locked.
    void OfferLeftoverCopies();
    // Whether a question about changed copies is up: its answer decides
    // what becomes of a change, so nothing may cut it short.
    bool IsAskingAboutCopies() const { return m_bAskingAboutCopies; }
    // The file names of the copies open now, in the order they were opened.
    QStringList OpenCopyNames() const;

private:
    // A file item opens, a folder item expands (or with bToggle opens or closes).
    void ActivateItem(QTreeWidgetItem* pItem, bool bToggle);
    void HandOverCopy(const QString& strCopy);
    // Stores copy back under the progress dialog and tells what did not go
    // through; true when it is stored.
    bool StoreCopyBack(const OpenedCopy& copy);
    // A copy changed on disk: asked about once nothing else is going on.
    void OnCopiesTouched();
    // Whether nothing is going on: the vault open, no run, no question of
    // ours and no other dialog or menu up.
    bool IsFreeToAsk() const;

    COpenVault& m_vault;
    CContentsTree* m_pTree;
    QWidget& m_window;
    QTimer m_copiesTimer;  // a touched copy is looked at once it has settled
    std::unique_ptr<COpenedCopies> m_pCopies;
    bool m_bAskingAboutCopies = false;
};

}  // namespace quovex
