#include "TerminalFeedback.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

#include "PathText.h"
#include "ToolTexts.h"

namespace quovex {

namespace {

constexpr int PROGRESS_BAR_WIDTH = 30;
constexpr std::size_t PROGRESS_NAME_MAX_BYTES = 40;

std::atomic<bool> g_bInterrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

void OnInterrupt(int) {
    g_bInterrupted.store(true);
}

// At most nMaxBytes of a UTF-8 text, never cutting a character in two.
std::string CutUtf8(const std::string& strText, std::size_t nMaxBytes) {
    if (strText.size() <= nMaxBytes) return strText;
    std::size_t nEnd = nMaxBytes;
    while (nEnd > 0 && (static_cast<unsigned char>(strText[nEnd]) & 0xC0) == 0x80) --nEnd;
    return strText.substr(0, nEnd) + "...";
}

std::string ShownBy(const PathShower& fnShown, const std::string& strPath) {
    return fnShown ? fnShown(strPath) : strPath;
}

}  // namespace

CTerminalFeedback::CTerminalFeedback(bool bOverwrite)
    : m_bOverwrite(bOverwrite), m_bTerminal(isatty(STDERR_FILENO) == 1) {}

void CTerminalFeedback::CatchInterrupt() {
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

void CTerminalFeedback::SetStatusText(const std::string& strText) {
    if (strText == m_strStatus) return;
    // Only a terminal shows it; names are opened for nothing else.
    m_strStatus = strText;
    m_strStatusShown = m_bTerminal ? ShownBy(m_fnShown, strText) : std::string();
    DrawProgress();
}

void CTerminalFeedback::SetProgressPos(int nPos) {
    if (nPos == m_nPos) return;
    m_nPos = nPos;
    DrawProgress();
}

bool CTerminalFeedback::IsCancelled() {
    return g_bInterrupted.load();
}

bool CTerminalFeedback::AskYesNo(FeedbackQuestion nQuestion, const std::string& strPath) {
    ClearProgress();
    std::fprintf(stderr, "quovex-tool: %s %s\n",
                 QuestionText(nQuestion, ShownBy(m_fnShown, strPath)).c_str(),
                 m_bOverwrite ? "yes (--overwrite yes)" : "no (--overwrite no)");
    return m_bOverwrite;
}

void CTerminalFeedback::ShowMessage(FeedbackMessage nMessage, const std::string& strPath,
                                    const VolumeRoom& room) {
    ClearProgress();
    std::fprintf(stderr, "quovex-tool: %s\n",
                 MessageText(nMessage, ShownBy(m_fnShown, strPath), room).c_str());
}

void CTerminalFeedback::FinishProgress() {
    if (m_bLineShown) std::fputc('\n', stderr);
    m_bLineShown = false;
}

void CTerminalFeedback::DrawProgress() {
    if (!m_bTerminal) return;
    const int nPos = m_nPos < 0 ? 0 : (m_nPos > 100 ? 100 : m_nPos);
    const int nFilled = nPos * PROGRESS_BAR_WIDTH / 100;
    const std::string strBar =
        std::string(nFilled, '#') + std::string(PROGRESS_BAR_WIDTH - nFilled, '.');
    const std::string strName = CutUtf8(LastComponent(m_strStatusShown), PROGRESS_NAME_MAX_BYTES);
    // Carriage return and erase-line redraw the bar in place.
    std::fprintf(stderr, "\r\033[K[%s] %3d%% %s", strBar.c_str(), nPos, strName.c_str());
    std::fflush(stderr);
    m_bLineShown = true;
}

void CTerminalFeedback::ClearProgress() {
    if (!m_bLineShown) return;
    std::fputs("\r\033[K", stderr);
    m_bLineShown = false;
}

void PrintReportItems(const TransferReport& report, const PathShower& fnShown) {
    for (const FailedItem& item : report.vFailed) {
        std::fprintf(stderr, "  %s: %s\n", FailReasonText(item.cause).c_str(),
                     ShownBy(fnShown, item.strPath).c_str());
    }
    for (const PassedOverItem& item : report.vPassedOver) {
        std::fprintf(stderr, "quovex-tool: %s: %s\n", PassReasonText(item.nReason),
                     ShownBy(fnShown, item.strPath).c_str());
    }
    for (const AwayItem& item : report.vAway) {
        std::fprintf(stderr,
                     "quovex-tool: %s lies away from where it was stored (%s): restored under "
                     "the name it was stored with\n",
                     ShownBy(fnShown, item.strPath).c_str(), item.strPlace.c_str());
    }
}

}  // namespace quovex
