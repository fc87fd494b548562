// The summary rewrite: the whole field replaced in place, only in the
// stored file that was read; a protected file's metadata read with the
// vault's key and its summary written into the free slot alone. (What a
// scrambled header shows is checked through the properties dialog.)
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "Fakes.h"
#include "FileStore.h"
#include "ProtectedFileFormat.h"
#include "RunContext.h"
#include "StoredFileFormat.h"
#include "StoredFileInfo.h"
#include "TestFiles.h"
#include "TextCodec.h"
#include "VaultCipher.h"
#include "VaultKey.h"

using namespace quovex;
using namespace quovex::test;
namespace fs = std::filesystem;

namespace {

using Result = SummaryWriteResult;

// Stores 300 random bytes, written at strSource first, as strStored with the real cipher.
void StoreSample(const std::string& strSource, const std::string& strStored) {
    WriteBytes(strSource, RandomBytes(300, 7));
    const CVaultKey key("alice", "secret1");
    RunContext run;
    ASSERT_EQ(
        CFileStore(key).StoreFile(strSource, strStored, run).nOutcome == FileOutcome::FILE_DONE ? 1
                                                                                                : 0,
        1);
}

// Stores nSize random bytes, written at strSource first, as strStored with key.
void StoreWith(const CVaultKey& key, const std::string& strSource, const std::string& strStored,
               std::size_t nSize = 300) {
    WriteBytes(strSource, RandomBytes(nSize, 9));
    RunContext run;
    ASSERT_EQ(CFileStore(key).StoreFile(strSource, strStored, run).nOutcome,
              FileOutcome::FILE_DONE);
}

Result Rewrite(const std::string& strPath, const std::string& strSummary, CVaultEnv* pEnv = nullptr,
               const CVaultKey* pKey = nullptr) {
    return WriteStoredSummary(strPath, ReadStoredFileInfo(strPath, pEnv, pKey).stamp, strSummary,
                              pEnv, pKey);
}

// The offsets where two byte strings of one length differ.
std::vector<std::size_t> DifferingOffsets(const Bytes& a, const Bytes& b) {
    std::vector<std::size_t> v;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i] != b[i]) v.push_back(i);
    return v;
}

std::string Times(const std::string& strText, int nCount) {
    std::string strOut;
    while (nCount-- > 0) strOut += strText;
    return strOut;
}

}  // namespace

// A shorter summary replaces a longer one completely: the field becomes the
// GB18030 text padded with zero bytes and no other byte changes. At most
// 127 bytes, a character outside code page 936 counting four.
TEST(StoredSummaryTest, ReplacesTheWholeFieldAndNothingElse) {
    CTempDir tmp;
    const std::string strStored = tmp / "资料.txt.$";
    StoreSample(tmp / "资料.txt", strStored);
    Bytes vExpected = ReadBytes(strStored);
    ASSERT_EQ(Rewrite(strStored, Times("长", 20)), Result::SUMMARY_WRITTEN);
    ASSERT_EQ(Rewrite(strStored, "短文本ab"), Result::SUMMARY_WRITTEN);
    EXPECT_EQ(ReadStoredFileInfo(strStored).strSummary, "短文本ab");
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
}

// Nothing is written unless the file is still the stored file that was
// read: not after it was changed, turned into a link or removed, nor when
// it never was a stored file (one replaced: the properties dialog's test).
// A failed sync is a failure.
TEST(StoredSummaryTest, WritesOnlyTheFileThatWasRead) {
    CTempDir tmp;
    const std::string strStored = tmp / "a.$";
    StoreSample(tmp / "a", strStored);
    StoreSample(tmp / "b", tmp / "b.$");
    const std::function<void()> changes[] = {
        [&] {
            fs::last_write_time(strStored, fs::last_write_time(strStored) - std::chrono::hours(1));
        },
        [&] {
            fs::rename(strStored, tmp / "d.$");
            fs::create_symlink(tmp / "d.$", strStored);
        },
        [&] { fs::remove(strStored); },
    };
    for (const auto& fnChange : changes) {
        const StoredFileInfo info = ReadStoredFileInfo(strStored);
        fnChange();
        EXPECT_EQ(WriteStoredSummary(strStored, info.stamp, "新"), Result::SUMMARY_FILE_CHANGED);
    }
    EXPECT_EQ(ReadStoredFileInfo(tmp / "d.$").strSummary, "");  // the file of every case

    WriteBytes(tmp / "plain.txt", Bytes(400, 'x'));
    EXPECT_EQ(Rewrite(tmp / "plain.txt", "x"), Result::SUMMARY_FILE_CHANGED);
    EXPECT_EQ(ReadBytes(tmp / "plain.txt"), Bytes(400, 'x'));

    CFaultEnv env;
    env.m_bFailSync = true;
    EXPECT_EQ(Rewrite(tmp / "b.$", "新", &env), Result::SUMMARY_WRITE_FAILED);
}

