// How quovex-tool names the stored items of one vault to the user and
// back: by their plain paths in the vault, for visible and hidden names
// alike. An item on the command line is a path on disk that exists as
// given, or the vault's location followed by a plain path
// (VAULT/FileBox/资料/a.doc.$), resolved name by name (ResolvePlainPath);
// what the tool prints of a stored item is its plain path, and its path on
// disk only where a name does not open. Where names are visible both are
// the same. Main thread.
#pragma once

#include <string>
#include <vector>

#include "PlainNames.h"

namespace quovex {

class CVaultEnv;
class CVaultKey;

// Whether either copy of the key record at strVault says the vault hides
// its names, read without the password (the record's version is plain).
bool RecordHidesNames(const std::string& strVault, CVaultEnv* pEnv);

class CToolNames {
public:
    // strVault: the location of the vault the items lie in ("" for none);
    // pKey: its open key (it must outlive the object), or null, which
    // leaves hidden names sealed.
    CToolNames(const std::string& strVault, const CVaultKey* pKey, CVaultEnv* pEnv);

    bool Hidden() const { return m_plain.Hidden(); }
    const CPlainNames& Plain() const { return m_plain; }
    const std::string& Vault() const { return m_strVault; }

    // Whether the on-disk path strDisk is a box folder of the vault or lies
    // below one.
    bool InBox(const std::string& strDisk) const;

    // The on-disk paths of the item strItem (absolute) names, into *pDisk:
    // the path itself when it exists, else what its plain path below the
    // vault resolves to: every version of a stored file of several
    // (StoredVersions.h numbers them). Where names are visible, the path
    // of a stored file with conflict copies is its plain path, and names
    // them all. False, with what the user should
    // hear in *pError, when it names nothing.
    bool Resolve(const std::string& strItem, std::vector<std::string>* pDisk,
                 std::string* pError) const;

    // How the tool shows the on-disk path strDisk: below a box folder of
    // a vault with hidden names, the vault's location and the plain path
    // (a stored file's with ".$"; one moved by hand under the name its
    // sealed place gives), or the path on disk followed by
    // " (unreadable name)" when a name on its way does not open (and
    // *pbUnreadable set, when given). Every other path, and one that is
    // not on disk (the core names those plain already), as it is.
    std::string Shown(const std::string& strDisk, bool* pbUnreadable = nullptr) const;
    // The same for the folder of plain path strPlain in the vault.
    std::string ShownPlain(const std::string& strPlain, bool bFile) const;

private:
    // The plain name of the stored file strDisk in the folder of plain path
    // strParent: from its name, else from its own sealed place; "" when
    // neither opens.
    std::string FileNameOf(const std::string& strDisk, const std::string& strParent) const;

    std::string m_strVault;
    const CVaultKey* m_pKey;
    CVaultEnv* m_pEnv;
    CPlainNames m_plain;
};

}  // namespace quovex
