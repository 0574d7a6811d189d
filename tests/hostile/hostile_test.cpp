// Hostile input through the real window: texts pasted into every text box, then every
// button clicked. After each step every control must show what an independent model of
// the rules (fuzz/model.h, shared with the fuzzer) computes from the texts the boxes
// actually hold, and a few outcomes that rest on our choices for unreadable input are
// pinned explicitly.
#include "window/fonts.h"
#include "window/mainwindow.h"
#ifndef Q_MOC_RUN // moc cannot read the Chinese names in the sheet's headers
#include "fuzz/model.h"
#include "scoring/scoresheet.h"
#endif

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

#include <memory>

using namespace pelmora;
using pelmora::fuzz::Model;

namespace {

constexpr int kYear = 2026;

const QStringList kTextBoxes{"ID",       "年龄",       "居住时长", "养老月数", "医疗月数",
                             "工伤月数", "生育险月数", "失业月数", "统一月数", "统一年数"};

QString qt(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Fifteen or eighteen Chinese characters where an ID number's digits belong.
QString chineseId(int length) {
    const QString digits = QStringLiteral("〇一二三四五六七八九");
    QString id;
    for (int i = 0; i < length; ++i)
        id += digits[i % 10];
    return id;
}

} // namespace

class HostileInputTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void pasteEverywhereThenClick_data();
    void pasteEverywhereThenClick();
    void documentedOutcomes_data();
    void documentedOutcomes();

  private:
    template <class T> T* control(const QString& name) const {
        T* widget = m_window->findChild<T*>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    void paste(const QString& box, const QString& text);
    void pickResidencePermit();
    void click(const QString& button);
    void compareWithModel(const char* step);

    std::unique_ptr<ScoreSheet> m_sheet;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<Model> m_model;
};

void HostileInputTest::init() {
    m_sheet = std::make_unique<ScoreSheet>([] { return kYear; });
    m_window = std::make_unique<MainWindow>(*m_sheet);
    m_model = std::make_unique<Model>(kYear);
}

void HostileInputTest::cleanup() {
    m_window.reset();
    m_sheet.reset();
    m_model.reset();
}

// Select all, paste: what a person does. A line edit drops tabs and line breaks from what
// it pastes; everything else must reach the sheet as it stands.
void HostileInputTest::paste(const QString& box, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    auto* edit = control<QLineEdit>(box);
    QVERIFY2(edit->isEnabled(), qPrintable(box));
    m_model->beginOperation();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QString held = text;
    held.remove(QRegularExpression(QStringLiteral("[\t\r\n]")));
    m_model->write(*fieldByName(box.toStdString()), held.toStdString());
    m_model->endOperation();
}

void HostileInputTest::pickResidencePermit() {
    // Down twice from nothing picked: 无房产, then 居住证, each a pick.
    auto* list = control<QComboBox>("房产状况");
    list->setFocus();
    for (const char* item : {"无房产", "居住证"}) {
        m_model->beginOperation();
        QTest::keyClick(list, Qt::Key_Down);
        m_model->write(Field::房产状况, item);
        m_model->endOperation();
    }
    QCOMPARE(list->currentText(), "居住证");
}

void HostileInputTest::click(const QString& button) {
    m_model->beginOperation();
    QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton);
    if (button == "统一月")
        m_model->unify(Command::统一月);
    else if (button == "统一年")
        m_model->unify(Command::统一年);
    else if (button == "身份证解读")
        m_model->interpretId();
    else
        m_model->reset();
    m_model->endOperation();
}

