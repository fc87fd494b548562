#include "VaultFolders.h"

#include <cinttypes>
#include <cstdio>
#include <vector>

#include "PathText.h"
#include "StoredFileFormat.h"
#include "VaultEnv.h"

namespace quovex {

const BoxInfo BOX_TABLE[BOX_COUNT] = {
    {"FileBox", "文档保险柜"},
    {"ImageBox", "图片保险柜"},
    {"VideoBox", "视频保险柜"},
    {"OtherBox", "其他保险柜"},
};

namespace {

CVaultEnv* EnvOr(CVaultEnv* pEnv) {
    return pEnv ? pEnv : CVaultEnv::Default();
}

bool IsStoredName(const std::string& strPath) {
    return FindExtension(strPath).compare(0, 2, SFF_STORED_SUFFIX) == 0;
}

}  // namespace

bool WalkFolder(CVaultEnv* pEnv, const std::string& strFolder, const WalkVisitor& fnVisit) {
    std::vector<FolderEntry> vEntries;
    if (!pEnv->ListFolder(strFolder, &vEntries)) return false;
    const std::string strBase = WithSeparator(strFolder);
    for (const FolderEntry& entry : vEntries) {
        if (entry.strName.empty() || entry.strName[0] == '.') continue;
        if (!fnVisit(strBase + entry.strName, entry.kind)) break;
    }
    return true;
}

int BoxIndex(const std::string& strFolderName) {
    for (int i = 0; i < BOX_COUNT; ++i) {
        if (strFolderName == BOX_TABLE[i].pszFolder) return i;
    }
    return -1;
}

std::string BoxFolderPath(const std::string& strVaultPath, int nBox) {
    return JoinPath(strVaultPath, BOX_TABLE[nBox].pszFolder);
}

void CreateDirectoryPath(const std::string& strPath, unsigned nMode, CVaultEnv* pEnv) {
    pEnv = EnvOr(pEnv);
    for (std::size_t i = 1; i < strPath.size(); ++i) {
        if (strPath[i] == PATH_SEPARATOR) pEnv->CreateFolder(strPath.substr(0, i), nMode);
    }
}

int CreateBoxFolders(const std::string& strVaultPath, CVaultEnv* pEnv) {
    const std::string strBase = WithSeparator(strVaultPath);
    for (const BoxInfo& box : BOX_TABLE) {
        CreateDirectoryPath(strBase + box.pszFolder + PATH_SEPARATOR, 0700, pEnv);
    }
    return 1;
}

int DeleteFolderTree(const std::string& strFolder, CVaultEnv* pEnv) {
    pEnv = EnvOr(pEnv);
    const bool bListed =
        WalkFolder(pEnv, strFolder, [pEnv](const std::string& strPath, EntryKind kind) {
            if (kind == EntryKind::ENTRY_FOLDER) {
                DeleteFolderTree(strPath, pEnv);
            } else if (kind != EntryKind::ENTRY_NONE) {
                // A link goes itself; what it points to stays.
                pEnv->DeleteFile(strPath);
            }
            return true;
        });
    if (!bListed) return 0;
    pEnv->RemoveFolder(strFolder);
    return 1;
}

std::string FindFirstStoredFile(const std::string& strFolder, CVaultEnv* pEnv) {
    pEnv = EnvOr(pEnv);
    std::string strFound;
    WalkFolder(pEnv, strFolder, [&](const std::string& strPath, EntryKind kind) {
        if (kind == EntryKind::ENTRY_FOLDER) {
            strFound = FindFirstStoredFile(strPath, pEnv);
        } else if (kind == EntryKind::ENTRY_FILE && IsStoredName(strPath)) {
            strFound = strPath;
        }
        return strFound.empty();
    });
    return strFound;
}

std::uint64_t GetStoredTotalSize(const std::string& strFolder, CVaultEnv* pEnv) {
    pEnv = EnvOr(pEnv);
    std::uint64_t nSum = 0;
    WalkFolder(pEnv, strFolder, [&](const std::string& strPath, EntryKind kind) {
        if (kind == EntryKind::ENTRY_FOLDER) nSum += GetStoredTotalSize(strPath, pEnv);
        if (kind == EntryKind::ENTRY_FILE) nSum += ReadPlainSize(strPath, pEnv);
        return true;
    });
    return nSum;
}

std::uint64_t GetFileLength(const std::string& strPath, CVaultEnv* pEnv) {
    std::uint64_t nSize = 0;
    return EnvOr(pEnv)->GetFileSize(strPath, &nSize) ? nSize : 0;
}

std::uint64_t GetFolderLength(const std::string& strFolder, CVaultEnv* pEnv) {
    pEnv = EnvOr(pEnv);
    std::uint64_t nSum = 0;
    WalkFolder(pEnv, strFolder, [&](const std::string& strPath, EntryKind kind) {
        if (kind == EntryKind::ENTRY_FOLDER) nSum += GetFolderLength(strPath, pEnv);
        if (kind == EntryKind::ENTRY_FILE) nSum += GetFileLength(strPath, pEnv);
        return true;
    });
    return nSum;
}

std::uint64_t GetPathLength(const std::string& strPath, CVaultEnv* pEnv) {
    pEnv = EnvOr(pEnv);
    switch (pEnv->GetKind(strPath)) {
        case EntryKind::ENTRY_FOLDER:
            return GetFolderLength(strPath, pEnv);
        case EntryKind::ENTRY_FILE:
            return GetFileLength(strPath, pEnv);
        default:
            return 0;
    }
}

std::string FormatSizeText(std::uint64_t nBytes) {
    const std::uint64_t nKilo = nBytes / 1024;
    char szText[96];
    if (nKilo == 0) {
        std::snprintf(szText, sizeof szText, "%" PRIu64 " 字节( %" PRIu64 " 字节)", nBytes, nBytes);
    } else if (nKilo < 1000) {
        std::snprintf(szText, sizeof szText, "%.2f KB( %" PRIu64 " 字节)",
                      static_cast<double>(nKilo), nBytes);
    } else {
        // From the whole kilobytes, so 1024000 bytes shows as 0.98 MB.
        std::snprintf(szText, sizeof szText, "%.2f MB( %" PRIu64 " 字节)",
                      static_cast<double>(nKilo) / 1024.0, nBytes);
    }
    return szText;
}

}  // namespace quovex
