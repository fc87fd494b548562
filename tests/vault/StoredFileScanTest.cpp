// The survey of stored files: what it visits, in which order, and which
// damage it finds with and without reading the bodies, and for protected
// files with and without the vault's key.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "Fakes.h"
#include "StoredFileScan.h"
#include "TestFiles.h"

using namespace quovex;
using namespace quovex::test;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> ScannedPaths(const std::string& strPath,
                                      CVaultEnv* pEnv = CVaultEnv::Default()) {
    std::vector<std::string> vPaths;
    ScanStoredFiles(
        strPath, false,
        [&](const StoredFileScan& scan) {
            vPaths.push_back(scan.strPath.substr(strPath.size()) +
                             (scan.bUnlistedFolder ? "!" : ""));
        },
        pEnv);
    return vPaths;
}

}  // namespace

// Folders before files, names in the tree's order (case folded), depth
// first; plain files, dot-names and links are passed over; a folder that
// turns into a link after its parent was listed is reported, not followed.
TEST(StoredFileScanTest, VisitsStoredFilesInTheTreesOrderAndFindsEachKindOfDamage) {
    CTempDir tmp;
    const std::string strBox = tmp / "box";
    for (const char* pszName : {"b.txt.$", "A.$", "z/y.$", "a/x.$abc", "gone/w.$", ".h.$"})
        WriteStored(strBox + "/" + pszName, 1, 128);
    WriteBytes(strBox + "/plain.txt", Bytes(3));
    fs::create_symlink(strBox + "/A.$", strBox + "/link.$");
    EXPECT_EQ(ScannedPaths(strBox),
              (std::vector<std::string>{"/a/x.$abc", "/gone/w.$", "/z/y.$", "/A.$", "/b.txt.$"}));
    EXPECT_EQ(ScannedPaths(strBox + "/plain.txt"), std::vector<std::string>{""});
    EXPECT_FALSE(ScanStoredFiles(
        tmp / "missing", false, [](const StoredFileScan&) {}, CVaultEnv::Default()));
    EXPECT_FALSE(ScanStoredFiles(
        strBox + "/link.$", false, [](const StoredFileScan&) {}, CVaultEnv::Default()));

    CFaultEnv env;
    env.m_fnAfterList = [&](const std::string& strFolder) {
        if (strFolder != strBox) return;
        fs::rename(strBox + "/gone", tmp / "moved");
        fs::create_directory_symlink(tmp / "moved", strBox + "/gone");
    };
    EXPECT_EQ(ScannedPaths(strBox, &env),
              (std::vector<std::string>{"/a/x.$abc", "/gone!", "/z/y.$", "/A.$", "/b.txt.$"}));

    // Each kind of damage, judged from the length and again from a full
    // read; blocks beyond the plain size are sound, as readers ignore them.
    WriteStored(tmp / "sound.$", 300, 384);
    WriteStored(tmp / "extra.$", 100, 256);
    WriteStored(tmp / "short-body.$", 300, 256);
    WriteStored(tmp / "partial.$", 100, 200);
    WriteStored(tmp / "cut.$", 300, 100);
    WriteBytes(tmp / "short-header.$", Bytes{'Q', 'U', 'O', 'V', 'E', 'X', 1, 2});
    WriteBytes(tmp / "no-signature.$", Bytes(400, 'q'));
    WriteBytes(tmp / "tiny.$", Bytes{'Q', 'U'});
    const std::pair<const char*, unsigned> cases[] = {
        {"sound.$", 0},
        {"extra.$", 0},
        {"short-body.$", STORED_DAMAGE_SHORT_BODY},
        {"partial.$", STORED_DAMAGE_PARTIAL_BLOCK},
        {"cut.$", STORED_DAMAGE_SHORT_BODY | STORED_DAMAGE_PARTIAL_BLOCK},
        {"short-header.$", STORED_DAMAGE_SHORT_HEADER},
        {"no-signature.$", STORED_DAMAGE_NO_SIGNATURE},
        {"tiny.$", STORED_DAMAGE_NO_SIGNATURE},
    };
    for (const bool bReadBody : {false, true}) {
        for (const auto& [pszName, nDamage] : cases) {
            unsigned nFound = ~0u;
            ScanStoredFiles(
                tmp / pszName, bReadBody,
                [&](const StoredFileScan& scan) { nFound = FindStoredDamage(scan); },
                CVaultEnv::Default());
            EXPECT_EQ(nFound, nDamage) << pszName << (bReadBody ? " read" : " by length");
        }
    }

    // A read that fails in the body leaves nothing known but that.
    StoredFileScan scan;
    env.m_nFailReadAfter = SFF_HEADER_SIZE + 1000;
    ScanStoredFiles(
        tmp / "sound.$", true, [&](const StoredFileScan& found) { scan = found; }, &env);
    EXPECT_EQ(FindStoredDamage(scan), STORED_DAMAGE_UNREADABLE);
    scan = StoredFileScan();
    ScanStoredFile(nullptr, true, &scan);
    EXPECT_EQ(FindStoredDamage(scan), STORED_DAMAGE_UNREADABLE);
}

