#include "form/inputrules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace pelmora;

namespace {

TEST(KeyFilter, DigitsAndBackspaceAndXInTheIdBox) {
    const Field digitBoxes[] = {Field::年龄,     Field::居住时长, Field::养老月数,
                                Field::医疗月数, Field::工伤月数, Field::生育险月数,
                                Field::失业月数};
    for (char16_t c = 0; c < 0x3000; ++c) {
        bool digitOrBackspace = c == 8 || (c >= u'0' && c <= u'9');
        for (Field box : digitBoxes)
            ASSERT_EQ(acceptsTypedCharacter(box, c), digitOrBackspace) << fieldName(box) << int(c);
        ASSERT_EQ(acceptsTypedCharacter(Field::ID, c), digitOrBackspace || c == u'X') << int(c);
    }
    EXPECT_FALSE(acceptsTypedCharacter(Field::ID, u'x'));
    EXPECT_FALSE(acceptsTypedCharacter(Field::年龄, u'岁'));
    // The unify boxes take everything.
    for (char16_t c : {u'a', u'-', u'.', u' ', u'岁'}) {
        EXPECT_TRUE(acceptsTypedCharacter(Field::统一月数, c));
        EXPECT_TRUE(acceptsTypedCharacter(Field::统一年数, c));
    }
    // A phone's keyboard for each: digits, digits with a point, and letters for the X.
    for (Field box : digitBoxes)
        EXPECT_EQ(keyboardFor(box), Keyboard::Digits) << fieldName(box);
    EXPECT_EQ(keyboardFor(Field::ID), Keyboard::Text);
    EXPECT_EQ(keyboardFor(Field::统一月数), Keyboard::Decimal);
    EXPECT_EQ(keyboardFor(Field::统一年数), Keyboard::Decimal);
}

TEST(Reset, WritesTheStandardInputsInOrderAndLeavesTheIdLabels) {
    ScoreSheet sheet([] { return 2026; });
    sheet.setText(Field::ID, "440301198503071234");
    sheet.click(Command::身份证解读);
    sheet.setText(Field::选择学历, "全日制本科");
    sheet.setText(Field::房产状况, "居住证");
    sheet.setText(Field::居住时长, "2000");
    sheet.setText(Field::生育状况, "政策外生育");
    sheet.setText(Field::统一月数, "36");
    sheet.click(Command::统一月);
    sheet.setText(Field::统一年数, "3");
    sheet.setChecked(true);
    ASSERT_EQ(sheet.text(Field::社保得分), "31");

    std::vector<Field> inputs;
    bool enabled = sheet.isResidenceEnabled();
    sheet.subscribe([&](Field f) {
        if (f == Field::居住时长 && sheet.isResidenceEnabled() != enabled) {
            enabled = sheet.isResidenceEnabled(); // the property rule greying the box
            return;
        }
        if (fieldKind(f) != FieldKind::Label && (inputs.empty() || inputs.back() != f))
            inputs.push_back(f);
    });
    resetInputs(sheet);

    // Refills and rules write score labels only; the inputs come in the fixed order.
    const std::vector<Field> order{
        Field::选择学历, Field::ID,       Field::年龄,     Field::房产状况, Field::生育状况,
        Field::居住时长, Field::养老月数, Field::医疗月数, Field::工伤月数, Field::生育险月数,
        Field::失业月数, Field::统一月数, Field::统一年数, Field::公司申办, Field::评分结果};
    std::vector<Field> withoutVerdicts;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        // Verdicts written by the cascades sit between the inputs; keep only the last one.
        if (inputs[i] != Field::评分结果 || i + 1 == inputs.size())
            withoutVerdicts.push_back(inputs[i]);
    }
    EXPECT_EQ(withoutVerdicts, order);

    const std::pair<Field, const char*> expected[] = {
        {Field::选择学历, "高中或以下学历"},
        {Field::ID, ""},
        {Field::年龄, "18"},
        {Field::房产状况, "无房产"},
        {Field::生育状况, "未育"},
        {Field::居住时长, "0"},
        {Field::养老月数, "0"},
        {Field::失业月数, "0"},
        {Field::统一月数, "0"},
        {Field::统一年数, "0"},
        {Field::学历得分, "0"},
        {Field::年龄得分, "5"},
        {Field::房产得分, "0"},
        {Field::生育得分, "0"},
        {Field::个人得分, "5"},
        {Field::养老得分, "0"},
        {Field::社保得分, "0"},
        {Field::合计得分, "5"},
        {Field::评分结果, "综合计算中…"},
        {Field::出生日期, "1985年03月07日"},
        {Field::性别, "男"},
    };
    for (auto [field, text] : expected)
        EXPECT_EQ(sheet.text(field), text) << fieldName(field);
    EXPECT_FALSE(sheet.isChecked());
    EXPECT_FALSE(sheet.isResidenceEnabled());
}

TEST(Reset, NextEditBringsAVerdictBack) {
    ScoreSheet sheet;
    resetInputs(sheet);
    ASSERT_EQ(sheet.text(Field::评分结果), "综合计算中…");
    // An edit that leaves the total as it was still runs the verdict: writes always notify.
    sheet.setText(Field::年龄, "20");
    EXPECT_EQ(sheet.text(Field::合计得分), "5");
    EXPECT_EQ(sheet.text(Field::评分结果), "差一点，考证入户");
}

} // namespace
