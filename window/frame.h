#pragma once

#include <QString>
#include <QWidget>

namespace pelmora {

// A frame as the form draws it: the caption sits in the top border, which runs through the
// middle of the caption's glyphs, and the children keep their places from the outer
// top-left corner. Not a QGroupBox: Qt names every unnamed child of a group box after its
// title, so an empty list or value label would read as the frame's caption.
class Frame final : public QWidget {
    Q_OBJECT
  public:
    explicit Frame(const QString& title, QWidget* parent = nullptr)
        : QWidget(parent), m_title(title) {}

    QString title() const { return m_title; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString m_title;
};

} // namespace pelmora
