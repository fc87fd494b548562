// Recursive add and restore through the two worker procedures: placement,
// deferred deletion of sources, the free-space test, the shared progress,
// cancels and failures of single files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

#include "Boxes.h"
#include "FileStoreFixture.h"
#include "FolderWalk.h"
#include "NameCipher.h"
#include "PathText.h"
#include "PlainNames.h"
#include "ProtectedLayout.h"
#include "StoredFileInfo.h"
#include "TestFiles.h"
#include "VaultCipher.h"
#include "VaultKey.h"
#include "VaultTransfer.h"

using namespace quovex;
using namespace quovex::test;
namespace fs = std::filesystem;
using namespace std::chrono_literals;
using enum FailReason;
using enum PassReason;
using Passes = std::vector<std::pair<std::string, PassReason>>;

namespace {

constexpr std::uint64_t MARGIN = 500000000;  // bytes that must stay free beyond a run's total

class VaultTransferTest : public FileSystemFixture {
protected:
    VaultTransferTest() { CreateBoxFolders(m_strVault, CVaultEnv::Default()); }

    // Each run gives the files it stored or restored; its worker gives 0
    // exactly when it was cancelled. Into the fixture's file box unless
    // strBox is given.
    // A worker's outcome agrees with the report it left: cancelled exactly
    // when the report says so, stopped when there was no room.
    static void ExpectEnded(RunOutcome nOutcome, const TransferReport& report) {
        EXPECT_EQ(nOutcome == RunOutcome::RUN_CANCELLED, report.bCancelled);
        EXPECT_TRUE(!report.bNoSpace || nOutcome == RunOutcome::RUN_STOPPED);
    }
    std::uint64_t Drop(const std::vector<std::string>& vPaths, const std::string& strBox = "") {
        m_drop = DropJob{vPaths, strBox.empty() ? m_strBox : strBox, &m_transfer, {}};
        ExpectEnded(AddDropWorker(m_feedback, m_drop), m_drop.report);
        return m_drop.report.nFilesDone;
    }
    std::uint64_t RestoreRun(const std::string& strStored, const std::string& strTarget) {
        m_restore = RestoreJob{strStored, strTarget, {}, &m_transfer, {}};
        ExpectEnded(RestoreWorker(m_feedback, m_restore), m_restore.report);
        return m_restore.report.nFilesDone;
    }
    // What the report passed over, in order.
    static Passes Passed(const TransferReport& report) {
        Passes v;
        for (const PassedOverItem& item : report.vPassedOver)
            v.emplace_back(item.strPath, item.nReason);
        return v;
    }
    void NewFeedback() {
        EXPECT_TRUE(m_feedback.WaitBalanced());
        m_feedback = CFakeFeedback();
    }
    std::string Src(const std::string& strRel) const { return m_tmp / ("src/" + strRel); }
    std::string Box(const std::string& strRel) const { return m_strBox + "/" + strRel; }
    // work/a.txt, work/img/b.png and the empty work/img/deep/c.dat.
    void MakeWorkTree() {
        WriteBytes(Src("work/a.txt"), RandomBytes(300, 1));
        WriteBytes(Src("work/img/b.png"), RandomBytes(1000, 2));
        WriteBytes(Src("work/img/deep/c.dat"), {});
    }

    const std::string m_strVault = m_tmp / "V";
    const std::string m_strBox = BoxFolderPath(m_strVault, BOX_FILE);
    CVaultTransfer m_transfer{m_key, &m_env};
    DropJob m_drop;
    RestoreJob m_restore;
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Fs, VaultTransferTest, ::testing::ValuesIn(ALL_FILE_SYSTEMS),
                         [](const auto& info) { return std::string(info.param.pszName); });

// Dropped links and missing paths are passed over, never deleted; an empty
// folder stores as nothing.
TEST_P(VaultTransferTest, DroppedItemsGoIntoTheBoxAndTheirSourcesOnlyWhenAsked) {
    WriteBytes(Src("a.txt"), RandomBytes(300, 1));
    WriteBytes(Src("b.txt"), RandomBytes(10, 2));
    fs::create_directories(Src("empty1"));
    fs::create_directories(Src("empty2/inner"));
    WriteBytes(m_tmp / "real/file", {1, 2});
    fs::create_symlink(m_tmp / "real/file", Src("filelink"));
    fs::create_directory_symlink(m_tmp / "real", Src("dirlink"));

    m_transfer.SetDeleteSource(false);
    EXPECT_EQ(Drop({Src("b.txt"), Src("empty1"), Src("empty2")}), 1u);
    EXPECT_TRUE(fs::is_directory(Src("empty1")) && fs::is_directory(Src("empty2/inner")));
    EXPECT_EQ(m_feedback.m_vShownBoxes, std::vector<std::string>(3, m_strBox));

    m_transfer.SetDeleteSource(true);
    EXPECT_EQ(Drop({Src("a.txt"), Src("empty1"), Src("empty2"), Src("filelink"), Src("dirlink"),
                    Src("missing")}),
              1u);
    EXPECT_TRUE(m_drop.report.vFailed.empty());
    EXPECT_EQ(ReadPlainSize(Box("a.txt.$"), CVaultEnv::Default()), 300u);
    EXPECT_EQ(ReadPlainSize(Box("b.txt.$"), CVaultEnv::Default()), 10u);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_strBox), {}), 2);
    EXPECT_EQ(SnapshotTree(Src("")),
              (Tree{{"b.txt", RandomBytes(10, 2)}, {"dirlink@", {}}, {"filelink@", {}}}));
    EXPECT_EQ(ReadBytes(m_tmp / "real/file"), (Bytes{1, 2}));
}

