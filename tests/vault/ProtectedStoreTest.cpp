// Protected stored files through the file store: round trips at the chunk
// edges, a restore that verifies every chunk before it replaces anything,
// and the key and the room a restore needs.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "FileStoreFixture.h"
#include "ProtectedLayout.h"
#include "ProtectedOpen.h"
#include "StoreBack.h"
#include "StoredFileInfo.h"
#include "VaultTransfer.h"

using namespace quovex;
using namespace quovex::test;
namespace fs = std::filesystem;

namespace {

class ProtectedStoreTest : public FileStoreFixture {
protected:
    ProtectedStoreTest() : FileStoreFixture(7) {}
};

// Sets the modification time of the file at strPath.
void SetTime(const std::string& strPath, std::int64_t nSeconds, long nNanos) {
    const struct timespec times[2] = {{nSeconds, nNanos}, {nSeconds, nNanos}};
    ASSERT_EQ(utimensat(AT_FDCWD, strPath.c_str(), times, 0), 0);
}

struct timespec TimeOf(const std::string& strPath) {
    struct stat st {};
    EXPECT_EQ(stat(strPath.c_str(), &st), 0);
    return st.st_mtim;
}

}  // namespace

// Every size at and around a chunk edge, and at the edges of a 4 KiB block
// the stored file ends in, is stored at its predicted length and comes back
// byte for byte, to the chosen folder and to the recorded path. (What the
// stored bytes hide: the reference files, ProtectedFileTest.)
TEST_F(ProtectedStoreTest, SizesAroundChunkEdgesRoundTrip) {
    const ProtectedHeader header =
        ProtectedHeaderOf(PFF_VERSION_VAULT_NAMED, ProtectedSlotSize((m_tmp / "src/x").size()));
    const std::size_t nHead = ProtectedHeadSize(header);
    // The sizes up to this one fill the first block with a byte of padding at least.
    const std::size_t nOneBlock = PFF_PAD_BLOCK - nHead % PFF_PAD_BLOCK - PFF_TAG_SIZE;
    const std::size_t C = PFF_CHUNK_SIZE, B = PFF_PAD_BLOCK, n1 = nOneBlock;
    for (const std::size_t nSize :
         {0ul, 1ul, n1 - 1, n1, n1 + B - 1, C - B - 1, C - 1, C, C + 1, 3 * C + 5}) {
        SCOPED_TRACE(nSize);
        fs::remove_all(m_tmp / "box");
        fs::remove_all(m_tmp / "out");
        const Bytes vPlain = RandomBytes(nSize, static_cast<unsigned>(nSize));
        const std::size_t nStored = MakeStored(vPlain).size();
        EXPECT_EQ(nStored, ProtectedStoredLength(nSize, header));
        // The file fills its last block on disk, unless a rest of 60 KiB or
        // more would need more than a chunk for that; the padding never
        // takes more than a block.
        const std::size_t nUnpadded = nHead + nSize / PFF_CHUNK_SIZE * PFF_CHUNK_STORED_SIZE +
                                      nSize % PFF_CHUNK_SIZE + PFF_TAG_SIZE;
        EXPECT_GT(nStored, nUnpadded);
        EXPECT_LE(nStored, nUnpadded + PFF_PAD_BLOCK);
        EXPECT_TRUE(nSize % C >= C - B || nStored % B == 0);
        EXPECT_TRUE(nSize >= n1 || nStored == B);
        ASSERT_EQ(Restore("box/x.$", "out/x.$"), 1);
        EXPECT_EQ(Read("out/x"), vPlain);
    }
    fs::remove(m_tmp / "src/x");
    ASSERT_EQ(Restore("box/x.$", ""), 1);
    EXPECT_EQ(Read("src/x"), RandomBytes(3 * PFF_CHUNK_SIZE + 5, 3 * PFF_CHUNK_SIZE + 5));
}

