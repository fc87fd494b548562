// Recursive add and restore through the two worker procedures: placement,
// deletion of sources, the free-space test, the shared progress, cancels
// and failures of single files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "FakeFeedback.h"
#include "FaultEnv.h"
#include "TempDir.h"
#include "TestFiles.h"
#include "VaultCipher.h"
#include "VaultFolders.h"
#include "VaultTransfer.h"

using namespace quovex;
using namespace quovex::test;
namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t MARGIN = 500000000;  // bytes that must stay free beyond a run's total

class VaultTransferTest : public ::testing::Test {
protected:
    void SetUp() override { CreateBoxFolders(m_strVault); }
    void TearDown() override { EXPECT_TRUE(m_feedback.WaitBalanced()); }

    int Drop(const std::vector<std::string>& vPaths) {
        m_drop = DropJob{vPaths, m_strBox, &m_transfer, {}};
        return AddDropWorker(m_feedback, &m_drop);
    }
    int RestoreRun(const std::string& strStored, const std::string& strTarget) {
        m_restore = RestoreJob{strStored, strTarget, &m_transfer, {}};
        return RestoreWorker(m_feedback, &m_restore);
    }
    std::string Src(const std::string& strRel) const { return m_tmp / ("src/" + strRel); }
    std::string Box(const std::string& strRel) const { return m_strBox + "/" + strRel; }
    // A source tree: work/a.txt, work/img/b.png, work/img/deep/c.dat.
    void MakeWorkTree() {
        WriteBytes(Src("work/a.txt"), RandomBytes(300, 1));
        WriteBytes(Src("work/img/b.png"), RandomBytes(1000, 2));
        WriteBytes(Src("work/img/deep/c.dat"), RandomBytes(0, 3));
    }

    CTempDir m_tmp;
    const std::string m_strVault = m_tmp / "V";
    const std::string m_strBox = BoxFolderPath(m_strVault, BOX_FILE);
    CFaultEnv m_env;
    CVaultCipher m_cipher{"user1", "pass1", &m_env};
    CVaultTransfer m_transfer{m_cipher};
    CFakeFeedback m_feedback;
    DropJob m_drop;
    RestoreJob m_restore;
};

}  // namespace

TEST_F(VaultTransferTest, DroppedFileGoesIntoTheBoxAndItsSourceIsDeletedWhenAsked) {
    WriteBytes(Src("a.txt"), RandomBytes(300, 1));
    EXPECT_EQ(Drop({Src("a.txt")}), 1);
    EXPECT_EQ(ReadPlainSize(Box("a.txt.$")), 300u);
    EXPECT_FALSE(Exists(Src("a.txt")));
    EXPECT_EQ(m_env.m_nUnflushedDeletes, 0) << "sources go only after a flush";
    EXPECT_EQ(m_drop.report.nFilesDone, 1u);
    EXPECT_TRUE(m_drop.report.vFailed.empty());
    EXPECT_EQ(m_feedback.m_vShownBoxes, std::vector<std::string>{m_strBox});

    m_transfer.SetDeleteSource(false);
    WriteBytes(Src("b.txt"), RandomBytes(10, 2));
    EXPECT_EQ(Drop({Src("b.txt")}), 1);
    EXPECT_EQ(ReadPlainSize(Box("b.txt.$")), 10u);
    EXPECT_EQ(ReadBytes(Src("b.txt")), RandomBytes(10, 2));
}

TEST_F(VaultTransferTest, DroppedFolderIsMirroredThenItsSourcesRemoved) {
    MakeWorkTree();
    WriteText(Src("work/keep/.dot"), "hidden");
    WriteText(Src("work/keep/d.txt"), "d");
    fs::create_symlink(Src("work/a.txt"), Src("work/keep/link"));
    fs::create_directories(Src("work/empty"));
    EXPECT_EQ(Drop({Src("work")}), 1);
    EXPECT_EQ(m_env.m_nUnflushedDeletes, 0);

    EXPECT_EQ(ReadPlainSize(Box("work/a.txt.$")), 300u);
    EXPECT_EQ(ReadPlainSize(Box("work/img/b.png.$")), 1000u);
    EXPECT_TRUE(Exists(Box("work/img/deep/c.dat.$")));
    EXPECT_TRUE(Exists(Box("work/keep/d.txt.$")));
    EXPECT_FALSE(Exists(Box("work/keep/.dot.$")));
    EXPECT_FALSE(Exists(Box("work/keep/link.$")));
    EXPECT_FALSE(Exists(Box("work/empty"))) << "an empty folder stores as nothing";
    EXPECT_EQ(m_drop.report.nFilesDone, 4u);

    // The dot-file and the link are neither stored nor deleted and keep their folders.
    EXPECT_EQ(SnapshotTree(Src("")),
              (std::map<std::string, Bytes>{{"work/", {}},
                                            {"work/keep/", {}},
                                            {"work/keep/.dot", Bytes{'h', 'i', 'd', 'd', 'e', 'n'}},
                                            {"work/keep/link@", {}}}));
}

