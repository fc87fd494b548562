// A CVaultEnv that confines the core to one real folder, its root. The core
// is handed virtual absolute paths ("/vault/in.$"); each is mapped below the
// root before the real file system sees it. A path that could leave the root
// (relative, or with a ".." component) and a name inside a folder that could
// (empty, ".", "..", or holding a separator) are never passed on: they are
// findings, and the process aborts. The one exception is opening ".." of a
// folder, which the core uses to find out where a folder lies: it is answered
// with the virtual parent, and the root is its own parent.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "VaultEnv.h"

namespace quovex::fuzz {

// Reports what the core did wrong and ends the process, which libFuzzer
// records as a crash with the input that caused it.
[[noreturn]] inline void Finding(const std::string& strWhat) {
    std::fprintf(stderr, "==FINDING== %s\n", strWhat.c_str());
    std::fflush(stderr);
    std::abort();
}

inline void Require(bool bHolds, const std::string& strWhat) {
    if (!bHolds) Finding(strWhat);
}

class CSandboxEnv final : public CVaultEnv {
public:
    // strRoot: an existing folder, its real path without links.
    explicit CSandboxEnv(std::string strRoot) : m_strRoot(std::move(strRoot)) {}

    const std::string& Root() const { return m_strRoot; }

    // The real path of a virtual one; aborts when it could leave the root.
    std::string RealPath(const std::string& strVirtual) const {
        return m_strRoot + Normal(strVirtual);
    }

    FolderPtr OpenFolder(const std::string& strPath) override {
        const std::string strNormal = Normal(strPath);
        FolderPtr pInner = Real()->OpenFolder(m_strRoot + strNormal);
        return pInner ? std::make_shared<CSandboxFolder>(std::move(pInner), *this, strNormal)
                      : nullptr;
    }
    std::unique_ptr<CReadableFile> OpenForRead(const std::string& strPath) override {
        return Real()->OpenForRead(RealPath(strPath));
    }
    std::unique_ptr<CUpdatableFile> OpenForUpdate(const std::string& strPath) override {
        return Real()->OpenForUpdate(RealPath(strPath));
    }
    bool CreateFolder(const std::string& strPath, unsigned nMode) override {
        return Real()->CreateFolder(RealPath(strPath), nMode);
    }
    bool GetStamp(const std::string& strPath, FileStamp* pStamp) override {
        return Real()->GetStamp(RealPath(strPath), pStamp);
    }
    bool GetFreeSpace(const std::string& strPath, VolumeSpace* pSpace) override {
        return Real()->GetFreeSpace(RealPath(strPath), pSpace);
    }
    bool SyncVolume(const std::string& strPath) override {
        return Real()->SyncVolume(RealPath(strPath));
    }

private:
    static CVaultEnv* Real() { return CVaultEnv::Default(); }

    // strPath with "." and empty components dropped ("/" for the root
    // itself, else no separator at its end).
    static std::string Normal(const std::string& strPath) {
        if (strPath.empty() || strPath.front() != '/') Finding("relative path: " + strPath);
        std::string strOut;
        for (const auto& part : std::filesystem::path(strPath)) {
            const std::string strPart = part.string();
            if (strPart == "..") Finding("path leads upwards: " + strPath);
            if (strPart.empty() || strPart == "." || strPart == "/") continue;
            strOut += '/' + strPart;
        }
        return strOut;
    }

    struct CSandboxFolder final : CFolder {
        CSandboxFolder(FolderPtr pInner, CSandboxEnv& env, std::string strPath)
            : m_pInner(std::move(pInner)), m_env(env), m_strPath(std::move(strPath)) {}

        bool GetOwnStamp(FileStamp* pStamp) override { return m_pInner->GetOwnStamp(pStamp); }
        bool GetCreationTime(std::int64_t* pSeconds) override {
            return m_pInner->GetCreationTime(pSeconds);
        }
        bool List(std::vector<FolderEntry>* pEntries) override { return m_pInner->List(pEntries); }
        FolderPtr OpenFolder(const std::string& strName) override {
            if (strName == "..") {
                const auto nSep = m_strPath.rfind('/');
                return m_env.OpenFolder(nSep == std::string::npos || nSep == 0
                                            ? std::string("/")
                                            : m_strPath.substr(0, nSep));
            }
            FolderPtr pSub = m_pInner->OpenFolder(Checked(strName));
            return pSub ? std::make_shared<CSandboxFolder>(std::move(pSub), m_env,
                                                           m_strPath + '/' + strName)
                        : nullptr;
        }
        std::unique_ptr<CReadableFile> OpenFile(const std::string& strName) override {
            return m_pInner->OpenFile(Checked(strName));
        }
        bool GetStamp(const std::string& strName, FileStamp* pStamp) override {
            return m_pInner->GetStamp(Checked(strName), pStamp);
        }
        std::unique_ptr<CWritableFile> CreateFileFor(const std::string& strName,
                                                     unsigned nMode) override {
            return m_pInner->CreateFileFor(Checked(strName), nMode);
        }
        bool DeleteFile(const std::string& strName) override {
            return m_pInner->DeleteFile(Checked(strName));
        }
        bool RemoveFolder(const std::string& strName) override {
            return m_pInner->RemoveFolder(Checked(strName));
        }
        bool Sync() override { return m_pInner->Sync(); }
        bool VolumeSyncCovers() override { return m_pInner->VolumeSyncCovers(); }

        // strName, when it names an entry of this folder; else a finding.
        const std::string& Checked(const std::string& strName) const {
            if (strName.empty() || strName == "." || strName == ".." ||
                strName.find('/') != std::string::npos)
                Finding("bad name \"" + strName + "\" in " + m_strPath);
            return strName;
        }

        FolderPtr m_pInner;
        CSandboxEnv& m_env;
        std::string m_strPath;  // virtual, in normal form
    };

    std::string m_strRoot;
};

}  // namespace quovex::fuzz
