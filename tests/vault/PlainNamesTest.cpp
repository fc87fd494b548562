// A plain path in a vault resolved to the on-disk paths of its folder or
// stored file: hidden names (long ones too) and visible ones, versions of
// one name, and the paths that name nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "Boxes.h"
#include "Fakes.h"
#include "PathText.h"
#include "PlainNames.h"
#include "TestFiles.h"
#include "VaultKey.h"
#include "VaultTransfer.h"

using namespace quovex;
using namespace quovex::test;
namespace fs = std::filesystem;

namespace {

class PlainPathTest : public ::testing::Test {
protected:
    PlainPathTest() { CreateBoxFolders(m_strVault, m_pEnv); }

    // Stores the sources (below src/) into FileBox with key, keeping them.
    void StoreAll(const CVaultKey& key, const std::vector<std::string>& vSources) {
        CVaultTransfer transfer(key, m_pEnv);
        transfer.SetDeleteSource(false);
        DropJob job{{}, BoxFolderPath(m_strVault, BOX_FILE), &transfer, {}};
        for (const std::string& strSource : vSources) job.vDropList.push_back(m_tmp / strSource);
        CFakeFeedback feedback;
        AddDropWorker(feedback, job);
        ASSERT_TRUE(job.report.vFailed.empty());
    }
    ResolvedPlainPath Resolve(const CPlainNames& names, const std::string& strPlain) const {
        return ResolvePlainPath(names, m_pEnv, m_strVault, strPlain);
    }

    CTempDir m_tmp;
    CVaultEnv* m_pEnv = CVaultEnv::Default();
    const std::string m_strVault = m_tmp / "V";
};

TEST_F(PlainPathTest, HiddenNamesResolveNameByNameToTheirSealedPlaces) {
    CVaultKey key{"user1", "pass1"};
    SetTestMasterKey(&key, 7, true);
    std::string strLong;
    for (int i = 0; i < 60; ++i) strLong += "档";  // 180 bytes: a short form on disk
    WriteBytes(m_tmp / "src/资料/深/a.doc", RandomBytes(100, 1));
    WriteBytes(m_tmp / "src/资料/b.txt", RandomBytes(10, 2));
    WriteBytes(m_tmp / ("src/资料/" + strLong + "/c.bin"), RandomBytes(20, 3));
    WriteBytes(m_tmp / "src/d.$/e.txt", RandomBytes(5, 4));
    StoreAll(key, {"src/资料", "src/d.$"});
    const CPlainNames names(&key, m_pEnv);

    const auto fnExpect = [&](const std::string& strPlain, EntryKind kind) {
        const ResolvedPlainPath found = Resolve(names, strPlain);
        ASSERT_EQ(found.nResult, PlainPathResult::PLAIN_PATH_FOUND) << strPlain;
        ASSERT_EQ(found.kind, kind) << strPlain;
        ASSERT_EQ(found.vDisk.size(), 1u);
        EXPECT_TRUE(fs::exists(found.vDisk[0])) << strPlain;
        // The sealed names on the way open to the plain path asked for.
        const std::string strPlace =
            kind == EntryKind::ENTRY_FILE ? strPlain.substr(0, strPlain.size() - 2) : strPlain;
        EXPECT_EQ(names.PlaceOf(found.vDisk[0], kind), strPlace);
        EXPECT_EQ(found.vDisk[0].find("资料"), std::string::npos);
    };
    fnExpect("FileBox", EntryKind::ENTRY_FOLDER);
    fnExpect("FileBox/资料", EntryKind::ENTRY_FOLDER);
    fnExpect("FileBox/资料/深/a.doc.$", EntryKind::ENTRY_FILE);
    fnExpect("FileBox/资料/" + strLong, EntryKind::ENTRY_FOLDER);
    fnExpect("FileBox/资料/" + strLong + "/c.bin.$", EntryKind::ENTRY_FILE);
    // A folder whose name ends as a stored file's does, when no stored file has it.
    fnExpect("FileBox/d.$", EntryKind::ENTRY_FOLDER);

    for (const char* pszMissing : {"FileBox/资料/a.doc.$", "FileBox/资料/深/b.txt.$",
                                   "FileBox/无/a.doc.$", "ImageBox/资料", "FileBox/资料/b.txt"})
        EXPECT_EQ(Resolve(names, pszMissing).nResult, PlainPathResult::PLAIN_PATH_MISSING)
            << pszMissing;
    for (const char* pszNotPlain : {"资料/b.txt.$", "FileBox//b.txt.$", "FileBox/资料/..", ""})
        EXPECT_EQ(Resolve(names, pszNotPlain).nResult, PlainPathResult::PLAIN_PATH_NOT_PLAIN)
            << pszNotPlain;

    // A second version of b.txt (as another machine stores it): both found.
    const ResolvedPlainPath first = Resolve(names, "FileBox/资料/b.txt.$");
    ASSERT_EQ(first.vDisk.size(), 1u);
    const std::string strSecond =
        JoinPath(FolderOf(first.vDisk[0]), names.Names().NewFileOnDisk("FileBox/资料", "b.txt"));
    fs::copy_file(first.vDisk[0], strSecond);
    const ResolvedPlainPath both = Resolve(names, "FileBox/资料/b.txt.$");
    EXPECT_EQ(both.nResult, PlainPathResult::PLAIN_PATH_VERSIONS);
    EXPECT_EQ(both.kind, EntryKind::ENTRY_FILE);
    EXPECT_EQ(std::set<std::string>(both.vDisk.begin(), both.vDisk.end()),
              (std::set<std::string>{first.vDisk[0], strSecond}));

    // Moved by hand into the folder above: found where it lies, under the
    // name its sealed place gives, and no longer where it was.
    const std::string strDoc = Resolve(names, "FileBox/资料/深/a.doc.$").vDisk.at(0);
    const std::string strMoved = JoinPath(FolderOf(FolderOf(strDoc)), LastComponent(strDoc));
    fs::rename(strDoc, strMoved);
    EXPECT_EQ(Resolve(names, "FileBox/资料/a.doc.$").vDisk, std::vector<std::string>{strMoved});
    EXPECT_EQ(Resolve(names, "FileBox/资料/深/a.doc.$").nResult,
              PlainPathResult::PLAIN_PATH_MISSING);

    // Without the key the names stay sealed: nothing below the box is found.
    const CPlainNames sealed(nullptr, m_pEnv);
    EXPECT_EQ(Resolve(sealed, "FileBox/资料").nResult, PlainPathResult::PLAIN_PATH_MISSING);
}

TEST_F(PlainPathTest, VisibleNamesResolveToThemselves) {
    CVaultKey key{"user1", "pass1"};
    SetTestMasterKey(&key, 8);
    WriteBytes(m_tmp / "src/资料/b.txt", RandomBytes(10, 2));
    StoreAll(key, {"src/资料"});
    for (const CVaultKey* pKey : std::initializer_list<const CVaultKey*>{&key, nullptr}) {
        const CPlainNames names(pKey, m_pEnv);
        const ResolvedPlainPath file = Resolve(names, "FileBox/资料/b.txt.$");
        EXPECT_EQ(file.nResult, PlainPathResult::PLAIN_PATH_FOUND);
        EXPECT_EQ(file.vDisk, std::vector<std::string>{m_strVault + "/FileBox/资料/b.txt.$"});
        const ResolvedPlainPath folder = Resolve(names, "FileBox/资料");
        EXPECT_EQ(folder.kind, EntryKind::ENTRY_FOLDER);
        EXPECT_EQ(folder.vDisk, std::vector<std::string>{m_strVault + "/FileBox/资料"});
    }
}

}  // namespace
