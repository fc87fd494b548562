#include "WindowPlace.h"

#include <QGuiApplication>
#include <QScreen>

namespace quovex {

bool FitsOnScreens(const QRect& rcWindow, const QList<QRect>& vAreas) {
    if (rcWindow.isEmpty()) return false;
    for (const QRect& rcArea : vAreas) {
        const QRect rcSeen = rcWindow.intersected(rcArea);
        if (2 * rcSeen.width() >= rcWindow.width() && 2 * rcSeen.height() >= rcWindow.height())
            return true;
    }
    return false;
}

bool FitsOnAScreen(const QRect& rcWindow) {
    QList<QRect> vAreas;
    for (const QScreen* pScreen : QGuiApplication::screens())
        vAreas << pScreen->availableGeometry();
    return FitsOnScreens(rcWindow, vAreas);
}

}  // namespace quovex
