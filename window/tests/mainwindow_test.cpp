// The main window through its real widgets: what it shows at start, what typing, picking,
// pasting and an assistive technology do to the sheet, the reset, the tab order, and the
// form's geometry and fonts. Expected values are the form's own numbers, not read back
// from the window's table.
#include "window/accessible.h"
#include "window/fonts.h"
#include "window/frame.h"
#include "window/mainwindow.h"
#ifndef Q_MOC_RUN // moc cannot read the Chinese names in the sheet's headers
#include "present/compose.h"
#include "scoring/scoresheet.h"
#endif

#include <QAccessible>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStyleOptionComboBox>
#include <QToolTip>
#include <QtTest>

#include <functional>
#include <memory>
#include <tuple>

using namespace pelmora;

namespace {

// The ten text boxes, the eight filtered ones first.
const QStringList kTextBoxes{"ID",       "年龄",       "居住时长", "养老月数", "医疗月数",
                             "工伤月数", "生育险月数", "失业月数", "统一月数", "统一年数"};

std::string utf8(const QString& text) {
    return text.toStdString();
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void startingTexts_data();
    void startingTexts();
    void startingState();
    void typing_data();
    void typing();
    void keysThatTypeNothing_data();
    void keysThatTypeNothing();
    void typedNonAsciiCharacter();
    void inputMethodCommit_data();
    void inputMethodCommit();
    void caretStaysWhileTyping();
    void emptiedBoxIsRefilled();
    void oneWritePerKeystroke();
    void pickRunsEducationRule();
    void repickingShownItemNotifies();
    void checkBoxAddsEmployerBonus();
    void commandButtons();
    void reset();
    void tabOrder();
    void residenceJoinsTabOrderWhenEnabled();
    void editWithoutKeys();
    void accessibility();
    void announcements();
    void explanations();
    void geometry_data();
    void geometry();
    void fonts_data();
    void fonts();
    void colours();
    void captionsFit();
    void pasteNonNumbers_data();
    void pasteNonNumbers();
    void sheetOutlivesWindow();

  private:
    template <class T> T* control(const QString& name) const {
        T* widget = m_window->findChild<T*>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    QString text(Field field) const { return QString::fromStdString(m_sheet->text(field)); }
    // Every field's widget shows what the sheet holds (the rules' results are the core's
    // tests; here only that the window keeps up with them).
    void showsSheet() const;
    void showActive();
    void replaceText(QLineEdit* edit, const QString& keys);

    std::unique_ptr<ScoreSheet> m_sheet;
    std::unique_ptr<MainWindow> m_window;
};

void MainWindowTest::init() {
    m_sheet = std::make_unique<ScoreSheet>([] { return 2024; });
    m_window = std::make_unique<MainWindow>(*m_sheet);
}

void MainWindowTest::cleanup() {
    m_window.reset();
    m_sheet.reset();
}

void MainWindowTest::showsSheet() const {
    for (int i = 0; i < kFieldCount; ++i) {
        const Field field = Field(i);
        const QString name =
            QString::fromUtf8(fieldName(field).data(), qsizetype(fieldName(field).size()));
        QWidget* widget = control<QWidget>(name);
        QString shown;
        if (auto* edit = qobject_cast<QLineEdit*>(widget))
            shown = edit->text();
        else if (auto* list = qobject_cast<QComboBox*>(widget))
            shown = list->currentText();
        else if (auto* label = qobject_cast<QLabel*>(widget))
            shown = label->text();
        else if (auto* button = qobject_cast<QPushButton*>(widget))
            shown = button->text();
        else if (auto* box = qobject_cast<QCheckBox*>(widget))
            QCOMPARE(box->isChecked(), m_sheet->isChecked());
        if (!qobject_cast<QCheckBox*>(widget))
            QCOMPARE(shown, text(field));
    }
}

void MainWindowTest::showActive() {
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

// Selects everything by keyboard, then types: the first typed character replaces the text.
void MainWindowTest::replaceText(QLineEdit* edit, const QString& keys) {
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, keys);
}

void MainWindowTest::startingTexts_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("年龄") << "年龄"
                          << "18";
    QTest::newRow("ID") << "ID"
                        << "";
    for (const QString& box : kTextBoxes.mid(2))
        QTest::newRow(qPrintable(box)) << box << "0";
    for (const char* score :
         {"学历得分", "房产得分", "生育得分", "个人得分", "养老得分", "医疗得分", "工伤得分",
          "生育险得分", "失业得分", "社保得分", "合计得分"})
        QTest::newRow(score) << score << "0";
    QTest::newRow("年龄得分") << "年龄得分"
                              << "5";
    QTest::newRow("性别") << "性别"
                          << "";
    QTest::newRow("出生日期") << "出生日期"
                              << "";
    QTest::newRow("评分结果") << "评分结果"
                              << "综合计算中…";
    QTest::newRow("Label1") << "Label1"
                            << "学历";
    QTest::newRow("Label27") << "Label27"
                             << "入深户QQ:";
    QTest::newRow("统一月") << "统一月"
                            << "统一（月）";
    QTest::newRow("ver") << "ver"
                         << "Pelmora 0.1.3";
    QTest::newRow("Label23") << "Label23"
                             << "需连续在同一家公司交满一年的五险";
}

void MainWindowTest::startingTexts() {
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QWidget* widget = control<QWidget>(name);
    QString shown;
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        shown = edit->text();
    else if (auto* label = qobject_cast<QLabel*>(widget))
        shown = label->text();
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        shown = button->text();
    QCOMPARE(shown, expected);
}

void MainWindowTest::startingState() {
    QCOMPARE(m_window->objectName(), "Pelmora");
    QCOMPARE(m_window->windowTitle(), "Pelmora");
    const Qt::WindowFlags flags = m_window->windowFlags();
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());

