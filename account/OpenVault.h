// The vault the user has opened: where it lies, the key of the login's
// credentials and, for a protected vault, its key record. Opening, making
// and every change of the location go through this one object, so that a
// vault never takes files under credentials it would refuse. Built at the
// login; the window, the box list and the commands are handed it.
// Interface thread, except where said otherwise. Open, Create, Protect,
// MoveTo, ChangePassword and Recover each run a password derivation (about half a
// second) when a protected vault is involved: call them under the wait
// cursor, with no run going on.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "CredentialRule.h"
#include "VaultAccess.h"
#include "VaultKey.h"

namespace quovex {

class CVaultEnv;

class COpenVault : public QObject {
    Q_OBJECT
public:
    // strLocation is the vault location; strUser and strPassword are the
    // typed credentials. The password itself is kept nowhere: only the
    // scramble key made from it (the copies made on the way are wiped), and
    // the calls that need the password again take it. Nothing on disk is
    // examined here: Open or Create does that.
    // pEnv: the file system of every operation on this vault.
    COpenVault(const QString& strLocation, const QString& strUser, const QString& strPassword,
               CVaultEnv* pEnv);

    const QString& Location() const { return m_strLocation; }
    // The location as the file system's bytes, for the core.
    std::string NativeLocation() const;
    // The folder of box nBox (0 .. BOX_COUNT - 1) at the location.
    QString BoxFolder(int nBox) const;
    // Read by the worker threads as well: immutable while a run goes on.
    const CVaultKey& Key() const { return *m_pKey; }
    CVaultEnv* Env() const { return m_pEnv; }
    // Whether the open vault is a protected one (Open, Create or MoveTo
    // found or made its key record), and that record.
    bool IsProtected() const { return !m_vRecord.empty(); }
    const KeyRecordBytes& Record() const { return m_vRecord; }

    // What lies at the location in force (KindOfVault). Reads only.
    VaultKind Kind() const;
    // Opens the vault at the location in force with the user name and
    // strPassword, the one this object was made with (OpenVaultKey): a
    // protected vault by its key record, a scrambled one or a location with
    // no vault by the credential rule. Creates nothing.
    AccessOutcome Open(const QString& strPassword);
    // Makes a new vault at the location in force (CreateVault) with the
    // user name and strPassword: protected when bProtected, its recovery key
    // text in *pRecoveryText to be shown once. ACCESS_EXISTS when a vault
    // lies there already.
    AccessOutcome Create(const QString& strPassword, bool bProtected, const KdfLimits& limits,
                         CSecretBytes* pRecoveryText);
    // Protects the open scrambled vault (ProtectVault): its key record is
    // made for the user name and strNewPassword, which from then on opens it
    // as a protected vault, and its recovery key text is in *pRecoveryText
    // to be shown once. Its scrambled files stay until ConvertWorker
    // rewrites them with the scramble key held. ACCESS_EXISTS when it is
    // protected already, ACCESS_PASSWORD_UNCHANGED for the old password.
    AccessOutcome Protect(const QString& strNewPassword, const KdfLimits& limits,
                          CSecretBytes* pRecoveryText);
    // What converting the scrambled files left in the open protected vault
    // needs first. Reads only (every stored file's signature, until a
    // scrambled one is met).
    enum class ConversionStep {
        STEP_NOTHING_LEFT,        // no scrambled file is left
        STEP_READY,               // the scramble key held opens them, and it is not the record's
        STEP_NEEDS_NEW_PASSWORD,  // they open with the password in force: ResealForConversion
        STEP_NEEDS_OLD_PASSWORD,  // they were stored under another: AdmitScrambledFiles
    };
    ConversionStep NextConversionStep() const;
    // Before the scrambled files left are converted, when the password in
    // force (strPassword) still opens them: the record is sealed under
    // strNewPassword, and the scramble key stays for the conversion.
    AccessOutcome ResealForConversion(const QString& strPassword, const QString& strNewPassword,
                                      const KdfLimits& limits);
    // When the scrambled files left were stored under another password:
    // the scramble key is made from strOldPassword once they accept it.
    AccessOutcome AdmitScrambledFiles(const QString& strOldPassword);
    // Wipes the scramble key, which a protected vault without scrambled
    // files has no use for (the window calls it once it found none).
    void DropScrambleKey() { m_pKey->DropScrambleKey(); }
    // Seals the open protected vault's master key under strNewPassword
    // after strOldPassword opened it (ChangeVaultPassword); the scramble key
    // goes, as no scrambled file is left. ACCESS_NOT_PROTECTED for a
    // scrambled vault.
    AccessOutcome ChangePassword(const QString& strOldPassword, const QString& strNewPassword,
                                 const KdfLimits& limits);
    // Once HideNamesWorker hid every name of the open protected vault with
    // visible names (AllNamesHidden), its key record is made to say so
    // (HideVaultNames), opened with the user name and strPassword, which
    // stays the password: the key seals and opens names from then on, and
    // the new recovery key's text is in *pRecoveryText, to be shown once.
    // ACCESS_NOT_PROTECTED for a scrambled vault. No run may be going on.
    AccessOutcome HideNames(const QString& strPassword, const KdfLimits& limits,
                            CSecretBytes* pRecoveryText);
    // The forgotten password: the recovery key opens the protected vault at
    // the location in force, which is sealed again under the user name and
    // strNewPassword (RecoverVault), and the vault is open.
    AccessOutcome Recover(const QString& strRecoveryText, const QString& strNewPassword,
                          const KdfLimits& limits);

