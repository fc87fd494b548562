// A new file written for one target and put in place only when complete,
// all relative to the open folder that will hold it.
//
// Where the file system offers unnamed files (O_TMPFILE), the data goes into
// one in that folder, and linkat gives it the target's name only if
// that name is still free: one step that cannot replace a file created
// meanwhile, and no rename per new file. Replacing, the file is linked under
// a dot-name and renamed over the target. Elsewhere a dot-named temporary
// beside the target serves, committed with renameat2(RENAME_NOREPLACE) or,
// where that is missing, link and unlink, or, where links are missing too
// (exFAT through FUSE), a look at the name right before a plain rename.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>

#include "FlushBehind.h"
#include "PosixFiles.h"

namespace quovex {

namespace {

// Longest part of a target's name kept in its temporary's name, so that the
// temporary stays within the file system's name limit.
constexpr std::size_t NEW_TEMP_NAME_KEEP = 200;
constexpr int NEW_TEMP_ATTEMPTS = 100;

// A dot-name for a temporary of strName, so that folder walks pass it over.
std::string TempName(const std::string& strName) {
    static std::atomic<unsigned> s_nCounter{0};
    static const unsigned s_nPid = static_cast<unsigned>(::getpid());
    const auto nTicks = std::chrono::steady_clock::now().time_since_epoch().count();
    const unsigned nMix =
        static_cast<unsigned>(nTicks) ^ (s_nPid << 16) ^ (s_nCounter.fetch_add(1) * 2654435761u);
    char szSuffix[16];
    std::snprintf(szSuffix, sizeof szSuffix, ".tmp%08x", nMix);
    // Appended piece by piece: GCC 12 at -O3 sees a false overlap in "." + ... + ...
    // Cut where a character begins: exFAT and NTFS refuse a name that is
    // not whole UTF-8 (EILSEQ), and a name cut inside a character is not.
    std::size_t nKeep = std::min(strName.size(), NEW_TEMP_NAME_KEEP);
    while (nKeep > 0 && nKeep < strName.size() &&
           (static_cast<unsigned char>(strName[nKeep]) & 0xC0) == 0x80)
        --nKeep;
    std::string strTemp(1, '.');
    strTemp.append(strName, 0, nKeep);
    strTemp += szSuffix;
    return strTemp;
}

// Links the unnamed file nFd as strName in the folder nDirFd, never
// replacing. AT_EMPTY_PATH needs a privilege most users lack; the first
// refusal sends every later link through /proc, which needs none.
int LinkUnnamed(int nFd, int nDirFd, const std::string& strName) {
    static std::atomic<bool> s_bEmptyPathRefused{false};
    if (!s_bEmptyPathRefused.load(std::memory_order_relaxed)) {
        if (::linkat(nFd, "", nDirFd, strName.c_str(), AT_EMPTY_PATH) == 0) return 0;
        if (errno != ENOENT && errno != EPERM) return -1;
        s_bEmptyPathRefused.store(true, std::memory_order_relaxed);
    }
    char szProc[64];
    std::snprintf(szProc, sizeof szProc, "/proc/self/fd/%d", nFd);
    return ::linkat(AT_FDCWD, szProc, nDirFd, strName.c_str(), AT_SYMLINK_FOLLOW);
}

// The answers of a file system that does not offer a call at all, as
// against one that refuses this one rename or link (exfat-fuse answers
// EINVAL to the rename, EPERM to the link).
bool RenameRefused(int nError) {
    return nError == EINVAL || nError == ENOSYS || nError == EOPNOTSUPP;
}
bool LinkRefused(int nError) {
    return nError == EPERM || nError == EOPNOTSUPP || nError == ENOSYS;
}

// Renames strFrom to strTo in the folder nDirFd after a look that strTo is
// free, for a file system that offers neither a no-replace rename nor a
// link. The window lies between the two calls: a file that another program
// creates at strTo in that instant is replaced, and no call closes it on
// such a file system.
int RenameIfFree(int nDirFd, const std::string& strFrom, const std::string& strTo) {
    struct stat st;
    if (::fstatat(nDirFd, strTo.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return -1;
    }
    if (errno != ENOENT) return -1;
    return ::renameat(nDirFd, strFrom.c_str(), nDirFd, strTo.c_str());
}

class CPosixNewFile final : public CWritableFile {
public:
    CPosixNewFile(int nFd, FolderPtr pFolder, int nDirFd, std::string strName, std::string strTemp,
                  unsigned nRefused, std::uint64_t nFlushStep)
        : m_nFd(nFd),
          m_pFolder(std::move(pFolder)),
          m_nDirFd(nDirFd),
          m_strName(std::move(strName)),
          m_strTemp(std::move(strTemp)),
          m_nRefused(nRefused),
          m_nFlushStep(nFlushStep) {}
    ~CPosixNewFile() override {
        m_pFlush.reset();  // before its descriptor goes
        if (m_nFd >= 0) ::close(m_nFd);
        if (!m_bCommitted && !m_strTemp.empty()) ::unlinkat(m_nDirFd, m_strTemp.c_str(), 0);
    }

    bool Append(const void* pData, std::size_t nCount) override {
        const char* p = static_cast<const char*>(pData);
        while (nCount > 0) {
            const ssize_t n = ::write(m_nFd, p, nCount);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            p += n;
            nCount -= static_cast<std::size_t>(n);
            m_nWritten += static_cast<std::uint64_t>(n);
        }
        StartWriteback();
        FlushBehind();
        return true;
    }
    bool Sync() override {
        if (!StopFlushing()) return false;
        return WithDescriptor([](int nFd) { return ::fsync(nFd) == 0; });
    }
    bool TakeAccessOf(const FileStamp& replaced) override {
        return WithDescriptor([&](int nFd) {
            // Owner first: a change of owner clears set-id bits that fchmod then sets.
            if (::fchown(nFd, replaced.nOwner, replaced.nGroup) != 0 && errno != EPERM)
                return false;
            return ::fchmod(nFd, replaced.nMode & 07777) == 0;
        });
    }

    bool SetTimes(std::int64_t nSeconds, std::uint32_t nNanos) override {
        return WithDescriptor([&](int nFd) { return SetFileTimes(nFd, nSeconds, nNanos); });
    }

    CommitResult Commit(bool bReplace) override {
        if (m_bCommitted) return CommitResult::COMMIT_FAILED;
        // Data the disk refused to take fails the file here, even where
        // only a flush of the whole volume follows.
        if (!StopFlushing()) return CommitResult::COMMIT_FAILED;
        const int nResult = m_strTemp.empty() ? CommitUnnamed(bReplace) : CommitNamed(bReplace);
        if (nResult == 0) {
            m_bCommitted = true;
            return CommitResult::COMMIT_DONE;
        }
        return !bReplace && errno == EEXIST ? CommitResult::COMMIT_TAKEN
                                            : CommitResult::COMMIT_FAILED;
    }

    std::unique_ptr<CReadableFile> ReadBack() override {
        if (m_bLost || m_bCommitted) {
            errno = EIO;
            return nullptr;
        }
        // A descriptor of its own, at the start: the written one is
        // write-only, and its position stays where the writing left it.
        // An unnamed file is reached through its descriptor's link in /proc.
        int nFd = -1;
        if (m_strTemp.empty()) {
            char szProc[64];
            std::snprintf(szProc, sizeof szProc, "/proc/self/fd/%d", m_nFd);
            nFd = ::open(szProc, O_RDONLY | O_CLOEXEC);
        } else {
            nFd = ::openat(m_nDirFd, m_strTemp.c_str(),
                           O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        }
        return nFd < 0 ? nullptr : AdoptRegularFile(nFd);
    }

private:
    // Calls fnCall with the file's descriptor or, once a commit has closed
    // it, with the temporary opened again for the moment.
    template <typename Fn>
    bool WithDescriptor(Fn fnCall) {
        if (m_nFd >= 0) return fnCall(m_nFd);
        if (m_bLost || m_bCommitted) return false;
        const int nFd =
            ::openat(m_nDirFd, m_strTemp.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (nFd < 0) return false;
        const bool bOk = fnCall(nFd);
        ::close(nFd);
        return bOk;
    }

    int CommitUnnamed(bool bReplace) {
        if (!bReplace) return LinkUnnamed(m_nFd, m_nDirFd, m_strName);
        for (int i = 0; i < NEW_TEMP_ATTEMPTS; ++i) {
            const std::string strTemp = TempName(m_strName);
            if (LinkUnnamed(m_nFd, m_nDirFd, strTemp) != 0) {
                if (errno == EEXIST) continue;
                return -1;
            }
            if (::renameat(m_nDirFd, strTemp.c_str(), m_nDirFd, m_strName.c_str()) == 0) return 0;
            const int nError = errno;
            ::unlinkat(m_nDirFd, strTemp.c_str(), 0);
            errno = nError;
            return -1;
        }
        return -1;
    }
    int CommitNamed(bool bReplace) {
        // The data is in the temporary. It is closed at the first commit, so
        // that a failed close (lost data) fails every commit; a later
        // commit (the name was taken, then the user agreed to replace it)
        // renames the temporary, which stays until a commit succeeds.
        if (m_nFd >= 0) {
            const int nFd = m_nFd;
            m_nFd = -1;
            m_bLost = ::close(nFd) != 0;
        }
        if (m_bLost) {
            errno = EIO;
            return -1;
        }
        return bReplace ? ::renameat(m_nDirFd, m_strTemp.c_str(), m_nDirFd, m_strName.c_str())
                        : RenameNoReplace(m_nDirFd, m_strTemp, m_strName, m_nRefused);
    }

    // Starts writing the bytes appended since the last start to the disk,
    // without waiting. With much memory the kernel holds gigabytes back
    // until the final sync, which then waits for all of them while nothing
    // else is done; started every few MiB, the disk writes while the next
    // pieces are read and transformed. A hint only: where it is refused
    // (some FUSE file systems) the final sync does the work.
    void StartWriteback() {
#ifdef SYNC_FILE_RANGE_WRITE
        if (m_nWritten - m_nStarted < m_nFlushStep) return;
        ::sync_file_range(m_nFd, static_cast<off_t>(m_nStarted),
                          static_cast<off_t>(m_nWritten - m_nStarted), SYNC_FILE_RANGE_WRITE);
        m_nStarted = m_nWritten;
#endif
    }

    // Hands a large file on a volume that one flush covers to a thread that
    // flushes it as it grows. Where a flush reaches past this machine (FUSE,
    // network), it may hold the writing up meanwhile: such a file is flushed
    // once, at its end.
    void FlushBehind() {
        if (m_nWritten < m_nFlushStep || m_bFlushAtEnd) return;
        if (!m_pFlush) {
            if (!m_pFolder || !m_pFolder->VolumeSyncCovers()) {
                m_bFlushAtEnd = true;
                return;
            }
            m_pFlush.reset(new (std::nothrow) CFlushBehind(m_nFd, m_nFlushStep));
            if (!m_pFlush) {
                m_bFlushAtEnd = true;
                return;
            }
        }
        m_pFlush->Written(m_nWritten);
    }
    // Ends the flushing thread; false (errno set) when one of its flushes failed.
    bool StopFlushing() {
        return !m_pFlush || m_pFlush->Stop();
    }

    int m_nFd;
    std::uint64_t m_nWritten = 0;  // bytes appended
    std::uint64_t m_nStarted = 0;  // of which their writing to the disk was started
    FolderPtr m_pFolder;           // keeps m_nDirFd open
    int m_nDirFd;
    std::string m_strName;
    std::string m_strTemp;  // "" for an unnamed file
    unsigned m_nRefused;
    std::uint64_t m_nFlushStep;  // of the flushes behind, and of the writeback starts
    bool m_bCommitted = false;
    bool m_bLost = false;        // closing the temporary failed: its data cannot be trusted
    bool m_bFlushAtEnd = false;  // no flushing thread for this file
    std::unique_ptr<CFlushBehind> m_pFlush;  // while it is written, on a local volume
};

}  // namespace

// A folder cannot be linked (EPERM, which a file system without links
// answers too): it takes the look before the plain rename.
int RenameNoReplace(int nDirFd, const std::string& strFrom, const std::string& strTo,
                    unsigned nRefused) {
    if (!(nRefused & CVaultEnv::REFUSE_NOREPLACE_RENAME)) {
        if (::renameat2(nDirFd, strFrom.c_str(), nDirFd, strTo.c_str(), RENAME_NOREPLACE) == 0)
            return 0;
        if (!RenameRefused(errno)) return -1;
    }
    // A hard link cannot replace either.
    if (!(nRefused & CVaultEnv::REFUSE_HARD_LINKS)) {
        if (::linkat(nDirFd, strFrom.c_str(), nDirFd, strTo.c_str(), 0) == 0) {
            ::unlinkat(nDirFd, strFrom.c_str(), 0);
            return 0;
        }
        if (!LinkRefused(errno)) return -1;
    }
    return RenameIfFree(nDirFd, strFrom, strTo);
}

std::unique_ptr<CWritableFile> CreateNewFile(FolderPtr pFolder, int nDirFd,
                                             const std::string& strName, unsigned nMode,
                                             unsigned nRefused, std::uint64_t nFlushStep) {
    // An unnamed file can be given a name only by a link.
    if (!(nRefused & (CVaultEnv::REFUSE_UNNAMED_FILES | CVaultEnv::REFUSE_HARD_LINKS))) {
        const int nUnnamed = ::openat(nDirFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, nMode);
        if (nUnnamed >= 0)
            return std::make_unique<CPosixNewFile>(nUnnamed, std::move(pFolder), nDirFd, strName,
                                                   std::string(), nRefused, nFlushStep);
        // Only a file system without unnamed files falls back; an unwritable
        // folder fails here as it would below.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return nullptr;
    }
    for (int i = 0; i < NEW_TEMP_ATTEMPTS; ++i) {
        const std::string strTemp = TempName(strName);
        const int nFd = ::openat(nDirFd, strTemp.c_str(),
                                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, nMode);
        if (nFd >= 0)
            return std::make_unique<CPosixNewFile>(nFd, std::move(pFolder), nDirFd, strName,
                                                   strTemp, nRefused, nFlushStep);
        if (errno != EEXIST) return nullptr;
    }
    return nullptr;
}

}  // namespace quovex
