// How one vault names its folders and stored files on disk, and the way
// back from an on-disk name to the plain one.
//
// A vault's names are visible (a scrambled vault, a protected vault of the
// first record version: the on-disk name is the plain one, a stored file's
// with ".$" appended) or hidden (NameCipher.h: every name below a box
// folder sealed, bound to its parent folder's plain path). Box folders keep
// their own names either way, so the plain path of a folder in the vault
// begins with its box folder's name ("文档保险柜/资料").
//
// The tree keeps its shape: every plain folder is one folder on disk, and
// nothing beside the names says what they are, so no single file's loss
// hides any other. A folder's on-disk name is always the same for the same
// plain path (the same folder made on two machines is one folder); a
// stored file's is new at every store, so that two versions of one plain
// name never meet at one on-disk name.
//
// Immutable after HideWith; any thread may use a const object.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "FailReason.h"
#include "NameCipher.h"
#include "SecretBytes.h"
#include "VaultEnv.h"

namespace quovex {

// What a listed name came to.
enum class PlainState {
    PLAIN_OPENED,      // strPlain is the entry's plain name
    PLAIN_AWAY,        // a stored file whose name does not open here (moved or renamed by
                       // hand): strPlain is the name its own sealed place ends in
    PLAIN_UNREADABLE,  // sealed, but it does not open here: moved by hand, damaged, another vault's
};

// One entry of a vault folder, as the faces show it.
struct PlainEntry {
    std::string strDisk;   // its name in the folder on disk
    std::string strPlain;  // its plain name (a stored file's without ".$"); "" when unreadable
    EntryKind kind = EntryKind::ENTRY_NONE;  // ENTRY_FOLDER or ENTRY_FILE
    PlainState nState = PlainState::PLAIN_OPENED;
    // A sync engine's conflict copy of a stored file (ConflictNames.h): it
    // goes by the plain name of the file it is a version of.
    bool bConflictCopy = false;
};

// The plain place in the vault that the stored file strDisk of the open
// folder records in its sealed metadata ("文档保险柜/资料/报告.doc"), or ""
// when it records none or does not open: the layer that reads stored files
// hands it in, so that the names need not know their format.
using PlaceReader = std::function<std::string(CFolder& folder, const std::string& strDisk)>;

class CVaultNames {
public:
    // Visible names.
    CVaultNames() = default;
    // Hidden names, sealed under keys of the master key. False, and the
    // names left visible, when the keys cannot be derived.
    bool HideWith(const CSecretBytes& master);
    bool Hidden() const { return m_bHidden; }

    // The on-disk name of the folder strName in the folder whose plain path
    // is strParent; "" when strName is no plain name or the keys failed.
    // *pbLong (when given) tells whether the folder needs its name record
    // (a name too long to be kept sealed in its on-disk name).
    std::string FolderOnDisk(const std::string& strParent, const std::string& strName,
                             bool* pbLong = nullptr) const;
    // A new on-disk name for a stored file of plain name strName (without
    // ".$") in strParent: the plain name and ".$" when visible, a sealed one
    // new at every call when hidden; "" as FolderOnDisk.
    std::string NewFileOnDisk(const std::string& strParent, const std::string& strName) const;

    // The plain name of the on-disk entry strDisk of kind (a folder or a
    // file) in strParent, read from the name alone: NAME_OK with *pPlain
    // set; NAME_LONG for a short form (its plain name lies elsewhere);
    // NAME_NOT_SEALED for a name that is none of this vault's kind (a
    // visible vault's file without ".$", a hidden vault's plain name);
    // NAME_DAMAGED for a sealed name that does not open here.
    NameResult PlainOf(EntryKind kind, const std::string& strParent, const std::string& strDisk,
                       std::string* pPlain) const;

    // The folder name record for a long folder (FOLDER_NAME_RECORD inside it).
    std::vector<unsigned char> FolderRecord(const std::string& strParent,
                                            const std::string& strName) const;
    // The name a folder record of the folder strDisk in strParent holds, or
    // "" when it does not open or belongs to another folder.
    std::string NameFromRecord(const std::string& strParent, const std::string& strDisk,
                               const std::vector<unsigned char>& vRecord) const;

private:
    CNameCipher m_cipher;
    bool m_bHidden = false;
};

// Lists the open folder (whose plain path is strParent) as the vault's
// entries, in listing order: dot-names, links and anything neither a folder
// nor a regular file are passed over, and so are files that are no stored
// file of the vault's naming. A hidden name that does not open is listed as
// PLAIN_UNREADABLE, or a stored file's as PLAIN_AWAY under the name its
// sealed place ends in; a short form's plain name is taken from the folder's
// name record, else from the sealed place of a stored file below it (a
// folder) or its own (a file), both through fnPlace. A sync engine's
// conflict copy of a stored file ("a.doc.sync-conflict-...-DEV.$", or a
// sealed name with that infix) is read by the name it is a copy of, so it
// is listed as a version of that plain name (bConflictCopy), never as a
// file of its own or one lying away. False when the folder
// cannot be listed, with why in *pFailure when given. The worker's or any
// thread.
bool ListPlainEntries(CFolder& folder, const std::string& strParent, const CVaultNames& names,
                      const PlaceReader& fnPlace, std::vector<PlainEntry>* pEntries,
                      FailCause* pFailure = nullptr);

// The on-disk names of the stored files whose plain name is strName in the
// open folder, in listing order: none, one, or several versions of that
// name (two machines stored it while apart, a sync engine's conflict copy,
// a crash between a replace's two steps), as ListPlainEntries lists them.
std::vector<std::string> FindStoredVersions(CFolder& folder, const std::string& strParent,
                                            const std::string& strName, const CVaultNames& names,
                                            const PlaceReader& fnPlace);

// The folder strName in the folder at strParentDisk on disk (whose plain
// path is strParent), made when missing with mode 0700, with its name record
// when its name is long. Its on-disk path in *pstrDisk. Null (errno set)
// when it cannot be had; a name record that cannot be written is no
// failure (the folder's name is found again from the files below it).
FolderPtr MakePlainFolder(CVaultEnv* pEnv, const std::string& strParentDisk,
                          const std::string& strParent, const std::string& strName,
                          const CVaultNames& names, std::string* pstrDisk);

// The plain place in the vault of the folder or stored file (kind) at the
// on-disk path strDisk, read name by name from the nearest box folder down
// ("FileBox/资料/a.doc"; a conflict copy's is its original's); "" when it
// lies in no box folder or one of its names does not open.
std::string PlainPlaceOf(CVaultEnv* pEnv, const std::string& strDisk, EntryKind kind,
                         const CVaultNames& names, const PlaceReader& fnPlace);

// The on-disk path strDisk of an item whose plain place is strPlace
// ("FileBox/资料/a.doc"), as the user knows it: the path of its box folder
// (the last one on strDisk's way named as strPlace begins) followed by the
// rest of strPlace. strDisk itself when strPlace is "" or no such box
// folder is on its way. For the texts of questions, progress and reports.
std::string PlainVaultPath(const std::string& strDisk, const std::string& strPlace);

// The plain name that ends a sealed place ("FileBox/资料/a.doc": "a.doc"),
// or "" when it ends in no name a folder may hold ("", ".", "..").
std::string SealedNameOf(const std::string& strPlace);

// The plain path of strChild in the folder of plain path strParent.
inline std::string PlainChildPath(const std::string& strParent, const std::string& strChild) {
    return strParent.empty() ? strChild : strParent + "/" + strChild;
}

}  // namespace quovex
