// Pelmora: creates the score sheet and the main window, and wires the links to it.
#include "pelmora/version.h"
#include "scoring/scoresheet.h"
#include "window/fonts.h"
#include "window/links.h"
#include "window/mainwindow.h"

#include <QApplication>

namespace {
QString qt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelmora"));
    QApplication::setApplicationVersion(qt(pelmora::kVersion));
    // Lets the desktop match the window with its menu entry and icon.
    QGuiApplication::setDesktopFileName(qt(pelmora::kDesktopId));
    pelmora::installFonts();

    pelmora::ScoreSheet sheet;
    pelmora::MainWindow window(sheet);
    pelmora::attachLinks(window); // lives, with the QR-code window it opens, as long as window
    window.show();
    return QApplication::exec();
}
