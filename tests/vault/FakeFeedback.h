// A scripted CVaultFeedback: answers every question with a fixed Yes or No,
// cancels after a given number of IsCancelled calls, and records everything
// the core told it.
#pragma once

#include <string>
#include <vector>

#include "VaultFeedback.h"

namespace quovex::test {

class CFakeFeedback : public CVaultFeedback {
public:
    // Answer given to every AskYesNo.
    bool m_bAnswerYes = false;
    // When >= 0, IsCancelled turns true on call number m_nCancelAfter + 1 and
    // stays true, i.e. the run is cancelled after block m_nCancelAfter. Calls
    // are counted from the start, or, when m_strCancelTrigger is set, from the
    // first status text that contains it.
    int m_nCancelAfter = -1;
    std::string m_strCancelTrigger;

    std::vector<std::string> m_vStatus;
    std::vector<int> m_vPositions;
    std::vector<std::string> m_vQuestions;
    std::vector<std::string> m_vMessages;
    std::vector<std::string> m_vShownBoxes;
    int m_nCancelChecks = 0;
    int m_nWaitDepth = 0;
    int m_nWaitBegins = 0;
    bool m_bWaitUnbalanced = false;  // an End without a Begin

    void SetStatusText(const std::string& strText) override {
        m_vStatus.push_back(strText);
        if (!m_bTriggered && !m_strCancelTrigger.empty() &&
            strText.find(m_strCancelTrigger) != std::string::npos)
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
        ++m_nWaitDepth;
        ++m_nWaitBegins;
    }
    void EndWaitCursor() override {
        if (--m_nWaitDepth < 0) m_bWaitUnbalanced = true;
    }
    void ShowBoxContents(const std::string& strBoxPath) override {
        m_vShownBoxes.push_back(strBoxPath);
    }

    bool WaitBalanced() const { return m_nWaitDepth == 0 && !m_bWaitUnbalanced; }

private:
    bool m_bTriggered = false;
    int m_nCountedChecks = 0;
};

}  // namespace quovex::test
