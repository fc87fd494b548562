#include "DirDialog.h"

#include <QDir>
#include <QFileDialog>

namespace quovex {

namespace {

CDirDialog::FolderPicker& ReplacedPicker() {
    static CDirDialog::FolderPicker s_picker;
    return s_picker;
}

QString PickWithFileDialog(const QString& strTitle) {
    // No owner, as the chooser is meant to leave the calling dialog enabled.
    return QFileDialog::getExistingDirectory(nullptr, strTitle, QString(),
                                             QFileDialog::ShowDirsOnly);
}

}  // namespace

bool CDirDialog::PickFolder(const QString& strTitle) {
    m_strTitle = strTitle;
    const FolderPicker& picker = ReplacedPicker();
    const QString strChosen = picker ? picker(strTitle) : PickWithFileDialog(strTitle);
    if (strChosen.isEmpty()) return false;
    m_strPath = strChosen;
    return true;
}

void CDirDialog::SetFolderPicker(FolderPicker picker) {
    ReplacedPicker() = std::move(picker);
}

namespace {

FilesPicker& ReplacedFilesPicker() {
    static FilesPicker s_picker;
    return s_picker;
}

}  // namespace

QStringList PickFilesToStore(const QString& strTitle, QWidget* pParent) {
    if (const FilesPicker& picker = ReplacedFilesPicker()) return picker(strTitle);
    return QFileDialog::getOpenFileNames(pParent, strTitle, QDir::homePath());
}

void SetFilesPicker(FilesPicker picker) {
    ReplacedFilesPicker() = std::move(picker);
}

namespace {

SavePicker& ReplacedSavePicker() {
    static SavePicker s_picker;
    return s_picker;
}

}  // namespace

QString PickFileToSave(const QString& strTitle, const QString& strSuggested,
                       const QString& strFilter, QWidget* pParent) {
    if (const SavePicker& picker = ReplacedSavePicker()) return picker(strTitle);
    return QFileDialog::getSaveFileName(pParent, strTitle, QDir::home().filePath(strSuggested),
                                        strFilter);
}

void SetSavePicker(SavePicker picker) {
    ReplacedSavePicker() = std::move(picker);
}

}  // namespace quovex
