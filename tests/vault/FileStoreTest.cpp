// Storing and restoring one file: round trips, progress, the overwrite
// questions, cancels, injected faults and damaged stored files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "FakeFeedback.h"
#include "FaultEnv.h"
#include "TempDir.h"
#include "TestFiles.h"
#include "VaultCipher.h"

using namespace quovex;
using namespace quovex::test;

namespace {

class FileStoreTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_TRUE(m_feedback.WaitBalanced()) << "wait cursor depth " << m_feedback.m_nWaitDepth;
    }
    int Store(const std::string& strSource, const std::string& strStored,
              std::uint64_t nTotal = 1000) {
        return m_cipher.StoreFile(strSource, strStored, &m_feedback, m_nDone, nTotal);
    }
    int Restore(const std::string& strStored, const std::string& strTarget,
                std::uint64_t nTotal = 1000) {
        return m_cipher.RestoreFile(strStored, strTarget, &m_feedback, m_nDone, nTotal);
    }
    // A stored file of vPlain at box/x.$, made without faults.
    void MakeStored(const Bytes& vPlain) {
        ResetFeedback();
        WriteBytes(m_tmp / "src/x", vPlain);
        ASSERT_EQ(Store(m_tmp / "src/x", m_tmp / "box/x.$"), 1);
        m_nDone = 0;
        ResetFeedback();
    }
    void ResetFeedback() {
        EXPECT_TRUE(m_feedback.WaitBalanced());
        m_feedback = CFakeFeedback();
    }
    void ExpectNoTempFiles() {
        EXPECT_EQ(FindDotEntries(m_tmp.Path()), std::vector<std::string>{});
    }

    CTempDir m_tmp;
    CFaultEnv m_env;
    CVaultCipher m_cipher{"user1", "pass1", &m_env};
    CFakeFeedback m_feedback;
    std::uint64_t m_nDone = 0;
};

}  // namespace

TEST_F(FileStoreTest, RoundTripsFilesOfManySizes) {
    for (std::size_t n : {0, 1, 127, 128, 129, 255, 256, 300, 4096, 65543, (1 << 20) + 3}) {
        std::string strName = "f" + std::to_string(n);
        Bytes vPlain = RandomBytes(n, n);
        WriteBytes(m_tmp / ("src/" + strName), vPlain);
        ASSERT_EQ(Store(m_tmp / ("src/" + strName), m_tmp / ("box/" + strName + ".$")), 1) << n;
        EXPECT_EQ(m_feedback.m_vStatus.back(), m_tmp / ("src/" + strName));
        ASSERT_EQ(Restore(m_tmp / ("box/" + strName + ".$"), m_tmp / ("out/" + strName + ".$")), 1);
        EXPECT_EQ(m_feedback.m_vStatus.back(), m_tmp / ("box/" + strName + ".$"));
        EXPECT_EQ(ReadBytes(m_tmp / ("out/" + strName)), vPlain) << n << " bytes";
    }
    EXPECT_TRUE(m_feedback.m_vQuestions.empty());
    ExpectNoTempFiles();
}

TEST_F(FileStoreTest, DoneCounterRunsOnByPlainBytesAndWholeBlocks) {
    WriteBytes(m_tmp / "src/a", RandomBytes(300, 1));
    m_nDone = 1000;
    ASSERT_EQ(Store(m_tmp / "src/a", m_tmp / "box/a.$"), 1);
    EXPECT_EQ(m_nDone, 1300u);
    ASSERT_EQ(Restore(m_tmp / "box/a.$", m_tmp / "out/a.$"), 1);
    EXPECT_EQ(m_nDone, 1684u);

    WriteBytes(m_tmp / "src/empty", {});
    ASSERT_EQ(Store(m_tmp / "src/empty", m_tmp / "box/empty.$"), 1);
    ASSERT_EQ(Restore(m_tmp / "box/empty.$", m_tmp / "out/empty.$"), 1);
    EXPECT_EQ(m_nDone, 1684u);
    EXPECT_TRUE(Exists(m_tmp / "out/empty"));
}