    // Seventy named controls, none of them a stray.
    int named = 0;
    for (QWidget* child : m_window->findChildren<QWidget*>()) {
        if (!child->objectName().isEmpty() && !child->objectName().startsWith("qt_"))
            ++named;
    }
    QCOMPARE(named, 70);

    const QStringList lists{"选择学历", "房产状况", "生育状况"};
    const QList<int> counts{7, 4, 3};
    for (int i = 0; i < lists.size(); ++i) {
        auto* list = control<QComboBox>(lists[i]);
        QCOMPARE(list->currentIndex(), -1);
        QCOMPARE(list->currentText(), "");
        QCOMPARE(list->count(), counts[i]);
        QVERIFY(!list->isEditable());
    }
    QCOMPARE(control<QComboBox>("选择学历")->itemText(6), "非全日制本科");
    QCOMPARE(control<QComboBox>("房产状况")->itemText(0), "无房产");
    QCOMPARE(control<QComboBox>("生育状况")->itemText(2), "政策外生育");

    QVERIFY(!control<QLineEdit>("居住时长")->isEnabled());
    for (const QString& box : kTextBoxes) {
        if (box != "居住时长")
            QVERIFY2(control<QLineEdit>(box)->isEnabled(), qPrintable(box));
    }
    QVERIFY(!control<QCheckBox>("公司申办")->isChecked());
    QVERIFY(control<QLabel>("Label23")->wordWrap());
    // The pictures at their natural size (the banner is a pixel wider than its box).
    QCOMPARE(control<QLabel>("logo")->pixmap().size(), QSize(354, 78));
    QCOMPARE(control<QLabel>("Picture1")->pixmap().size(), QSize(129, 129));
    QCOMPARE(control<Frame>("Frame1")->title(), "试算结果");
    QCOMPARE(control<Frame>("Frame2")->title(), "");

    showActive();
    QCOMPARE(QApplication::focusWidget(), control<QWidget>("选择学历"));
    // The icon follows the first paint: the .ico's sizes and the PNG sizes.
    QTRY_VERIFY(m_window->windowIcon().availableSizes().contains(QSize(256, 256)));
    QVERIFY(m_window->windowIcon().availableSizes().contains(QSize(24, 24)));
}

void MainWindowTest::typing_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("expected");
    QTest::newRow("age: digits only") << "年龄"
                                      << "1a2-.3"
                                      << "123";
    QTest::newRow("age: X refused") << "年龄"
                                    << "4X2"
                                    << "42";
    QTest::newRow("age: space refused") << "年龄"
                                        << "3 5"
                                        << "35";
    QTest::newRow("age: backspace") << "年龄"
                                    << "456\b"
                                    << "45";
    QTest::newRow("ID: X taken") << "ID"
                                 << "12X"
                                 << "12X";
    QTest::newRow("ID: x refused") << "ID"
                                   << "12x"
                                   << "12";
    QTest::newRow("ID: backspace") << "ID"
                                   << "123\b\b"
                                   << "1";
    QTest::newRow("months: letters refused") << "养老月数"
                                             << "2e4"
                                             << "24";
    QTest::newRow("months: backspace") << "失业月数"
                                       << "36\b"
                                       << "3";
    QTest::newRow("residence: sign refused") << "居住时长"
                                             << "-7"
                                             << "7";
    QTest::newRow("unify: takes everything") << "统一月数"
                                             << "1a-."
                                             << "1a-.";
    QTest::newRow("unify years: takes x") << "统一年数"
                                          << "x2"
                                          << "x2";
}

