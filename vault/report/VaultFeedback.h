// The one way the storage core reaches the user. The core shows nothing
// itself: it reports progress, asks its questions and shows its messages
// through this interface, which the progress dialog implements and tests
// fake. Every member is called on the thread that runs the core operation
// (the worker thread under the progress dialog).
#pragma once

#include <cstdint>
#include <string>

namespace quovex {

// What the core asks and tells, as codes: each face words them itself.
enum class FeedbackQuestion {
    QUESTION_STORED_EXISTS,  // the stored file is in the vault already: replace it?
    QUESTION_TARGET_EXISTS,  // a file lies where the restore writes: replace it?
};
enum class FeedbackMessage {
    MESSAGE_NO_DISK_SPACE,  // the volume lacks room for the run; nothing was done
};

// The amounts a message about room on a volume tells: the bytes the run
// needs free there (what it writes and the margin kept free beyond it,
// TRANSFER_FREE_SPACE_MARGIN) and the bytes the volume has free.
struct VolumeRoom {
    std::uint64_t nNeeded = 0;
    std::uint64_t nFree = 0;

    bool operator==(const VolumeRoom&) const = default;
};

class CVaultFeedback {
public:
    virtual ~CVaultFeedback() = default;

    // The file being worked on (a UTF-8 path).
    virtual void SetStatusText(const std::string& strText) = 0;
    // Position 0..100 of the whole run; offered after every block, so an
    // implementation passes it on only when it changes.
    virtual void SetProgressPos(int nPos) = 0;
    // True once the user asked to stop; read after every block.
    virtual bool IsCancelled() = 0;
    // A Yes/No question about the file at strPath; true for Yes. Blocks
    // until answered.
    virtual bool AskYesNo(FeedbackQuestion nQuestion, const std::string& strPath) = 0;
    // An OK-only message about strPath (for lack of space: the folder whose
    // volume was asked, and room what it needs and has). Blocks until
    // dismissed.
    virtual void ShowMessage(FeedbackMessage nMessage, const std::string& strPath,
                             const VolumeRoom& room) = 0;
    // Shown around the copying of one file; always paired.
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
    // The box at strBoxPath changed: show it afresh.
    virtual void ShowBoxContents(const std::string& strBoxPath) = 0;
};

// Shows the wait cursor for the lifetime of the guard.
class CWaitCursorGuard {
public:
    explicit CWaitCursorGuard(CVaultFeedback* pFeedback) : m_pFeedback(pFeedback) {
        if (m_pFeedback) m_pFeedback->BeginWaitCursor();
    }
    ~CWaitCursorGuard() {
        if (m_pFeedback) m_pFeedback->EndWaitCursor();
    }
    CWaitCursorGuard(const CWaitCursorGuard&) = delete;
    CWaitCursorGuard& operator=(const CWaitCursorGuard&) = delete;

private:
    CVaultFeedback* m_pFeedback;
};

}  // namespace quovex