// A stored file damaged in a later chunk, or in its last byte, or longer
// than it was stored restores nothing: an existing target keeps its bytes,
// no partial file is left, and the failure names the first damaged chunk,
// though a large file's chunks are opened on two threads: chunk 13, the
// second half of a piece, then two of one piece, whichever thread takes
// which. (Damage in the header and slots, and cuts: ProtectedFileTest.)
TEST_F(ProtectedStoreTest, DamagedFileReplacesNothing) {
    const Bytes vSmall = MakeStored(RandomBytes(3 * PFF_CHUNK_SIZE + 100, 3));  // on one thread
    m_feedback.m_bAnswerYes = true;  // the existing target may go, once the new one is sound
    const Bytes vPlain = RandomBytes(6 << 20, 5);
    Write("src/in/x", vPlain);
    ASSERT_EQ(Store("src/in/x", "box/x.$"), 1);
    ASSERT_EQ(Restore("box/x.$", "out/x.$"), 1);
    EXPECT_EQ(Read("out/x"), vPlain);
    // The fixture streams with the real sizes: 6 MiB is read ahead and
    // written behind, the way every large file goes.
    EXPECT_GT(m_env.m_nReadsAside.n, 0);
    EXPECT_GT(m_env.m_nAppendsAside.n, 0);
    const Bytes vStored = Read("box/x.$");
    const auto fnFlipped = [](Bytes v, std::initializer_list<std::size_t> chunks) {
        const std::size_t nHead = HeadSizeOf(v);
        for (const std::size_t nChunk : chunks) v[nHead + nChunk * PFF_CHUNK_STORED_SIZE + 7] ^= 1;
        return v;
    };
    Bytes vLast = vStored, vLong = vStored;
    vLast.back() ^= 0x20;
    vLong.push_back(0);
    const std::pair<Bytes, std::int64_t> cases[] = {{fnFlipped(vSmall, {2}), 2},
                                                    {fnFlipped(vStored, {13}), 13},
                                                    {fnFlipped(vStored, {35, 36}), 35},
                                                    {vLast, -1},
                                                    {vLong, -1}};
    for (const auto& [vDamaged, nChunk] : cases) {
        Write("box/x.$", vDamaged);
        Write("out/x", {1, 2, 3});
        EXPECT_EQ(Restore("box/x.$", "out/x.$"), 0) << nChunk;
        EXPECT_EQ(m_restored.cause.nReason, FailReason::FAIL_DAMAGED) << nChunk;
        EXPECT_TRUE(nChunk < 0 ||
                    m_restored.cause == (FailCause{FailReason::FAIL_DAMAGED, 0, nChunk}));
        EXPECT_EQ(Read("out/x"), (Bytes{1, 2, 3})) << nChunk;
    }
    // At its recorded place it leaves none of the folders made for it, and
    // keeps the one that was there.
    for (const bool bSrcThere : {false, true}) {
        fs::remove_all(m_tmp / "src");
        if (bSrcThere) fs::create_directory(m_tmp / "src");
        EXPECT_EQ(Restore("box/x.$", ""), 0);
        EXPECT_EQ(m_restored.cause.nReason, FailReason::FAIL_DAMAGED);
        EXPECT_EQ(Has("src"), bSrcThere);
        EXPECT_FALSE(Has("src/in"));
    }
}

// A protected file read with another vault's key (naming its vault or not),
// or without one, is refused for what it is. (A protected vault's key reading scrambled files, and
// a scrambled key storing them: VaultConversionTest.) A plain restore tests the room on the volume
// of the path its sealed metadata records, as it does for a scrambled file's header.
TEST_F(ProtectedStoreTest, ARestoreNeedsTheVaultsKeyAndRoomWhereTheMetadataPoints) {
    MakeStored(RandomBytes(3000, 6));
    CVaultKey other("user1", "pass1");
    SetTestMasterKey(&other, 8);
    const auto fnRestoreWith = [&](const CVaultKey& key) {
        RunContext run;
        return CFileStore(key, CVaultEnv::Default())
            .RestoreFile(m_tmp / "box/x.$", m_tmp / "out/x.$", run)
            .cause.nReason;
    };
    EXPECT_EQ(fnRestoreWith(other), FailReason::FAIL_OTHER_VAULT);
    other.SetMasterKey(other.MasterKey().Clone());  // a build that named no vault
    EXPECT_EQ(fnRestoreWith(other), FailReason::FAIL_DAMAGED);
    EXPECT_EQ(fnRestoreWith(CVaultKey("user1", "pass1")), FailReason::FAIL_NEEDS_KEY);
    EXPECT_FALSE(Has("out/x"));

    fs::remove(m_tmp / "src/x");
    CFaultEnv env;
    env.m_nFreeSpace = 1ll << 40;  // every other volume has room
    env.m_freeBelow = {{m_tmp / "src", 100}};
    CVaultTransfer transfer(m_key, &env);
    RestoreJob job{m_tmp / "box/x.$", "", m_tmp.Path(), &transfer, {}};
    EXPECT_EQ(RestoreWorker(m_feedback, job), RunOutcome::RUN_STOPPED);
    EXPECT_TRUE(job.report.bNoSpace);
    EXPECT_FALSE(Has("src/x"));
    env.m_freeBelow.clear();
    job.report = {};
    EXPECT_EQ(RestoreWorker(m_feedback, job), RunOutcome::RUN_FINISHED);
    EXPECT_EQ(job.report.nFilesDone, 1u);
}