TEST_F(FileStoreTest, ProgressIsDoneTimesHundredOverTotalIn64Bits) {
    WriteBytes(m_tmp / "src/a", RandomBytes(300, 1));
    ASSERT_EQ(Store(m_tmp / "src/a", m_tmp / "box/a.$", 300), 1);
    EXPECT_EQ(m_feedback.m_vPositions, (std::vector<int>{42, 85, 100}));

    const std::uint64_t nTotal = 80ull << 20;
    WriteBytes(m_tmp / "src/b", {7});
    m_nDone = nTotal - 2;
    ASSERT_EQ(Store(m_tmp / "src/b", m_tmp / "box/b.$", nTotal), 1);
    EXPECT_EQ(m_feedback.m_vPositions.back(), 99);

    m_feedback.m_vPositions.clear();
    ASSERT_EQ(Store(m_tmp / "src/a", m_tmp / "box/c.$", 0), 1);
    EXPECT_TRUE(m_feedback.m_vPositions.empty()) << "a total of 0 sets no position";
}

TEST_F(FileStoreTest, APositionIsSentOnlyWhenItChanges) {
    WriteBytes(m_tmp / "src/a", RandomBytes(1000, 1));
    ASSERT_EQ(Store(m_tmp / "src/a", m_tmp / "box/a.$", 100000), 1);
    EXPECT_EQ(m_feedback.m_vPositions, (std::vector<int>{0, 1}));

    // Against the plain formula, block by block, for totals that do and do
    // not divide evenly.
    m_feedback.m_bAnswerYes = true;
    for (std::uint64_t nTotal : {1000ull, 1001ull, 3333ull, 12800ull, 99999ull}) {
        m_feedback.m_vPositions.clear();
        m_nDone = 0;
        ASSERT_EQ(Store(m_tmp / "src/a", m_tmp / "box/a.$", nTotal), 1);
        std::vector<int> vExpected;
        for (std::uint64_t nDone = 128; nDone <= 1024; nDone += 128) {
            const int nPos = static_cast<int>(
                std::min<std::uint64_t>(100, std::min<std::uint64_t>(nDone, 1000) * 100 / nTotal));
            if (vExpected.empty() || vExpected.back() != nPos) vExpected.push_back(nPos);
        }
        EXPECT_EQ(m_feedback.m_vPositions, vExpected) << "total " << nTotal;
    }
}

// Files from 4 MiB on are read a chunk ahead on a helper thread.
TEST_F(FileStoreTest, LargeFilesRoundTripAndFailOrCancelCleanlyWhileReadAhead) {
    const Bytes vPlain = RandomBytes((5 << 20) + 77, 9);
    WriteBytes(m_tmp / "src/big", vPlain);
    ASSERT_EQ(Store(m_tmp / "src/big", m_tmp / "box/big.$"), 1);
    ASSERT_EQ(Restore(m_tmp / "box/big.$", m_tmp / "out/big.$"), 1);
    EXPECT_EQ(ReadBytes(m_tmp / "out/big"), vPlain);
    const Bytes vStored = ReadBytes(m_tmp / "box/big.$");

    m_feedback.m_bAnswerYes = true;
    m_env.m_nFailReadAfter = 3 << 20;
    EXPECT_EQ(Store(m_tmp / "src/big", m_tmp / "box/big.$"), 0);
    EXPECT_EQ(Restore(m_tmp / "box/big.$", m_tmp / "out/big.$"), 0);
    m_env.m_nFailReadAfter = -1;
    EXPECT_EQ(ReadBytes(m_tmp / "box/big.$"), vStored);
    EXPECT_EQ(ReadBytes(m_tmp / "out/big"), vPlain);

    ResetFeedback();
    m_feedback.m_bAnswerYes = true;
    m_feedback.m_nCancelAfter = 20000;  // inside the third chunk
    EXPECT_EQ(Store(m_tmp / "src/big", m_tmp / "box/other.$"), 0);
    EXPECT_FALSE(Exists(m_tmp / "box/other.$"));
    ResetFeedback();
    m_feedback.m_bAnswerYes = true;
    m_feedback.m_nCancelAfter = 20000;
    EXPECT_EQ(Restore(m_tmp / "box/big.$", m_tmp / "out/big.$"), 0);
    EXPECT_EQ(ReadBytes(m_tmp / "out/big"), vPlain);
    ExpectNoTempFiles();
}