void MainWindowTest::typing() {
    QFETCH(QString, box);
    QFETCH(QString, keys);
    QFETCH(QString, expected);
    m_sheet->setText(Field::房产状况, "居住证"); // enables 居住时长
    auto* edit = control<QLineEdit>(box);
    replaceText(edit, keys);
    QCOMPARE(edit->text(), expected);
    QCOMPARE(text(*fieldByName(utf8(box))), expected);
}

void MainWindowTest::keysThatTypeNothing_data() {
    // Keys reach a filtered box unjudged when they type no character, as do the editing
    // shortcuts.
    QTest::addColumn<QString>("box");
    QTest::addColumn<QList<QKeyCombination>>("keys");
    QTest::addColumn<QString>("expected");
    QTest::newRow("home, delete") << "年龄" << QList<QKeyCombination>{Qt::Key_Home, Qt::Key_Delete}
                                  << "23";
    QTest::newRow("left, backspace")
        << "ID" << QList<QKeyCombination>{Qt::Key_End, Qt::Key_Left, Qt::Key_Backspace} << "13";
    QTest::newRow("undo") << "养老月数" << QList<QKeyCombination>{Qt::Key_Z | Qt::ControlModifier}
                          << "0";
    QTest::newRow("cut all, then refill")
        << "医疗月数"
        << QList<QKeyCombination>{Qt::Key_A | Qt::ControlModifier, Qt::Key_X | Qt::ControlModifier}
        << "0";
    QTest::newRow("copy, end, paste")
        << "失业月数"
        << QList<QKeyCombination>{Qt::Key_A | Qt::ControlModifier, Qt::Key_C | Qt::ControlModifier,
                                  Qt::Key_End, Qt::Key_V | Qt::ControlModifier}
        << "123123";
}

void MainWindowTest::keysThatTypeNothing() {
    QFETCH(QString, box);
    QFETCH(QList<QKeyCombination>, keys);
    QFETCH(QString, expected);
    auto* edit = control<QLineEdit>(box);
    replaceText(edit, "12");
    QTest::keyClicks(edit, "3");
    for (QKeyCombination key : keys)
        QTest::keyClick(edit, key.key(), key.keyboardModifiers());
    QCOMPARE(edit->text(), expected);
    QCOMPARE(text(*fieldByName(utf8(box))), expected);
}

void MainWindowTest::typedNonAsciiCharacter() {
    // A Chinese character typed as a key press (as a keyboard mapping delivers it).
    for (const QString& box : {QStringLiteral("年龄"), QStringLiteral("ID")}) {
        auto* edit = control<QLineEdit>(box);
        const QString before = edit->text();
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QStringLiteral("岁"),
                            Qt::NoModifier);
        QCOMPARE(edit->text(), before);
    }
    auto* unify = control<QLineEdit>("统一年数");
    QTest::sendKeyEvent(QTest::Click, unify, Qt::Key_unknown, QStringLiteral("年"), Qt::NoModifier);
    QCOMPARE(unify->text(), "0年");
}

void MainWindowTest::inputMethodCommit_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("commit");
    QTest::addColumn<QString>("expected");
    QTest::newRow("age: Chinese discarded") << "年龄"
                                            << "十八"
                                            << "18";
    QTest::newRow("age: mixed discarded") << "年龄"
                                          << "5岁"
                                          << "18";
    QTest::newRow("age: full-width digit discarded") << "年龄"
                                                     << "５"
                                                     << "18";
    QTest::newRow("age: digits taken") << "年龄"
                                       << "5"
                                       << "185";
    QTest::newRow("ID: Chinese discarded") << "ID"
                                           << "号"
                                           << "";
    QTest::newRow("months: Chinese discarded") << "医疗月数"
                                               << "月"
                                               << "0";
    QTest::newRow("unify: Chinese taken") << "统一月数"
                                          << "月"
                                          << "0月";
}

