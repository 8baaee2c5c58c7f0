#include "viewer/ImageButton.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>

namespace tresslin {

ImageButton::ImageButton(QWidget* parent) : QLabel(parent) {
    setFocusPolicy(Qt::NoFocus);
    setScaledContents(true);
    setFrameShape(QFrame::NoFrame);
}

void ImageButton::setBorder(bool on) {
    setFrameShape(on ? QFrame::Box : QFrame::NoFrame);
    setLineWidth(1);
    repaint();
}

void ImageButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

QPixmap buttonPicture(bool pointsUp, qreal devicePixelRatio) {
    const qreal ratio = devicePixelRatio > 1 ? 2 : 1;
    QPixmap picture(QSize(17, 10) * ratio);
    picture.setDevicePixelRatio(ratio);
    QPainter painter(&picture);
    // A raised 3-D face: dark and light edges, then the face.
    painter.fillRect(0, 0, 17, 10, QColor(0x40, 0x40, 0x40));
    painter.fillRect(0, 0, 16, 9, Qt::white);
    painter.fillRect(1, 1, 15, 8, QColor(0x80, 0x80, 0x80));
    painter.fillRect(1, 1, 14, 7, QColor(0xe3, 0xe3, 0xe3));
    painter.fillRect(2, 2, 13, 6, QColor(0xc0, 0xc0, 0xc0));
    if (ratio == 1) {
        // Pixel rows, 1 to 7 wide: a smoothed triangle would blur at this size.
        for (int row = 0; row < 4; ++row) {
            const int half = pointsUp ? row : 3 - row;
            painter.fillRect(8 - half, 3 + row, 2 * half + 1, 1, Qt::black);
        }
    } else {
        const qreal apex = pointsUp ? 3.5 : 6.5, base = pointsUp ? 7 : 3;
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawPolygon(QPolygonF({{5, base}, {12, base}, {8.5, apex}}));
    }
    return picture;
}

}  // namespace tresslin
