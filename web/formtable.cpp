// Prints the form table and the score sheet's texts at start, as one JSON object, for the
// page's assembler: it writes the form's markup and style from them when the page is built,
// so that the browser paints the form before any script has run.
#include "json.h"

#include "scoring/scoresheet.h"

#include <cstdio>

int main() {
    const pelmora::ScoreSheet sheet;
    std::printf("{\"form\":%s,\"state\":%s}\n", pelmora::web::formJson().c_str(),
                pelmora::web::stateJson(sheet).c_str());
}