// Every control shows what the model says, and the sheet holds nothing but valid UTF-8.
void HostileInputTest::compareWithModel(const char* step) {
    const auto expected = m_model->expectedTexts();
    for (int i = 0; i < kFieldCount; ++i) {
        const Field field = static_cast<Field>(i);
        const QString name = qt(fieldName(field));
        QVERIFY2(fuzz::isValidUtf8(m_sheet->text(field)), qPrintable(name));
        QString shown;
        if (auto* edit = m_window->findChild<QLineEdit*>(name))
            shown = edit->text();
        else if (auto* list = m_window->findChild<QComboBox*>(name))
            shown = list->currentIndex() < 0 ? QString() : list->currentText();
        else if (auto* label = m_window->findChild<QLabel*>(name))
            shown = label->text();
        else if (auto* button = m_window->findChild<QPushButton*>(name))
            shown = button->text();
        else if (auto* box = m_window->findChild<QCheckBox*>(name)) {
            QVERIFY2(box->isChecked() == m_model->isChecked(), step);
            continue;
        } else
            QFAIL(qPrintable(QStringLiteral("no control %1").arg(name)));
        const QString want = qt(expected[i]);
        if (shown != want) {
            QFAIL(qPrintable(QStringLiteral("%1: %2 shows \"%3\", expected \"%4\"")
                                 .arg(step, name, shown.left(60), want.left(60))));
        }
    }
    QCOMPARE(control<QLineEdit>("居住时长")->isEnabled(), m_model->isResidenceEnabled());
}

void HostileInputTest::pasteEverywhereThenClick_data() {
    QTest::addColumn<QString>("pasted");
    QTest::newRow("empty") << "";
    QTest::newRow("spaces") << "   ";
    QTest::newRow("minus zero") << "-0";
    QTest::newRow("plus five") << "+5";
    QTest::newRow("overflow 1e309") << "1e309";
    QTest::newRow("underflow 1e-400") << "1e-400";
    QTest::newRow("nan") << "nan";
    QTest::newRow("inf") << "inf";
    QTest::newRow("full-width digits") << "１２";
    QTest::newRow("100000 characters") << QString(100000, QChar(u'7'));
    QTest::newRow("100000 letters") << QString(100000, QChar(u'z'));
    QTest::newRow("NUL inside") << QString::fromUtf8("12\0"
                                                     "34",
                                                     5);
    QTest::newRow("right-to-left marks") << QStringLiteral("\u200F12\u200F");
    QTest::newRow("emoji") << QStringLiteral("😀🇨🇳");
    QTest::newRow("lone surrogate") << QString(QChar(0xD83D)) + "12";
    QTest::newRow("Chinese") << QStringLiteral("四十二岁");
    QTest::newRow("Chinese ID of 15") << chineseId(15);
    QTest::newRow("Chinese ID of 18") << chineseId(18);
    QTest::newRow("just above int32") << "2147483648";
    QTest::newRow("int32 maximum") << "2147483647";
    QTest::newRow("just above 2^63") << "9223372036854775809";
    QTest::newRow("above 2^64") << "18446744073709551617";
    QTest::newRow("years overflowing x12") << "1.7e308";
    QTest::newRow("valid ID") << "11010119850307003X";
}

// State: a fresh window with the residence box enabled. Action: paste the text into each
// of the ten text boxes in turn, then click 统一月, 统一年, 身份证解读 and 重置.
// Expected: after every step the window shows what the model computes.
void HostileInputTest::pasteEverywhereThenClick() {
    QFETCH(QString, pasted);
    pickResidencePermit();
    compareWithModel("pick 居住证");
    for (const QString& box : kTextBoxes) {
        paste(box, pasted);
        compareWithModel(qPrintable("paste into " + box));
    }
    for (const char* button : {"统一月", "统一年", "身份证解读", "重置"}) {
        click(button);
        compareWithModel(button);
    }
    QCOMPARE(control<QPushButton>("评分结果")->text(), "综合计算中…");
}

