#include "ResolveVersionsDlg.h"

#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "DialogBuilder.h"
#include "VersionTexts.h"

namespace quovex {

CResolveVersionsDlg::CResolveVersionsDlg(std::vector<StoredVersion> vVersions,
                                         const QString& strShownPath,
                                         std::function<void(const QString&)> fnOpen,
                                         QWidget* pParent)
    : QDialog(pParent), m_vVersions(std::move(vVersions)), m_fnOpen(std::move(fnOpen)) {
    BuildDialog(this, RES_DLG_RESOLVE_VERSIONS);
    FindControl<QLabel>(this, RES_ID_VERSIONS_TEXT)
        ->setText(VersionsDialogHeadText(strShownPath, static_cast<int>(m_vVersions.size())));
    m_pList = FindControl<QTreeWidget>(this, RES_ID_VERSIONS_LIST);
    m_pList->setHeaderHidden(false);
    m_pList->setRootIsDecorated(false);
    m_pList->setColumnCount(static_cast<int>(VersionColumnTexts().size()));
    m_pList->setHeaderLabels(VersionColumnTexts());
    m_pList->setSelectionMode(QAbstractItemView::SingleSelection);
    for (std::size_t i = 0; i < m_vVersions.size(); ++i) {
        auto* pRow =
            new QTreeWidgetItem(m_pList, VersionRowTexts(static_cast<int>(i) + 1, m_vVersions[i]));
        pRow->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    }
    m_pList->header()->resizeSections(QHeaderView::ResizeToContents);
    if (m_pList->topLevelItemCount() > 0)
        m_pList->setCurrentItem(m_pList->topLevelItem(m_pList->topLevelItemCount() - 1));
    connect(m_pList, &QTreeWidget::itemSelectionChanged, this, &CResolveVersionsDlg::UpdateButtons);
    connect(FindControl<QPushButton>(this, RES_ID_KEEP_SELECTED), &QPushButton::clicked, this,
            [this] { Finish(Choice::CHOICE_KEEP_SELECTED); });
    connect(FindControl<QPushButton>(this, RES_ID_KEEP_ALL), &QPushButton::clicked, this,
            [this] { Finish(Choice::CHOICE_KEEP_ALL); });
    connect(FindControl<QPushButton>(this, RES_ID_OPEN_VERSION), &QPushButton::clicked, this,
            &CResolveVersionsDlg::OpenSelected);
    connect(FindControl<QPushButton>(this, RES_ID_CANCEL), &QPushButton::clicked, this,
            &QDialog::reject);
    UpdateButtons();
}

int CResolveVersionsDlg::SelectedVersion() const {
    const QList<QTreeWidgetItem*> vSelected = m_pList->selectedItems();
    return vSelected.isEmpty() ? 0 : m_pList->indexOfTopLevelItem(vSelected.front()) + 1;
}

void CResolveVersionsDlg::Finish(Choice nChoice) {
    if (nChoice == Choice::CHOICE_KEEP_SELECTED && SelectedVersion() == 0) return;
    m_nChoice = nChoice;
    accept();
}

void CResolveVersionsDlg::OpenSelected() {
    const int nVersion = SelectedVersion();
    if (nVersion > 0 && m_fnOpen)
        m_fnOpen(QFile::decodeName(m_vVersions[nVersion - 1].strDisk.c_str()));
}

void CResolveVersionsDlg::UpdateButtons() {
    const bool bSelected = SelectedVersion() > 0;
    FindControl<QPushButton>(this, RES_ID_KEEP_SELECTED)->setEnabled(bSelected);
    FindControl<QPushButton>(this, RES_ID_OPEN_VERSION)->setEnabled(bSelected);
}

}  // namespace quovex
