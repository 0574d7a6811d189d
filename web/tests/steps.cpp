// What the page should show, computed natively for the browser test: reads steps, one a
// line, plays each on a score sheet as the page does, and prints one JSON line per step
// with the sentence heard last and the sheet's state. With --form, prints the form table.
//
//   type NAME TEXT    keys into a box whose text is selected: each character the box's
//                     filter takes replaces the selection or goes at the end, one write each
//   paste NAME TEXT   the whole text written at once
//   pick NAME INDEX   a list's item
//   check NAME 0|1    the check box
//   click NAME        a button
//   help NAME         F1 on the control (the sheet unchanged): prints its explanation
//   tooltip NAME      the tooltip of a score, 性别, 出生日期 or the verdict
//   copy NAME         the assessment to copy, dated today (NAME unused)
// The first line printed is the state before any step.
// Fields are separated by tabs.
#include "form/actions.h"
#include "form/announce.h"
#include "form/form.h"
#include "form/inputrules.h"
#include "present/compose.h"
#include "web/json.h"

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

using namespace pelmora;

namespace {

std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> parts;
    std::istringstream in(line);
    for (std::string part; std::getline(in, part, '\t');)
        parts.push_back(part);
    return parts;
}

// The UTF-8 characters of a text, each with its first UTF-16 code (enough for the filter,
// which takes only ASCII).
std::vector<std::pair<std::string, char16_t>> characters(const std::string& text) {
    std::vector<std::pair<std::string, char16_t>> out;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        out.emplace_back(text.substr(i, length), lead < 0x80 ? char16_t(lead) : char16_t(0xFFFF));
        i += length;
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--form") {
        std::puts(web::formJson().c_str());
        return 0;
    }
    ScoreSheet sheet;
    std::printf("{\"said\":\"\",\"state\":%s}\n", web::stateJson(sheet).c_str());
    for (std::string line; std::getline(std::cin, line);) {
        const std::vector<std::string> step = split(line);
        const form::Control* row = step.size() > 1 ? form::control(step[1]) : nullptr;
        if (!row) {
            std::fprintf(stderr, "bad step: %s\n", line.c_str());
            return 2;
        }
        const std::optional<Field> field = fieldByName(row->name);
        const std::string argument = step.size() > 2 ? step[2] : std::string();
        std::string said;
        auto act = [&](auto action) {
            const form::Heard heard(sheet, *row);
            action();
            said = heard.message(sheet);
        };
        if (step[0] == "type" && field) {
            bool first = true;
            for (const auto& [character, code] : characters(argument)) {
                if (!acceptsTypedCharacter(*field, code))
                    continue;
                const std::string text = (first ? std::string() : sheet.text(*field)) + character;
                first = false;
                act([&] { sheet.setText(*field, text); });
            }
        } else if (step[0] == "paste" && field) {
            act([&] { sheet.setText(*field, argument); });
        } else if (step[0] == "pick" && field) {
            act([&] { sheet.setText(*field, listItems(*field)[std::stoul(argument)]); });
        } else if (step[0] == "check") {
            act([&] { sheet.setChecked(argument == "1"); });
        } else if (step[0] == "help") {
            said = helpText(sheet, form::helpField(row->name));
        } else if (step[0] == "tooltip" && field) {
            said = tooltipText(sheet, *field);
        } else if (step[0] == "copy") {
            said = assessmentText(sheet, today());
        } else if (step[0] == "click") {
            act([&] { form::run(sheet, form::actionOf(row->name)); });
        } else {
            std::fprintf(stderr, "bad step: %s\n", line.c_str());
            return 2;
        }
        std::printf("{\"said\":%s,\"state\":%s}\n", web::quoted(said).c_str(),
                    web::stateJson(sheet).c_str());
    }
    return 0;
}
