// The QR-code window: one object per run, opened from Picture1, independent of the main
// window, and the program running while either window is open.
#include "standinwindow.h"
#include "window/links.h"
#include "window/qrcodewindow.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace pelmora;

namespace {

void click(QWidget* control) {
    QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, control->rect().center());
}

int qrCodeWindowCount() {
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        count += widget->objectName() == QStringLiteral("二维码");
    return count;
}

// Runs the application's event loop, as main() does, until it ends by itself; 2 when it
// is still running after five seconds.
int execUntilQuit() {
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(2); });
    guard.start(5000);
    return QApplication::exec();
}

// A stand-in main window with the links attached, shown.
struct Fixture {
    Fixture() : window(sheet) {
        links = attachLinks(window, std::make_unique<RecordingLauncher>(launches));
        window.show();
    }
    ScoreSheet sheet;
    StandInWindow window;
    std::vector<RecordingLauncher::Launch> launches;
    Links* links;
};

} // namespace

class QrCodeWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void firstClickOpensTheWindow();
    void mainWindowStaysUsable();
    void laterClicksShowTheSameWindow();
    void reopensAfterClose();
    void clickWhileOpenKeepsPlaceAndRestores();
    void resizingLeavesThePicture_data();
    void resizingLeavesThePicture();
    void openingGeometry_data();
    void openingGeometry();
    void deletedWithTheMainWindowObject();
    // These run the event loop until the application quits.
    void programRunsWhileEitherWindowIsOpen();
    void hiddenWindowDoesNotKeepProgramRunning();
};

void QrCodeWindowTest::firstClickOpensTheWindow() {
    Fixture f;
    QVERIFY(!f.links->qrCodeWindow());
    QCOMPARE(qrCodeWindowCount(), 0);

    click(f.window.picture);
    QrCodeWindow* qr = f.links->qrCodeWindow();
    QVERIFY(qr);
    QVERIFY(qr->isVisible());
    QVERIFY(qr->isWindow());
    QVERIFY(!qr->parentWidget()); // no owner: not kept above, not closed with the main window
    QVERIFY(!qr->isModal());
    QCOMPARE(qr->objectName(), QStringLiteral("二维码"));
    QCOMPARE(qr->windowTitle(), QStringLiteral("二维码"));
    QCOMPARE(qr->size(), QSize(274, 273)); // 4110 x 4095 twips
    QVERIFY(qr->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(qr->windowFlags() & Qt::WindowMaximizeButtonHint);
    QVERIFY(!qr->windowIcon().isNull());
    const QList<QSize> iconSizes = qr->windowIcon().availableSizes();
    for (const QSize size : {QSize(24, 24), QSize(48, 48), QSize(128, 128)})
        QVERIFY2(iconSizes.contains(size), qPrintable(QString::number(size.width())));

    auto* image = qr->findChild<QLabel*>(QStringLiteral("Image1"));
    QVERIFY(image);
    QCOMPARE(image->geometry(), QRect(8, 8, 258, 258)); // 120, 120, 3870 x 3870 twips
    QCOMPARE(image->pixmap().size(), QSize(258, 258));
    QVERIFY(!image->hasScaledContents());
    QCOMPARE(image->focusPolicy(), Qt::NoFocus);
    QCOMPARE(image->frameShape(), QFrame::NoFrame);

    // First opening: the stored place, kept on the screen.
    const QScreen* screen = QGuiApplication::primaryScreen();
    QCOMPARE(qr->geometry(), qrCodeWindowOpeningGeometry(screen->availableGeometry()));
}

void QrCodeWindowTest::mainWindowStaysUsable() {
    Fixture f;
    click(f.window.picture);
    QVERIFY(f.links->qrCodeWindow()->isVisible());
    QVERIFY(!QApplication::activeModalWidget());
    click(f.window.consult);
    QCOMPARE(f.launches.size(), 1u);
    QVERIFY(f.window.isVisible());
}

void QrCodeWindowTest::laterClicksShowTheSameWindow() {
    Fixture f;
    click(f.window.picture);
    QrCodeWindow* first = f.links->qrCodeWindow();
    click(f.window.picture);
    click(f.window.picture);
    QCOMPARE(f.links->qrCodeWindow(), first);
    QCOMPARE(qrCodeWindowCount(), 1);
    QVERIFY(first->isVisible());
}

void QrCodeWindowTest::reopensAfterClose() {
    Fixture f;
    click(f.window.picture);
    QrCodeWindow* qr = f.links->qrCodeWindow();
    qr->resize(500, 400);
    QVERIFY(qr->close());
    QVERIFY(!qr->isVisible());
    QCOMPARE(f.links->qrCodeWindow(), qr); // the reference stays set

    click(f.window.picture);
    QCOMPARE(f.links->qrCodeWindow(), qr);
    QCOMPARE(qrCodeWindowCount(), 1);
    QVERIFY(qr->isVisible());
    QCOMPARE(qr->size(), QSize(274, 273)); // back as new after a close
}

void QrCodeWindowTest::clickWhileOpenKeepsPlaceAndRestores() {
    Fixture f;
    click(f.window.picture);
    QrCodeWindow* qr = f.links->qrCodeWindow();
    const QRect moved(40, 50, 300, 290);
    qr->setGeometry(moved);
    click(f.window.picture);
    QCOMPARE(qr->geometry(), moved);

    qr->showMinimized();
    QVERIFY(qr->isMinimized());
    click(f.window.picture);
    QVERIFY(!qr->isMinimized());
    QVERIFY(qr->isVisible());
}

void QrCodeWindowTest::resizingLeavesThePicture_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("maximise");
    QTest::newRow("larger") << QSize(600, 500) << false;
    QTest::newRow("smaller") << QSize(120, 90) << false;
    QTest::newRow("maximised") << QSize() << true;
}

