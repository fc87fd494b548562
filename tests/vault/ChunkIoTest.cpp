// Chunked reading with and without the read-ahead thread: the chunks in
// order, the short last one and read errors. (FileStoreTest leaves a large
// file early.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "ChunkIo.h"
#include "TestFiles.h"

using namespace quovex;
using namespace quovex::test;

namespace {

// An in-memory file that gives at most 1000 bytes per Read, so that a chunk
// takes several, and fails from byte m_nFailAt on.
struct CMemoryFile : CReadableFile {
    CMemoryFile(Bytes vData, std::size_t nFailAt = SIZE_MAX)
        : m_vData(std::move(vData)), m_nFailAt(nFailAt) {}
    std::int64_t Read(void* pBuffer, std::size_t nCount) override {
        if (m_nPos >= m_nFailAt) return -1;
        const std::size_t n =
            std::min({nCount, m_vData.size() - m_nPos, m_nFailAt - m_nPos, std::size_t{1000}});
        if (n > 0) std::memcpy(pBuffer, m_vData.data() + m_nPos, n);
        m_nPos += n;
        return static_cast<std::int64_t>(n);
    }
    std::uint64_t Size() const override { return m_vData.size(); }
    const FileStamp& OpenStamp() const override { return m_stamp; }
    bool GetStamp(FileStamp*) override { return false; }

    FileStamp m_stamp;
    Bytes m_vData;
    std::size_t m_nFailAt;
    std::size_t m_nPos = 0;
};

// Reads everything, changing each chunk as the caller may; the lengths of
// the chunks, then of the two calls after the last, go to pvLengths.
Bytes ReadAll(CReadAhead& reader, std::vector<std::int64_t>* pvLengths) {
    Bytes vAll;
    unsigned char* pData = nullptr;
    for (std::int64_t n; (n = reader.Next(&pData)) > 0;) {
        pvLengths->push_back(n);
        vAll.insert(vAll.end(), pData, pData + n);
        std::memset(pData, 0xEE, n);
    }
    pvLengths->push_back(reader.Next(&pData));
    pvLengths->push_back(reader.Next(&pData));
    return vAll;
}

}  // namespace

TEST(ReadAheadTest, GivesOrderedChunksAndEndsForGood) {
    for (bool bAhead : {false, true}) {
        for (std::size_t nSize : {0, 1, 4096, 4097, 40960, 40961}) {
            const Bytes vData = RandomBytes(nSize, static_cast<unsigned>(nSize));
            CMemoryFile file(vData);
            CReadAhead reader(file, 4096, bAhead);
            std::vector<std::int64_t> vLengths, vExpected(nSize / 4096, 4096);
            if (nSize % 4096 != 0) vExpected.push_back(static_cast<std::int64_t>(nSize % 4096));
            vExpected.insert(vExpected.end(), {0, 0});
            EXPECT_EQ(ReadAll(reader, &vLengths), vData) << nSize << (bAhead ? " ahead" : "");
            EXPECT_EQ(vLengths, vExpected) << nSize << (bAhead ? " ahead" : "");
        }

        CMemoryFile failing(RandomBytes(50000, 3), 10000);
        CReadAhead reader(failing, 4096, bAhead);
        std::vector<std::int64_t> vLengths;
        ReadAll(reader, &vLengths);
        EXPECT_EQ(vLengths, (std::vector<std::int64_t>{4096, 4096, -1, -1}));
    }
}
