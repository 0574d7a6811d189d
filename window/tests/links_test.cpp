// The outbound links: which click starts which launch, and what the desktop launcher
// accepts, refuses and does when it cannot start a browser.
#include "links/addresses.h"
#include "standinwindow.h"
#include "window/desktoplauncher.h"
#include "window/links.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using namespace pelmora;

namespace {

const QString kSiteCommand = QStringLiteral("explorer https://www.vastrel.example/");
const QString kConsultCommand = QStringLiteral("explorer https://www.vastrel.example/consult/");

void click(QWidget* control) {
    QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, control->rect().center());
}

} // namespace

class LinksTest : public QObject {
    Q_OBJECT
  private slots:
    void eachControlStartsOneLaunchPerClick_data();
    void eachControlStartsOneLaunchPerClick();
    void missingControlsAreSkipped();

    void browserAddress_data();
    void browserAddress();
    void desktopLauncherOpensAcceptedAddress();
    void desktopLauncherRefusesWithoutOpening_data();
    void desktopLauncherRefusesWithoutOpening();
    void failedLaunchShowsModelessMessage();
    void ownerlessMessageGoesWithItsLauncher();
};

void LinksTest::eachControlStartsOneLaunchPerClick_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("style");
    QTest::newRow("在线咨询") << "在线咨询" << kConsultCommand << 1;
    QTest::newRow("评分结果 passing") << "评分结果" << kConsultCommand << 1;
    QTest::newRow("logo") << "logo" << kSiteCommand << 0;
    QTest::newRow("Vastrel") << "Vastrel" << kSiteCommand << 0;
}

void LinksTest::eachControlStartsOneLaunchPerClick() {
    QFETCH(QString, control);
    QFETCH(QString, command);
    QFETCH(int, style);
    // State: a total over the pass mark, so the verdict button is live too.
    ScoreSheet sheet;
    StandInWindow window(sheet);
    std::vector<RecordingLauncher::Launch> launches;
    attachLinks(window, std::make_unique<RecordingLauncher>(launches));
    window.show();
    QVERIFY(sheet.setText(Field::选择学历, "全日制本科有学位"));
    QCOMPARE(window.verdict->text(), QStringLiteral("积分通过，马上入户"));

    // Action: two clicks. Expected: one launch each, nothing remembered between them.
    auto* widget = window.findChild<QWidget*>(control);
    QVERIFY(widget);
    click(widget);
    QCOMPARE(launches.size(), 1u);
    QCOMPARE(launches[0].first, command);
    QCOMPARE(launches[0].second, style);
    click(widget);
    QCOMPARE(launches.size(), 2u);
    QCOMPARE(launches[1], launches[0]);
}

void LinksTest::missingControlsAreSkipped() {
    // A window with only the consultation button: the others are reported, not followed.
    QWidget window;
    auto* consult = new QPushButton(QStringLiteral("在线咨询"), &window);
    consult->setObjectName(QStringLiteral("在线咨询"));
    auto* plain = new QWidget(&window);
    plain->setObjectName(QStringLiteral("logo")); // no clicked() signal
    std::vector<RecordingLauncher::Launch> launches;
    QTest::ignoreMessage(QtWarningMsg, "links: no clickable control 评分结果");
    QTest::ignoreMessage(QtWarningMsg, "links: no clickable control logo");
    QTest::ignoreMessage(QtWarningMsg, "links: no clickable control Vastrel");
    QTest::ignoreMessage(QtWarningMsg, "links: no clickable control Picture1");
    attachLinks(window, std::make_unique<RecordingLauncher>(launches));
    consult->click();
    QCOMPARE(launches.size(), 1u);
}

void LinksTest::browserAddress_data() {
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("address"); // empty: refused
    QTest::newRow("site") << kSiteCommand << "https://www.vastrel.example/";
    QTest::newRow("consultation") << kConsultCommand << "https://www.vastrel.example/consult/";
    QTest::newRow("http") << "explorer http://www.vastrel.example/"
                          << "http://www.vastrel.example/";
    QTest::newRow("port, query, fragment") << "explorer https://www.vastrel.example:8443/a?b=c#d"
                                           << "https://www.vastrel.example:8443/a?b=c#d";
    QTest::newRow("percent-encoded") << "explorer https://www.vastrel.example/%E5%9B%BE"
                                     << "https://www.vastrel.example/%E5%9B%BE";

    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("prefix alone") << "explorer "
                                  << "";
    QTest::newRow("no space") << "explorer"
                              << "";
    QTest::newRow("no prefix") << "https://www.vastrel.example/"
                               << "";
    QTest::newRow("capital E") << "Explorer https://www.vastrel.example/"
                               << "";
    QTest::newRow("longer word") << "xexplorer https://www.vastrel.example/"
                                 << "";
    QTest::newRow("two spaces") << "explorer  https://www.vastrel.example/"
                                << "";
    QTest::newRow("tab") << "explorer\thttps://www.vastrel.example/"
                         << "";
    QTest::newRow("second argument") << "explorer https://www.vastrel.example/ --new"
                                     << "";
    QTest::newRow("trailing newline") << "explorer https://www.vastrel.example/\n"
                                      << "";
    QTest::newRow("quoted") << "explorer \"https://www.vastrel.example/\""
                            << "";
    QTest::newRow("non-ASCII") << "explorer https://www.vastrel.example/图"
                               << "";
    QTest::newRow("bidi override") << "explorer https://www.vastrel.example/\u202e"
                                   << "";
    QTest::newRow("file") << "explorer file:///etc/passwd"
                          << "";
    QTest::newRow("javascript") << "explorer javascript:alert(1)"
                                << "";
    QTest::newRow("ftp") << "explorer ftp://www.vastrel.example/"
                         << "";
    QTest::newRow("mailto") << "explorer mailto:someone@vastrel.example"
                            << "";
    QTest::newRow("no scheme") << "explorer www.vastrel.example"
                               << "";
    QTest::newRow("no host") << "explorer https:///consult/"
                             << "";
    QTest::newRow("scheme alone") << "explorer https:"
                                  << "";
    QTest::newRow("bad port") << "explorer https://www.vastrel.example:99999/"
                              << "";
    QTest::newRow("bad escape") << "explorer https://www.vastrel.example/%zz"
                                << "";
}

