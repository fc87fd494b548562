// Fakes of the core's two seams. CFakeFeedback answers every question with
// m_bAnswerYes, cancels on request and records everything the core told it.
// CFaultEnv works on the real file system, acts as another kind of file
// system on request, injects faults (each with the errno a real one would
// leave) and stages races with other programs.
#pragma once

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <thread>
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

    std::vector<std::string> m_vStatus, m_vShownBoxes;
    std::vector<FeedbackQuestion> m_vQuestions;
    std::vector<FeedbackMessage> m_vMessages;
    std::string m_strMessagePath;  // of the last message, with its amounts
    VolumeRoom m_messageRoom;
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
    bool AskYesNo(FeedbackQuestion nQuestion, const std::string&) override {
        m_vQuestions.push_back(nQuestion);
        return m_bAnswerYes;
    }
    void ShowMessage(FeedbackMessage nMessage, const std::string& strPath,
                     const VolumeRoom& room) override {
        m_vMessages.push_back(nMessage);
        m_strMessagePath = strPath;
        m_messageRoom = room;
    }
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

// A count that helper threads raise while the test's thread waits for
// them; an env made afresh by assignment takes it as a plain value.
struct CAtomicCount {
    std::atomic<int> n{0};
    CAtomicCount() = default;
    CAtomicCount(const CAtomicCount& other) : n(other.n.load()) {}
    CAtomicCount& operator=(const CAtomicCount& other) {
        n = other.n.load();
        return *this;
    }
};

// A file system for a test to run on: the disk as it is, or one that
// refuses the calls in nRefused (CVaultEnv::Refusal bits), that a flush of
// the volume does not reach and whose reads may come short (at most
// nReadPiece bytes), as FUSE file systems do.
struct FileSystemKind {
    const char* pszName;
    unsigned nRefused;
    bool bFlushMisses;
    std::size_t nReadPiece = 0;
};
inline void PrintTo(const FileSystemKind& kind, std::ostream* pOut) {
    *pOut << kind.pszName;
}
// The local disk; NTFS through ntfs-3g (no unnamed files, no no-replace
// rename, hard links); exFAT through exfat-fuse (none of the three).
inline const FileSystemKind ALL_FILE_SYSTEMS[] = {
    {"LocalDisk", 0, false},
    {"NtfsFuse", CVaultEnv::REFUSE_UNNAMED_FILES | CVaultEnv::REFUSE_NOREPLACE_RENAME, true, 1000},
    {"ExfatFuse",
     CVaultEnv::REFUSE_UNNAMED_FILES | CVaultEnv::REFUSE_NOREPLACE_RENAME |
         CVaultEnv::REFUSE_HARD_LINKS,
     true, 4097}};

// Works on the real file system. Faults are set by the flags; what other
// programs do to the disk meanwhile is staged by the hooks, each called with
// a path at one moment of a run.
class CFaultEnv : public CVaultEnv {
public:
    using Hook = std::function<void(const std::string& strPath)>;

    bool m_bFailCreate = false;           // CFolder::CreateFileFor fails (EACCES)
    int m_nNewFolderErrno = 0;            // > 0: making a folder not there yet fails with it
                                          // (EACCES: no write permission, EROFS: read-only)
    std::int64_t m_nFailWriteAfter = -1;  // an Append that passes this many bytes fails (ENOSPC)
    bool m_bFailSync = false;             // CWritableFile::Sync and CFolder::Sync fail (EIO)
    bool m_bFailCommit = false;           // CWritableFile::Commit fails (EIO)
    std::int64_t m_nFailReadAfter = -1;   // a Read that asks past this many bytes fails (EIO)
    std::int64_t m_nSizeDelta = 0;        // Size() is off by this much (a changing file)
    std::int64_t m_nFreeSpace = -1;       // >= 0: the answer of GetFreeSpace; -2: it fails
    bool m_bFailSyncVolume = false;       // SyncVolume fails (EIO)
    std::int64_t m_nFlipReadBackAt = -1;  // >= 0: a new file read back has this byte changed
    std::int64_t m_nTearUpdateAt = -1;    // an in-place write stops after this many bytes
                                          // and fails (EIO), as a crash would cut it
    Hook m_fnDuringCopy;                  // the target, at the first write of its new file
    Hook m_fnAfterList;                   // a folder, after it was listed
    Hook m_fnBeforeSyncVolume;            // the path asked to flush
    // >= 0: the run is stopped after this many changes to the disk (a file
    // created, written, synced or committed, written or synced in place, a
    // folder made, synced, renamed in or deleted from): every later one
    // fails (EIO), as if the process had been killed there. m_nChanges counts them, also without a
    // stop.
    std::int64_t m_nStopAfterChanges = -1;
    std::int64_t m_nChanges = 0;