TEST_F(FileStoreTest, StoreAsksBeforeReplacingAStoredFile) {
    MakeStored(RandomBytes(1000, 1));
    Bytes vOld = ReadBytes(m_tmp / "box/x.$");
    WriteBytes(m_tmp / "src/new", RandomBytes(10, 2));

    EXPECT_EQ(Store(m_tmp / "src/new", m_tmp / "box/x.$"), 0);
    EXPECT_EQ(m_feedback.m_vQuestions, std::vector<std::string>{MSG_STORED_EXISTS});
    EXPECT_EQ(ReadBytes(m_tmp / "box/x.$"), vOld);
    EXPECT_EQ(m_cipher.StoreFile(m_tmp / "src/new", m_tmp / "box/x.$", nullptr, m_nDone, 1), 0)
        << "without feedback nothing is replaced";
    EXPECT_EQ(ReadBytes(m_tmp / "box/x.$"), vOld);

    m_feedback.m_bAnswerYes = true;
    EXPECT_EQ(Store(m_tmp / "src/new", m_tmp / "box/x.$"), 1);
    EXPECT_EQ(ReadBytes(m_tmp / "box/x.$").size(), 402u);
    ASSERT_EQ(Restore(m_tmp / "box/x.$", m_tmp / "out/x.$"), 1);
    EXPECT_EQ(ReadBytes(m_tmp / "out/x"), RandomBytes(10, 2));
    ExpectNoTempFiles();
}

TEST_F(FileStoreTest, RestoreAsksBeforeReplacingAFile) {
    MakeStored(RandomBytes(300, 1));
    WriteBytes(m_tmp / "out/x", RandomBytes(5000, 2));

    EXPECT_EQ(Restore(m_tmp / "box/x.$", m_tmp / "out/x.$"), 0);
    EXPECT_EQ(m_feedback.m_vQuestions, std::vector<std::string>{MSG_TARGET_EXISTS});
    EXPECT_EQ(ReadBytes(m_tmp / "out/x"), RandomBytes(5000, 2));

    m_feedback.m_bAnswerYes = true;
    EXPECT_EQ(Restore(m_tmp / "box/x.$", m_tmp / "out/x.$"), 1);
    EXPECT_EQ(ReadBytes(m_tmp / "out/x"), RandomBytes(300, 1));
    std::filesystem::create_directories(m_tmp / "out/folder/inner");
    EXPECT_EQ(Restore(m_tmp / "box/x.$", m_tmp / "out/folder.$"), 0)
        << "a folder is never replaced";
    EXPECT_TRUE(std::filesystem::is_directory(m_tmp / "out/folder/inner"));
    ExpectNoTempFiles();
}

TEST_F(FileStoreTest, ATargetThatIsALinkIsReplacedNeverWrittenThrough) {
    MakeStored(RandomBytes(300, 1));
    WriteBytes(m_tmp / "outside/victim", {7, 7});
    std::filesystem::create_directories(m_tmp / "out");
    std::filesystem::create_symlink(m_tmp / "outside/victim", m_tmp / "box/link.$");
    std::filesystem::create_symlink(m_tmp / "outside/victim", m_tmp / "out/link");
    m_feedback.m_bAnswerYes = true;
    EXPECT_EQ(Store(m_tmp / "src/x", m_tmp / "box/link.$"), 1);
    EXPECT_EQ(Restore(m_tmp / "box/x.$", m_tmp / "out/link.$"), 1);
    EXPECT_EQ(ReadBytes(m_tmp / "outside/victim"), (Bytes{7, 7}));
    EXPECT_FALSE(std::filesystem::is_symlink(m_tmp / "box/link.$"));
    EXPECT_EQ(ReadBytes(m_tmp / "out/link"), RandomBytes(300, 1));
}