void MainWindowTest::inputMethodCommit() {
    QFETCH(QString, box);
    QFETCH(QString, commit);
    QFETCH(QString, expected);
    auto* edit = control<QLineEdit>(box);
    edit->setFocus();
    edit->end(false);
    // A composition first, as an input method shows it, then its commit.
    QInputMethodEvent preedit(QStringLiteral("shi"), {});
    QApplication::sendEvent(edit, &preedit);
    QInputMethodEvent done;
    done.setCommitString(commit);
    QApplication::sendEvent(edit, &done);
    QCOMPARE(edit->text(), expected);
    QCOMPARE(text(*fieldByName(utf8(box))), expected);
    QVERIFY(edit->inputMethodQuery(Qt::ImSurroundingText).toString() == expected);
}

void MainWindowTest::caretStaysWhileTyping() {
    auto* edit = control<QLineEdit>("养老月数");
    replaceText(edit, "125");
    edit->setCursorPosition(1);
    QTest::keyClicks(edit, "0");
    QCOMPARE(edit->text(), "1025");
    QCOMPARE(edit->cursorPosition(), 2);
    // A selection survives a write of the same text by a rule.
    edit->setSelection(1, 2);
    m_sheet->setText(Field::养老月数, "1025");
    QCOMPARE(edit->selectedText(), "02");
}

void MainWindowTest::emptiedBoxIsRefilled() {
    // State: 年龄 holds "18". Action: select all and delete. Expected: the age rule refills
    // "18", shown at once, and the next key press types after it.
    auto* edit = control<QLineEdit>("年龄");
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(edit->text(), "18");
    QCOMPARE(text(Field::年龄), "18");
    QTest::keyClicks(edit, "0");
    QCOMPARE(edit->text(), "180");

    auto* months = control<QLineEdit>("工伤月数");
    months->setFocus();
    months->end(false);
    QTest::keyClick(months, Qt::Key_Backspace);
    QCOMPARE(months->text(), "0");
}

void MainWindowTest::oneWritePerKeystroke() {
    int writes = 0;
    const auto id = m_sheet->subscribe([&](Field field) { writes += field == Field::统一月数; });
    QTest::keyClicks(control<QLineEdit>("统一月数"), "12");
    m_sheet->unsubscribe(id);
    QCOMPARE(writes, 2); // no echo of the sheet's update back into the sheet
}

void MainWindowTest::pickRunsEducationRule() {
    // State: age 42, nothing picked. Action: pick 全日制本科 by keyboard (Down four times).
    // Expected: 90 for education, the age deduction cancelled, total 90, verdict moved.
    replaceText(control<QLineEdit>("年龄"), "42");
    QVERIFY(control<QLabel>("年龄得分")->text().toInt() < 0);
    auto* list = control<QComboBox>("选择学历");
    list->setFocus();
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(text(Field::选择学历), "全日制本科");
    QCOMPARE(control<QLabel>("学历得分")->text(), "90");
    showsSheet();
}

void MainWindowTest::repickingShownItemNotifies() {
    auto* list = control<QComboBox>("生育状况");
    m_sheet->setText(Field::生育状况, "政策内生育");
    QCOMPARE(list->currentText(), "政策内生育");
    const QString score = control<QLabel>("生育得分")->text();
    m_sheet->setText(Field::生育得分, "777"); // a stale score the next pick must recompute
    QCOMPARE(control<QLabel>("生育得分")->text(), "777");

    // Action: open the list and pick the item already shown.
    showActive();
    list->showPopup();
    QTRY_VERIFY(list->view()->isVisible());
    QTest::keyClick(list->view(), Qt::Key_Return);
    QCOMPARE(list->currentText(), "政策内生育");
    QCOMPARE(control<QLabel>("生育得分")->text(), score);
}

void MainWindowTest::checkBoxAddsEmployerBonus() {
    auto* box = control<QCheckBox>("公司申办");
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(m_sheet->isChecked());
    QCOMPARE(control<QLabel>("社保得分")->text(), "10");
    m_sheet->setChecked(false);
    QVERIFY(!box->isChecked());
    QCOMPARE(control<QLabel>("社保得分")->text(), "0");
}

void MainWindowTest::commandButtons() {
    replaceText(control<QLineEdit>("统一年数"), "2");
    QTest::mouseClick(control<QPushButton>("统一年"), Qt::LeftButton);
    for (const QString& box : kTextBoxes.mid(3, 5))
        QCOMPARE(control<QLineEdit>(box)->text(), "24");

    replaceText(control<QLineEdit>("统一月数"), "6");
    QTest::mouseClick(control<QPushButton>("统一月"), Qt::LeftButton);
    QCOMPARE(control<QLineEdit>("失业月数")->text(), "6");

    replaceText(control<QLineEdit>("ID"), "440301199001011234");
    QTest::mouseClick(control<QPushButton>("身份证解读"), Qt::LeftButton);
    QCOMPARE(control<QLabel>("出生日期")->text(), "1990年01月01日");
    QCOMPARE(control<QLabel>("性别")->text(), "男");
    QCOMPARE(control<QLineEdit>("年龄")->text(), "34");
}

