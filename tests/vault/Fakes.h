// Fakes of the core's two seams. CFakeFeedback answers every question with
// m_bAnswerYes, cancels on request and records everything the core told it.
// CFaultEnv works on the real file system and injects faults on request into
// every file it reads or writes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "VaultEnv.h"
#include "VaultFeedback.h"

namespace quovex::test {

class CFakeFeedback : public CVaultFeedback {
public:
    bool m_bAnswerYes = false;
    // When >= 0, IsCancelled turns true on call number m_nCancelAfter + 1 and
    // stays true: the run is cancelled after block m_nCancelAfter. Calls are
    // counted from the start or, when m_strCancelTrigger is set, from the
    // first status text that contains it.
    int m_nCancelAfter = -1;
    std::string m_strCancelTrigger;

    std::vector<std::string> m_vStatus, m_vQuestions, m_vMessages, m_vShownBoxes;
    std::vector<int> m_vPositions;
    int m_nCancelChecks = 0;
    int m_nWaitBegins = 0;
    int m_nWaitDepth = 0;
    bool m_bWaitUnbalanced = false;  // an End without a Begin

    void SetStatusText(const std::string& strText) override {
        m_vStatus.push_back(strText);
        if (!m_strCancelTrigger.empty() && strText.find(m_strCancelTrigger) != std::string::npos)
            m_bTriggered = true;
    }
    void SetProgressPos(int nPos) override { m_vPositions.push_back(nPos); }
    bool IsCancelled() override {
        ++m_nCancelChecks;
        if (m_nCancelAfter < 0 || !(m_bTriggered || m_strCancelTrigger.empty())) return false;
        return ++m_nCountedChecks > m_nCancelAfter;
    }
    bool AskYesNo(const std::string& strQuestion) override {
        m_vQuestions.push_back(strQuestion);
        return m_bAnswerYes;
    }
    void ShowMessage(const std::string& strMessage) override { m_vMessages.push_back(strMessage); }
    void BeginWaitCursor() override {
        ++m_nWaitBegins;
        ++m_nWaitDepth;
    }
    void EndWaitCursor() override { m_bWaitUnbalanced |= --m_nWaitDepth < 0; }
    void ShowBoxContents(const std::string& strBox) override { m_vShownBoxes.push_back(strBox); }

    bool WaitBalanced() const { return m_nWaitDepth == 0 && !m_bWaitUnbalanced; }

private:
    bool m_bTriggered = false;
    int m_nCountedChecks = 0;
};

class CFaultEnv : public CVaultEnv {
public:
    bool m_bFailTemp = false;             // CreateTempBeside fails
    std::int64_t m_nFailWriteAfter = -1;  // an Append that passes this many bytes fails
    bool m_bFailSync = false;             // CWritableFile::Sync fails
    bool m_bFailClose = false;            // CWritableFile::Close fails
    bool m_bFailRename = false;           // RenameFile fails
    std::int64_t m_nFailReadAfter = -1;   // a Read that asks past this many bytes fails
    std::int64_t m_nSizeDelta = 0;        // Size() is off by this much (a changing file)
    std::int64_t m_nFreeSpace = -1;       // >= 0: the answer of GetFreeSpace; -2: it fails
    bool m_bFailSyncVolume = false;       // SyncVolume fails

    int m_nSyncVolumeCalls = 0;
    // Deletions, but of the core's dot-named temporaries, made while a
    // renamed file had not yet been flushed.
    int m_nUnflushedDeletes = 0;

    std::unique_ptr<CReadableFile> OpenForRead(const std::string& strPath) override {
        auto pFile = Real()->OpenForRead(strPath);
        return pFile ? std::make_unique<CFaultyReader>(std::move(pFile), *this) : nullptr;
    }
    std::unique_ptr<CWritableFile> CreateTempBeside(const std::string& strTarget, unsigned nMode,
                                                    std::string* pTempPath) override {
        auto pFile = m_bFailTemp ? nullptr : Real()->CreateTempBeside(strTarget, nMode, pTempPath);
        return pFile ? std::make_unique<CFaultyWriter>(std::move(pFile), *this) : nullptr;
    }
    bool RenameFile(const std::string& strFrom, const std::string& strTo) override {
        if (m_bFailRename || !Real()->RenameFile(strFrom, strTo)) return false;
        m_bUnflushed = true;
        return true;
    }
    bool DeleteFile(const std::string& strPath) override {
        return NoteDeletion(strPath) && Real()->DeleteFile(strPath);
    }
    bool RemoveFolder(const std::string& strPath) override {
        return NoteDeletion(strPath) && Real()->RemoveFolder(strPath);
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
        if (m_nFreeSpace == -1) return Real()->GetFreeSpace(strPath, pFree);
        *pFree = static_cast<std::uint64_t>(m_nFreeSpace);
        return m_nFreeSpace >= 0;
    }
    bool SyncVolume(const std::string& strPath) override {
        ++m_nSyncVolumeCalls;
        if (m_bFailSyncVolume || !Real()->SyncVolume(strPath)) return false;
        m_bUnflushed = false;
        return true;
    }

private:
    static CVaultEnv* Real() { return CVaultEnv::Default(); }
    bool NoteDeletion(const std::string& strPath) {
        const bool bTemporary = strPath.compare(strPath.find_last_of('/') + 1, 1, ".") == 0;
        if (m_bUnflushed && !bTemporary) ++m_nUnflushedDeletes;
        return true;
    }

    bool m_bUnflushed = false;

    struct CFaultyReader : CReadableFile {
        CFaultyReader(std::unique_ptr<CReadableFile> pInner, const CFaultEnv& env)
            : m_pInner(std::move(pInner)), m_env(env) {}
        std::int64_t Read(void* pBuffer, std::size_t nCount) override {
            m_nAsked += nCount;
            const std::int64_t nLimit = m_env.m_nFailReadAfter;
            return nLimit >= 0 && m_nAsked > nLimit ? -1 : m_pInner->Read(pBuffer, nCount);
        }
        std::uint64_t Size() const override { return m_pInner->Size() + m_env.m_nSizeDelta; }

        std::unique_ptr<CReadableFile> m_pInner;
        const CFaultEnv& m_env;
        std::int64_t m_nAsked = 0;
    };

    struct CFaultyWriter : CWritableFile {
        CFaultyWriter(std::unique_ptr<CWritableFile> pInner, const CFaultEnv& env)
            : m_pInner(std::move(pInner)), m_env(env) {}
        bool Append(const void* pData, std::size_t nCount) override {
            m_nWritten += nCount;
            const std::int64_t nLimit = m_env.m_nFailWriteAfter;
            return (nLimit < 0 || m_nWritten <= nLimit) && m_pInner->Append(pData, nCount);
        }
        bool Sync() override { return !m_env.m_bFailSync && m_pInner->Sync(); }
        bool Close() override { return m_pInner->Close() && !m_env.m_bFailClose; }

        std::unique_ptr<CWritableFile> m_pInner;
        const CFaultEnv& m_env;
        std::int64_t m_nWritten = 0;
    };
};

}  // namespace quovex::test
