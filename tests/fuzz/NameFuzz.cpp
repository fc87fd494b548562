// The libFuzzer target over hidden names (NameCipher.h) in the reference
// vault (master key 00 .. 1F), all in one folder of parent path
// FUZZ_PARENT. The low two bits of an input's first byte say what the rest
// is: 0 an on-disk folder name, 1 an on-disk file name, each opened; 2 the
// bytes of a folder name record, opened; 3 a plain name, sealed (as a
// file's when bit 2 is set, else as a folder's and in a record) and opened
// again.
// What must hold for any input: nothing is handed out that was not sealed
// under the vault's key as the very bytes given (checked against libsodium
// directly, not through the cipher), a refusal hands out nothing, and every
// plain name round-trips through an on-disk name of the allowed form.
#include <sodium.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzHarness.h"
#include "NameCipher.h"
#include "ReferenceVault.h"

namespace quovex::fuzz {

namespace {

using enum NameResult;
using enum NameKind;
using Bytes = std::vector<unsigned char>;

constexpr char FUZZ_PARENT[] = "文档保险柜/资料";
constexpr char UNTOUCHED[] = "(untouched)";

struct NameWorld {
    CNameCipher names;
    CSecretBytes sealKey{NAME_KEY_SIZE};  // derived here, not by the cipher
};
NameWorld* g_pNames = nullptr;

const unsigned char* Data(const std::string& str) {
    return reinterpret_cast<const unsigned char*>(str.data());
}

// Whether vSealed is nonce || seal of strPlain with associated data nKind ||
// FUZZ_PARENT under the vault's names key: only then may it open.
bool IsSealOf(const Bytes& vSealed, unsigned char nKind, const std::string& strPlain) {
    if (vSealed.size() != NAME_SEALED_OVERHEAD + strPlain.size()) return false;
    const std::string strAd = static_cast<char>(nKind) + std::string(FUZZ_PARENT);
    Bytes vAgain(strPlain.size() + NAME_TAG_SIZE);
    crypto_aead_xchacha20poly1305_ietf_encrypt(vAgain.data(), nullptr, Data(strPlain),
                                               strPlain.size(), Data(strAd), strAd.size(), nullptr,
                                               vSealed.data(), g_pNames->sealKey.Data());
    return std::equal(vAgain.begin(), vAgain.end(), vSealed.begin() + NAME_NONCE_SIZE);
}

bool IsBase32Text(const std::string& str) {
    for (const char c : str)
        if (!((c >= 'a' && c <= 'z') || (c >= '2' && c <= '7'))) return false;
    return true;
}

void CheckOpenName(NameKind kind, const std::string& strDisk) {
    std::string strPlain = UNTOUCHED;
    const NameResult result = g_pNames->names.OpenName(kind, FUZZ_PARENT, strDisk, &strPlain);
    Require(result == NAME_OK || strPlain == UNTOUCHED, "OpenName handed out a refused name");
    const bool bFile = kind == NAME_FILE;
    const bool bSuffixed = strDisk.ends_with(STORED_SUFFIX);
    const std::string strText = strDisk.substr(0, strDisk.size() - (bFile && bSuffixed ? 2 : 0));
    const bool bForm = strDisk.size() <= NAME_MAX_BYTES && bSuffixed == bFile;
    if (result == NAME_LONG)
        Require(bForm && strText.size() == NAME_SHORT_SIZE && strText[0] == NAME_SHORT_PREFIX &&
                    IsBase32Text(strText.substr(1)),
                "OpenName took another text for a short form");
    if (result != NAME_OK) return;
    Bytes vSealed;
    Require(bForm && IsBase32Text(strText) && DecodeBase32(strText, &vSealed) &&
                IsPlainName(strPlain) &&
                IsSealOf(vSealed, bFile ? NAME_KIND_FILE : NAME_KIND_FOLDER, strPlain),
            "OpenName opened what was never sealed as these bytes");
    std::string strAgain;
    Require(bFile || (g_pNames->names.SealName(kind, FUZZ_PARENT, strPlain, &strAgain) == NAME_OK &&
                      strAgain == strDisk),
            "a folder name opened that is not its name's one form");
}

void CheckOpenRecord(const Bytes& v) {
    std::string strName = UNTOUCHED;
    const NameResult result =
        g_pNames->names.OpenFolderRecord(FUZZ_PARENT, v.data(), v.size(), &strName);
    Require(result == NAME_OK || strName == UNTOUCHED, "OpenFolderRecord handed out a name");
    if (result != NAME_OK) return;
    const Bytes vSealed(v.begin() + NAME_RECORD_OFFSET_NONCE, v.end());
    Require(std::memcmp(v.data(), NAME_RECORD_MAGIC, NAME_RECORD_MAGIC_SIZE) == 0 &&
                v[NAME_RECORD_OFFSET_VERSION] == NAME_RECORD_VERSION && IsPlainName(strName) &&
                IsSealOf(vSealed, NAME_KIND_RECORD, strName),
            "OpenFolderRecord opened what was never sealed as these bytes");
}

void CheckRoundTrip(NameKind kind, const std::string& strName) {
    const bool bPlain = !strName.empty() && strName.size() <= NAME_PLAIN_MAX_BYTES &&
                        strName != "." && strName != ".." &&
                        strName.find_first_of(std::string("/\0", 2)) == std::string::npos;
    const CNameCipher& names = g_pNames->names;
    std::string strDisk = UNTOUCHED;
    const NameResult result = names.SealName(kind, FUZZ_PARENT, strName, &strDisk);
    Require(
        result == (IsPlainName(strName) ? NameFitsSealed(kind, strName.size()) ? NAME_OK : NAME_LONG
                                        : NAME_BAD_PLAIN),
        "SealName's result");
    Require(bPlain || result == NAME_BAD_PLAIN, "SealName took what is no plain name");
    if (result == NAME_BAD_PLAIN) {
        Require(strDisk == UNTOUCHED && names.SealFolderRecord(FUZZ_PARENT, strName).empty(),
                "a refused name was sealed");
        return;
    }
    const bool bFile = kind == NAME_FILE;
    Require(strDisk.size() <= NAME_MAX_BYTES && strDisk.ends_with(STORED_SUFFIX) == bFile &&
                IsBase32Text(strDisk.substr(
                    result == NAME_LONG ? 1 : 0,
                    strDisk.size() - (bFile ? 2 : 0) - (result == NAME_LONG ? 1 : 0))),
            "an on-disk name of another form");
    std::string strPlain;
    Require(names.OpenName(kind, FUZZ_PARENT, strDisk, &strPlain) == result &&
                (result == NAME_LONG || strPlain == strName),
            "a sealed name does not open to itself");
    if (bFile) return;
    Require(names.IsShortFolderNameOf(FUZZ_PARENT, strName, strDisk) == (result == NAME_LONG),
            "IsShortFolderNameOf");
    const Bytes vRecord = names.SealFolderRecord(FUZZ_PARENT, strName);
    Require(
        names.OpenFolderRecord(FUZZ_PARENT, vRecord.data(), vRecord.size(), &strPlain) == NAME_OK &&
            strPlain == strName,
        "a folder name record does not open to its name");
}

}  // namespace

}  // namespace quovex::fuzz

