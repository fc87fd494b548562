// StoreFile and RestoreFile: one file across the vault's boundary, in the
// format its vault or its signature calls for.
//
// Both write a new file that takes the target's place only when it is
// complete (TargetCommit.h), so an existing file stays intact until its
// replacement is whole and, for a restore, until the whole stored file was
// read and found sound; a failure or cancel leaves nothing partial, and
// nothing is replaced that the user was not asked about. Never throws.
// Any thread: a store holds no state of its own beyond the key's.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "FileOutcome.h"
#include "ProtectedFormat.h"
#include "ScrambledFormat.h"
#include "VaultEnv.h"
#include "VaultNames.h"

namespace quovex {

class CFileStore;
class CRestoreFolders;
class CVaultKey;
struct KeepOutSet;
struct RunContext;

// The plain place a stored file strDisk of the open folder records in its
// sealed metadata, read through files (with its vault's key); "" when it
// records none or does not open. For the names of long names.
PlaceReader SealedPlaceReader(const CFileStore& files);

class CFileStore {
public:
    // key must outlive the store, and hold its master key (if any) when the
    // store is made. pEnv: the file system.
    explicit CFileStore(const CVaultKey& key, CVaultEnv* pEnv);
    ~CFileStore();

    CVaultEnv* Env() const { return m_pEnv; }
    const CVaultKey& Key() const { return m_key; }

    // Stores the plain file strSource as the stored file strStored (which
    // ends in ".$"), asking before an existing stored file is replaced;
    // a protected vault's key stores in the protected format, else the
    // scrambled one. FILE_DONE when the stored file is complete and in
    // place; otherwise an existing stored file is left as it was and no
    // partial file remains. Refuses sources that are not regular files (a
    // link, a pipe), that the format cannot hold, and sources that change
    // while they are read (FILE_CHANGED). The result also tells what the
    // source was when stored.
    StoreResult StoreFile(const std::string& strSource, const std::string& strStored,
                          RunContext& run) const;
    // The same, but recording strRecorded (an absolute path) as the place
    // the file came from, rather than strSource: a file stored again from a
    // copy of it keeps the place it was first stored from.
    // strPlace: the plain place to record ("" for the one strStored gives):
    // a file stored again keeps the place it was stored at first, as it
    // keeps its recorded path.
    StoreResult StoreFileAs(const std::string& strSource, const std::string& strRecorded,
                            const std::string& strStored, const std::string& strPlace,
                            RunContext& run) const;
    // The same for the file strName of an open folder, whose path is
    // strSource, into pStoredFolder, the open folder that holds strStored
    // (null: it is opened, and made when missing). strPlace is the plain
    // place in the vault a protected file records; "" for the one its
    // path gives (StoredPlaceOf), which is right where names are visible.
    StoreResult StoreFileAt(CFolder& folder, const std::string& strName,
                            const std::string& strSource, const FolderPtr& pStoredFolder,
                            const std::string& strStored, const std::string& strPlace,
                            RunContext& run) const;

    // Restores a stored file of either format to strTarget minus its last
    // extension or, when strTarget is empty, to the source path recorded
    // in it (FILE_BAD_PATH when that is not an absolute path in the normal
    // form storing records). Asks before an existing file is replaced; a
    // replaced file keeps its mode, owner and group. FILE_DONE when the
    // whole stored file was read and found sound and the plain file is in
    // place; otherwise an existing target is left as it was and nothing
    // partial remains. A stored file that is cut short, without a
    // signature, or fails its checks is FAIL_DAMAGED. With pKeepOut, a
    // target that would lie in one of its folders or take the place of one
    // of its files is refused (FILE_IN_VAULT) before anything is created.
    FileResult RestoreFile(const std::string& strStored, const std::string& strTarget,
                           RunContext& run, const KeepOutSet* pKeepOut = nullptr) const;
    // The same for the stored file strName of an open folder, whose path is
    // strStored, into the folders that targets hands out: each is made,
    // opened and kept out of the vault once for all the files it receives.
    // strPlace: where the file lies in the vault as a plain place, which a
    // protected file's sealed place is compared with ("" for the one its
    // path gives, StoredPlaceOf).
    FileResult RestoreFileAt(CFolder& folder, const std::string& strName,
                             const std::string& strStored, const std::string& strTarget,
                             const std::string& strPlace, CRestoreFolders& targets,
                             RunContext& run) const;

    // Opens the stored file strName of an open folder for reading: its
    // format told by its signature, its head read and checked, a reader
    // for its body left in *ppReader and the file as it was opened in
    // *pStamp. FAIL_DAMAGED for a file of neither format or a damaged
    // head; a protected file without the vault's key is FAIL_NEEDS_KEY.
    FileResult OpenStoredAt(CFolder& folder, const std::string& strName,
                            std::unique_ptr<CStoredReader>* ppReader, FileStamp* pStamp) const;
    // The path a plain restore would write the open stored file pStored to
    // (either format: a protected file's metadata is opened with the key),
    // or "" when it records none a restore accepts or its head does not open.
    std::string RecordedPathOf(std::unique_ptr<CReadableFile> pStored) const;
    // The protected format of this store's key (HasKeys false without a master key).
    const CProtectedFormat& Protected() const { return m_protected; }

private:
    using SourceOpener = std::function<std::unique_ptr<CReadableFile>()>;
    // strRecorded: the path recorded in the stored file; "" for strSource.
    StoreResult StoreFrom(const SourceOpener& fnOpen, const std::string& strSource,
                          const std::string& strRecorded, const FolderPtr& pStoredFolder,
                          const std::string& strStored, const std::string& strPlace,
                          RunContext& run) const;
    FileResult StoreSteps(const SourceOpener& fnOpen, const std::string& strSource,
                          const std::string& strRecorded, const FolderPtr& pStoredFolder,
                          const std::string& strStored, const std::string& strPlace,
                          RunContext& run, FileStamp* pSourceStamp) const;
    FileResult RestoreFrom(const SourceOpener& fnOpen, const std::string& strStored,
                           const std::string& strTarget, const std::string& strPlace,
                           CRestoreFolders& targets, RunContext& run) const;
    FileResult RestoreSteps(const SourceOpener& fnOpen, const std::string& strStored,
                            const std::string& strTarget, const std::string& strPlace,
                            CRestoreFolders& targets, RunContext& run) const;
    // The restore's steps in the open target folder pFolder, from the
    // overwrite question to the commit.
    FileResult RestoreInto(CStoredReader& reader, const FolderPtr& pFolder,
                           const std::string& strPlain, const CRestoreFolders& targets,
                           RunContext& run) const;
    // Tells the format of the open stored file by its signature and opens
    // its head, as OpenStoredAt.
    FileResult OpenReader(std::unique_ptr<CReadableFile> pStored,
                          std::unique_ptr<CStoredReader>* ppReader) const;
    // The format a store writes in.
    const CStoredFormat& StoreFormat() const;
    // The format whose signature begins the file; null for none.
    const CStoredFormat* FormatOf(const unsigned char* pHead, std::size_t nHead) const;

    const CVaultKey& m_key;
    CVaultEnv* m_pEnv;
    CScrambledFormat m_scrambled;
    CProtectedFormat m_protected;
};

}  // namespace quovex
