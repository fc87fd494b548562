// The plain names of one open vault's folders and stored files, as the
// faces show them: the tree, find, properties and the tool's listing. With
// a key of a vault that hides its names, every on-disk name below a box
// folder is opened (VaultNames.h); otherwise the names are the disk's own.
//
// It holds its own copy of the key's master key and the names keys derived
// from it, wiped when it goes: make one for a listing, not for the life of
// the window, and a lock that wipes the key it came from meanwhile cannot
// pull them from under a walk on another thread. Immutable once made; any
// thread may use a const object.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "VaultNames.h"

namespace quovex {

class CVaultKey;

class CPlainNames {
public:
    // pKey: the open vault's key, or null for visible names. pEnv: the
    // file system.
    CPlainNames(const CVaultKey* pKey, CVaultEnv* pEnv);
    ~CPlainNames();
    CPlainNames(const CPlainNames&) = delete;
    CPlainNames& operator=(const CPlainNames&) = delete;

    bool Hidden() const { return m_names.Hidden(); }
    CVaultEnv* Env() const { return m_pEnv; }
    const CVaultNames& Names() const { return m_names; }
    // The copy of the key's master key the names hold; null for none.
    const CVaultKey* Key() const { return m_pKey.get(); }
    // Reads a stored file's sealed place (with the key; "" without one).
    const PlaceReader& Places() const { return m_fnPlace; }

    // The entries of the folder strDisk on disk, whose plain path in the
    // vault is strPlain ("文档保险柜/资料"; "" when it is not known: every
    // name below then opens only by its own sealed place), as
    // ListPlainEntries lists them. False, with why in *pFailure, when the
    // folder cannot be opened or listed.
    bool List(const std::string& strDisk, const std::string& strPlain,
              std::vector<PlainEntry>* pEntries, FailCause* pFailure = nullptr) const;
    bool List(CFolder& folder, const std::string& strPlain, std::vector<PlainEntry>* pEntries,
              FailCause* pFailure = nullptr) const;

    // The plain place in the vault of the folder or stored file (kind) at
    // strDisk ("FileBox/资料/a.doc"), read from its names (PlainPlaceOf);
    // "" when it lies in no box folder or a name on its way does not open.
    std::string PlaceOf(const std::string& strDisk, EntryKind kind) const;

    // The plain name the item strDisk is known by: a stored file's is the
    // name its sealed place ends in (what a restore into a chosen folder
    // names it), else, as for a folder, its opened name (a stored file's
    // without ".$"); "" when none is known.
    std::string ShownNameOf(const std::string& strDisk, EntryKind kind) const;

    // The path the user knows the item at strDisk by: its box folder's path
    // and its plain names (PlainVaultPath; a stored file's ending in ".$");
    // strDisk itself where the names are visible or do not open.
    std::string ShownPathOf(const std::string& strDisk) const;

private:
    CVaultEnv* m_pEnv;
    std::unique_ptr<CVaultKey> m_pKey;  // the master key alone; null for none
    CVaultNames m_names;
    PlaceReader m_fnPlace;
};

// What resolving a plain path came to.
enum class PlainPathResult {
    PLAIN_PATH_FOUND,      // one folder or stored file, its on-disk path the only one in vDisk
    PLAIN_PATH_VERSIONS,   // several stored files of that one plain name (versions stored
                           // while apart, say): vDisk holds each, in listing order
    PLAIN_PATH_MISSING,    // nothing of that plain name, or a folder on its way is missing
    PLAIN_PATH_NOT_PLAIN,  // it does not begin with a box folder, or a component is no name
    PLAIN_PATH_UNLISTED,   // a folder on its way cannot be opened or listed (failure says why)
};

struct ResolvedPlainPath {
    PlainPathResult nResult = PlainPathResult::PLAIN_PATH_MISSING;
    EntryKind kind = EntryKind::ENTRY_NONE;  // ENTRY_FOLDER or ENTRY_FILE once found
    std::vector<std::string> vDisk;          // the on-disk paths found
    FailCause failure;
};

// The on-disk path of the item whose plain path in the vault at strVault
// (its location on disk) is strPlainPath, as the faces show it: a box
// folder's name, then plain folder names, then a folder's name or a stored
// file's plain name with ".$" ("FileBox/资料" or "FileBox/资料/a.doc.$").
// Read name by name from the box folder down: each folder by its on-disk
// name (CVaultNames::FolderOnDisk, the same for the same plain path), the
// last name ending in ".$" as the stored files the folder lists under that
// name (ListPlainEntries: the versions FindStoredVersions finds, and a file
// moved there by hand under the name its sealed place gives), else, and
// when no stored file has that name, as a folder. The same for visible
// names, whose on-disk path is the plain one. Reads only; any thread.
ResolvedPlainPath ResolvePlainPath(const CPlainNames& names, CVaultEnv* pEnv,
                                   const std::string& strVault, const std::string& strPlainPath);

}  // namespace quovex
