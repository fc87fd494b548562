#pragma once

#include <string>

#include "VaultFeedback.h"

namespace quovex {

// Forwards everything to a run's feedback and remembers whether a cancel was
// seen, so that a run is reported as cancelled only when the cancel stopped
// work. Subclasses change single answers (AskYesNo) and forward the rest.
// Used on the thread that runs the job, as the feedback it wraps is.
class CCancelWatch : public CVaultFeedback {
public:
    explicit CCancelWatch(CVaultFeedback& inner) : m_inner(inner) {}

    bool SawCancel() const { return m_bSawCancel; }

    void SetStatusText(const std::string& strText) override { m_inner.SetStatusText(strText); }
    void SetProgressPos(int nPos) override { m_inner.SetProgressPos(nPos); }
    bool IsCancelled() override {
        if (m_inner.IsCancelled()) m_bSawCancel = true;
        return m_bSawCancel;
    }
    bool AskYesNo(FeedbackQuestion nQuestion, const std::string& strPath) override {
        return m_inner.AskYesNo(nQuestion, strPath);
    }
    void ShowMessage(FeedbackMessage nMessage, const std::string& strPath,
                     const VolumeRoom& room) override {
        m_inner.ShowMessage(nMessage, strPath, room);
    }
    void BeginWaitCursor() override { m_inner.BeginWaitCursor(); }
    void EndWaitCursor() override { m_inner.EndWaitCursor(); }
    void ShowBoxContents(const std::string& strBoxPath) override {
        m_inner.ShowBoxContents(strBoxPath);
    }

private:
    CVaultFeedback& m_inner;
    bool m_bSawCancel = false;
};

}  // namespace quovex
