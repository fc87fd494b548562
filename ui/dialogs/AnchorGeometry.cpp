#include "AnchorGeometry.h"

#include <algorithm>

namespace quovex {

namespace {

struct EdgePair {
    std::uint8_t nNear;
    std::uint8_t nFar;
};

EdgePair EdgesFor(int nMode) {
    switch (nMode) {
        case ANCHOR_STRETCH:
            return {0, 100};
        case ANCHOR_MOVE:
            return {100, 100};
        case ANCHOR_HALF:
            return {50, 50};
        default:
            return {0, 0};
    }
}

int Share(int nGrowth, std::uint8_t nPercent) {
    return nGrowth * nPercent / 100;
}

// One axis of the enlargement: [nNear, nFar) grown by e on both sides, then
// shifted so that the near edge is not below nLimit.
void Enlarge(int& nNear, int& nFar, int nGrowthPercent, int nLimit) {
    const int e = (nFar - nNear) * nGrowthPercent / 50;
    nNear -= e;
    nFar += e;
    if (nNear < nLimit) {
        nFar += nLimit - nNear;
        nNear = nLimit;
    }
}

}  // namespace

AnchorPercents AnchorPercentsFor(int nHorzMode, int nVertMode) {
    const EdgePair horz = EdgesFor(nHorzMode);
    const EdgePair vert = EdgesFor(nVertMode);
    return {horz.nNear, horz.nFar, vert.nNear, vert.nFar};
}

AnchorSize ClientGrowth(AnchorSize initialClient, AnchorSize currentClient) {
    return {std::max(0, currentClient.nWidth - initialClient.nWidth),
            std::max(0, currentClient.nHeight - initialClient.nHeight)};
}

AnchorRect PlaceAnchored(const AnchorRect& rcInitial, const AnchorPercents& percents,
                         AnchorSize growth) {
    return {rcInitial.nLeft + Share(growth.nWidth, percents.nLeft),
            rcInitial.nTop + Share(growth.nHeight, percents.nTop),
            rcInitial.nRight + Share(growth.nWidth, percents.nRight),
            rcInitial.nBottom + Share(growth.nHeight, percents.nBottom)};
}

AnchorRect EnlargedWindowRect(const AnchorRect& rcNormal, int nGrowthPercent, unsigned nSizingFlags,
                              const AnchorRect& rcScreen) {
    AnchorRect rc = rcNormal;
    if (nGrowthPercent == 0) return rc;
    if (nSizingFlags & SIZING_HORZ) Enlarge(rc.nLeft, rc.nRight, nGrowthPercent, rcScreen.nLeft);
    if (nSizingFlags & SIZING_VERT) Enlarge(rc.nTop, rc.nBottom, nGrowthPercent, rcScreen.nTop);
    return rc;
}

SizeLimits WindowSizeLimits(AnchorSize initialWindow, unsigned nSizingFlags) {
    return {initialWindow,
            {nSizingFlags & SIZING_HORZ ? SIZING_UNLIMITED : initialWindow.nWidth,
             nSizingFlags & SIZING_VERT ? SIZING_UNLIMITED : initialWindow.nHeight}};
}

}  // namespace quovex
