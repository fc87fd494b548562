#include "VaultSurvey.h"

#include <cinttypes>
#include <cstdio>
#include <vector>

#include "Boxes.h"
#include "JsonWriter.h"
#include "PlainSurvey.h"
#include "SealedCount.h"
#include "StoredFileScan.h"
#include "StoredItemText.h"
#include "ToolNames.h"
#include "ToolOptions.h"
#include "ToolTexts.h"
#include "VaultKey.h"
#include "VersionGroups.h"

namespace quovex {

namespace {

// Damage that only the check knows: it alone has credentials to compare.
constexpr unsigned DAMAGE_OTHER_CREDENTIALS = 1u << 16;
constexpr unsigned DAMAGE_UNLISTED_FOLDER = 1u << 17;
constexpr unsigned DAMAGE_NEEDS_KEY = 1u << 18;
// A hidden name that does not open where it lies: moved by hand, damaged,
// or another vault's.
constexpr unsigned DAMAGE_UNREADABLE_NAME = 1u << 19;

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
    {STORED_DAMAGE_OTHER_VAULT, "other-vault", "stored in another vault"},
    {DAMAGE_OTHER_CREDENTIALS, "other-credentials", "other credentials"},
    {DAMAGE_NEEDS_KEY, "needs-key", "protected, and the credentials open no protected vault"},
    {DAMAGE_UNLISTED_FOLDER, "unlisted-folder", "folder cannot be listed"},
    {DAMAGE_UNREADABLE_NAME, "unreadable-name",
     "unreadable name: it does not open here (moved by hand, damaged, or another vault's), "
     "so it is shown as on disk"},
};

constexpr char WARNING_TORN_SLOT[] = "torn-slot";
constexpr char WARNING_TORN_SLOT_TEXT[] =
    "one metadata slot does not open (a summary edit cut short?); the other one serves";

constexpr char WARNING_AWAY[] = "away-from-place";

std::string AwayText(const StoredFileScan& scan) {
    return "lies away from where it was stored (" + scan.metadata.strPlace +
           "): a restore gives it the name it was stored with";
}

bool Warned(const SurveyItem& item) {
    return item.scan.bTornSlot || IsAwayFromPlace(item);
}

// The damage the scan shows, and a name that does not open.
unsigned ListDamage(const SurveyItem& item) {
    return FindStoredDamage(item.scan) | (item.bUnreadableName ? DAMAGE_UNREADABLE_NAME : 0);
}

std::string DamageText(unsigned nDamage, const StoredFileScan& scan) {
    std::string strText;
    for (const DamageName& name : DAMAGE_NAMES) {
        if ((nDamage & name.nBit) == 0) continue;
        if (!strText.empty()) strText += "; ";
        if (name.nBit == STORED_DAMAGE_CHUNK)
            strText += "chunk " + std::to_string(scan.nFailedChunk) + " does not open";
        else if (name.nBit == STORED_DAMAGE_OTHER_VAULT)
            strText += "belongs to vault " + VaultIdHex(scan.vaultId) +
                       ", not to this one: it was stored in another vault";
        else
            strText += name.pszText;
    }
    return strText;
}

const char* FormatName(const StoredFileScan& scan) {
    if (scan.bProtected) return "protected";
    return scan.bSignature ? "scrambled" : nullptr;
}

void WriteDamage(CJsonWriter* pJson, unsigned nDamage, const SurveyItem& item) {
    const StoredFileScan& scan = item.scan;
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
    if (nDamage & STORED_DAMAGE_OTHER_VAULT) {
        pJson->Key("otherVault");
        pJson->String(VaultIdHex(scan.vaultId));
    }
    pJson->Key("warnings");
    pJson->BeginArray();
    if (scan.bTornSlot) pJson->String(WARNING_TORN_SLOT);
    if (IsAwayFromPlace(item)) pJson->String(WARNING_AWAY);
    pJson->EndArray();
}

// The fields list shows of one stored file, null where they are not known,
// into an object begun.
void WriteListFields(CJsonWriter* pJson, const SurveyItem& item, unsigned nDamage,
                     CVaultEnv* pEnv) {
    const StoredFileScan& scan = item.scan;
    const ShownFields fields = ShownFieldsOf(scan, pEnv);
    const auto fnText = [&](const char* pszKey, const std::string& strText, bool bKnown) {
        pJson->Key(pszKey);
        bKnown ? pJson->String(strText) : pJson->Null();
    };
    fnText("storedPath", item.strShown, true);
    pJson->Key("unreadableName");
    pJson->Bool(item.bUnreadableName);
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
    WriteDamage(pJson, nDamage, item);
}

void WriteListEntry(CJsonWriter* pJson, const SurveyItem& item, unsigned nDamage, CVaultEnv* pEnv) {
    pJson->BeginObject();
    WriteListFields(pJson, item, nDamage, pEnv);
    pJson->EndObject();
}

// A plain name of several versions: one object, its "versions" each a
// stored file's fields with its number, its storage time (seconds since
// 1970, null when not known), its device (null for none) and, where names
// are visible, its name on disk.
void WriteVersionGroup(CJsonWriter* pJson, const SurveyGroup& group, bool bNamesHidden,
                       CVaultEnv* pEnv) {
    pJson->BeginObject();
    pJson->Key("storedPath");
    pJson->String(group.strShown);
    pJson->Key("versionCount");
    pJson->Number(group.vItems.size());
    pJson->Key("versions");
    pJson->BeginArray();
    for (std::size_t i = 0; i < group.vItems.size(); ++i) {
        const StoredVersion& version = group.vVersions[i];
        pJson->BeginObject();
        pJson->Key("version");
        pJson->Number(i + 1);
        pJson->Key("storedTime");
        version.bRead ? pJson->Number(version.nStoredTime) : pJson->Null();
        pJson->Key("device");
        version.strDevice.empty() ? pJson->Null() : pJson->String(version.strDevice);
        pJson->Key("diskPath");
        bNamesHidden ? pJson->Null() : pJson->String(version.strDisk);
        WriteListFields(pJson, group.vItems[i], ListDamage(group.vItems[i]), pEnv);
        pJson->EndObject();
    }
    pJson->EndArray();
    pJson->EndObject();
}

// What list prints of one stored file below the line that names it, each
// line beginning with pszIndent.
void PrintListFields(const SurveyItem& item, unsigned nDamage, const char* pszIndent,
                     CVaultEnv* pEnv) {
    const StoredFileScan& scan = item.scan;
    const ShownFields fields = ShownFieldsOf(scan, pEnv);
    const char* p = pszIndent;
    if (scan.bProtected) {
        std::printf("%sformat:  protected%s\n", p,
                    fields.bKnown ? ""
                                  : " (source, size, date and summary are encrypted; give "
                                    "--user to show them)");
        std::printf("%slength:  %s\n", p, SizeText(scan.nStoredLength).c_str());
    }
    if (fields.bKnown) {
        std::printf("%ssource:  %s\n", p, fields.strSource.c_str());
        std::printf("%ssize:    %s\n", p, SizeText(fields.nPlainSize).c_str());
        std::printf("%sstored:  %s\n", p, fields.strDate.c_str());
        std::printf("%ssummary: %s\n", p, fields.strSummary.c_str());
    }
    if (nDamage != 0) std::printf("%sdamaged: %s\n", p, DamageText(nDamage, scan).c_str());
    if (scan.bTornSlot) std::printf("%swarning: %s\n", p, WARNING_TORN_SLOT_TEXT);
    if (IsAwayFromPlace(item)) std::printf("%swarning: %s\n", p, AwayText(scan).c_str());
}

void PrintListEntry(const SurveyItem& item, unsigned nDamage, CVaultEnv* pEnv) {
    std::printf("%s\n", item.strShown.c_str());
    PrintListFields(item, nDamage, "  ", pEnv);
}

// A plain name of several versions: the name, then each version by number
// (where names are visible, with the name it has on disk).
void PrintVersionGroup(const SurveyGroup& group, bool bNamesHidden, CVaultEnv* pEnv) {
    std::printf("%s\n", VersionsHeadText(group.strShown, group.vItems.size()).c_str());
    for (std::size_t i = 0; i < group.vItems.size(); ++i) {
        const SurveyItem& item = group.vItems[i];
        std::printf("  %s\n", VersionLineText(i + 1, group.vVersions[i]).c_str());
        if (!bNamesHidden) std::printf("    on disk: %s\n", item.scan.strPath.c_str());
        PrintListFields(item, ListDamage(item), "    ", pEnv);
    }
}

void ReportUnlisted(const SurveyItem& item) {
    if (item.bUnreadableName)
        std::fprintf(stderr,
                     "quovex-tool: %s: a folder whose name does not open here (unreadable name: "
                     "moved by hand, damaged, or another vault's); nothing below it is listed\n",
                     item.strShown.c_str());
    else
        std::fprintf(stderr, "quovex-tool: cannot list %s\n", item.strShown.c_str());
}

// The damage check finds in one scanned file, credentials included.
unsigned CheckDamage(const SurveyItem& item, const CVaultKey& key) {
    const StoredFileScan& scan = item.scan;
    unsigned nDamage = ListDamage(item);
    if (HasUsableHeader(scan) && scan.header.nChecksum != key.Cipher().Checksum())
        nDamage |= DAMAGE_OTHER_CREDENTIALS;
    if (nDamage == 0 && scan.bProtected && !scan.bKeyUsed) nDamage |= DAMAGE_NEEDS_KEY;
    return nDamage;
}

void ReportChecked(CJsonWriter* pJson, bool bJson, const SurveyItem& item, unsigned nDamage) {
    const StoredFileScan& scan = item.scan;
    const char* pszShown = item.strShown.c_str();
    if (!bJson) {
        if (nDamage != 0) std::printf("%s: %s\n", pszShown, DamageText(nDamage, scan).c_str());
        if (scan.bTornSlot) std::printf("%s: warning: %s\n", pszShown, WARNING_TORN_SLOT_TEXT);
        if (IsAwayFromPlace(item))
            std::printf("%s: warning: %s\n", pszShown, AwayText(scan).c_str());
        return;
    }
    pJson->BeginObject();
    pJson->Key("storedPath");
    pJson->String(item.strShown);
    pJson->Key("unreadableName");
    pJson->Bool(item.bUnreadableName);
    WriteDamage(pJson, nDamage, item);
    pJson->Key("text");
    pJson->String(nDamage != 0     ? DamageText(nDamage, scan)
                  : scan.bTornSlot ? std::string(WARNING_TORN_SLOT_TEXT)
                                   : AwayText(scan));
    pJson->EndObject();
}

constexpr char WARNING_VERSIONS[] = "versions";

// check's finding about a plain name of several versions, which is no damage.
void ReportVersions(CJsonWriter* pJson, bool bJson, const SurveyGroup& group) {
    const std::string strText = VersionsFindingText(group.vItems.size());
    if (!bJson) {
        std::printf("%s: %s\n", group.strShown.c_str(), strText.c_str());
        for (std::size_t i = 0; i < group.vVersions.size(); ++i)
            std::printf("  %s\n", VersionLineText(i + 1, group.vVersions[i]).c_str());
        return;
    }
    pJson->BeginObject();
    pJson->Key("storedPath");
    pJson->String(group.strShown);
    pJson->Key("unreadableName");
    pJson->Bool(false);
    pJson->Key("damaged");
    pJson->Bool(false);
    pJson->Key("damage");
    pJson->BeginArray();
    pJson->EndArray();
    pJson->Key("warnings");
    pJson->BeginArray();
    pJson->String(WARNING_VERSIONS);
    pJson->EndArray();
    pJson->Key("versionCount");
    pJson->Number(group.vItems.size());
    pJson->Key("text");
    pJson->String(strText);
    pJson->EndObject();
}

// The on-disk paths strPath names for list and check (every version of a
// stored file); false, with the reason told, when it names nothing.
bool ResolveSurveyed(const CToolNames& names, const std::string& strPath,
                     std::vector<std::string>* pDisk) {
    std::string strError;
    if (names.Resolve(strPath, pDisk, &strError)) return true;
    std::fprintf(stderr, "quovex-tool: %s\n", strError.c_str());
    return false;
}

}  // namespace

