#include "VaultSurvey.h"

#include <cinttypes>
#include <cstdio>
#include <vector>

#include "Boxes.h"
#include "JsonWriter.h"
#include "StoredFileScan.h"
#include "StoredItemText.h"
#include "ToolOptions.h"
#include "ToolTexts.h"
#include "VaultKey.h"

namespace quovex {

namespace {

// Damage that only the check knows: it alone has credentials to compare.
constexpr unsigned DAMAGE_OTHER_CREDENTIALS = 1u << 16;
constexpr unsigned DAMAGE_UNLISTED_FOLDER = 1u << 17;
constexpr unsigned DAMAGE_NEEDS_KEY = 1u << 18;

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
    {STORED_DAMAGE_BAD_HEADER, "bad-header", "protected header damaged or cut short"},
    {STORED_DAMAGE_NEWER_FORMAT, "newer-format", "protected format of a later version"},
    {STORED_DAMAGE_BAD_LENGTH, "bad-length", "length that no sequence of chunks gives"},
    {STORED_DAMAGE_METADATA, "metadata",
     "metadata does not open: damaged, or stored in another vault"},
    {STORED_DAMAGE_CHUNK, "chunk", "a chunk does not open"},
    {DAMAGE_OTHER_CREDENTIALS, "other-credentials", "other credentials"},
    {DAMAGE_NEEDS_KEY, "needs-key", "protected, and the credentials open no protected vault"},
    {DAMAGE_UNLISTED_FOLDER, "unlisted-folder", "folder cannot be listed"},
};

constexpr char WARNING_TORN_SLOT[] = "torn-slot";
constexpr char WARNING_TORN_SLOT_TEXT[] =
    "one metadata slot does not open (a summary edit cut short?); the other one serves";

constexpr char WARNING_AWAY[] = "away-from-place";

// Whether a file's sealed metadata puts it at another place than where it
// lies (moved, renamed or swapped by hand).
bool IsAway(const StoredFileScan& scan) {
    return scan.bMetadata && !scan.metadata.strPlace.empty() &&
           scan.metadata.strPlace != StoredPlaceOf(scan.strPath);
}

std::string AwayText(const StoredFileScan& scan) {
    return "lies away from where it was stored (" + scan.metadata.strPlace +
           "): a restore gives it the name it was stored with";
}

bool Warned(const StoredFileScan& scan) {
    return scan.bTornSlot || IsAway(scan);
}

std::string DamageText(unsigned nDamage, const StoredFileScan& scan) {
    std::string strText;
    for (const DamageName& name : DAMAGE_NAMES) {
        if ((nDamage & name.nBit) == 0) continue;
        if (!strText.empty()) strText += "; ";
        strText += name.nBit == STORED_DAMAGE_CHUNK
                       ? "chunk " + std::to_string(scan.nFailedChunk) + " does not open"
                       : name.pszText;
    }
    return strText;
}

const char* FormatName(const StoredFileScan& scan) {
    if (scan.bProtected) return "protected";
    return scan.bSignature ? "scrambled" : nullptr;
}

void WriteDamage(CJsonWriter* pJson, unsigned nDamage, const StoredFileScan& scan) {
    pJson->Key("damaged");
    pJson->Bool(nDamage != 0);
    pJson->Key("damage");
    pJson->BeginArray();
    for (const DamageName& name : DAMAGE_NAMES) {
        if (nDamage & name.nBit) pJson->String(name.pszCode);
    }
    pJson->EndArray();
    if (nDamage & STORED_DAMAGE_CHUNK) {
        pJson->Key("chunk");
        pJson->Number(scan.nFailedChunk);
    }
    pJson->Key("warnings");
    pJson->BeginArray();
    if (scan.bTornSlot) pJson->String(WARNING_TORN_SLOT);
    if (IsAway(scan)) pJson->String(WARNING_AWAY);
    pJson->EndArray();
}

// The fields list shows of one stored file; null where they are not known.
void WriteListEntry(CJsonWriter* pJson, const StoredFileScan& scan, unsigned nDamage,
                    CVaultEnv* pEnv) {
    const ShownFields fields = ShownFieldsOf(scan, pEnv);
    const auto fnText = [&](const char* pszKey, const std::string& strText, bool bKnown) {
        pJson->Key(pszKey);
        bKnown ? pJson->String(strText) : pJson->Null();
    };
    pJson->BeginObject();
    fnText("storedPath", scan.strPath, true);
    const char* pszFormat = FormatName(scan);
    fnText("format", pszFormat ? pszFormat : "", pszFormat != nullptr);
    pJson->Key("storedSize");
    scan.bOpened ? pJson->Number(scan.nStoredLength) : pJson->Null();
    fnText("sourcePath", fields.strSource, fields.bKnown);
    pJson->Key("plainSize");
    fields.bKnown ? pJson->Number(fields.nPlainSize) : pJson->Null();
    fnText("sizeText", SizeText(fields.nPlainSize), fields.bKnown);
    fnText("storageDate", fields.strDate, !fields.strDate.empty());
    fnText("summary", fields.strSummary, fields.bKnown);
    WriteDamage(pJson, nDamage, scan);
    pJson->EndObject();
}

void PrintListEntry(const StoredFileScan& scan, unsigned nDamage, CVaultEnv* pEnv) {
    const ShownFields fields = ShownFieldsOf(scan, pEnv);
    std::printf("%s\n", scan.strPath.c_str());
    if (scan.bProtected) {
        std::printf("  format:  protected%s\n",
                    fields.bKnown ? ""
                                  : " (source, size, date and summary are encrypted; give "
                                    "--user to show them)");
        std::printf("  length:  %s\n", SizeText(scan.nStoredLength).c_str());
    }
    if (fields.bKnown) {
        std::printf("  source:  %s\n", fields.strSource.c_str());
        std::printf("  size:    %s\n", SizeText(fields.nPlainSize).c_str());
        std::printf("  stored:  %s\n", fields.strDate.c_str());
        std::printf("  summary: %s\n", fields.strSummary.c_str());
    }
    if (nDamage != 0) std::printf("  damaged: %s\n", DamageText(nDamage, scan).c_str());
    if (scan.bTornSlot) std::printf("  warning: %s\n", WARNING_TORN_SLOT_TEXT);
    if (IsAway(scan)) std::printf("  warning: %s\n", AwayText(scan).c_str());
}

void ReportUnlisted(const std::string& strPath) {
    std::fprintf(stderr, "quovex-tool: cannot list %s\n", strPath.c_str());
}

// The damage check finds in one scanned file, credentials included.
unsigned CheckDamage(const StoredFileScan& scan, const CVaultKey& key) {
    unsigned nDamage = FindStoredDamage(scan);
    if (HasUsableHeader(scan) && scan.header.nChecksum != key.Cipher().Checksum())
        nDamage |= DAMAGE_OTHER_CREDENTIALS;
    if (nDamage == 0 && scan.bProtected && !scan.bKeyUsed) nDamage |= DAMAGE_NEEDS_KEY;
    return nDamage;
}

void ReportChecked(CJsonWriter* pJson, bool bJson, const StoredFileScan& scan, unsigned nDamage) {
    if (!bJson) {
        if (nDamage != 0)
            std::printf("%s: %s\n", scan.strPath.c_str(), DamageText(nDamage, scan).c_str());
        if (scan.bTornSlot)
            std::printf("%s: warning: %s\n", scan.strPath.c_str(), WARNING_TORN_SLOT_TEXT);
        if (IsAway(scan))
            std::printf("%s: warning: %s\n", scan.strPath.c_str(), AwayText(scan).c_str());
        return;
    }
    pJson->BeginObject();
    pJson->Key("storedPath");
    pJson->String(scan.strPath);
    WriteDamage(pJson, nDamage, scan);
    pJson->Key("text");
    pJson->String(nDamage != 0     ? DamageText(nDamage, scan)
                  : scan.bTornSlot ? std::string(WARNING_TORN_SLOT_TEXT)
                                   : AwayText(scan));
    pJson->EndObject();
}

}  // namespace

