// The geometry of resizable dialogs as plain arithmetic: which share of a
// dialog's growth each edge of a control follows, where a control stands
// for a growth, how far a dialog opens enlarged and how small it may get.
// Nothing here touches a widget; CAnchorManager feeds it sizes and applies
// the rectangles it returns.
#pragma once

#include <cstdint>

namespace quovex {

// Anchor modes, one per axis. Near edge is left (top), far edge right
// (bottom). Any other value counts as ANCHOR_FIXED.
enum AnchorMode : int {
    ANCHOR_FIXED = 0,    // keeps place and extent
    ANCHOR_STRETCH = 1,  // near edge stays, far edge follows the growth
    ANCHOR_MOVE = 2,     // both edges follow the growth
    ANCHOR_HALF = 3,     // both edges follow half the growth
};

// The axes along which a dialog may change its size.
enum SizingFlags : unsigned {
    SIZING_HORZ = 1u,
    SIZING_VERT = 2u,
    SIZING_BOTH = SIZING_HORZ | SIZING_VERT,
};

// "No maximum" for a tracking size (the same value as QWIDGETSIZE_MAX).
constexpr int SIZING_UNLIMITED = (1 << 24) - 1;

struct AnchorSize {
    int nWidth = 0;
    int nHeight = 0;
    bool operator==(const AnchorSize&) const = default;
};

// A rectangle with exclusive right and bottom edges: width = right - left.
struct AnchorRect {
    int nLeft = 0;
    int nTop = 0;
    int nRight = 0;
    int nBottom = 0;
    int Width() const { return nRight - nLeft; }
    int Height() const { return nBottom - nTop; }
    bool operator==(const AnchorRect&) const = default;
};

// Share of the growth, 0..100, that each edge of a control follows.
struct AnchorPercents {
    std::uint8_t nLeft = 0;
    std::uint8_t nRight = 0;
    std::uint8_t nTop = 0;
    std::uint8_t nBottom = 0;
    // True when no edge moves: such a control needs no anchor.
    bool IsFixed() const { return !nLeft && !nRight && !nTop && !nBottom; }
    bool operator==(const AnchorPercents&) const = default;
};

// The four edge percentages of a horizontal and a vertical anchor mode.
AnchorPercents AnchorPercentsFor(int nHorzMode, int nVertMode);

// The growth of a client area over its size at set-up; an axis that has
// shrunk counts as no growth.
AnchorSize ClientGrowth(AnchorSize initialClient, AnchorSize currentClient);

// Where a control registered at rcInitial stands for a growth: each edge
// moves by growth x percent / 100, truncated toward zero. Always computed
// from the initial rectangle, so repeated resizes gather no rounding error.
AnchorRect PlaceAnchored(const AnchorRect& rcInitial, const AnchorPercents& percents,
                         AnchorSize growth);

// The window rectangle a dialog opens with: on each axis allowed by
// nSizingFlags both edges move out by extent x nGrowthPercent / 50, so 10
// gives 40 % more extent centred on rcNormal. Where the near edge would
// leave rcScreen at its left (top), the rectangle is shifted back inside
// and keeps the full enlarged extent. nGrowthPercent 0 keeps rcNormal.
AnchorRect EnlargedWindowRect(const AnchorRect& rcNormal, int nGrowthPercent, unsigned nSizingFlags,
                              const AnchorRect& rcScreen);

struct SizeLimits {
    AnchorSize minimum;
    AnchorSize maximum;
};

// The tracking limits of a dialog whose size at set-up (before the
// enlargement) was initialWindow: never smaller than that; an axis not in
// nSizingFlags may not grow either, the others are unlimited.
SizeLimits WindowSizeLimits(AnchorSize initialWindow, unsigned nSizingFlags);

}  // namespace quovex
