#include "PlainNames.h"

#include "Boxes.h"
#include "PathText.h"
#include "StoredFileInfo.h"
#include "VaultKey.h"

namespace quovex {

CPlainNames::CPlainNames(const CVaultKey* pKey, CVaultEnv* pEnv) : m_pEnv(pEnv) {
    if (pKey && pKey->IsProtected()) {
        // No user name, no password: only the master key is of use here.
        m_pKey = std::make_unique<CVaultKey>(std::string(), std::string());
        m_pKey->DropScrambleKey();
        m_pKey->SetMasterKey(pKey->MasterKey().Clone(), pKey->NamesHidden());
        if (m_pKey->NamesHidden()) m_names.HideWith(m_pKey->MasterKey());
    }
    const CVaultKey* pOwn = m_pKey.get();
    m_fnPlace = [pOwn](CFolder& folder, const std::string& strDisk) {
        return pOwn ? SealedPlaceAt(folder, strDisk, pOwn) : std::string();
    };
}

CPlainNames::~CPlainNames() = default;

bool CPlainNames::List(const std::string& strDisk, const std::string& strPlain,
                       std::vector<PlainEntry>* pEntries, FailCause* pFailure) const {
    pEntries->clear();
    const FolderPtr pFolder = m_pEnv->OpenFolder(strDisk);
    if (!pFolder) {
        if (pFailure) *pFailure = CauseOfLastError();
        return false;
    }
    return List(*pFolder, strPlain, pEntries, pFailure);
}

bool CPlainNames::List(CFolder& folder, const std::string& strPlain,
                       std::vector<PlainEntry>* pEntries, FailCause* pFailure) const {
    return ListPlainEntries(folder, strPlain, m_names, m_fnPlace, pEntries, pFailure);
}

std::string CPlainNames::PlaceOf(const std::string& strDisk, EntryKind kind) const {
    return PlainPlaceOf(m_pEnv, strDisk, kind, m_names, m_fnPlace);
}

std::string CPlainNames::ShownNameOf(const std::string& strDisk, EntryKind kind) const {
    // A stored file goes by the name its sealed place ends in, as its
    // restore does, wherever it lies.
    if (kind == EntryKind::ENTRY_FILE) {
        const FolderPtr pFolder = m_pEnv->OpenFolder(FolderOf(strDisk));
        const std::string strSealed =
            pFolder ? SealedNameOf(m_fnPlace(*pFolder, LastComponent(strDisk))) : std::string();
        if (!strSealed.empty()) return strSealed;
    }
    const std::string strPlace = PlaceOf(strDisk, kind);
    if (!strPlace.empty()) return LastComponent(strPlace);
    if (m_names.Hidden()) return {};
    const std::string strName = LastComponent(strDisk);
    return kind == EntryKind::ENTRY_FILE ? RemoveExtension(strName) : strName;
}

std::string CPlainNames::ShownPathOf(const std::string& strDisk) const {
    if (!m_names.Hidden()) return strDisk;
    const EntryKind kind = m_pEnv->GetKind(strDisk);
    const std::string strPlace = PlaceOf(strDisk, kind);
    if (strPlace.empty()) return strDisk;
    return PlainVaultPath(strDisk, strPlace) +
           (kind == EntryKind::ENTRY_FILE ? std::string(STORED_SUFFIX) : std::string());
}

}  // namespace quovex
