#include "FindField.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include "ContentsTree.h"

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(FindField)
};

}  // namespace

CFindField::CFindField(QLineEdit* pEdit, CContentsTree* pTree)
    : QObject(pEdit), m_pEdit(pEdit), m_pTree(pTree) {
    pEdit->setPlaceholderText(Words::tr("查找"));
    pEdit->setClearButtonEnabled(true);
    pEdit->installEventFilter(this);
    connect(pEdit, &QLineEdit::textChanged, pTree, &CContentsTree::SetFindText);
}

bool CFindField::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (pWatched != m_pEdit || pEvent->type() != QEvent::KeyPress)
        return QObject::eventFilter(pWatched, pEvent);
    const int nKey = static_cast<QKeyEvent*>(pEvent)->key();
    if (nKey == Qt::Key_Escape && !m_pEdit->text().isEmpty()) {
        m_pEdit->clear();
        return true;
    }
    if (nKey == Qt::Key_Return || nKey == Qt::Key_Enter) {
        GoToTree();
        return true;
    }
    return QObject::eventFilter(pWatched, pEvent);
}

void CFindField::GoToTree() {
    if (!CContentsTree::IsFoundItem(m_pTree->currentItem())) {
        if (QTreeWidgetItem* pFirst = m_pTree->FirstFoundItem()) m_pTree->setCurrentItem(pFirst);
    }
    m_pTree->setFocus(Qt::OtherFocusReason);
}

}  // namespace quovex
