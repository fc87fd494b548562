// What the login does with a location once the credentials are typed: the
// location's kind decides. Interface thread.
#pragma once

#include <QString>

#include "KeyRecord.h"
#include "VaultAccess.h"

class QWidget;

namespace quovex {

class COpenVault;

// Opens vault (made from the typed user name and strPassword, the password
// the new-vault step asks for again) at its location:
// - no vault there yet: the "新建保险柜" step (CNewVaultDlg), then a
//   protected vault made under the wait cursor with limits, and its
//   recovery key shown once (CRecoveryKeyDlg); or a scrambled one;
// - a protected vault: its key record unsealed under the wait cursor;
// - a scrambled vault: the credential rule, as it always was.
// With a recovery key (strRecoveryKey not empty) a protected vault's
// password is first set to strPassword by the key (RecoverVault).
// True when the vault is open, its master key (if any) in vault's key; a
// recovery then says that the new password is in force. False when the
// new-vault step was given up (nothing said, *pbGivenUp set when given)
// or the opening refused (after one message over pParent saying why).
bool OpenVaultAtLogin(COpenVault& vault, const QString& strPassword, const QString& strRecoveryKey,
                      const KdfLimits& limits, QWidget* pParent = nullptr,
                      bool* pbGivenUp = nullptr);

// Warns over pParent when the vault opened although one copy of its key
// record belongs to another vault (left as it is), or by an older copy (its
// password was changed since); nothing otherwise.
void TellRecordFindings(const AccessOutcome& outcome, QWidget* pParent);
// Says over pParent that the recovery key gave the vault a new password.
void TellRecovered(QWidget* pParent);
// The location typed at the login, strTyped (other than the preset and the
// configured location), into *pLocation when the login goes on there: a
// folder as it is. A path where nothing lies is said to be missing, and at
// an absolute one the user may have a new vault made (OpenVaultAtLogin's
// new-vault step follows, as for the configured location at the first
// login); anything else there is said to be no folder. Never another vault
// in its place. False when the login ends: after the message, or with the
// new vault declined.
bool TakeTypedLocation(const QString& strTyped, QString* pLocation, QWidget* pParent = nullptr);

}  // namespace quovex