    // The login's credential rule (VaultAcceptsCredentials) at the location
    // in force, or at strLocation: whether its first stored file lets these
    // credentials in. Reads only.
    bool AcceptsCredentials() const { return AcceptsCredentialsAt(m_strLocation); }
    bool AcceptsCredentialsAt(const QString& strLocation) const;
    // The rule's whole judgement, which also tells a damaged first stored
    // file apart from other credentials.
    CredentialJudgement JudgeCredentialsAt(const QString& strLocation) const;

    // Makes strLocation the open vault when the credentials open what lies
    // there: a protected vault by its key record (its master key and record
    // then replace the key's), a scrambled vault by the credential rule (the
    // key is a scrambled vault's from then on). A location with no vault
    // becomes one of the open vault's kind: a protected vault's record is
    // written there as it is (the same master key and recovery key: the
    // same vault at a new place), a scrambled vault's mark is placed. Its
    // box folders are created and LocationChanged is emitted (also for the
    // location already in force). False, with nothing changed, when the
    // credentials do not open it or it cannot be made a vault (a file, a
    // folder that may not be written); *pOutcome, when given, says why.
    // Where the key held cannot open what lies there (a protected vault; a
    // scrambled one once the scramble key went) the password is needed:
    // strPassword, or ACCESS_PASSWORD_NEEDED when it is empty.
    bool MoveTo(const QString& strLocation, AccessOutcome* pOutcome,
                const QString& strPassword = QString());
    // The same, with the refusal told as the credential rule's judgement
    // (anything but wrong credentials counts as undecided).
    bool MoveTo(const QString& strLocation, CredentialJudgement* pJudgement = nullptr);

    // Creates the location and its box folders where missing; failures are
    // not reported.
    void CreateBoxFolders() const;

    // Locks the vault: the key is wiped (the credentials, the scramble key
    // and a protected vault's master key) and opens nothing until Unlock.
    // The location, the record and the user name stay, for the login that
    // asks for the password again. No run may be going on.
    void Lock();
    bool IsLocked() const { return m_bLocked; }
    // The user name the vault was locked with ("" while it is not locked).
    const QString& LockedUser() const { return m_strLockedUser; }
    // Opens the locked vault again with its user name and strPassword, as
    // Open does; a vault that was protected opens only by its key record
    // (ACCESS_RECORD_DAMAGED when none is there any more). On a refusal the
    // key stays wiped and the vault locked.
    AccessOutcome Unlock(const QString& strPassword);
    // Opens the locked protected vault again by its recovery key, which
    // first gives it strNewPassword (Recover); refused as Unlock is, and a
    // vault without a key record has no recovery key (ACCESS_RECORD_DAMAGED).
    AccessOutcome UnlockByRecovery(const QString& strRecoveryText, const QString& strNewPassword,
                                   const KdfLimits& limits);

signals:
    // The open vault now lies at strLocation.
    void LocationChanged(const QString& strLocation);
    // MoveTo is about to open another location than the one in force,
    // while the key is still the old vault's. Emitted synchronously.
    void LeavingLocation();

private:
    // Unlock and UnlockByRecovery: the key made again from the locked user
    // name and strPassword, then fnOpen; its refusal wipes the key again.
    AccessOutcome UnlockWith(const QString& strPassword,
                             const std::function<AccessOutcome()>& fnOpen);

    // Opens what lies at strNative with the key held, or with the user
    // name and strPassword when given, or makes it a vault of the open
    // vault's kind; the key and record change only on success.
    AccessOutcome EnterLocation(const std::string& strNative, const QString& strPassword);

    QString m_strLocation;
    QString m_strLockedUser;
    bool m_bLocked = false;
    // The scramble key held was made from another password than the one
    // the record opens with now (set by Protect, ResealForConversion and
    // AdmitScrambledFiles; an opening makes it the login's again).
    bool m_bScrambleKeyApart = false;
    std::unique_ptr<CVaultKey> m_pKey;
    KeyRecordBytes m_vRecord;
    CVaultEnv* m_pEnv;
};

}  // namespace quovex
