// The summary rewrite: the whole field replaced in place, only in the
// stored file that was read; a protected file's metadata read with the
// vault's key, its summary and its place written into the free slot alone. (What a
// scrambled header shows is checked through the properties dialog.)
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>

#include "Fakes.h"
#include "ProtectedLayout.h"
#include "StoredFileHeader.h"
#include "StoredFileInfo.h"
#include "TestFiles.h"
#include "TextCodec.h"
#include "VaultKey.h"

using namespace quovex;
using namespace quovex::test;
namespace fs = std::filesystem;

namespace {

using Result = SummaryWriteResult;

// Stores nSize random bytes, written at strSource first, as strStored with
// key (scrambled unless it holds a master key).
void StoreRandom(const CVaultKey& key, const std::string& strSource, const std::string& strStored,
                 std::size_t nSize = 300) {
    WriteBytes(strSource, RandomBytes(nSize, 9));
    ASSERT_TRUE(StoreWith(key, strSource, strStored));
}

Result Rewrite(const std::string& strPath, const std::string& strSummary,
               CVaultEnv* pEnv = CVaultEnv::Default(), const CVaultKey* pKey = nullptr) {
    return WriteStoredSummary(strPath, ReadStoredFileInfo(strPath, pEnv, pKey).stamp, strSummary,
                              pEnv, pKey);
}

std::string Times(const std::string& strText, int nCount) {
    std::string strOut;
    while (nCount-- > 0) strOut += strText;
    return strOut;
}

// A scrambled key, the key of a protected vault and another vault's key,
// all of the same credentials.
class SummaryTest : public ::testing::Test {
protected:
    SummaryTest() {
        SetTestMasterKey(&m_key, 7);
        SetTestMasterKey(&m_other, 8);
    }

    CTempDir m_tmp;
    const CVaultKey m_scrambled{"alice", "secret1"};
    CVaultKey m_key{"alice", "secret1"}, m_other{"alice", "secret1"};
};

}  // namespace

// A shorter summary replaces a longer one completely: the field becomes the
// GB18030 text padded with zero bytes and no other byte changes. At most
// 127 bytes, a character outside code page 936 counting four. A failed sync
// is a failure. Nothing is written unless the file is still the stored
// file that was read: not after it was changed, turned into a link or
// removed, nor when it never was a stored file (one replaced: the
// properties dialog's test).
TEST_F(SummaryTest, ScrambledSummaryReplacesTheWholeFieldOfTheFileThatWasRead) {
    std::string strStored = m_tmp / "资料.txt.$";
    StoreRandom(m_scrambled, m_tmp / "资料.txt", strStored);
    Bytes vExpected = ReadBytes(strStored);
    ASSERT_EQ(Rewrite(strStored, Times("长", 20)), Result::SUMMARY_WRITTEN);
    ASSERT_EQ(Rewrite(strStored, "短文本ab"), Result::SUMMARY_WRITTEN);
    EXPECT_EQ(ReadStoredFileInfo(strStored, CVaultEnv::Default()).strSummary, "短文本ab");
    std::string strField;
    ASSERT_TRUE(Utf8ToGb18030("短文本ab", &strField));
    std::copy(strField.begin(), strField.end(), vExpected.begin() + SFF_OFFSET_SUMMARY);
    EXPECT_EQ(ReadBytes(strStored), vExpected);

    EXPECT_EQ(Rewrite(strStored, Times("保", 63) + "a"), Result::SUMMARY_WRITTEN);
    const Bytes vFull = ReadBytes(strStored);
    EXPECT_EQ(Rewrite(strStored, Times("保", 64)), Result::SUMMARY_TOO_LONG);
    EXPECT_EQ(Rewrite(strStored, Times("保", 62) + "\xF0\x9F\x98\x80"), Result::SUMMARY_TOO_LONG);
    EXPECT_EQ(Rewrite(strStored, "\xFF"), Result::SUMMARY_NOT_ENCODABLE);
    EXPECT_EQ(ReadBytes(strStored), vFull);
    CFaultEnv env;
    env.m_bFailSync = true;
    EXPECT_EQ(Rewrite(strStored, "新", &env), Result::SUMMARY_WRITE_FAILED);

    strStored = m_tmp / "a.$";
    StoreRandom(m_scrambled, m_tmp / "a", strStored);
    const std::function<void()> changes[] = {
        [&] {
            fs::last_write_time(strStored, fs::last_write_time(strStored) - std::chrono::hours(1));
        },
        [&] {
            fs::rename(strStored, m_tmp / "d.$");
            fs::create_symlink(m_tmp / "d.$", strStored);
        },
        [&] { fs::remove(strStored); },
    };
    for (const auto& fnChange : changes) {
        const StoredFileInfo info = ReadStoredFileInfo(strStored, CVaultEnv::Default());
        fnChange();
        EXPECT_EQ(WriteStoredSummary(strStored, info.stamp, "新", CVaultEnv::Default()),
                  Result::SUMMARY_FILE_CHANGED);
    }
    EXPECT_EQ(ReadStoredFileInfo(m_tmp / "d.$", CVaultEnv::Default()).strSummary,
              "");  // the file of every case

    WriteBytes(m_tmp / "plain.txt", Bytes(400, 'x'));
    EXPECT_EQ(Rewrite(m_tmp / "plain.txt", "x"), Result::SUMMARY_FILE_CHANGED);
    EXPECT_EQ(ReadBytes(m_tmp / "plain.txt"), Bytes(400, 'x'));
}

