// The real file system behind CVaultEnv, on POSIX calls.
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "PathText.h"
#include "PosixFiles.h"
#include "VaultEnv.h"

namespace quovex {

namespace {

EntryKind KindOfMode(mode_t nMode) {
    if (S_ISLNK(nMode)) return EntryKind::ENTRY_LINK;
    if (S_ISDIR(nMode)) return EntryKind::ENTRY_FOLDER;
    if (S_ISREG(nMode)) return EntryKind::ENTRY_FILE;
    return EntryKind::ENTRY_OTHER;
}

EntryKind KindOfDirentType(unsigned char nType) {
    switch (nType) {
        case DT_LNK:
            return EntryKind::ENTRY_LINK;
        case DT_DIR:
            return EntryKind::ENTRY_FOLDER;
        case DT_REG:
            return EntryKind::ENTRY_FILE;
        default:
            return EntryKind::ENTRY_OTHER;
    }
}

// The birth time of the open object nFd where the file system keeps one,
// else its last modification.
bool CreationTimeOf(int nFd, std::int64_t* pSeconds) {
    struct statx stx;
    if (::statx(nFd, "", AT_EMPTY_PATH, STATX_BTIME | STATX_MTIME, &stx) != 0) return false;
    if (stx.stx_mask & STATX_BTIME) {
        *pSeconds = stx.stx_btime.tv_sec;
        return true;
    }
    if (!(stx.stx_mask & STATX_MTIME)) return false;
    *pSeconds = stx.stx_mtime.tv_sec;
    return true;
}

class CPosixReadableFile final : public CReadableFile {
public:
    CPosixReadableFile(int nFd, const FileStamp& stamp) : m_nFd(nFd), m_stamp(stamp) {}
    ~CPosixReadableFile() override { ::close(m_nFd); }

    std::int64_t Read(void* pBuffer, std::size_t nCount) override {
        for (;;) {
            const ssize_t n = ::read(m_nFd, pBuffer, nCount);
            if (n >= 0) return n;
            if (errno != EINTR) return -1;
        }
    }
    std::uint64_t Size() const override { return m_stamp.nSize; }
    const FileStamp& OpenStamp() const override { return m_stamp; }
    bool GetStamp(FileStamp* pStamp) override {
        struct stat st;
        if (::fstat(m_nFd, &st) != 0) return false;
        *pStamp = StampOfStat(st);
        return true;
    }
    bool GetCreationTime(std::int64_t* pSeconds) override {
        return CreationTimeOf(m_nFd, pSeconds);
    }

private:
    int m_nFd;
    FileStamp m_stamp;
};

class CPosixFolder final : public CFolder, public std::enable_shared_from_this<CPosixFolder> {
public:
    CPosixFolder(int nFd, unsigned nRefused, std::uint64_t nFlushStep)
        : m_nFd(nFd), m_nRefused(nRefused), m_nFlushStep(nFlushStep) {}
    ~CPosixFolder() override { ::close(m_nFd); }

    bool GetOwnStamp(FileStamp* pStamp) override {
        struct stat st;
        if (::fstat(m_nFd, &st) != 0) return false;
        *pStamp = StampOfStat(st);
        return true;
    }
    bool SetOwnTimes(std::int64_t nSeconds, std::uint32_t nNanos) override {
        return SetFileTimes(m_nFd, nSeconds, nNanos);
    }
    bool GetCreationTime(std::int64_t* pSeconds) override {
        return CreationTimeOf(m_nFd, pSeconds);
    }

