// Storing and restoring one file: round trips, the done counter and progress,
// the overwrite questions, cancels, injected faults, refused sources and
// damaged stored files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "FileStoreFixture.h"
#include "FolderIdentity.h"
#include "TextCodec.h"

using namespace quovex;
using namespace quovex::test;
namespace fs = std::filesystem;
using enum FailReason;

using FileStoreTest = FileSystemFixture;

INSTANTIATE_TEST_SUITE_P(Fs, FileStoreTest, ::testing::ValuesIn(ALL_FILE_SYSTEMS),
                         [](const auto& info) { return std::string(info.param.pszName); });

// Sizes around the block size, past a chunk and from four chunks on, where
// files are read a chunk ahead on a helper thread (on reads that come short
// on the FUSE kinds). Stored files and the folders made for them are
// private; a restore drops only the last extension.
TEST_P(FileStoreTest, RoundTripsFilesOfManySizes) {
    const std::size_t C = SMALL_STREAM_SIZES.nChunk;
    const std::size_t sizes[] = {0, 1, 127, 128, 129, 300, 65543, C + 3, 2 * C, 5 * C};
    for (std::size_t n : sizes) {
        // Built by appending: GCC 12 at -O3 warns wrongly (-Wrestrict) about "f" + to_string(n).
        const std::string strName = std::string("f").append(std::to_string(n)).append(".b");
        const std::string strStored = "box/in/" + strName;
        const Bytes vPlain = RandomBytes(n, n);
        Write("src/" + strName, vPlain);
        ASSERT_EQ(Store("src/" + strName, strStored + ".$"), 1) << n;
        EXPECT_EQ(Read(strStored + ".$").size(), StoredFileLength(n));
        EXPECT_EQ(ModeOf(m_tmp / (strStored + ".$")), 0600u);
        ASSERT_EQ(Restore(strStored + ".$", "out/" + strName + ".$"), 1) << n;
        EXPECT_EQ(Read("out/" + strName), vPlain) << n << " bytes";
    }
    EXPECT_EQ(ModeOf(m_tmp / "box"), 0700u);
    EXPECT_EQ(ModeOf(m_tmp / "box/in"), 0700u);
    EXPECT_EQ(m_feedback.m_nWaitBegins, 20) << "a wait cursor around each copy";
}

TEST_P(FileStoreTest, DoneCounterAndProgressPositions) {
    // A store counts plain bytes, a restore whole blocks, from the run's count.
    Write("src/a", RandomBytes(1000, 1));
    m_nDone = 1000;
    ASSERT_EQ(Store("src/a", "box/a.$"), 1);
    EXPECT_EQ(m_nDone, 2000u);
    EXPECT_EQ(m_feedback.m_nCancelChecks, 8) << "a cancel is looked for after every block";
    m_feedback.m_vPositions.clear();
    ASSERT_EQ(Restore("box/a.$", "out/a.$", 4048), 1);
    EXPECT_EQ(m_nDone, 3024u);
    EXPECT_EQ(m_feedback.m_vPositions, (std::vector<int>{52, 55, 58, 62, 65, 68, 71, 74}));

    // After each block the run's share in percent, capped at 100, is sent
    // when it changes, one step a block included; the product needs 64 bits;
    // a total of 0 sends none.
    m_feedback.m_bAnswerYes = true;
    const std::uint64_t nBig = 80ull << 20;
    const std::tuple<std::uint64_t, std::uint64_t, std::vector<int>> runs[] = {
        {0, 300, {42, 85, 100}},
        {0, 12800, {1, 2, 3, 4, 5, 6, 7}},
        {nBig - 1000, nBig, {99, 100}},
        {0, 0, {}},
        {0, 100000, {0, 1}}};
    for (const auto& [nStart, nTotal, vExpected] : runs) {
        m_feedback.m_vPositions.clear();
        m_nDone = nStart;
        ASSERT_EQ(Store("src/a", "box/a.$", nTotal), 1);
        EXPECT_EQ(m_feedback.m_vPositions, vExpected) << nStart << " of " << nTotal;
    }
}

