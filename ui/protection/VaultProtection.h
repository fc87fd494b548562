// The File menu's commands on the vault's protection: a new password for a
// protected vault, protecting a scrambled one (its key record made, then
// every scrambled file rewritten), and hiding a protected vault's names;
// which of them the vault allows.
// Interface thread.
#pragma once

#include <QObject>

#include "KeyRecord.h"

class QWidget;

namespace quovex {

class CContentsTree;
class COpenVault;

class CVaultProtection : public QObject {
    Q_OBJECT
public:
    // vault: the open vault. pTree: the main window's contents tree, shown
    // afresh after a conversion (nullptr when the window has none). window:
    // the main window, parent of the dialogs, the progress dialog and the
    // messages, and holder of the two commands (the actions named
    // RES_CMD_CHANGE_PASSWORD and RES_CMD_PROTECT_VAULT). All outlive this
    // object. The commands are enabled for the vault now (as
    // UpdateProtectionCommands does), and again whenever the vault moves or
    // the menu that holds them opens. The action RES_CMD_HIDE_NAMES, when
    // the window has it, is shown only where this build opens vaults with
    // hidden names.
    CVaultProtection(COpenVault& vault, CContentsTree* pTree, QWidget& window);

    // "修改口令...": the old password and a new one twice; the key record is
    // sealed again under the wait cursor; success or failure is said.
    // Refused (said) while scrambled files are left: they need the old
    // password. Nothing for a scrambled vault.
    void OnChangePassword();
    // "加密保护此保险柜...": asks, with the password; makes the key record
    // and shows the recovery key, then rewrites every scrambled file under
    // the progress dialog, which may stop it, and says how it went. On a
    // protected vault that still holds scrambled files, asks and finishes
    // the rewriting.
    void OnProtectVault();
    // "隐藏此保险柜的文件名...": asks for the password, checks it under the
    // wait cursor, hides every name under the progress dialog, which may
    // stop it (a second run finishes), and once every name is hidden makes
    // the key record say so and shows the new recovery key; says how it
    // went. Nothing for a vault that cannot have its names hidden.
    void OnHideNames();
    // Enables the commands: a password change for a protected vault with
    // no scrambled file left, protecting for any vault that holds one or
    // has no key record, hiding names for a protected vault with visible
    // names and no scrambled file. A protected vault with none left drops
    // its scramble key here, which would give the password away.
    void UpdateProtectionCommands();
    // The cost of the password derivations the two commands run; tests
    // lower it to KDF_FASTEST_LIMITS.
    void SetKdfLimits(const KdfLimits& limits) { m_kdfLimits = limits; }

private:
    // Rewrites the scrambled files under the progress dialog and reports.
    void RunConversion();
    // Whether the open vault's names may be hidden now.
    bool CanHideNames();
    // Whether a box holds a stored file of the scrambled format (looked at
    // once, and again after each conversion or move).
    bool HoldsScrambledFiles();

    COpenVault& m_vault;
    CContentsTree* m_pTree;
    QWidget& m_window;
    KdfLimits m_kdfLimits = KDF_DEFAULT_LIMITS;
    int m_nScrambledLeft = -1;  // HoldsScrambledFiles: -1 not yet looked at, else 0 or 1
};

}  // namespace quovex
