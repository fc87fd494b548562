// The header as the properties dialog reads it, and the summary rewrite:
// the whole field replaced in place, only in the stored file that was read.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>

#include "Fakes.h"
#include "StoredFileFormat.h"
#include "StoredFileInfo.h"
#include "TestFiles.h"
#include "TextCodec.h"
#include "VaultCipher.h"

using namespace quovex;
using namespace quovex::test;
namespace fs = std::filesystem;

namespace {

using Result = SummaryWriteResult;

std::string Repeat(const std::string& strText, int nTimes) {
    std::string strOut;
    while (nTimes-- > 0) strOut += strText;
    return strOut;
}

// Stores 300 random bytes from strSource as strStored with the real cipher.
void StoreSample(const std::string& strSource, const std::string& strStored) {
    WriteBytes(strSource, RandomBytes(300, 7));
    std::uint64_t nDone = 0;
    ASSERT_EQ(CVaultCipher("alice", "secret1").StoreFile(strSource, strStored, nullptr, nDone, 300),
              1);
}

Result Rewrite(const std::string& strPath, const std::string& strSummary,
               CVaultEnv* pEnv = nullptr) {
    const StoredFileInfo info = ReadStoredFileInfo(strPath, pEnv);
    return WriteStoredSummary(strPath, info.stamp, strSummary, pEnv);
}

}  // namespace

// A shorter summary replaces a longer one completely: the field is the new
// GB18030 text padded with zero bytes, every other byte stays, and the
// limit is 127 bytes however the characters are made up.
TEST(StoredSummaryTest, ReplacesTheWholeFieldAndNothingElse) {
    CTempDir tmp;
    const std::string strStored = tmp / "box/资料.txt.$";
    StoreSample(tmp / "src/资料.txt", strStored);
    const StoredFileInfo fresh = ReadStoredFileInfo(strStored);
    EXPECT_TRUE(fresh.bOpened && fresh.bStored && fresh.bHasCreationTime);
    EXPECT_EQ(fresh.nPlainSize, 300u);
    EXPECT_EQ(fresh.strSourcePath, tmp / "src/资料.txt");
    EXPECT_EQ(fresh.strSummary, "");
    EXPECT_NEAR(double(fresh.nCreationTime), double(std::time(nullptr)), 3600.0);

    const Bytes vBefore = ReadBytes(strStored);
    ASSERT_EQ(Rewrite(strStored, Repeat("长", 20)), Result::SUMMARY_WRITTEN);
    EXPECT_EQ(ReadStoredFileInfo(strStored).strSummary, Repeat("长", 20));
    ASSERT_EQ(Rewrite(strStored, "短文本ab"), Result::SUMMARY_WRITTEN);
    EXPECT_EQ(ReadStoredFileInfo(strStored).strSummary, "短文本ab");

    Bytes vAfter = ReadBytes(strStored);
    ASSERT_EQ(vAfter.size(), vBefore.size());
    std::string strField;
    ASSERT_TRUE(Utf8ToGb18030("短文本ab", &strField));
    strField.resize(SFF_TEXT_FIELD_SIZE, '\0');
    EXPECT_EQ(std::string(vAfter.begin() + SFF_OFFSET_SUMMARY, vAfter.begin() + SFF_HEADER_SIZE),
              strField);
    std::copy(vBefore.begin() + SFF_OFFSET_SUMMARY, vBefore.begin() + SFF_HEADER_SIZE,
              vAfter.begin() + SFF_OFFSET_SUMMARY);
    EXPECT_EQ(vAfter, vBefore);

    // 63 Chinese characters and one letter are 127 bytes; one more byte, or
    // a character outside code page 936 (four bytes), is too long.
    EXPECT_EQ(Rewrite(strStored, Repeat("保", 63) + "a"), Result::SUMMARY_WRITTEN);
    const Bytes vFull = ReadBytes(strStored);
    EXPECT_EQ(Rewrite(strStored, Repeat("保", 64)), Result::SUMMARY_TOO_LONG);
    EXPECT_EQ(Rewrite(strStored, Repeat("保", 62) + "\xF0\x9F\x98\x80"), Result::SUMMARY_TOO_LONG);
    EXPECT_EQ(Rewrite(strStored, "\xFF"), Result::SUMMARY_NOT_ENCODABLE);
    EXPECT_EQ(Rewrite(strStored, std::string("a\0b", 3)), Result::SUMMARY_NOT_ENCODABLE);
    EXPECT_EQ(ReadBytes(strStored), vFull);
}

