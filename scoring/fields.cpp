#include "fields.h"

#include "scheme.h"

#include <array>

namespace pelmora {
namespace {

struct FieldInfo {
    std::string_view name;
    FieldKind kind;
    std::string_view start;
};

using enum FieldKind;

constexpr std::string_view kAgeRefill = "18";

// Indexed by Field: keep in the enum's order (checked by a static_assert below).
constexpr std::array<FieldInfo, kFieldCount> kFields{{
    {"选择学历", List, ""},
    {"学历得分", Label, "0"},
    {"ID", TextBox, ""},
    {"性别", Label, ""},
    {"出生日期", Label, ""},
    {"年龄", TextBox, kAgeRefill},
    {"年龄得分", Label, "5"},
    {"房产状况", List, ""},
    {"房产得分", Label, "0"},
    {"居住时长", TextBox, "0"},
    {"生育状况", List, ""},
    {"生育得分", Label, "0"},
    {"个人得分", Label, "0"},
    {"养老月数", TextBox, "0"},
    {"养老得分", Label, "0"},
    {"医疗月数", TextBox, "0"},
    {"医疗得分", Label, "0"},
    {"工伤月数", TextBox, "0"},
    {"工伤得分", Label, "0"},
    {"生育险月数", TextBox, "0"},
    {"生育险得分", Label, "0"},
    {"失业月数", TextBox, "0"},
    {"失业得分", Label, "0"},
    {"统一月数", TextBox, "0"},
    {"统一年数", TextBox, "0"},
    {"公司申办", CheckBox, ""},
    {"社保得分", Label, "0"},
    {"合计得分", Label, "0"},
    {"评分结果", Button, scheme::kCalculating},
}};

static_assert(kFields[index(Field::评分结果)].name == "评分结果");
static_assert(kFields[index(Field::公司申办)].kind == CheckBox);

constexpr std::array<std::string_view, 7> kEducation{
    "高中或以下学历",     "中专",        "全日制大专或高技", "全日制本科", "全日制本科有学位",
    "非全日制大专或高技", "非全日制本科"};
constexpr std::array<std::string_view, 4> kProperty{"无房产", "居住证", "有房无按揭", "有房有按揭"};
constexpr std::array<std::string_view, 3> kBirth{"未育", "政策内生育", "政策外生育"};

} // namespace

std::string_view fieldName(Field field) {
    return kFields[index(field)].name;
}

std::optional<Field> fieldByName(std::string_view name) {
    for (int i = 0; i < kFieldCount; ++i) {
        if (kFields[i].name == name)
            return static_cast<Field>(i);
    }
    return std::nullopt;
}

FieldKind fieldKind(Field field) {
    return kFields[index(field)].kind;
}

std::string_view startText(Field field) {
    return kFields[index(field)].start;
}

std::string_view refillText(Field box) {
    switch (box) {
    case Field::年龄:
        return kAgeRefill;
    case Field::居住时长:
    case Field::养老月数:
    case Field::医疗月数:
    case Field::工伤月数:
    case Field::生育险月数:
    case Field::失业月数:
    case Field::统一月数:
    case Field::统一年数:
        return "0";
    default:
        return {};
    }
}

std::string_view commandName(Command command) {
    switch (command) {
    case Command::统一月:
        return "统一月";
    case Command::统一年:
        return "统一年";
    case Command::身份证解读:
        return "身份证解读";
    }
    return {};
}

std::span<const std::string_view> listItems(Field field) {
    switch (field) {
    case Field::选择学历:
        return kEducation;
    case Field::房产状况:
        return kProperty;
    case Field::生育状况:
        return kBirth;
    default:
        return {};
    }
}

} // namespace pelmora
