#include "qrcodewindow.h"

#include "qtform.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace pelmora {

QRect qrCodeWindowOpeningGeometry(const QRect& available) {
    return qtform::qrect(form::qrcode::openingRect(qtform::formRect(available)));
}

QrCodeWindow::QrCodeWindow() : QWidget(nullptr, Qt::Window) {
    setObjectName(qtform::qt(form::qrcode::kTitle));
    setWindowTitle(qtform::qt(form::qrcode::kTitle));
    setWindowIcon(qtform::programIcon());
    resize(kStoredGeometry.size());

    // No layout: the picture stays at its place and size however the window is resized.
    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    using namespace form::qrcode;
    image->setGeometry(qtform::pixels(kImageLeft, kImageTop, kImageWidth, kImageHeight));
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    image->setScaledContents(false);
    image->setFocusPolicy(Qt::NoFocus);
    image->setAccessibleName(qtform::qt(kTitle));
    image->setPixmap(qtform::picture(kPicture));
}

void QrCodeWindow::open() {
    if (isVisible()) {
        if (isMinimized())
            setWindowState(windowState() & ~Qt::WindowMinimized);
    } else {
        setWindowState(Qt::WindowNoState);
        const QScreen* screen = QGuiApplication::screenAt(kStoredGeometry.topLeft());
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        setGeometry(screen ? qrCodeWindowOpeningGeometry(screen->availableGeometry())
                           : kStoredGeometry);
    }
    show();
    raise();
    activateWindow();
}

} // namespace pelmora
