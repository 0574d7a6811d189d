// The parts of the main window's behaviour that need no widgets: which typed characters a
// box takes, and the reset command. Kept free of Qt so that the fuzzer drives them too.
#pragma once

#include "scoring/scoresheet.h"

namespace pelmora {

// Whether a box runs typed characters through a key filter (the ID box, the age and
// residence boxes and the five months boxes). The unify boxes take everything.
bool isFilteredBox(Field box);

// Whether a filtered box takes a typed character (a UTF-16 code): backspace and the
// digits, and in the ID box the capital X too. Unfiltered boxes take every character.
bool acceptsTypedCharacter(Field box, char16_t code);

// The keyboard a phone shows for a box: digits where the filter takes only digits, digits
// with a point where the box takes decimals and a sign (the unfiltered unify boxes), the
// full keyboard where the filter takes a letter too (the ID box's X).
enum class Keyboard : unsigned char { Text, Digits, Decimal };
Keyboard keyboardFor(Field box);

// Writes the standard inputs in their fixed order, each running its whole cascade, and
// puts the verdict back to "综合计算中…" last. 出生日期 and 性别 keep what they show.
void resetInputs(ScoreSheet& sheet);

} // namespace pelmora
