#include "ToolNames.h"

#include <algorithm>

#include "Boxes.h"
#include "KeyRecordFiles.h"
#include "PathText.h"
#include "ToolTexts.h"
#include "VaultKey.h"

namespace quovex {

namespace {

constexpr char UNREADABLE_NAME[] = " (unreadable name)";

}  // namespace

bool RecordHidesNames(const std::string& strVault, CVaultEnv* pEnv) {
    // Each copy is looked at and none unsealed: with no copy opening,
    // nothing is written either.
    bool bHidden = false;
    const KeyUnsealer fnLook = [&](const KeyRecordBytes& vRecord, CSecretBytes*) {
        bHidden = bHidden || NamesOfRecord(vRecord) == VaultNames::NAMES_HIDDEN;
        return KeyRecordResult::KEY_WRONG_CREDENTIALS;
    };
    KeyRecordOpening opening;
    OpenKeyRecord(strVault, fnLook, nullptr, &opening, pEnv);
    return bHidden;
}

CToolNames::CToolNames(const std::string& strVault, const CVaultKey* pKey, CVaultEnv* pEnv)
    : m_strVault(strVault), m_pKey(pKey), m_pEnv(pEnv), m_plain(pKey, pEnv) {}

bool CToolNames::Resolve(const std::string& strItem, std::vector<std::string>* pDisk,
                         std::string* pError) const {
    pDisk->clear();
    const EntryKind kind = m_pEnv->GetKind(strItem);
    if (kind == EntryKind::ENTRY_FOLDER || kind == EntryKind::ENTRY_FILE) {
        pDisk->push_back(strItem);
        // Where names are visible a stored file's path is its plain path,
        // which names its conflict copies too.
        if (kind == EntryKind::ENTRY_FILE && !Hidden() && InBox(strItem)) {
            ResolvedPlainPath resolved = ResolvePlainPath(
                m_plain, m_pEnv, m_strVault, strItem.substr(WithSeparator(m_strVault).size()));
            if (resolved.nResult == PlainPathResult::PLAIN_PATH_VERSIONS &&
                std::find(resolved.vDisk.begin(), resolved.vDisk.end(), strItem) !=
                    resolved.vDisk.end())
                *pDisk = std::move(resolved.vDisk);
        }
        return true;
    }
    *pError = "no stored file or folder: " + strItem;
    const std::string strPrefix = WithSeparator(m_strVault);
    if (m_strVault.empty() || strItem.size() <= strPrefix.size() ||
        strItem.compare(0, strPrefix.size(), strPrefix) != 0)
        return false;
    const ResolvedPlainPath resolved =
        ResolvePlainPath(m_plain, m_pEnv, m_strVault, strItem.substr(strPrefix.size()));
    switch (resolved.nResult) {
        case PlainPathResult::PLAIN_PATH_VERSIONS:
        case PlainPathResult::PLAIN_PATH_FOUND:
            *pDisk = resolved.vDisk;
            return true;
        case PlainPathResult::PLAIN_PATH_UNLISTED:
            *pError = "cannot open a folder on the way to " + strItem + " (" +
                      FailReasonText(resolved.failure) + ")";
            return false;
        default:
            return false;
    }
}

bool CToolNames::InBox(const std::string& strDisk) const {
    const std::string strPrefix = WithSeparator(m_strVault);
    if (m_strVault.empty() || strDisk.compare(0, strPrefix.size(), strPrefix) != 0) return false;
    const std::string strBelow = strDisk.substr(strPrefix.size());
    return BoxIndex(strBelow.substr(0, strBelow.find('/'))) >= 0;
}

std::string CToolNames::Shown(const std::string& strDisk, bool* pbUnreadable) const {
    if (pbUnreadable) *pbUnreadable = false;
    // Only what lies below a box folder has hidden names.
    if (!Hidden() || !InBox(strDisk) ||
        strDisk.find('/', WithSeparator(m_strVault).size()) == std::string::npos)
        return strDisk;
    // The core names what is not on disk (a store's question, a progress
    // line) by its plain path already.
    const EntryKind kind = m_pEnv->GetKind(strDisk);
    if (kind == EntryKind::ENTRY_NONE) return strDisk;
    const bool bFolder = kind == EntryKind::ENTRY_FOLDER;
    // A folder, else a stored file.
    std::string strPlace =
        m_plain.PlaceOf(bFolder ? strDisk : FolderOf(strDisk), EntryKind::ENTRY_FOLDER);
    if (!bFolder && !strPlace.empty()) {
        const std::string strName = FileNameOf(strDisk, strPlace);
        strPlace = strName.empty() ? std::string() : PlainChildPath(strPlace, strName);
    }
    if (!strPlace.empty()) return ShownPlain(strPlace, !bFolder);
    if (pbUnreadable) *pbUnreadable = true;
    return strDisk + UNREADABLE_NAME;
}

std::string CToolNames::ShownPlain(const std::string& strPlain, bool bFile) const {
    return JoinPath(m_strVault, strPlain) + (bFile ? STORED_SUFFIX : "");
}

std::string CToolNames::FileNameOf(const std::string& strDisk, const std::string& strParent) const {
    std::string strName;
    if (m_plain.Names().PlainOf(EntryKind::ENTRY_FILE, strParent, LastComponent(strDisk),
                                &strName) == NameResult::NAME_OK)
        return strName;
    return m_pEnv->GetKind(strDisk) == EntryKind::ENTRY_FILE
               ? m_plain.ShownNameOf(strDisk, EntryKind::ENTRY_FILE)
               : std::string();
}

}  // namespace quovex