// Dot-files and links in a dropped folder are neither stored nor deleted.
// The items of a drop share one done counter and total.
TEST_P(VaultTransferTest, DroppedTreeIsMirroredAndRestoredBelowAFolderOrInPlace) {
    MakeWorkTree();
    WriteBytes(Src("top.txt"), RandomBytes(50, 4));
    m_vDotFiles = {Src("work/keep/.dot")};
    WriteBytes(m_vDotFiles[0], Bytes(6, 'h'));
    fs::create_symlink(Src("work/a.txt"), Src("work/keep/link"));
    const Tree source = SnapshotTree(Src(""));
    EXPECT_EQ(Drop({Src("top.txt"), Src("work/")}), 4u);
    const std::vector<int>& v = m_feedback.m_vPositions;
    EXPECT_EQ(v.front(), 3);  // 50 of 1350 bytes
    EXPECT_TRUE(std::is_sorted(v.begin(), v.end()));
    EXPECT_EQ(v.back(), 100);
    EXPECT_EQ(m_feedback.m_vStatus.size(), 4u);
    EXPECT_EQ(m_feedback.m_vShownBoxes, std::vector<std::string>(2, m_strBox));
    EXPECT_EQ(SnapshotTree(Src("")), (Tree{{"work/", {}},
                                           {"work/keep/", {}},
                                           {"work/keep/.dot", Bytes(6, 'h')},
                                           {"work/keep/link@", {}}}));

    // Below a folder, without suffixes and nothing else: a file without a
    // signature is reported, a link in the box is not followed.
    WriteBytes(Box("work/junk.txt.$"), RandomBytes(500, 9));
    fs::create_directory_symlink(Box("work/img"), Box("work/link"));
    const Tree box = SnapshotTree(m_strBox);
    EXPECT_EQ(RestoreRun(Box("work"), m_tmp / "out"), 3u);
    EXPECT_EQ(m_restore.report.vFailed,
              (std::vector<FailedItem>{{Box("work/junk.txt.$"), {FAIL_DAMAGED}}}));
    EXPECT_EQ(RestoreRun(Box("top.txt.$"), m_tmp / "out/"), 1u);
    Tree stored = source;  // all but what keep/ held
    std::erase_if(stored, [](const auto& entry) { return entry.first.starts_with("work/keep/"); });
    EXPECT_EQ(SnapshotTree(m_tmp / "out"), stored);

    // In place: every file back where it was stored from; the box stays.
    EXPECT_EQ(RestoreRun(m_strBox, ""), 4u);
    EXPECT_EQ(SnapshotTree(Src("")), source);
    EXPECT_EQ(SnapshotTree(m_strBox), box);
    EXPECT_TRUE(m_feedback.m_vQuestions.empty() && m_feedback.m_vMessages.empty());
}

// Where a volume flush covers the disk, one flush per batch and no file
// synced on its own; elsewhere each stored file and its folder are synced
// before the source goes (fewer files: each sync is a real one).
TEST_P(VaultTransferTest, ManySourcesAreDeletedInBatchesAfterAFlush) {
    const int nFiles = GetParam().bFlushMisses ? 100 : 600;
    for (int i = 0; i < nFiles; ++i) WriteBytes(Src("many/f" + std::to_string(i)), {1});
    EXPECT_EQ(Drop({Src("many")}), static_cast<std::uint64_t>(nFiles));
    EXPECT_FALSE(Exists(Src("many")));
    EXPECT_EQ(m_env.m_nUnflushedDeletes, 0);
    EXPECT_LE(m_env.m_nSyncVolumeCalls, 3);
    EXPECT_EQ(m_env.m_nFileSyncs, GetParam().bFlushMisses ? nFiles : 0);
}

