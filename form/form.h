// The form layer: everything about the window that no toolkit needs, shared by every view.
//
//   form.h        the 70 controls as one table (kind, container, text, rectangle, font,
//                 look, tab place, accessibility), and the facts every view applies to
//                 it: title, font family, colours, twips to pixels, first focus, pictures
//   inputrules.h  which typed characters a box takes, and the reset
//   actions.h     what a click on a control does: a command on the sheet, a link, the
//                 QR-code window
//   announce.h    the sentence a screen reader hears after each action
//
// Each view (Qt in window/, Win32 in win32/, the page in web/) creates its controls from
// these rows, hands the user's events to the sheet and to actions.h, and shows what comes
// back; a view computes nothing and writes no sentence of its own.
#pragma once

#include "scoring/fields.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string_view>

namespace pelmora {
class ScoreSheet;
}

namespace pelmora::form {

enum class Kind : std::uint8_t { Label, TextBox, List, Button, CheckBox, Frame, Picture };

// The font letters of the form: D the window's default, L large, M medium, S small,
// Su small underlined.
enum class Font : std::uint8_t { D, L, M, S, Su };

// Every font is "宋体", regular. D, the window's default, is our choice: the form leaves it open.
inline constexpr double pointSize(Font font) {
    switch (font) {
    case Font::L:
        return 14.25;
    case Font::M:
        return 10.5;
    case Font::S:
    case Font::Su:
        return 7.5;
    case Font::D:
        break;
    }
    return 9;
}
inline constexpr bool isUnderlined(Font font) {
    return font == Font::Su;
}

enum Look : std::uint8_t {
    Plain = 0,
    Red = 1,    // text in red (255, 0, 0)
    Centre = 2, // text centred
    Right = 4,  // text right-aligned
    Link = 8,   // text in the palette's highlight colour
};

// Fields named in the table, checked by the compiler: a misspelt name cannot build.
class FieldList {
  public:
    constexpr FieldList() = default;
    constexpr FieldList(std::initializer_list<Field> fields) {
        for (Field field : fields)
            m_fields[m_count++] = field; // more than kCapacity fails to compile in the table
    }
    constexpr const Field* begin() const { return m_fields.data(); }
    constexpr const Field* end() const { return m_fields.data() + m_count; }
    constexpr bool empty() const { return m_count == 0; }
    constexpr std::size_t size() const { return m_count; }

    static constexpr std::size_t kCapacity = 6;

