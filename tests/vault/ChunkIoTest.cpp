// Writing behind the caller: pieces reach the file whole and in the order
// they were handed over, and a failed write stops everything after it.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <future>
#include <utility>
#include <vector>

#include "ChunkIo.h"
#include "TestFiles.h"

using namespace quovex;
using namespace quovex::test;

namespace {

// Keeps what is appended; the append numbered nFailAt (from 0) fails with
// ENOSPC, once fnBeforeFail (if any) has returned, and every later one is
// counted as an attempt.
class CRecordingFile final : public CWritableFile {
public:
    CRecordingFile(int nFailAt, std::function<void()> fnBeforeFail)
        : m_nFailAt(nFailAt), m_fnBeforeFail(std::move(fnBeforeFail)) {}
    bool Append(const void* pData, std::size_t nCount) override {
        if (m_nAppends++ == m_nFailAt) {
            if (m_fnBeforeFail) m_fnBeforeFail();
            errno = ENOSPC;
            return false;
        }
        const auto* p = static_cast<const unsigned char*>(pData);
        m_vBytes.insert(m_vBytes.end(), p, p + nCount);
        return true;
    }
    bool Sync() override { return true; }
    bool TakeAccessOf(const FileStamp&) override { return true; }
    CommitResult Commit(bool) override { return CommitResult::COMMIT_DONE; }

    Bytes m_vBytes;
    int m_nAppends = 0;

private:
    int m_nFailAt;
    std::function<void()> m_fnBeforeFail;
};

}  // namespace

// Pieces of varying length come out as handed over, written behind and on
// the caller's thread alike (whole files in order: the protected round
// trips); a failed write is told with its errno by every later call, and
// nothing after it is written.
TEST(ChunkIoTest, WriteBehindKeepsTheOrderAndStopsAtAFailedWrite) {
    for (const bool bBehind : {true, false}) {
        SCOPED_TRACE(bBehind);
        // Written behind, the failing write waits until the piece after it
        // is handed over: that one must not be written.
        std::promise<void> nextPosted;
        std::future<void> next = nextPosted.get_future();
        CRecordingFile failing(7, bBehind ? std::function<void()>([&] { next.wait(); }) : nullptr);
        Bytes vBefore;
        CWriteBehind writer(failing, 1000, bBehind);
        bool bRefused = false;
        for (int i = 0; i < 40 && !bRefused; ++i) {
            const Bytes v = RandomBytes(static_cast<std::size_t>(i % 7) * 100 + 1, i);
            unsigned char* p = writer.Buffer();
            bRefused = p == nullptr;
            if (!bRefused) {
                std::memcpy(p, v.data(), v.size());
                bRefused = !writer.Post(v.size());
            }
            if (i == 8 && bBehind) {
                EXPECT_FALSE(bRefused);
                nextPosted.set_value();
            }
            if (i < 7) vBefore.insert(vBefore.end(), v.begin(), v.end());
        }
        EXPECT_TRUE(bRefused) << "the failure reaches the caller before the end";
        errno = 0;
        EXPECT_FALSE(writer.Finish());
        EXPECT_EQ(errno, ENOSPC);
        errno = 0;
        EXPECT_EQ(writer.Buffer(), nullptr);
        EXPECT_EQ(errno, ENOSPC);
        EXPECT_EQ(failing.m_vBytes, vBefore);
        EXPECT_EQ(failing.m_nAppends, 8) << "no write after the failed one";
    }
}