void MainWindowTest::reset() {
    // State: an interpreted ID, a pick in every list, a residence duration, months, unify
    // boxes and 公司申办 checked.
    replaceText(control<QLineEdit>("ID"), "440301199102023345");
    QTest::mouseClick(control<QPushButton>("身份证解读"), Qt::LeftButton);
    m_sheet->setText(Field::选择学历, "全日制本科有学位");
    m_sheet->setText(Field::生育状况, "政策内生育");
    m_sheet->setText(Field::房产状况, "居住证");
    auto* residence = control<QLineEdit>("居住时长");
    QVERIFY(residence->isEnabled());
    replaceText(residence, "400");
    replaceText(control<QLineEdit>("统一年数"), "3");
    QTest::mouseClick(control<QPushButton>("统一年"), Qt::LeftButton);
    replaceText(control<QLineEdit>("统一月数"), "7");
    QTest::mouseClick(control<QCheckBox>("公司申办"), Qt::LeftButton);
    QVERIFY(control<QLabel>("社保得分")->text().toInt() >= 10);

    // Action
    QTest::mouseClick(control<QPushButton>("重置"), Qt::LeftButton);

    // Expected: the window shows the reset sheet (what the reset writes is the form
    // layer's test), the residence box greyed again, the ID labels as they were.
    QCOMPARE(control<QComboBox>("选择学历")->currentText(), "高中或以下学历");
    showsSheet();
    QVERIFY(!residence->isEnabled());
    QCOMPARE(control<QLabel>("出生日期")->text(), "1991年02月02日");
}

void MainWindowTest::tabOrder() {
    showActive();
    const QStringList expected{"选择学历", "工伤月数", "医疗月数", "养老月数", "生育险月数",
                               "失业月数", "统一月数", "统一月",   "统一年数", "统一年",
                               "年龄",     "生育状况", "房产状况", "ID",       "身份证解读",
                               "公司申办", "在线咨询", "重置",     "评分结果", "选择学历"};
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (int i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, expected);
}

void MainWindowTest::residenceJoinsTabOrderWhenEnabled() {
    showActive();
    m_sheet->setText(Field::房产状况, "居住证");
    control<QComboBox>("房产状况")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), "居住时长");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), "ID");
}

void MainWindowTest::editWithoutKeys() {
    // As an assistive technology sets a text: through the accessible interface, no keys.
    auto* edit = control<QLineEdit>("养老月数");
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(edit);
    QVERIFY(accessible);
    accessible->setText(QAccessible::Value, QStringLiteral("24"));
    QCOMPARE(text(Field::养老月数), "24");
    QCOMPARE(control<QLabel>("养老得分")->text(), text(Field::养老得分));
    QVERIFY(control<QLabel>("养老得分")->text() != "0");

    // A program's setText reaches the sheet too, and the sheet's writes show at once.
    control<QLineEdit>("年龄")->setText("60");
    QCOMPARE(text(Field::年龄), "60");
    m_sheet->setText(Field::年龄, "30");
    QCOMPARE(control<QLineEdit>("年龄")->text(), "30");
    QCOMPARE(control<QLabel>("年龄得分")->text(), text(Field::年龄得分));
}