TEST_P(VaultTransferTest, FreeSpaceMustCoverTheTotalPlusTheMarginIn64Bits) {
    WriteBytes(Src("a"), RandomBytes(1000, 1));
    WriteBytes(Src("dir/b"), RandomBytes(2000, 2));
    m_transfer.SetDeleteSource(false);
    m_env.m_nFreeSpace = 3000 + MARGIN - 1;
    EXPECT_EQ(Drop({Src("a"), Src("dir")}), 0u);
    EXPECT_FALSE(m_drop.report.bCancelled) << "lack of space is not a cancel";
    EXPECT_EQ(m_feedback.m_vMessages, std::vector{FeedbackMessage::MESSAGE_NO_DISK_SPACE});
    EXPECT_EQ(m_feedback.m_strMessagePath, m_strBox);
    EXPECT_EQ(m_feedback.m_messageRoom, (VolumeRoom{3000 + MARGIN, 3000 + MARGIN - 1}));
    EXPECT_TRUE(m_drop.report.bNoSpace);
    EXPECT_TRUE(fs::is_empty(m_strBox));
    m_env.m_nFreeSpace = 3000 + MARGIN;
    EXPECT_EQ(Drop({Src("a"), Src("dir")}), 2u);
    EXPECT_FALSE(m_drop.report.bNoSpace);

    WriteBytes(Src("huge"), {});
    fs::resize_file(Src("huge"), (1ull << 32) + 10);  // sparse; the total must not wrap
    m_env.m_nFreeSpace = 1000000000;
    EXPECT_EQ(Drop({Src("huge")}), 0u);
    EXPECT_TRUE(m_drop.report.bNoSpace);

    m_env.m_nFreeSpace = -2;
    m_feedback.m_bAnswerYes = true;
    EXPECT_EQ(Drop({Src("a")}), 1u) << "unknown free space goes ahead";
    EXPECT_EQ(m_feedback.m_vMessages.size(), 2u);
}

// A plain restore needs room on each volume it writes to, for what that
// volume receives: the volumes of the recorded paths (a folder gone since
// counts where it would be made again), not the current folder's.
TEST_P(VaultTransferTest, APlainRestoreNeedsRoomOnEachVolumeItWritesTo) {
    WriteBytes(Src("a/x"), RandomBytes(1000, 1));
    WriteBytes(Src("a/sub/w"), RandomBytes(500, 2));
    WriteBytes(Src("b/y"), RandomBytes(2000, 3));
    ASSERT_EQ(Drop({Src("a"), Src("b")}), 3u);
    const std::uint64_t nA = GetPathLength(Box("a"), CVaultEnv::Default()),
                        nB = GetPathLength(Box("b"), CVaultEnv::Default());
    m_env.m_nFreeSpace = 0;  // every other volume, the current folder's too, is full
    m_env.m_freeBelow = {{Src("a"), nA + MARGIN - 1}, {Src("b"), nB + MARGIN - 1}};
    EXPECT_EQ(RestoreRun(m_strBox, ""), 0u);
    EXPECT_TRUE(m_restore.report.bNoSpace);
    EXPECT_EQ(m_feedback.m_vMessages, std::vector{FeedbackMessage::MESSAGE_NO_DISK_SPACE});
    m_env.m_freeBelow[Src("b")] = nB + MARGIN;
    EXPECT_EQ(RestoreRun(m_strBox, ""), 0u);
    EXPECT_TRUE(m_restore.report.bNoSpace) << "a/x and a/sub/w share one volume";
    EXPECT_TRUE(m_feedback.m_strMessagePath.starts_with(Src("a")));
    EXPECT_EQ(m_feedback.m_messageRoom, (VolumeRoom{nA + MARGIN, nA + MARGIN - 1}));
    EXPECT_FALSE(Exists(Src("a")) || Exists(Src("b")));

    m_env.m_freeBelow[Src("a")] = nA + MARGIN;
    EXPECT_EQ(RestoreRun(m_strBox, ""), 3u);
    EXPECT_FALSE(m_restore.report.bNoSpace);
    EXPECT_EQ(ReadBytes(Src("a/sub/w")), RandomBytes(500, 2));

    // Below a chosen folder, that folder's volume takes it all.
    m_env.m_freeBelow[m_tmp / "out"] = nB + MARGIN - 1;
    EXPECT_EQ(RestoreRun(Box("b"), m_tmp / "out"), 0u);
    EXPECT_TRUE(m_restore.report.bNoSpace);
    EXPECT_EQ(m_feedback.m_strMessagePath, m_tmp / "out");
    EXPECT_EQ(m_feedback.m_messageRoom, (VolumeRoom{nB + MARGIN, nB + MARGIN - 1}));
    EXPECT_FALSE(Exists(m_tmp / "out/b"));
    EXPECT_EQ(m_feedback.m_vMessages.size(), 3u);
}

// The files of one stored folder may return to more folders than a restore
// holds open at once, in any order: each reaches its own.
TEST_P(VaultTransferTest, APlainRestoreSendsEachFileBackToItsOwnFolder) {
    std::vector<std::string> vDropped;
    for (int i = 0; i < 24; ++i) {
        // Built by appending: GCC 12 at -O3 sees a false overlap in "d" + ...
        vDropped.push_back(Src(std::string("d")
                                   .append(std::to_string(i % 12))
                                   .append("/f")
                                   .append(std::to_string(i))));
        WriteBytes(vDropped.back(), RandomBytes(100 + i, i));
    }
    ASSERT_EQ(Drop(vDropped), 24u);
    fs::remove_all(Src(""));  // the folders are made again
    EXPECT_EQ(RestoreRun(m_strBox, ""), 24u);
    for (int i = 0; i < 24; ++i) EXPECT_EQ(ReadBytes(vDropped[i]), RandomBytes(100 + i, i)) << i;
}

