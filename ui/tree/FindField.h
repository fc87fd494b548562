// The find field above the contents tree: a plain line edit (placeholder
// "查找") whose every change of text goes to the tree's SetFindText.
// Escape in it, while it holds text, empties it, which shows the whole tree
// again; in an empty field it ends the window as anywhere else. Enter moves
// to the tree, selecting the first item found unless a found one is
// selected, and never reaches the window. Interface thread.
#pragma once

#include <QObject>

class QLineEdit;

namespace quovex {

class CContentsTree;

class CFindField : public QObject {
    Q_OBJECT
public:
    // Lives as long as pEdit (its parent); pTree must outlive pEdit.
    CFindField(QLineEdit* pEdit, CContentsTree* pTree);

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void GoToTree();

    QLineEdit* m_pEdit;
    CContentsTree* m_pTree;
};

}  // namespace quovex
