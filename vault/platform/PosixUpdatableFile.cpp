// An existing file changed in place, on POSIX calls.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "PosixFiles.h"

namespace quovex {

namespace {

class CPosixUpdatableFile final : public CUpdatableFile {
public:
    explicit CPosixUpdatableFile(int nFd) : m_nFd(nFd) {}
    ~CPosixUpdatableFile() override { ::close(m_nFd); }

    std::int64_t ReadAt(void* pBuffer, std::size_t nCount, std::uint64_t nOffset) override {
        for (;;) {
            const ssize_t n = ::pread(m_nFd, pBuffer, nCount, static_cast<off_t>(nOffset));
            if (n >= 0) return n;
            if (errno != EINTR) return -1;
        }
    }
    bool WriteAt(const void* pData, std::size_t nCount, std::uint64_t nOffset) override {
        const char* p = static_cast<const char*>(pData);
        while (nCount > 0) {
            const ssize_t n = ::pwrite(m_nFd, p, nCount, static_cast<off_t>(nOffset));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            p += n;
            nCount -= static_cast<std::size_t>(n);
            nOffset += static_cast<std::uint64_t>(n);
        }
        return true;
    }
    bool Sync() override { return ::fdatasync(m_nFd) == 0; }
    bool SetTimes(std::int64_t nSeconds, std::uint32_t nNanos) override {
        return SetFileTimes(m_nFd, nSeconds, nNanos);
    }
    bool GetStamp(FileStamp* pStamp) override {
        struct stat st;
        if (::fstat(m_nFd, &st) != 0) return false;
        *pStamp = StampOfStat(st);
        return true;
    }

private:
    int m_nFd;
};

}  // namespace

std::unique_ptr<CUpdatableFile> OpenUpdatableFile(const std::string& strPath) {
    // O_NONBLOCK keeps a pipe put in the file's place from stalling the
    // opening; no O_CREAT, no O_TRUNC.
    const int nFd = ::open(strPath.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (nFd < 0) return nullptr;
    struct stat st;
    if (::fstat(nFd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(nFd);
        return nullptr;
    }
    return std::make_unique<CPosixUpdatableFile>(nFd);
}

}  // namespace quovex