// Without the key a protected file shows its length alone, and only a
// length no writer makes is damage; with it, the metadata opens (or names
// another vault's file), a full read authenticates every chunk and names
// the one that fails, and a slot that does not open is a warning. Nothing
// is written.
TEST(StoredFileScanTest, ProtectedFilesWithAndWithoutTheKey) {
    CTempDir tmp;
    CVaultKey key("alice", "secret1"), other("alice", "secret1"), unnamed("alice", "secret1");
    SetTestMasterKey(&key, 7);
    SetTestMasterKey(&other, 8);
    unnamed.SetMasterKey(other.MasterKey().Clone());  // as builds that named no vault
    const std::size_t nSize = 3 * PFF_CHUNK_SIZE + 100;
    WriteBytes(tmp / "src", RandomBytes(nSize, 5));
    ASSERT_TRUE(StoreWith(key, tmp / "src", tmp / "box/a.$"));
    ASSERT_TRUE(StoreWith(other, tmp / "src", tmp / "box/f.$"));
    ASSERT_TRUE(StoreWith(unnamed, tmp / "src", tmp / "box/g.$"));
    const Bytes vSound = ReadBytes(tmp / "box/a.$");
    const std::size_t nSlot = ProtectedSlotSize((tmp / "src").size());
    const ProtectedHeader header = ProtectedHeaderOf(PFF_VERSION_VAULT_NAMED, nSlot);
    const std::size_t nChunk1 = ProtectedHeadSize(header) + PFF_CHUNK_STORED_SIZE + 77;
    Bytes v = vSound;
    v[nChunk1] ^= 4;
    WriteBytes(tmp / "box/c.$", v);  // chunk 1 damaged
    v = vSound;
    v[header.Size() + nSlot + 50] ^= 4;
    WriteBytes(tmp / "box/d.$", v);  // the second slot damaged: the first serves
    WriteBytes(tmp / "box/e.$", Bytes(vSound.begin(), vSound.end() - 1));  // cut short
    const Tree before = SnapshotTree(tmp.Path());

    // Damage judged by the length alone, with the key, and with the key from a full read.
    const std::tuple<const char*, unsigned, unsigned, unsigned> cases[] = {
        {"a.$", 0, 0, 0},
        {"c.$", 0, 0, STORED_DAMAGE_CHUNK},
        {"d.$", 0, 0, 0},
        {"e.$", STORED_DAMAGE_BAD_LENGTH, STORED_DAMAGE_BAD_LENGTH, STORED_DAMAGE_CHUNK},
        {"f.$", 0, STORED_DAMAGE_OTHER_VAULT, STORED_DAMAGE_OTHER_VAULT},
        {"g.$", 0, STORED_DAMAGE_METADATA, STORED_DAMAGE_METADATA},
    };
    for (const auto& [pszName, nByLength, nWithKey, nReadWithKey] : cases) {
        SCOPED_TRACE(pszName);
        const std::string strPath = tmp / "box/" + pszName;
        const auto fnScan = [&](bool bReadBody, const CVaultKey* pKey, StoredFileScan found = {}) {
            ScanStoredFiles(
                strPath, bReadBody, [&](auto& scan) { found = scan; }, CVaultEnv::Default(), pKey);
            return found;
        };
        for (const bool bReadBody : {false, true}) {
            const StoredFileScan scan = fnScan(bReadBody, nullptr);
            EXPECT_TRUE(scan.bProtected && !scan.bMetadata && !scan.bSignature);
            EXPECT_EQ(scan.nStoredLength, fs::file_size(strPath));
            EXPECT_EQ(FindStoredDamage(scan), nByLength);
        }
        const StoredFileScan listed = fnScan(false, &key);
        EXPECT_EQ(FindStoredDamage(listed), nWithKey);
        EXPECT_EQ(listed.bTornSlot, std::string(pszName) == "d.$");
        const StoredFileScan checked = fnScan(true, &key);
        EXPECT_EQ(FindStoredDamage(checked), nReadWithKey);
        VaultIdBytes otherId;
        otherId.fill(8);
        EXPECT_TRUE(nWithKey != STORED_DAMAGE_OTHER_VAULT || checked.vaultId == otherId);
        if (nWithKey == 0 || nWithKey == STORED_DAMAGE_BAD_LENGTH) {
            ASSERT_TRUE(HasOpenedMetadata(checked));
            EXPECT_EQ(checked.metadata.nPlainSize, nSize);
            EXPECT_EQ(checked.metadata.strSourcePath, tmp / "src");
        }
        EXPECT_TRUE(nReadWithKey != STORED_DAMAGE_CHUNK ||
                    checked.nFailedChunk == (std::string(pszName) == "c.$" ? 1u : 3u));
    }
    EXPECT_EQ(SnapshotTree(tmp.Path()), before);
}
