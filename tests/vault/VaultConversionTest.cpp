// Converting a scrambled vault into a protected one, file by file, on each
// kind of file system.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>

#include "Boxes.h"
#include "FileStoreFixture.h"
#include "ProtectedLayout.h"
#include "StoredFileInfo.h"
#include "TestFiles.h"
#include "VaultConversion.h"
#include "VaultKey.h"

using namespace quovex;
using namespace quovex::test;
namespace fs = std::filesystem;
using enum FailReason;

namespace {

// m_key: the same credentials as m_scrambledKey, and the vault's master key.
class VaultConversionTest : public FileStoreFixture,
                            public ::testing::WithParamInterface<FileSystemKind> {
protected:
    VaultConversionTest() : FileStoreFixture(0x3C) {}
    void SetUp() override { m_env.ActAs(GetParam()); }

    std::string Box(int nBox, const std::string& strRel) const {
        return BoxFolderPath(Vault(), nBox) + "/" + strRel;
    }
    std::string Vault() const { return m_tmp / ("V" + std::to_string(m_nVault)); }
    // A new, empty vault for the next round.
    void NewVault() {
        ++m_nVault;
        CreateBoxFolders(Vault(), CVaultEnv::Default());
        m_contents.clear();
    }

    // Stores nSize bytes as the stored file strStored (the scrambled format
    // unless bProtected), from a source named after it.
    void Store(const std::string& strStored, std::size_t nSize, bool bProtected = false) {
        const Bytes vPlain = RandomBytes(nSize, static_cast<unsigned>(m_contents.size() + nSize));
        const std::string strSource =
            m_tmp / ("src" + std::to_string(m_nVault) + "/" + std::to_string(m_contents.size()));
        WriteBytes(strSource, vPlain);
        ASSERT_TRUE(StoreWith(bProtected ? m_key : m_scrambledKey, strSource, strStored));
        m_contents[strStored] = vPlain;
    }
    // Files in three boxes, two folders deep, at the sizes around a chunk's
    // edges, and beyond the sealed chunks written at once.
    void MakeScrambledVault() {
        Store(Box(BOX_FILE, "a.txt.$"), 300);
        Store(Box(BOX_FILE, "docs/deep/b.bin.$"), PFF_CHUNK_SIZE);
        Store(Box(BOX_FILE, "docs/c.dat.$"), 0);
        Store(Box(BOX_IMAGE, "p.png.$"), PFF_CHUNK_SIZE - 1);
        Store(Box(BOX_IMAGE, "q.png.$"), PFF_CHUNK_SIZE + 1);
        Store(Box(BOX_OTHER, "big.iso.$"), 17 * PFF_CHUNK_SIZE + 5);
    }
    // Three small files in two boxes, for the rounds that repeat a run.
    void MakeSmallVault() {
        Store(Box(BOX_FILE, "one.$"), 100);
        Store(Box(BOX_FILE, "sub/two.$"), 1);
        Store(Box(BOX_VIDEO, "three.$"), 200);
    }

    RunOutcome Convert() {
        m_job = ConvertJob{Vault(), &m_key, &m_env, {}, 0};
        return ConvertWorker(m_feedback, m_job);
    }

    // What the stored file's header or metadata says, read with the key.
    StoredFileInfo Info(const std::string& strStored) const {
        return ReadStoredFileInfo(strStored, CVaultEnv::Default(), &m_key);
    }
    bool IsProtectedFile(const std::string& strStored) const {
        return Info(strStored).nKind == StoredKind::STORED_PROTECTED;
    }
    // Every stored file of m_contents restores byte for byte with the
    // protected vault's key, whatever its format; the number that are
    // protected.
    std::size_t ExpectAllRestore() {
        std::size_t nProtected = 0;
        for (const auto& [strStored, vPlain] : m_contents) {
            fs::remove(m_tmp / "out");
            EXPECT_TRUE(RestoreWith(m_key, strStored, m_tmp / "out.$")) << strStored;
            EXPECT_EQ(ReadBytes(m_tmp / "out"), vPlain) << strStored;
            nProtected += IsProtectedFile(strStored) ? 1 : 0;
        }
        return nProtected;
    }

    CVaultKey m_scrambledKey{"user1", "pass1"};
    ConvertJob m_job;
    int m_nVault = 0;
    Tree m_contents;  // stored file -> its plain content
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Fs, VaultConversionTest, ::testing::ValuesIn(ALL_FILE_SYSTEMS),
                         [](const auto& info) { return std::string(info.param.pszName); });

// Damaged files and files of other credentials stay byte for byte as they
// were; dot-names and links are passed over; the recorded path, the
// summary and the stored file's mode carry over; a second run finds
// nothing left to do.
TEST_P(VaultConversionTest, EveryScrambledFileBecomesProtectedAndRestoresByteForByte) {
    NewVault();
    MakeScrambledVault();
    Store(Box(BOX_OTHER, "old/already.$"), 5000, true);
    const std::string strSummed = Box(BOX_FILE, "a.txt.$");
    ASSERT_EQ(
        WriteStoredSummary(strSummed, ReadStoredFileInfo(strSummed, CVaultEnv::Default()).stamp,
                           "合同的摘要", CVaultEnv::Default()),
        SummaryWriteResult::SUMMARY_WRITTEN);
    const std::string strRecorded = Info(strSummed).strSourcePath;
    // Cut short, without a signature, and stored by someone else.
    const std::string strCut = Box(BOX_VIDEO, "cut.$"), strJunk = Box(BOX_VIDEO, "junk.$"),
                      strForeign = Box(BOX_VIDEO, "foreign.$");
    const Bytes vBig = ReadBytes(Box(BOX_OTHER, "big.iso.$"));
    WriteBytes(strCut, Bytes(vBig.begin(), vBig.begin() + 1000));
    WriteBytes(strJunk, Bytes(500, 'j'));
    WriteBytes(m_tmp / "foreign", {1, 2, 3});
    ASSERT_TRUE(StoreWith(CVaultKey("user2", "pass2"), m_tmp / "foreign", strForeign));
    const Tree damaged = SnapshotTree(BoxFolderPath(Vault(), BOX_VIDEO));
    WriteBytes(Box(BOX_FILE, ".hidden.$"), {9});
    fs::create_symlink(strSummed, Box(BOX_IMAGE, "link.$"));
    fs::permissions(Box(BOX_IMAGE, "p.png.$"), fs::perms(0640));

    EXPECT_EQ(Convert(), RunOutcome::RUN_FINISHED);
    EXPECT_EQ(m_job.report.nFilesDone, 6u);
    EXPECT_EQ(m_job.nAlreadyProtected, 1u);
    EXPECT_FALSE(m_job.report.bCancelled);
    EXPECT_TRUE(m_job.report.vPassedOver.empty());
    std::vector<FailedItem> vFailed = m_job.report.vFailed;
    std::ranges::sort(vFailed, {}, &FailedItem::strPath);
    EXPECT_EQ(vFailed, (std::vector<FailedItem>{{strCut, {FAIL_DAMAGED}},
                                                {strForeign, {FAIL_DAMAGED}},
                                                {strJunk, {FAIL_DAMAGED}}}));
    EXPECT_EQ(SnapshotTree(BoxFolderPath(Vault(), BOX_VIDEO)), damaged);
    EXPECT_EQ(ReadBytes(Box(BOX_FILE, ".hidden.$")), Bytes{9});
    EXPECT_TRUE(fs::is_symlink(Box(BOX_IMAGE, "link.$")));
    m_vDotFiles = {Box(BOX_FILE, ".hidden.$")};
    EXPECT_EQ(m_feedback.m_vPositions.back(), 100);
    EXPECT_TRUE(std::is_sorted(m_feedback.m_vPositions.begin(), m_feedback.m_vPositions.end()));
    EXPECT_TRUE(m_feedback.WaitBalanced());
    EXPECT_EQ(m_feedback.m_vShownBoxes.size(), 3u);

    EXPECT_EQ(ExpectAllRestore(), m_contents.size());
    const StoredFileInfo info = Info(strSummed);
    EXPECT_EQ(info.nKind, StoredKind::STORED_PROTECTED);
    EXPECT_EQ(info.strSourcePath, strRecorded);
    EXPECT_EQ(info.strSummary, "合同的摘要");
    EXPECT_EQ(info.nMode, 0600u);
    EXPECT_EQ(ModeOf(Box(BOX_IMAGE, "p.png.$")), 0640u);

    m_feedback = CFakeFeedback();
    EXPECT_EQ(Convert(), RunOutcome::RUN_FINISHED);
    EXPECT_EQ(m_job.report.nFilesDone, 0u);
    EXPECT_EQ(m_job.nAlreadyProtected, 7u);
    EXPECT_EQ(m_job.report.vFailed.size(), 3u);
}

// Whatever change to the disk a kill stops the run at, every stored file
// reads back in one of the two formats, nothing half-made lies about, and
// a second run converts the rest.
TEST_P(VaultConversionTest, AKillAtAnyChangeLeavesEveryFileReadableAndASecondRunFinishes) {
    for (std::int64_t nStop = 0;; ++nStop) {
        NewVault();
        MakeSmallVault();
        m_env.m_nChanges = 0;
        m_env.m_nStopAfterChanges = nStop;
        Convert();
        const bool bStopped = m_env.m_nChanges > nStop;
        m_env.m_nStopAfterChanges = -1;
        EXPECT_TRUE(FindDotEntries(m_tmp.Path()).empty()) << nStop;
        ExpectAllRestore();

        EXPECT_EQ(Convert(), RunOutcome::RUN_FINISHED) << nStop;
        EXPECT_TRUE(m_job.report.vFailed.empty()) << nStop;
        EXPECT_EQ(m_job.report.nFilesDone + m_job.nAlreadyProtected, m_contents.size()) << nStop;
        EXPECT_EQ(ExpectAllRestore(), m_contents.size()) << nStop;
        if (!bStopped || HasFailure()) break;
    }
}

// A cancel met between two files ends the run there: what was converted
// stays converted, the rest is untouched. One met inside a file leaves
// that file as it was, and so does another program that writes a stored
// file while it is converted. The next run finishes.
TEST_P(VaultConversionTest, ACancelOrAChangeMeanwhileLeavesTheFileAsItWas) {
    NewVault();
    MakeSmallVault();
    // Each small file asks twice (its one block, and its check); the third
    // question after the first file's status text is the walk's.
    m_feedback.m_strCancelTrigger = "/";
    m_feedback.m_nCancelAfter = 2;
    EXPECT_EQ(Convert(), RunOutcome::RUN_CANCELLED);
    EXPECT_TRUE(m_job.report.bCancelled);
    EXPECT_EQ(m_job.report.nFilesDone, 1u);
    EXPECT_TRUE(m_job.report.vFailed.empty());
    EXPECT_EQ(ExpectAllRestore(), 1u);

    m_feedback = CFakeFeedback();
    m_feedback.m_strCancelTrigger = "/";
    m_feedback.m_nCancelAfter = 0;
    EXPECT_EQ(Convert(), RunOutcome::RUN_CANCELLED);
    EXPECT_EQ(m_job.report.nFilesDone, 0u);
    ASSERT_EQ(m_job.report.vFailed.size(), 1u);
    EXPECT_EQ(m_job.report.vFailed[0].cause.nReason, FAIL_CANCELLED);
    EXPECT_TRUE(FindDotEntries(m_tmp.Path()).empty());
    EXPECT_EQ(ExpectAllRestore(), 1u);

    m_feedback = CFakeFeedback();
    const std::string strTouched = Box(BOX_VIDEO, "three.$");
    m_env.m_fnDuringCopy = [&](const std::string& strTarget) {
        if (strTarget == strTouched)
            fs::last_write_time(strTouched,
                                fs::last_write_time(strTouched) + std::chrono::hours(1));
    };
    EXPECT_EQ(Convert(), RunOutcome::RUN_FINISHED);
    EXPECT_EQ(m_job.report.nFilesDone, 1u);
    ASSERT_EQ(m_job.report.vPassedOver.size(), 1u);
    EXPECT_EQ(m_job.report.vPassedOver[0].strPath, strTouched);
    EXPECT_EQ(m_job.report.vPassedOver[0].nReason, PassReason::PASS_SOURCE_CHANGED);
    EXPECT_FALSE(IsProtectedFile(strTouched));
    EXPECT_EQ(ExpectAllRestore(), 2u);

    m_env.m_fnDuringCopy = nullptr;
    EXPECT_EQ(Convert(), RunOutcome::RUN_FINISHED);
    EXPECT_EQ(m_job.report.nFilesDone, 1u);
    EXPECT_EQ(ExpectAllRestore(), 3u);
}

// A new file whose bytes do not come back as they were written (a disk or
// file system that lost one) never takes the old file's place; nor does
// any file when the key cannot both read and write.
TEST_P(VaultConversionTest, ANewFileThatDoesNotReadBackIsNotPutInPlace) {
    NewVault();
    Store(Box(BOX_FILE, "one.$"), 3000);
    const Bytes vBefore = ReadBytes(Box(BOX_FILE, "one.$"));
    const std::size_t nPath = Info(Box(BOX_FILE, "one.$")).strSourcePath.size();
    m_env.m_nFlipReadBackAt = static_cast<std::int64_t>(ProtectedHeadSize(ProtectedHeaderOf(
                                  PFF_VERSION_VAULT_NAMED, ProtectedSlotSize(nPath)))) +
                              100;
    EXPECT_EQ(Convert(), RunOutcome::RUN_FINISHED);
    EXPECT_EQ(m_job.report.vFailed,
              (std::vector<FailedItem>{{Box(BOX_FILE, "one.$"), {FAIL_IO, EIO}}}));
    EXPECT_EQ(ReadBytes(Box(BOX_FILE, "one.$")), vBefore);

    m_env.m_nFlipReadBackAt = -1;
    m_key.SetMasterKey(CSecretBytes());
    EXPECT_EQ(Convert(), RunOutcome::RUN_STOPPED);
    EXPECT_EQ(m_job.report.vFailed, (std::vector<FailedItem>{{Vault(), {FAIL_NEEDS_KEY}}}));
    EXPECT_EQ(ReadBytes(Box(BOX_FILE, "one.$")), vBefore);
}
