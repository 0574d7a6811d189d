#include "inputrules.h"

#include "scoring/scheme.h"

namespace pelmora {

bool isFilteredBox(Field box) {
    switch (box) {
    case Field::ID:
    case Field::年龄:
    case Field::居住时长:
    case Field::养老月数:
    case Field::医疗月数:
    case Field::工伤月数:
    case Field::生育险月数:
    case Field::失业月数:
        return true;
    default:
        return false;
    }
}

bool acceptsTypedCharacter(Field box, char16_t code) {
    if (!isFilteredBox(box))
        return true;
    constexpr char16_t kBackspace = 8;
    if (code == kBackspace || (code >= u'0' && code <= u'9'))
        return true;
    return box == Field::ID && code == u'X';
}

Keyboard keyboardFor(Field box) {
    if (!isFilteredBox(box))
        return Keyboard::Decimal;
    return acceptsTypedCharacter(box, u'X') ? Keyboard::Text : Keyboard::Digits;
}

void resetInputs(ScoreSheet& sheet) {
    sheet.setText(Field::选择学历, "高中或以下学历");
    sheet.setText(Field::ID, "");
    sheet.setText(Field::年龄, refillText(Field::年龄));
    sheet.setText(Field::房产状况, "无房产");
    sheet.setText(Field::生育状况, "未育");
    for (Field box : {Field::居住时长, Field::养老月数, Field::医疗月数, Field::工伤月数,
                      Field::生育险月数, Field::失业月数, Field::统一月数, Field::统一年数})
        sheet.setText(box, refillText(box));
    sheet.setChecked(false);
    sheet.setText(Field::评分结果, scheme::kCalculating);
}

} // namespace pelmora
