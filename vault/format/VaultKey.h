// The key of one open vault: what the credentials the user logged in with
// open, never the password itself. A scrambled vault is opened by the
// scramble key (CVaultCipher), which is made from the user name and
// password; a protected vault by its master key, which the key record gives
// up for the right credentials. A vault being converted holds files of both
// kinds, so a key may carry both. Every secret lies in locked memory
// (CSecretBytes) and is wiped when it goes.
#pragma once

#include <string>

#include "ProtectedLayout.h"
#include "SecretBytes.h"
#include "VaultCipher.h"

namespace quovex {

struct ProtectedFileKeys;

// Immutable while a run goes on (the window hands it to worker threads);
// every other member is called on the interface thread with no run going
// on.
class CVaultKey {
public:
    // strUser and strPassword are UTF-8. The scramble key is taken from
    // them as CVaultCipher does (it may refuse them: CanScramble false);
    // the password is not kept. The caller wipes its own copy.
    CVaultKey(const std::string& strUser, const std::string& strPassword);
    ~CVaultKey();
    CVaultKey(const CVaultKey&) = delete;
    CVaultKey& operator=(const CVaultKey&) = delete;

    const std::string& User() const { return m_strUser; }
    // The scrambled format's key, in locked memory.
    const CVaultCipher& Cipher() const { return m_pCipher ? *m_pCipher : NoCipher(); }
    bool CanScramble() const { return Cipher().IsValid(); }
    // The scramble key made anew from the user name and strPassword: the
    // password a vault's scrambled files were stored with, when it is not
    // the one the vault opens with now (a conversion under a new password).
    void SetScrambleKey(const std::string& strPassword);
    // Wipes the scramble key: a protected vault that holds no scrambled
    // file has no use for it, and it would give the password away.
    void DropScrambleKey();

    // Makes this the key of the protected vault of vaultId whose master key
    // is master, and whose names are hidden when bNamesHidden (its key
    // record says both); an empty one makes it a scrambled vault's key
    // again. The files it stores name the vault in their headers.
    void SetMasterKey(CSecretBytes master, bool bNamesHidden, const VaultIdBytes& vaultId) {
        SetMasterKey(std::move(master), bNamesHidden);
        m_vaultId = vaultId;
        m_bVaultId = IsProtected();
    }
    // The same for a vault whose id is not known: its files are stored in
    // the older versions, which name no vault.
    void SetMasterKey(CSecretBytes master, bool bNamesHidden = false) {
        m_master = std::move(master);
        m_bNamesHidden = bNamesHidden && !m_master.IsEmpty();
        m_bVaultId = false;
        m_vaultId = {};
    }
    bool IsProtected() const { return !m_master.IsEmpty(); }
    // Whether the vault seals the names of its folders and stored files.
    bool NamesHidden() const { return m_bNamesHidden; }
    const CSecretBytes& MasterKey() const { return m_master; }
    // The master key, the names' kind and the vault id of other, as its own.
    void SetMasterKeyOf(const CVaultKey& other) {
        if (other.HasVaultId())
            SetMasterKey(other.MasterKey().Clone(), other.NamesHidden(), other.VaultId());
        else
            SetMasterKey(other.MasterKey().Clone(), other.NamesHidden());
    }
    bool HasVaultId() const { return m_bVaultId; }
    const VaultIdBytes& VaultId() const { return m_vaultId; }
    // The subkeys of the master key and the vault's id, for sealing and
    // opening stored files. False when it holds no master key or the keys
    // cannot be had (DeriveFileKeys). Any thread.
    bool FileKeys(ProtectedFileKeys* pKeys) const;

    // Wipes everything it holds: afterwards it opens nothing.
    void Wipe();
    // Wipes everything it holds, then holds what strUser and strPassword
    // open, as if newly made with them (no master key): a locked vault's
    // key made again in place, where others may still refer to it.
    void Reset(const std::string& strUser, const std::string& strPassword);

private:
    static const CVaultCipher& NoCipher();

    std::string m_strUser;
    CSecretBytes m_cipherMemory;        // holds *m_pCipher
    CVaultCipher* m_pCipher = nullptr;  // null when locked memory could not be had
    CSecretBytes m_master;
    bool m_bNamesHidden = false;
    bool m_bVaultId = false;
    VaultIdBytes m_vaultId = {};
};

}  // namespace quovex
