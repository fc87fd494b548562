// Whether a window left at some place may open there again: the screens
// may have changed since (a monitor unplugged, another resolution).
// Interface thread.
#pragma once

#include <QList>
#include <QRect>

namespace quovex {

// True when one of vAreas holds at least half of rcWindow's width and half
// of its height, enough to see the window and take hold of it.
bool FitsOnScreens(const QRect& rcWindow, const QList<QRect>& vAreas);

// The same over the available areas (QScreen::availableGeometry) of the
// screens there are now.
bool FitsOnAScreen(const QRect& rcWindow);

}  // namespace quovex
