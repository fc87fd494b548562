// The layout of stored files on disk and the two header readers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "FakeFeedback.h"
#include "FaultEnv.h"
#include "StoredFileFormat.h"
#include "TempDir.h"
#include "TestFiles.h"
#include "TextCodec.h"
#include "VaultCipher.h"

using namespace quovex;
using namespace quovex::test;

namespace {

std::uint32_t Le32(const Bytes& v, std::size_t nOffset) {
    return v[nOffset] | v[nOffset + 1] << 8 | v[nOffset + 2] << 16 |
           static_cast<std::uint32_t>(v[nOffset + 3]) << 24;
}

class StoredFileFormatTest : public ::testing::Test {
protected:
    // Stores vPlain from strSource (relative to the temp folder); returns the stored bytes.
    Bytes StorePlain(const std::string& strSource, const Bytes& vPlain) {
        m_feedback.m_bAnswerYes = true;
        WriteBytes(m_tmp / strSource, vPlain);
        std::uint64_t nDone = 0;
        EXPECT_EQ(m_cipher.StoreFile(m_tmp / strSource, m_tmp / "box/x.$", &m_feedback, nDone,
                                     vPlain.size()),
                  1);
        return ReadBytes(m_tmp / "box/x.$");
    }

    CTempDir m_tmp;
    CVaultCipher m_cipher{"quovex", "p@ss-w0rd"};
    CFakeFeedback m_feedback;
};

}  // namespace

TEST_F(StoredFileFormatTest, LengthIsHeaderPlusWholeBlocks) {
    for (std::size_t n : {0, 1, 128, 129, 256}) {
        std::size_t nExpected = n == 0 ? 274 : n <= 128 ? 402 : 530;
        EXPECT_EQ(StorePlain("plain", RandomBytes(n, n)).size(), nExpected) << n << " bytes";
        EXPECT_EQ(StoredFileLength(n), nExpected);
    }
}

TEST_F(StoredFileFormatTest, HeaderFieldsAndBodyBlocksAreAsDocumented) {
    Bytes vPlain = RandomBytes(300, 3);
    std::string strSource = m_tmp / "资料/数据.txt";
    Bytes v = StorePlain("资料/数据.txt", vPlain);
    ASSERT_EQ(v.size(), 274u + 3 * 128);

    EXPECT_EQ(std::string(v.begin(), v.begin() + 6), "QUOVEX");
    EXPECT_EQ(Le32(v, SFF_OFFSET_PLAIN_SIZE), 300u);
    EXPECT_EQ(Le32(v, SFF_OFFSET_CHECKSUM), m_cipher.Checksum());
    EXPECT_EQ(Le32(v, SFF_OFFSET_RESERVED), 0u);

    // The source path is GB18030, readable without the key, NUL-padded.
    std::string strGb;
    ASSERT_TRUE(Utf8ToGb18030(strSource, &strGb));
    ASSERT_NE(strGb, strSource);
    Bytes vField(128, 0);
    std::memcpy(vField.data(), strGb.data(), strGb.size());
    EXPECT_EQ(Bytes(v.begin() + 18, v.begin() + 146), vField);
    EXPECT_EQ(Bytes(v.begin() + 146, v.begin() + 274), Bytes(128, 0)) << "summary not empty";

    // Each block is the scrambled plain block; the last is filled with zero bytes.
    char szKey[CIPHER_KEY_BUFFER_SIZE] = {};
    m_cipher.BuildFileKey(szKey);
    vPlain.resize(3 * 128, 0);
    for (int k = 0; k < 3; ++k) {
        unsigned char out[128];
        CVaultCipher::ScrambleBlock(szKey, vPlain.data() + 128 * k, out);
        EXPECT_EQ(std::memcmp(out, v.data() + 274 + 128 * k, 128), 0) << "block " << k;
    }
}

TEST_F(StoredFileFormatTest, HeaderReadersRejectWhatIsNotAStoredFile) {
    Bytes vHeader = StorePlain("plain", RandomBytes(10, 1));
    vHeader[5] = 'Y';
    WriteBytes(m_tmp / "wrong", vHeader);
    EXPECT_EQ(ReadPlainSize(m_tmp / "wrong"), 0u);
    EXPECT_EQ(ReadHeaderChecksum(m_tmp / "wrong"), -1);

    EXPECT_EQ(ReadPlainSize(m_tmp / "missing"), 0u);
    EXPECT_EQ(ReadHeaderChecksum(m_tmp / "missing"), 0);

    WriteText(m_tmp / "short8", "QUOVEX\x05\x01");
    EXPECT_EQ(ReadPlainSize(m_tmp / "short8"), 0u);
    EXPECT_EQ(ReadHeaderChecksum(m_tmp / "short8"), -1);
    // Long enough for the size, too short for the checksum.
    WriteText(m_tmp / "short12", std::string("QUOVEX\x05\x01\0\0\x07\x00", 12));
    EXPECT_EQ(ReadPlainSize(m_tmp / "short12"), 0x105u);
    EXPECT_EQ(ReadHeaderChecksum(m_tmp / "short12"), -1);
    StoredFileHeader header;
    EXPECT_FALSE(ReadStoredHeader(m_tmp / "short12", &header));

    // A read error inside the header.
    CFaultEnv env;
    env.m_nFailReadAfter = 8;
    StorePlain("plain", RandomBytes(10, 1));
    EXPECT_EQ(ReadPlainSize(m_tmp / "box/x.$", &env), 0u);
    EXPECT_EQ(ReadHeaderChecksum(m_tmp / "box/x.$", &env), -1);
}

TEST(StoredFileHeaderTest, EncodeAndDecodeAreInverseAndTextFieldsStayTerminated) {
    StoredFileHeader header;
    header.nPlainSize = 0x01020304;
    header.nChecksum = 0xA0B0C0D0;
    header.nReserved = 0;
    std::memset(header.szSourcePath, 'p', sizeof header.szSourcePath);  // no NUL at all
    std::strcpy(header.szSummary, "摘要");
    unsigned char buffer[SFF_HEADER_SIZE];
    EncodeHeader(header, buffer);
    EXPECT_EQ(std::memcmp(buffer, "QUOVEX\x04\x03\x02\x01\xD0\xC0\xB0\xA0", 14), 0);

    StoredFileHeader decoded;
    ASSERT_TRUE(DecodeHeader(buffer, &decoded));
    EXPECT_EQ(decoded.nPlainSize, header.nPlainSize);
    EXPECT_EQ(decoded.nChecksum, header.nChecksum);
    EXPECT_EQ(std::strlen(decoded.szSourcePath), 127u);
    EXPECT_STREQ(decoded.szSummary, "摘要");
    buffer[0] = 'q';
    EXPECT_FALSE(DecodeHeader(buffer, &decoded));
}
