// The stored-file layout. Reference stored files kept in tests/data (listed
// with their credentials in tests/data/README.md): every build must read them
// byte for byte and write them identically, so the format cannot drift. Then
// the header codec and the plain-size reader.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "StoredFileHeader.h"
#include "TestFiles.h"
#include "TextCodec.h"
#include "VaultKey.h"

using namespace quovex;
using namespace quovex::test;

namespace {

struct Reference {
    const char* pszPlain;  // plain file in tests/data; the stored file adds ".$"
    const char* pszUser;
    const char* pszPassword;
    const char* pszRecorded;  // the source-path field, as GB18030 bytes
};

const Reference REFERENCES[] = {
    {"empty.txt", "alice", "secret1", "/tmp/quovex-ref/empty.txt"},
    {"block300.bin", "quovex", "p@ss-w0rd", "/tmp/quovex-ref/block300.bin"},
    {"chinese.txt", "张三user", "口令1234",
     "/tmp/quovex-ref/\xD7\xCA\xC1\xCF/\xCA\xFD\xBE\xDD.txt"},  // 资料/数据.txt
    {"fillers.bin", "u123", "abcdefghijklmnopqrstuvwxyz0123", "/tmp/quovex-ref/fillers.bin"},
};

// The source-path field of the stored bytes v holds strText, NUL-padded.
void ExpectPathField(const Bytes& v, std::string strText) {
    strText.resize(SFF_TEXT_FIELD_SIZE, '\0');
    EXPECT_EQ(std::string(v.begin() + SFF_OFFSET_SOURCE_PATH, v.begin() + SFF_OFFSET_SUMMARY),
              strText);
}

}  // namespace

// The new file is stored from a Chinese folder, so that its source-path
// field holds GB18030 too; every other byte, the credential checksum among
// them, must match the reference.
TEST(FormatReferenceTest, ReadsAndWritesTheReferencesByteForByte) {
    for (const Reference& ref : REFERENCES) {
        SCOPED_TRACE(ref.pszPlain);
        const std::string strPlain = std::string(QUOVEX_TEST_DATA_DIR) + "/" + ref.pszPlain;
        const Bytes vPlain = ReadBytes(strPlain), vStored = ReadBytes(strPlain + ".$");
        ExpectPathField(vStored, ref.pszRecorded);

        CTempDir tmp;
        const CVaultKey key(ref.pszUser, ref.pszPassword);
        ASSERT_TRUE(RestoreWith(key, strPlain + ".$", tmp / "plain.$"));
        EXPECT_EQ(ReadBytes(tmp / "plain"), vPlain);

        const std::string strSource = tmp / (std::string("资料/") + ref.pszPlain);
        WriteBytes(strSource, vPlain);
        ASSERT_TRUE(StoreWith(key, strSource, tmp / "new.$"));
        Bytes vNew = ReadBytes(tmp / "new.$");
        ASSERT_EQ(vNew.size(), vStored.size());
        std::string strGb;
        ASSERT_TRUE(Utf8ToGb18030(strSource, &strGb));
        ExpectPathField(vNew, strGb);
        std::copy(vStored.begin() + SFF_OFFSET_SOURCE_PATH, vStored.begin() + SFF_OFFSET_SUMMARY,
                  vNew.begin() + SFF_OFFSET_SOURCE_PATH);
        EXPECT_EQ(vNew, vStored);
    }
}

// The codec keeps every text field terminated, on disk and when read (its
// layout is the reference files'); the plain size, which the box totals
// read, needs the signature and the whole size field.
TEST(StoredFileHeaderTest, CodecTerminatesTextFieldsAndPlainSizeNeedsItsField) {
    StoredFileHeader header, decoded;
    header.nPlainSize = 0x01020304;
    std::memset(header.szSourcePath, 'p', sizeof header.szSourcePath);  // no NUL at all
    std::strcpy(header.szSummary, "摘要");
    Bytes v(SFF_HEADER_SIZE);
    EncodeHeader(header, v.data());
    EXPECT_EQ(v[SFF_OFFSET_SUMMARY - 1], 0);
    v[SFF_OFFSET_SUMMARY - 1] = 'p';  // a field that lost its NUL on disk
    ASSERT_TRUE(DecodeHeader(v.data(), &decoded));
    EXPECT_EQ(std::strlen(decoded.szSourcePath), 127u);
    EXPECT_STREQ(decoded.szSummary, "摘要");

    CTempDir tmp;
    WriteBytes(tmp / "short8", Bytes(v.begin(), v.begin() + 8));
    WriteBytes(tmp / "short12", Bytes(v.begin(), v.begin() + 12));
    v[5] = 'Y';
    WriteBytes(tmp / "wrong", v);
    const std::pair<const char*, std::uint32_t> cases[] = {
        {"missing", 0}, {"short8", 0}, {"short12", 0x01020304}, {"wrong", 0}};
    for (const auto& [pszName, nPlainSize] : cases)
        EXPECT_EQ(ReadPlainSize(tmp / pszName, CVaultEnv::Default()), nPlainSize) << pszName;
}