    // Volumes imitated by folder: a path at or below one of these folders
    // lies on a volume of its own with that many bytes free (the longest
    // such folder decides); elsewhere m_nFreeSpace decides.
    std::map<std::string, std::uint64_t> m_freeBelow;

    int m_nSyncVolumeCalls = 0;
    int m_nFileSyncs = 0;  // CWritableFile::Sync calls
    // Deletions made while a committed file, or the name it got, was not
    // yet durable: synced on its own, or flushed with a volume that such a
    // flush covers.
    int m_nUnflushedDeletes = 0;
    // Reads of files and appends to new files made on a thread other than
    // the one that made the env: a helper thread read ahead or wrote behind.
    CAtomicCount m_nReadsAside;
    CAtomicCount m_nAppendsAside;

    // From now on, runs on a real file system that acts as kind says.
    void ActAs(const FileSystemKind& kind) {
        m_nRefused = kind.nRefused;
        m_bFlushMisses = kind.bFlushMisses;
        m_nReadPiece = kind.nReadPiece;
        MakeReal();
    }
    // From now on, streams with sizes (the real ones until this is called):
    // a store made afterwards reads and writes in their pieces, and its new
    // files are flushed behind at their step.
    void SetSizes(const StreamSizes& sizes) {
        m_sizes = sizes;
        MakeReal();
    }
    StreamSizes Sizes() const override { return m_sizes; }