// No replaces nothing (nor does a store without feedback), Yes replaces a
// file or a link itself, never what a link points to, never a folder and
// never a kept-out file (a record the vault keeps for itself).
// A replaced file keeps its mode. Another program at work on the target
// during the copy: a name taken meanwhile is asked about, kept on No and
// replaced on Yes; a file that took the place of the one asked about is
// asked about again.
TEST_P(FileStoreTest, ReplacesOnlyWhatTheUserWasAskedAbout) {
    const Bytes vOld = MakeStored(RandomBytes(300, 1));
    Write("src/new", RandomBytes(10, 2));
    Write("out/x", {5, 5});
    EXPECT_EQ(Store("src/new", "box/x.$"), 0);
    EXPECT_EQ(Restore("box/x.$", "out/x.$"), 0);
    RunContext silent;  // no one to ask
    EXPECT_EQ(m_files.StoreFile(m_tmp / "src/new", m_tmp / "box/x.$", silent).nOutcome,
              FileOutcome::FILE_DECLINED);
    EXPECT_EQ(Read("box/x.$"), vOld);
    EXPECT_EQ(Read("out/x"), (Bytes{5, 5}));
    int nShots = 1;
    m_env.m_fnDuringCopy = [&](const std::string& strTarget) {
        if (nShots-- <= 0) return;
        fs::remove(strTarget);
        WriteBytes(strTarget, Bytes(nShots + 2, 6));
    };
    EXPECT_EQ(Restore("box/x.$", "out/y.$"), 0);
    EXPECT_EQ(Read("out/y"), Bytes(2, 6));
    using enum FeedbackQuestion;
    EXPECT_EQ(m_feedback.m_vQuestions, (std::vector{QUESTION_STORED_EXISTS, QUESTION_TARGET_EXISTS,
                                                    QUESTION_TARGET_EXISTS}));
    EXPECT_EQ(m_restored.cause.nReason, FAIL_DECLINED);

    m_feedback.m_bAnswerYes = true;
    m_feedback.m_vQuestions.clear();
    Write("outside/victim", {7, 7});
    fs::create_symlink(m_tmp / "outside/victim", m_tmp / "box/link.$");
    fs::create_symlink(m_tmp / "outside/victim", m_tmp / "out/link");
    EXPECT_EQ(Store("src/new", "box/x.$"), 1);
    EXPECT_EQ(Store("src/new", "box/link.$"), 1);
    EXPECT_EQ(Restore("box/link.$", "out/link.$"), 1);
    EXPECT_EQ(Read("out/link"), RandomBytes(10, 2));
    EXPECT_FALSE(fs::is_symlink(m_tmp / "box/link.$") || fs::is_symlink(m_tmp / "out/link"));
    EXPECT_EQ(Read("outside/victim"), (Bytes{7, 7}));
    nShots = 1;  // asked about out/x, then another file takes its place
    EXPECT_EQ(Restore("box/x.$", "out/x.$"), 1);
    EXPECT_EQ(m_feedback.m_vQuestions.size(), 5u);
    EXPECT_EQ(Read("out/x"), RandomBytes(10, 2));
    nShots = 1;  // a name taken during the copy, and Yes: the new file is committed again
    EXPECT_EQ(Store("src/new", "box/taken.$"), 1);
    nShots = 1;
    EXPECT_EQ(Restore("box/taken.$", "out/taken.$"), 1);
    EXPECT_EQ(Read("out/taken"), RandomBytes(10, 2));
    EXPECT_EQ(m_feedback.m_vQuestions.size(), 7u);
    fs::permissions(m_tmp / "out/x", fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Restore("box/x.$", "out/x.$"), 1);
    EXPECT_EQ(ModeOf(m_tmp / "out/x"), 0600u) << "a replaced file keeps its mode";

    fs::create_directories(m_tmp / "out/folder/inner");
    EXPECT_EQ(Restore("box/x.$", "out/folder.$"), 0) << "a folder is never replaced";
    EXPECT_EQ(m_restored.cause.nReason, FAIL_TARGET_IS_FOLDER);
    EXPECT_TRUE(fs::is_directory(m_tmp / "out/folder/inner"));
    Write("out/record", {7});
    KeepOutSet keep{{}, {FileStamp()}};
    m_env.GetStamp(m_tmp / "out/record", &keep.vFiles[0]);
    RunContext run{&m_feedback, 0, 1000, nullptr};
    EXPECT_EQ(m_files.RestoreFile(m_tmp / "box/x.$", m_tmp / "out/record.$", run, &keep).nOutcome,
              FileOutcome::FILE_IN_VAULT);
    EXPECT_EQ(Read("out/record"), Bytes{7});
}

