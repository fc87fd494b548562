#include "VaultSurvey.h"

#include <cinttypes>
#include <cstdio>
#include <vector>

#include "JsonWriter.h"
#include "StoredFileScan.h"
#include "StoredItemText.h"
#include "ToolOptions.h"
#include "VaultFolders.h"

namespace quovex {

namespace {

// A damage that only the check knows: it alone has credentials to compare.
constexpr unsigned DAMAGE_OTHER_CREDENTIALS = 1u << 16;
constexpr unsigned DAMAGE_UNLISTED_FOLDER = 1u << 17;

struct DamageName {
    unsigned nBit;
    const char* pszCode;  // in JSON
    const char* pszText;  // for people
};

constexpr DamageName DAMAGE_NAMES[] = {
    {STORED_DAMAGE_UNREADABLE, "unreadable", "cannot be read"},
    {STORED_DAMAGE_NO_SIGNATURE, "no-signature", "no signature, not a stored file"},
    {STORED_DAMAGE_SHORT_HEADER, "short-header", "header shorter than 274 bytes"},
    {STORED_DAMAGE_SHORT_BODY, "short-body", "body shorter than its plain size calls for"},
    {STORED_DAMAGE_PARTIAL_BLOCK, "partial-block", "body ends inside a 128-byte block"},
    {DAMAGE_OTHER_CREDENTIALS, "other-credentials", "other credentials"},
    {DAMAGE_UNLISTED_FOLDER, "unlisted-folder", "folder cannot be listed"},
};

std::string DamageText(unsigned nDamage) {
    std::string strText;
    for (const DamageName& name : DAMAGE_NAMES) {
        if ((nDamage & name.nBit) == 0) continue;
        if (!strText.empty()) strText += "; ";
        strText += name.pszText;
    }
    return strText;
}

void WriteDamage(CJsonWriter* pJson, unsigned nDamage) {
    pJson->Key("damaged");
    pJson->Bool(nDamage != 0);
    pJson->Key("damage");
    pJson->BeginArray();
    for (const DamageName& name : DAMAGE_NAMES) {
        if (nDamage & name.nBit) pJson->String(name.pszCode);
    }
    pJson->EndArray();
}

// The fields list shows of one stored file; null where the header is not usable.
void WriteListEntry(CJsonWriter* pJson, const StoredFileScan& scan, unsigned nDamage) {
    const bool bHeader = HasUsableHeader(scan);
    const std::string strDate = FormatStorageDate(scan.strPath);
    pJson->BeginObject();
    pJson->Key("storedPath");
    pJson->String(scan.strPath);
    const auto fnText = [&](const char* pszKey, const char* pszField) {
        pJson->Key(pszKey);
        bHeader ? pJson->String(DecodeHeaderText(pszField)) : pJson->Null();
    };
    fnText("sourcePath", scan.header.szSourcePath);
    pJson->Key("plainSize");
    bHeader ? pJson->Number(scan.header.nPlainSize) : pJson->Null();
    pJson->Key("sizeText");
    bHeader ? pJson->String(FormatSizeText(scan.header.nPlainSize)) : pJson->Null();
    pJson->Key("storageDate");
    strDate.empty() ? pJson->Null() : pJson->String(strDate);
    fnText("summary", scan.header.szSummary);
    WriteDamage(pJson, nDamage);
    pJson->EndObject();
}

void PrintListEntry(const StoredFileScan& scan, unsigned nDamage) {
    std::printf("%s\n", scan.strPath.c_str());
    if (HasUsableHeader(scan)) {
        std::printf("  source:  %s\n", DecodeHeaderText(scan.header.szSourcePath).c_str());
        std::printf("  size:    %s\n", FormatSizeText(scan.header.nPlainSize).c_str());
        std::printf("  stored:  %s\n", FormatStorageDate(scan.strPath).c_str());
        std::printf("  summary: %s\n", DecodeHeaderText(scan.header.szSummary).c_str());
    }
    if (nDamage != 0) std::printf("  damaged: %s\n", DamageText(nDamage).c_str());
}

void ReportUnlisted(const std::string& strPath) {
    std::fprintf(stderr, "quovex-tool: cannot list %s\n", strPath.c_str());
}

}  // namespace

int RunList(const std::string& strPath, bool bJson) {
    CJsonWriter json;
    json.BeginArray();
    bool bAllListed = true;
    const bool bStarted = ScanStoredFiles(strPath, false, [&](const StoredFileScan& scan) {
        if (scan.bUnlistedFolder) {
            ReportUnlisted(scan.strPath);
            bAllListed = false;
            return;
        }
        const unsigned nDamage = FindStoredDamage(scan);
        bJson ? WriteListEntry(&json, scan, nDamage) : PrintListEntry(scan, nDamage);
    });
    if (!bStarted) {
        std::fprintf(stderr, "quovex-tool: no folder or stored file to list: %s\n",
                     strPath.c_str());
        return TOOL_EXIT_FAILED;
    }
    json.EndArray();
    if (bJson) std::fputs(json.Text().c_str(), stdout);
    return bAllListed ? TOOL_EXIT_OK : TOOL_EXIT_FAILED;
}

int RunCheck(const std::string& strPath, bool bJson, std::uint32_t nChecksum) {
    CJsonWriter json;
    json.BeginArray();
    std::uint64_t nFiles = 0;
    std::uint64_t nDamaged = 0;
    std::uint64_t nUnlisted = 0;
    const bool bStarted = ScanStoredFiles(strPath, true, [&](const StoredFileScan& scan) {
        unsigned nDamage = DAMAGE_UNLISTED_FOLDER;
        if (scan.bUnlistedFolder) {
            ++nUnlisted;
        } else {
            ++nFiles;
            nDamage = FindStoredDamage(scan);
            if (HasUsableHeader(scan) && scan.header.nChecksum != nChecksum)
                nDamage |= DAMAGE_OTHER_CREDENTIALS;
            if (nDamage == 0) return;
            ++nDamaged;
        }
        if (!bJson) {
            std::printf("%s: %s\n", scan.strPath.c_str(), DamageText(nDamage).c_str());
            return;
        }
        json.BeginObject();
        json.Key("storedPath");
        json.String(scan.strPath);
        WriteDamage(&json, nDamage);
        json.Key("text");
        json.String(DamageText(nDamage));
        json.EndObject();
    });
    if (!bStarted) {
        std::fprintf(stderr, "quovex-tool: no folder or stored file to check: %s\n",
                     strPath.c_str());
        return TOOL_EXIT_FAILED;
    }
    json.EndArray();
    if (bJson) std::fputs(json.Text().c_str(), stdout);
    std::fprintf(stderr, "quovex-tool: %" PRIu64 " stored file(s) read, %" PRIu64 " damaged",
                 nFiles, nDamaged);
    if (nUnlisted > 0) std::fprintf(stderr, ", %" PRIu64 " folder(s) not listed", nUnlisted);
    std::fputc('\n', stderr);
    return nDamaged == 0 && nUnlisted == 0 ? TOOL_EXIT_OK : TOOL_EXIT_FAILED;
}

}  // namespace quovex