    FolderPtr OpenFolder(const std::string& strPath) override {
        return Wrap(Real()->OpenFolder(strPath), strPath);
    }
    std::unique_ptr<CReadableFile> OpenForRead(const std::string& strPath) override {
        return Wrap(Real()->OpenForRead(strPath));
    }
    // Sync fails as m_bFailSync says.
    std::unique_ptr<CUpdatableFile> OpenForUpdate(const std::string& strPath) override {
        auto pFile = Real()->OpenForUpdate(strPath);
        return pFile ? std::make_unique<CFaultyUpdater>(std::move(pFile), *this) : nullptr;
    }
    bool CreateFolder(const std::string& strPath, unsigned nMode) override {
        const bool bNew = Real()->GetKind(strPath) == EntryKind::ENTRY_NONE;
        return !ChangeFails(m_nNewFolderErrno > 0 && bNew, m_nNewFolderErrno) &&
               Real()->CreateFolder(strPath, nMode);
    }
    bool GetStamp(const std::string& strPath, FileStamp* pStamp) override {
        return Real()->GetStamp(strPath, pStamp);
    }
    bool GetFreeSpace(const std::string& strPath, VolumeSpace* pSpace) override {
        std::size_t nLongest = 0;
        std::uint64_t nVolume = 0;  // imitated volumes are 1, 2 ...; the rest is 0
        for (const auto& [strFolder, nFree] : m_freeBelow) {
            ++nVolume;
            const bool bBelow =
                strPath.compare(0, strFolder.size(), strFolder) == 0 &&
                (strPath.size() == strFolder.size() || strPath[strFolder.size()] == '/');
            if (bBelow && strFolder.size() > nLongest) {
                nLongest = strFolder.size();
                *pSpace = {nVolume, nFree};
            }
        }
        if (nLongest > 0) return true;
        if (m_nFreeSpace == -1) return Real()->GetFreeSpace(strPath, pSpace);
        *pSpace = {0, static_cast<std::uint64_t>(m_nFreeSpace)};
        return m_nFreeSpace >= 0;
    }
    bool SyncVolume(const std::string& strPath) override {
        ++m_nSyncVolumeCalls;
        if (m_fnBeforeSyncVolume) m_fnBeforeSyncVolume(strPath);
        if (m_bFailSyncVolume) return Refuse(EIO, false);
        if (!Real()->SyncVolume(strPath)) return false;
        if (!m_bFlushMisses) {
            m_nUnsyncedFiles = 0;
            m_setUnsyncedFolders.clear();
        }
        return true;
    }

private:
    CVaultEnv* Real() const { return m_pReal ? m_pReal.get() : CVaultEnv::Default(); }
    void MakeReal() {
        m_pReal = m_nRefused || m_sizes != StreamSizes()
                      ? CVaultEnv::CreateSized(m_nRefused, m_sizes)
                      : nullptr;
    }
    bool Aside() const { return std::this_thread::get_id() != m_owner; }
    // What an injected fault returns, with the errno a real one leaves.
    template <typename T>
    static T Refuse(int nErrno, T failed) {
        errno = nErrno;
        return failed;
    }
    // The one fault point of every change to the disk: counts it, and true
    // (errno set) when it fails, as the run was stopped before it (EIO) or
    // bInjected says (nErrno).
    bool ChangeFails(bool bInjected = false, int nErrno = EIO) {
        ++m_nChanges;
        if (m_nStopAfterChanges >= 0 && m_nChanges > m_nStopAfterChanges) return Refuse(EIO, true);
        return bInjected && Refuse(nErrno, true);
    }
    bool NoteDeletion() {
        if (ChangeFails()) return false;
        if (m_nUnsyncedFiles > 0 || !m_setUnsyncedFolders.empty()) ++m_nUnflushedDeletes;
        return true;
    }
    std::unique_ptr<CReadableFile> Wrap(std::unique_ptr<CReadableFile> pFile,
                                        std::int64_t nFlipAt = -1) {
        return pFile ? std::make_unique<CFaultyReader>(std::move(pFile), *this, nFlipAt) : nullptr;
    }
    FolderPtr Wrap(FolderPtr pFolder, const std::string& strPath) {
        return pFolder ? std::make_shared<CFaultyFolder>(std::move(pFolder), *this, strPath)
                       : nullptr;
    }

    std::unique_ptr<CVaultEnv> m_pReal;  // null: the real file system as it is
    unsigned m_nRefused = 0;
    StreamSizes m_sizes;
    std::thread::id m_owner = std::this_thread::get_id();
    bool m_bFlushMisses = false;
    std::size_t m_nReadPiece = 0;                // > 0: the most a Read gives
    int m_nUnsyncedFiles = 0;                    // committed, data not durable yet
    std::set<std::string> m_setUnsyncedFolders;  // given a name not durable yet

