// The pictures of the program, compiled in through quovex.qrc.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace quovex {

constexpr int RES_ICON_APP = 128;
constexpr int RES_BMP_BOXES = 135;
constexpr int RES_BOX_PICTURE_SIZE = 80;  // the strip holds pictures of 80 x 80

// Icon 128 of the program.
QIcon LoadAppIcon();
// Bitmap 135: the 640 x 80 strip of eight box pictures, white as background.
QPixmap LoadBoxStrip();

}  // namespace quovex