int RunList(const std::string& strPath, bool bJson, const CVaultKey* pKey, CVaultEnv* pEnv) {
    const std::string strVault = FindVaultOf(strPath, pEnv);
    // Without the key nothing of a hidden name is shown, sealed or not.
    if (!pKey && !strVault.empty() && RecordHidesNames(strVault, pEnv))
        return RunSealedCount(strPath, strVault, bJson, pEnv);
    const CToolNames names(strVault, pKey, pEnv);
    std::vector<std::string> vDisk;
    if (!ResolveSurveyed(names, strPath, &vDisk)) return TOOL_EXIT_FAILED;
    bool bAllListed = true;
    std::vector<SurveyItem> vItems;
    for (const std::string& strDisk : vDisk) {
        const bool bStarted = SurveyStoredFiles(
            names, strDisk, false, pKey,
            [&](const SurveyItem& item) {
                if (!item.scan.bUnlistedFolder) {
                    vItems.push_back(item);
                    return;
                }
                ReportUnlisted(item);
                bAllListed = false;
            },
            pEnv);
        if (!bStarted) {
            std::fprintf(stderr, "quovex-tool: no folder or stored file to list: %s\n",
                         names.Shown(strDisk).c_str());
            return TOOL_EXIT_FAILED;
        }
    }
    CJsonWriter json;
    json.BeginArray();
    for (const SurveyGroup& group :
         GroupSurveyItems(std::move(vItems), names.Hidden(), pKey, pEnv)) {
        const SurveyItem& item = group.vItems.front();
        if (group.Versions())
            bJson ? WriteVersionGroup(&json, group, names.Hidden(), pEnv)
                  : PrintVersionGroup(group, names.Hidden(), pEnv);
        else
            bJson ? WriteListEntry(&json, item, ListDamage(item), pEnv)
                  : PrintListEntry(item, ListDamage(item), pEnv);
    }
    json.EndArray();
    if (bJson) std::fputs(json.Text().c_str(), stdout);
    return bAllListed ? TOOL_EXIT_OK : TOOL_EXIT_FAILED;
}