    struct CFaultyFolder : CFolder {
        CFaultyFolder(FolderPtr pInner, CFaultEnv& env, std::string strPath)
            : m_pInner(std::move(pInner)), m_env(env), m_strPath(std::move(strPath)) {}
        bool GetOwnStamp(FileStamp* pStamp) override { return m_pInner->GetOwnStamp(pStamp); }
        bool GetCreationTime(std::int64_t* pSeconds) override {
            return m_pInner->GetCreationTime(pSeconds);
        }
        bool SetOwnTimes(std::int64_t nSeconds, std::uint32_t nNanos) override {
            return m_pInner->SetOwnTimes(nSeconds, nNanos);
        }
        bool List(std::vector<FolderEntry>* pEntries) override {
            const bool bListed = m_pInner->List(pEntries);
            if (bListed && m_env.m_fnAfterList) m_env.m_fnAfterList(m_strPath);
            return bListed;
        }
        FolderPtr OpenFolder(const std::string& strName) override {
            return m_env.Wrap(m_pInner->OpenFolder(strName), m_strPath + "/" + strName);
        }
        std::unique_ptr<CReadableFile> OpenFile(const std::string& strName) override {
            return m_env.Wrap(m_pInner->OpenFile(strName));
        }
        bool GetStamp(const std::string& strName, FileStamp* pStamp) override {
            return m_pInner->GetStamp(strName, pStamp);
        }
        std::unique_ptr<CWritableFile> CreateFileFor(const std::string& strName,
                                                     unsigned nMode) override {
            auto pFile = m_env.ChangeFails(m_env.m_bFailCreate, EACCES)
                             ? nullptr
                             : m_pInner->CreateFileFor(strName, nMode);
            return pFile ? std::make_unique<CFaultyWriter>(std::move(pFile), m_env, m_strPath,
                                                           strName)
                         : nullptr;
        }
        bool DeleteFile(const std::string& strName) override {
            return m_env.NoteDeletion() && m_pInner->DeleteFile(strName);
        }
        bool RemoveFolder(const std::string& strName) override {
            return m_env.NoteDeletion() && m_pInner->RemoveFolder(strName);
        }
        // The new name is not durable until the folder is synced or the
        // volume flushed.
        bool RenameEntry(const std::string& strFrom, const std::string& strTo) override {
            if (m_env.ChangeFails() || !m_pInner->RenameEntry(strFrom, strTo)) return false;
            m_env.m_setUnsyncedFolders.insert(m_strPath);
            return true;
        }
        bool Sync() override {
            if (m_env.ChangeFails(m_env.m_bFailSync) || !m_pInner->Sync()) return false;
            m_env.m_setUnsyncedFolders.erase(m_strPath);
            return true;
        }
        bool VolumeSyncCovers() override {
            return !m_env.m_bFlushMisses && m_pInner->VolumeSyncCovers();
        }

        FolderPtr m_pInner;
        CFaultEnv& m_env;
        std::string m_strPath;
    };

    // Reads with the env's faults, and with the byte at nFlipAt (>= 0) inverted.
    struct CFaultyReader : CReadableFile {
        CFaultyReader(std::unique_ptr<CReadableFile> pInner, CFaultEnv& env, std::int64_t nFlipAt)
            : m_pInner(std::move(pInner)),
              m_env(env),
              m_stamp(m_pInner->OpenStamp()),
              m_nFlipAt(nFlipAt) {
            m_stamp.nSize += m_env.m_nSizeDelta;
        }
        std::int64_t Read(void* pBuffer, std::size_t nCount) override {
            if (m_env.Aside()) ++m_env.m_nReadsAside.n;
            if (m_env.m_nReadPiece > 0) nCount = std::min(nCount, m_env.m_nReadPiece);
            const std::int64_t nPos = m_nAsked;
            m_nAsked += nCount;
            const std::int64_t nLimit = m_env.m_nFailReadAfter;
            if (nLimit >= 0 && m_nAsked > nLimit) return Refuse<std::int64_t>(EIO, -1);
            const std::int64_t n = m_pInner->Read(pBuffer, nCount);
            if (n > 0 && m_nFlipAt >= nPos && m_nFlipAt < nPos + n)
                static_cast<unsigned char*>(pBuffer)[m_nFlipAt - nPos] ^= 0xFF;
            return n;
        }
        std::uint64_t Size() const override { return m_stamp.nSize; }
        const FileStamp& OpenStamp() const override { return m_stamp; }
        bool GetStamp(FileStamp* pStamp) override { return m_pInner->GetStamp(pStamp); }
        bool GetCreationTime(std::int64_t* pSeconds) override {
            return m_pInner->GetCreationTime(pSeconds);
        }

        std::unique_ptr<CReadableFile> m_pInner;
        CFaultEnv& m_env;
        FileStamp m_stamp;
        std::int64_t m_nFlipAt;
        std::int64_t m_nAsked = 0;
    };