namespace {

// What a fault is set up in: the env and feedback of a case, and the size
// of its file.
struct Armed {
    CFaultEnv& e;
    CFakeFeedback& f;
    std::int64_t n;
};

// The size of a file of the table, in chunks of the small sizes.
constexpr std::int64_t CHUNKS = static_cast<std::int64_t>(SMALL_STREAM_SIZES.nChunk);

struct Fault {
    const char* pszName;
    void (*pfnArm)(Armed& armed);
    FailReason nReason;       // told for the store and the restore (FAIL_OTHER: a source change)
    bool bStoreOnly = false;  // a size change matters only while a source is read
    // False for a fault that can only strike when an existing file is
    // replaced, where a volume flush covers the disk (a new file is then
    // flushed with the volume, not on its own).
    bool bStrikesNewFile = true;
};

void PrintTo(const Fault& fault, std::ostream* pOut) {
    *pOut << fault.pszName;
}

// Offsets are into the file read or written, of n plain bytes.
const Fault FAULTS[] = {
    {"CancelInBody", [](auto& a) { a.f.m_nCancelAfter = 2; }, FAIL_CANCELLED},
    {"Creation", [](auto& a) { a.e.m_bFailCreate = true; }, FAIL_PERMISSION},
    {"Write", [](auto& a) { a.e.m_nFailWriteAfter = a.n / 2; }, FAIL_NO_SPACE},
    {"Sync", [](auto& a) { a.e.m_bFailSync = true; }, FAIL_IO, false, false},
    {"Commit", [](auto& a) { a.e.m_bFailCommit = true; }, FAIL_IO},
    {"ReadInHeader", [](auto& a) { a.e.m_nFailReadAfter = 100; }, FAIL_IO},
    {"ReadInBody", [](auto& a) { a.e.m_nFailReadAfter = a.n / 2; }, FAIL_IO},
    {"SourceGrew", [](auto& a) { a.e.m_nSizeDelta = -1; }, FAIL_OTHER, true},
    {"SourceShrank", [](auto& a) { a.e.m_nSizeDelta = 1; }, FAIL_OTHER, true},
};

// The file of a case, with the small sizes: a small one; a large one, read
// ahead on a helper thread; a protected one of three pieces, on the
// caller's thread; a large protected one, sealed or opened on two threads
// and written behind on a third. The large ones are flushed behind as they
// grow, where the volume's flush covers them.
struct FileKind {
    const char* pszName;
    std::int64_t nSize;
    unsigned char nMasterFill;  // > 0: a protected vault's key
    bool bHelped;               // helper threads read ahead (and write behind, if protected)
};
void PrintTo(const FileKind& kind, std::ostream* pOut) {
    *pOut << kind.pszName;
}
const FileKind FILE_KINDS[] = {{"Small", 1000, 0, false},
                               {"Large", 5 * CHUNKS, 0, true},
                               {"Protected", 3 * CHUNKS, 7, false},
                               {"LargeProtected", 6 * CHUNKS, 7, true}};

class FileFaultTest
    : public FileStoreFixture,
      public ::testing::WithParamInterface<std::tuple<Fault, FileSystemKind, FileKind>> {
protected:
    FileFaultTest() : FileStoreFixture(std::get<2>(GetParam()).nMasterFill, SMALL_STREAM_SIZES) {}
    void SetUp() override { m_env.ActAs(std::get<1>(GetParam())); }
};

}  // namespace

// Under each fault, or a cancel, a store and a restore give 0 with the
// fault's reason, leave nothing partial and keep the old target, the source
// and the stored file. A cancel stays, so later runs stop after one block.
TEST_P(FileFaultTest, LeavesNothingPartialAndTheOldFilesIntact) {
    const auto& [fault, fs, kind] = GetParam();
    const Bytes vStored = MakeStored(RandomBytes(kind.nSize, 1));
    Write("src/y", RandomBytes(kind.nSize, 2));
    Write("out/old", {9, 9, 9});
    m_feedback.m_bAnswerYes = true;
    Armed armed{m_env, m_feedback, kind.nSize};
    fault.pfnArm(armed);
    if (fault.bStrikesNewFile || fs.bFlushMisses) {
        EXPECT_EQ(Store("src/y", "box/new.$"), 0);
        EXPECT_EQ(fault.bStoreOnly ? 0 : Restore("box/x.$", "out/new.$"), 0);
        EXPECT_FALSE(Has("box/new.$") || Has("out/new"));
    }
    EXPECT_EQ(Store("src/y", "box/x.$"), 0);
    EXPECT_EQ(m_stored.cause.nReason, fault.nReason);
    if (!fault.bStoreOnly) {
        EXPECT_EQ(Restore("box/x.$", "out/old.$"), 0);
        EXPECT_EQ(m_restored.cause.nReason, fault.nReason);
    }
    EXPECT_EQ(Read("box/x.$"), vStored);
    EXPECT_EQ(Read("src/y"), RandomBytes(kind.nSize, 2));
    EXPECT_EQ(Read("out/old"), (Bytes{9, 9, 9}));
}

