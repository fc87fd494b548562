// The main window: menu bar, box list and contents tree of one open vault.
// It owns the cipher context of the run. Interface thread.
#pragma once

#include <QString>

#include "StretchDialog.h"
#include "VaultCipher.h"

class QKeyEvent;

namespace quovex {

class CContentsTree;

class CVaultDlg : public CStretchDialog {
    Q_OBJECT
public:
    // strUser and strPassword are the credentials typed at the login.
    CVaultDlg(const QString& strUser, const QString& strPassword, QWidget* pParent = nullptr);

    const CVaultCipher& Cipher() const { return m_cipher; }
    // The contents tree (control 1003).
    CContentsTree* ContentsTree() const { return m_pContentsTree; }

    // Exit: ends the window with OK.
    void OnExit();
    // Asks the desktop to open Quovex.chm in the program's folder; a
    // failure is not reported.
    void OnHelp();
    // Runs the about box modally.
    void OnAbout();

protected:
    // Sets up sizing with a growth of 10 and anchors the box list (wider),
    // the contents tree (wider and taller) and the bottom text (shifted by
    // half the added width, kept at its distance from the bottom).
    bool OnInitDialog() override;
    // Enter with no default button ends the window like Exit.
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    void ConnectCommand(int nCommandId, void (CVaultDlg::*pHandler)());

    CVaultCipher m_cipher;
    CContentsTree* m_pContentsTree = nullptr;
};

// The help file's path: Quovex.chm in the folder of strProgramPath.
QString HelpFilePath(const QString& strProgramPath);

}  // namespace quovex
