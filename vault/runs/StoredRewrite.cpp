#include "StoredRewrite.h"

#include <sodium.h>

#include <array>
#include <cerrno>
#include <ctime>
#include <memory>

#include "FileStore.h"
#include "ProtectedFormat.h"
#include "RunContext.h"

namespace quovex {

namespace {

// The mode a rewritten file records when the old one knew none: what
// stored files are made with.
constexpr std::uint32_t REWRITE_DEFAULT_MODE = 0600;

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

// The record of the new file: what the old one's head says.
ProtectedMetadata MetadataOf(CStoredReader& reader, const std::string& strPlace) {
    const StoredHead& head = reader.Head();
    ProtectedMetadata metadata;
    metadata.nPlainSize = head.nPlainSize;
    const std::int64_t nStoredTime = reader.StoredTime();
    metadata.nStoredTime =
        nStoredTime != 0 ? nStoredTime : static_cast<std::int64_t>(std::time(nullptr));
    metadata.nMode = head.nMode != 0 ? head.nMode : REWRITE_DEFAULT_MODE;
    metadata.strSourcePath = head.strRecordedPath;
    metadata.strSummary = head.strSummary;
    metadata.strPlace = strPlace;
    if (head.bSourceTime) {
        metadata.nSourceTime = head.nSourceTime;
        metadata.nSourceNanos = head.nSourceNanos;
    }
    return metadata;
}

FileResult WriteProtected(const CFileStore& files, CStoredReader& reader, CWritableFile& target,
                          const std::string& strPlace, RunContext& run, PlainDigest* pDigest) {
    CProtectedWriter writer(files.Protected(), target);
    const FileResult begun = writer.Begin(MetadataOf(reader, strPlace));
    if (begun.nOutcome != FileOutcome::FILE_DONE) return begun;
    CDigestSink sink(&writer);
    const FileResult plain = reader.WritePlain(sink, run);
    if (plain.nOutcome != FileOutcome::FILE_DONE) return plain;
    const FileResult finished = writer.Finish();
    if (finished.nOutcome != FileOutcome::FILE_DONE) return finished;
    *pDigest = sink.Final();
    return FileOutcome::FILE_DONE;
}

// What was written must open with the vault's key, carry the same
// metadata and give back the same plain content. A file that does not is
// an error of the disk or the file system on the way, not a damaged source.
FileResult Verify(const CFileStore& files, CWritableFile& target, const StoredHead& head,
                  const std::string& strPlace, const PlainDigest& digest, RunContext& run) {
    const FailCause mismatch{FailReason::FAIL_IO, EIO};
    auto pBack = target.ReadBack();
    if (!pBack) return CauseOfLastError();
    std::unique_ptr<CStoredReader> pCheck;
    const FileResult opened = files.Protected().OpenStored(std::move(pBack), &pCheck);
    if (opened.cause.nReason == FailReason::FAIL_DAMAGED) return mismatch;
    if (opened.nOutcome != FileOutcome::FILE_DONE) return opened;
    const StoredHead& back = pCheck->Head();
    if (back.nKind != StoredKind::STORED_PROTECTED || back.nPlainSize != head.nPlainSize ||
        back.strRecordedPath != head.strRecordedPath || back.strSummary != head.strSummary ||
        back.strPlace != strPlace)
        return mismatch;
    // Not counted in the progress: the run's position goes by plain bytes rewritten.
    RunContext check{run.pFeedback, 0, 0, nullptr};
    CDigestSink sink(nullptr);
    const FileResult plain = pCheck->WritePlain(sink, check);
    if (plain.cause.nReason == FailReason::FAIL_DAMAGED) return mismatch;
    if (plain.nOutcome != FileOutcome::FILE_DONE) return plain;
    const PlainDigest backDigest = sink.Final();
    if (sodium_memcmp(backDigest.data(), digest.data(), digest.size()) != 0) return mismatch;
    return FileOutcome::FILE_DONE;
}

}  // namespace

// The new file is written beside the old one, made durable, read back and
// compared, and only then takes its place, provided the old file is still
// the one that was read.
FileResult RewriteStoredFile(const CFileStore& files, CFolder& folder, const std::string& strName,
                             CStoredReader& reader, const FileStamp& read,
                             const std::string& strPlace, RunContext& run) {
    const auto pTarget = folder.CreateFileFor(strName, REWRITE_DEFAULT_MODE);
    if (!pTarget) return CauseOfLastError();
    PlainDigest digest;
    const FileResult written = WriteProtected(files, reader, *pTarget, strPlace, run, &digest);
    if (written.nOutcome != FileOutcome::FILE_DONE) return written;
    pTarget->SetTimes(PROTECTED_STORED_FILE_TIME, 0);  // refused: only the time shows
    // The new file keeps what the old one had of mode, owner and group;
    // given before the sync, so that one sync makes all of it durable.
    if (!pTarget->TakeAccessOf(read) || !pTarget->Sync()) return CauseOfLastError();
    const FileResult checked = Verify(files, *pTarget, reader.Head(), strPlace, digest, run);
    if (checked.nOutcome != FileOutcome::FILE_DONE) return checked;
    FileStamp now;
    folder.GetStamp(strName, &now);
    if (!now.SameContent(read)) return FileOutcome::FILE_CHANGED;
    if (pTarget->Commit(true) != CommitResult::COMMIT_DONE) return CauseOfLastError();
    // Where a flush of the volume does not reach, the new name is made durable now.
    if (!folder.VolumeSyncCovers() && !folder.Sync()) return CauseOfLastError();
    return FileOutcome::FILE_DONE;
}

void NoteRewriteResult(const FileResult& result, const std::string& strPath,
                       TransferReport* pReport, bool* pbCancelled) {
    switch (result.nOutcome) {
        case FileOutcome::FILE_DONE:
            ++pReport->nFilesDone;
            break;
        case FileOutcome::FILE_CHANGED:
            pReport->vPassedOver.push_back({strPath, PassReason::PASS_SOURCE_CHANGED});
            break;
        case FileOutcome::FILE_CANCELLED:
            *pbCancelled = true;
            pReport->vFailed.push_back({strPath, result.cause});
            break;
        default:
            pReport->vFailed.push_back({strPath, result.cause});
            break;
    }
}

}  // namespace quovex
