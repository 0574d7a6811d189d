// The fields of the score sheet, named by the controls of the main window.
//
// The scoring core sees the window only as these fields: each holds one UTF-8 text
// (the check box a state), and every rule reads and writes them by name.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace pelmora {

enum class Field : std::uint8_t {
    // Education
    选择学历,
    学历得分,
    // Personal group
    ID,
    性别,
    出生日期,
    年龄,
    年龄得分,
    房产状况,
    房产得分,
    居住时长,
    生育状况,
    生育得分,
    个人得分,
    // Social-insurance group, rows from top to bottom
    养老月数,
    养老得分,
    医疗月数,
    医疗得分,
    工伤月数,
    工伤得分,
    生育险月数,
    生育险得分,
    失业月数,
    失业得分,
    统一月数,
    统一年数,
    公司申办,
    社保得分,
    // Result
    合计得分,
    评分结果,
};

inline constexpr int kFieldCount = static_cast<int>(Field::评分结果) + 1;

enum class FieldKind : std::uint8_t {
    Label,    // caption; a change notifies
    TextBox,  // text; every change notifies
    List,     // pick-only drop-down list; a pick notifies
    CheckBox, // a state; a change of state notifies
    Button,   // caption; a change notifies nothing the rules listen to
};

// The buttons whose clicks run a scoring rule.
enum class Command : std::uint8_t { 统一月, 统一年, 身份证解读 };

std::string_view fieldName(Field field);
std::optional<Field> fieldByName(std::string_view name);
FieldKind fieldKind(Field field);
std::string_view commandName(Command command);

// The items of a drop-down list in their order; empty for any other field.
std::span<const std::string_view> listItems(Field field);

// The text a field holds when the window opens.
std::string_view startText(Field field);

// The text a number box is refilled with when emptied, and that the reset writes: "18"
// for 年龄, "0" for the residence, months and unify boxes; empty for other fields.
std::string_view refillText(Field box);

inline constexpr int index(Field field) {
    return static_cast<int>(field);
}

} // namespace pelmora
