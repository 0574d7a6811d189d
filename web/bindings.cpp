// The browser view's way into the core: the form table, the score sheet, the actions and
// the sentences, as plain C functions over UTF-8 texts and JSON, for page.js to call in
// the WebAssembly module. The page binds to the controls written into it from the same
// table as form()'s and shows what the other functions return; it holds no rule, caption
// or sentence of its own.
#include "json.h"

#include "form/actions.h"
#include "form/announce.h"
#include "form/form.h"
#include "form/inputrules.h"
#include "links/outbound.h"
#include "present/compose.h"
#include "scoring/scoresheet.h"

#include <emscripten/emscripten.h>

#include <string>

using namespace pelmora;

namespace {

ScoreSheet& sheet() {
    static ScoreSheet instance;
    return instance;
}

// The text last handed to the page; valid until the next call.
const char* handOver(std::string text) {
    static std::string held;
    held = std::move(text);
    return held.c_str();
}

const form::Control* row(int control) {
    const auto rows = form::controls();
    return control >= 0 && std::size_t(control) < rows.size() ? &rows[std::size_t(control)]
                                                              : nullptr;
}

std::optional<Field> fieldOf(int control) {
    const form::Control* c = row(control);
    return c ? fieldByName(c->name) : std::nullopt;
}

// Runs a user's action on a control and returns the sentence heard after it.
template <typename Action> const char* act(const form::Control& c, Action action) {
    const form::Heard heard(sheet(), c);
    action();
    return handOver(heard.message(sheet()));
}

} // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* pelmora_form() {
    return handOver(web::formJson());
}

// Every field's text, the check box and whether each field takes input now.
EMSCRIPTEN_KEEPALIVE const char* pelmora_state() {
    return handOver(web::stateJson(sheet()));
}

// A text box's whole new text, as typed or pasted.
EMSCRIPTEN_KEEPALIVE const char* pelmora_edit(int control, const char* text) {
    const std::optional<Field> field = fieldOf(control);
    if (!field)
        return handOver({});
    return act(*row(control), [&] { sheet().setText(*field, text); });
}

// A pick of a list's item by its place.
EMSCRIPTEN_KEEPALIVE const char* pelmora_pick(int control, int item) {
    const std::optional<Field> field = fieldOf(control);
    const auto items = field ? listItems(*field) : std::span<const std::string_view>{};
    if (item < 0 || std::size_t(item) >= items.size())
        return handOver({});
    return act(*row(control), [&] { sheet().setText(*field, items[std::size_t(item)]); });
}

EMSCRIPTEN_KEEPALIVE const char* pelmora_check(int control, int on) {
    if (!fieldOf(control))
        return handOver({});
    return act(*row(control), [&] { sheet().setChecked(on != 0); });
}

// A click on a button, a picture or a link label: {"said", "address", "qrCode"}.
EMSCRIPTEN_KEEPALIVE const char* pelmora_click(int control) {
    const form::Control* c = row(control);
    if (!c)
        return handOver({});
    const form::Action action = form::actionOf(c->name);
    std::string said;
    form::Effect effect;
    if (form::changesSheet(action)) {
        said = act(*c, [&] { effect = form::run(sheet(), action); });
    } else {
        effect = form::effectOf(action, sheet().text(Field::评分结果));
    }
    return handOver(web::effectJson(said, effect));
}

// Whether a filtered box takes a typed character (one UTF-16 code).
EMSCRIPTEN_KEEPALIVE int pelmora_accepts(int control, int code) {
    const std::optional<Field> field = fieldOf(control);
    return !field || acceptsTypedCharacter(*field, static_cast<char16_t>(code));
}

EMSCRIPTEN_KEEPALIVE const char* pelmora_tooltip(int control) {
    const std::optional<Field> field = fieldOf(control);
    return handOver(field ? tooltipText(sheet(), *field) : std::string());
}

EMSCRIPTEN_KEEPALIVE const char* pelmora_help(int control) {
    const form::Control* c = row(control);
    return handOver(c ? helpText(sheet(), form::helpField(c->name)) : std::string());
}

EMSCRIPTEN_KEEPALIVE const char* pelmora_assessment() {
    return handOver(assessmentText(sheet(), today()));
}

// Where the QR-code window opens in a viewport of this size: [left, top, width, height].
EMSCRIPTEN_KEEPALIVE const char* pelmora_qr_rect(int width, int height) {
    const form::Rect r = form::qrcode::openingRect({0, 0, width, height});
    return handOver("[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                    std::to_string(r.width) + "," + std::to_string(r.height) + "]");
}

} // extern "C"
