// What one user action costs on the score sheet alone, cascade included.
#include "form/announce.h"
#include "form/inputrules.h"
#include "present/compose.h"
#include "present/whatif.h"
#include "scoring/scoresheet.h"

#include <benchmark/benchmark.h>

using namespace pelmora;

namespace {

int fixedYear() {
    return 2026;
}

// Typing the second digit of an age, and deleting it again: two edits per iteration.
void typedDigitInAge(benchmark::State& state) {
    ScoreSheet sheet(fixedYear);
    for (auto _ : state) {
        sheet.setText(Field::年龄, "42");
        sheet.setText(Field::年龄, "4");
    }
    state.SetItemsProcessed(2 * state.iterations());
}
BENCHMARK(typedDigitInAge);

// The same two edits, each with the message a screen reader hears composed, as a view does.
void typedDigitInAgeHeard(benchmark::State& state) {
    ScoreSheet sheet(fixedYear);
    const form::Control& age = *form::control("年龄");
    for (auto _ : state) {
        for (const char* text : {"42", "4"}) {
            const form::Heard heard(sheet, age);
            sheet.setText(Field::年龄, text);
            benchmark::DoNotOptimize(heard.message(sheet));
        }
    }
    state.SetItemsProcessed(2 * state.iterations());
}
BENCHMARK(typedDigitInAgeHeard);

void educationPick(benchmark::State& state) {
    ScoreSheet sheet(fixedYear);
    sheet.setText(Field::年龄, "42");
    bool exempt = false;
    for (auto _ : state) {
        sheet.setText(Field::选择学历, exempt ? "全日制本科" : "全日制大专或高技");
        exempt = !exempt;
    }
}
BENCHMARK(educationPick);

void unifyMonths36(benchmark::State& state) {
    ScoreSheet sheet(fixedYear);
    sheet.setText(Field::统一月数, "36");
    for (auto _ : state)
        sheet.click(Command::统一月);
}
BENCHMARK(unifyMonths36);

void idInterpretation(benchmark::State& state) {
    ScoreSheet sheet(fixedYear);
    sheet.setText(Field::ID, "44030119850307123X");
    for (auto _ : state)
        sheet.click(Command::身份证解读);
}
BENCHMARK(idInterpretation);

void resetFifteenWrites(benchmark::State& state) {
    ScoreSheet sheet(fixedYear);
    for (auto _ : state)
        resetInputs(sheet);
}
BENCHMARK(resetFifteenWrites);

// The same edit with a window-like observer listening to every write.
void typedDigitWithObserver(benchmark::State& state) {
    ScoreSheet sheet(fixedYear);
    std::size_t seen = 0;
    sheet.subscribe([&](Field f) { seen += sheet.text(f).size(); });
    for (auto _ : state) {
        sheet.setText(Field::年龄, "42");
        sheet.setText(Field::年龄, "4");
    }
    benchmark::DoNotOptimize(seen);
    state.SetItemsProcessed(2 * state.iterations());
}
BENCHMARK(typedDigitWithObserver);

// What the verdict's tooltip costs when it is asked for: the suggestions (about ten copies
// of the sheet, each run through its cascade) and the projection.
void suggestionsAndProjection(benchmark::State& state) {
    ScoreSheet sheet(fixedYear);
    sheet.setText(Field::年龄, "30");
    sheet.setText(Field::选择学历, "全日制大专或高技");
    sheet.setText(Field::房产状况, "无房产");
    sheet.setText(Field::统一月数, "24");
    sheet.click(Command::统一月);
    for (auto _ : state) {
        benchmark::DoNotOptimize(suggestions(sheet));
        benchmark::DoNotOptimize(projection(sheet));
    }
}
BENCHMARK(suggestionsAndProjection);

// The whole assessment to copy, every explanation and the above included.
void assessmentToCopy(benchmark::State& state) {
    ScoreSheet sheet(fixedYear);
    sheet.setText(Field::年龄, "30");
    sheet.setText(Field::选择学历, "全日制大专或高技");
    sheet.setText(Field::统一月数, "24");
    sheet.click(Command::统一月);
    for (auto _ : state)
        benchmark::DoNotOptimize(assessmentText(sheet, {2026, 3, 5}));
}
BENCHMARK(assessmentToCopy);

} // namespace