// A protected file shows only its kind and stamp without its vault's key
// (and with a key that opens no protected vault); with it, what the sealed
// metadata records; with another vault's key, that it does not open. A
// folder's total counts it by its plain size only with the key. Its summary
// goes into the free slot only.
TEST_F(SummaryTest, ProtectedMetadataNeedsTheVaultsKeyAndItsSummaryTheFreeSlot) {
    const std::string strSource = m_tmp / "来源/报告.txt";
    const std::string strStored = m_tmp / "box/报告.txt.$";
    const std::int64_t nBefore = std::time(nullptr);
    StoreRandom(m_key, strSource, strStored, 70000);

    for (const CVaultKey* pKey : {static_cast<const CVaultKey*>(nullptr), &m_scrambled}) {
        const StoredFileInfo info = ReadStoredFileInfo(strStored, CVaultEnv::Default(), pKey);
        EXPECT_TRUE(info.bOpened && info.bHasCreationTime && !info.bStored);
        EXPECT_EQ(info.nKind, StoredKind::STORED_PROTECTED);
        EXPECT_EQ(info.nSealed, SealedInfo::SEALED_NO_KEY);
        EXPECT_EQ(info.stamp.nSize, fs::file_size(strStored));
    }
    const StoredFileInfo info = ReadStoredFileInfo(strStored, CVaultEnv::Default(), &m_key);
    EXPECT_EQ(info.nSealed, SealedInfo::SEALED_OPENED);
    EXPECT_TRUE(info.bStored && !info.bTornSlot);
    EXPECT_EQ(info.nPlainSize, 70000u);
    EXPECT_EQ(info.strSourcePath, strSource);
    EXPECT_GE(info.nStoredTime, nBefore);
    EXPECT_LE(info.nStoredTime, std::time(nullptr));
    EXPECT_EQ(info.nMode & 0777, ModeOf(strSource));
    const StoredFileInfo foreign = ReadStoredFileInfo(strStored, CVaultEnv::Default(), &m_other);
    EXPECT_EQ(foreign.nSealed, SealedInfo::SEALED_OTHER_VAULT);
    EXPECT_FALSE(foreign.bStored);

    // A scrambled file and a plain one are read as before.
    StoreRandom(m_scrambled, m_tmp / "old.txt", m_tmp / "box/old.txt.$");
    WriteBytes(m_tmp / "plain", Bytes(50, 'p'));
    EXPECT_EQ(ReadStoredFileInfo(m_tmp / "box/old.txt.$", CVaultEnv::Default(), &m_key).nKind,
              StoredKind::STORED_SCRAMBLED);
    EXPECT_EQ(ReadStoredFileInfo(m_tmp / "plain", CVaultEnv::Default()).nKind,
              StoredKind::STORED_NONE);
    EXPECT_EQ(GetPlainTotalSize(m_tmp / "box", &m_key, CVaultEnv::Default()), 70000u + 300u);
    EXPECT_EQ(GetPlainTotalSize(m_tmp / "box", nullptr, CVaultEnv::Default()),
              fs::file_size(strStored) + 300u);

    // Each edit writes the slot not in force, and nothing else; the summary
    // reads back, up to 511 UTF-8 bytes. Without the key, with another
    // vault's, or with both slots damaged, nothing is written; a torn write
    // keeps the summary before it.
    const std::size_t nSlot = ProtectedSlotSize(strSource.size());
    const std::size_t nSlot0 = PFF_HEADER_MAX_SIZE, nSlot1 = nSlot0 + nSlot;
    // The bytes differ from before only in the slot at nFrom.
    const auto fnOnlyIn = [&](const Bytes& before, std::size_t nFrom) {
        const Bytes after = ReadBytes(strStored);
        ASSERT_EQ(after.size(), before.size());
        EXPECT_NE(after, before);
        EXPECT_TRUE(std::equal(after.begin(), after.begin() + nFrom, before.begin()));
        EXPECT_TRUE(
            std::equal(after.begin() + nFrom + nSlot, after.end(), before.begin() + nFrom + nSlot));
    };
    Bytes vBefore = ReadBytes(strStored);
    ASSERT_EQ(Rewrite(strStored, "第一季度客户名单", CVaultEnv::Default(), &m_key),
              Result::SUMMARY_WRITTEN);
    fnOnlyIn(vBefore, nSlot1);
    EXPECT_EQ(ReadStoredFileInfo(strStored, CVaultEnv::Default(), &m_key).strSummary,
              "第一季度客户名单");
    vBefore = ReadBytes(strStored);
    ASSERT_EQ(Rewrite(strStored, "短", CVaultEnv::Default(), &m_key), Result::SUMMARY_WRITTEN);
    fnOnlyIn(vBefore, nSlot0);
    EXPECT_EQ(ReadStoredFileInfo(strStored, CVaultEnv::Default(), &m_key).strSummary, "短");

    const std::string strLongest = Times("保", 170) + "a";  // 511 bytes
    ASSERT_EQ(Rewrite(strStored, strLongest, CVaultEnv::Default(), &m_key),
              Result::SUMMARY_WRITTEN);
    EXPECT_EQ(ReadStoredFileInfo(strStored, CVaultEnv::Default(), &m_key).strSummary, strLongest);
    const Bytes vKept = ReadBytes(strStored);
    EXPECT_EQ(Rewrite(strStored, Times("保", 171), CVaultEnv::Default(), &m_key),
              Result::SUMMARY_TOO_LONG);
    EXPECT_EQ(Rewrite(strStored, "x\xFF", CVaultEnv::Default(), &m_key),
              Result::SUMMARY_NOT_ENCODABLE);
    EXPECT_EQ(Rewrite(strStored, "新"), Result::SUMMARY_NEEDS_KEY);
    EXPECT_EQ(Rewrite(strStored, "新", CVaultEnv::Default(), &m_other), Result::SUMMARY_NOT_OPENED);
    EXPECT_EQ(ReadBytes(strStored), vKept);

    // A slot write cut short by a crash leaves the summary before the edit
    // in force (and says a slot did not open); the next edit mends that slot.
    CFaultEnv env;
    env.m_nTearUpdateAt = 100;
    EXPECT_EQ(Rewrite(strStored, "新", &env, &m_key), Result::SUMMARY_WRITE_FAILED);
    EXPECT_EQ(ReadStoredFileInfo(strStored, CVaultEnv::Default(), &m_key).strSummary, strLongest);
    EXPECT_TRUE(ReadStoredFileInfo(strStored, CVaultEnv::Default(), &m_key).bTornSlot);
    ASSERT_EQ(Rewrite(strStored, "再", CVaultEnv::Default(), &m_key), Result::SUMMARY_WRITTEN);
    EXPECT_FALSE(ReadStoredFileInfo(strStored, CVaultEnv::Default(), &m_key).bTornSlot);

    Bytes vBoth = vKept;
    vBoth[nSlot0 + 30] ^= 1;
    vBoth[nSlot1 + 30] ^= 1;
    WriteBytes(strStored, vBoth);
    EXPECT_EQ(ReadStoredFileInfo(strStored, CVaultEnv::Default(), &m_key).nSealed,
              SealedInfo::SEALED_NOT_OPENED);
    EXPECT_EQ(Rewrite(strStored, "新", CVaultEnv::Default(), &m_key), Result::SUMMARY_NOT_OPENED);
    EXPECT_EQ(ReadBytes(strStored), vBoth);
}

