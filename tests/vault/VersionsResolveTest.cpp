// Resolving the versions of one plain name: one kept and the others
// deleted, or all kept under the first free numbered names with their
// sealed places following; and a run stopped at any change to the disk
// losing no version.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "Boxes.h"
#include "Fakes.h"
#include "PathText.h"
#include "PlainNames.h"
#include "ProtectedLayout.h"
#include "StoredFileInfo.h"
#include "StoredVersions.h"
#include "TestFiles.h"
#include "VaultTransfer.h"
#include "VersionFiles.h"
#include "VersionsResolve.h"

using namespace quovex;
using namespace quovex::test;
namespace fs = std::filesystem;

namespace {

class VersionsResolveTest : public ::testing::Test {
protected:
    VersionsResolveTest() {
        CreateBoxFolders(m_strVault, CVaultEnv::Default());
        MakeHiddenNamesKey(&m_key, 0x41);
    }

    // Three versions of FileBox/资料/报告.doc stored at 100, 300 and 200
    // (the last a Syncthing copy of a fourth name's file, gone meanwhile)
    // and one other file; returns the folder on disk.
    std::string MakeVersions() {
        const CPlainNames names(&m_key, CVaultEnv::Default());
        const std::string strFolder =
            JoinPath(m_strVault + "/FileBox", names.Names().FolderOnDisk("FileBox", "资料"));
        const auto fnNew = [&](const char* pszName) {
            return JoinPath(strFolder, names.Names().NewFileOnDisk("FileBox/资料", pszName));
        };
        const char* pszPlace = "FileBox/资料/报告.doc";
        m_vPlain = {RandomBytes(10, 1), RandomBytes(25, 2), RandomBytes(40, 3)};
        EXPECT_TRUE(WriteVersion(m_key, fnNew("报告.doc"), 100, pszPlace, m_vPlain[0]));
        EXPECT_TRUE(WriteVersion(m_key, fnNew("报告.doc"), 300, pszPlace, m_vPlain[2]));
        const std::string strGone = fnNew("报告.doc");
        EXPECT_TRUE(WriteVersion(m_key, strGone, 200, pszPlace, m_vPlain[1]));
        fs::rename(strGone,
                   JoinPath(strFolder, SyncthingCopyName(LastComponent(strGone), "DEV2222")));
        EXPECT_TRUE(
            WriteVersion(m_key, fnNew("c.txt"), 50, "FileBox/资料/c.txt", RandomBytes(5, 4)));
        return strFolder;
    }
    std::vector<StoredVersion> Versions(const std::string& strPlain) const {
        const CPlainNames names(&m_key, CVaultEnv::Default());
        std::vector<StoredVersion> v;
        FindVersionsOf(names, m_strVault, strPlain, &v);
        return v;
    }
    // The plain content of the stored file strDisk, restored alone into an
    // empty folder (where names are hidden, under the name of its place).
    Bytes PlainOf(const std::string& strDisk) const {
        const std::string strOut = m_tmp / "out";
        fs::remove_all(strOut);
        fs::create_directory(strOut);
        EXPECT_TRUE(RestoreWith(m_key, strDisk, strOut + "/x.$")) << strDisk;
        const fs::directory_iterator it(strOut);
        return it == fs::directory_iterator() ? Bytes() : ReadBytes(it->path());
    }
    // Every stored file of the folder: its plain name as listed, by content.
    std::map<Bytes, std::string> ContentsIn(const std::string& strFolder) const {
        const CPlainNames names(&m_key, CVaultEnv::Default());
        std::vector<PlainEntry> vEntries;
        EXPECT_TRUE(names.List(strFolder, "FileBox/资料", &vEntries));
        std::map<Bytes, std::string> contents;
        for (const PlainEntry& entry : vEntries) {
            EXPECT_NE(entry.nState, PlainState::PLAIN_UNREADABLE) << entry.strDisk;
            contents[PlainOf(JoinPath(strFolder, entry.strDisk))] = entry.strPlain;
        }
        return contents;
    }

