#include "viewer/ImageButton.h"

#include <QMouseEvent>

namespace tresslin {

ImageButton::ImageButton(QWidget* parent) : QLabel(parent) {
    setFocusPolicy(Qt::NoFocus);
    setScaledContents(true);
    setFrameShape(QFrame::NoFrame);
}

void ImageButton::setBorderStyle(int style) {
    borderStyle_ = style;
    setFrameShape(style ? QFrame::Box : QFrame::NoFrame);
    setLineWidth(1);
    repaint();
}

void ImageButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

}  // namespace tresslin