// The free space is what an ordinary user may write: the blocks a file
// system keeps in reserve (for root) do not count.
TEST(FreeSpaceTest, CountsOnlyWhatAnOrdinaryUserMayWrite) {
    CTempDir tmp;
    const fs::space_info space = fs::space(tmp.Path());
    if (space.free - space.available < (1ull << 30))
        GTEST_SKIP() << "this volume keeps (almost) no blocks in reserve";
    VolumeSpace volume;
    ASSERT_TRUE(CVaultEnv::Default()->GetFreeSpace(tmp / "not/made/yet", &volume));
    // Other programs may write meanwhile, but not a good part of the reserve.
    const std::uint64_t nAvailable = fs::space(tmp.Path()).available;
    const std::uint64_t nSlack = (space.free - space.available) / 4;
    EXPECT_LT(std::max(volume.nFree, nAvailable) - std::min(volume.nFree, nAvailable), nSlack);
    struct stat st;
    ASSERT_EQ(stat(tmp.Path().c_str(), &st), 0);
    EXPECT_EQ(volume.nVolume, static_cast<std::uint64_t>(st.st_dev));
}

// A cancel inside the first file of a dropped folder: the file before it is
// stored and its source freed; no later file, in the folder or after it, is
// touched. A restore cancelled the same way starts no further file.
TEST_P(VaultTransferTest, CancelMidTreeTouchesNoLaterFile) {
    WriteBytes(Src("f1"), RandomBytes(1000, 1));
    for (int i = 2; i <= 4; ++i)
        WriteBytes(Src("work/f" + std::to_string(i)), RandomBytes(1000, i));
    WriteBytes(Src("f5"), RandomBytes(1000, 5));
    const Tree work = SnapshotTree(Src("work"));
    m_feedback.m_strCancelTrigger = Src("work/");
    m_feedback.m_nCancelAfter = 2;
    EXPECT_EQ(Drop({Src("f1"), Src("work"), Src("f5")}), 1u);
    EXPECT_TRUE(m_drop.report.bCancelled);
    EXPECT_EQ(m_feedback.m_vStatus.size(), 2u);
    EXPECT_FALSE(Exists(Src("f1"))) << "a completed store still frees its source";
    EXPECT_EQ(SnapshotTree(Src("work")), work);
    EXPECT_TRUE(Exists(Src("f5")));
    EXPECT_EQ(FindFirstStoredFile(Box("work"), CVaultEnv::Default()), "");

    NewFeedback();
    ASSERT_EQ(Drop({Src("work")}), 3u);
    const Tree box = SnapshotTree(m_strBox);
    NewFeedback();
    m_feedback.m_strCancelTrigger = m_strBox;
    m_feedback.m_nCancelAfter = 2;
    EXPECT_EQ(RestoreRun(Box("work"), m_tmp / "out"), 0u);
    EXPECT_TRUE(m_restore.report.bCancelled);
    EXPECT_EQ(m_feedback.m_vStatus.size(), 2u) << "one file: the stored one and its destination";
    EXPECT_FALSE(Exists(m_tmp / "out")) << "the folders made for the cancelled file stay";
    EXPECT_EQ(SnapshotTree(m_strBox), box);
}

// A failed store, inside a dropped folder too, and a declined overwrite keep
// their sources; a failed flush of the volume keeps every source.
TEST_P(VaultTransferTest, FailedStoresAndAFailedFlushKeepTheirSources) {
    // Names that are not UTF-8 cannot be stored.
    for (const char* pszName : {"a.txt", "b\xFF", "d.txt", "dir/b\xFF", "dir/e.txt"})
        WriteBytes(Src(pszName), {1});
    WriteBytes(Box("d.txt.$"), {4, 4});  // declined overwrite
    EXPECT_EQ(Drop({Src("a.txt"), Src("b\xFF"), Src("d.txt"), Src("dir")}), 2u);
    const FailCause unstorable{FAIL_PATH_NOT_STORABLE};
    EXPECT_EQ(m_drop.report.vFailed, (std::vector<FailedItem>{{Src("b\xFF"), unstorable},
                                                              {Src("d.txt"), {FAIL_DECLINED}},
                                                              {Src("dir/b\xFF"), unstorable}}));
    EXPECT_EQ(SnapshotTree(Src("")),
              (Tree{{"b\xFF", {1}}, {"d.txt", {1}}, {"dir/", {}}, {"dir/b\xFF", {1}}}));
    EXPECT_EQ(ReadBytes(Box("d.txt.$")), (Bytes{4, 4}));

    MakeWorkTree();
    WriteBytes(Src("f"), {1});
    const Tree work = SnapshotTree(Src("work"));
    m_env.m_bFailSyncVolume = true;
    EXPECT_EQ(Drop({Src("work"), Src("f")}), 4u);
    EXPECT_EQ(SnapshotTree(Src("work")), work);
    EXPECT_TRUE(Exists(Src("f")));
}