using namespace quovex;
using namespace quovex::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_pNames = new NameWorld;
    CSecretBytes master(PFF_KEY_SIZE);
    for (std::size_t i = 0; i < master.Size(); ++i)
        master.Data()[i] = static_cast<unsigned char>(i);
    if (!g_pNames->names.Init(master) || g_pNames->sealKey.IsEmpty() ||
        crypto_kdf_derive_from_key(g_pNames->sealKey.Data(), NAME_KEY_SIZE, PFF_KDF_ID_NAMES,
                                   PFF_KDF_CONTEXT, master.Data()) != 0)
        Finding("the names keys cannot be made");
    // File nonces counted, so that every run of an input is the same.
    static const test::CCountedRandom* s_pCounted = new test::CCountedRandom;
    (void)s_pCounted;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    if (nSize == 0) return 0;
    const std::string strRest(reinterpret_cast<const char*>(pData) + 1, nSize - 1);
    switch (pData[0] & 3) {
        case 0:
        case 1:
            CheckOpenName(pData[0] & 1 ? NAME_FILE : NAME_FOLDER, strRest);
            break;
        case 2:
            CheckOpenRecord(Bytes(pData + 1, pData + nSize));
            break;
        default:
            CheckRoundTrip(pData[0] & 4 ? NAME_FILE : NAME_FOLDER, strRest);
            break;
    }
    return 0;
}