void MainWindowTest::accessibility() {
    for (const QString& box : kTextBoxes) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(control<QWidget>(box));
        QCOMPARE(a->text(QAccessible::Name), box);
    }
    // Read out as "value, what it is".
    m_sheet->setText(Field::选择学历, "全日制本科");
    QAccessibleInterface* score =
        QAccessible::queryAccessibleInterface(control<QWidget>("学历得分"));
    QCOMPARE(score->text(QAccessible::Name), "90");
    QCOMPARE(score->text(QAccessible::Description), "学历得分");
    for (const char* name : {"选择学历", "房产状况", "生育状况", "性别", "出生日期", "评分结果",
                             "合计得分", "社保得分", "失业得分", "年龄得分"}) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(control<QWidget>(name));
        QCOMPARE(a->text(QAccessible::Description), QString(name));
    }
    // (control, accessible name, description): what is empty stays empty, never a caption;
    // a frame has its own title; a unit or a note describes its input.
    const QList<std::tuple<QString, QString, QString>> texts{
        {"房产状况", "", "房产状况"},
        {"生育状况", "", "生育状况"},
        {"性别", "", "性别"},
        {"出生日期", "", "出生日期"},
        {"个人", "个人", ""},
        {"Frame1", "试算结果", ""},
        {"扫一扫", "关注公众号", ""},
        {"Frame2", "", ""},
        {"工伤月数", "工伤月数", "个月"},
        {"居住时长", "居住时长", "日"},
        {"公司申办", "通过公司申办", "需连续在同一家公司交满一年的五险"},
        {"logo", "Vastrel 标志：点击在浏览器中打开网站", ""},
        {"Picture1", "公众号二维码：点击打开大图", ""},
        {"Vastrel", "Vastrel", "网站链接：点击在浏览器中打开网站"}};
    for (const auto& [name, accessibleName, description] : texts) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(control<QWidget>(name));
        QCOMPARE(a->text(QAccessible::Name), accessibleName);
        QCOMPARE(a->text(QAccessible::Description), description);
    }
    QCOMPARE(QAccessible::queryAccessibleInterface(control<QWidget>("Frame2"))->role(),
             QAccessible::Grouping);
    // Only a caption that tells its box apart labels it.
    const QList<std::pair<QString, QString>> buddies{{"Label20", "ID"}, {"Label13", "年龄"}};
    for (const auto& [label, input] : buddies)
        QCOMPARE(control<QLabel>(label)->buddy(), control<QWidget>(input));
    for (const char* label :
         {"Label1", "Label15", "Label14", "Label6", "Label3", "Label17", "Label22", "Label21"})
        QCOMPARE(control<QLabel>(label)->buddy(), nullptr);
}

void MainWindowTest::announcements() {
    auto* announcer = m_window->findChild<Announcer*>("announcer");
    QVERIFY(announcer);
    QCOMPARE(QAccessible::queryAccessibleInterface(announcer)->role(), QAccessible::Notification);
    QStringList heard;
    connect(announcer, &Announcer::said, this, [&](const QString& message) {
        heard << message;
        QCOMPARE(QAccessible::queryAccessibleInterface(announcer)->text(QAccessible::Name),
                 message);
    });
    showActive();
    auto click = [this](const char* name) {
        QTest::mouseClick(control<QWidget>(name), Qt::LeftButton);
    };
    auto down = [this] { QTest::keyClick(control<QWidget>("选择学历"), Qt::Key_Down); };
    // What the form composes reaches the announcer once per action (the wording is the
    // form layer's, tested there). Each step starts where the one before left off.
    const QList<std::pair<std::function<void()>, QStringList>> steps{
        {down, {"高中或以下学历，个人得分 5，合计得分 5，差一点，考证入户"}},
        {[this] { replaceText(control<QLineEdit>("年龄"), "42"); },
         {"年龄得分 0，个人得分 0，合计得分 0，需要补充一点分数…",
          "年龄得分 -6，个人得分 -6，合计得分 -6，需要补充一点分数…"}},
        {[&] { click("公司申办"); }, {"社保得分 10，合计得分 4，差一点，考证入户"}},
        {[&] { click("身份证解读"); }, {"号码有误，合计得分 4，差一点，考证入户"}},
        {[this] { replaceText(control<QLineEdit>("统一月数"), "3a"); }, {}},
        {[&] { click("重置"); }, {"输入已清空，合计得分 5，综合计算中…"}},
    };
    for (const auto& [action, said] : steps) {
        heard.clear();
        action();
        QCOMPARE(heard, said);
    }
}

