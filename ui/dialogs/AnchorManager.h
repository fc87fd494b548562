// Keeps the controls of one resizable dialog in place as the dialog grows:
// each registered control follows a share of the growth of the client area
// that holds it (AnchorGeometry.h), and a size grip sits in the client
// area's lower right corner. Interface thread.
#pragma once

#include <QPointer>
#include <QSize>
#include <QWidget>
#include <vector>

#include "AnchorGeometry.h"

class QSizeGrip;

namespace quovex {

class CAnchorManager {
public:
    CAnchorManager() = default;
    CAnchorManager(const CAnchorManager&) = delete;
    CAnchorManager& operator=(const CAnchorManager&) = delete;

    // Set-up: records pClient's size as the initial client size and
    // pWindow's size as the initial window size, and (with m_bShowGrip)
    // puts a size grip in pClient's lower right corner. Until then the
    // manager registers and moves nothing.
    void Setup(QWidget* pWindow, QWidget* pClient);
    bool IsSetUp() const { return m_initialClient.nWidth >= 0; }

    // Registers pControl, a child of the client area, with one anchor mode
    // per axis and places it at once for the current growth. Registers
    // nothing and returns false when the manager is not set up, pControl is
    // null or both modes are ANCHOR_FIXED.
    bool AddAnchor(QWidget* pControl, int nHorzMode, int nVertMode);

    // Places every registered control for a client area of clientSize.
    // Controls that have been destroyed are passed over.
    void Relayout(QSize clientSize);

    // Forgets every registered control.
    void RemoveAll() { m_entries.clear(); }

    // Size limits of the window; the initial window size until set up.
    SizeLimits Limits() const { return WindowSizeLimits(m_initialWindow, m_nSizingFlags); }
    AnchorSize InitialWindowSize() const { return m_initialWindow; }
    AnchorSize InitialClientSize() const { return m_initialClient; }
    // The grip, or nullptr when there is none (yet).
    QSizeGrip* SizeGrip() const;

    unsigned m_nSizingFlags = SIZING_BOTH;
    bool m_bShowGrip = true;

private:
    struct AnchorEntry {
        QPointer<QWidget> pControl;
        AnchorPercents percents;
        AnchorRect rcInitial;
    };
    static void Place(const AnchorEntry& entry, AnchorSize growth);

    std::vector<AnchorEntry> m_entries;
    QPointer<QWidget> m_pClient;
    QPointer<QSizeGrip> m_pGrip;
    AnchorSize m_initialClient{-1, -1};
    AnchorSize m_initialWindow{-1, -1};
};

}  // namespace quovex