// A source edited in place (same size, a new time) or replaced by an
// atomic save between its store and its batch, or changed while it was
// read, is kept and reported; the check costs no extra flush. A run that
// ends by an exception deletes nothing, and leaves nothing for a later run
// to delete.
TEST_P(VaultTransferTest, SourcesAreDeletedOnlyWhileStillTheFilesThatWereStored) {
    for (const char* pszName : {"edited", "replaced", "same"}) WriteBytes(Src(pszName), {1, 2});
    m_env.m_fnBeforeSyncVolume = [&](const std::string&) {
        WriteBytes(Src("edited"), {3, 4});
        fs::last_write_time(Src("edited"), fs::last_write_time(Src("edited")) + 1s);
        WriteBytes(Src("new"), {5});
        fs::rename(Src("new"), Src("replaced"));
    };
    EXPECT_EQ(Drop({Src("edited"), Src("replaced"), Src("same")}), 3u);
    EXPECT_EQ(m_env.m_nSyncVolumeCalls, 1);
    EXPECT_EQ(SnapshotTree(Src("")), (Tree{{"edited", {3, 4}}, {"replaced", {5}}}));
    EXPECT_EQ(Passed(m_drop.report), (Passes{{Src("edited"), PASS_SOURCE_CHANGED},
                                             {Src("replaced"), PASS_SOURCE_CHANGED}}));

    m_feedback.m_bAnswerYes = true;
    m_env.m_nSizeDelta = 1;
    EXPECT_EQ(Drop({Src("replaced")}), 0u);
    m_env.m_nSizeDelta = 0;
    EXPECT_TRUE(m_drop.report.vFailed.empty());
    EXPECT_EQ(Passed(m_drop.report), (Passes{{Src("replaced"), PASS_SOURCE_CHANGED}}));

    m_env.m_fnBeforeSyncVolume = [](const std::string&) { throw std::bad_alloc(); };
    EXPECT_EQ(Drop({Src("edited")}), 1u);
    m_env.m_fnBeforeSyncVolume = nullptr;
    EXPECT_EQ(Drop({Src("replaced")}), 1u);
    EXPECT_EQ(SnapshotTree(Src("")), (Tree{{"edited", {3, 4}}}));
}

// Another program swaps a folder of a dropped tree for a link, and a file
// for a pipe, after the folder was listed: neither is followed or read, and
// nothing outside the tree is stored or deleted.
TEST_P(VaultTransferTest, AWalkIsNotLedOutOfTheTreeBySwapsDuringTheRun) {
    WriteBytes(Src("work/sub/a"), {1});
    WriteBytes(Src("work/pipe"), {2});
    WriteBytes(m_tmp / "outside/victim", {3});
    int nListings = 0;  // the first listing adds up the sizes, the second stores
    m_env.m_fnAfterList = [&](const std::string& strFolder) {
        if (strFolder != Src("work") || ++nListings != 2) return;
        fs::rename(Src("work/sub"), m_tmp / "moved");
        fs::create_directory_symlink(m_tmp / "outside", Src("work/sub"));
        fs::remove(Src("work/pipe"));
        ASSERT_EQ(mkfifo(Src("work/pipe").c_str(), 0600), 0);
    };
    EXPECT_EQ(Drop({Src("work")}), 0u);
    EXPECT_EQ(m_drop.report.vFailed,
              (std::vector<FailedItem>{{Src("work/pipe"), CauseOfErrno(ENXIO)},
                                       {Src("work/sub"), CauseOfErrno(ENOTDIR)}}));
    EXPECT_EQ(ReadBytes(m_tmp / "outside/victim"), Bytes{3});
    EXPECT_EQ(FindFirstStoredFile(m_strBox, CVaultEnv::Default()), "");
    EXPECT_TRUE(fs::is_symlink(Src("work/sub")) && Exists(Src("work/pipe")));
}

