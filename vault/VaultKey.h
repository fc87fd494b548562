// The key of one open vault: the credentials the user logged in with and
// what they open. A scrambled vault is opened by the credentials alone (the
// scramble key, CVaultCipher); a protected vault by its master key, which
// the key record gives up for the right credentials. A vault being
// converted holds files of both kinds, so a key may carry both.
#pragma once

#include <string>

#include "SecretBytes.h"
#include "VaultCipher.h"

namespace quovex {

// Immutable while a run goes on (the window hands it to worker threads);
// SetMasterKey, ChangePassword and Wipe are called on the interface thread
// with no run going on.
class CVaultKey {
public:
    // strUser and strPassword are UTF-8. The scramble key is taken from
    // them as CVaultCipher does (it may refuse them: CanScramble false).
    // The password is also kept in secret memory, so that another
    // protected vault can be opened with it later (moving the open vault).
    CVaultKey(const std::string& strUser, const std::string& strPassword);
    ~CVaultKey();
    CVaultKey(const CVaultKey&) = delete;
    CVaultKey& operator=(const CVaultKey&) = delete;

    const std::string& User() const { return m_strUser; }
    // The scrambled format's key.
    const CVaultCipher& Cipher() const { return m_cipher; }
    bool CanScramble() const { return m_cipher.IsValid(); }
    // The UTF-8 password, as given; empty when secret memory failed or
    // after Wipe.
    const CSecretBytes& Password() const { return m_password; }

    // The password is now strNewPassword (after the vault's record was
    // sealed under it): the kept password and the scramble key follow, the
    // master key stays.
    void ChangePassword(const std::string& strNewPassword);

    // Makes this the key of a protected vault whose master key is master;
    // an empty one makes it a scrambled vault's key again.
    void SetMasterKey(CSecretBytes master) { m_master = std::move(master); }
    bool IsProtected() const { return !m_master.IsEmpty(); }
    const CSecretBytes& MasterKey() const { return m_master; }

    // Wipes everything it holds: afterwards it opens nothing.
    void Wipe();
    // Wipes everything it holds, then holds strUser and strPassword as if
    // newly made with them (no master key): a locked vault's key made
    // again in place, where others may still refer to it.
    void Reset(const std::string& strUser, const std::string& strPassword);

private:
    std::string m_strUser;
    CVaultCipher m_cipher;
    CSecretBytes m_password;
    CSecretBytes m_master;
};

}  // namespace quovex
