// CVaultFeedback for a terminal: progress on standard error when it is a
// terminal, overwrite questions answered by a fixed choice, messages on
// standard error. Used on the one thread that runs the core operation.
#pragma once

#include <functional>
#include <string>

#include "VaultFeedback.h"

namespace quovex {

struct TransferReport;

// How a path the core reports is shown to the user (CToolNames::Shown).
using PathShower = std::function<std::string(const std::string& strPath)>;

class CTerminalFeedback : public CVaultFeedback {
public:
    // bOverwrite is the answer to every overwrite question.
    explicit CTerminalFeedback(bool bOverwrite);

    void SetStatusText(const std::string& strText) override;
    void SetProgressPos(int nPos) override;
    // True once SIGINT arrived (after CatchInterrupt).
    bool IsCancelled() override;
    // Prints the question and the fixed answer; returns the answer.
    bool AskYesNo(FeedbackQuestion nQuestion, const std::string& strPath) override;
    void ShowMessage(FeedbackMessage nMessage, const std::string& strPath,
                     const VolumeRoom& room) override;
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    void ShowBoxContents(const std::string&) override {}

    // From now on every path in a question, a message or the progress line
    // is shown through fnShown (as it is until then).
    void ShowPathsBy(PathShower fnShown) { m_fnShown = std::move(fnShown); }

    // Ends the progress line, so that what follows starts on a line of its own.
    void FinishProgress();

    // Makes the first SIGINT a cancel (the current file stops after its
    // current block); a second one ends the process as usual.
    static void CatchInterrupt();

private:
    void DrawProgress();
    void ClearProgress();

    bool m_bOverwrite;
    bool m_bTerminal;
    bool m_bLineShown = false;
    int m_nPos = -1;
    std::string m_strStatus;
    std::string m_strStatusShown;  // as the progress line shows it
    PathShower m_fnShown;
};

// Prints on standard error, below a run's count line, every file of report
// that failed with its reason, then every item passed over with why, then
// every file restored from away from its place; each path as fnShown
// shows it (as it is when null).
void PrintReportItems(const TransferReport& report, const PathShower& fnShown = nullptr);

}  // namespace quovex