// A sparse file of 5 GiB, past every 32-bit size, comes back whole. The
// stored file and the restored one take 10 GiB: run only where
// QUOVEX_LARGE_TESTS is set (the release build's tests) and the room is there.
TEST_F(ProtectedStoreTest, FiveGibSparseFileRoundTrips) {
    if (!std::getenv("QUOVEX_LARGE_TESTS")) GTEST_SKIP() << "QUOVEX_LARGE_TESTS not set";
    const std::uint64_t nSize = 5ull << 30;
    std::error_code ec;
    if (fs::space(m_tmp.Path(), ec).available < 2 * nSize + (1ull << 30))
        GTEST_SKIP() << "less than 11 GiB free in " << m_tmp.Path();
    Write("src/big", {});
    {
        std::fstream big(m_tmp / "src/big", std::ios::in | std::ios::out | std::ios::binary);
        big.seekp(static_cast<std::streamoff>(nSize / 2));
        big.put('m');
        big.seekp(static_cast<std::streamoff>(nSize - 1));
        big.put('e');
    }
    ASSERT_EQ(Store("src/big", "box/big.$"), 1);
    fs::remove(m_tmp / "src/big");
    ASSERT_EQ(Restore("box/big.$", ""), 1);
    ASSERT_EQ(fs::file_size(m_tmp / "src/big"), nSize);
    std::ifstream big(m_tmp / "src/big", std::ios::binary);
    big.seekg(static_cast<std::streamoff>(nSize / 2));
    EXPECT_EQ(big.get(), 'm');
    big.seekg(static_cast<std::streamoff>(nSize - 1));
    EXPECT_EQ(big.get(), 'e');
}

