// What the browser view reads from the core, as JSON: the form table with its rectangles
// in pixels, the sheet's state and a click's effect. Standard C++ only, so that a native
// program prints the same texts for the browser test to expect.
#pragma once

#include "form/actions.h"
#include "scoring/scoresheet.h"

#include <string>
#include <string_view>

namespace pelmora::web {

// The form's facts and its 70 controls, each with its field (or -1), list items, look,
// rectangle in pixels at 96 dpi from its container's corner, and accessibility columns.
std::string formJson();

// {"texts": [...], "picked": [...], "checked": bool, "enabled": [...]}, one entry per field
// in Field order; picked is a list's current item (-1 for none and for other fields).
std::string stateJson(const ScoreSheet& sheet);

// {"said": "...", "address": "..." or null, "qrCode": bool}
std::string effectJson(std::string_view said, const form::Effect& effect);

// A JSON string literal.
std::string quoted(std::string_view text);

} // namespace pelmora::web