// A location that also holds the user's documents: they are stored and
// restored as from any folder, and so is the location's own top level;
// only the box folders are out of reach, whatever the spelling, and a
// restore never writes into one, nor makes a folder there.
TEST_P(VaultTransferTest, OnlyTheBoxesOfALocationAreOutOfReach) {
    const std::string strHome = m_tmp / "up/home", strFileBox = BoxFolderPath(strHome, BOX_FILE),
                      strStored = strFileBox + "/a.txt.$";
    CreateBoxFolders(strHome, CVaultEnv::Default());
    WriteBytes(strHome + "/Documents/a.txt", RandomBytes(40, 1));
    WriteBytes(strHome + "/notes.txt", RandomBytes(20, 2));
    WriteBytes(m_tmp / "up/other.txt", RandomBytes(30, 3));
    EXPECT_EQ(Drop({strHome + "/Documents/a.txt"}, strFileBox), 1u);
    EXPECT_FALSE(Exists(strHome + "/Documents/a.txt"));
    EXPECT_EQ(RestoreRun(strStored, ""), 1u);
    EXPECT_EQ(RestoreRun(strStored, strHome), 1u);
    EXPECT_EQ(ReadBytes(strHome + "/Documents/a.txt"), RandomBytes(40, 1));
    EXPECT_EQ(ReadBytes(strHome + "/a.txt"), RandomBytes(40, 1));

    // The location, a box, a stored file, a key record, a box through a
    // link: refused; so is a restore into a box, named plainly or through a
    // link.
    WriteBytes(strHome + "/.quovex-key.2", {7});
    fs::create_directory_symlink(strHome, m_tmp / "homelink");
    fs::create_directory_symlink(BoxFolderPath(strHome, BOX_OTHER), m_tmp / "boxlink");
    const Tree before = SnapshotTree(strHome);
    const std::string strImage = BoxFolderPath(strHome, BOX_IMAGE);
    const std::string strRecord = m_tmp / "homelink/.quovex-key.2";
    EXPECT_EQ(
        Drop({strHome, strImage, strStored, strRecord, m_tmp / "homelink/OtherBox"}, strFileBox),
        0u);
    EXPECT_EQ(Passed(m_drop.report), (Passes{{strHome, PASS_IS_VAULT},
                                             {strImage, PASS_IS_VAULT},
                                             {strStored, PASS_IN_VAULT},
                                             {strRecord, PASS_IS_VAULT},
                                             {m_tmp / "homelink/OtherBox", PASS_IS_VAULT}}));
    for (const std::string& strTo : {strImage, m_tmp / "boxlink", m_tmp / "boxlink/deeper"}) {
        EXPECT_EQ(RestoreRun(strStored, strTo), 0u) << strTo;
        EXPECT_EQ(Passed(m_restore.report), (Passes{{strStored, PASS_TARGET_IN_VAULT}})) << strTo;
    }
    EXPECT_EQ(SnapshotTree(strHome), before);
    fs::remove(strHome + "/.quovex-key.2");  // the fixture counts dot-names left
    // Nor in place, to a recorded path in a box (of the fixture's vault).
    const std::string strInBox = BoxFolderPath(m_strVault, BOX_OTHER) + "/x.txt";
    WriteBytes(strInBox, {1});
    ASSERT_TRUE(StoreWith(m_key, strInBox, Box("x.txt.$")));
    fs::remove(strInBox);
    EXPECT_EQ(RestoreRun(Box("x.txt.$"), ""), 0u);
    EXPECT_EQ(Passed(m_restore.report), (Passes{{Box("x.txt.$"), PASS_TARGET_IN_VAULT}}));
    EXPECT_FALSE(Exists(strInBox));

    // The folder above the location: all but the boxes is stored, and its
    // sources deleted; each box is passed over and stays as it was.
    EXPECT_EQ(Drop({m_tmp / "up"}, strFileBox), 4u);
    EXPECT_EQ(m_drop.report.vPassedOver.size(), static_cast<std::size_t>(BOX_COUNT));
    for (const auto& [strRel, bytes] : SnapshotTree(m_tmp / "up"))
        EXPECT_TRUE(strRel == "home/" || BoxIndex(strRel.substr(5, strRel.find('/', 5) - 5)) >= 0)
            << strRel;
    EXPECT_EQ(GetStoredTotalSize(strFileBox + "/up", CVaultEnv::Default()), 40u + 40u + 20u + 30u);
    EXPECT_EQ(ReadBytes(strStored), before.at("FileBox/a.txt.$"));
}

