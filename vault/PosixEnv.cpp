// The real file system behind CVaultEnv, on POSIX calls.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>

#include "PathText.h"
#include "VaultEnv.h"

namespace quovex {

namespace {

// Longest part of a target's name kept in its temporary's name, so that the
// temporary stays within the file system's name limit.
constexpr std::size_t ENV_TEMP_NAME_KEEP = 200;
constexpr int ENV_TEMP_ATTEMPTS = 100;

class CPosixReadableFile final : public CReadableFile {
public:
    CPosixReadableFile(int nFd, std::uint64_t nSize) : m_nFd(nFd), m_nSize(nSize) {}
    ~CPosixReadableFile() override { ::close(m_nFd); }

    std::int64_t Read(void* pBuffer, std::size_t nCount) override {
        for (;;) {
            const ssize_t n = ::read(m_nFd, pBuffer, nCount);
            if (n >= 0) return n;
            if (errno != EINTR) return -1;
        }
    }
    std::uint64_t Size() const override { return m_nSize; }

private:
    int m_nFd;
    std::uint64_t m_nSize;
};

class CPosixWritableFile final : public CWritableFile {
public:
    explicit CPosixWritableFile(int nFd) : m_nFd(nFd) {}
    ~CPosixWritableFile() override {
        if (m_nFd >= 0) ::close(m_nFd);
    }

    bool Append(const void* pData, std::size_t nCount) override {
        const char* p = static_cast<const char*>(pData);
        while (nCount > 0) {
            const ssize_t n = ::write(m_nFd, p, nCount);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            p += n;
            nCount -= static_cast<std::size_t>(n);
        }
        return true;
    }
    bool Sync() override { return ::fdatasync(m_nFd) == 0; }
    bool Close() override {
        const int nFd = m_nFd;
        m_nFd = -1;
        return ::close(nFd) == 0;
    }

private:
    int m_nFd;
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

std::string TempName(const std::string& strTarget) {
    static std::atomic<unsigned> s_nCounter{0};
    static const unsigned s_nPid = static_cast<unsigned>(::getpid());
    const auto nTicks = std::chrono::steady_clock::now().time_since_epoch().count();
    const unsigned nMix =
        static_cast<unsigned>(nTicks) ^ (s_nPid << 16) ^ (s_nCounter.fetch_add(1) * 2654435761u);
    char szSuffix[16];
    std::snprintf(szSuffix, sizeof szSuffix, ".tmp%08x", nMix);
    std::string strName = LastComponent(strTarget);
    if (strName.size() > ENV_TEMP_NAME_KEEP) strName.resize(ENV_TEMP_NAME_KEEP);
    // A bare file name has its temporary in the current folder, like the name itself.
    const std::string strParent = ParentFolder(strTarget);
    const std::string strTempName = "." + strName + szSuffix;
    return strParent.empty() ? strTempName : JoinPath(strParent, strTempName);
}

class CPosixEnv final : public CVaultEnv {
public:
    std::unique_ptr<CReadableFile> OpenForRead(const std::string& strPath) override {
        const int nFd = ::open(strPath.c_str(), O_RDONLY | O_CLOEXEC);
        if (nFd < 0) return nullptr;
        struct stat st;
        if (::fstat(nFd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(nFd);
            return nullptr;
        }
        return std::make_unique<CPosixReadableFile>(nFd, static_cast<std::uint64_t>(st.st_size));
    }

    std::unique_ptr<CWritableFile> CreateTempBeside(const std::string& strTarget, unsigned nMode,
                                                    std::string* pTempPath) override {
        for (int i = 0; i < ENV_TEMP_ATTEMPTS; ++i) {
            const std::string strTemp = TempName(strTarget);
            const int nFd = ::open(strTemp.c_str(),
                                   O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, nMode);
            if (nFd >= 0) {
                *pTempPath = strTemp;
                return std::make_unique<CPosixWritableFile>(nFd);
            }
            if (errno != EEXIST) return nullptr;
        }
        return nullptr;
    }

    bool RenameFile(const std::string& strFrom, const std::string& strTo) override {
        return ::rename(strFrom.c_str(), strTo.c_str()) == 0;
    }
    bool DeleteFile(const std::string& strPath) override { return ::unlink(strPath.c_str()) == 0; }
    bool RemoveFolder(const std::string& strPath) override { return ::rmdir(strPath.c_str()) == 0; }
    bool CreateFolder(const std::string& strPath, unsigned nMode) override {
        return ::mkdir(strPath.c_str(), nMode) == 0;
    }

    EntryKind GetKind(const std::string& strPath) override {
        struct stat st;
        if (::lstat(strPath.c_str(), &st) != 0) return EntryKind::ENTRY_NONE;
        return KindOfMode(st.st_mode);
    }

    bool GetFileSize(const std::string& strPath, std::uint64_t* pSize) override {
        struct stat st;
        if (::lstat(strPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
        *pSize = static_cast<std::uint64_t>(st.st_size);
        return true;
    }

    bool ListFolder(const std::string& strPath, std::vector<FolderEntry>* pEntries) override {
        DIR* pDir = ::opendir(strPath.c_str());
        if (!pDir) return false;
        pEntries->clear();
        const std::string strBase = WithSeparator(strPath);
        while (const dirent* pEntry = ::readdir(pDir)) {
            const std::string strName = pEntry->d_name;
            if (strName == "." || strName == "..") continue;
            EntryKind kind = KindOfDirentType(pEntry->d_type);
            // Some file systems do not tell; then look.
            if (pEntry->d_type == DT_UNKNOWN) kind = GetKind(strBase + strName);
            pEntries->push_back({strName, kind});
        }
        ::closedir(pDir);
        return true;
    }

    bool GetFreeSpace(const std::string& strPath, std::uint64_t* pFree) override {
        struct statvfs sv;
        if (::statvfs(NearestExistingFolder(strPath).c_str(), &sv) != 0) return false;
        *pFree = static_cast<std::uint64_t>(sv.f_bfree) * sv.f_frsize;
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
};

}  // namespace

CVaultEnv* CVaultEnv::Default() {
    static CPosixEnv s_env;
    return &s_env;
}

}  // namespace quovex
