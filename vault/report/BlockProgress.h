// The progress position of a run, offered after each block of a file. A
// position is sent only when it changes: a large file would otherwise send
// every percentage thousands of times, and the next change is found
// without a division per block. One run's thread.
#pragma once

#include <algorithm>
#include <cstdint>

#include "VaultFeedback.h"

namespace quovex {

class CBlockProgress {
public:
    CBlockProgress(CVaultFeedback* pFeedback, std::uint64_t nTotal)
        : m_pFeedback(pFeedback), m_nTotal(nTotal) {}

    // False when the user cancelled.
    bool AfterBlock(std::uint64_t nDone) {
        if (!m_pFeedback) return true;
        if (m_pFeedback->IsCancelled()) return false;
        if (m_nTotal != 0 && nDone >= m_nNextChange) Send(nDone);
        return true;
    }

private:
    void Send(std::uint64_t nDone) {
        const int nPos = static_cast<int>(std::min<std::uint64_t>(100, nDone * 100 / m_nTotal));
        if (nPos != m_nLastPos) m_pFeedback->SetProgressPos(nPos);
        m_nLastPos = nPos;
        // The smallest done count whose position is higher.
        m_nNextChange = nPos >= 100
                            ? UINT64_MAX
                            : ((static_cast<std::uint64_t>(nPos) + 1) * m_nTotal + 99) / 100;
    }

    CVaultFeedback* m_pFeedback;
    std::uint64_t m_nTotal;
    std::uint64_t m_nNextChange = 0;
    int m_nLastPos = -1;
};

}  // namespace quovex
