#include "PlainNames.h"

#include "Boxes.h"
#include "PathText.h"
#include "StoredFileInfo.h"
#include "VaultKey.h"

namespace quovex {

CPlainNames::CPlainNames(const CVaultKey* pKey, CVaultEnv* pEnv) : m_pEnv(pEnv) {
    if (pKey && pKey->NamesHidden()) m_names.HideWith(pKey->MasterKey());
    m_fnPlace = [pKey](CFolder& folder, const std::string& strDisk) {
        return pKey ? SealedPlaceAt(folder, strDisk, pKey) : std::string();
    };
}

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
    const std::string strPlace = PlaceOf(strDisk, kind);
    if (!strPlace.empty()) return LastComponent(strPlace);
    if (!m_names.Hidden()) {
        std::string strName = LastComponent(strDisk);
        if (kind == EntryKind::ENTRY_FILE) strName = RemoveExtension(strName);
        return strName;
    }
    if (kind != EntryKind::ENTRY_FILE) return {};
    const FolderPtr pFolder = m_pEnv->OpenFolder(FolderOf(strDisk));
    return pFolder ? LastComponent(m_fnPlace(*pFolder, LastComponent(strDisk))) : std::string();
}

}  // namespace quovex