void HostileInputTest::documentedOutcomes_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("button"); // clicked after the paste, if any
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("shown");

    // Unreadable ages score 0; "+5" and "-0" are numbers.
    QTest::newRow("age 1e309") << "年龄"
                               << "1e309"
                               << ""
                               << "年龄得分"
                               << "0";
    QTest::newRow("age nan") << "年龄"
                             << "nan"
                             << ""
                             << "年龄得分"
                             << "0";
    QTest::newRow("age full-width") << "年龄"
                                    << "４２"
                                    << ""
                                    << "年龄得分"
                                    << "0";
    QTest::newRow("age spaces around") << "年龄"
                                       << " 42 "
                                       << ""
                                       << "年龄得分"
                                       << "-6";
    QTest::newRow("age +5") << "年龄"
                            << "+5"
                            << ""
                            << "年龄得分"
                            << "0";
    QTest::newRow("age emptied") << "年龄"
                                 << ""
                                 << ""
                                 << "年龄"
                                 << "18";
    // Large numbers are scored by the formula, not clipped to 32 bits.
    QTest::newRow("residence above int32") << "居住时长"
                                           << "2147483648"
                                           << ""
                                           << "房产得分"
                                           << "10";
    QTest::newRow("residence 1e-400") << "居住时长"
                                      << "1e-400"
                                      << ""
                                      << "房产得分"
                                      << "0";
    QTest::newRow("pension above int32") << "养老月数"
                                         << "2147483648"
                                         << ""
                                         << "养老得分"
                                         << "536870910";
    QTest::newRow("pension above 2^63") << "养老月数"
                                        << "9223372036854775809"
                                        << ""
                                        << "养老得分"
                                        << "2.30584300921369e+18";
    QTest::newRow("cap above 2^63") << "养老月数"
                                    << "9223372036854775809"
                                    << ""
                                    << "社保得分"
                                    << "60";
    QTest::newRow("months -0") << "医疗月数"
                               << "-0"
                               << ""
                               << "医疗得分"
                               << "0";
    QTest::newRow("months 1e309") << "医疗月数"
                                  << "1e309"
                                  << ""
                                  << "医疗得分"
                                  << "0";
    // A unify box that holds no number, or whose months overflow, changes nothing.
    QTest::newRow("unify months nan") << "统一月数"
                                      << "nan"
                                      << "统一月"
                                      << "养老月数"
                                      << "0";
    QTest::newRow("unify years 1.7e308") << "统一年数"
                                         << "1.7e308"
                                         << "统一年"
                                         << "养老月数"
                                         << "0";
    QTest::newRow("unify years 1e307") << "统一年数"
                                       << "1e307"
                                       << "统一年"
                                       << "养老月数"
                                       << "1.2e+308";
    QTest::newRow("unify months -0") << "统一月数"
                                     << "-0"
                                     << "统一月"
                                     << "失业月数"
                                     << "0";
    QTest::newRow("unify months +5") << "统一月数"
                                     << "+5"
                                     << "统一月"
                                     << "失业月数"
                                     << "+5";
    // ID positions count characters; year and sex must be ASCII digits.
    QTest::newRow("ID of 18 Chinese") << "ID" << chineseId(18) << "身份证解读"
                                      << "出生日期"
                                      << "号码有误";
    QTest::newRow("ID of 15 Chinese") << "ID" << chineseId(15) << "身份证解读"
                                      << "出生日期"
                                      << "号码有误";
    QTest::newRow("ID with Chinese in the year") << "ID"
                                                 << "110101198五0307003X"
                                                 << "身份证解读"
                                                 << "出生日期"
                                                 << "号码有误";
    QTest::newRow("ID Chinese month and day") << "ID"
                                              << "1101011985三月七日0031"
                                              << "身份证解读"
                                              << "出生日期"
                                              << "1985年三月月七日日";
    QTest::newRow("ID with NUL in the sequence") << "ID"
                                                 << QString::fromUtf8("11010119850307\0"
                                                                      "031",
                                                                      18)
                                                 << "身份证解读"
                                                 << "年龄"
                                                 << "41";
    QTest::newRow("ID of 100000") << "ID" << QString(100000, QChar(u'1')) << "身份证解读"
                                  << "出生日期"
                                  << "号码有误";
}

// State: a fresh window with the residence box enabled. Action: one paste, perhaps one
// click. Expected: the label shows the outcome we chose for such input.
void HostileInputTest::documentedOutcomes() {
    QFETCH(QString, box);
    QFETCH(QString, pasted);
    QFETCH(QString, button);
    QFETCH(QString, label);
    QFETCH(QString, shown);
    pickResidencePermit();
    paste(box, pasted);
    if (!button.isEmpty())
        click(button);
    QWidget* widget = m_window->findChild<QWidget*>(label);
    QVERIFY(widget);
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        QCOMPARE(edit->text(), shown);
    else
        QCOMPARE(static_cast<QLabel*>(widget)->text(), shown);
    compareWithModel("after the paste");
}

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    installFonts();
    HostileInputTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "hostile_test.moc"
