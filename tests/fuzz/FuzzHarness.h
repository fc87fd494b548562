// What every fuzz target shares: one sandbox (CSandboxEnv) with a vault
// folder, the input as a stored file in it and a folder to restore to; the
// file stores of a scrambled key and of the reference protected vault
// (ReferenceVault.h), of the same credentials; and the check of a restore
// that must hold for any input: it writes its plain file and the folders
// above it, nothing else, and that file only with bytes the input holds.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Fakes.h"
#include "FileStore.h"
#include "FolderIdentity.h"
#include "ProtectedStream.h"
#include "ReferenceVault.h"
#include "RunContext.h"
#include "TestFiles.h"
#include "VaultEnv.h"
#include "VaultKey.h"

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

// A CVaultEnv that confines the core to one real folder, its root. The core
// is handed virtual absolute paths ("/vault/in.$"); each is mapped below the
// root before the real file system sees it. A path that could leave the root
// (relative, or with a ".." component) and a name inside a folder that could
// (empty, ".", "..", or holding a separator) are never passed on: they are
// findings, and the process aborts. The one exception is opening ".." of a
// folder, which the core uses to find out where a folder lies: it is answered
// with the virtual parent, and the root is its own parent.
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
        return Wrap(Real()->OpenFolder(m_strRoot + strNormal), strNormal);
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
    // pInner as the folder at the virtual path strPath (normal form).
    FolderPtr Wrap(FolderPtr pInner, const std::string& strPath) {
        return pInner ? std::make_shared<CSandboxFolder>(std::move(pInner), *this, strPath)
                      : nullptr;
    }

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
            return m_env.Wrap(m_pInner->OpenFolder(Checked(strName)), m_strPath + '/' + strName);
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

constexpr char FUZZ_VAULT[] = "/vault";
constexpr char FUZZ_STORED[] = "/vault/in.$";
constexpr char FUZZ_TARGET[] = "/out/in.bin.$";
constexpr char FUZZ_PLAIN[] = "/out/in.bin";

// Virtual path -> content; a folder's path ends in "/" and has no content.
using Tree = std::map<std::string, std::string>;

// The little-endian number in the nBytes bytes at p.
inline std::uint64_t Le(const unsigned char* p, int nBytes) {
    std::uint64_t n = 0;
    for (int i = nBytes - 1; i >= 0; --i) n = n << 8 | p[i];
    return n;
}

// A new private temporary folder, its real path; removed with everything
// in it when the process exits.
inline std::string MakeSandboxRoot() {
    static const test::CTempDir s_root;
    return s_root.Path();
}

struct FuzzWorld {
    FuzzWorld(const char* pszUser, const char* pszPassword)
        : env(MakeSandboxRoot()),
          scrambledKey(pszUser, pszPassword),
          protectedKey(pszUser, pszPassword) {
        if (!test::MakeReferenceRecord(&reference) || !DeriveFileKeys(reference.masterKey, &keys))
            Finding("the reference vault cannot be made");
        std::ifstream first(QUOVEX_TEST_DATA_DIR "/protected/key-record", std::ios::binary);
        firstRecord.assign(std::istreambuf_iterator<char>(first), {});
        if (firstRecord.empty()) Finding("the first version's reference record cannot be read");
        protectedKey.SetMasterKey(reference.masterKey.Clone());
        pScrambledFiles = std::make_unique<CFileStore>(scrambledKey, &env);
        pProtectedFiles = std::make_unique<CFileStore>(protectedKey, &env);
    }

    CSandboxEnv env;
    NewKeyRecord reference;  // record, master key 00 .. 1F, recovery text
    // The same vault's record as the first version wrote it (tests/data),
    // sealed under the same credentials and recovery key.
    KeyRecordBytes firstRecord;
    ProtectedFileKeys keys;  // of the reference master key
    CVaultKey scrambledKey, protectedKey;
    std::unique_ptr<CFileStore> pScrambledFiles, pProtectedFiles;
};

// Made once, by the target's LLVMFuzzerInitialize.
inline FuzzWorld* g_pWorld = nullptr;
inline FuzzWorld& World() {
    return *g_pWorld;
}

// Empties the sandbox and makes the vault folder and the restore's folder.
inline void ClearSandbox() {
    for (const auto& entry : std::filesystem::directory_iterator(World().env.Root()))
        std::filesystem::remove_all(entry.path());
    std::filesystem::create_directory(World().env.RealPath(FUZZ_VAULT));
    std::filesystem::create_directory(World().env.RealPath("/out"));
}

// Writes a file of the sandbox at its virtual path, whole.
inline void WriteSandboxFile(const std::string& strVirtual, const std::string& strContent) {
    std::ofstream(World().env.RealPath(strVirtual), std::ios::binary)
        .write(strContent.data(), static_cast<std::streamsize>(strContent.size()));
}

// Everything in the sandbox; a link or a special file is a finding.
inline Tree Snapshot() {
    const std::string& strRoot = World().env.Root();
    Tree tree;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(strRoot)) {
        const std::string strPath = entry.path().string().substr(strRoot.size());
        if (entry.is_symlink() || !(entry.is_directory() || entry.is_regular_file()))
            Finding("unexpected kind of entry: " + strPath);
        std::ifstream in(entry.path(), std::ios::binary);
        tree[entry.is_directory() ? strPath + "/" : strPath] =
            entry.is_directory() ? std::string()
                                 : std::string(std::istreambuf_iterator<char>(in), {});
    }
    return tree;
}

// Restores the input with files to strTarget ("": its recorded path),
// answering the overwrite question with bYes. Only a restore that
// succeeded may write, and only strPlain ("": nothing) with *pPlain (null:
// the restore must fail), replacing a file there only on a Yes. Whether it
// succeeded.
inline bool CheckRestore(const CFileStore& files, const std::string& strTarget,
                         const std::string& strPlain, const std::string* pPlain, bool bYes,
                         const std::string& strWhat, const KeepOutSet* pKeepOut = nullptr) {
    const Tree before = Snapshot();
    test::CFakeFeedback feedback;
    feedback.m_bAnswerYes = bYes;
    RunContext run{&feedback, 0, 0, nullptr};
    const bool bDone =
        files.RestoreFile(FUZZ_STORED, strTarget, run, pKeepOut).nOutcome == FileOutcome::FILE_DONE;
    const Tree after = Snapshot();
    Require(!bDone || (pPlain && after.count(strPlain)), strWhat + ": a false success");
    // What may change: new folders above strPlain, and strPlain itself.
    Tree expected = before;
    if (bDone && (bYes || !before.count(strPlain))) expected[strPlain] = *pPlain;
    for (const auto& entry : after)
        if (entry.first.back() == '/' && strPlain.rfind(entry.first, 0) == 0)
            expected.insert(entry);
    Require(after == expected, strWhat + ": wrote what it may not");
    Require(feedback.WaitBalanced(), strWhat + ": wait cursor");
    return bDone;
}

}  // namespace quovex::fuzz
