// The application object: holds the settings and drives one run of the
// program from start-up to the closing of the main window.
#pragma once

#include <QString>
#include <memory>

#include "KeyRecord.h"
#include "VaultSettings.h"
#include "WindowLanguage.h"

class QApplication;
class QWidget;

namespace quovex {

class CLoginDlg;
class CVaultEnv;

class CVaultApp : public CVaultSettings {
public:
    // pEnv: the file system the program works on (the real one, which
    // main gives).
    explicit CVaultApp(CVaultEnv* pEnv);
    ~CVaultApp() override;
    CVaultApp(const CVaultApp&) = delete;
    CVaultApp& operator=(const CVaultApp&) = delete;

    // Creates the QApplication unless one exists, runs InitInstance and
    // returns the exit status, which is 0 in every case.
    int Run(int& argc, char** argv);

    // Loads the settings, runs the login, opens the vault as its kind
    // asks (OpenVaultAtLogin: a new one made, a protected one unsealed, a
    // scrambled one by the credential rule), prepares the box folders and
    // runs the main window on the open vault, which first offers the copies
    // of opened files a killed run left (OfferLeftoverCopies); then keeps the window's
    // place, and saves the whole record when m_bSettingsChanged is set. A
    // cancelled login ends silently; a new-vault step given up (放弃) comes
    // back to the login; a rejected one ends after one message, and so does a typed location that
    // is no folder or is missing and not to be made a vault (TakeTypedLocation). Always false.
    // Interface thread.
    bool InitInstance();

    // The one application object of the process, or nullptr.
    static CVaultApp* Instance();

    QString m_strProgramPath;
    QWidget* m_pMainWnd = nullptr;  // the main window while it runs
    // The cost of the password derivations of vaults made and passwords
    // set in this run; tests lower it to KDF_FASTEST_LIMITS.
    KdfLimits m_kdfLimits = KDF_DEFAULT_LIMITS;

private:
    // After the login was accepted: the vault opened and the main window
    // run, as InitInstance says. *pbGivenUp when the user gave up the
    // new-vault step, so that the login comes again. Always false.
    bool OpenAfterLogin(CLoginDlg& login, bool* pbGivenUp);

    CVaultEnv* m_pEnv;
    std::unique_ptr<QApplication> m_pApplication;
    // After the application: the translators leave it before it goes.
    CWindowTranslators m_translators;
};

}  // namespace quovex
