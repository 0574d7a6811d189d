// Pelmora: creates the score sheet and the main window, and wires the links to it.
#include "links/links.h"
#include "scoring/scoresheet.h"
#include "window/fonts.h"
#include "window/mainwindow.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelmora"));
    QApplication::setApplicationVersion(QStringLiteral("0.1.0.3"));
    pelmora::installFonts();

    pelmora::ScoreSheet sheet;
    pelmora::MainWindow window(sheet);
    pelmora::attachLinks(window); // lives, with the QR-code window it opens, as long as window
    window.show();
    return QApplication::exec();
}
