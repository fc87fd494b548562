// The versions dialog, "解决冲突": the versions of one stored file side by
// side (存入时间, 大小, 摘要, 设备, the oldest first), and what to do with
// them: 保留所选版本 (keep the selected one, the others deleted), 全部保留
// (keep all under names of their own), 打开 (open the selected version as
// the window opens a stored file; the dialog stays) or 取消. The dialog
// only asks; the caller carries the choice out. Interface thread.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <vector>

#include "StoredVersions.h"

class QTreeWidget;

namespace quovex {

class CResolveVersionsDlg : public QDialog {
    Q_OBJECT
public:
    // What the user chose; CHOICE_NONE after 取消 or a close.
    enum class Choice { CHOICE_NONE, CHOICE_KEEP_SELECTED, CHOICE_KEEP_ALL };

    // vVersions: as ReadStoredVersions numbered them; strShownPath: the
    // stored file as the user knows it. fnOpen opens the stored file at an
    // on-disk path (COpenedFiles::OpenStoredFile). The newest is selected.
    CResolveVersionsDlg(std::vector<StoredVersion> vVersions, const QString& strShownPath,
                        std::function<void(const QString&)> fnOpen, QWidget* pParent = nullptr);

    Choice Chosen() const { return m_nChoice; }
    // The version selected (1 to the count), 0 for none.
    int SelectedVersion() const;
    const std::vector<StoredVersion>& Versions() const { return m_vVersions; }

private:
    void Finish(Choice nChoice);
    void OpenSelected();
    void UpdateButtons();

    std::vector<StoredVersion> m_vVersions;
    std::function<void(const QString&)> m_fnOpen;
    QTreeWidget* m_pList;
    Choice m_nChoice = Choice::CHOICE_NONE;
};

}  // namespace quovex
