#include "json.h"

#include "form/form.h"
#include "form/inputrules.h"
#include "links/outbound.h"
#include "scoring/numbers.h"

#include <cstdio>

namespace pelmora::web {

namespace {

std::string_view kindName(form::Kind kind) {
    switch (kind) {
    case form::Kind::Label:
        return "Label";
    case form::Kind::TextBox:
        return "TextBox";
    case form::Kind::List:
        return "List";
    case form::Kind::Button:
        return "Button";
    case form::Kind::CheckBox:
        return "CheckBox";
    case form::Kind::Frame:
        return "Frame";
    case form::Kind::Picture:
        return "Picture";
    }
    return "";
}

std::string_view alignment(unsigned look) {
    if (look & form::Centre)
        return "center";
    if (look & form::Right)
        return "right";
    return "left";
}

std::string utf8(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size())
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        out += pelmora::utf8(c);
    }
    return out;
}

std::string_view cellName(form::Cell cell) {
    switch (cell) {
    case form::Cell::Caption:
        return "Caption";
    case form::Cell::Value:
        return "Value";
    case form::Cell::Unit:
        return "Unit";
    case form::Cell::Score:
        return "Score";
    case form::Cell::Whole:
        return "Whole";
    case form::Cell::Held:
        return "Held";
    case form::Cell::Hidden:
        return "Hidden";
    }
    return "";
}

std::string_view keyboardName(Keyboard keyboard) {
    switch (keyboard) {
    case Keyboard::Text:
        return "text";
    case Keyboard::Digits:
        return "numeric";
    case Keyboard::Decimal:
        return "decimal";
    }
    return "";
}

std::string rgb(form::Rgb colour) {
    return "rgb(" + std::to_string(colour.red) + "," + std::to_string(colour.green) + "," +
           std::to_string(colour.blue) + ")";
}

std::string rect(int left, int top, int width, int height) {
    return "[" + std::to_string(form::pixels(left)) + "," + std::to_string(form::pixels(top)) +
           "," + std::to_string(form::pixels(width)) + "," + std::to_string(form::pixels(height)) +
           "]";
}

std::string boolean(bool value) {
    return value ? "true" : "false";
}

} // namespace

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", c);
                out += escape;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::string formJson() {
    std::string out = "{\"title\":" + quoted(form::kWindowTitle) +
                      ",\"fontFamily\":" + quoted(form::kFontFamily) +
                      ",\"copyAssessment\":" + quoted(form::kCopyAssessment) +
                      ",\"close\":" + quoted(utf8(outbound::kLaunchFailureClose)) +
                      ",\"size\":" + rect(0, 0, form::kClientWidth, form::kClientHeight) +
                      ",\"firstFocus\":" + quoted(form::firstFocus().name) +
                      ",\"desktopLayout\":" + quoted(form::kDesktopLayout) +
                      ",\"phoneLayout\":" + quoted(form::kPhoneLayout) + ",\"phoneRed\":\"" +
                      rgb(form::kPhoneRed) + "\"" +
                      ",\"telephone\":" + quoted(form::telephoneNumber());
    namespace qr = form::qrcode;
    out += ",\"qrCode\":{\"title\":" + quoted(qr::kTitle) + ",\"picture\":" + quoted(qr::kPicture) +
           ",\"client\":" + rect(0, 0, qr::kClientWidth, qr::kClientHeight) +
           ",\"image\":" + rect(qr::kImageLeft, qr::kImageTop, qr::kImageWidth, qr::kImageHeight) +
           "}";
    out += ",\"controls\":[";
    bool first = true;
    for (const form::Control& c : form::controls()) {
        const std::optional<Field> field = fieldByName(c.name);
        const form::Action action = form::actionOf(c.name);
        out += first ? "{" : ",{";
        first = false;
        out += "\"name\":" + quoted(c.name) + ",\"kind\":\"" + std::string(kindName(c.kind)) +
               "\",\"container\":" + quoted(c.container) + ",\"text\":" + quoted(c.text) +
               ",\"rect\":" + rect(c.left, c.top, c.width, c.height) +
               ",\"pointSize\":" + std::to_string(form::pointSize(c.font)) +
               ",\"underline\":" + boolean(form::isUnderlined(c.font)) + ",\"align\":\"" +
               std::string(alignment(c.look)) + "\",\"link\":" + boolean(c.look & form::Link);
        if (const std::optional<form::Rgb> colour = form::textColour(c.look))
            out += ",\"colour\":\"" + rgb(*colour) + "\"";
        out += ",\"line\":[" + std::to_string(c.line.number) + ",\"" +
               std::string(cellName(c.line.cell)) + "\"]";
        if (field && c.kind == form::Kind::TextBox)
            out += ",\"keyboard\":\"" + std::string(keyboardName(keyboardFor(*field))) + "\"";
        out += ",\"tab\":" + std::to_string(c.tab) + ",\"names\":" + quoted(c.names) +
               ",\"describes\":" + quoted(c.describes) + ",\"says\":" + quoted(c.says) +
               ",\"field\":" + std::to_string(field ? index(*field) : -1) +
               ",\"filtered\":" + boolean(field && isFilteredBox(*field)) +
               ",\"action\":" + boolean(action != form::Action::None) + ",\"items\":[";
        bool firstItem = true;
        for (std::string_view item :
             field ? listItems(*field) : std::span<const std::string_view>{}) {
            out += (firstItem ? "" : ",") + quoted(item);
            firstItem = false;
        }
        out += "]}";
    }
    return out + "]}";
}

std::string stateJson(const ScoreSheet& sheet) {
    std::string texts, picked, enabled;
    for (int i = 0; i < kFieldCount; ++i) {
        const Field field = static_cast<Field>(i);
        const std::string_view comma = i ? "," : "";
        texts += std::string(comma) + quoted(sheet.text(field));
        picked += std::string(comma) + std::to_string(form::pickedIndex(field, sheet.text(field)));
        enabled += std::string(comma) + boolean(form::isEnabled(sheet, field));
    }
    return "{\"texts\":[" + texts + "],\"picked\":[" + picked +
           "],\"checked\":" + boolean(sheet.isChecked()) + ",\"enabled\":[" + enabled + "]}";
}

std::string effectJson(std::string_view said, const form::Effect& effect) {
    return "{\"said\":" + quoted(said) + ",\"address\":" +
           (effect.link ? quoted(utf8(effect.link->address)) : std::string("null")) +
           ",\"qrCode\":" + boolean(effect.openQrCode) + "}";
}

} // namespace pelmora::web