TEST_F(FileStoreTest, CancelMidFileLeavesNoPartialTargetAndKeepsTheOldOne) {
    WriteBytes(m_tmp / "src/big", RandomBytes(1000, 5));
    m_feedback.m_nCancelAfter = 2;
    EXPECT_EQ(Store(m_tmp / "src/big", m_tmp / "box/new.$"), 0);
    EXPECT_FALSE(Exists(m_tmp / "box/new.$"));

    MakeStored(RandomBytes(3000, 1));
    Bytes vOld = ReadBytes(m_tmp / "box/x.$");
    m_feedback.m_bAnswerYes = true;
    m_feedback.m_nCancelAfter = 2;
    EXPECT_EQ(Store(m_tmp / "src/big", m_tmp / "box/x.$"), 0);
    EXPECT_EQ(ReadBytes(m_tmp / "box/x.$"), vOld);
    EXPECT_EQ(m_feedback.m_nCancelChecks, 3) << "the cancel is seen after the block it falls in";

    ResetFeedback();
    m_feedback.m_nCancelAfter = 5;
    EXPECT_EQ(Restore(m_tmp / "box/x.$", m_tmp / "out/x.$"), 0);
    EXPECT_FALSE(Exists(m_tmp / "out/x"));
    WriteBytes(m_tmp / "out/x", {1, 2, 3});
    m_feedback.m_bAnswerYes = true;
    EXPECT_EQ(Restore(m_tmp / "box/x.$", m_tmp / "out/x.$"), 0);
    EXPECT_EQ(ReadBytes(m_tmp / "out/x"), (Bytes{1, 2, 3}));
    ExpectNoTempFiles();
}

namespace {

struct Fault {
    const char* pszName;
    std::function<void(CFaultEnv&)> fnArm;
    // False for a fault that can only strike when an existing file is
    // replaced (a new file is flushed with the volume, not on its own).
    bool bStrikesNewFile = true;
};
void PrintTo(const Fault& fault, std::ostream* pOut) {
    *pOut << fault.pszName;
}

const Fault STORE_FAULTS[] = {
    {"TempCreation", [](CFaultEnv& e) { e.m_bFailTemp = true; }},
    {"DiskFull", [](CFaultEnv& e) { e.m_bDiskFull = true; }},
    {"WriteInHeader", [](CFaultEnv& e) { e.m_nFailWriteAfter = 100; }},
    {"WriteInBody", [](CFaultEnv& e) { e.m_nFailWriteAfter = 274 + 128 + 5; }},
    {"WriteOfLastByte", [](CFaultEnv& e) { e.m_nFailWriteAfter = 274 + 8 * 128 - 1; }},
    {"Sync", [](CFaultEnv& e) { e.m_bFailSync = true; }, false},
    {"Close", [](CFaultEnv& e) { e.m_bFailClose = true; }},
    {"Rename", [](CFaultEnv& e) { e.m_bFailRename = true; }},
    {"ReadAtStart", [](CFaultEnv& e) { e.m_nFailReadAfter = 0; }},
    {"ReadInBody", [](CFaultEnv& e) { e.m_nFailReadAfter = 300; }},
    {"SourceGrew", [](CFaultEnv& e) { e.m_nSizeDelta = -1; }},
    {"SourceShrank", [](CFaultEnv& e) { e.m_nSizeDelta = 1; }},
};

const Fault RESTORE_FAULTS[] = {
    {"TempCreation", [](CFaultEnv& e) { e.m_bFailTemp = true; }},
    {"DiskFull", [](CFaultEnv& e) { e.m_bDiskFull = true; }},
    {"WriteInBody", [](CFaultEnv& e) { e.m_nFailWriteAfter = 300; }},
    {"Sync", [](CFaultEnv& e) { e.m_bFailSync = true; }, false},
    {"Close", [](CFaultEnv& e) { e.m_bFailClose = true; }},
    {"Rename", [](CFaultEnv& e) { e.m_bFailRename = true; }},
    {"ReadInSignature", [](CFaultEnv& e) { e.m_nFailReadAfter = 3; }},
    {"ReadInHeader", [](CFaultEnv& e) { e.m_nFailReadAfter = 100; }},
    {"ReadInBody", [](CFaultEnv& e) { e.m_nFailReadAfter = 274 + 128 + 5; }},
    {"ReadOfLastBlock", [](CFaultEnv& e) { e.m_nFailReadAfter = 274 + 7 * 128; }},
};

class StoreFaultTest : public FileStoreTest, public ::testing::WithParamInterface<Fault> {};
class RestoreFaultTest : public FileStoreTest, public ::testing::WithParamInterface<Fault> {};

std::string FaultName(const ::testing::TestParamInfo<Fault>& info) {
    return info.param.pszName;
}

}  // namespace