// The disk shows one fixed time for every stored file, two seconds later
// for every summary edit (so that a sync engine sees the edit); the sealed metadata keeps the place
// and the source's time, which the restored file gets back. A file renamed by hand is known as away
// from its place, and a rewrite of the same size that put the fixed time back is still seen by the
// summary edit.
TEST_F(ProtectedStoreTest, TheDiskShowsOneTimeAndTheSealedOnesComeBack) {
    Write("src/a.txt", RandomBytes(5000, 5));
    SetTime(m_tmp / "src/a.txt", 1'600'000'000, 123'456'789);
    ASSERT_EQ(Store("src/a.txt", "v/FileBox/资料/a.txt.$"), 1);
    const std::string strStored = m_tmp / "v/FileBox/资料/a.txt.$";
    EXPECT_EQ(TimeOf(strStored).tv_sec, PROTECTED_STORED_FILE_TIME);
    EXPECT_EQ(TimeOf(strStored).tv_nsec, 0);
    StoredFileInfo info = ReadStoredFileInfo(strStored, &m_env, &m_key);
    EXPECT_EQ(info.strPlace, "FileBox/资料/a.txt");
    EXPECT_FALSE(info.bAwayFromPlace);
    EXPECT_TRUE(info.bSourceTime);
    EXPECT_EQ(info.nSourceTime, 1'600'000'000);
    EXPECT_EQ(info.nSourceNanos, 123'456'789u);

    ASSERT_EQ(Restore("v/FileBox/资料/a.txt.$", "out/a.txt.$"), 1);
    EXPECT_EQ(TimeOf(m_tmp / "out/a.txt").tv_sec, 1'600'000'000);
    EXPECT_EQ(TimeOf(m_tmp / "out/a.txt").tv_nsec, 123'456'789);

    EXPECT_EQ(WriteStoredSummary(strStored, info.stamp, "体检", &m_env, &m_key),
              SummaryWriteResult::SUMMARY_WRITTEN);
    EXPECT_EQ(TimeOf(strStored).tv_sec, PROTECTED_STORED_FILE_TIME + 2);
    EXPECT_EQ(TimeOf(strStored).tv_nsec, 0);
    info = ReadStoredFileInfo(strStored, &m_env, &m_key);
    EXPECT_EQ(WriteStoredSummary(strStored, info.stamp, "体检", &m_env, &m_key),
              SummaryWriteResult::SUMMARY_WRITTEN);
    EXPECT_EQ(TimeOf(strStored).tv_sec, PROTECTED_STORED_FILE_TIME + 4);
    info = ReadStoredFileInfo(strStored, &m_env, &m_key);
    EXPECT_EQ(info.strSummary, "体检");
    EXPECT_EQ(info.strPlace, "FileBox/资料/a.txt");
    {
        std::fstream file(strStored, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(40);
        file.put('\x5a');
    }
    SetTime(strStored, PROTECTED_STORED_FILE_TIME, 0);
    EXPECT_EQ(WriteStoredSummary(strStored, info.stamp, "新", &m_env, &m_key),
              SummaryWriteResult::SUMMARY_FILE_CHANGED);

    ASSERT_EQ(Store("src/a.txt", "v/FileBox/资料/b.txt.$"), 1);
    fs::rename(m_tmp / "v/FileBox/资料/b.txt.$", m_tmp / "v/FileBox/c.txt.$");
    info = ReadStoredFileInfo(m_tmp / "v/FileBox/c.txt.$", &m_env, &m_key);
    EXPECT_TRUE(info.bAwayFromPlace);
    EXPECT_EQ(info.strPlace, "FileBox/资料/b.txt");
    // An edited copy stored back keeps the place and recorded path it replaces.
    Write("copy/b.txt", {7, 7});
    StoreBackJob job{m_tmp / "copy/b.txt", m_tmp / "v/FileBox/c.txt.$", &m_files, {}};
    EXPECT_EQ(StoreBackWorker(m_feedback, job), RunOutcome::RUN_FINISHED);
    info = ReadStoredFileInfo(m_tmp / "v/FileBox/c.txt.$", &m_env, &m_key);
    EXPECT_EQ(info.nPlainSize, 2u);
    EXPECT_EQ(info.strPlace, "FileBox/资料/b.txt");
    EXPECT_EQ(info.strSourcePath, m_tmp / "src/a.txt");

    // Two stored files whose names were swapped come back each under its own.
    Write("src/one", {1});
    Write("src/two", {2});
    ASSERT_EQ(Store("src/one", "v/FileBox/one.$") + Store("src/two", "v/FileBox/two.$"), 2);
    fs::rename(m_tmp / "v/FileBox/one.$", m_tmp / "v/FileBox/x");
    fs::rename(m_tmp / "v/FileBox/two.$", m_tmp / "v/FileBox/one.$");
    fs::rename(m_tmp / "v/FileBox/x", m_tmp / "v/FileBox/two.$");
    TransferReport report;
    for (const char* pszName : {"one", "two"}) {
        RunContext run{&m_feedback, 0, 10, &report};
        EXPECT_TRUE(m_files
                        .RestoreFile(m_tmp / ("v/FileBox/" + std::string(pszName) + ".$"),
                                     m_tmp / ("back/" + std::string(pszName) + ".$"), run)
                        .nOutcome == FileOutcome::FILE_DONE);
    }
    EXPECT_EQ(Read("back/one"), Bytes{1});
    EXPECT_EQ(Read("back/two"), Bytes{2});
    ASSERT_EQ(report.vAway.size(), 2u);
    // A sealed place names a file, never a way out of the target folder.
    EXPECT_EQ(SealedNameOf("FileBox/资料/a.doc"), "a.doc");
    for (const char* pszPlace : {"", "FileBox/", "FileBox/..", "."})
        EXPECT_EQ(SealedNameOf(pszPlace), "") << pszPlace;
    EXPECT_EQ(report.vAway[0].strPlace, "FileBox/two");
    EXPECT_EQ(report.vAway[1].strPlace, "FileBox/one");
}
