// The summary rewrite: the whole field replaced in place, only in the
// stored file that was read. (What the header shows is checked through the
// properties dialog.)
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "Fakes.h"
#include "FileStore.h"
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

Result Rewrite(const std::string& strPath, const std::string& strSummary,
               CVaultEnv* pEnv = nullptr) {
    return WriteStoredSummary(strPath, ReadStoredFileInfo(strPath, pEnv).stamp, strSummary, pEnv);
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