// A 1000-byte file (eight blocks) under each fault: result 0, nothing
// partial, an existing stored file untouched, the source kept.
TEST_P(StoreFaultTest, LeavesNothingPartialAndTheOldFileIntact) {
    MakeStored(RandomBytes(2000, 1));
    Bytes vOld = ReadBytes(m_tmp / "box/x.$");
    WriteBytes(m_tmp / "src/y", RandomBytes(1000, 2));
    GetParam().fnArm(m_env);
    m_feedback.m_bAnswerYes = true;

    if (GetParam().bStrikesNewFile) {
        EXPECT_EQ(Store(m_tmp / "src/y", m_tmp / "box/new.$"), 0);
        EXPECT_FALSE(Exists(m_tmp / "box/new.$"));
    }
    EXPECT_EQ(Store(m_tmp / "src/y", m_tmp / "box/x.$"), 0);
    EXPECT_EQ(ReadBytes(m_tmp / "box/x.$"), vOld);
    EXPECT_EQ(ReadBytes(m_tmp / "src/y"), RandomBytes(1000, 2));
    ExpectNoTempFiles();
}

TEST_P(RestoreFaultTest, LeavesNothingPartialAndTheOldFileIntact) {
    MakeStored(RandomBytes(1000, 1));
    Bytes vStored = ReadBytes(m_tmp / "box/x.$");
    WriteBytes(m_tmp / "out/old", {9, 9, 9});
    GetParam().fnArm(m_env);
    m_feedback.m_bAnswerYes = true;

    if (GetParam().bStrikesNewFile) {
        EXPECT_EQ(Restore(m_tmp / "box/x.$", m_tmp / "out/new.$"), 0);
        EXPECT_FALSE(Exists(m_tmp / "out/new"));
    }
    EXPECT_EQ(Restore(m_tmp / "box/x.$", m_tmp / "out/old.$"), 0);
    EXPECT_EQ(ReadBytes(m_tmp / "out/old"), (Bytes{9, 9, 9}));
    EXPECT_EQ(ReadBytes(m_tmp / "box/x.$"), vStored);
    ExpectNoTempFiles();
}

INSTANTIATE_TEST_SUITE_P(Faults, StoreFaultTest, ::testing::ValuesIn(STORE_FAULTS), FaultName);
INSTANTIATE_TEST_SUITE_P(Faults, RestoreFaultTest, ::testing::ValuesIn(RESTORE_FAULTS), FaultName);

TEST_F(FileStoreTest, RefusesSourcesWhosePathDoesNotFitTheHeader) {
    // ASCII paths of exactly 127 and 128 bytes.
    std::string strBase = m_tmp.Path() + "/";
    std::string strFits = strBase + std::string(127 - strBase.size(), 'a');
    std::string strTooLong = strBase + std::string(128 - strBase.size(), 'b');
    WriteBytes(strFits, {1});
    WriteBytes(strTooLong, {1});
    EXPECT_EQ(Store(strFits, m_tmp / "box/fits.$"), 1);
    EXPECT_EQ(Store(strTooLong, m_tmp / "box/long.$"), 0);
    EXPECT_FALSE(Exists(m_tmp / "box/long.$"));

    // 70 Chinese characters: 210 bytes as UTF-8 (a valid name), 140 in GB18030.
    std::string strName;
    for (int i = 0; i < 70; ++i) strName += "字";
    WriteBytes(m_tmp / strName, {1});
    EXPECT_EQ(Store(m_tmp / strName, m_tmp / "box/cn.$"), 0);
    EXPECT_FALSE(Exists(m_tmp / "box/cn.$"));

    // A name that is not UTF-8 cannot enter the format.
    WriteBytes(m_tmp / "bad\xFF", {1});
    EXPECT_EQ(Store(m_tmp / "bad\xFF", m_tmp / "box/bad.$"), 0);
    EXPECT_TRUE(Exists(m_tmp / "bad\xFF"));
    ExpectNoTempFiles();
}

TEST_F(FileStoreTest, RefusesSourcesOf4GiB) {
    std::filesystem::create_directories(m_tmp / "src");
    { std::ofstream(m_tmp / "src/huge"); }
    std::filesystem::resize_file(m_tmp / "src/huge", 1ull << 32);  // sparse
    EXPECT_EQ(Store(m_tmp / "src/huge", m_tmp / "box/huge.$"), 0);
    EXPECT_FALSE(Exists(m_tmp / "box/huge.$"));
    EXPECT_TRUE(Exists(m_tmp / "src/huge"));
}

