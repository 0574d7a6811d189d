#pragma once

#ifndef Q_MOC_RUN // moc cannot parse the Chinese enumerators of the score sheet's fields
#include "form/form.h"
#endif

#include <QRect>
#include <QWidget>

namespace pelmora {

// The second window, 二维码: the large QR code, nothing else. It has no owner, so it
// neither stays above the main window nor closes with it, and it keeps the program
// running while it is open. Closing it only hides it; open() shows the same object again.
class QrCodeWindow final : public QWidget {
    Q_OBJECT
  public:
    // The client area where it first opens, at 96 dpi.
    static constexpr QRect kStoredGeometry{
        form::pixels(form::qrcode::kLeft), form::pixels(form::qrcode::kTop),
        form::pixels(form::qrcode::kClientWidth), form::pixels(form::qrcode::kClientHeight)};

    QrCodeWindow();

    // Shows the window. After a close (and the first time) it comes back as new: normal
    // state, stored place and size. While it is open it is brought to the front instead,
    // restored if minimised, and left where the user put it.
    void open();
};

// Where the client area opens on a screen with the given available area: the stored
// place, moved just enough to lie inside that area (its top-left corner kept inside when
// the area is smaller than the window).
QRect qrCodeWindowOpeningGeometry(const QRect& available);

} // namespace pelmora
