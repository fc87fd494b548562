#include "VaultConversion.h"

#include <sodium.h>

#include <array>
#include <cerrno>
#include <ctime>
#include <memory>

#include "Boxes.h"
#include "FileStore.h"
#include "FolderWalk.h"
#include "PathText.h"
#include "ProtectedFormat.h"
#include "VaultEnv.h"
#include "VaultFeedback.h"
#include "VaultKey.h"

namespace quovex {

namespace {

// The mode a converted file records when the scrambled one knew none: what
// stored files are made with.
constexpr std::uint32_t CONVERT_DEFAULT_MODE = 0600;

using PlainDigest = std::array<unsigned char, crypto_generichash_BYTES>;

// Hashes the plain bytes written into it and hands them on to pNext (null:
// nowhere), so that the content written and the content read back can be
// compared without holding either. Only Append is of use; it is never
// committed.
class CDigestSink final : public CWritableFile {
public:
    explicit CDigestSink(CWritableFile* pNext) : m_pNext(pNext) {
        crypto_generichash_init(&m_state, nullptr, 0, crypto_generichash_BYTES);
    }

    bool Append(const void* pData, std::size_t nCount) override {
        crypto_generichash_update(&m_state, static_cast<const unsigned char*>(pData), nCount);
        return !m_pNext || m_pNext->Append(pData, nCount);
    }
    bool Sync() override { return true; }
    bool TakeAccessOf(const FileStamp&) override { return true; }
    CommitResult Commit(bool) override { return CommitResult::COMMIT_FAILED; }

    PlainDigest Final() {
        PlainDigest digest;
        crypto_generichash_final(&m_state, digest.data(), digest.size());
        return digest;
    }

private:
    CWritableFile* m_pNext;
    crypto_generichash_state m_state;
};

// One conversion run: the walk over the box folders and each file's
// rewrite. Lives on the worker's thread for the run.
class CVaultConverter {
public:
    CVaultConverter(CVaultFeedback& feedback, ConvertJob& job)
        : m_feedback(feedback),
          m_job(job),
          m_files(*job.pKey, job.pEnv),
          m_pEnv(m_files.Env()),
          m_run{&feedback, 0, 0, &job.report} {}

    RunOutcome Run();

private:
    bool Cancelled();
    void ConvertFolder(const FolderPtr& pFolder, const std::string& strPath);
    void ConvertEntry(CFolder& folder, const std::string& strName, const std::string& strPath);
    FileResult Rewrite(CFolder& folder, const std::string& strName, const std::string& strPath,
                       CStoredReader& reader, const FileStamp& read);
    FileResult WriteProtected(CStoredReader& reader, CWritableFile& target,
                              const std::string& strPlace, PlainDigest* pDigest);
    FileResult Verify(CWritableFile& target, const StoredHead& head, const PlainDigest& digest);
    void Note(const FileResult& result, const std::string& strPath);
    void NoteFailed(const std::string& strPath, const FailCause& cause) {
        m_job.report.vFailed.push_back({strPath, cause});
    }