// A place written into a protected file of the second version changes the
// slot not in force alone, and reads back with the rest of the record as it
// was. Nothing is written for a file changed since it was read, another
// vault's key, a place that does not fit the slots beside the summary, or
// a file of the first version, whose header says its records hold none.
TEST_F(SummaryTest, PlaceEditWritesTheFreeSlotAloneOfAFileOfTheSecondVersion) {
    const std::string strStored = m_tmp / "box/报告.txt.$";
    StoreRandom(m_key, m_tmp / "来源/报告.txt", strStored, 70000);
    const auto fnWrite = [&](const std::string& strPlace, const CVaultKey& key) {
        const FileStamp stamp = ReadStoredFileInfo(strStored, CVaultEnv::Default(), &key).stamp;
        return WriteStoredPlace(strStored, stamp, strPlace, CVaultEnv::Default(), key);
    };
    const Bytes vBefore = ReadBytes(strStored);
    const std::size_t nSlot = vBefore[12] | vBefore[13] << 8 | vBefore[14] << 16;
    ASSERT_EQ(fnWrite("FileBox/资料/报告.txt", m_key), PlaceWriteResult::PLACE_WRITTEN);
    const Bytes vAfter = ReadBytes(strStored);
    ASSERT_EQ(vAfter.size(), vBefore.size());
    const std::size_t nHead = PFF_HEADER_MAX_SIZE + 2 * nSlot;
    EXPECT_TRUE(
        std::equal(vAfter.begin(), vAfter.begin() + PFF_HEADER_MAX_SIZE + nSlot, vBefore.begin()));
    EXPECT_TRUE(std::equal(vAfter.begin() + nHead, vAfter.end(), vBefore.begin() + nHead));
    const StoredFileInfo info = ReadStoredFileInfo(strStored, CVaultEnv::Default(), &m_key);
    EXPECT_EQ(info.strPlace, "FileBox/资料/报告.txt");
    EXPECT_EQ(info.strSourcePath, m_tmp / "来源/报告.txt");
    EXPECT_TRUE(info.bSourceTime && !info.bTornSlot);
    ASSERT_TRUE(RestoreWith(m_key, strStored, m_tmp / "out/x.$"));
    EXPECT_EQ(ReadBytes(m_tmp / "out/报告.txt"), RandomBytes(70000, 9));

    const FileStamp read = info.stamp;
    ASSERT_EQ(Rewrite(strStored, Times("保", 170), CVaultEnv::Default(), &m_key),
              Result::SUMMARY_WRITTEN);
    const Bytes vKept = ReadBytes(strStored);
    EXPECT_EQ(WriteStoredPlace(strStored, read, "FileBox/x", CVaultEnv::Default(), m_key),
              PlaceWriteResult::PLACE_FILE_CHANGED);
    EXPECT_EQ(fnWrite("FileBox/" + Times("长", 150), m_key),
              PlaceWriteResult::PLACE_NEEDS_NEW_FILE);
    EXPECT_EQ(fnWrite("FileBox/x", m_other), PlaceWriteResult::PLACE_NOT_OPENED);
    EXPECT_EQ(ReadBytes(strStored), vKept);

    CVaultKey reference{"alice", "secret1"};
    CSecretBytes master(32);
    for (std::size_t i = 0; i < master.Size(); ++i)
        master.Data()[i] = static_cast<unsigned char>(i);
    reference.SetMasterKey(std::move(master));
    const std::string strFirst = m_tmp / "box/first.$";
    fs::copy_file(std::string(QUOVEX_TEST_DATA_DIR) + "/protected/pattern300.bin.$", strFirst);
    const Bytes vFirst = ReadBytes(strFirst);
    EXPECT_EQ(WriteStoredPlace(strFirst,
                               ReadStoredFileInfo(strFirst, CVaultEnv::Default(), &reference).stamp,
                               "FileBox/first", CVaultEnv::Default(), reference),
              PlaceWriteResult::PLACE_NEEDS_NEW_FILE);
    EXPECT_EQ(ReadBytes(strFirst), vFirst);
}