// The window delivers the composed texts where they are asked for: a score's tooltip, F1 at
// the focused input (shown and said), and the assessment on the clipboard.
void MainWindowTest::explanations() {
    showActive();
    replaceText(control<QLineEdit>("年龄"), "42");
    auto* score = control<QLabel>("年龄得分");
    QHelpEvent hover(QEvent::ToolTip, QPoint(2, 2), score->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(score, &hover);
    QTRY_COMPARE(utf8(QToolTip::text()), tooltipText(*m_sheet, Field::年龄得分));
    QVERIFY(QToolTip::text().contains("42"));

    auto* announcer = m_window->findChild<Announcer*>("announcer");
    QTest::keyClick(control<QLineEdit>("年龄"), Qt::Key_F1);
    QTRY_COMPARE(utf8(QToolTip::text()), helpText(*m_sheet, Field::年龄));
    QCOMPARE(utf8(announcer->message()), helpText(*m_sheet, Field::年龄));

    QGuiApplication::clipboard()->clear();
    QTest::keyClick(control<QLineEdit>("年龄"), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(utf8(QGuiApplication::clipboard()->text()), assessmentText(*m_sheet, today()));
    QVERIFY(QGuiApplication::clipboard()->text().contains("年龄：42"));
}

void MainWindowTest::geometry_data() {
    // Twips from the form, divided by 15.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("rect");
    QTest::newRow("logo") << "logo"
                          << "Pelmora" << QRect(0, 8, 353, 78);
    QTest::newRow("选择学历") << "选择学历"
                              << "Pelmora" << QRect(72, 96, 241, 20);
    QTest::newRow("社保") << "社保"
                          << "Pelmora" << QRect(8, 304, 345, 177);
    QTest::newRow("Vastrel") << "Vastrel"
                             << "Pelmora" << QRect(16, 672, 57, 17);
    QTest::newRow("年龄") << "年龄"
                          << "个人" << QRect(56, 88, 40, 18);
    QTest::newRow("房产状况") << "房产状况"
                              << "个人" << QRect(56, 120, 83, 20);
    QTest::newRow("公司申办") << "公司申办"
                              << "社保" << QRect(208, 88, 105, 17);
    QTest::newRow("Frame2") << "Frame2"
                            << "社保" << QRect(192, 88, 137, 57);
    QTest::newRow("Label23") << "Label23"
                             << "Frame2" << QRect(8, 24, 120, 28);
    QTest::newRow("评分结果") << "评分结果"
                              << "Frame1" << QRect(24, 56, 140, 17);
    QTest::newRow("扫一扫") << "扫一扫"
                            << "Frame1" << QRect(192, 16, 145, 153);
    QTest::newRow("Picture1") << "Picture1"
                              << "扫一扫" << QRect(8, 16, 129, 129);
}

void MainWindowTest::geometry() {
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QRect, rect);
    QCOMPARE(m_window->size(), QSize(359, 685));
    QWidget* widget = control<QWidget>(name);
    QCOMPARE(widget->parentWidget()->objectName(), container);
    QCOMPARE(widget->geometry(), rect);
}

void MainWindowTest::fonts_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<qreal>("points");
    QTest::addColumn<bool>("underline");
    QTest::newRow("L label") << "Label1" << 14.25 << false;
    QTest::newRow("L score") << "合计得分" << 14.25 << false;
    QTest::newRow("L frame") << "个人" << 14.25 << false;
    QTest::newRow("M check box") << "公司申办" << 10.5 << false;
    QTest::newRow("M contact") << "Label25" << 10.5 << false;
    QTest::newRow("S version") << "ver" << 7.5 << false;
    QTest::newRow("Su link") << "Vastrel" << 7.5 << true;
    QTest::newRow("D text box in an L frame") << "年龄" << 9.0 << false;
    QTest::newRow("D list") << "生育状况" << 9.0 << false;
    QTest::newRow("D button") << "重置" << 9.0 << false;
    QTest::newRow("D frame") << "扫一扫" << 9.0 << false;
    QTest::newRow("D note") << "Label23" << 9.0 << false;
}

void MainWindowTest::fonts() {
    QFETCH(QString, name);
    QFETCH(qreal, points);
    QFETCH(bool, underline);
    const QFont font = control<QWidget>(name)->font();
    QCOMPARE(font.family(), "宋体");
    QCOMPARE(font.pointSizeF(), points);
    QCOMPARE(font.underline(), underline);
    QCOMPARE(font.italic(), false);
    QCOMPARE(font.weight(), QFont::Normal);
    // 宋体 resolves to the bundled Song-style face, which has the window's Chinese.
    QCOMPARE(QFontInfo(font).family(), "Pelmora Song");
    QVERIFY(QFontMetrics(font).inFontUcs4(U'育'));
}

void MainWindowTest::colours() {
    const QColor red(255, 0, 0);
    for (const char* name : {"学历得分", "年龄得分", "房产得分", "生育得分", "个人得分", "养老得分",
                             "医疗得分", "工伤得分", "生育险得分", "失业得分", "社保得分",
                             "合计得分", "性别", "出生日期", "Label25", "Label28"})
        QCOMPARE(control<QWidget>(name)->palette().color(QPalette::WindowText), red);
    for (const char* name : {"Label1", "Label12", "ver", "Label27"})
        QVERIFY(control<QWidget>(name)->palette().color(QPalette::WindowText) != red);
    auto* link = control<QWidget>("Vastrel");
    QCOMPARE(link->palette().color(QPalette::WindowText),
             link->palette().color(QPalette::Highlight));
}