  private:
    std::array<Field, kCapacity> m_fields{};
    std::size_t m_count = 0;
};

// Where a control stands in the one-column layout of a narrow screen (the browser view's
// phone layout). Lines are numbered down the page; a frame's line is its title's, and the
// frame reaches down to its members' last line. On a line, a control takes its cell and
// the cells up to the next control's, or to the line's end.
enum class Cell : std::uint8_t {
    Caption, // a caption, at the line's start
    Value,   // an input or a shown value
    Unit,    // a unit, or a command beside its box
    Score,   // the score the line's input feeds
    Whole,   // the whole line
    Held,    // in the result bar, kept in sight while a box has the focus
    Hidden,  // not shown there (a frame that only draws a line)
};
struct Line {
    int number; // 0 for Held and Hidden
    Cell cell;
};

struct Control {
    std::string_view name; // the control name, and the widget's objectName
    Kind kind;
    std::string_view container; // a frame's name; empty for the window's client area
    // The caption, or a picture's asset (its file name under assets/, which each view maps
    // to its own resources). Empty for the controls that are fields of the score sheet:
    // they show what the sheet holds, list items included.
    std::string_view text;
    int left, top, width, height; // twips, from the container's outer top-left corner
    Font font;
    unsigned look;
    int tab;   // place in the tab order; only inputs and buttons take focus
    Line line; // on a narrow screen
    // For a caption label: the input or value it is the caption of.
    std::string_view names = {};
    // For a label: the control whose accessible description it is (a unit, a note).
    std::string_view describes = {};
    // For an input or a command whose action a screen reader hears (form/announce.h):
    // the fields it may change, in the order spoken. Empty for a control whose edits change
    // no score by themselves (the ID and unify boxes): the screen reader's own echo of the
    // key is enough there.
    FieldList heard = {};
    // For a picture or a link: what it is and what a click does, for assistive technology.
    std::string_view says = {};
};

// Every control, containers before what they hold.
std::span<const Control> controls();

// The row of the named control, else null.
const Control* control(std::string_view name);

// The control that has the focus when the window opens: the first in the tab order.
const Control& firstFocus();

inline constexpr std::string_view kWindowTitle = "Pelmora";
// The window's menu command that copies the whole assessment (present/compose.h); its key
// is Ctrl+Shift+C, and F1 on an input explains the score it feeds.
inline constexpr std::string_view kCopyAssessment = "复制评分明细";
inline constexpr std::string_view kFontFamily = "宋体";
// The browser view's choice of layout: the form as it is, or the phone's one column.
inline constexpr std::string_view kDesktopLayout = "电脑版";
inline constexpr std::string_view kPhoneLayout = "手机版";
// The contact number, which a phone dials from a tel: link.
std::string_view telephoneNumber();

struct Rgb {
    std::uint8_t red, green, blue;
};
// The colour of a control's text: the form's red, or nullopt for the toolkit's own (the
// window text; a Link takes the palette's highlight colour, which the view looks up).
inline constexpr std::optional<Rgb> textColour(unsigned look) {
    return look & Red ? std::optional<Rgb>(Rgb{255, 0, 0}) : std::nullopt;
}
// The red of the phone layout: darker, so that small text on the window's grey reads at a
// contrast of 4.5:1 or more on a small screen.
inline constexpr Rgb kPhoneRed{192, 0, 0};

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kClientWidth = 5385;   // twips
inline constexpr int kClientHeight = 10275; // twips

// Twips (1440 to the inch) to pixels at a given resolution, rounded to the nearest pixel
// (15 twips a pixel at 96 dpi).
inline constexpr int pixels(int twips, int dpi = 96) {
    const long long scaled = static_cast<long long>(twips) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}

struct Rect {
    int left, top, width, height;
    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

// A rectangle moved just enough to lie inside an area; its top-left corner is kept inside
// when the area is the smaller.
inline constexpr Rect clampedInto(Rect rect, Rect area) {
    auto clamp = [](int at, int size, int from, int room) {
        const int last = from + room - size;
        if (at > last)
            at = last;
        return at < from ? from : at;
    };
    return {clamp(rect.left, rect.width, area.left, area.width),
            clamp(rect.top, rect.height, area.top, area.height), rect.width, rect.height};
}

// The place of a list's current item among its items, -1 for a text that is none of them.
int pickedIndex(Field list, std::string_view text);

// Whether a field's control takes input now: 居住时长 only while the sheet enables it.
bool isEnabled(const ScoreSheet& sheet, Field field);

// The program icon: the .ico and the PNG sizes beside it under assets/ (the page's web app
// manifest takes two larger ones too, 192 and 512).
inline constexpr std::string_view kIconFile = "pelmora.ico";
inline constexpr std::array kIconSizes{16, 24, 32, 48, 64, 128, 256};

// The second window, 二维码, holds one picture, Image1; in twips from the screen's corner
// (the client area's place when it first opens) and from the client area's corner.
namespace qrcode {
inline constexpr int kLeft = 12675, kTop = 7035;
inline constexpr int kClientWidth = 4110, kClientHeight = 4095;
inline constexpr int kImageLeft = 120, kImageTop = 120, kImageWidth = 3870, kImageHeight = 3870;
inline constexpr std::string_view kTitle = "二维码";
inline constexpr std::string_view kPicture = "qr-large.jpg";
// The client area where the window first opens, in pixels at dpi, moved just enough to
// lie inside the given available area of its screen (in pixels too).
inline constexpr Rect openingRect(Rect available, int dpi = 96) {
    return clampedInto({pixels(kLeft, dpi), pixels(kTop, dpi), pixels(kClientWidth, dpi),
                        pixels(kClientHeight, dpi)},
                       available);
}
} // namespace qrcode

} // namespace pelmora::form