    CVaultFeedback& m_feedback;
    ConvertJob& m_job;
    CFileStore m_files;
    CVaultEnv* m_pEnv;
    RunContext m_run;
    bool m_bCancelled = false;
};

bool CVaultConverter::Cancelled() {
    if (!m_bCancelled && m_feedback.IsCancelled()) m_bCancelled = true;
    return m_bCancelled;
}

RunOutcome CVaultConverter::Run() {
    const CVaultKey& key = *m_job.pKey;
    if (!key.IsProtected() || !key.CanScramble()) {
        NoteFailed(m_job.strVaultPath, FailCause{FailReason::FAIL_NEEDS_KEY});
        return RunOutcome::RUN_STOPPED;
    }
    const FolderPtr pVault = m_pEnv->OpenFolder(m_job.strVaultPath);
    if (!pVault) {
        NoteFailed(m_job.strVaultPath, CauseOfLastError());
        return RunOutcome::RUN_STOPPED;
    }
    for (int nBox = 0; nBox < BOX_COUNT; ++nBox)
        m_run.nTotal += GetStoredTotalSize(BoxFolderPath(m_job.strVaultPath, nBox), m_pEnv);
    for (int nBox = 0; nBox < BOX_COUNT && !Cancelled(); ++nBox) {
        const std::string strBox = BoxFolderPath(m_job.strVaultPath, nBox);
        // Through the open location, so that a box swapped for a link is not followed.
        const FolderPtr pBox = pVault->OpenFolder(BOX_TABLE[nBox].pszFolder);
        if (!pBox) {
            FileStamp there;
            pVault->GetStamp(BOX_TABLE[nBox].pszFolder, &there);
            if (there.kind != EntryKind::ENTRY_NONE)
                NoteFailed(strBox, FailCause{FailReason::FAIL_NOT_PLAIN_FILE});
            continue;
        }
        const std::uint64_t nBefore = m_job.report.nFilesDone;
        ConvertFolder(pBox, strBox);
        if (m_job.report.nFilesDone != nBefore) m_feedback.ShowBoxContents(strBox);
    }
    // Each new file was synced before it took its place; on a local disk
    // one flush makes the renames durable too. A crash before it leaves
    // the old scrambled files, which are sound.
    if (m_job.report.nFilesDone > 0) m_pEnv->SyncVolume(m_job.strVaultPath);
    m_job.report.bCancelled = m_bCancelled;
    return m_bCancelled ? RunOutcome::RUN_CANCELLED : RunOutcome::RUN_FINISHED;
}

void CVaultConverter::ConvertFolder(const FolderPtr& pFolder, const std::string& strPath) {
    FailCause failure;
    const bool bListed = WalkFolder(
        pFolder, strPath,
        [&](const WalkEntry& entry) {
            if (Cancelled()) return false;
            if (entry.kind == EntryKind::ENTRY_FOLDER) {
                const FolderPtr pSub = entry.pFolder->OpenFolder(entry.strName);
                if (pSub) {
                    ConvertFolder(pSub, entry.strPath);
                } else {
                    NoteFailed(entry.strPath, CauseOfLastError());
                }
            } else if (entry.kind == EntryKind::ENTRY_FILE) {
                ConvertEntry(*entry.pFolder, entry.strName, entry.strPath);
            }
            return true;
        },
        &failure);
    if (!bListed) NoteFailed(strPath, failure);
}

void CVaultConverter::ConvertEntry(CFolder& folder, const std::string& strName,
                                   const std::string& strPath) {
    std::unique_ptr<CStoredReader> pReader;
    FileStamp read;
    const FileResult opened = m_files.OpenStoredAt(folder, strName, &pReader, &read);
    if (opened.nOutcome != FileOutcome::FILE_DONE) {
        Note(opened, strPath);
        return;
    }
    const StoredHead& head = pReader->Head();
    if (head.nKind == StoredKind::STORED_PROTECTED) {
        ++m_job.nAlreadyProtected;
        return;
    }
    // Such a file reads as noise with this key: rewritten, it could never be
    // read again. It stays as it is, for the credentials it was stored with.
    if (!head.bKeyMatches) {
        NoteFailed(strPath, FailCause{FailReason::FAIL_DAMAGED});
        return;
    }
    if (head.bTextUnreadable) {
        NoteFailed(strPath, FailCause{FailReason::FAIL_PATH_NOT_STORABLE});
        return;
    }
    m_feedback.SetStatusText(strPath);
    CWaitCursorGuard cursor(&m_feedback);
    const std::uint64_t nStart = m_run.nDone;
    const FileResult result = Rewrite(folder, strName, strPath, *pReader, read);
    // Progress goes by plain bytes; the reader counted whole blocks.
    m_run.nDone = nStart + head.nPlainSize;
    Note(result, strPath);
}

// The protected file is written beside the scrambled one, made durable,
// read back and compared, and only then takes its place, provided the
// scrambled file is still the one that was read.
FileResult CVaultConverter::Rewrite(CFolder& folder, const std::string& strName,
                                    const std::string& strPath, CStoredReader& reader,
                                    const FileStamp& read) {
    const auto pTarget = folder.CreateFileFor(strName, CONVERT_DEFAULT_MODE);
    if (!pTarget) return CauseOfLastError();
    PlainDigest digest;
    const FileResult written = WriteProtected(reader, *pTarget, StoredPlaceOf(strPath), &digest);
    if (written.nOutcome != FileOutcome::FILE_DONE) return written;
    pTarget->SetTimes(PROTECTED_STORED_FILE_TIME, 0);  // refused: only the time shows
    // The new file keeps what the old one had of mode, owner and group;
    // given before the sync, so that one sync makes all of it durable.
    if (!pTarget->TakeAccessOf(read) || !pTarget->Sync()) return CauseOfLastError();
    const FileResult checked = Verify(*pTarget, reader.Head(), digest);
    if (checked.nOutcome != FileOutcome::FILE_DONE) return checked;
    FileStamp now;
    folder.GetStamp(strName, &now);
    if (!now.SameContent(read)) return FileOutcome::FILE_CHANGED;
    if (pTarget->Commit(true) != CommitResult::COMMIT_DONE) return CauseOfLastError();
    // Where a flush of the volume does not reach, the new name is made durable now.
    if (!folder.VolumeSyncCovers() && !folder.Sync()) return CauseOfLastError();
    return FileOutcome::FILE_DONE;
}

FileResult CVaultConverter::WriteProtected(CStoredReader& reader, CWritableFile& target,
                                           const std::string& strPlace, PlainDigest* pDigest) {
    const StoredHead& head = reader.Head();
    ProtectedMetadata metadata;
    metadata.nPlainSize = head.nPlainSize;
    const std::int64_t nStoredTime = reader.StoredTime();
    metadata.nStoredTime =
        nStoredTime != 0 ? nStoredTime : static_cast<std::int64_t>(std::time(nullptr));
    metadata.nMode = head.nMode != 0 ? head.nMode : CONVERT_DEFAULT_MODE;
    metadata.strSourcePath = head.strRecordedPath;
    metadata.strSummary = head.strSummary;
    metadata.strPlace = strPlace;
    CProtectedWriter writer(m_files.Protected(), target);
    const FileResult begun = writer.Begin(metadata);
    if (begun.nOutcome != FileOutcome::FILE_DONE) return begun;
    CDigestSink sink(&writer);
    const FileResult plain = reader.WritePlain(sink, m_run);
    if (plain.nOutcome != FileOutcome::FILE_DONE) return plain;
    const FileResult finished = writer.Finish();
    if (finished.nOutcome != FileOutcome::FILE_DONE) return finished;
    *pDigest = sink.Final();
    return FileOutcome::FILE_DONE;
}

// What was written must open with the vault's key, carry the same
// metadata and give back the same plain content. A file that does not is
// an error of the disk or the file system on the way, not a damaged source.
FileResult CVaultConverter::Verify(CWritableFile& target, const StoredHead& head,
                                   const PlainDigest& digest) {
    const FailCause mismatch{FailReason::FAIL_IO, EIO};
    auto pBack = target.ReadBack();
    if (!pBack) return CauseOfLastError();
    std::unique_ptr<CStoredReader> pCheck;
    const FileResult opened = m_files.Protected().OpenStored(std::move(pBack), &pCheck);
    if (opened.cause.nReason == FailReason::FAIL_DAMAGED) return mismatch;
    if (opened.nOutcome != FileOutcome::FILE_DONE) return opened;
    const StoredHead& back = pCheck->Head();
    if (back.nKind != StoredKind::STORED_PROTECTED || back.nPlainSize != head.nPlainSize ||
        back.strRecordedPath != head.strRecordedPath || back.strSummary != head.strSummary)
        return mismatch;
    // Not counted in the progress: the run's position goes by plain bytes converted.
    RunContext check{&m_feedback, 0, 0, nullptr};
    CDigestSink sink(nullptr);
    const FileResult plain = pCheck->WritePlain(sink, check);
    if (plain.cause.nReason == FailReason::FAIL_DAMAGED) return mismatch;
    if (plain.nOutcome != FileOutcome::FILE_DONE) return plain;
    const PlainDigest backDigest = sink.Final();
    if (sodium_memcmp(backDigest.data(), digest.data(), digest.size()) != 0) return mismatch;
    return FileOutcome::FILE_DONE;
}

void CVaultConverter::Note(const FileResult& result, const std::string& strPath) {
    switch (result.nOutcome) {
        case FileOutcome::FILE_DONE:
            ++m_job.report.nFilesDone;
            break;
        case FileOutcome::FILE_CHANGED:
            m_job.report.vPassedOver.push_back({strPath, PassReason::PASS_SOURCE_CHANGED});
            break;
        case FileOutcome::FILE_CANCELLED:
            m_bCancelled = true;
            NoteFailed(strPath, result.cause);
            break;
        default:
            NoteFailed(strPath, result.cause);
            break;
    }
}

}  // namespace

// Runs on a thread of its own: nothing may escape it. Running out of
// memory is the only way in; what was converted by then stays converted.
RunOutcome ConvertWorker(CVaultFeedback& feedback, ConvertJob& job) {
    try {
        CVaultConverter converter(feedback, job);
        return converter.Run();
    } catch (...) {
        job.report.vFailed.push_back({job.strVaultPath, CauseOfErrno(ENOMEM)});
        return RunOutcome::RUN_STOPPED;
    }
}

}  // namespace quovex