TEST_F(VaultTransferTest, ManySourcesAreDeletedInBatchesAfterAFlush) {
    for (int i = 0; i < 600; ++i) WriteBytes(Src("many/f" + std::to_string(i)), {1});
    EXPECT_EQ(Drop({Src("many")}), 1);
    EXPECT_EQ(m_drop.report.nFilesDone, 600u);
    EXPECT_FALSE(Exists(Src("many")));
    EXPECT_EQ(m_env.m_nUnflushedDeletes, 0);
    EXPECT_LE(m_env.m_nSyncVolumeCalls, 3);
}

TEST_F(VaultTransferTest, EmptyFolderIsRemovedOnlyWhenSourcesAreDeleted) {
    fs::create_directories(Src("empty1"));
    fs::create_directories(Src("empty2/inner"));
    m_transfer.SetDeleteSource(false);
    EXPECT_EQ(Drop({Src("empty1")}), 1);
    EXPECT_TRUE(fs::is_directory(Src("empty1")));
    m_transfer.SetDeleteSource(true);
    EXPECT_EQ(Drop({Src("empty1"), Src("empty2")}), 1);
    EXPECT_FALSE(Exists(Src("empty1")));
    EXPECT_FALSE(Exists(Src("empty2")));
    EXPECT_TRUE(fs::is_empty(m_strBox));
}

TEST_F(VaultTransferTest, FreeSpaceMustCoverTheTotalPlusTheMargin) {
    WriteBytes(Src("a"), RandomBytes(1000, 1));
    WriteBytes(Src("dir/b"), RandomBytes(2000, 2));
    m_transfer.SetDeleteSource(false);
    m_env.m_bScriptedFreeSpace = true;

    m_env.m_nFreeSpace = 3000 + MARGIN - 1;
    EXPECT_EQ(Drop({Src("a"), Src("dir")}), 1) << "lack of space is not a cancel";
    EXPECT_EQ(m_feedback.m_vMessages, std::vector<std::string>{MSG_NO_DISK_SPACE});
    EXPECT_TRUE(m_drop.report.bNoSpace);
    EXPECT_TRUE(fs::is_empty(m_strBox));

    m_env.m_nFreeSpace = 3000 + MARGIN;
    EXPECT_EQ(Drop({Src("a"), Src("dir")}), 1);
    EXPECT_FALSE(m_drop.report.bNoSpace);
    EXPECT_EQ(m_drop.report.nFilesDone, 2u);

    m_env.m_bFreeSpaceUnknown = true;
    m_feedback.m_bAnswerYes = true;
    EXPECT_EQ(Drop({Src("a")}), 1);
    EXPECT_EQ(m_drop.report.nFilesDone, 1u) << "unknown free space goes ahead";
    EXPECT_EQ(m_feedback.m_vMessages.size(), 1u);
}

TEST_F(VaultTransferTest, FreeSpaceSumDoesNotWrapAt32Bits) {
    WriteBytes(Src("huge"), {});
    fs::resize_file(Src("huge"), (1ull << 32) + 10);  // sparse
    m_env.m_bScriptedFreeSpace = true;
    m_env.m_nFreeSpace = 1000000000;
    EXPECT_EQ(Drop({Src("huge")}), 1);
    EXPECT_TRUE(m_drop.report.bNoSpace);
    EXPECT_TRUE(Exists(Src("huge")));
}

TEST_F(VaultTransferTest, RestoreRunTestsTheFreeSpaceToo) {
    WriteBytes(Src("a"), RandomBytes(1000, 1));
    ASSERT_EQ(Drop({Src("a")}), 1);
    m_env.m_bScriptedFreeSpace = true;
    m_env.m_nFreeSpace = GetFileLength(Box("a.$")) + MARGIN - 1;
    EXPECT_EQ(RestoreRun(Box("a.$"), m_tmp / "out"), 1);
    EXPECT_TRUE(m_restore.report.bNoSpace);
    EXPECT_EQ(m_feedback.m_vMessages, std::vector<std::string>{MSG_NO_DISK_SPACE});
    EXPECT_FALSE(Exists(m_tmp / "out/a"));
    EXPECT_FALSE(Exists(Src("a")));
}