    bool List(std::vector<FolderEntry>* pEntries) override {
        // The listing gets a handle of its own, so that this one's position
        // is never shared.
        const int nDup = ::openat(m_nFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (nDup < 0) return false;
        DIR* pDir = ::fdopendir(nDup);
        if (!pDir) {
            ::close(nDup);
            return false;
        }
        pEntries->clear();
        while (const dirent* pEntry = ::readdir(pDir)) {
            const std::string strName = pEntry->d_name;
            if (strName == "." || strName == "..") continue;
            EntryKind kind = KindOfDirentType(pEntry->d_type);
            // Some file systems do not tell; then look.
            if (pEntry->d_type == DT_UNKNOWN) {
                FileStamp stamp;
                GetStamp(strName, &stamp);
                kind = stamp.kind;
            }
            pEntries->push_back({strName, kind});
        }
        ::closedir(pDir);
        return true;
    }

    FolderPtr OpenFolder(const std::string& strName) override {
        const int nFd =
            ::openat(m_nFd, strName.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        return nFd < 0 ? nullptr : std::make_shared<CPosixFolder>(nFd, m_nRefused, m_nFlushStep);
    }
    std::unique_ptr<CReadableFile> OpenFile(const std::string& strName) override {
        return OpenRegularFile(m_nFd, strName);
    }
    bool GetStamp(const std::string& strName, FileStamp* pStamp) override {
        struct stat st;
        *pStamp = FileStamp();
        if (::fstatat(m_nFd, strName.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
        *pStamp = StampOfStat(st);
        return true;
    }
    std::unique_ptr<CWritableFile> CreateFileFor(const std::string& strName,
                                                 unsigned nMode) override {
        return CreateNewFile(shared_from_this(), m_nFd, strName, nMode, m_nRefused, m_nFlushStep);
    }
    bool DeleteFile(const std::string& strName) override {
        return ::unlinkat(m_nFd, strName.c_str(), 0) == 0;
    }
    bool RemoveFolder(const std::string& strName) override {
        return ::unlinkat(m_nFd, strName.c_str(), AT_REMOVEDIR) == 0;
    }
    bool RenameEntry(const std::string& strFrom, const std::string& strTo) override {
        return RenameNoReplace(m_nFd, strFrom, strTo, m_nRefused) == 0;
    }
    bool Sync() override {
        // A file system that cannot sync a folder on its own (EINVAL) keeps
        // its names as it does; failing every file there would gain nothing.
        return ::fsync(m_nFd) == 0 || errno == EINVAL;
    }
    bool VolumeSyncCovers() override {
        // Asked once: an open folder stays on its volume.
        signed char nCovers = m_nCovers.load(std::memory_order_relaxed);
        if (nCovers < 0) {
            nCovers = VolumeSyncCoversFd(m_nFd) ? 1 : 0;
            m_nCovers.store(nCovers, std::memory_order_relaxed);
        }
        return nCovers == 1;
    }

private:
    int m_nFd;
    unsigned m_nRefused;
    std::uint64_t m_nFlushStep;
    std::atomic<signed char> m_nCovers{-1};  // VolumeSyncCovers, -1 until asked
};

std::string NearestExistingFolder(const std::string& strPath) {
    std::string strFolder = strPath.empty() ? std::string(".") : strPath;
    for (;;) {
        struct stat st;
        if (::stat(strFolder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return strFolder;
        const std::string strParent = ParentFolder(strFolder);
        if (strParent.empty()) return ".";
        if (strParent == strFolder) return strFolder;
        strFolder = strParent;
    }
}

class CPosixEnv final : public CVaultEnv {
public:
    explicit CPosixEnv(unsigned nRefused = 0, const StreamSizes& sizes = StreamSizes())
        : m_nRefused(nRefused), m_sizes(sizes) {}

    FolderPtr OpenFolder(const std::string& strPath) override {
        const int nFd = ::open(strPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        return nFd < 0 ? nullptr
                       : std::make_shared<CPosixFolder>(nFd, m_nRefused, m_sizes.nFlushStep);
    }
    std::unique_ptr<CReadableFile> OpenForRead(const std::string& strPath) override {
        return OpenRegularFile(AT_FDCWD, strPath);
    }
    std::unique_ptr<CUpdatableFile> OpenForUpdate(const std::string& strPath) override {
        return OpenUpdatableFile(strPath);
    }
    bool CreateFolder(const std::string& strPath, unsigned nMode) override {
        if (::mkdir(strPath.c_str(), nMode) != 0) return false;
        // Best effort: the folder is made either way.
        const int nParent = ::open(FolderOf(strPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (nParent < 0) return true;
        if (!VolumeSyncCoversFd(nParent)) ::fsync(nParent);
        ::close(nParent);
        return true;
    }
    bool GetStamp(const std::string& strPath, FileStamp* pStamp) override {
        struct stat st;
        *pStamp = FileStamp();
        if (::lstat(strPath.c_str(), &st) != 0) return false;
        *pStamp = StampOfStat(st);
        return true;
    }
    bool GetFreeSpace(const std::string& strPath, VolumeSpace* pSpace) override {
        // One open folder answers both, so that they speak of one volume.
        const int nFd =
            ::open(NearestExistingFolder(strPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (nFd < 0) return false;
        struct stat st;
        struct statvfs sv;
        const bool bOk = ::fstat(nFd, &st) == 0 && ::fstatvfs(nFd, &sv) == 0;
        ::close(nFd);
        if (!bOk) return false;
        pSpace->nVolume = static_cast<std::uint64_t>(st.st_dev);
        // Not f_bfree: that also counts the blocks the file system keeps in
        // reserve (for root, as a rule), which an ordinary user cannot write.
        pSpace->nFree = static_cast<std::uint64_t>(sv.f_bavail) * sv.f_frsize;
        return true;
    }
    bool SyncVolume(const std::string& strPath) override {
        const int nFd =
            ::open(NearestExistingFolder(strPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (nFd < 0) return false;
        const bool bOk = ::syncfs(nFd) == 0;
        ::close(nFd);
        return bOk;
    }

    StreamSizes Sizes() const override { return m_sizes; }

private:
    unsigned m_nRefused;  // Refusal bits
    StreamSizes m_sizes;
};

}  // namespace

bool SetFileTimes(int nFd, std::int64_t nSeconds, std::uint32_t nNanos) {
    struct timespec times[2];
    times[0].tv_sec = static_cast<time_t>(nSeconds);
    times[0].tv_nsec = static_cast<long>(nNanos);
    times[1] = times[0];
    return ::futimens(nFd, times) == 0;
}

FileStamp StampOfStat(const struct stat& st) {
    FileStamp stamp;
    stamp.kind = KindOfMode(st.st_mode);
    stamp.nDevice = static_cast<std::uint64_t>(st.st_dev);
    stamp.nInode = static_cast<std::uint64_t>(st.st_ino);
    stamp.nSize = static_cast<std::uint64_t>(st.st_size);
    stamp.nModSeconds = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    stamp.nModNanos = static_cast<std::int64_t>(st.st_mtim.tv_nsec);
    stamp.nChangeSeconds = static_cast<std::int64_t>(st.st_ctim.tv_sec);
    stamp.nChangeNanos = static_cast<std::int64_t>(st.st_ctim.tv_nsec);
    stamp.nMode = static_cast<unsigned>(st.st_mode & 07777);
    stamp.nOwner = static_cast<unsigned>(st.st_uid);
    stamp.nGroup = static_cast<unsigned>(st.st_gid);
    return stamp;
}

std::unique_ptr<CReadableFile> OpenRegularFile(int nDirFd, const std::string& strName) {
    const int nFd =
        ::openat(nDirFd, strName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (nFd < 0) return nullptr;
    return AdoptRegularFile(nFd);
}

std::unique_ptr<CReadableFile> AdoptRegularFile(int nFd) {
    struct stat st;
    int nError = 0;
    if (::fstat(nFd, &st) != 0) {
        nError = errno;
    } else if (!S_ISREG(st.st_mode)) {
        nError = S_ISDIR(st.st_mode) ? EISDIR : ENXIO;  // what it is instead (VaultEnv.h)
    }
    if (nError != 0) {
        ::close(nFd);
        errno = nError;
        return nullptr;
    }
    return std::make_unique<CPosixReadableFile>(nFd, StampOfStat(st));
}

bool VolumeSyncCoversFd(int nFd) {
    struct statfs sf;
    if (::fstatfs(nFd, &sf) != 0) return false;
    // Kernel file systems on a local device, whose syncfs writes back and
    // flushes the device; tmpfs and ramfs hold nothing to flush; overlayfs
    // passes syncfs to its upper layer, which must be a local file system.
    // FUSE, NFS, CIFS and every other type are left out.
    switch (static_cast<unsigned long>(sf.f_type)) {
        case EXT4_SUPER_MAGIC:  // ext2 and ext3 too
        case XFS_SUPER_MAGIC:
        case BTRFS_SUPER_MAGIC:
        case F2FS_SUPER_MAGIC:
        case TMPFS_MAGIC:
        case RAMFS_MAGIC:
        case OVERLAYFS_SUPER_MAGIC:
            return true;
        default:
            return false;
    }
}

CVaultEnv* CVaultEnv::Default() {
    static CPosixEnv s_env;
    return &s_env;
}

std::unique_ptr<CVaultEnv> CVaultEnv::CreateRefusing(unsigned nRefused) {
    return std::make_unique<CPosixEnv>(nRefused);
}

std::unique_ptr<CVaultEnv> CVaultEnv::CreateSized(unsigned nRefused, const StreamSizes& sizes) {
    return std::make_unique<CPosixEnv>(nRefused, sizes);
}

}  // namespace quovex
