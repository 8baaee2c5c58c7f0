// The window's two picture buttons.
#pragma once

#include <QLabel>
#include <QPixmap>

namespace tresslin {

// A picture that acts as a button: clicked on release, with a border as press feedback.
class ImageButton : public QLabel {
    Q_OBJECT
  public:
    explicit ImageButton(QWidget* parent = nullptr);
    // A single-line border around the picture, or none.
    void setBorder(bool on);

  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The grey button face with a black triangle, 17 x 10 pixels at ratio 1. Painted rather than read
// from a file: reading any image makes Qt load all its image format plugins, a good part of a
// millisecond at every start.
QPixmap buttonPicture(bool pointsUp, qreal devicePixelRatio);

}  // namespace tresslin