// Hidden names: nothing of a plain name on disk, on every kind of disk
// (no two names that differ only in case); a file stored again is one
// version once the user agreed, two never; restores give the plain names
// back, long ones too, for a whole box and for one file.
TEST_P(VaultTransferTest, HiddenNamesShowNothingOnDiskAndComeBackPlain) {
    CVaultKey key{"user1", "pass1"};
    SetTestMasterKey(&key, 9);
    CVaultTransfer hidden{key, &m_env};
    ASSERT_TRUE(hidden.HideNames());
    hidden.SetDeleteSource(false);
    std::string strLong;
    for (int i = 0; i < 85; ++i) strLong += "档";  // 255 bytes
    WriteBytes(Src("体检/2026年报告.pdf"), RandomBytes(70000, 1));
    WriteBytes(Src("体检/深/笔记.txt"), RandomBytes(10, 2));
    WriteBytes(Src("体检/" + strLong), RandomBytes(20, 3));
    WriteBytes(Src("a.txt"), RandomBytes(30, 4));
    const auto fnDrop = [&](const std::vector<std::string>& vPaths) {
        m_drop = DropJob{vPaths, m_strBox, &hidden, {}};
        ExpectEnded(AddDropWorker(m_feedback, m_drop), m_drop.report);
        return m_drop.report.nFilesDone;
    };
    EXPECT_EQ(fnDrop({Src("体检"), Src("a.txt")}), 4u);
    std::set<std::string> folded;
    std::size_t nFiles = 0;
    for (const auto& entry : fs::recursive_directory_iterator(m_strBox)) {
        const std::string strName = entry.path().filename().string();
        for (const char* pszPlain : {"体检", "报告", "a.txt", "深", "档", "笔记"})
            EXPECT_EQ(strName.find(pszPlain), std::string::npos) << strName;
        EXPECT_LE(strName.size(), NAME_MAX_BYTES);
        std::string strFolded = entry.path().string();
        std::transform(strFolded.begin(), strFolded.end(), strFolded.begin(), ::tolower);
        EXPECT_TRUE(folded.insert(strFolded).second) << strName;
        nFiles += entry.is_regular_file() && strName[0] != '.' ? 1 : 0;
        // Neither a stored file nor a folder tells when it was stored.
        struct stat st {};
        ASSERT_EQ(lstat(entry.path().c_str(), &st), 0);
        EXPECT_EQ(st.st_mtime, PROTECTED_STORED_FILE_TIME) << strName;
        // Nor do its bytes hold a plain name (none shorter than five bytes,
        // which sealed bytes could hold by chance).
        if (entry.is_regular_file()) {
            const Bytes vBytes = ReadBytes(entry.path().string());
            const std::string strBytes(vBytes.begin(), vBytes.end());
            for (const char* pszPlain : {"体检", "报告", "a.txt", "档档", "笔记", "2026年"})
                EXPECT_EQ(strBytes.find(pszPlain), std::string::npos) << strName << " " << pszPlain;
        }
    }
    struct stat box {};
    ASSERT_EQ(stat(m_strBox.c_str(), &box), 0);
    EXPECT_EQ(box.st_mtime, PROTECTED_STORED_FILE_TIME);
    EXPECT_EQ(nFiles, 4u);

    m_feedback.m_bAnswerYes = false;
    EXPECT_EQ(fnDrop({Src("a.txt")}), 0u);
    WriteBytes(Src("a.txt"), RandomBytes(31, 5));
    m_feedback.m_bAnswerYes = true;
    EXPECT_EQ(fnDrop({Src("a.txt")}), 1u);
    std::vector<std::string> vTop;
    for (const auto& entry : fs::directory_iterator(m_strBox))
        if (entry.is_regular_file()) vTop.push_back(entry.path().string());
    ASSERT_EQ(vTop.size(), 1u);

    m_restore = RestoreJob{m_strBox, m_tmp / "out", {}, &hidden, {}};
    ExpectEnded(RestoreWorker(m_feedback, m_restore), m_restore.report);
    EXPECT_EQ(m_restore.report.nFilesDone, 4u);
    EXPECT_TRUE(m_restore.report.vFailed.empty() && m_restore.report.vAway.empty());
    const std::string strOut = m_tmp / ("out/" + LastComponent(m_strBox));
    EXPECT_EQ(ReadBytes(strOut + "/体检/2026年报告.pdf"), RandomBytes(70000, 1));
    EXPECT_EQ(ReadBytes(strOut + "/体检/深/笔记.txt"), RandomBytes(10, 2));
    EXPECT_EQ(ReadBytes(strOut + "/体检/" + strLong), RandomBytes(20, 3));
    EXPECT_EQ(ReadBytes(strOut + "/a.txt"), RandomBytes(31, 5));
    m_restore = RestoreJob{vTop[0], m_tmp / "one", {}, &hidden, {}};
    ExpectEnded(RestoreWorker(m_feedback, m_restore), m_restore.report);
    EXPECT_EQ(ReadBytes(m_tmp / "one/a.txt"), RandomBytes(31, 5));
    // Read as if its names were visible, a file still comes back under the
    // name its sealed place gives, reported as away from it.
    CVaultTransfer visible{key, &m_env};
    m_restore = RestoreJob{vTop[0], m_tmp / "two", {}, &visible, {}};
    ExpectEnded(RestoreWorker(m_feedback, m_restore), m_restore.report);
    EXPECT_EQ(ReadBytes(m_tmp / "two/a.txt"), RandomBytes(31, 5));
    EXPECT_EQ(m_restore.report.vAway.size(), 1u);
}

