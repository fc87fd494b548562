// Lets the user pick one existing folder. Interface thread only.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace quovex {

class CDirDialog {
public:
    // Shows the folder chooser with strTitle and blocks until it closes.
    // True when a folder was chosen; m_strPath then holds its full path
    // (with a trailing separator only for the root). False on a cancel; the
    // path must then not be used.
    bool PickFolder(const QString& strTitle);

    // Returns the chosen folder, or "" for a cancel.
    using FolderPicker = std::function<QString(const QString& strTitle)>;
    // Replaces the chooser (tests); an empty picker restores the standard one.
    static void SetFolderPicker(FolderPicker picker);

    QString m_strPath;
    QString m_strTitle;
};

// Lets the user pick existing files to store, in the desktop's file chooser
// (native where the platform offers one). The chosen files' full paths, in
// the order given; empty on a cancel. Interface thread only.
QStringList PickFilesToStore(const QString& strTitle, QWidget* pParent);

// Replaces the chooser (tests); an empty picker restores the standard one.
using FilesPicker = std::function<QStringList(const QString& strTitle)>;
void SetFilesPicker(FilesPicker picker);

// Lets the user name a file to save, strSuggested ("恢复密钥.pdf") in the
// home folder proposed, of the kind strFilter ("PDF (*.pdf)"). The full
// path; "" on a cancel. Interface thread only.
QString PickFileToSave(const QString& strTitle, const QString& strSuggested,
                       const QString& strFilter, QWidget* pParent);
using SavePicker = std::function<QString(const QString& strTitle)>;
void SetSavePicker(SavePicker picker);

}  // namespace quovex
