// The links on the real main window: its controls found by name, the verdict reached
// through the window's own inputs, and the QR-code window beside it.
#include "window/links.h"
#include "window/qrcodewindow.h"
#ifndef Q_MOC_RUN // moc cannot parse the Chinese enumerators of the score sheet's fields
#include "scoring/scoresheet.h"
#include "window/mainwindow.h"
#endif

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <memory>
#include <utility>
#include <vector>

using namespace pelmora;

namespace {

class RecordingLauncher final : public outbound::Launcher {
  public:
    explicit RecordingLauncher(std::vector<std::pair<QString, int>>& launches)
        : m_launches(launches) {}
    void launch(std::u16string_view commandLine, int windowStyle) override {
        m_launches.emplace_back(
            QString::fromUtf16(commandLine.data(), qsizetype(commandLine.size())), windowStyle);
    }

  private:
    std::vector<std::pair<QString, int>>& m_launches;
};

struct Fixture {
    Fixture() : window(sheet) {
        links = attachLinks(window, std::make_unique<RecordingLauncher>(launches));
        window.show();
    }
    template <typename T> T* control(const char* name) {
        return window.findChild<T*>(QString::fromUtf8(name));
    }
    ScoreSheet sheet;
    MainWindow window;
    std::vector<std::pair<QString, int>> launches;
    Links* links;
};

void click(QWidget* control) {
    QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, control->rect().center());
}

} // namespace

class MainWindowLinksTest : public QObject {
    Q_OBJECT
  private slots:
    void eachControlStartsOneLaunch_data();
    void eachControlStartsOneLaunch();
    void verdictFollowsTheInputs_data();
    void verdictFollowsTheInputs();
    void picture1OpensOneQrCodeWindow();
    void programRunsWhileTheQrCodeWindowIsOpen();
};

void MainWindowLinksTest::eachControlStartsOneLaunch_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("style");
    QTest::newRow("在线咨询") << "在线咨询"
                              << "explorer https://www.vastrel.example/consult/" << 1;
    QTest::newRow("logo") << "logo"
                          << "explorer https://www.vastrel.example/" << 0;
    QTest::newRow("Vastrel") << "Vastrel"
                             << "explorer https://www.vastrel.example/" << 0;
}

void MainWindowLinksTest::eachControlStartsOneLaunch() {
    QFETCH(QString, control);
    QFETCH(QString, command);
    QFETCH(int, style);
    Fixture f;
    QWidget* widget = f.window.findChild<QWidget*>(control);
    QVERIFY(widget);
    click(widget);
    QCOMPARE(f.launches.size(), 1u);
    QCOMPARE(f.launches[0], std::make_pair(command, style));
}

void MainWindowLinksTest::verdictFollowsTheInputs_data() {
    QTest::addColumn<int>("educationSteps"); // Down presses in 选择学历
    QTest::addColumn<bool>("emptyPension");  // Backspace in 养老月数, refilled with "0"
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("launches");
    QTest::newRow("at start") << 0 << false << "综合计算中…" << false;
    QTest::newRow("pension emptied: total 0") << 0 << true << "需要补充一点分数…" << false;
    QTest::newRow("高中或以下学历: total 5") << 1 << false << "差一点，考证入户" << true;
    QTest::newRow("全日制本科有学位: total 105") << 5 << false << "积分通过，马上入户" << true;
}

void MainWindowLinksTest::verdictFollowsTheInputs() {
    QFETCH(int, educationSteps);
    QFETCH(bool, emptyPension);
    QFETCH(QString, caption);
    QFETCH(bool, launches);
    Fixture f;
    auto* education = f.control<QComboBox>("选择学历");
    auto* pension = f.control<QLineEdit>("养老月数");
    auto* verdict = f.control<QAbstractButton>("评分结果");
    QVERIFY(education && pension && verdict);

    for (int i = 0; i < educationSteps; ++i)
        QTest::keyClick(education, Qt::Key_Down);
    if (emptyPension) {
        QTest::keyClick(pension, Qt::Key_End);
        QTest::keyClick(pension, Qt::Key_Backspace);
    }
    QCOMPARE(verdict->text(), caption);

    click(verdict);
    QCOMPARE(f.launches.size(), launches ? 1u : 0u);
    if (launches)
        QCOMPARE(
            f.launches[0],
            std::make_pair(QStringLiteral("explorer https://www.vastrel.example/consult/"), 1));
}

void MainWindowLinksTest::picture1OpensOneQrCodeWindow() {
    Fixture f;
    auto* picture = f.control<QWidget>("Picture1");
    QVERIFY(picture);
    click(picture);
    QrCodeWindow* qr = f.links->qrCodeWindow();
    QVERIFY(qr && qr->isVisible() && !qr->parentWidget());
    QCOMPARE(qr->size(), QSize(274, 273));
    auto* image = qr->findChild<QLabel*>(QStringLiteral("Image1"));
    QVERIFY(image);
    QCOMPARE(image->geometry(), QRect(8, 8, 258, 258));
    QVERIFY(qr->close());
    click(picture);
    click(picture);
    QCOMPARE(f.links->qrCodeWindow(), qr);
    QVERIFY(qr->isVisible());
}

void MainWindowLinksTest::programRunsWhileTheQrCodeWindowIsOpen() {
    Fixture f;
    click(f.control<QWidget>("Picture1"));
    QrCodeWindow* qr = f.links->qrCodeWindow();
    bool runningAfterMainClosed = false;
    QTimer::singleShot(0, [&] {
        f.window.close();
        QTimer::singleShot(100, [&] {
            runningAfterMainClosed = qr->isVisible();
            qr->close();
        });
    });
    QTimer guard; // ends the loop with 2 if closing both windows did not
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(2); });
    guard.start(5000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(runningAfterMainClosed);
}

QTEST_MAIN(MainWindowLinksTest)
#include "mainwindow_links_test.moc"
