// Reference stored files kept in tests/data: every build must read them
// byte for byte and write them identically, so the format cannot drift.
// tests/data/README.md lists them with their credentials.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "StoredFileFormat.h"
#include "TempDir.h"
#include "TestFiles.h"
#include "VaultCipher.h"

using namespace quovex;
using namespace quovex::test;

namespace {

struct Reference {
    const char* pszPlain;  // plain file in tests/data; the stored file adds ".$"
    const char* pszUser;
    const char* pszPassword;
    const char* pszRecorded;  // the source-path field, as GB18030 bytes
    std::uint32_t nChecksum;
};

const Reference REFERENCES[] = {
    {"empty.txt", "alice", "secret1", "/tmp/quovex-ref/empty.txt", 1205},
    {"block300.bin", "quovex", "p@ss-w0rd", "/tmp/quovex-ref/block300.bin", 1512},
    {"chinese.txt", "张三user", "口令1234", "/tmp/quovex-ref/\xD7\xCA\xC1\xCF/\xCA\xFD\xBE\xDD.txt",
     2352},  // 资料/数据.txt
    {"fillers.bin", "u123", "abcdefghijklmnopqrstuvwxyz0123", "/tmp/quovex-ref/fillers.bin", 3312},
};

void PrintTo(const Reference& ref, std::ostream* pOut) {
    *pOut << ref.pszPlain;
}

std::string DataPath(const std::string& strName) {
    return std::string(QUOVEX_TEST_DATA_DIR) + "/" + strName;
}

Bytes PathField(const std::string& strBytes) {
    Bytes v(SFF_TEXT_FIELD_SIZE, 0);
    std::memcpy(v.data(), strBytes.data(), strBytes.size());
    return v;
}

Bytes Field(const Bytes& v) {
    return Bytes(v.begin() + SFF_OFFSET_SOURCE_PATH, v.begin() + SFF_OFFSET_SUMMARY);
}

class FormatReferenceTest : public ::testing::TestWithParam<Reference> {
protected:
    CTempDir m_tmp;
};

}  // namespace

TEST_P(FormatReferenceTest, ReadsTheReferenceByteForByte) {
    const Reference& ref = GetParam();
    const std::string strStored = DataPath(std::string(ref.pszPlain) + ".$");
    const Bytes vPlain = ReadBytes(DataPath(ref.pszPlain));
    const Bytes vStored = ReadBytes(strStored);
    ASSERT_EQ(vStored.size(), StoredFileLength(vPlain.size()));
    EXPECT_EQ(Field(vStored), PathField(ref.pszRecorded));
    EXPECT_EQ(ReadPlainSize(strStored), vPlain.size());
    EXPECT_EQ(ReadHeaderChecksum(strStored), ref.nChecksum);

    CVaultCipher cipher(ref.pszUser, ref.pszPassword);
    EXPECT_EQ(cipher.Checksum(), ref.nChecksum);
    std::uint64_t nDone = 0;
    ASSERT_EQ(cipher.RestoreFile(strStored, m_tmp / "plain.$", nullptr, nDone, 0), 1);
    EXPECT_EQ(ReadBytes(m_tmp / "plain"), vPlain);
}

TEST_P(FormatReferenceTest, WritesTheReferenceAgain) {
    const Reference& ref = GetParam();
    const Bytes vReference = ReadBytes(DataPath(std::string(ref.pszPlain) + ".$"));
    WriteBytes(m_tmp / ref.pszPlain, ReadBytes(DataPath(ref.pszPlain)));

    CVaultCipher cipher(ref.pszUser, ref.pszPassword);
    std::uint64_t nDone = 0;
    ASSERT_EQ(cipher.StoreFile(m_tmp / ref.pszPlain, m_tmp / "new.$", nullptr, nDone, 0), 1);
    Bytes vNew = ReadBytes(m_tmp / "new.$");
    ASSERT_EQ(vNew.size(), vReference.size());
    EXPECT_EQ(Field(vNew), PathField(m_tmp / ref.pszPlain));

    // Everything but the source path must match the reference exactly.
    std::fill(vNew.begin() + SFF_OFFSET_SOURCE_PATH, vNew.begin() + SFF_OFFSET_SUMMARY, 0);
    Bytes vExpected = vReference;
    std::fill(vExpected.begin() + SFF_OFFSET_SOURCE_PATH, vExpected.begin() + SFF_OFFSET_SUMMARY,
              0);
    EXPECT_EQ(vNew, vExpected);
}

INSTANTIATE_TEST_SUITE_P(Files, FormatReferenceTest, ::testing::ValuesIn(REFERENCES),
                         [](const ::testing::TestParamInfo<Reference>& info) {
                             std::string strName = info.param.pszPlain;
                             return strName.substr(0, strName.find('.'));
                         });
