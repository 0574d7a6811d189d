#include "form.h"

#include "pelmora/version.h"
#include "scoring/scoresheet.h"

#include <algorithm>
#include <array>

namespace pelmora::form {
namespace {

using enum Kind;
using enum Font;
using F = Field;
using enum Cell;

// Texts of the sheet's fields (list items included) come from the sheet.
constexpr std::string_view sheet{};
constexpr std::string_view window{};

// What a unify command changes: the five insurance items and their category.
constexpr FieldList kUnified{F::养老得分,   F::医疗得分, F::工伤得分,
                             F::生育险得分, F::失业得分, F::社保得分};

// The contact numbers are placeholders: all zeros, so nobody dials them by mistake.
constexpr std::string_view kContactQq = "000000000";
constexpr std::string_view kContactTelephone = "0755-00000000";

// clang-format off
constexpr std::array kControls = std::to_array<Control>({
//   name          kind      container  text                          left   top  width height font look         tab  line (phone)    names  describes  heard  says
    // The client area of Pelmora
    {"logo",       Picture,  window,    "banner.jpg",                    0,   120, 5295, 1170, D,  Plain,        30, { 1, Whole},     {}, {}, {}, "Vastrel 标志：点击在浏览器中打开网站"},
    {"Label1",     Label,    window,    "学历",                         240,  1440,  735,  300, L,  Plain,         0, { 2, Caption},   "选择学历"},
    {"选择学历",   List,     window,    sheet,                         1080,  1440, 3615,  300, D,  Plain,         1, { 2, Value},     {}, {}, {F::选择学历, F::学历得分, F::年龄得分, F::个人得分}},
    {"学历得分",   Label,    window,    sheet,                         4800,  1440,  500,  255, L,  Red | Centre,  2, { 2, Score}},
    {"个人",       Frame,    window,    "个人",                         120,  1800, 5175, 2655, L,  Plain,        31, { 3, Whole}},
    {"社保",       Frame,    window,    "社保",                         120,  4560, 5175, 2655, L,  Plain,         3, {13, Whole}},
    {"Frame1",     Frame,    window,    "试算结果",                     120,  7320, 5175, 2655, L,  Plain,        46, {24, Whole}},
    {"Vastrel",    Label,    window,    "Vastrel",                      240, 10080,  855,  255, Su, Link,         69, {31, Caption},   {}, {}, {}, "网站链接：点击在浏览器中打开网站"},
    {"ver",        Label,    window,    kVersionLabel,                 4200, 10080, 1095,  255, S,  Plain,        49, {31, Unit}},

    // Personal data
    {"Label20",    Label,    "个人",    "身份证号码",                   120,   360, 1700,  300, L,  Plain,        52, { 8, Caption},   "ID"},
    {"ID",         TextBox,  "个人",    sheet,                         1680,   360, 3255,  270, D,  Plain,        50, { 8, Value}},
    {"Label22",    Label,    "个人",    "性别",                         120,   840,  735,  300, L,  Plain,        54, {10, Caption},   "性别"},
    {"性别",       Label,    "个人",    sheet,                          840,   840,  615,  300, L,  Red | Centre, 55, {10, Value}},
    {"Label21",    Label,    "个人",    "出生日期",                    1680,   840, 1215,  300, L,  Plain,        53, {11, Caption},   "出生日期"},
    {"出生日期",   Label,    "个人",    sheet,                         2880,   840, 2055,  300, L,  Red | Centre, 56, {11, Value}},
    {"Label13",    Label,    "个人",    "年龄",                         120,  1320,  600,  300, L,  Plain,        32, { 4, Caption},   "年龄"},
    {"年龄",       TextBox,  "个人",    sheet,                          840,  1320,  600,  270, D,  Centre,       35, { 4, Value},     {}, {}, {F::年龄得分, F::个人得分}},
    {"年龄得分",   Label,    "个人",    sheet,                         2280,  1320,  495,  300, L,  Red | Centre, 43, { 4, Score}},
    {"身份证解读", Button,   "个人",    "身份证解读",                  2880,  1320, 2055,  255, D,  Plain,        51, { 9, Value},     {}, {}, {F::出生日期, F::性别, F::年龄, F::年龄得分, F::个人得分}},
    {"Label15",    Label,    "个人",    "住房",                         120,  1800,  600,  300, L,  Plain,        34, { 6, Caption},   "房产状况"},
    {"房产状况",   List,     "个人",    sheet,                          840,  1800, 1250,  300, D,  Plain,        37, { 6, Value},     {}, {}, {F::房产状况, F::房产得分, F::个人得分}},
    {"房产得分",   Label,    "个人",    sheet,                         2280,  1800,  495,  300, L,  Red | Centre, 44, { 6, Score}},
    {"Label17",    Label,    "个人",    "居住时长",                    2880,  1800, 1200,  300, L,  Plain,        40, { 7, Caption},   "居住时长"},
    {"居住时长",   TextBox,  "个人",    sheet,                         4080,  1800,  495,  270, D,  Centre,       41, { 7, Value},     {}, {}, {F::房产得分, F::个人得分}},
    {"Label18",    Label,    "个人",    "日",                          4680,  1800,  300,  300, L,  Plain,        42, { 7, Unit},      {}, "居住时长"},
    {"Label14",    Label,    "个人",    "生育",                         120,  2280,  600,  300, L,  Plain,        33, { 5, Caption},   "生育状况"},
    {"生育状况",   List,     "个人",    sheet,                          840,  2280, 1250,  300, D,  Plain,        36, { 5, Value},     {}, {}, {F::生育状况, F::生育得分, F::个人得分}},
    {"生育得分",   Label,    "个人",    sheet,                         2280,  2280,  495,  300, L,  Red | Centre, 45, { 5, Score}},
    {"Label16",    Label,    "个人",    "个人得分",                    2880,  2280, 1200,  300, L,  Plain,        38, {12, Caption}},
    {"个人得分",   Label,    "个人",    sheet,                         4080,  2280,  495,  300, L,  Red | Centre, 39, {12, Score}},

    // Social insurance
    {"Label3",     Label,    "社保",    "养老",                         120,   360,  600,  300, L,  Plain,         5, {16, Caption},   "养老月数"},
    {"养老月数",   TextBox,  "社保",    sheet,                          840,   360,  600,  270, D,  Centre,       11, {16, Value},     {}, {}, {F::养老得分, F::社保得分}},
    {"Label7",     Label,    "社保",    "个月",                        1560,   360,  600,  300, L,  Plain,        14, {16, Unit},      {}, "养老月数"},
    {"养老得分",   Label,    "社保",    sheet,                         2280,   360,  495,  300, L,  Red | Centre, 21, {16, Score}},
    {"统一月数",   TextBox,  "社保",    sheet,                         2880,   360,  375,  270, D,  Centre,       24, {19, Value}},
    {"统一月",     Button,   "社保",    "统一（月）",                  3360,   360, 1215,  255, D,  Plain,        25, {19, Unit},      {}, {}, kUnified},
    {"Label4",     Label,    "社保",    "医疗",                         120,   840,  600,  300, L,  Plain,         6, {15, Caption},   "医疗月数"},
    {"医疗月数",   TextBox,  "社保",    sheet,                          840,   840,  600,  270, D,  Centre,       10, {15, Value},     {}, {}, {F::医疗得分, F::社保得分}},
    {"Label8",     Label,    "社保",    "个月",                        1560,   840,  600,  300, L,  Plain,        15, {15, Unit},      {}, "医疗月数"},
    {"医疗得分",   Label,    "社保",    sheet,                         2280,   840,  495,  300, L,  Red | Centre, 20, {15, Score}},
    {"统一年数",   TextBox,  "社保",    sheet,                         2880,   840,  375,  270, D,  Centre,       26, {20, Value}},
    {"统一年",     Button,   "社保",    "统一（年）",                  3360,   840, 1215,  255, D,  Plain,        27, {20, Unit},      {}, {}, kUnified},
    {"Label2",     Label,    "社保",    "工伤",                         120,  1320,  600,  300, L,  Plain,         4, {14, Caption},   "工伤月数"},
    {"工伤月数",   TextBox,  "社保",    sheet,                          840,  1320,  600,  270, D,  Centre,        9, {14, Value},     {}, {}, {F::工伤得分, F::社保得分}},
    {"Label9",     Label,    "社保",    "个月",                        1560,  1320,  600,  300, L,  Plain,        16, {14, Unit},      {}, "工伤月数"},
    {"工伤得分",   Label,    "社保",    sheet,                         2280,  1320,  495,  300, L,  Red | Centre, 19, {14, Score}},
    {"Frame2",     Frame,    "社保",    "",                            2880,  1320, 2055,  855, D,  Plain,        58, { 0, Hidden}},
    // In front of Frame2's top edge, as that frame's title; it belongs to 社保.
    {"公司申办",   CheckBox, "社保",    "通过公司申办",                3120,  1320, 1575,  255, M,  Plain,        57, {21, Whole},     {}, {}, {F::社保得分}},
    {"Label6",     Label,    "社保",    "生育",                         120,  1800,  600,  300, L,  Plain,         8, {17, Caption},   "生育险月数"},
    {"生育险月数", TextBox,  "社保",    sheet,                          840,  1800,  600,  270, D,  Centre,       12, {17, Value},     {}, {}, {F::生育险得分, F::社保得分}},
    {"Label10",    Label,    "社保",    "个月",                        1560,  1800,  600,  300, L,  Plain,        17, {17, Unit},      {}, "生育险月数"},
    {"生育险得分", Label,    "社保",    sheet,                         2280,  1800,  495,  300, L,  Red | Centre, 22, {17, Score}},
    {"Label5",     Label,    "社保",    "失业",                         120,  2280,  600,  300, L,  Plain,         7, {18, Caption},   "失业月数"},
    {"失业月数",   TextBox,  "社保",    sheet,                          840,  2280,  600,  270, D,  Centre,       13, {18, Value},     {}, {}, {F::失业得分, F::社保得分}},
    {"Label11",    Label,    "社保",    "个月",                        1560,  2280,  600,  300, L,  Plain,        18, {18, Unit},      {}, "失业月数"},
    {"失业得分",   Label,    "社保",    sheet,                         2280,  2280,  495,  300, L,  Red | Centre, 23, {18, Score}},
    {"Label12",    Label,    "社保",    "社保得分",                    2880,  2280, 1200,  300, L,  Plain,        28, {23, Caption}},
    {"社保得分",   Label,    "社保",    sheet,                         4080,  2280,  495,  300, L,  Red | Centre, 29, {23, Score}},

    // The note under the check box
    {"Label23",    Label,    "Frame2",  "需连续在同一家公司交满一年的五险", 120, 360, 1800,  420, D,  Plain,        59, {22, Whole},     {}, "公司申办"},

    // The result
    {"扫一扫",     Frame,    "Frame1",  "关注公众号",                  2880,   240, 2175, 2295, D,  Plain,        60, {29, Whole}},
    {"Label19",    Label,    "Frame1",  "合计得分",                     120,   360, 1200,  300, L,  Plain,        47, { 0, Held}},
    {"合计得分",   Label,    "Frame1",  sheet,                         1320,   360,  500,  300, L,  Red | Centre, 48, { 0, Held}},
    {"评分结果",   Button,   "Frame1",  sheet,                          360,   840, 2100,  255, D,  Plain,        68, { 0, Held}},
    {"重置",       Button,   "Frame1",  "重置",                         360,  1200, 2100,  255, D,  Plain,        67, {26, Whole},     {}, {}, {F::合计得分}},
    {"在线咨询",   Button,   "Frame1",  "在线咨询",                     360,  1560, 2100,  375, D,  Plain,        65, {25, Whole}},
    {"Label27",    Label,    "Frame1",  "入深户QQ:",                    120,  2040, 1200,  255, M,  Right,        64, {27, Caption}},
    {"Label28",    Label,    "Frame1",  kContactQq,                    1320,  2040, 1335,  255, M,  Red,          66, {27, Value}},
    {"Label24",    Label,    "Frame1",  "入深户电话:",                  120,  2280, 1200,  255, M,  Right,        62, {28, Caption}},
    {"Label25",    Label,    "Frame1",  kContactTelephone,             1320,  2280, 1575,  255, M,  Red,          63, {28, Value}},

    // The QR code
    {"Picture1",   Picture,  "扫一扫",  "qr-small.jpg",                 120,   240, 1935, 1935, D,  Plain,        61, {30, Whole},     {}, {}, {}, "公众号二维码：点击打开大图"},
});
// clang-format on

static_assert(kControls.size() == 70);

// Every control has a tab place of its own: the Windows view's control identifiers are
// derived from it.
constexpr bool tabPlacesAreUnique() {
    for (std::size_t i = 0; i < kControls.size(); ++i)
        for (std::size_t j = i + 1; j < kControls.size(); ++j)
            if (kControls[i].tab == kControls[j].tab)
                return false;
    return true;
}
static_assert(tabPlacesAreUnique());

} // namespace

std::string_view telephoneNumber() {
    return kContactTelephone;
}

std::span<const Control> controls() {
    return kControls;
}

const Control* control(std::string_view name) {
    for (const Control& c : kControls) {
        if (c.name == name)
            return &c;
    }
    return nullptr;
}

const Control& firstFocus() {
    const Control* first = nullptr;
    for (const Control& c : kControls) {
        const bool takesFocus =
            c.kind == TextBox || c.kind == List || c.kind == Button || c.kind == CheckBox;
        if (takesFocus && (!first || c.tab < first->tab))
            first = &c;
    }
    return *first;
}

int pickedIndex(Field list, std::string_view text) {
    const auto items = listItems(list);
    const auto found = std::find(items.begin(), items.end(), text);
    return found == items.end() ? -1 : static_cast<int>(found - items.begin());
}

bool isEnabled(const ScoreSheet& sheet, Field field) {
    return field != Field::居住时长 || sheet.isResidenceEnabled();
}

} // namespace pelmora::form
