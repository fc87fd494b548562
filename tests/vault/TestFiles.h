// A private temporary folder per test and small file helpers.
#pragma once

#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "Boxes.h"
#include "FileStore.h"
#include "KeyRecord.h"
#include "KeyRecordFiles.h"
#include "RunContext.h"
#include "StoredFileHeader.h"
#include "VaultKey.h"

namespace quovex::test {

using Bytes = std::vector<unsigned char>;
using Tree = std::map<std::string, Bytes>;  // see SnapshotTree

// Removed with everything in it when the object goes out of scope. Its real
// path, so that paths recorded in headers are what the tests expect.
class CTempDir {
public:
    CTempDir() {
        std::string strPath = std::filesystem::temp_directory_path() / "quovex-test-XXXXXX";
        if (!mkdtemp(strPath.data())) throw std::runtime_error("mkdtemp failed");
        m_strPath = std::filesystem::canonical(strPath).string();
    }
    ~CTempDir() { std::filesystem::remove_all(m_strPath, m_ec); }
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::string& Path() const { return m_strPath; }
    std::string operator/(const std::string& strRel) const { return m_strPath + "/" + strRel; }

private:
    std::string m_strPath;
    std::error_code m_ec;  // a folder that cannot be removed is left behind
};

// nCount bytes of the generator seeded with nSeed, four from each of its
// 32-bit words (a quarter of the calls of one a byte, which the sanitizer
// builds feel). The first n bytes are the same for every nCount.
inline Bytes RandomBytes(std::size_t nCount, unsigned nSeed) {
    std::mt19937 rng(nSeed);
    Bytes v(nCount);
    for (std::size_t i = 0; i < nCount; i += 4) {
        const std::uint32_t nWord = static_cast<std::uint32_t>(rng());
        for (std::size_t k = 0; k < 4 && i + k < nCount; ++k)
            v[i + k] = static_cast<unsigned char>(nWord >> (8 * k));
    }
    return v;
}

// Writes the bytes to strPath, creating its folders.
inline void WriteBytes(const std::string& strPath, const Bytes& vData) {
    std::filesystem::create_directories(std::filesystem::path(strPath).parent_path());
    std::ofstream(strPath, std::ios::binary)
        .write(reinterpret_cast<const char*>(vData.data()), vData.size());
}

inline Bytes ReadBytes(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A stored file of a header recording nPlainSize and nBodyBytes body bytes.
inline void WriteStored(const std::string& strPath, std::uint32_t nPlainSize,
                        std::size_t nBodyBytes = 0) {
    StoredFileHeader header;
    header.nPlainSize = nPlainSize;
    Bytes v(SFF_HEADER_SIZE + nBodyBytes, 0x5A);
    EncodeHeader(header, v.data());
    WriteBytes(strPath, v);
}

// Makes *pKey the key of a protected vault whose master key and vault id
// are nFill repeated: another nFill, another vault.
inline void SetTestMasterKey(CVaultKey* pKey, unsigned char nFill, bool bNamesHidden = false) {
    CSecretBytes master(32);
    std::fill(master.Data(), master.Data() + master.Size(), nFill);
    VaultIdBytes id;
    id.fill(nFill);
    pKey->SetMasterKey(std::move(master), bNamesHidden, id);
}

// Makes the folder strVault a protected vault whose names are visible, as
// earlier versions made every protected vault: a key record of the first
// version for strUser / strPassword (both copies) and the box folders. Its
// master key in *pMaster and its recovery key text in *pRecovery, when
// given. False when it could not be made.
inline bool MakeVisibleNamesVault(const std::string& strVault, const std::string& strUser,
                                  const std::string& strPassword, const KdfLimits& limits,
                                  CSecretBytes* pMaster = nullptr,
                                  CSecretBytes* pRecovery = nullptr) {
    NewKeyRecord made;
    std::filesystem::create_directories(strVault);
    if (CreateKeyRecord(strUser, strPassword, limits, VaultNames::NAMES_VISIBLE, &made) !=
            KeyRecordResult::KEY_OPENED ||
        WriteNewKeyRecord(strVault, made.vRecord, CVaultEnv::Default()).nOutcome !=
            FileOutcome::FILE_DONE)
        return false;
    CreateBoxFolders(strVault, CVaultEnv::Default());
    if (pMaster) *pMaster = std::move(made.masterKey);
    if (pRecovery) *pRecovery = std::move(made.recoveryText);
    return true;
}

// Stores strSource as strStored, or restores strStored to strTarget ("":
// to its recorded path), with key (in the protected format when it holds a
// master key), asking no one. True when the file went through.
inline bool StoreWith(const CVaultKey& key, const std::string& strSource,
                      const std::string& strStored) {
    RunContext run;
    return CFileStore(key, CVaultEnv::Default()).StoreFile(strSource, strStored, run).nOutcome ==
           FileOutcome::FILE_DONE;
}
inline bool RestoreWith(const CVaultKey& key, const std::string& strStored,
                        const std::string& strTarget) {
    RunContext run;
    return CFileStore(key, CVaultEnv::Default()).RestoreFile(strStored, strTarget, run).nOutcome ==
           FileOutcome::FILE_DONE;
}

inline bool Exists(const std::string& strPath) {
    return std::filesystem::exists(std::filesystem::symlink_status(strPath));
}

inline unsigned ModeOf(const std::string& strPath) {
    return static_cast<unsigned>(std::filesystem::status(strPath).permissions()) & 0777;
}

// Every entry below strRoot (links not followed) by relative path: files with
// their contents, folders marked "/", links "@".
inline Tree SnapshotTree(const std::string& strRoot) {
    const std::size_t nSkip = strRoot.size() + (strRoot.back() == '/' ? 0 : 1);
    Tree tree;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(strRoot)) {
        const std::string strRel = entry.path().string().substr(nSkip);
        if (entry.is_symlink() || entry.is_directory())
            tree[strRel + (entry.is_symlink() ? "@" : "/")] = {};
        else
            tree[strRel] = ReadBytes(entry.path().string());
    }
    return tree;
}

// Every entry below strRoot whose name begins with a dot, as the core's
// temporary files do.
inline std::vector<std::string> FindDotEntries(const std::string& strRoot) {
    std::vector<std::string> v;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(strRoot))
        if (entry.path().filename().string().front() == '.') v.push_back(entry.path().string());
    return v;
}

}  // namespace quovex::test
