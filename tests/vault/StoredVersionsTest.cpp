// The versions of one plain name: second sealed names and sync engines'
// conflict copies read as versions of their original, numbered from the
// oldest to the newest, with what each one tells of itself.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Boxes.h"
#include "PathText.h"
#include "PlainNames.h"
#include "StoredFileInfo.h"
#include "StoredVersions.h"
#include "TestFiles.h"
#include "VersionFiles.h"

using namespace quovex;
using namespace quovex::test;
namespace fs = std::filesystem;

namespace {

class StoredVersionsTest : public ::testing::Test {
protected:
    StoredVersionsTest() { CreateBoxFolders(m_strVault, m_pEnv); }

    CTempDir m_tmp;
    CVaultEnv* m_pEnv = CVaultEnv::Default();
    const std::string m_strVault = m_tmp / "V";
};

TEST_F(StoredVersionsTest, HiddenNamesGatherEveryVersionOfOnePlainName) {
    CVaultKey key{"user1", "pass1"};
    MakeHiddenNamesKey(&key, 0x31);
    const CPlainNames names(&key, m_pEnv);
    const std::string strFolder =
        JoinPath(m_strVault + "/FileBox", names.Names().FolderOnDisk("FileBox", "资料"));
    const auto fnNew = [&](const char* pszName) {
        return names.Names().NewFileOnDisk("FileBox/资料", pszName);
    };
    // Stored on one machine, then on another while apart (older), then a
    // conflict copy of the first that the engine kept, and one other file.
    const std::string strFirst = fnNew("报告.doc");
    const std::string strSecond = fnNew("报告.doc");
    EXPECT_TRUE(WriteVersion(key, JoinPath(strFolder, strFirst), 1700000300,
                             "FileBox/资料/报告.doc", RandomBytes(10, 1), "甲"));
    EXPECT_TRUE(WriteVersion(key, JoinPath(strFolder, strSecond), 1700000100,
                             "FileBox/资料/报告.doc", RandomBytes(25, 2), "乙"));
    const std::string strCopy = SyncthingCopyName(strFirst, "S3MHZRP");
    fs::copy_file(JoinPath(strFolder, strFirst), JoinPath(strFolder, strCopy));
    EXPECT_TRUE(WriteVersion(key, JoinPath(strFolder, fnNew("c.txt")), 1700000000,
                             "FileBox/资料/c.txt", RandomBytes(5, 3)));

    std::vector<PlainEntry> vEntries;
    ASSERT_TRUE(names.List(strFolder, "FileBox/资料", &vEntries));
    ASSERT_EQ(vEntries.size(), 4u);
    for (const PlainEntry& entry : vEntries) {
        EXPECT_EQ(entry.nState, PlainState::PLAIN_OPENED) << entry.strDisk;
        EXPECT_EQ(entry.bConflictCopy, entry.strDisk == strCopy) << entry.strDisk;
    }
    const std::vector<VersionGroup> vGroups = GroupVersions(vEntries);
    ASSERT_EQ(vGroups.size(), 1u);
    EXPECT_EQ(vGroups[0].strPlain, "报告.doc");
    EXPECT_EQ(vGroups[0].vDiskNames.size(), 3u);

    std::vector<StoredVersion> v;
    ASSERT_EQ(FindVersionsOf(names, m_strVault, "FileBox/资料/报告.doc.$", &v),
              PlainPathResult::PLAIN_PATH_VERSIONS);
    ASSERT_EQ(v.size(), 3u);
    // Oldest first; the first and its copy share a time, and go by name.
    EXPECT_EQ(v[0].strDisk, JoinPath(strFolder, strSecond));
    EXPECT_EQ(v[0].nStoredTime, 1700000100);
    EXPECT_EQ(v[0].nPlainSize, 25u);
    EXPECT_EQ(v[0].strSummary, "乙");
    EXPECT_EQ(v[0].strDevice, "");
    const bool bCopyFirst = strCopy < strFirst;
    EXPECT_EQ(v[1].strDisk, JoinPath(strFolder, bCopyFirst ? strCopy : strFirst));
    EXPECT_EQ(v[2].strDisk, JoinPath(strFolder, bCopyFirst ? strFirst : strCopy));
    for (std::size_t i : {1u, 2u}) {
        EXPECT_TRUE(v[i].bRead);
        EXPECT_EQ(v[i].nStoredTime, 1700000300);
        EXPECT_EQ(v[i].nPlainSize, 10u);
        EXPECT_EQ(v[i].strSummary, "甲");
        EXPECT_EQ(v[i].strDevice, v[i].strDisk.ends_with(strCopy) ? "S3MHZRP" : "");
    }
    ASSERT_EQ(FindVersionsOf(names, m_strVault, "FileBox/资料/c.txt.$", &v),
              PlainPathResult::PLAIN_PATH_FOUND);
    EXPECT_EQ(v.size(), 1u);
    EXPECT_EQ(FindVersionsOf(names, m_strVault, "FileBox/资料", &v),
              PlainPathResult::PLAIN_PATH_MISSING);
    EXPECT_TRUE(v.empty());

    // A copy of a name of another vault is no version: its place names it.
    CVaultKey other{"user1", "pass1"};
    MakeHiddenNamesKey(&other, 0x32);
    const std::string strForeign = SyncthingCopyName(
        CPlainNames(&other, m_pEnv).Names().NewFileOnDisk("FileBox/资料", "报告.doc"), "ABCDEFG");
    fs::copy_file(JoinPath(strFolder, strFirst), JoinPath(strFolder, strForeign));
    ASSERT_TRUE(names.List(strFolder, "FileBox/资料", &vEntries));
    for (const PlainEntry& entry : vEntries)
        if (entry.strDisk == strForeign) {
            EXPECT_EQ(entry.nState, PlainState::PLAIN_AWAY);
        }
}

TEST_F(StoredVersionsTest, VisibleNamesReadConflictCopiesAsVersionsOfTheirOriginal) {
    // A scrambled vault: each version's summary comes from its plain header.
    const CVaultKey key{"user1", "pass1"};
    const std::string strBox = m_strVault + "/FileBox";
    WriteBytes(m_tmp / "src/report.txt", RandomBytes(300, 4));
    ASSERT_TRUE(StoreWith(key, m_tmp / "src/report.txt", strBox + "/report.txt.$"));
    const std::vector<std::string> vCopies = {"report.txt.sync-conflict-20261209-022408-S3MHZRP.$",
                                              "report.txt (LAPTOP's conflicted copy 2026-12-09).$",
                                              "report.txt (conflicted copy 2026-12-09 101500).$"};
    for (const std::string& strCopy : vCopies)
        fs::copy_file(strBox + "/report.txt.$", strBox + "/" + strCopy);
    // A user's own name that merely reads like one is a file of its own.
    fs::copy_file(strBox + "/report.txt.$", strBox + "/report (conflicted copy).txt.$");
    const FileStamp stamp = [&] {
        FileStamp s;
        m_pEnv->GetStamp(strBox + "/" + vCopies[0], &s);
        return s;
    }();
    ASSERT_EQ(WriteStoredSummary(strBox + "/" + vCopies[0], stamp, "改过", m_pEnv),
              SummaryWriteResult::SUMMARY_WRITTEN);

    const CPlainNames names(nullptr, m_pEnv);
    std::vector<PlainEntry> vEntries;
    ASSERT_TRUE(names.List(strBox, "FileBox", &vEntries));
    std::size_t nCopies = 0;
    for (const PlainEntry& entry : vEntries) {
        const bool bOwn = entry.strDisk == "report (conflicted copy).txt.$";
        EXPECT_EQ(entry.strPlain, bOwn ? "report (conflicted copy).txt" : "report.txt");
        nCopies += entry.bConflictCopy ? 1 : 0;
    }
    EXPECT_EQ(nCopies, 3u);

    std::vector<StoredVersion> v;
    ASSERT_EQ(FindVersionsOf(names, m_strVault, "FileBox/report.txt.$", &v),
              PlainPathResult::PLAIN_PATH_VERSIONS);
    ASSERT_EQ(v.size(), 4u);
    std::vector<std::string> vDevices;
    for (std::size_t i = 0; i < v.size(); ++i) {
        EXPECT_TRUE(v[i].bRead);
        EXPECT_EQ(v[i].nPlainSize, 300u);
        EXPECT_GT(v[i].nStoredTime, 0);
        if (i > 0) {
            EXPECT_LE(v[i - 1].nStoredTime, v[i].nStoredTime);
        }
        const std::string strName = LastComponent(v[i].strDisk);
        EXPECT_EQ(v[i].strSummary, strName == vCopies[0] ? "改过" : "");
        EXPECT_EQ(v[i].strDevice, strName == vCopies[0]   ? "S3MHZRP"
                                  : strName == vCopies[1] ? "LAPTOP"
                                                          : "");
    }
    // The copy is a version of the name it copies, never resolved by its own.
    EXPECT_EQ(FindVersionsOf(names, m_strVault,
                             "FileBox/report.txt.sync-conflict-20261209-022408-S3MHZRP.$", &v),
              PlainPathResult::PLAIN_PATH_MISSING);
}

}  // namespace
