// A second, independent statement of what the score sheet must show, for the fuzzer to
// hold the core against.
//
// Model mirrors the inputs a person can change and computes every label from them with
// its own small copy of the points tables and of the number grammar. It shares nothing
// with scoring/ but the field names: a fault in a table or a conversion of the core then
// shows up as a difference instead of being copied into the expectation. The numbers are
// read with strtod behind a grammar check of our own and written with "%.15g", which the
// core does not use, and rounded with nearbyint (ties to even in the default mode).
#pragma once

#include "scoring/fields.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pelmora::fuzz {

// The conversions, restated.
std::optional<double> strictValue(std::string_view text);
double leadingValue(std::string_view text);
std::string decimalText(double value);

// UTF-8 by the table of well-formed sequences; each byte that starts none becomes U+FFFD.
bool isValidUtf8(std::string_view text);
std::string validUtf8(std::string_view text);
// The text without its last code point (valid UTF-8 in, valid UTF-8 out).
std::string withoutLastCharacter(std::string_view text);

// The key filters: which typed characters a box takes.
bool takesTypedCharacter(Field box, char32_t character);

// The items of the three lists, in their order; empty for any other field.
std::span<const std::string_view> itemsOf(Field list);

inline constexpr std::string_view kCalculating = "综合计算中…";

class Model {
  public:
    explicit Model(int currentYear);

    // Each user operation, as the rules should carry it out.
    void beginOperation();
    void write(Field field, std::string_view text); // a box's text or a list item
    void toggleEmployer();
    void unify(Command command); // 统一月 or 统一年
    void interpretId();
    void reset();
    void endOperation();

    // What the sheet must show now, field by field (公司申办 holds no text).
    std::array<std::string, kFieldCount> expectedTexts() const;
    bool isChecked() const { return m_checked; }
    bool isResidenceEnabled() const { return m_residenceEnabled; }
    // Whether the operation just ended had to write 合计得分 (every write notifies).
    bool totalWritten() const { return m_totalWritten; }

  private:
    void categoryRewritten(bool personal);

    int m_currentYear;
    std::array<std::string, kFieldCount> m_inputs; // inputs and the two ID labels only
    bool m_checked = false;
    bool m_residenceEnabled = false;
    std::optional<int> m_propertyPoints = 0; // nullopt: the residence rule wrote last
    bool m_personalSumWritten = false;       // 个人得分 shows its start text until then
    bool m_totalWritten = false;
    bool m_verdictPending = false; // 合计得分 written since the verdict was last settled
    std::string m_verdict{kCalculating};
};

} // namespace pelmora::fuzz