// A protected file shows only its kind and stamp without its vault's key
// (and with a key that opens no protected vault); with it, what the sealed
// metadata records; with another vault's key, that it does not open. A
// folder's total counts it by its plain size only with the key.
TEST(ProtectedInfoTest, MetadataNeedsTheVaultsKey) {
    CTempDir tmp;
    CVaultKey key("alice", "secret1");
    SetTestMasterKey(&key, 7);
    const std::string strSource = tmp / "来源/报告.txt";
    const std::string strStored = tmp / "box/报告.txt.$";
    const std::int64_t nBefore = std::time(nullptr);
    StoreWith(key, strSource, strStored, 70000);
    fs::permissions(strStored, fs::perms::owner_read | fs::perms::owner_write);

    const CVaultKey scrambledOnly("alice", "secret1");
    for (const CVaultKey* pKey : {static_cast<const CVaultKey*>(nullptr), &scrambledOnly}) {
        const StoredFileInfo info = ReadStoredFileInfo(strStored, nullptr, pKey);
        EXPECT_TRUE(info.bOpened && info.bHasCreationTime);
        EXPECT_EQ(info.nKind, StoredKind::STORED_PROTECTED);
        EXPECT_EQ(info.nSealed, SealedInfo::SEALED_NO_KEY);
        EXPECT_FALSE(info.bStored);
        EXPECT_EQ(info.strSourcePath, "");
        EXPECT_EQ(info.stamp.nSize, fs::file_size(strStored));
    }

    const StoredFileInfo info = ReadStoredFileInfo(strStored, nullptr, &key);
    EXPECT_EQ(info.nSealed, SealedInfo::SEALED_OPENED);
    EXPECT_TRUE(info.bStored && !info.bTornSlot);
    EXPECT_EQ(info.nPlainSize, 70000u);
    EXPECT_EQ(info.strSourcePath, strSource);
    EXPECT_EQ(info.strSummary, "");
    EXPECT_GE(info.nStoredTime, nBefore);
    EXPECT_LE(info.nStoredTime, std::time(nullptr));
    EXPECT_EQ(info.nMode & 0777, ModeOf(strSource));

    CVaultKey other("alice", "secret1");
    SetTestMasterKey(&other, 8);
    const StoredFileInfo foreign = ReadStoredFileInfo(strStored, nullptr, &other);
    EXPECT_EQ(foreign.nSealed, SealedInfo::SEALED_NOT_OPENED);
    EXPECT_FALSE(foreign.bStored);

    // The limit follows the format; a scrambled file and a plain one as before.
    StoreWith(scrambledOnly, tmp / "old.txt", tmp / "box/old.txt.$");
    WriteBytes(tmp / "plain", Bytes(50, 'p'));
    EXPECT_EQ(ReadStoredFileInfo(tmp / "box/old.txt.$", nullptr, &key).nKind,
              StoredKind::STORED_SCRAMBLED);
    EXPECT_EQ(ReadStoredFileInfo(tmp / "plain").nKind, StoredKind::STORED_NONE);
    EXPECT_EQ(SummaryLimitBytes(StoredKind::STORED_SCRAMBLED), SFF_TEXT_MAX_BYTES);
    EXPECT_EQ(SummaryLimitBytes(StoredKind::STORED_PROTECTED), PFF_SUMMARY_MAX_BYTES);
    // A folder's total: the plain size with the key, else the stored length.
    EXPECT_EQ(GetPlainTotalSize(tmp / "box", &key), 70000u + 300u);
    EXPECT_EQ(GetPlainTotalSize(tmp / "box", nullptr), fs::file_size(strStored) + 300u);
}