void QrCodeWindowTest::resizingLeavesThePicture() {
    QFETCH(QSize, size);
    QFETCH(bool, maximise);
    Fixture f;
    click(f.window.picture);
    QrCodeWindow* qr = f.links->qrCodeWindow();
    if (maximise)
        qr->showMaximized();
    else
        qr->resize(size);
    QTRY_VERIFY(maximise ? qr->isMaximized() : qr->size() == size);
    auto* image = qr->findChild<QLabel*>(QStringLiteral("Image1"));
    QCOMPARE(image->geometry(), QRect(8, 8, 258, 258));
    QCOMPARE(image->pixmap().size(), QSize(258, 258));
}

void QrCodeWindowTest::openingGeometry_data() {
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("1280x1024: stored place")
        << QRect(0, 0, 1280, 1024) << QRect(845, 469, 274, 273);
    QTest::newRow("exactly fits") << QRect(0, 0, 1119, 742) << QRect(845, 469, 274, 273);
    QTest::newRow("1024x768: moved left") << QRect(0, 0, 1024, 768) << QRect(750, 469, 274, 273);
    QTest::newRow("800x600: moved left and up")
        << QRect(0, 0, 800, 600) << QRect(526, 327, 274, 273);
    QTest::newRow("screen to the right")
        << QRect(1280, 0, 1920, 1080) << QRect(1280, 469, 274, 273);
    QTest::newRow("panel on top") << QRect(0, 500, 1280, 524) << QRect(845, 500, 274, 273);
    QTest::newRow("smaller than the window") << QRect(10, 20, 200, 150) << QRect(10, 20, 274, 273);
}

void QrCodeWindowTest::openingGeometry() {
    QFETCH(QRect, available);
    QFETCH(QRect, expected);
    QCOMPARE(qrCodeWindowOpeningGeometry(available), expected);
}

void QrCodeWindowTest::deletedWithTheMainWindowObject() {
    QPointer<QrCodeWindow> qr;
    {
        Fixture f;
        click(f.window.picture);
        qr = f.links->qrCodeWindow();
        QVERIFY(qr);
        QVERIFY(f.window.close());
        QVERIFY(qr); // closing the main window leaves it
    }
    QVERIFY(qr.isNull()); // destroying the main window object takes it, once
}

void QrCodeWindowTest::programRunsWhileEitherWindowIsOpen() {
    Fixture f;
    QVERIFY(QGuiApplication::quitOnLastWindowClosed());
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    click(f.window.picture);
    QrCodeWindow* qr = f.links->qrCodeWindow();

    // Action, inside the event loop as in main(): close the main window while the QR-code
    // window is open; a moment later, close the QR-code window too.
    bool runningAfterMainClosed = false;
    QTimer::singleShot(0, [&] {
        f.window.close();
        QTimer::singleShot(100, [&] {
            runningAfterMainClosed = qr->isVisible();
            qr->close();
        });
    });
    // Expected: the loop outlives the main window and ends by itself after the second close.
    QCOMPARE(execUntilQuit(), 0);
    QVERIFY(runningAfterMainClosed);
    QCOMPARE(lastClosed.count(), 1);
}

void QrCodeWindowTest::hiddenWindowDoesNotKeepProgramRunning() {
    Fixture f;
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    click(f.window.picture);
    QVERIFY(f.links->qrCodeWindow()->close());
    QTimer::singleShot(0, [&] { f.window.close(); });
    QCOMPARE(execUntilQuit(), 0);
    QCOMPARE(lastClosed.count(), 1);
}

QTEST_MAIN(QrCodeWindowTest)
#include "qrcodewindow_test.moc"
