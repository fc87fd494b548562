// A CVaultEnv over the real file system that injects faults on request.
// Each fault applies to every path, or only to paths that contain
// m_strFaultPath when it is set (the target path for writes, temporary
// files and renames; the path read for reads).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "VaultEnv.h"

namespace quovex::test {

class CFaultEnv : public CVaultEnv {
public:
    std::string m_strFaultPath;
    bool m_bFailTemp = false;             // CreateTempBeside fails
    std::int64_t m_nFailWriteAfter = -1;  // a file takes this many bytes, then Append fails
    bool m_bDiskFull = false;             // every Append fails
    bool m_bFailSync = false;             // CWritableFile::Sync fails
    bool m_bFailClose = false;            // CWritableFile::Close fails
    bool m_bFailRename = false;           // RenameFile fails
    std::int64_t m_nFailReadAfter = -1;   // a file gives this many bytes, then Read fails
    std::int64_t m_nSizeDelta = 0;        // Size() is off by this much (a changing file)
    bool m_bFreeSpaceUnknown = false;     // GetFreeSpace fails
    bool m_bScriptedFreeSpace = false;    // GetFreeSpace answers m_nFreeSpace
    std::uint64_t m_nFreeSpace = 0;
    bool m_bFailSyncVolume = false;  // SyncVolume fails

    int m_nSyncVolumeCalls = 0;
    // Deletions of files or folders (other than the core's own dot-named
    // temporaries) made while a renamed file had not yet been flushed.
    int m_nUnflushedDeletes = 0;
    std::vector<std::string> m_vTempPaths;

    std::unique_ptr<CReadableFile> OpenForRead(const std::string& strPath) override {
        auto pFile = Real()->OpenForRead(strPath);
        if (!pFile || !Applies(strPath)) return pFile;
        return std::make_unique<CFaultyReader>(std::move(pFile), m_nFailReadAfter, m_nSizeDelta);
    }
    std::unique_ptr<CWritableFile> CreateTempBeside(const std::string& strTarget, unsigned nMode,
                                                    std::string* pTempPath) override {
        if (Applies(strTarget) && m_bFailTemp) return nullptr;
        auto pFile = Real()->CreateTempBeside(strTarget, nMode, pTempPath);
        if (pFile) m_vTempPaths.push_back(*pTempPath);
        if (!pFile || !Applies(strTarget)) return pFile;
        return std::make_unique<CFaultyWriter>(std::move(pFile), *this);
    }
    bool RenameFile(const std::string& strFrom, const std::string& strTo) override {
        if (Applies(strTo) && m_bFailRename) return false;
        if (!Real()->RenameFile(strFrom, strTo)) return false;
        m_bUnflushed = true;
        return true;
    }
    bool DeleteFile(const std::string& strPath) override {
        NoteDeletion(strPath);
        return Real()->DeleteFile(strPath);
    }
    bool RemoveFolder(const std::string& strPath) override {
        NoteDeletion(strPath);
        return Real()->RemoveFolder(strPath);
    }
    bool CreateFolder(const std::string& strPath, unsigned nMode) override {
        return Real()->CreateFolder(strPath, nMode);
    }
    EntryKind GetKind(const std::string& strPath) override { return Real()->GetKind(strPath); }
    bool GetFileSize(const std::string& strPath, std::uint64_t* pSize) override {
        return Real()->GetFileSize(strPath, pSize);
    }
    bool ListFolder(const std::string& strPath, std::vector<FolderEntry>* pEntries) override {
        return Real()->ListFolder(strPath, pEntries);
    }
    bool GetFreeSpace(const std::string& strPath, std::uint64_t* pFree) override {
        if (m_bFreeSpaceUnknown) return false;
        if (!m_bScriptedFreeSpace) return Real()->GetFreeSpace(strPath, pFree);
        *pFree = m_nFreeSpace;
        return true;
    }
    bool SyncVolume(const std::string& strPath) override {
        ++m_nSyncVolumeCalls;
        if (m_bFailSyncVolume || !Real()->SyncVolume(strPath)) return false;
        m_bUnflushed = false;
        return true;
    }

private:
    static CVaultEnv* Real() { return CVaultEnv::Default(); }
    void NoteDeletion(const std::string& strPath) {
        const std::size_t nSlash = strPath.find_last_of('/');
        const bool bTemporary = strPath.compare(nSlash + 1, 1, ".") == 0;
        if (m_bUnflushed && !bTemporary) ++m_nUnflushedDeletes;
    }

    bool m_bUnflushed = false;
    bool Applies(const std::string& strPath) const {
        return m_strFaultPath.empty() || strPath.find(m_strFaultPath) != std::string::npos;
    }

    class CFaultyReader : public CReadableFile {
    public:
        CFaultyReader(std::unique_ptr<CReadableFile> pInner, std::int64_t nFailAfter,
                      std::int64_t nSizeDelta)
            : m_pInner(std::move(pInner)), m_nFailAfter(nFailAfter), m_nSizeDelta(nSizeDelta) {}
        std::int64_t Read(void* pBuffer, std::size_t nCount) override {
            if (m_nFailAfter >= 0) {
                std::int64_t nLeft = m_nFailAfter - m_nRead;
                if (nLeft <= 0) return -1;
                if (static_cast<std::int64_t>(nCount) > nLeft) nCount = nLeft;
            }
            std::int64_t n = m_pInner->Read(pBuffer, nCount);
            if (n > 0) m_nRead += n;
            return n;
        }
        std::uint64_t Size() const override { return m_pInner->Size() + m_nSizeDelta; }

    private:
        std::unique_ptr<CReadableFile> m_pInner;
        std::int64_t m_nFailAfter;
        std::int64_t m_nSizeDelta;
        std::int64_t m_nRead = 0;
    };

    class CFaultyWriter : public CWritableFile {
    public:
        CFaultyWriter(std::unique_ptr<CWritableFile> pInner, const CFaultEnv& env)
            : m_pInner(std::move(pInner)), m_env(env) {}
        bool Append(const void* pData, std::size_t nCount) override {
            if (m_env.m_bDiskFull) return false;
            if (m_env.m_nFailWriteAfter >= 0) {
                std::int64_t nLeft = m_env.m_nFailWriteAfter - m_nWritten;
                if (static_cast<std::int64_t>(nCount) > nLeft) {
                    if (nLeft > 0) m_pInner->Append(pData, nLeft);
                    m_nWritten = m_env.m_nFailWriteAfter;
                    return false;
                }
            }
            m_nWritten += nCount;
            return m_pInner->Append(pData, nCount);
        }
        bool Sync() override { return !m_env.m_bFailSync && m_pInner->Sync(); }
        bool Close() override { return m_pInner->Close() && !m_env.m_bFailClose; }

    private:
        std::unique_ptr<CWritableFile> m_pInner;
        const CFaultEnv& m_env;
        std::int64_t m_nWritten = 0;
    };
};

}  // namespace quovex::test