TEST_P(VaultTransferTest, AStoredFileMovedByHandKeepsItsSealedNameWhereverItLies) {
    CVaultKey key{"user1", "pass1"};
    SetTestMasterKey(&key, 9, true);
    CVaultTransfer hidden{key, &m_env};
    ASSERT_TRUE(hidden.Names().Hidden());
    hidden.SetDeleteSource(false);
    WriteBytes(Src("体检/报告.pdf"), RandomBytes(500, 1));
    WriteBytes(Src("a.txt"), RandomBytes(30, 2));
    m_drop = DropJob{{Src("体检"), Src("a.txt")}, m_strBox, &hidden, {}};
    ExpectEnded(AddDropWorker(m_feedback, m_drop), m_drop.report);
    ASSERT_EQ(m_drop.report.nFilesDone, 2u);
    std::string strFolder, strFile;
    for (const auto& entry : fs::directory_iterator(m_strBox))
        (entry.is_directory() ? strFolder : strFile) = entry.path().string();
    const CPlainNames names(&key, &m_env);
    EXPECT_EQ(names.PlaceOf(strFile, EntryKind::ENTRY_FILE), LastComponent(m_strBox) + "/a.txt");
    EXPECT_FALSE(ReadStoredFileInfo(strFile, &m_env, &key).bAwayFromPlace);

    // Moved into the folder by hand: its name no longer opens there, but
    // its own sealed place names it.
    const std::string strMoved = JoinPath(strFolder, LastComponent(strFile));
    fs::rename(strFile, strMoved);
    std::vector<PlainEntry> vEntries;
    ASSERT_TRUE(names.List(strFolder, LastComponent(m_strBox) + "/体检", &vEntries));
    ASSERT_EQ(vEntries.size(), 2u);
    std::set<std::pair<std::string, PlainState>> shown;
    for (const PlainEntry& entry : vEntries) shown.insert({entry.strPlain, entry.nState});
    EXPECT_EQ(shown,
              (std::set<std::pair<std::string, PlainState>>{
                  {"a.txt", PlainState::PLAIN_AWAY}, {"报告.pdf", PlainState::PLAIN_OPENED}}));
    EXPECT_TRUE(ReadStoredFileInfo(strMoved, &m_env, &key).bAwayFromPlace);
    EXPECT_EQ(names.ShownNameOf(strMoved, EntryKind::ENTRY_FILE), "a.txt");

    // Restored with its folder, and alone, under its sealed name.
    m_restore = RestoreJob{strFolder, m_tmp / "out", {}, &hidden, {}};
    ExpectEnded(RestoreWorker(m_feedback, m_restore), m_restore.report);
    EXPECT_EQ(m_restore.report.nFilesDone, 2u);
    EXPECT_EQ(m_restore.report.vAway.size(), 1u);
    EXPECT_EQ(ReadBytes(m_tmp / "out/体检/a.txt"), RandomBytes(30, 2));
    EXPECT_EQ(ReadBytes(m_tmp / "out/体检/报告.pdf"), RandomBytes(500, 1));
    m_restore = RestoreJob{strMoved, m_tmp / "one", {}, &hidden, {}};
    ExpectEnded(RestoreWorker(m_feedback, m_restore), m_restore.report);
    EXPECT_EQ(ReadBytes(m_tmp / "one/a.txt"), RandomBytes(30, 2));
    EXPECT_EQ(m_restore.report.vAway.size(), 1u);
}

TEST_P(VaultTransferTest, LosingAnyOneFileOfAHiddenVaultLosesNothingElse) {
    CVaultKey key{"user1", "pass1"};
    SetTestMasterKey(&key, 9, true);
    CVaultTransfer hidden{key, &m_env};
    hidden.SetDeleteSource(false);
    std::string strLong;
    for (int i = 0; i < 85; ++i) strLong += "档";  // a folder name kept in its name record
    const std::vector<std::string> vPlain = {"体检/报告.pdf", "体检/" + strLong + "/笔记.txt",
                                             "体检/" + strLong + "/深/图.png", "a.txt"};
    for (std::size_t i = 0; i < vPlain.size(); ++i)
        WriteBytes(Src(vPlain[i]), RandomBytes(100 + i, static_cast<unsigned>(i)));
    m_drop = DropJob{{Src("体检"), Src("a.txt")}, m_strBox, &hidden, {}};
    ExpectEnded(AddDropWorker(m_feedback, m_drop), m_drop.report);
    ASSERT_EQ(m_drop.report.nFilesDone, vPlain.size());
    std::vector<std::string> vOnDisk;
    for (const auto& entry : fs::recursive_directory_iterator(m_strBox))
        if (entry.is_regular_file()) vOnDisk.push_back(entry.path().string());
    ASSERT_EQ(vOnDisk.size(), vPlain.size() + 1);  // and the long folder's name record

    // Each file in turn goes missing; everything else still comes back under
    // its plain name.
    const std::string strAside = m_tmp / "aside";
    for (std::size_t nGone = 0; nGone < vOnDisk.size(); ++nGone) {
        fs::rename(vOnDisk[nGone], strAside);
        const std::string strOut = m_tmp / ("out" + std::to_string(nGone));
        m_restore = RestoreJob{m_strBox, strOut, {}, &hidden, {}};
        ExpectEnded(RestoreWorker(m_feedback, m_restore), m_restore.report);
        EXPECT_TRUE(m_restore.report.vFailed.empty()) << vOnDisk[nGone];
        std::size_t nBack = 0;
        for (std::size_t i = 0; i < vPlain.size(); ++i) {
            const std::string strPath = strOut + "/" + LastComponent(m_strBox) + "/" + vPlain[i];
            if (!Exists(strPath)) continue;
            ++nBack;
            EXPECT_EQ(ReadBytes(strPath), RandomBytes(100 + i, static_cast<unsigned>(i)));
        }
        const bool bRecord = LastComponent(vOnDisk[nGone]) == FOLDER_NAME_RECORD;
        EXPECT_EQ(nBack, vPlain.size() - (bRecord ? 0 : 1)) << vOnDisk[nGone];
        fs::rename(strAside, vOnDisk[nGone]);
        if (bRecord) m_vDotFiles.push_back(vOnDisk[nGone]);
    }
}
