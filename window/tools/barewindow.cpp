// A bare Qt Widgets window with one label: the yardstick for Pelmora's start-up time and
// memory (scripts/measure-startup.sh).
#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Bare"));
    label.setWindowTitle(QStringLiteral("BareQtWindow"));
    label.resize(359, 685);
    label.show();
    return QApplication::exec();
}