INSTANTIATE_TEST_SUITE_P(Faults, FileFaultTest,
                         ::testing::Combine(::testing::ValuesIn(FAULTS),
                                            ::testing::ValuesIn(ALL_FILE_SYSTEMS),
                                            ::testing::ValuesIn(FILE_KINDS)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).pszName) +
                                    std::get<1>(info.param).pszName +
                                    std::get<2>(info.param).pszName;
                         });

// Each kind of the table takes the way the faults are meant to strike on:
// with the small sizes a large file's store and restore read on a helper
// thread, a large protected file's write on another one as well, and the
// others read and write on the caller's thread alone.
TEST_P(FileStoreTest, EachKindOfTheFaultTableTakesTheWayOfItsSize) {
    for (const FileKind& kind : FILE_KINDS) {
        SCOPED_TRACE(kind.pszName);
        CVaultKey key("user1", "pass1");
        if (kind.nMasterFill > 0) SetTestMasterKey(&key, kind.nMasterFill);
        CFaultEnv env;
        env.ActAs(GetParam());
        env.SetSizes(SMALL_STREAM_SIZES);
        const CFileStore files(key, &env);
        const Bytes vPlain = RandomBytes(kind.nSize, 4);
        Write("src/k", vPlain);
        RunContext run;
        ASSERT_EQ(files.StoreFile(m_tmp / "src/k", m_tmp / "box/k.$", run).nOutcome,
                  FileOutcome::FILE_DONE);
        const int nStoreReads = env.m_nReadsAside.n, nStoreAppends = env.m_nAppendsAside.n;
        ASSERT_EQ(files.RestoreFile(m_tmp / "box/k.$", m_tmp / "out/k.$", run).nOutcome,
                  FileOutcome::FILE_DONE);
        EXPECT_EQ(Read("out/k"), vPlain);
        const bool bBehind = kind.bHelped && kind.nMasterFill > 0;
        EXPECT_EQ(nStoreReads > 0, kind.bHelped) << "the source read ahead";
        EXPECT_EQ(env.m_nReadsAside.n > nStoreReads, kind.bHelped) << "the stored file read ahead";
        EXPECT_EQ(nStoreAppends > 0, bBehind) << "the stored file written behind";
        EXPECT_EQ(env.m_nAppendsAside.n > nStoreAppends, bBehind)
            << "the plain file written behind";
        fs::remove_all(m_tmp / "box");
        fs::remove_all(m_tmp / "out");
    }
}

