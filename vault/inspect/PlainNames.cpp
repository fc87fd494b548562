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
        m_pKey->SetMasterKeyOf(*pKey);
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

namespace {

// The names of a plain path, split at every "/" (an empty one where two
// meet or at either end).
std::vector<std::string> SplitPlainPath(const std::string& strPath) {
    std::vector<std::string> vNames;
    for (std::size_t nStart = 0;;) {
        const std::size_t nSlash = strPath.find('/', nStart);
        vNames.push_back(strPath.substr(nStart, nSlash - nStart));
        if (nSlash == std::string::npos) return vNames;
        nStart = nSlash + 1;
    }
}

// The name of a stored file as the faces show it, without its ".$"; "" for
// any other name.
std::string StoredPlainName(const std::string& strName) {
    const std::size_t nSuffix = sizeof STORED_SUFFIX - 1;
    if (strName.size() <= nSuffix ||
        strName.compare(strName.size() - nSuffix, nSuffix, STORED_SUFFIX) != 0)
        return {};
    return strName.substr(0, strName.size() - nSuffix);
}

ResolvedPlainPath Unresolved(PlainPathResult nResult, FailCause failure = {}) {
    ResolvedPlainPath resolved;
    resolved.nResult = nResult;
    resolved.failure = failure;
    return resolved;
}

// A folder on the way that did not open: missing, or why not.
ResolvedPlainPath Unopened() {
    const FailCause cause = CauseOfLastError();
    return cause.nReason == FailReason::FAIL_NOT_FOUND
               ? Unresolved(PlainPathResult::PLAIN_PATH_MISSING)
               : Unresolved(PlainPathResult::PLAIN_PATH_UNLISTED, cause);
}

// The on-disk names of the stored files the folder of plain path strPlain
// lists as strName: its versions, and where names are hidden, the files
// moved there by hand that their sealed places name so.
std::vector<std::string> StoredFilesNamed(const CPlainNames& names, CFolder& folder,
                                          const std::string& strPlain, const std::string& strName) {
    if (!names.Hidden())
        return FindStoredVersions(folder, strPlain, strName, names.Names(), names.Places());
    std::vector<std::string> vFound;
    std::vector<PlainEntry> vEntries;
    names.List(folder, strPlain, &vEntries);
    for (const PlainEntry& entry : vEntries) {
        if (entry.kind == EntryKind::ENTRY_FILE && entry.nState != PlainState::PLAIN_UNREADABLE &&
            entry.strPlain == strName)
            vFound.push_back(entry.strDisk);
    }
    return vFound;
}

ResolvedPlainPath Found(EntryKind kind, std::vector<std::string> vDisk) {
    ResolvedPlainPath resolved;
    resolved.nResult =
        vDisk.size() > 1 ? PlainPathResult::PLAIN_PATH_VERSIONS : PlainPathResult::PLAIN_PATH_FOUND;
    resolved.kind = kind;
    resolved.vDisk = std::move(vDisk);
    return resolved;
}

}  // namespace

ResolvedPlainPath ResolvePlainPath(const CPlainNames& names, CVaultEnv* pEnv,
                                   const std::string& strVault, const std::string& strPlainPath) {
    const std::vector<std::string> vNames = SplitPlainPath(strPlainPath);
    if (BoxIndex(vNames.front()) < 0) return Unresolved(PlainPathResult::PLAIN_PATH_NOT_PLAIN);
    std::string strPlain = vNames.front();
    std::string strDisk = JoinPath(strVault, strPlain);
    FolderPtr pFolder = pEnv->OpenFolder(strDisk);
    if (!pFolder) return Unopened();
    for (std::size_t i = 1; i < vNames.size(); ++i) {
        const std::string& strName = vNames[i];
        if (const std::string strStored = StoredPlainName(strName);
            i + 1 == vNames.size() && !strStored.empty()) {
            std::vector<std::string> vVersions =
                StoredFilesNamed(names, *pFolder, strPlain, strStored);
            for (std::string& strVersion : vVersions) strVersion = JoinPath(strDisk, strVersion);
            if (!vVersions.empty()) return Found(EntryKind::ENTRY_FILE, std::move(vVersions));
        }
        const std::string strOnDisk = names.Names().FolderOnDisk(strPlain, strName);
        if (strOnDisk.empty()) return Unresolved(PlainPathResult::PLAIN_PATH_NOT_PLAIN);
        FileStamp stamp;
        if (!pFolder->GetStamp(strOnDisk, &stamp) || stamp.kind != EntryKind::ENTRY_FOLDER)
            return Unresolved(PlainPathResult::PLAIN_PATH_MISSING);
        pFolder = pFolder->OpenFolder(strOnDisk);
        if (!pFolder) return Unopened();
        strPlain = PlainChildPath(strPlain, strName);
        strDisk = JoinPath(strDisk, strOnDisk);
    }
    return Found(EntryKind::ENTRY_FOLDER, {strDisk});
}

}  // namespace quovex