    CTempDir m_tmp;
    const std::string m_strVault = m_tmp / "V";
    CVaultKey m_key{"user1", "pass1"};
    std::vector<Bytes> m_vPlain;  // by storage time
};

TEST_F(VersionsResolveTest, KeepOneDeletesTheOthersAndAKeptCopyTakesAVaultName) {
    const std::string strFolder = MakeVersions();
    std::vector<StoredVersion> v = Versions("FileBox/资料/报告.doc.$");
    ASSERT_EQ(v.size(), 3u);
    ASSERT_EQ(v[1].strDevice, "DEV2222");
    CFaultEnv env;
    // No such version, or the kept one changed since it was read: nothing goes.
    EXPECT_EQ(KeepOneVersion(v, 4, m_key, &env).result.nOutcome, FileOutcome::FILE_FAILED);
    EXPECT_EQ(KeepOneVersion(v, 0, m_key, &env).result.nOutcome, FileOutcome::FILE_FAILED);
    StoredVersion changed = v[1];
    changed.stamp.nSize += 1;
    EXPECT_EQ(KeepOneVersion({v[0], changed, v[2]}, 2, m_key, &env).result.nOutcome,
              FileOutcome::FILE_CHANGED);
    EXPECT_EQ(Versions("FileBox/资料/报告.doc.$").size(), 3u);
    EXPECT_EQ(env.m_nChanges, 0);

    const VersionsResolution kept = KeepOneVersion(v, 2, m_key, &env);
    EXPECT_EQ(kept.result.nOutcome, FileOutcome::FILE_DONE);
    EXPECT_TRUE(kept.vLeft.empty());
    v = Versions("FileBox/资料/报告.doc.$");
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].strDevice, "") << "the kept copy keeps its engine's name";
    EXPECT_EQ(PlainOf(v[0].strDisk), m_vPlain[1]);
    EXPECT_EQ(Versions("FileBox/资料/c.txt.$").size(), 1u);
    FileStamp folder;
    ASSERT_TRUE(CVaultEnv::Default()->GetStamp(strFolder, &folder));
    EXPECT_EQ(folder.nModSeconds, PROTECTED_STORED_FILE_TIME);
}

TEST_F(VersionsResolveTest, KeepAllGivesTheFirstFreeNamesAndTheirPlaces) {
    const std::string strFolder = MakeVersions();
    // A name of the numbered form is taken already.
    const CPlainNames names(&m_key, CVaultEnv::Default());
    EXPECT_TRUE(WriteVersion(
        m_key, JoinPath(strFolder, names.Names().NewFileOnDisk("FileBox/资料", "报告 (2).doc")), 60,
        "FileBox/资料/报告 (2).doc", RandomBytes(7, 5)));
    const std::vector<StoredVersion> v = Versions("FileBox/资料/报告.doc.$");
    ASSERT_EQ(v.size(), 3u);
    CFaultEnv env;
    const VersionsResolution all = KeepAllVersions(v, m_key, &env);
    EXPECT_EQ(all.result.nOutcome, FileOutcome::FILE_DONE);
    EXPECT_EQ(all.vNames, (std::vector<std::string>{"报告 (3).doc", "报告 (4).doc", "报告.doc"}));
    for (std::size_t i = 0; i < 3; ++i) {
        const std::vector<StoredVersion> now = Versions("FileBox/资料/" + all.vNames[i] + ".$");
        ASSERT_EQ(now.size(), 1u) << all.vNames[i];
        EXPECT_EQ(PlainOf(now[0].strDisk), m_vPlain[i]);
        EXPECT_EQ(now[0].strDevice, "");
        const StoredFileInfo info = ReadStoredFileInfo(now[0].strDisk, &env, &m_key);
        EXPECT_EQ(info.strPlace, "FileBox/资料/" + all.vNames[i]);
        EXPECT_FALSE(info.bAwayFromPlace) << all.vNames[i];
    }
    EXPECT_EQ(Versions("FileBox/资料/报告 (2).doc.$").size(), 1u);

    // Versions that changed since they were read: nothing is renamed.
    const std::vector<StoredVersion> stale = v;
    const std::int64_t nBefore = env.m_nChanges;
    EXPECT_EQ(KeepAllVersions(stale, m_key, &env).result.nOutcome, FileOutcome::FILE_CHANGED);
    EXPECT_EQ(env.m_nChanges, nBefore);
}

TEST_F(VersionsResolveTest, VisibleNamesRenameByTheNameAndRewriteAFileOfTheFirstVersion) {
    CVaultKey visible{"user1", "pass1"};
    SetTestMasterKey(&visible, 0x42);
    const std::string strBox = m_strVault + "/FileBox";
    // Of the first version: no place in its records, so it is written anew.
    EXPECT_TRUE(WriteVersion(visible, strBox + "/a.txt.$", 100, "", RandomBytes(30, 6)));
    fs::copy_file(strBox + "/a.txt.$", strBox + "/" + SyncthingCopyName("a.txt.$", "S3MHZRP"));
    const CPlainNames names(&visible, CVaultEnv::Default());
    std::vector<StoredVersion> v;
    ASSERT_EQ(FindVersionsOf(names, m_strVault, "FileBox/a.txt.$", &v),
              PlainPathResult::PLAIN_PATH_VERSIONS);
    CFaultEnv env;
    const VersionsResolution all = KeepAllVersions(v, visible, &env);
    EXPECT_EQ(all.result.nOutcome, FileOutcome::FILE_DONE);
    EXPECT_EQ(all.vNames, (std::vector<std::string>{"a (2).txt", "a.txt"}));
    std::set<std::string> vOnDisk;
    for (const auto& entry : fs::directory_iterator(strBox))
        vOnDisk.insert(entry.path().filename().string());
    EXPECT_EQ(vOnDisk, (std::set<std::string>{"a (2).txt.$", "a.txt.$"}));
    const StoredFileInfo info = ReadStoredFileInfo(strBox + "/a (2).txt.$", &env, &visible);
    EXPECT_EQ(info.strPlace, "FileBox/a (2).txt");
    EXPECT_EQ(info.nPlainSize, 30u);
    EXPECT_EQ(NumberedName(".profile", 2), ".profile (2)");
    EXPECT_EQ(NumberedName("README", 3), "README (3)");
    EXPECT_EQ(NumberedName("a.tar.gz", 2), "a.tar (2).gz");
}

