#include "StoredKeyFit.h"

#include <vector>

#include "Boxes.h"
#include "ChunkIo.h"
#include "FolderWalk.h"
#include "ProtectedStream.h"
#include "VaultEnv.h"

namespace quovex {

namespace {

// The tries of one test: how many files were tried, and whether one fitted.
struct FitTries {
    const ProtectedFileKeys& keys;
    std::size_t nTried = 0;
    bool bFits = false;

    bool Done() const { return bFits || nTried >= KEY_FIT_MAX_FILES; }
};

// Opens the slots of the stored file pszName in folder with the keys:
// counted as a try only when the file is a readable protected one.
void TryFile(CFolder& folder, const std::string& strName, FitTries* pTries) {
    const std::unique_ptr<CReadableFile> pFile = folder.OpenFile(strName);
    if (!pFile) return;
    unsigned char header[PFF_HEADER_SIZE];
    if (ReadFull(*pFile, header, sizeof header) != static_cast<std::int64_t>(sizeof header)) return;
    CProtectedOpener opener(pTries->keys);
    if (opener.ReadHeader(header, sizeof header) != ProtectedResult::PROTECTED_OK) return;
    std::vector<unsigned char> slots(opener.HeadRestSize());
    const std::int64_t nSlots = ReadFull(*pFile, slots.data(), slots.size());
    if (nSlots < 0) return;
    ++pTries->nTried;
    pTries->bFits = opener.OpenSlots(slots.data(), static_cast<std::size_t>(nSlots)) ==
                    ProtectedResult::PROTECTED_OK;
}

void TryFolder(const FolderPtr& pFolder, const std::string& strPath, FitTries* pTries) {
    if (!pFolder) return;
    WalkFolder(pFolder, strPath, [&](const WalkEntry& entry) {
        if (entry.kind == EntryKind::ENTRY_FOLDER)
            TryFolder(entry.pFolder->OpenFolder(entry.strName), entry.strPath, pTries);
        else if (entry.kind == EntryKind::ENTRY_FILE && IsStoredFileName(entry.strName))
            TryFile(*entry.pFolder, entry.strName, pTries);
        return !pTries->Done();
    });
}

}  // namespace

KeyFit TryKeyOnStoredFiles(const std::string& strVaultPath, const CSecretBytes& master,
                           CVaultEnv* pEnv) {
    ProtectedFileKeys keys;
    // Without keys nothing can be told; the caller then writes nothing
    // either way it decides.
    if (!DeriveFileKeys(master, &keys)) return KeyFit::KEY_UNTRIED;
    FitTries tries{keys};
    for (int nBox = 0; nBox < BOX_COUNT && !tries.Done(); ++nBox) {
        const std::string strBox = BoxFolderPath(strVaultPath, nBox);
        TryFolder(pEnv->OpenFolder(strBox), strBox, &tries);
    }
    if (tries.bFits) return KeyFit::KEY_FITS;
    return tries.nTried ? KeyFit::KEY_DOES_NOT_FIT : KeyFit::KEY_UNTRIED;
}

}  // namespace quovex