    // Every write and sync is a change to the disk, which a stop fails whole.
    struct CFaultyUpdater : CUpdatableFile {
        CFaultyUpdater(std::unique_ptr<CUpdatableFile> pInner, CFaultEnv& env)
            : m_pInner(std::move(pInner)), m_env(env) {}
        std::int64_t ReadAt(void* pBuffer, std::size_t nCount, std::uint64_t nOffset) override {
            return m_pInner->ReadAt(pBuffer, nCount, nOffset);
        }
        bool WriteAt(const void* pData, std::size_t nCount, std::uint64_t nOffset) override {
            if (m_env.ChangeFails()) return false;
            const std::int64_t nTear = m_env.m_nTearUpdateAt;
            if (nTear < 0 || static_cast<std::uint64_t>(nTear) >= nCount)
                return m_pInner->WriteAt(pData, nCount, nOffset);
            m_pInner->WriteAt(pData, static_cast<std::size_t>(nTear), nOffset);
            return Refuse(EIO, false);
        }
        bool Sync() override { return !m_env.ChangeFails(m_env.m_bFailSync) && m_pInner->Sync(); }
        bool GetStamp(FileStamp* pStamp) override { return m_pInner->GetStamp(pStamp); }
        bool SetTimes(std::int64_t nSeconds, std::uint32_t nNanos) override {
            return m_pInner->SetTimes(nSeconds, nNanos);
        }

        std::unique_ptr<CUpdatableFile> m_pInner;
        CFaultEnv& m_env;
    };

    struct CFaultyWriter : CWritableFile {
        CFaultyWriter(std::unique_ptr<CWritableFile> pInner, CFaultEnv& env, std::string strFolder,
                      const std::string& strName)
            : m_pInner(std::move(pInner)),
              m_env(env),
              m_strFolder(std::move(strFolder)),
              m_strTarget(m_strFolder + "/" + strName) {}
        bool Append(const void* pData, std::size_t nCount) override {
            if (m_nWritten == 0 && m_env.m_fnDuringCopy) m_env.m_fnDuringCopy(m_strTarget);
            if (m_env.Aside()) ++m_env.m_nAppendsAside.n;
            m_bSynced = false;
            m_nWritten += nCount;
            const std::int64_t nLimit = m_env.m_nFailWriteAfter;
            return !m_env.ChangeFails(nLimit >= 0 && m_nWritten > nLimit, ENOSPC) &&
                   m_pInner->Append(pData, nCount);
        }
        bool Sync() override {
            ++m_env.m_nFileSyncs;
            m_bSynced = !m_env.ChangeFails(m_env.m_bFailSync) && m_pInner->Sync();
            return m_bSynced;
        }
        bool TakeAccessOf(const FileStamp& replaced) override {
            return m_pInner->TakeAccessOf(replaced);
        }
        bool SetTimes(std::int64_t nSeconds, std::uint32_t nNanos) override {
            return m_pInner->SetTimes(nSeconds, nNanos);
        }
        // What is read back passes through the env's faults, and may come
        // back with a byte changed as if the disk had not kept it.
        std::unique_ptr<CReadableFile> ReadBack() override {
            return m_env.Wrap(m_pInner->ReadBack(), m_env.m_nFlipReadBackAt);
        }
        CommitResult Commit(bool bReplace) override {
            if (m_env.ChangeFails(m_env.m_bFailCommit)) return CommitResult::COMMIT_FAILED;
            const CommitResult result = m_pInner->Commit(bReplace);
            if (result == CommitResult::COMMIT_DONE) {
                m_env.m_nUnsyncedFiles += m_bSynced ? 0 : 1;
                m_env.m_setUnsyncedFolders.insert(m_strFolder);
            }
            return result;
        }

        std::unique_ptr<CWritableFile> m_pInner;
        CFaultEnv& m_env;
        std::string m_strFolder;
        std::string m_strTarget;
        std::int64_t m_nWritten = 0;
        bool m_bSynced = false;
    };
};

}  // namespace quovex::test
