#include "frame.h"

#include <QPainter>
#include <qdrawutil.h>

namespace pelmora {

void Frame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics metrics(font());
    // Measured on an ideograph, so that a frame without a caption has its border at the
    // same height as one with.
    const QRect ink = metrics.tightBoundingRect(QStringLiteral("个"));
    const int border = ink.height() / 2;

    // An etched line, as the styles draw a group box's frame.
    qDrawShadeRect(&painter, rect().adjusted(0, border, 0, 0), palette(), true);

    if (m_title.isEmpty())
        return;
    constexpr int kIndent = 6, kGap = 2;
    const int baseline = -ink.top();
    const QRect caption(kIndent, 0, metrics.horizontalAdvance(m_title) + 2 * kGap,
                        baseline + metrics.descent());
    painter.fillRect(caption, palette().window());
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(QPoint(caption.left() + kGap, baseline), m_title);
}

} // namespace pelmora
