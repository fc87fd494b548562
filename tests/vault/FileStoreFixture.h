// A temporary folder with a file store working in it through a CFaultEnv,
// and its results; paths are relative to the folder.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Fakes.h"
#include "FileStore.h"
#include "ProtectedLayout.h"
#include "RunContext.h"
#include "TestFiles.h"
#include "VaultKey.h"

namespace quovex::test {

// Sizes with which files of a few hundred KiB take the ways of large ones,
// in the same steps as the real sizes: chunks of two protected chunks (a
// piece is still sealed on two threads), read ahead, written behind and
// sealed on two threads from four chunks on, flushed behind every four.
inline constexpr StreamSizes SMALL_STREAM_SIZES{2 * PFF_CHUNK_SIZE, 8 * PFF_CHUNK_SIZE,
                                                8 * PFF_CHUNK_SIZE};

class FileStoreFixture : public ::testing::Test {
protected:
    // nMasterFill > 0: the key is a protected vault's (SetTestMasterKey).
    // The store streams with sizes (StreamSizes.h), the real ones unless given.
    explicit FileStoreFixture(unsigned char nMasterFill = 0,
                              const StreamSizes& sizes = StreamSizes())
        : m_files(Keyed(m_key, nMasterFill), Sized(m_env, sizes)) {}

    void TearDown() override {
        EXPECT_TRUE(m_feedback.WaitBalanced());
        EXPECT_EQ(FindDotEntries(m_tmp.Path()), m_vDotFiles) << "temporaries left";
    }
    int Store(const std::string& strSource, const std::string& strStored,
              std::uint64_t nTotal = 1000) {
        RunContext run{&m_feedback, m_nDone, nTotal, nullptr};
        m_stored = m_files.StoreFile(m_tmp / strSource, m_tmp / strStored, run);
        m_nDone = run.nDone;
        return m_stored.nOutcome == FileOutcome::FILE_DONE ? 1 : 0;
    }
    // An empty strTarget restores to the recorded source path.
    int Restore(const std::string& strStored, const std::string& strTarget,
                std::uint64_t nTotal = 1000) {
        RunContext run{&m_feedback, m_nDone, nTotal, nullptr};
        m_restored =
            m_files.RestoreFile(m_tmp / strStored, strTarget.empty() ? "" : m_tmp / strTarget, run);
        m_nDone = run.nDone;
        return m_restored.nOutcome == FileOutcome::FILE_DONE ? 1 : 0;
    }
    // Stores vPlain from src/x as box/x.$ and starts afresh; returns the stored bytes.
    Bytes MakeStored(const Bytes& vPlain) {
        Write("src/x", vPlain);
        EXPECT_EQ(Store("src/x", "box/x.$"), 1);
        m_feedback = CFakeFeedback();
        m_nDone = 0;
        return Read("box/x.$");
    }
    void Write(const std::string& strPath, const Bytes& v) { WriteBytes(m_tmp / strPath, v); }
    Bytes Read(const std::string& strPath) const { return ReadBytes(m_tmp / strPath); }
    bool Has(const std::string& strPath) const { return Exists(m_tmp / strPath); }

    // The store takes the key, and the env's sizes, as they are when it is made.
    static const CVaultKey& Keyed(CVaultKey& key, unsigned char nMasterFill) {
        if (nMasterFill > 0) SetTestMasterKey(&key, nMasterFill);
        return key;
    }
    static CVaultEnv* Sized(CFaultEnv& env, const StreamSizes& sizes) {
        env.SetSizes(sizes);
        return &env;
    }

    CTempDir m_tmp;
    CFaultEnv m_env;
    CVaultKey m_key{"user1", "pass1"};
    CFileStore m_files;
    CFakeFeedback m_feedback;
    std::uint64_t m_nDone = 0;
    std::vector<std::string> m_vDotFiles;  // made by the test itself
    StoreResult m_stored;                  // of the last Store
    FileResult m_restored;                 // of the last Restore
};

// Each case on the local disk and on file systems that lack what the core
// prefers (instantiated with ALL_FILE_SYSTEMS), with the small sizes.
class FileSystemFixture : public FileStoreFixture,
                          public ::testing::WithParamInterface<FileSystemKind> {
protected:
    FileSystemFixture() : FileStoreFixture(0, SMALL_STREAM_SIZES) {}
    void SetUp() override { m_env.ActAs(GetParam()); }
};

}  // namespace quovex::test