TEST_F(FileStoreTest, PlainRestoreRecreatesTheRecordedFolders) {
    WriteBytes(m_tmp / "src/deep/er/f.txt", RandomBytes(200, 1));
    ASSERT_EQ(Store(m_tmp / "src/deep/er/f.txt", m_tmp / "box/f.txt.$"), 1);
    std::filesystem::remove_all(m_tmp / "src");
    ASSERT_EQ(Restore(m_tmp / "box/f.txt.$", ""), 1);
    EXPECT_EQ(ReadBytes(m_tmp / "src/deep/er/f.txt"), RandomBytes(200, 1));
}

TEST_F(FileStoreTest, PlainRestoreRefusesARecordedPathThatIsNotAbsolute) {
    MakeStored(RandomBytes(50, 1));
    Bytes v = ReadBytes(m_tmp / "box/x.$");
    std::filesystem::create_directories(m_tmp / "cwd");
    std::string strOldCwd = std::filesystem::current_path();
    std::filesystem::current_path(m_tmp / "cwd");
    for (std::string strRecorded : {"C:\\x\\a.txt", "rel/a.txt", ""}) {
        std::fill(v.begin() + 18, v.begin() + 146, 0);
        std::copy(strRecorded.begin(), strRecorded.end(), v.begin() + 18);
        WriteBytes(m_tmp / "box/x.$", v);
        EXPECT_EQ(Restore(m_tmp / "box/x.$", ""), 0) << strRecorded;
    }
    std::filesystem::current_path(strOldCwd);
    EXPECT_TRUE(std::filesystem::is_empty(m_tmp / "cwd"));
}

TEST_F(FileStoreTest, DamagedOrForeignFilesRestoreNothingAndExtraBlocksAreIgnored) {
    WriteBytes(m_tmp / "box/junk.$", RandomBytes(700, 1));  // no signature
    EXPECT_EQ(Restore(m_tmp / "box/junk.$", m_tmp / "out/junk.$"), 0);
    EXPECT_EQ(Restore(m_tmp / "box/missing.$", m_tmp / "out/missing.$"), 0);
    EXPECT_TRUE(m_feedback.m_vMessages.empty());

    MakeStored(RandomBytes(300, 1));
    Bytes v = ReadBytes(m_tmp / "box/x.$");
    for (std::size_t nLength : {274 + 128, 274 + 256 + 44, 274}) {
        WriteBytes(m_tmp / "box/cut.$", Bytes(v.begin(), v.begin() + nLength));
        EXPECT_EQ(Restore(m_tmp / "box/cut.$", m_tmp / "out/cut.$"), 0) << nLength;
        EXPECT_FALSE(Exists(m_tmp / "out/cut"));
    }
    Bytes vExtra = v, vNoise = RandomBytes(256, 9);
    vExtra.insert(vExtra.end(), vNoise.begin(), vNoise.end());
    WriteBytes(m_tmp / "box/extra.$", vExtra);
    m_nDone = 0;
    EXPECT_EQ(Restore(m_tmp / "box/extra.$", m_tmp / "out/extra.$"), 1);
    EXPECT_EQ(ReadBytes(m_tmp / "out/extra"), RandomBytes(300, 1));
    EXPECT_EQ(m_nDone, 5u * 128);
    ExpectNoTempFiles();
}

TEST_F(FileStoreTest, RestoreTargetLosesOnlyItsLastExtension) {
    MakeStored(RandomBytes(20, 1));
    ASSERT_EQ(Restore(m_tmp / "box/x.$", m_tmp / "out/a.b.c.$"), 1);
    EXPECT_EQ(ReadBytes(m_tmp / "out/a.b.c"), RandomBytes(20, 1));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_tmp / "out"), {}), 1);
}

TEST_F(FileStoreTest, StoredFilesAndCreatedFoldersArePrivate) {
    WriteBytes(m_tmp / "src/a", RandomBytes(20, 1));
    ASSERT_EQ(Store(m_tmp / "src/a", m_tmp / "new/box/a.$"), 1);
    EXPECT_EQ(ModeOf(m_tmp / "new/box/a.$"), 0600u);
    EXPECT_EQ(ModeOf(m_tmp / "new"), 0700u);
    EXPECT_EQ(ModeOf(m_tmp / "new/box"), 0700u);
}