int RunCheck(const std::string& strPath, bool bJson, const CVaultKey& key, CVaultEnv* pEnv) {
    const CToolNames names(FindVaultOf(strPath, pEnv), &key, pEnv);
    std::vector<std::string> vDisk;
    if (!ResolveSurveyed(names, strPath, &vDisk)) return TOOL_EXIT_FAILED;
    CJsonWriter json;
    json.BeginArray();
    std::uint64_t nFiles = 0;
    std::uint64_t nDamaged = 0;
    std::uint64_t nWarned = 0;
    std::uint64_t nUnlisted = 0;
    std::vector<SurveyItem> vItems;
    const auto fnVisit = [&](const SurveyItem& item) {
        unsigned nDamage = DAMAGE_UNLISTED_FOLDER;
        if (item.scan.bUnlistedFolder) {
            ++nUnlisted;
            if (item.bUnreadableName) nDamage = DAMAGE_UNREADABLE_NAME;
        } else {
            ++nFiles;
            vItems.push_back(item);
            nDamage = CheckDamage(item, key);
            nDamaged += nDamage != 0 ? 1 : 0;
            nWarned += Warned(item) ? 1 : 0;
            if (nDamage == 0 && !Warned(item)) return;
        }
        ReportChecked(&json, bJson, item, nDamage);
    };
    for (const std::string& strDisk : vDisk) {
        if (!SurveyStoredFiles(names, strDisk, true, &key, fnVisit, pEnv)) {
            std::fprintf(stderr, "quovex-tool: no folder or stored file to check: %s\n",
                         names.Shown(strDisk).c_str());
            return TOOL_EXIT_FAILED;
        }
    }
    std::uint64_t nVersioned = 0;
    for (const SurveyGroup& group :
         GroupSurveyItems(std::move(vItems), names.Hidden(), &key, pEnv)) {
        if (!group.Versions()) continue;
        ++nVersioned;
        ReportVersions(&json, bJson, group);
    }
    json.EndArray();
    if (bJson) std::fputs(json.Text().c_str(), stdout);
    std::fprintf(stderr, "quovex-tool: %" PRIu64 " stored file(s) read, %" PRIu64 " damaged",
                 nFiles, nDamaged);
    if (nWarned > 0) std::fprintf(stderr, ", %" PRIu64 " with a warning", nWarned);
    if (nVersioned > 0)
        std::fprintf(stderr, ", %" PRIu64 " name(s) of several versions", nVersioned);
    if (nUnlisted > 0) std::fprintf(stderr, ", %" PRIu64 " folder(s) not listed", nUnlisted);
    std::fputc('\n', stderr);
    return nDamaged == 0 && nUnlisted == 0 ? TOOL_EXIT_OK : TOOL_EXIT_FAILED;
}

}  // namespace quovex