int RunList(const std::string& strPath, bool bJson, const CVaultKey* pKey, CVaultEnv* pEnv) {
    CJsonWriter json;
    json.BeginArray();
    bool bAllListed = true;
    const bool bStarted = ScanStoredFiles(
        strPath, false,
        [&](const StoredFileScan& scan) {
            if (scan.bUnlistedFolder) {
                ReportUnlisted(scan.strPath);
                bAllListed = false;
                return;
            }
            const unsigned nDamage = FindStoredDamage(scan);
            bJson ? WriteListEntry(&json, scan, nDamage, pEnv)
                  : PrintListEntry(scan, nDamage, pEnv);
        },
        pEnv, pKey);
    if (!bStarted) {
        std::fprintf(stderr, "quovex-tool: no folder or stored file to list: %s\n",
                     strPath.c_str());
        return TOOL_EXIT_FAILED;
    }
    json.EndArray();
    if (bJson) std::fputs(json.Text().c_str(), stdout);
    return bAllListed ? TOOL_EXIT_OK : TOOL_EXIT_FAILED;
}

int RunCheck(const std::string& strPath, bool bJson, const CVaultKey& key, CVaultEnv* pEnv) {
    CJsonWriter json;
    json.BeginArray();
    std::uint64_t nFiles = 0;
    std::uint64_t nDamaged = 0;
    std::uint64_t nWarned = 0;
    std::uint64_t nUnlisted = 0;
    const bool bStarted = ScanStoredFiles(
        strPath, true,
        [&](const StoredFileScan& scan) {
            unsigned nDamage = DAMAGE_UNLISTED_FOLDER;
            if (scan.bUnlistedFolder) {
                ++nUnlisted;
            } else {
                ++nFiles;
                nDamage = CheckDamage(scan, key);
                nDamaged += nDamage != 0 ? 1 : 0;
                nWarned += Warned(scan) ? 1 : 0;
                if (nDamage == 0 && !Warned(scan)) return;
            }
            ReportChecked(&json, bJson, scan, nDamage);
        },
        pEnv, &key);
    if (!bStarted) {
        std::fprintf(stderr, "quovex-tool: no folder or stored file to check: %s\n",
                     strPath.c_str());
        return TOOL_EXIT_FAILED;
    }
    json.EndArray();
    if (bJson) std::fputs(json.Text().c_str(), stdout);
    std::fprintf(stderr, "quovex-tool: %" PRIu64 " stored file(s) read, %" PRIu64 " damaged",
                 nFiles, nDamaged);
    if (nWarned > 0) std::fprintf(stderr, ", %" PRIu64 " with a warning", nWarned);
    if (nUnlisted > 0) std::fprintf(stderr, ", %" PRIu64 " folder(s) not listed", nUnlisted);
    std::fputc('\n', stderr);
    return nDamaged == 0 && nUnlisted == 0 ? TOOL_EXIT_OK : TOOL_EXIT_FAILED;
}

}  // namespace quovex
