#include "VaultNames.h"

#include "Boxes.h"
#include "ConflictNames.h"
#include "FolderChanges.h"
#include "FolderWalk.h"
#include "PathText.h"
#include "ProtectedLayout.h"

namespace quovex {

namespace {

constexpr std::size_t SUFFIX_SIZE = sizeof STORED_SUFFIX - 1;

bool EndsWithSuffix(const std::string& strName) {
    return strName.size() > SUFFIX_SIZE &&
           strName.compare(strName.size() - SUFFIX_SIZE, SUFFIX_SIZE, STORED_SUFFIX) == 0;
}

// A name a folder may hold at all.
bool IsDiskName(const std::string& strName) {
    return !strName.empty() && strName != "." && strName != ".." &&
           strName.find('/') == std::string::npos && strName.find('\0') == std::string::npos;
}

NameKind KindOf(EntryKind kind) {
    return kind == EntryKind::ENTRY_FOLDER ? NameKind::NAME_FOLDER : NameKind::NAME_FILE;
}

// The last component of a plain place, or "" when it does not lie in strParent.
std::string NameInPlace(const std::string& strPlace, const std::string& strParent) {
    const std::string strPrefix = strParent + "/";
    if (strPlace.size() <= strPrefix.size() || strPlace.compare(0, strPrefix.size(), strPrefix))
        return {};
    const std::string strName = strPlace.substr(strPrefix.size());
    return strName.find('/') == std::string::npos ? strName : std::string();
}

// The component after strParent of a place that lies below it by more
// than one step: the name of strParent's child folder the file lies in.
std::string NameFromPlace(const std::string& strPlace, const std::string& strParent) {
    const std::string strPrefix = strParent + "/";
    if (strPlace.size() <= strPrefix.size() || strPlace.compare(0, strPrefix.size(), strPrefix))
        return {};
    const std::size_t nEnd = strPlace.find('/', strPrefix.size());
    if (nEnd == std::string::npos) return {};
    return strPlace.substr(strPrefix.size(), nEnd - strPrefix.size());
}

// The name a sealed place ends in, or "" when it ends in none a folder may hold.
std::string NameOfPlace(const std::string& strPlace) {
    const std::string strName = strPlace.substr(strPlace.rfind('/') + 1);
    return IsPlainName(strName) ? strName : std::string();
}

std::vector<unsigned char> ReadSmallFile(CFolder& folder, const std::string& strName) {
    std::vector<unsigned char> vBytes;
    const std::unique_ptr<CReadableFile> pFile = folder.OpenFile(strName);
    if (!pFile || pFile->Size() > NAME_RECORD_MAX_SIZE) return vBytes;
    vBytes.resize(static_cast<std::size_t>(pFile->Size()));
    const std::int64_t nRead = pFile->Read(vBytes.data(), vBytes.size());
    if (nRead != static_cast<std::int64_t>(vBytes.size())) vBytes.clear();
    return vBytes;
}

// The name of the long folder strDisk (in strParent) that the place of a
// stored file somewhere in the open folder (strDisk itself or below it)
// gives; "" when none does. The short form is bound to the name, so a file
// moved in from elsewhere cannot rename the folder.
std::string NameFromFilesBelow(CFolder& folder, const std::string& strParent,
                               const std::string& strDisk, const CVaultNames& names,
                               const PlaceReader& fnPlace, int nDepth) {
    std::vector<FolderEntry> vEntries;
    if (nDepth > 64 || !folder.List(&vEntries)) return {};
    for (const FolderEntry& entry : vEntries) {
        if (entry.kind != EntryKind::ENTRY_FILE || entry.strName[0] == '.') continue;
        const std::string strName = NameFromPlace(fnPlace(folder, entry.strName), strParent);
        if (!strName.empty() && names.FolderOnDisk(strParent, strName) == strDisk) return strName;
    }
    for (const FolderEntry& entry : vEntries) {
        if (entry.kind != EntryKind::ENTRY_FOLDER || entry.strName[0] == '.') continue;
        const FolderPtr pSub = folder.OpenFolder(entry.strName);
        const std::string strName =
            pSub ? NameFromFilesBelow(*pSub, strParent, strDisk, names, fnPlace, nDepth + 1)
                 : std::string();
        if (!strName.empty()) return strName;
    }
    return {};
}

// The plain name of the long folder strDisk (in strParent): from its name
// record, else from the files below it; "" when neither tells.
std::string LongFolderName(CFolder& parent, const std::string& strParent,
                           const std::string& strDisk, const CVaultNames& names,
                           const PlaceReader& fnPlace) {
    const FolderPtr pFolder = parent.OpenFolder(strDisk);
    if (!pFolder) return {};
    const std::string strName =
        names.NameFromRecord(strParent, strDisk, ReadSmallFile(*pFolder, FOLDER_NAME_RECORD));
    if (!strName.empty() || !fnPlace) return strName;
    return NameFromFilesBelow(*pFolder, strParent, strDisk, names, fnPlace, 0);
}

// The on-disk name strDisk's plain name is read from: for a sync engine's
// conflict copy of a stored file, the name of the file it is a copy of
// (*pbCopy set), else strDisk itself.
std::string NameToOpen(EntryKind kind, const std::string& strDisk, bool* pbCopy) {
    ConflictCopyName copy;
    *pbCopy = kind == EntryKind::ENTRY_FILE && ReadConflictCopyName(strDisk, &copy) &&
              EndsWithSuffix(copy.strOriginal) && copy.strOriginal[0] != '.';
    return *pbCopy ? copy.strOriginal : strDisk;
}

}  // namespace

bool CVaultNames::HideWith(const CSecretBytes& master) {
    m_bHidden = m_cipher.Init(master);
    return m_bHidden;
}

std::string CVaultNames::FolderOnDisk(const std::string& strParent, const std::string& strName,
                                      bool* pbLong) const {
    if (pbLong) *pbLong = false;
    // Visible names are the disk's own: any name it holds (UTF-8 or not).
    if (!m_bHidden) return IsDiskName(strName) ? strName : std::string();
    if (!IsPlainName(strName)) return {};
    std::string strDisk;
    const NameResult result =
        m_cipher.SealName(NameKind::NAME_FOLDER, strParent, strName, &strDisk);
    if (pbLong) *pbLong = result == NameResult::NAME_LONG;
    return result == NameResult::NAME_OK || result == NameResult::NAME_LONG ? strDisk
                                                                            : std::string();
}

std::string CVaultNames::NewFileOnDisk(const std::string& strParent,
                                       const std::string& strName) const {
    if (!m_bHidden) return IsDiskName(strName) ? strName + STORED_SUFFIX : std::string();
    if (!IsPlainName(strName)) return {};
    std::string strDisk;
    const NameResult result = m_cipher.SealName(NameKind::NAME_FILE, strParent, strName, &strDisk);
    return result == NameResult::NAME_OK || result == NameResult::NAME_LONG ? strDisk
                                                                            : std::string();
}

NameResult CVaultNames::PlainOf(EntryKind kind, const std::string& strParent,
                                const std::string& strDisk, std::string* pPlain) const {
    if (m_bHidden) return m_cipher.OpenName(KindOf(kind), strParent, strDisk, pPlain);
    if (kind == EntryKind::ENTRY_FOLDER) {
        *pPlain = strDisk;
        return NameResult::NAME_OK;
    }
    if (!EndsWithSuffix(strDisk)) return NameResult::NAME_NOT_SEALED;
    *pPlain = strDisk.substr(0, strDisk.size() - SUFFIX_SIZE);
    return NameResult::NAME_OK;
}

std::vector<unsigned char> CVaultNames::FolderRecord(const std::string& strParent,
                                                     const std::string& strName) const {
    return m_bHidden ? m_cipher.SealFolderRecord(strParent, strName) : std::vector<unsigned char>();
}

std::string CVaultNames::NameFromRecord(const std::string& strParent, const std::string& strDisk,
                                        const std::vector<unsigned char>& vRecord) const {
    std::string strName;
    if (!m_bHidden || vRecord.empty() ||
        m_cipher.OpenFolderRecord(strParent, vRecord.data(), vRecord.size(), &strName) !=
            NameResult::NAME_OK ||
        !m_cipher.IsShortFolderNameOf(strParent, strName, strDisk))
        return {};
    return strName;
}

bool ListPlainEntries(CFolder& folder, const std::string& strParent, const CVaultNames& names,
                      const PlaceReader& fnPlace, std::vector<PlainEntry>* pEntries,
                      FailCause* pFailure) {
    pEntries->clear();
    std::vector<FolderEntry> vEntries;
    if (!folder.List(&vEntries)) {
        if (pFailure) *pFailure = CauseOfLastError();
        return false;
    }
    for (const FolderEntry& entry : vEntries) {
        if (entry.strName.empty() || entry.strName[0] == '.' || IsSyncEngineName(entry.strName))
            continue;
        if (entry.kind != EntryKind::ENTRY_FOLDER && entry.kind != EntryKind::ENTRY_FILE) continue;
        PlainEntry plain{entry.strName, {}, entry.kind, PlainState::PLAIN_OPENED, false};
        const std::string strOpened = NameToOpen(entry.kind, entry.strName, &plain.bConflictCopy);
        const NameResult result = names.PlainOf(entry.kind, strParent, strOpened, &plain.strPlain);
        if (result == NameResult::NAME_NOT_SEALED) {
            // A hidden vault's plain name: a stored file put here by hand
            // is shown by its own sealed name; anything else is none of
            // the vault's.
            if (!names.Hidden() || entry.kind != EntryKind::ENTRY_FILE || !fnPlace ||
                !IsStoredFileName(entry.strName))
                continue;
            plain.strPlain = NameOfPlace(fnPlace(folder, entry.strName));
            if (plain.strPlain.empty()) continue;
            plain.nState = PlainState::PLAIN_AWAY;
            pEntries->push_back(std::move(plain));
            continue;
        }
        if (result == NameResult::NAME_LONG) {
            plain.strPlain =
                entry.kind == EntryKind::ENTRY_FOLDER
                    ? LongFolderName(folder, strParent, entry.strName, names, fnPlace)
                    : (fnPlace ? NameInPlace(fnPlace(folder, entry.strName), strParent) : "");
        }
        if (result == NameResult::NAME_DAMAGED || plain.strPlain.empty()) {
            plain.strPlain.clear();
            plain.nState = PlainState::PLAIN_UNREADABLE;
            // A stored file brought here by hand still knows its own name.
            if (entry.kind == EntryKind::ENTRY_FILE && fnPlace) {
                plain.strPlain = NameOfPlace(fnPlace(folder, entry.strName));
                if (!plain.strPlain.empty()) plain.nState = PlainState::PLAIN_AWAY;
            }
        }
        pEntries->push_back(std::move(plain));
    }
    return true;
}

std::vector<std::string> FindStoredVersions(CFolder& folder, const std::string& strParent,
                                            const std::string& strName, const CVaultNames& names,
                                            const PlaceReader& fnPlace) {
    std::vector<std::string> vFound;
    std::vector<PlainEntry> vEntries;
    ListPlainEntries(folder, strParent, names, fnPlace, &vEntries);
    for (const PlainEntry& entry : vEntries) {
        if (entry.kind == EntryKind::ENTRY_FILE && entry.nState == PlainState::PLAIN_OPENED &&
            entry.strPlain == strName)
            vFound.push_back(entry.strDisk);
    }
    return vFound;
}

std::string PlainPlaceOf(CVaultEnv* pEnv, const std::string& strDisk, EntryKind kind,
                         const CVaultNames& names, const PlaceReader& fnPlace) {
    // The components below the nearest box folder, last first.
    std::vector<std::string> vBelow;
    std::string strAt = strDisk;
    while (strAt.size() > 1 && strAt.back() == PATH_SEPARATOR) strAt.pop_back();
    for (std::string strUp = FolderOf(strAt); strUp != strAt;
         strAt = strUp, strUp = FolderOf(strAt)) {
        const std::string strName = LastComponent(strAt);
        if (BoxIndex(strName) < 0) {
            vBelow.push_back(strName);
            continue;
        }
        std::string strPlain = strName;
        std::string strFolder = strAt;
        for (std::size_t i = vBelow.size(); i-- > 0;) {
            const EntryKind here = i == 0 ? kind : EntryKind::ENTRY_FOLDER;
            std::string strChild;
            bool bCopy = false;
            const NameResult result =
                names.PlainOf(here, strPlain, NameToOpen(here, vBelow[i], &bCopy), &strChild);
            if (result == NameResult::NAME_LONG) {
                const FolderPtr pFolder = pEnv->OpenFolder(strFolder);
                if (!pFolder) return {};
                strChild =
                    here == EntryKind::ENTRY_FOLDER
                        ? LongFolderName(*pFolder, strPlain, vBelow[i], names, fnPlace)
                        : (fnPlace ? NameInPlace(fnPlace(*pFolder, vBelow[i]), strPlain) : "");
            } else if (result != NameResult::NAME_OK) {
                return {};
            }
            if (strChild.empty()) return {};
            strPlain = PlainChildPath(strPlain, strChild);
            strFolder = JoinPath(strFolder, vBelow[i]);
        }
        return strPlain;
    }
    return {};
}

std::string SealedNameOf(const std::string& strPlace) {
    const std::size_t nSlash = strPlace.rfind('/');
    std::string strName = nSlash == std::string::npos ? strPlace : strPlace.substr(nSlash + 1);
    if (strName == "." || strName == ".." || strName.find('\0') != std::string::npos) return {};
    return strName;
}

std::string PlainVaultPath(const std::string& strDisk, const std::string& strPlace) {
    const std::size_t nBoxEnd = strPlace.find('/');
    const std::string strBox = strPlace.substr(0, nBoxEnd);
    if (strPlace.empty() || BoxIndex(strBox) < 0) return strDisk;
    for (std::string strAt = strDisk, strUp = FolderOf(strAt); strUp != strAt;
         strAt = strUp, strUp = FolderOf(strAt)) {
        if (LastComponent(strAt) != strBox) continue;
        return nBoxEnd == std::string::npos ? strAt : JoinPath(strAt, strPlace.substr(nBoxEnd + 1));
    }
    return strDisk;
}

FolderPtr MakePlainFolder(CVaultEnv* pEnv, const std::string& strParentDisk,
                          const std::string& strParent, const std::string& strName,
                          const CVaultNames& names, std::string* pstrDisk) {
    bool bLong = false;
    const std::string strDiskName = names.FolderOnDisk(strParent, strName, &bLong);
    pstrDisk->clear();
    if (strDiskName.empty()) {
        errno = EINVAL;
        return nullptr;
    }
    *pstrDisk = JoinPath(strParentDisk, strDiskName);
    FolderPtr pFolder = pEnv->OpenFolder(*pstrDisk);
    if (!pFolder) {
        CreateDirectoryPath(WithSeparator(*pstrDisk), 0700, pEnv);
        pFolder = pEnv->OpenFolder(*pstrDisk);
    }
    if (!pFolder || !bLong) return pFolder;
    FileStamp stamp;
    if (pFolder->GetStamp(FOLDER_NAME_RECORD, &stamp) && stamp.kind == EntryKind::ENTRY_FILE)
        return pFolder;
    const std::vector<unsigned char> vRecord = names.FolderRecord(strParent, strName);
    if (std::unique_ptr<CWritableFile> pRecord = pFolder->CreateFileFor(FOLDER_NAME_RECORD, 0600)) {
        // It tells no more of when the folder was made than a stored file
        // does (where the disk lets its time be set).
        if (pRecord->Append(vRecord.data(), vRecord.size())) {
            pRecord->SetTimes(PROTECTED_STORED_FILE_TIME, 0);
            if (pRecord->Sync()) pRecord->Commit(false);
        }
    }
    return pFolder;
}

}  // namespace quovex