// Every caption is drawn whole in its box, in the fonts the window really gets.
void MainWindowTest::captionsFit() {
    for (QLabel* label : m_window->findChildren<QLabel*>()) {
        if (label->text().isEmpty())
            continue;
        const QRect box = label->contentsRect();
        const QFontMetrics metrics = label->fontMetrics();
        const int flags = label->wordWrap() ? Qt::TextWordWrap : 0;
        const QRect needed =
            metrics.boundingRect(QRect(0, 0, box.width(), 10000), flags, label->text());
        QVERIFY2(needed.width() <= box.width(), qPrintable(label->objectName()));
        // The ink of the glyphs fits as the label draws it, centred; the font's generous
        // line gap need not (a pixel of anti-aliasing either way is allowed).
        const int lines = needed.height() / metrics.lineSpacing();
        const QRect ink = metrics.tightBoundingRect(label->text());
        const int firstBaseline =
            (box.height() - lines * metrics.lineSpacing()) / 2 + metrics.ascent();
        const int inkTop = firstBaseline + ink.top();
        const int inkBottom = firstBaseline + (lines - 1) * metrics.lineSpacing() + ink.bottom();
        QVERIFY2(inkTop >= -1 && inkBottom <= box.height() + 1,
                 qPrintable(QStringLiteral("%1: ink %2..%3 in %4")
                                .arg(label->objectName())
                                .arg(inkTop)
                                .arg(inkBottom)
                                .arg(box.height())));
    }
    for (QAbstractButton* button : m_window->findChildren<QAbstractButton*>()) {
        const int room = button->width() - (qobject_cast<QCheckBox*>(button) ? 18 : 4);
        QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) <= room,
                 qPrintable(button->objectName()));
    }
    // The verdicts a rule may write are as wide as the button allows.
    auto* verdict = control<QPushButton>("评分结果");
    for (const char* caption : {"积分通过，马上入户", "差一点，考证入户", "需要补充一点分数…"})
        QVERIFY(verdict->fontMetrics().horizontalAdvance(caption) <= verdict->width() - 4);
    // Every item shows whole in its list's text field.
    for (QComboBox* list : m_window->findChildren<QComboBox*>()) {
        QStyleOptionComboBox option;
        option.initFrom(list);
        const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                          QStyle::SC_ComboBoxEditField, list);
        for (int i = 0; i < list->count(); ++i) {
            QVERIFY2(list->fontMetrics().horizontalAdvance(list->itemText(i)) <= field.width(),
                     qPrintable(list->itemText(i)));
        }
    }
}

void MainWindowTest::pasteNonNumbers_data() {
    QTest::addColumn<QString>("pasted");
    QTest::newRow("letters") << "abc";
    QTest::newRow("Chinese") << "十八岁";
    QTest::newRow("full-width digits") << "１２";
    QTest::newRow("negative") << "-12";
    QTest::newRow("exponent overflow") << "1e999";
    QTest::newRow("huge") << "123456789012345678901234567890";
    QTest::newRow("nan") << "nan";
    QTest::newRow("spaces and control") << " 7\t";
    QTest::newRow("markup") << "<b>9</b>";
    QTest::newRow("astral") << "😀";
}

void MainWindowTest::pasteNonNumbers() {
    QFETCH(QString, pasted);
    QGuiApplication::clipboard()->setText(pasted);
    m_sheet->setText(Field::房产状况, "居住证"); // enables 居住时长
    for (const QString& box : kTextBoxes) {
        auto* edit = control<QLineEdit>(box);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        // Pasting is not typing: the text arrives unfiltered (a line edit drops only the
        // line breaks), then the rules do with it what they do.
        QCOMPARE(edit->text(), text(*fieldByName(utf8(box))));
    }
    QCOMPARE(control<QLineEdit>("统一月数")->text(), pasted);
    for (const char* command : {"统一月", "统一年", "身份证解读", "重置"})
        QTest::mouseClick(control<QPushButton>(command), Qt::LeftButton);
    QCOMPARE(control<QPushButton>("评分结果")->text(), "综合计算中…");
}

void MainWindowTest::sheetOutlivesWindow() {
    m_window.reset();
    m_sheet->setText(Field::年龄, "40"); // the window's observer is gone, not dangling
    m_sheet->click(Command::统一年);
    QCOMPARE(m_sheet->text(Field::年龄), "40");
}

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    installFonts();
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "mainwindow_test.moc"