// A source path must fit 127 GB18030 bytes and a size the 32-bit field;
// a pipe is no file. A stored file must be whole and its recorded path
// plain to be restored there.
TEST_P(FileStoreTest, RefusesSourcesTheHeaderCannotHoldAndStoredFilesItCannotTrust) {
    const std::size_t nBase = m_tmp.Path().size() + 1;
    std::string strChinese;  // 210 bytes of UTF-8 (a valid name), 140 in GB18030
    for (int i = 0; i < 70; ++i) strChinese += "字";
    const std::string refused[] = {std::string(128 - nBase, 'b'), strChinese, "bad\xFF", "huge",
                                   "fifo"};
    const FailReason reasons[] = {FAIL_PATH_NOT_STORABLE, FAIL_PATH_NOT_STORABLE,
                                  FAIL_PATH_NOT_STORABLE, FAIL_TOO_LARGE, FAIL_NOT_PLAIN_FILE};
    for (const std::string& strName : refused)
        if (strName != "fifo") Write(strName, {1});
    fs::resize_file(m_tmp / "huge", 1ull << 32);  // sparse
    Write(std::string(127 - nBase, 'a'), {1});
    EXPECT_EQ(Store(std::string(127 - nBase, 'a'), "box/fits.$"), 1);
    ASSERT_EQ(mkfifo((m_tmp / "fifo").c_str(), 0600), 0);  // a read of it would never end
    for (std::size_t i = 0; i < std::size(refused); ++i) {
        EXPECT_EQ(Store(refused[i], "box/refused.$"), 0) << refused[i];
        EXPECT_EQ(m_stored.cause.nReason, reasons[i]) << refused[i];
        EXPECT_TRUE(Has(refused[i]));
    }
    EXPECT_FALSE(Has("box/refused.$"));

    // A restore to the recorded place needs an absolute path there, the
    // whole header and every block of the plain size; blocks beyond it are
    // ignored.
    const Bytes v = MakeStored(RandomBytes(300, 1));
    fs::remove_all(m_tmp / "src");
    ASSERT_EQ(Restore("box/x.$", ""), 1);
    EXPECT_EQ(Read("src/x"), RandomBytes(300, 1));

    EXPECT_EQ(Restore("box/missing.$", "out/missing.$"), 0);
    EXPECT_EQ(m_restored.cause, CauseOfErrno(ENOENT));
    for (std::size_t nLength : {100, 274, 274 + 128, 274 + 256 + 44}) {
        Write("box/cut.$", Bytes(v.begin(), v.begin() + nLength));
        EXPECT_EQ(Restore("box/cut.$", "out/cut.$"), 0) << nLength;
        EXPECT_EQ(m_restored.cause.nReason, FAIL_DAMAGED) << nLength;
    }
    fs::create_directories(m_tmp / "cwd");
    const fs::path oldCwd = fs::current_path();
    fs::current_path(m_tmp / "cwd");
    // The header is not authenticated: only the normal form storing records.
    const std::string strBase = m_tmp.Path();
    for (std::string strRecorded :
         {std::string("C:\\x\\a.txt"), std::string("rel/a.txt"), std::string(),
          strBase + "/cwd/../evil", strBase + "/./evil", strBase + "//evil", strBase + "/evil/"}) {
        Bytes vRecorded = v;
        std::fill(vRecorded.begin() + SFF_OFFSET_SOURCE_PATH,
                  vRecorded.begin() + SFF_OFFSET_SUMMARY, 0);
        std::copy(strRecorded.begin(), strRecorded.end(),
                  vRecorded.begin() + SFF_OFFSET_SOURCE_PATH);
        Write("box/rel.$", vRecorded);
        EXPECT_EQ(Restore("box/rel.$", ""), 0) << strRecorded;
    }
    fs::current_path(oldCwd);
    EXPECT_TRUE(fs::is_empty(m_tmp / "cwd"));
    EXPECT_FALSE(Has("evil"));

    Bytes vExtra = v;
    vExtra.resize(v.size() + 256, 0x5A);
    Write("box/extra.$", vExtra);
    m_nDone = 0;
    EXPECT_EQ(Restore("box/extra.$", "out/extra.$"), 1);
    EXPECT_EQ(m_nDone, 5u * 128);
    EXPECT_EQ(SnapshotTree(m_tmp / "out"), (Tree{{"extra", RandomBytes(300, 1)}}));
}

// exFAT and NTFS refuse a name that is not whole UTF-8 (EILSEQ): the
// temporary of a new file with the longest name the disk takes keeps a
// shortened name cut where a character begins.
TEST(NewFileTest, TheTemporaryOfALongNameIsWholeUtf8) {
    CTempDir tmp;
    std::string strLong;
    for (int i = 0; i < 85; ++i) strLong += "档";  // 255 bytes
    const auto pEnv = CVaultEnv::CreateRefusing(CVaultEnv::REFUSE_UNNAMED_FILES);
    const FolderPtr pFolder = pEnv->OpenFolder(tmp.Path());
    ASSERT_TRUE(pFolder);
    auto pFile = pFolder->CreateFileFor(strLong, 0600);
    ASSERT_TRUE(pFile);
    std::size_t nTemporaries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(tmp.Path())) {
        const std::string strName = entry.path().filename().string();
        EXPECT_TRUE(IsValidUtf8(strName)) << strName;
        EXPECT_LE(strName.size(), 255u);
        ++nTemporaries;
    }
    EXPECT_EQ(nTemporaries, 1u);
    ASSERT_TRUE(pFile->Append("x", 1));
    EXPECT_EQ(pFile->Commit(false), CommitResult::COMMIT_DONE);
    EXPECT_TRUE(std::filesystem::exists(tmp / strLong));
}
