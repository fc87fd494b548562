// Chunked reading with and without the read-ahead thread: the chunks in
// order, the short last one, read errors, and leaving early.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "ChunkIo.h"
#include "TestFiles.h"

using namespace quovex;
using namespace quovex::test;

namespace {

// An in-memory file that gives at most 1000 bytes per Read (so whole chunks
// take several) and fails from byte m_nFailAt on.
class CMemoryFile : public CReadableFile {
public:
    CMemoryFile(Bytes vData, std::int64_t nFailAt = -1)
        : m_vData(std::move(vData)), m_nFailAt(nFailAt) {}
    std::int64_t Read(void* pBuffer, std::size_t nCount) override {
        if (m_nFailAt >= 0 && static_cast<std::int64_t>(m_nPos) >= m_nFailAt) return -1;
        std::size_t n = std::min({nCount, m_vData.size() - m_nPos, std::size_t{1000}});
        if (m_nFailAt >= 0) n = std::min<std::size_t>(n, m_nFailAt - m_nPos);
        if (n > 0) std::memcpy(pBuffer, m_vData.data() + m_nPos, n);
        m_nPos += n;
        return static_cast<std::int64_t>(n);
    }
    std::uint64_t Size() const override { return m_vData.size(); }

private:
    Bytes m_vData;
    std::int64_t m_nFailAt;
    std::size_t m_nPos = 0;
};

// Reads everything; the lengths of the chunks, ending with what the call
// after the last gives, in pvLengths.
Bytes ReadAll(CReadAhead& reader, std::vector<std::int64_t>* pvLengths) {
    Bytes vAll;
    for (;;) {
        unsigned char* pData = nullptr;
        const std::int64_t n = reader.Next(&pData);
        pvLengths->push_back(n);
        if (n <= 0) break;
        vAll.insert(vAll.end(), pData, pData + n);
        std::memset(pData, 0xEE, n);  // the caller may change its chunk
    }
    return vAll;
}

}  // namespace

TEST(ReadAheadTest, GivesTheFileInOrderedChunksWithAShortLastOne) {
    for (bool bAhead : {false, true}) {
        for (std::size_t nSize : {0, 1, 4096, 4097, 40960, 40961}) {
            Bytes vData = RandomBytes(nSize, static_cast<unsigned>(nSize));
            CMemoryFile file(vData);
            CReadAhead reader(file, 4096, bAhead);
            std::vector<std::int64_t> vLengths;
            EXPECT_EQ(ReadAll(reader, &vLengths), vData) << nSize << (bAhead ? " ahead" : "");

            std::vector<std::int64_t> vExpected(nSize / 4096, 4096);
            vExpected.push_back(static_cast<std::int64_t>(nSize % 4096));
            if (nSize % 4096 != 0) vExpected.push_back(0);
            EXPECT_EQ(vLengths, vExpected) << nSize << (bAhead ? " ahead" : "");
            unsigned char* pData = nullptr;
            EXPECT_EQ(reader.Next(&pData), 0) << "the end stays the end";
        }
    }
}

TEST(ReadAheadTest, AReadErrorEndsTheFileForGoodAndLeavingEarlyDoesNotHang) {
    for (bool bAhead : {false, true}) {
        CMemoryFile file(RandomBytes(50000, 3), 10000);
        CReadAhead reader(file, 4096, bAhead);
        std::vector<std::int64_t> vLengths;
        ReadAll(reader, &vLengths);
        EXPECT_EQ(vLengths, (std::vector<std::int64_t>{4096, 4096, -1}));
        unsigned char* pData = nullptr;
        EXPECT_EQ(reader.Next(&pData), -1);

        CMemoryFile longFile(RandomBytes(1 << 20, 4));
        CReadAhead early(longFile, 4096, bAhead);
        EXPECT_EQ(early.Next(&pData), 4096);
    }  // both destroyed with reads still to come
}
