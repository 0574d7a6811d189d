// The form of the main window as data: one row per control, to be read like the form
// itself. MainWindow builds its widgets, binding, tab order and accessibility from
// these rows alone, so every fact about a control is written here once.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

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

struct Control {
    std::string_view name; // the control name, and the widget's objectName
    Kind kind;
    std::string_view container; // a frame's name; empty for the window's client area
    // The caption, or a picture's resource. Empty for the controls that are fields of the
    // score sheet: they show what the sheet holds, list items included.
    std::string_view text;
    int left, top, width, height; // twips, from the container's outer top-left corner
    Font font;
    unsigned look;
    int tab; // place in the tab order; only inputs and buttons take focus
    // For a caption label: the input or value it is the caption of.
    std::string_view names = {};
    // For a label: the control whose accessible description it is (a unit, a note).
    std::string_view describes = {};
    // For an input or a command: the fields (space-separated, in the order spoken) that a
    // screen reader hears after the user acts on it, when they changed, before the total
    // and the verdict, which it hears for every control.
    std::string_view heard = {};
    // For a picture or a link: what it is and what a click does, for assistive technology.
    std::string_view says = {};
};

// Every control, containers before what they hold.
std::span<const Control> controls();

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kClientWidth = 5385;   // twips
inline constexpr int kClientHeight = 10275; // twips

// The second window, 二维码, holds one picture, Image1; in twips from the screen's corner
// (the client area's place when it first opens) and from the client area's corner.
namespace qrcode {
inline constexpr int kLeft = 12675, kTop = 7035;
inline constexpr int kClientWidth = 4110, kClientHeight = 4095;
inline constexpr int kImageLeft = 120, kImageTop = 120, kImageWidth = 3870, kImageHeight = 3870;
inline constexpr std::string_view kPicture = ":/assets/qr-large.jpg";
} // namespace qrcode

} // namespace pelmora::form