TEST_F(VaultTransferTest, DroppedItemsShareOneDoneCounterAndTotal) {
    WriteBytes(Src("f1"), RandomBytes(1000, 1));
    WriteBytes(Src("dir/f2"), RandomBytes(2000, 2));
    WriteBytes(Src("f3"), RandomBytes(3000, 3));
    EXPECT_EQ(Drop({Src("f1"), Src("dir"), Src("f3")}), 1);
    const auto& v = m_feedback.m_vPositions;
    ASSERT_FALSE(v.empty());
    EXPECT_TRUE(std::is_sorted(v.begin(), v.end()));
    EXPECT_LE(v.front(), 3);
    EXPECT_EQ(v.back(), 100);
    EXPECT_EQ(m_feedback.m_vStatus,
              (std::vector<std::string>{Src("f1"), Src("dir/f2"), Src("f3")}));
    EXPECT_EQ(m_feedback.m_vShownBoxes, std::vector<std::string>(3, m_strBox));
}

TEST_F(VaultTransferTest, CancelDuringTheSecondOfFiveFilesTouchesNoLaterFile) {
    for (int i = 1; i <= 5; ++i) WriteBytes(Src("f" + std::to_string(i)), RandomBytes(1000, i));
    m_feedback.m_strCancelTrigger = "f2";
    m_feedback.m_nCancelAfter = 2;
    EXPECT_EQ(Drop({Src("f1"), Src("f2"), Src("f3"), Src("f4"), Src("f5")}), 0);
    EXPECT_TRUE(m_drop.report.bCancelled);
    EXPECT_EQ(m_drop.report.nFilesDone, 1u);

    EXPECT_TRUE(Exists(Box("f1.$")));
    EXPECT_FALSE(Exists(Src("f1"))) << "a completed store still frees its source";
    for (int i = 2; i <= 5; ++i) {
        std::string strName = "f" + std::to_string(i);
        EXPECT_FALSE(Exists(Box(strName + ".$"))) << strName;
        EXPECT_EQ(ReadBytes(Src(strName)), RandomBytes(1000, i)) << strName;
    }
    EXPECT_EQ(m_feedback.m_vStatus, (std::vector<std::string>{Src("f1"), Src("f2")}));
    EXPECT_TRUE(FindDotEntries(m_strVault).empty());
}

TEST_F(VaultTransferTest, FailedStoresKeepTheirSources) {
    WriteBytes(Src("a.txt"), {1});
    WriteBytes(Src("b.txt"), {2});
    WriteBytes(Src("c.txt"), {3});
    WriteBytes(Src("d.txt"), {4});
    WriteBytes(Box("d.txt.$"), {4, 4});  // declined overwrite
    m_env.m_strFaultPath = "b.txt";
    m_env.m_bFailTemp = true;
    EXPECT_EQ(Drop({Src("a.txt"), Src("b.txt"), Src("c.txt"), Src("d.txt")}), 1);

    EXPECT_FALSE(Exists(Src("a.txt")));
    EXPECT_FALSE(Exists(Src("c.txt")));
    EXPECT_TRUE(Exists(Src("b.txt")));
    EXPECT_TRUE(Exists(Src("d.txt")));
    EXPECT_FALSE(Exists(Box("b.txt.$")));
    EXPECT_EQ(ReadBytes(Box("d.txt.$")), (Bytes{4, 4}));
    EXPECT_EQ(m_drop.report.nFilesDone, 2u);
    EXPECT_EQ(m_drop.report.vFailed, (std::vector<std::string>{Src("b.txt"), Src("d.txt")}));
}

TEST_F(VaultTransferTest, FailedVolumeFlushKeepsEverySource) {
    MakeWorkTree();
    WriteBytes(Src("f"), {1});
    m_env.m_bFailSyncVolume = true;
    EXPECT_EQ(Drop({Src("work"), Src("f")}), 1);
    EXPECT_TRUE(Exists(Box("work/img/b.png.$")));
    EXPECT_TRUE(Exists(Box("f.$")));
    EXPECT_EQ(ReadBytes(Src("work/img/b.png")), RandomBytes(1000, 2));
    EXPECT_TRUE(Exists(Src("work/img/deep/c.dat")));
    EXPECT_TRUE(Exists(Src("f")));
}