// Nothing is written unless the file is still the stored file that was
// read: not after it was replaced, vanished, changed, turned into a link
// or when it never was a stored file. A file that may not be written, and
// a failed write or sync, are failures.
TEST(StoredSummaryTest, WritesOnlyTheFileThatWasRead) {
    CTempDir tmp;
    const std::string strStored = tmp / "a.$", strOther = tmp / "b.$";
    StoreSample(tmp / "a", strStored);
    StoreSample(tmp / "b", strOther);
    const Bytes vOther = ReadBytes(strOther);
    const auto fnExpectRefused = [&](const std::function<void()>& fnMeanwhile) {
        const StoredFileInfo info = ReadStoredFileInfo(strStored);
        fnMeanwhile();
        EXPECT_EQ(WriteStoredSummary(strStored, info.stamp, "新"), Result::SUMMARY_FILE_CHANGED);
        if (Exists(strStored) && !fs::is_symlink(strStored)) {
            EXPECT_EQ(ReadStoredFileInfo(strStored).strSummary, "");
        }
    };

    fnExpectRefused([&] {  // another file put in its place
        fs::copy_file(strOther, tmp / "copy.$");
        fs::rename(tmp / "copy.$", strStored);
    });
    fnExpectRefused([&] {
        fs::last_write_time(strStored, fs::file_time_type::clock::now() - std::chrono::hours(1));
    });
    fnExpectRefused([&] { fs::rename(strStored, tmp / "moved.$"); });
    fs::rename(tmp / "moved.$", strStored);
    fnExpectRefused([&] {
        fs::rename(strStored, tmp / "target.$");
        fs::create_symlink(tmp / "target.$", strStored);
    });
    EXPECT_EQ(ReadStoredFileInfo(tmp / "target.$").strSummary, "");
    fs::remove(strStored);
    fs::rename(tmp / "target.$", strStored);
    EXPECT_EQ(ReadBytes(strOther), vOther);

    // Not a stored file: only the stamp and date are read, and nothing written.
    WriteBytes(tmp / "plain.txt", Bytes(400, 'x'));
    const StoredFileInfo plain = ReadStoredFileInfo(tmp / "plain.txt");
    EXPECT_TRUE(plain.bOpened && plain.bHasCreationTime && !plain.bStored);
    EXPECT_EQ(WriteStoredSummary(tmp / "plain.txt", plain.stamp, "x"),
              Result::SUMMARY_FILE_CHANGED);
    EXPECT_EQ(ReadBytes(tmp / "plain.txt"), Bytes(400, 'x'));
    EXPECT_FALSE(ReadStoredFileInfo(tmp / "missing.$").bOpened);

    CFaultEnv env;
    env.m_bFailUpdate = true;
    EXPECT_EQ(Rewrite(strStored, "新", &env), Result::SUMMARY_WRITE_FAILED);
    env.m_bFailUpdate = false;
    env.m_bFailSync = true;
    EXPECT_EQ(Rewrite(strStored, "新", &env), Result::SUMMARY_WRITE_FAILED);
    env.m_bFailSync = false;
    env.m_nFailWriteAfter = 0;
    EXPECT_EQ(Rewrite(strStored, "旧", &env), Result::SUMMARY_WRITE_FAILED);
    // The write whose sync failed is there; the failed write changed nothing.
    EXPECT_EQ(ReadStoredFileInfo(strStored).strSummary, "新");
}

// A field that is not valid GB18030 is flagged and left empty; the rest of
// the header is still read. Folders have a creation date too.
TEST(StoredFileInfoTest, FlagsUndecodableFieldsAndDatesFolders) {
    CTempDir tmp;
    StoredFileHeader header;
    header.nPlainSize = 5000;
    std::strcpy(header.szSourcePath, "/src/\x81\x30");  // a cut four-byte sequence
    std::strcpy(header.szSummary, "\xD5\xAA\xD2\xAA");  // 摘要
    Bytes v(SFF_HEADER_SIZE);
    EncodeHeader(header, v.data());
    WriteBytes(tmp / "bad.$", v);
    StoredFileInfo info = ReadStoredFileInfo(tmp / "bad.$");
    EXPECT_TRUE(info.bStored && info.bSourceUnreadable && !info.bSummaryUnreadable);
    EXPECT_EQ(info.nPlainSize, 5000u);
    EXPECT_EQ(info.strSummary, "摘要");

    std::strcpy(header.szSourcePath, "/src/a");
    std::strcpy(header.szSummary, "\xFF\xFF");
    EncodeHeader(header, v.data());
    WriteBytes(tmp / "bad.$", v);
    info = ReadStoredFileInfo(tmp / "bad.$");
    EXPECT_TRUE(!info.bSourceUnreadable && info.bSummaryUnreadable);
    EXPECT_EQ(info.strSourcePath, "/src/a");
    EXPECT_EQ(info.strSummary, "");

    std::int64_t nSeconds = 0;
    EXPECT_TRUE(ReadFolderCreationTime(tmp.Path(), &nSeconds));
    EXPECT_NEAR(double(nSeconds), double(std::time(nullptr)), 3600.0);
    EXPECT_FALSE(ReadFolderCreationTime(tmp / "missing", &nSeconds));
}
