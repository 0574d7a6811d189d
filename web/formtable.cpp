// Prints the form table and the score sheet's texts at start, as one JSON object, for the
// page's assembler: it writes the form's markup and style from them when the page is built,
// so that the browser paints the form before any script has run. With them goes the
// verdict's explanation at start, which a phone shows under the result's title: written in
// as well, it is there at the first paint, and nothing moves down when the script starts.
#include "json.h"

#include "form/form.h"
#include "present/compose.h"
#include "scoring/fields.h"
#include "scoring/scoresheet.h"

#include <cstdio>
#include <string>

int main() {
    const pelmora::ScoreSheet sheet;
    std::string why;
    for (const pelmora::form::Control& c : pelmora::form::controls()) {
        const auto field = pelmora::fieldByName(c.name);
        if (c.kind == pelmora::form::Kind::Button && field)
            why = pelmora::tooltipText(sheet, *field);
    }
    std::printf("{\"form\":%s,\"state\":%s,\"verdictWhy\":%s}\n", pelmora::web::formJson().c_str(),
                pelmora::web::stateJson(sheet).c_str(), pelmora::web::quoted(why).c_str());
}