// Each edit writes the slot not in force, and nothing else; the summary
// reads back, up to 511 UTF-8 bytes. Without the key, with another
// vault's, or with both slots damaged, nothing is written.
TEST(ProtectedInfoTest, SummaryGoesIntoTheFreeSlotOnly) {
    CTempDir tmp;
    CVaultKey key("alice", "secret1");
    SetTestMasterKey(&key, 7);
    const std::string strStored = tmp / "a.txt.$";
    StoreWith(key, tmp / "a.txt", strStored);
    const std::size_t nSlot = ProtectedSlotSize((tmp / "a.txt").size());
    const std::size_t nSlot1 = PFF_HEADER_SIZE + nSlot;
    const auto fnOnlyIn = [&](const Bytes& before, std::size_t nFrom) {
        const std::vector<std::size_t> v = DifferingOffsets(before, ReadBytes(strStored));
        EXPECT_EQ(ReadBytes(strStored).size(), before.size());
        ASSERT_FALSE(v.empty());
        EXPECT_GE(v.front(), nFrom);
        EXPECT_LT(v.back(), nFrom + nSlot);
    };
    Bytes vBefore = ReadBytes(strStored);
    ASSERT_EQ(Rewrite(strStored, "第一季度客户名单", nullptr, &key), Result::SUMMARY_WRITTEN);
    fnOnlyIn(vBefore, nSlot1);
    EXPECT_EQ(ReadStoredFileInfo(strStored, nullptr, &key).strSummary, "第一季度客户名单");
    vBefore = ReadBytes(strStored);
    ASSERT_EQ(Rewrite(strStored, "短", nullptr, &key), Result::SUMMARY_WRITTEN);
    fnOnlyIn(vBefore, PFF_HEADER_SIZE);
    EXPECT_EQ(ReadStoredFileInfo(strStored, nullptr, &key).strSummary, "短");

    const std::string strLongest = Times("保", 170) + "a";  // 511 bytes
    ASSERT_EQ(Rewrite(strStored, strLongest, nullptr, &key), Result::SUMMARY_WRITTEN);
    EXPECT_EQ(ReadStoredFileInfo(strStored, nullptr, &key).strSummary, strLongest);
    const Bytes vKept = ReadBytes(strStored);
    EXPECT_EQ(Rewrite(strStored, Times("保", 171), nullptr, &key), Result::SUMMARY_TOO_LONG);
    EXPECT_EQ(Rewrite(strStored, "x\xFF", nullptr, &key), Result::SUMMARY_NOT_ENCODABLE);
    EXPECT_EQ(Rewrite(strStored, "新"), Result::SUMMARY_NEEDS_KEY);
    CVaultKey other("alice", "secret1");
    SetTestMasterKey(&other, 8);
    EXPECT_EQ(Rewrite(strStored, "新", nullptr, &other), Result::SUMMARY_NOT_OPENED);
    EXPECT_EQ(ReadBytes(strStored), vKept);

    Bytes vBoth = vKept;
    vBoth[PFF_HEADER_SIZE + 30] ^= 1;
    vBoth[nSlot1 + 30] ^= 1;
    WriteBytes(strStored, vBoth);
    EXPECT_EQ(ReadStoredFileInfo(strStored, nullptr, &key).nSealed, SealedInfo::SEALED_NOT_OPENED);
    EXPECT_EQ(Rewrite(strStored, "新", nullptr, &key), Result::SUMMARY_NOT_OPENED);
    EXPECT_EQ(ReadBytes(strStored), vBoth);
}

// A slot write cut short by a crash leaves the summary before the edit in
// force (and says a slot did not open); the next edit mends that slot. A
// file changed since it was read is not written.
TEST(ProtectedInfoTest, TornSlotWriteKeepsTheOldSummary) {
    CTempDir tmp;
    CVaultKey key("alice", "secret1");
    SetTestMasterKey(&key, 7);
    const std::string strStored = tmp / "a.$";
    StoreWith(key, tmp / "a", strStored);
    ASSERT_EQ(Rewrite(strStored, "旧", nullptr, &key), Result::SUMMARY_WRITTEN);
    CFaultEnv env;
    env.m_nTearUpdateAt = 100;
    EXPECT_EQ(Rewrite(strStored, "新", &env, &key), Result::SUMMARY_WRITE_FAILED);
    StoredFileInfo info = ReadStoredFileInfo(strStored, nullptr, &key);
    EXPECT_EQ(info.strSummary, "旧");
    EXPECT_TRUE(info.bTornSlot);

    ASSERT_EQ(Rewrite(strStored, "再", nullptr, &key), Result::SUMMARY_WRITTEN);
    info = ReadStoredFileInfo(strStored, nullptr, &key);
    EXPECT_EQ(info.strSummary, "再");
    EXPECT_FALSE(info.bTornSlot);

    fs::last_write_time(strStored, fs::last_write_time(strStored) - std::chrono::hours(1));
    const Bytes vBefore = ReadBytes(strStored);
    EXPECT_EQ(WriteStoredSummary(strStored, info.stamp, "又", nullptr, &key),
              Result::SUMMARY_FILE_CHANGED);
    EXPECT_EQ(ReadBytes(strStored), vBefore);
}
