#include "SealedCount.h"

#include <cinttypes>
#include <cstdio>
#include <vector>

#include "Boxes.h"
#include "JsonWriter.h"
#include "PathText.h"
#include "StoredFileScan.h"
#include "ToolOptions.h"
#include "ToolTexts.h"

namespace quovex {

namespace {

struct BoxCount {
    bool bSurveyed = false;  // strPath is or holds this box, or lies in it
    std::uint64_t nFiles = 0;
    std::uint64_t nBytes = 0;
};

// The box of the on-disk path strDisk in the vault at strVault, or -1.
int BoxOf(const std::string& strDisk, const std::string& strVault) {
    const std::string strPrefix = WithSeparator(strVault);
    if (strDisk.compare(0, strPrefix.size(), strPrefix) != 0) return -1;
    const std::string strBelow = strDisk.substr(strPrefix.size());
    return BoxIndex(strBelow.substr(0, strBelow.find('/')));
}

void PrintCounts(const std::vector<BoxCount>& vCounts, const std::string& strVault) {
    std::printf(
        "%s: a protected vault whose names are hidden; give --user to list its stored "
        "files by name\n",
        strVault.c_str());
    for (int nBox = 0; nBox < BOX_COUNT; ++nBox) {
        if (!vCounts[nBox].bSurveyed) continue;
        std::printf("  %-9s %" PRIu64 " stored file(s), %s stored\n",
                    (std::string(BOX_TABLE[nBox].pszFolder) + ":").c_str(), vCounts[nBox].nFiles,
                    SizeText(vCounts[nBox].nBytes).c_str());
    }
}

void WriteCounts(const std::vector<BoxCount>& vCounts) {
    CJsonWriter json;
    json.BeginArray();
    for (int nBox = 0; nBox < BOX_COUNT; ++nBox) {
        if (!vCounts[nBox].bSurveyed) continue;
        json.BeginObject();
        json.Key("box");
        json.String(BOX_TABLE[nBox].pszFolder);
        json.Key("storedFiles");
        json.Number(vCounts[nBox].nFiles);
        json.Key("storedSize");
        json.Number(vCounts[nBox].nBytes);
        json.Key("sizeText");
        json.String(SizeText(vCounts[nBox].nBytes));
        json.EndObject();
    }
    json.EndArray();
    std::fputs(json.Text().c_str(), stdout);
}

}  // namespace

int RunSealedCount(const std::string& strPath, const std::string& strVault, bool bJson,
                   CVaultEnv* pEnv) {
    const EntryKind kind = pEnv->GetKind(strPath);
    if (kind != EntryKind::ENTRY_FOLDER && kind != EntryKind::ENTRY_FILE) {
        std::fprintf(stderr,
                     "quovex-tool: %s hides its names: give --user to list %s by its plain "
                     "path\n",
                     strVault.c_str(), strPath.c_str());
        return TOOL_EXIT_FAILED;
    }
    std::vector<BoxCount> vCounts(BOX_COUNT);
    const int nBox = BoxOf(strPath, strVault);
    for (int i = 0; i < BOX_COUNT; ++i)
        vCounts[i].bSurveyed =
            nBox < 0 ? pEnv->GetKind(BoxFolderPath(strVault, i)) == EntryKind::ENTRY_FOLDER
                     : i == nBox;
    // The walk of the disk, as a list of visible names makes it; only what
    // lies in a box folder counts.
    std::uint64_t nUnlisted = 0;
    const bool bStarted = ScanStoredFiles(
        strPath, false,
        [&](const StoredFileScan& scan) {
            const int nIn = BoxOf(scan.strPath, strVault);
            if (scan.bUnlistedFolder) {
                ++nUnlisted;
            } else if (nIn >= 0) {
                ++vCounts[nIn].nFiles;
                vCounts[nIn].nBytes += scan.nStoredLength;
            }
        },
        pEnv);
    if (!bStarted) {
        std::fprintf(stderr, "quovex-tool: cannot list %s\n", strPath.c_str());
        return TOOL_EXIT_FAILED;
    }
    bJson ? WriteCounts(vCounts) : PrintCounts(vCounts, strVault);
    if (nUnlisted > 0)
        std::fprintf(stderr, "quovex-tool: %" PRIu64 " folder(s) could not be listed\n", nUnlisted);
    return nUnlisted == 0 ? TOOL_EXIT_OK : TOOL_EXIT_FAILED;
}

}  // namespace quovex
