// The stored-file layout. Reference stored files kept in tests/data (listed
// with their credentials in tests/data/README.md): every build must read them
// byte for byte and write them identically, so the format cannot drift. Then
// the length rule, the header codec and the header readers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "StoredFileFormat.h"
#include "TestFiles.h"
#include "TextCodec.h"
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

// The source-path field of a stored file, and the field that holds strBytes.
Bytes Field(const Bytes& v) {
    return Bytes(v.begin() + SFF_OFFSET_SOURCE_PATH, v.begin() + SFF_OFFSET_SUMMARY);
}
Bytes PathField(const std::string& strBytes) {
    Bytes v(SFF_TEXT_FIELD_SIZE, 0);
    std::memcpy(v.data(), strBytes.data(), strBytes.size());
    return v;
}

class FormatReferenceTest : public ::testing::TestWithParam<Reference> {
protected:
    CTempDir m_tmp;
};

}  // namespace

// The new file is stored from a Chinese folder, so that its source-path
// field holds GB18030 too; every other byte must match the reference.
TEST_P(FormatReferenceTest, ReadsAndWritesTheReferenceByteForByte) {
    const Reference& ref = GetParam();
    const std::string strStored = DataPath(std::string(ref.pszPlain) + ".$");
    const Bytes vPlain = ReadBytes(DataPath(ref.pszPlain)), vStored = ReadBytes(strStored);
    ASSERT_EQ(vStored.size(), StoredFileLength(vPlain.size()));
    EXPECT_EQ(Field(vStored), PathField(ref.pszRecorded));
    EXPECT_EQ(ReadPlainSize(strStored), vPlain.size());
    EXPECT_EQ(ReadHeaderChecksum(strStored), ref.nChecksum);

    CVaultCipher cipher(ref.pszUser, ref.pszPassword);
    EXPECT_EQ(cipher.Checksum(), ref.nChecksum);
    std::uint64_t nDone = 0;
    ASSERT_EQ(cipher.RestoreFile(strStored, m_tmp / "plain.$", nullptr, nDone, 0), 1);
    EXPECT_EQ(ReadBytes(m_tmp / "plain"), vPlain);

    const std::string strSource = m_tmp / (std::string("资料/") + ref.pszPlain);
    WriteBytes(strSource, vPlain);
    ASSERT_EQ(cipher.StoreFile(strSource, m_tmp / "new.$", nullptr, nDone, 0), 1);
    Bytes vNew = ReadBytes(m_tmp / "new.$"), vExpected = vStored;
    ASSERT_EQ(vNew.size(), vExpected.size());
    std::string strGb;
    ASSERT_TRUE(Utf8ToGb18030(strSource, &strGb));
    EXPECT_EQ(Field(vNew), PathField(strGb));
    for (Bytes* pv : {&vNew, &vExpected})
        std::fill(pv->begin() + SFF_OFFSET_SOURCE_PATH, pv->begin() + SFF_OFFSET_SUMMARY, 0);
    EXPECT_EQ(vNew, vExpected);
}

INSTANTIATE_TEST_SUITE_P(Files, FormatReferenceTest, ::testing::ValuesIn(REFERENCES),
                         [](const auto& info) {
                             std::string strName = info.param.pszPlain;
                             return strName.substr(0, strName.find('.'));
                         });

// The codec keeps every text field terminated; the readers refuse what is
// missing, too short or lacks the signature.
TEST(StoredFileHeaderTest, CodecIsInverseAndReadersRejectWhatIsNotAStoredFile) {
    EXPECT_EQ(StoredFileLength(128), 402u);
    EXPECT_EQ(StoredFileLength(129), 530u);
    StoredFileHeader header, decoded;
    header.nPlainSize = 0x01020304;
    header.nChecksum = 0xA0B0C0D0;
    std::memset(header.szSourcePath, 'p', sizeof header.szSourcePath);  // no NUL at all
    std::strcpy(header.szSummary, "摘要");
    Bytes v(SFF_HEADER_SIZE);
    EncodeHeader(header, v.data());
    EXPECT_EQ(std::memcmp(v.data(), "QUOVEX\x04\x03\x02\x01\xD0\xC0\xB0\xA0\0\0\0\0", 18), 0);
    EXPECT_EQ(v[SFF_OFFSET_SUMMARY - 1], 0);
    ASSERT_TRUE(DecodeHeader(v.data(), &decoded));
    EXPECT_EQ(decoded.nPlainSize, header.nPlainSize);
    EXPECT_EQ(decoded.nChecksum, header.nChecksum);
    EXPECT_STREQ(decoded.szSummary, "摘要");

    CTempDir tmp;
    EXPECT_EQ(ReadPlainSize(tmp / "missing"), 0u);
    EXPECT_EQ(ReadHeaderChecksum(tmp / "missing"), 0);
    // Long enough for the size, too short for the checksum and the whole header.
    WriteBytes(tmp / "short8", Bytes(v.begin(), v.begin() + 8));
    WriteBytes(tmp / "short12", Bytes(v.begin(), v.begin() + 12));
    EXPECT_EQ(ReadPlainSize(tmp / "short8"), 0u);
    EXPECT_EQ(ReadHeaderChecksum(tmp / "short8"), -1);
    EXPECT_EQ(ReadPlainSize(tmp / "short12"), 0x01020304u);
    EXPECT_EQ(ReadHeaderChecksum(tmp / "short12"), -1);
    EXPECT_FALSE(ReadStoredHeader(tmp / "short12", &decoded));

    v[SFF_OFFSET_SUMMARY - 1] = 'p';  // a field that lost its NUL on disk
    WriteBytes(tmp / "x.$", v);
    ASSERT_TRUE(ReadStoredHeader(tmp / "x.$", &decoded));
    EXPECT_EQ(std::strlen(decoded.szSourcePath), 127u);
    v[5] = 'Y';
    WriteBytes(tmp / "wrong", v);
    EXPECT_FALSE(DecodeHeader(v.data(), &decoded));
    EXPECT_EQ(ReadPlainSize(tmp / "wrong"), 0u);
    EXPECT_EQ(ReadHeaderChecksum(tmp / "wrong"), -1);
    EXPECT_FALSE(ReadStoredHeader(tmp / "wrong", &decoded));
}
