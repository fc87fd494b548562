// Draws the box-picture strip (bitmap 135) and the program icon (icon 128)
// into the folder given as the only argument. The icon comes in every size
// the program and the desktop use: 16 and 32 pixels for the window (the
// resource file), and all five for the desktop's icon theme, so the menu
// entry and the window show the same drawing. What the resource file uses
// is drawn by hand and committed under res/images; the icon theme's sizes
// are drawn by every build (res/CMakeLists.txt), since the antialiasing
// differs slightly with the processor.
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>

namespace {

// A strongbox filling rcBox: body, door, dial and handle, in one hue.
void DrawSafe(QPainter& painter, const QRectF& rcBox, const QColor& body) {
    const qreal s = rcBox.width() / 80.0;
    auto rc = [&](qreal x, qreal y, qreal w, qreal h) {
        return QRectF(rcBox.left() + x * s, rcBox.top() + y * s, w * s, h * s);
    };
    painter.setPen(QPen(body.darker(220), 2 * s));
    painter.setBrush(body.darker(160));
    painter.drawRect(rc(14, 66, 10, 6));
    painter.drawRect(rc(56, 66, 10, 6));
    painter.setBrush(body);
    painter.drawRoundedRect(rc(8, 8, 64, 60), 6 * s, 6 * s);
    painter.setBrush(body.lighter(125));
    painter.drawRoundedRect(rc(15, 15, 50, 46), 3 * s, 3 * s);
    painter.setBrush(QColor(235, 235, 225));
    painter.drawEllipse(rc(28, 26, 24, 24));
    painter.setPen(QPen(body.darker(220), 3 * s, Qt::SolidLine, Qt::RoundCap));
    const QPointF centre = rc(28, 26, 24, 24).center();
    painter.drawLine(centre, centre + QPointF(0, -9 * s));
    painter.drawLine(centre, centre + QPointF(7 * s, 5 * s));
    painter.setBrush(body.darker(200));
    painter.drawRect(rc(58, 30, 3, 16));
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QString strFolder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    const QColor hues[8] = {QColor(70, 110, 170), QColor(200, 160, 40), QColor(60, 140, 80),
                            QColor(170, 60, 60),  QColor(120, 80, 160), QColor(120, 120, 120),
                            QColor(40, 140, 150), QColor(210, 110, 40)};

    QImage strip(640, 80, QImage::Format_RGB32);
    strip.fill(Qt::white);
    {
        QPainter painter(&strip);
        painter.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < 8; ++i) DrawSafe(painter, QRectF(i * 80, 0, 80, 80), hues[i]);
    }
    bool bOk = strip.save(strFolder + QStringLiteral("/bitmap135.png"));

    for (int nSize : {256, 128, 48, 32, 16}) {
        QImage icon(nSize, nSize, QImage::Format_ARGB32);
        icon.fill(Qt::transparent);
        QPainter painter(&icon);
        painter.setRenderHint(QPainter::Antialiasing);
        DrawSafe(painter, QRectF(-nSize / 16.0, -nSize / 32.0, nSize * 1.125, nSize * 1.125),
                 hues[1]);
        painter.end();
        bOk &= icon.save(strFolder + QStringLiteral("/icon128_%1.png").arg(nSize));
    }
    return bOk ? 0 : 1;
}
