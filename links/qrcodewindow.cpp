#include "qrcodewindow.h"

#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

#include <algorithm>

namespace pelmora {

namespace {

QIcon pelmoraIcon() {
    QIcon icon(QStringLiteral(":/assets/pelmora.ico"));
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/assets/icon-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace

QRect qrCodeWindowOpeningGeometry(const QRect& available) {
    QRect geometry = QrCodeWindow::kStoredGeometry;
    const int x =
        std::max(std::min(geometry.left(), available.left() + available.width() - geometry.width()),
                 available.left());
    const int y =
        std::max(std::min(geometry.top(), available.top() + available.height() - geometry.height()),
                 available.top());
    geometry.moveTopLeft(QPoint(x, y));
    return geometry;
}

QrCodeWindow::QrCodeWindow() : QWidget(nullptr, Qt::Window) {
    setObjectName(QStringLiteral("二维码"));
    setWindowTitle(QStringLiteral("二维码"));
    setWindowIcon(pelmoraIcon());
    resize(kStoredGeometry.size());

    // No layout: the picture stays at its place and size however the window is resized.
    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    using namespace form::qrcode;
    constexpr int px = form::kTwipsPerPixel;
    image->setGeometry(kImageLeft / px, kImageTop / px, kImageWidth / px, kImageHeight / px);
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    image->setScaledContents(false);
    image->setFocusPolicy(Qt::NoFocus);
    image->setAccessibleName(QStringLiteral("二维码"));
    image->setPixmap(QPixmap(QString::fromUtf8(kPicture.data(), qsizetype(kPicture.size()))));
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