TEST_F(VersionsResolveTest, AStopAtAnyChangeLosesNoVersion) {
    for (const bool bKeepAll : {true, false}) {
        bool bFinished = false;
        for (std::int64_t nStop = 0; !bFinished && nStop < 100; ++nStop) {
            const std::string strFolder = MakeVersions();
            const std::vector<StoredVersion> v = Versions("FileBox/资料/报告.doc.$");
            ASSERT_EQ(v.size(), 3u);
            CFaultEnv env;
            env.m_nStopAfterChanges = nStop;
            const VersionsResolution resolution =
                bKeepAll ? KeepAllVersions(v, m_key, &env) : KeepOneVersion(v, 3, m_key, &env);
            bFinished = resolution.result.nOutcome == FileOutcome::FILE_DONE;
            const std::map<Bytes, std::string> contents = ContentsIn(strFolder);
            // Every version is there still (keep one: the kept one), and
            // opens under the name it had or the one it was to take.
            for (std::size_t i = 0; i < 3; ++i) {
                const auto it = contents.find(m_vPlain[i]);
                if (!bKeepAll && i < 2) continue;
                ASSERT_NE(it, contents.end()) << "stop " << nStop << ", version " << i + 1;
                EXPECT_TRUE(it->second == "报告.doc" ||
                            (bKeepAll && it->second.find(" (") != std::string::npos))
                    << it->second;
            }
            if (bFinished) {
                EXPECT_EQ(contents.size(), bKeepAll ? 4u : 2u) << "stop " << nStop;
            }
            fs::remove_all(m_strVault + "/FileBox");
            fs::create_directory(m_strVault + "/FileBox");
        }
        EXPECT_TRUE(bFinished) << (bKeepAll ? "keep all" : "keep one");
    }
}

}  // namespace

// A folder's restore takes the newest version of a name under the name and
// reports each older one as passed over, never asking to overwrite the
// newest with an older one; with visible names a conflict copy that is the
// newest is restored under the name it copies.
TEST_F(VersionsResolveTest, AFolderRestoreTakesTheNewestVersionAndTellsOfTheOthers) {
    const std::string strFolder = MakeVersions();
    CVaultTransfer transfer(m_key, CVaultEnv::Default());
    ASSERT_TRUE(transfer.HideNames());
    CFakeFeedback feedback;
    RestoreJob job{strFolder, m_tmp / "out", {}, &transfer, {}};
    EXPECT_EQ(RestoreWorker(feedback, job), RunOutcome::RUN_FINISHED);
    EXPECT_TRUE(feedback.m_vQuestions.empty());
    EXPECT_EQ(job.report.nFilesDone, 2u);
    EXPECT_TRUE(job.report.vFailed.empty());
    ASSERT_EQ(job.report.vPassedOver.size(), 2u);
    for (const PassedOverItem& item : job.report.vPassedOver)
        EXPECT_EQ(item.nReason, PassReason::PASS_OLDER_VERSION) << item.strPath;
    EXPECT_EQ(ReadBytes(m_tmp / "out/资料/报告.doc"), m_vPlain[2]);

    CVaultKey visible{"user1", "pass1"};
    SetTestMasterKey(&visible, 0x42);
    const std::string strBox = m_strVault + "/OtherBox";
    EXPECT_TRUE(WriteVersion(visible, strBox + "/d/a.txt.$", 100, "OtherBox/d/a.txt", m_vPlain[0]));
    EXPECT_TRUE(WriteVersion(visible, strBox + "/d/" + SyncthingCopyName("a.txt.$", "S3MHZRP"), 200,
                             "OtherBox/d/a.txt", m_vPlain[1]));
    CVaultTransfer plain(visible, CVaultEnv::Default());
    RestoreJob visibleJob{strBox + "/d", m_tmp / "out2", {}, &plain, {}};
    EXPECT_EQ(RestoreWorker(feedback, visibleJob), RunOutcome::RUN_FINISHED);
    EXPECT_EQ(visibleJob.report.nFilesDone, 1u);
    ASSERT_EQ(visibleJob.report.vPassedOver.size(), 1u);
    EXPECT_EQ(LastComponent(visibleJob.report.vPassedOver[0].strPath), "a.txt.$");
    EXPECT_EQ(SnapshotTree(m_tmp / "out2"), (Tree{{"d/", {}}, {"d/a.txt", m_vPlain[1]}}));
}
