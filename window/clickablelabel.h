#pragma once

#include <QLabel>
#include <QMouseEvent>

namespace pelmora {

// A label (caption or picture) that reports a click: the banner, the small QR code and the
// site link. A click is a press and release of the left button inside the label.
class ClickableLabel : public QLabel {
    Q_OBJECT
  public:
    explicit ClickableLabel(QWidget* parent = nullptr) : QLabel(parent) {
        setCursor(Qt::PointingHandCursor); // it leads somewhere, as a link does
    }

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton)
            event->accept();
        else
            QLabel::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            emit clicked();
        else
            QLabel::mouseReleaseEvent(event);
    }
};

} // namespace pelmora