void LinksTest::browserAddress() {
    QFETCH(QString, commandLine);
    QFETCH(QString, address);
    const std::optional<QUrl> url = pelmora::browserAddress(commandLine);
    QCOMPARE(url.has_value(), !address.isEmpty());
    if (url)
        QCOMPARE(url->toString(QUrl::FullyEncoded), address);
}

void LinksTest::desktopLauncherOpensAcceptedAddress() {
    QList<QUrl> opened;
    DesktopLauncher launcher(nullptr, [&](const QUrl& url) {
        opened.append(url);
        return true;
    });
    launcher.launch(kConsultCommand.toStdU16String(), outbound::kWindowNormal);
    QCOMPARE(opened, QList<QUrl>{QUrl(QStringLiteral("https://www.vastrel.example/consult/"))});
    QVERIFY(!launcher.failureDialog());
}

void LinksTest::desktopLauncherRefusesWithoutOpening_data() {
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("shown");
    QTest::newRow("file") << "explorer file:///etc/passwd"
                          << "file:///etc/passwd";
    QTest::newRow("other program") << "cmd /c calc"
                                   << "cmd /c calc";
    QTest::newRow("markup") << "explorer <b>x</b>"
                            << "<b>x</b>";
}

void LinksTest::desktopLauncherRefusesWithoutOpening() {
    QFETCH(QString, commandLine);
    QFETCH(QString, shown);
    int opened = 0;
    QWidget window;
    window.show();
    DesktopLauncher launcher(&window, [&](const QUrl&) { return ++opened, true; });
    launcher.launch(commandLine.toStdU16String(), outbound::kWindowNormal);
    QCOMPARE(opened, 0);
    QVERIFY(launcher.failureDialog());
    auto* box = launcher.failureDialog()->findChild<QLineEdit*>(QStringLiteral("address"));
    QVERIFY(box);
    QCOMPARE(box->text(), shown); // as plain text, never as markup
}

void LinksTest::failedLaunchShowsModelessMessage() {
    // State: a desktop launcher whose opener fails, as when no browser is installed.
    ScoreSheet sheet;
    StandInWindow window(sheet);
    QList<QUrl> tried;
    attachLinks(window, std::make_unique<DesktopLauncher>(&window, [&](const QUrl& url) {
                    tried.append(url);
                    return false;
                }));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);

    // Action: click the consultation button. Expected: the click returns, a modeless
    // message over the window holds the address, selected for copying.
    click(window.consult);
    QCOMPARE(tried.size(), 1);
    const auto dialogs = window.findChildren<QDialog*>(QStringLiteral("launchFailure"));
    QCOMPARE(dialogs.size(), 1);
    QDialog* dialog = dialogs[0];
    QVERIFY(dialog->isVisible());
    QVERIFY(!dialog->isModal());
    QVERIFY(!QApplication::activeModalWidget());
    auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("address"));
    QVERIFY(box && box->isReadOnly());
    QCOMPARE(box->text(), QStringLiteral("https://www.vastrel.example/consult/"));
    QCOMPARE(box->selectedText(), box->text());

    // The window still takes clicks; a second failure reuses the one message.
    click(window.logo);
    QCOMPARE(tried.size(), 2);
    QCOMPARE(window.findChildren<QDialog*>(QStringLiteral("launchFailure")).size(), 1);
    QCOMPARE(box->text(), QStringLiteral("https://www.vastrel.example/"));

    QVERIFY(dialog->close());
    QVERIFY(window.isVisible());
    QCOMPARE(lastClosed.count(), 0);
}

void LinksTest::ownerlessMessageGoesWithItsLauncher() {
    QPointer<QDialog> dialog;
    {
        DesktopLauncher launcher(nullptr, [](const QUrl&) { return false; });
        launcher.launch(kSiteCommand.toStdU16String(), outbound::kWindowHidden);
        dialog = launcher.failureDialog();
        QVERIFY(dialog && dialog->isVisible());
    }
    QVERIFY(dialog.isNull());
}

QTEST_MAIN(LinksTest)
#include "links_test.moc"
