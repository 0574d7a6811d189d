// The form's own facts that every view applies: scaling, placement, picks, focus.
#include "form/form.h"
#include "scoring/scoresheet.h"

#include <gtest/gtest.h>

using namespace pelmora;
using form::Rect;

namespace {

TEST(Form, TwipsToPixelsRoundToTheNearestPixel) {
    struct Row {
        int twips, dpi, pixels;
    };
    const Row rows[] = {{5385, 96, 359},  {10275, 96, 685}, {7, 96, 0},   {8, 96, 1},
                        {5385, 144, 539}, {255, 120, 21},   {-8, 96, -1}, {0, 192, 0}};
    for (const Row& r : rows)
        EXPECT_EQ(form::pixels(r.twips, r.dpi), r.pixels) << r.twips << " at " << r.dpi;
}

TEST(Form, QrCodeWindowOpensInsideTheAvailableArea) {
    struct Row {
        Rect available, expected;
    };
    const Row rows[] = {
        {{0, 0, 1920, 1080}, {845, 469, 274, 273}},     // room enough: the stored place
        {{0, 0, 1024, 600}, {750, 327, 274, 273}},      // moved in from the right and bottom
        {{1000, 700, 800, 600}, {1000, 700, 274, 273}}, // moved to the area's corner
        {{0, 0, 200, 200}, {0, 0, 274, 273}},           // too small: the corner kept inside
    };
    for (const Row& r : rows)
        EXPECT_EQ(form::qrcode::openingRect(r.available), r.expected) << r.available.width;
    EXPECT_EQ(form::qrcode::openingRect({0, 0, 4000, 4000}, 192), (Rect{1690, 938, 548, 546}));
}

TEST(Form, PicksFocusAndEnabledState) {
    EXPECT_EQ(form::pickedIndex(Field::房产状况, "居住证"), 1);
    EXPECT_EQ(form::pickedIndex(Field::房产状况, "居住证 "), -1);
    EXPECT_EQ(form::pickedIndex(Field::选择学历, ""), -1);
    EXPECT_EQ(form::firstFocus().name, "选择学历");

    ScoreSheet sheet([] { return 2026; });
    EXPECT_FALSE(form::isEnabled(sheet, Field::居住时长));
    EXPECT_TRUE(form::isEnabled(sheet, Field::年龄));
    sheet.setText(Field::房产状况, "居住证");
    EXPECT_TRUE(form::isEnabled(sheet, Field::居住时长));
}

} // namespace
