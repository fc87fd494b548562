// The vault the user has opened: where it lies and the cipher context of
// the login's credentials. The credential rule and every change of the
// location go through this one object, so that a vault never takes files
// under credentials it would refuse. Built at the login; the window, the
// box list and the commands are handed it. Interface thread, except where
// said otherwise.
#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <string>

#include "CredentialRule.h"
#include "VaultKey.h"

namespace quovex {

class CVaultEnv;

class COpenVault : public QObject {
    Q_OBJECT
public:
    // strLocation is the vault location; strUser and strPassword are the
    // typed credentials, kept only as the cipher context holds them (the
    // copies made on the way are wiped). Nothing on disk is examined here.
    // pEnv: the file system of every operation on this vault (null: the real one).
    COpenVault(const QString& strLocation, const QString& strUser, const QString& strPassword,
               CVaultEnv* pEnv = nullptr);

    const QString& Location() const { return m_strLocation; }
    // The location as the file system's bytes, for the core.
    std::string NativeLocation() const;
    // The folder of box nBox (0 .. BOX_COUNT - 1) at the location.
    QString BoxFolder(int nBox) const;
    // Read by the worker threads as well: immutable while a run goes on.
    const CVaultKey& Key() const { return *m_pKey; }
    // The same key, for the calls that set a protected vault's master key
    // in it (VaultAccess.h). Interface thread, with no run going on.
    CVaultKey* KeyForAccess() { return m_pKey.get(); }
    CVaultEnv* Env() const { return m_pEnv; }

    // The login's credential rule (VaultAcceptsCredentials) at the location
    // in force, or at strLocation: whether its first stored file lets these
    // credentials in. Reads only.
    bool AcceptsCredentials() const { return AcceptsCredentialsAt(m_strLocation); }
    bool AcceptsCredentialsAt(const QString& strLocation) const;
    // The rule's whole judgement, which also tells a damaged first stored
    // file apart from other credentials.
    CredentialJudgement JudgeCredentialsAt(const QString& strLocation) const;

    // Makes strLocation the open vault when the rule lets the credentials
    // in there: its box folders are created and LocationChanged is emitted
    // (also for the location already in force). False, with nothing changed
    // or created, when the rule refuses them; *pJudgement, when given, says why.
    bool MoveTo(const QString& strLocation, CredentialJudgement* pJudgement = nullptr);

    // Creates the location and its box folders where missing; failures are
    // not reported.
    void CreateBoxFolders() const;

signals:
    // The open vault now lies at strLocation.
    void LocationChanged(const QString& strLocation);

private:
    QString m_strLocation;
    std::unique_ptr<CVaultKey> m_pKey;
    CVaultEnv* m_pEnv;
};

}  // namespace quovex
