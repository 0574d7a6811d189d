// The Qt view: every control of the form, bound to the score sheet.
//
//   mainwindow.h  builds the widgets from the form's table (form/form.h) and binds the
//                 sheet's fields to them; commands go through form/actions.h
//   qtform.h      the form's texts, rectangles, fonts, pictures and icon in Qt's types
//   keyfilter.h   the key filters of the number boxes, judged by inputrules.h
//   fonts.h       the bundled Song-style font behind "宋体"
//   frame.h       the frames, drawn as the form draws them
// A score's tooltip, F1 on an input and the copied assessment are the texts of
// present/compose.h, made when asked for, never per keystroke.
//
//   accessible.h  how a screen reader hears: frame names, and the announcer that delivers
//                 the form's message after each action
//
//   links.h            the window's links and its QR-code window, attached by object name
//   desktoplauncher.h  the links' launcher: the desktop's browser, or a message to copy from
//   qrcodewindow.h     the second window with the large QR code
// Which control opens what, and the command line, are the rules every view shares
// (links/outbound.h).
//
// The sheet is the one source of truth. A user's edit is written into the sheet, whose
// rules run before the write returns; the window hears of every write through its
// subscription and shows the new text at once. Widgets compute nothing. Updates from the
// sheet are set with the widget's signals blocked and only when the text differs, so they
// never echo back, and the caret stays where the user left it unless the sheet changed
// the text to something else.
#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace pelmora {

// Declared, not included: moc cannot read the Chinese names in the sheet's headers.
class ScoreSheet;
enum class Field : std::uint8_t;
class Announcer;
namespace form {
struct Control;
}

class MainWindow final : public QWidget {
    Q_OBJECT
  public:
    explicit MainWindow(ScoreSheet& sheet, QWidget* parent = nullptr);
    ~MainWindow() override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override; // tooltips made when shown

  private:
    void build();
    void bind(Field field, QWidget* widget, const form::Control& row);
    void bindCommand(QWidget* widget, const form::Control& row);
    void act(const form::Control& row, const std::function<void()>& action);
    void refresh(Field field);
    void explainFocus();
    void copyAssessment();

    ScoreSheet& m_sheet;
    std::uint64_t m_subscription = 0;
    std::vector<QWidget*> m_fields;   // by Field
    Announcer* m_announcer = nullptr; // tells a screen reader what an action changed
    bool m_iconSet = false;
};

} // namespace pelmora