TEST_F(VaultTransferTest, DroppedLinksArePassedOver) {
    WriteBytes(m_tmp / "real/file", {1, 2});
    fs::create_directories(Src(""));
    fs::create_symlink(m_tmp / "real/file", Src("filelink"));
    fs::create_directory_symlink(m_tmp / "real", Src("dirlink"));
    EXPECT_EQ(Drop({Src("filelink"), Src("dirlink"), Src("missing")}), 1);
    EXPECT_TRUE(fs::is_empty(m_strBox));
    EXPECT_TRUE(fs::is_symlink(Src("filelink")));
    EXPECT_TRUE(fs::is_symlink(Src("dirlink")));
    EXPECT_EQ(ReadBytes(m_tmp / "real/file"), (Bytes{1, 2}));
}

TEST_F(VaultTransferTest, PlainRestoreOfTheBoxSendsEveryFileBackAndLeavesTheBox) {
    MakeWorkTree();
    WriteBytes(Src("top.txt"), RandomBytes(50, 4));
    const auto source = SnapshotTree(Src(""));
    ASSERT_EQ(Drop({Src("work"), Src("top.txt")}), 1);
    ASSERT_FALSE(Exists(Src("work")));
    const auto box = SnapshotTree(m_strBox);

    EXPECT_EQ(RestoreRun(m_strBox, ""), 1);
    EXPECT_EQ(SnapshotTree(Src("")), source);
    EXPECT_EQ(SnapshotTree(m_strBox), box);
    EXPECT_EQ(m_restore.report.nFilesDone, 4u);
    EXPECT_TRUE(m_feedback.m_vQuestions.empty());
}

TEST_F(VaultTransferTest, RestoreToAFolderRecreatesTheStructureWithoutSuffixes) {
    MakeWorkTree();
    WriteBytes(Src("top.txt"), RandomBytes(50, 4));
    ASSERT_EQ(Drop({Src("work"), Src("top.txt")}), 1);
    WriteBytes(Box("work/junk.txt.$"), RandomBytes(500, 9));  // no signature
    WriteBytes(m_tmp / "elsewhere/x", {1});
    ASSERT_EQ(Drop({m_tmp / "elsewhere/x"}), 1);
    fs::rename(Box("x.$"), m_tmp / "elsewhere/x.$");
    fs::create_directory_symlink(m_tmp / "elsewhere", Box("work/link"));  // not followed

    EXPECT_EQ(RestoreRun(Box("work"), m_tmp / "out"), 1);
    EXPECT_EQ(m_restore.report.nFilesDone, 3u);
    EXPECT_EQ(m_restore.report.vFailed, std::vector<std::string>{Box("work/junk.txt.$")});
    EXPECT_EQ(RestoreRun(Box("top.txt.$"), m_tmp / "out/"), 1);
    EXPECT_EQ(SnapshotTree(m_tmp / "out"),
              (std::map<std::string, Bytes>{{"top.txt", RandomBytes(50, 4)},
                                            {"work/", {}},
                                            {"work/a.txt", RandomBytes(300, 1)},
                                            {"work/img/", {}},
                                            {"work/img/b.png", RandomBytes(1000, 2)},
                                            {"work/img/deep/", {}},
                                            {"work/img/deep/c.dat", {}}}));
    EXPECT_EQ(m_restore.report.nFilesDone, 1u);
    // The file without a signature is passed over silently and reported.
    EXPECT_TRUE(m_feedback.m_vMessages.empty());
    EXPECT_TRUE(m_feedback.m_vQuestions.empty());
}

TEST_F(VaultTransferTest, CancelMidTreeRestoreStartsNoFurtherFile) {
    for (int i = 1; i <= 3; ++i)
        WriteBytes(Src("work/f" + std::to_string(i)), RandomBytes(1000, i));
    ASSERT_EQ(Drop({Src("work")}), 1);
    const auto box = SnapshotTree(m_strBox);
    EXPECT_TRUE(m_feedback.WaitBalanced());
    m_feedback = CFakeFeedback();
    m_feedback.m_strCancelTrigger = m_strBox;
    m_feedback.m_nCancelAfter = 2;
    EXPECT_EQ(RestoreRun(Box("work"), m_tmp / "out"), 0);
    EXPECT_TRUE(m_restore.report.bCancelled);
    EXPECT_EQ(m_feedback.m_vStatus.size(), 1u);
    EXPECT_EQ(m_restore.report.nFilesDone, 0u);
    EXPECT_TRUE(!Exists(m_tmp / "out") || FindDotEntries(m_tmp / "out").empty());
    EXPECT_FALSE(Exists(m_tmp / "out/work/f1") || Exists(m_tmp / "out/work/f2") ||
                 Exists(m_tmp / "out/work/f3"));
    EXPECT_EQ(SnapshotTree(m_strBox), box);
}
