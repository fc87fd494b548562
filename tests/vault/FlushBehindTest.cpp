// The thread that flushes a file as it grows: what it reports, and a large
// new file written through the real env while it runs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>

#include "FlushBehind.h"
#include "TestFiles.h"
#include "VaultEnv.h"

using namespace quovex;
using namespace quovex::test;

namespace {

constexpr std::uint64_t STEP = CFlushBehind::FLUSH_STEP;

// A pipe's write end: a flush of it fails with EINVAL, so that a test sees
// whether one was made.
struct Pipe {
    int fds[2] = {-1, -1};
    Pipe() { EXPECT_EQ(::pipe(fds), 0); }
    ~Pipe() {
        ::close(fds[0]);
        ::close(fds[1]);
    }
};

}  // namespace

// Below a step nothing is flushed; a step noted is flushed before Stop
// returns, and its failure is reported there, and again on a second Stop.
TEST(FlushBehindTest, FlushesEachStepAndReportsItsFailure) {
    Pipe pipe;
    {
        CFlushBehind flush(pipe.fds[1]);
        flush.Written(STEP - 1);
        EXPECT_TRUE(flush.Stop());
    }
    CFlushBehind flush(pipe.fds[1]);
    flush.Written(STEP);
    errno = 0;
    EXPECT_FALSE(flush.Stop());
    EXPECT_EQ(errno, EINVAL);
    errno = 0;
    EXPECT_FALSE(flush.Stop());
    EXPECT_EQ(errno, EINVAL);
    flush.Written(3 * STEP);  // after the stop: ignored
}

// A new file of several steps, appended piece by piece while the thread
// flushes behind, commits whole.
TEST(FlushBehindTest, ALargeNewFileCommitsWhole) {
    CTempDir dir;
    const FolderPtr pFolder = CVaultEnv::Default()->OpenFolder(dir.Path());
    ASSERT_TRUE(pFolder);
    const Bytes vData = RandomBytes(3 * STEP + 5, 11);
    std::unique_ptr<CWritableFile> pFile = pFolder->CreateFileFor("big", 0600);
    ASSERT_TRUE(pFile);
    constexpr std::size_t PIECE = 1u << 20;
    for (std::size_t n = 0; n < vData.size(); n += PIECE)
        ASSERT_TRUE(pFile->Append(vData.data() + n, std::min(PIECE, vData.size() - n)));
    ASSERT_EQ(pFile->Commit(false), CommitResult::COMMIT_DONE);
    EXPECT_EQ(ReadBytes(dir / "big"), vData);
}
