// Every character the program shows, speaks or copies is in the bundled font's list
// (assets/fonts/chars.txt, which scripts/make-assets.sh subsets the font from; the assets
// test checks the font against the list): where "宋体" is missing, none draws as a box.
#include "form/actions.h"
#include "form/announce.h"
#include "form/form.h"
#include "links/outbound.h"
#include "present/compose.h"
#include "present/explain.h"
#include "scoring/numbers.h"

#include "sheetsteps.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>

using namespace pelmora;

namespace {

// The code points of valid UTF-8.
std::set<char32_t> codePoints(std::string_view utf8) {
    std::set<char32_t> points;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        const int length = byte < 0x80 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? byte : byte & (0x7F >> length);
        for (int k = 1; k < length && i + k < utf8.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        points.insert(c);
        i += length;
    }
    return points;
}

class Texts {
  public:
    void add(std::string_view text) {
        for (char32_t c : codePoints(text))
            m_points.insert(c);
    }
    void add(std::u16string_view text) {
        for (char16_t c : text)
            m_points.insert(c);
    }
    // What the views compose of a sheet: tooltips, F1, the assessment, and what each
    // control's action would be heard as.
    void addComposed(ScoreSheet& sheet) {
        for (int i = 0; i < kFieldCount; ++i)
            add(tooltipText(sheet, Field(i)));
        for (const form::Control& c : form::controls())
            add(helpText(sheet, form::helpField(c.name)));
        add(assessmentText(sheet, {2026, 12, 10}));
        for (const form::Control& c : form::controls()) {
            if (c.heard.empty())
                continue;
            ScoreSheet copy(sheet);
            const form::Heard heard(copy, c);
            form::run(copy, form::actionOf(c.name));
            add(heard.message(copy));
        }
    }
    const std::set<char32_t>& points() const { return m_points; }

  private:
    std::set<char32_t> m_points;
};

TEST(ShownTexts, EveryCharacterIsInTheBundledFont) {
    std::ifstream file(PELMORA_CHARS_FILE, std::ios::binary);
    ASSERT_TRUE(file) << PELMORA_CHARS_FILE;
    const std::set<char32_t> covered =
        codePoints(std::string(std::istreambuf_iterator<char>(file), {}));

    Texts texts;
    for (const form::Control& c : form::controls()) {
        if (c.kind != form::Kind::Picture)
            texts.add(c.text);
        texts.add(c.says);
    }
    for (int i = 0; i < kFieldCount; ++i) {
        texts.add(fieldName(Field(i)));
        texts.add(startText(Field(i)));
        for (std::string_view item : listItems(Field(i)))
            texts.add(item);
    }
    texts.add(form::kCopyAssessment);
    texts.add(form::kDesktopLayout);
    texts.add(form::kPhoneLayout);
    texts.add(form::qrcode::kTitle);
    texts.add(outbound::kLaunchFailureText);
    texts.add(outbound::kLaunchFailureClose);

    // Sheets of every kind: each list item, ages in every band, incomplete and full
    // insurance, the employer, ID numbers read and refused, and a reset.
    std::mt19937 random(20261210);
    auto pick = [&](std::size_t n) { return std::size_t(random() % n); };
    const char* ages[] = {"17", "30", "36", "42", "46", "50", "abc"};
    const char* months[] = {"0", "11", "24", "240", "x"};
    const char* ids[] = {"44030119850307123X", "440301850307122", "123"};
    for (int round = 0; round < 60; ++round) {
        ScoreSheet sheet(pelmora::testing::fixedYear);
        texts.addComposed(sheet);
        for (Field list : {Field::选择学历, Field::房产状况, Field::生育状况}) {
            const auto items = listItems(list);
            sheet.setText(list, items[pick(items.size())]);
        }
        sheet.setText(Field::年龄, ages[pick(std::size(ages))]);
        if (sheet.isResidenceEnabled())
            sheet.setText(Field::居住时长, pick(2) ? "400" : "5000");
        for (Field box : {Field::养老月数, Field::医疗月数, Field::工伤月数})
            sheet.setText(box, months[pick(std::size(months))]);
        sheet.setChecked(pick(2) == 0);
        sheet.setText(Field::ID, ids[pick(std::size(ids))]);
        texts.addComposed(sheet);
        sheet.click(Command::身份证解读);
        texts.addComposed(sheet);
    }

    // Two states no random round reaches: a number changed after it was read, and
    // 居住证 picked again while its days stand in the box.
    ScoreSheet sheet(pelmora::testing::fixedYear);
    sheet.setText(Field::ID, ids[0]);
    sheet.click(Command::身份证解读);
    sheet.setText(Field::ID, ids[2]);
    texts.addComposed(sheet);
    sheet.setText(Field::房产状况, "居住证");
    sheet.setText(Field::居住时长, "730");
    sheet.setText(Field::房产状况, "居住证");
    texts.addComposed(sheet);

    std::string missing;
    for (char32_t c : texts.points()) {
        if (c >= 0x80 && !covered.contains(c))
            missing += utf8(c);
    }
    EXPECT_EQ(missing, "")
        << "add these to assets/fonts/chars.txt, then run scripts/make-assets.sh";
}

} // namespace
