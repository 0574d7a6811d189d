#include "model.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace pelmora::fuzz {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Length of the number at the start of a text, 0 if none:
// [+-]? (digits [. digits?] | . digits) ([eE] [+-]? digits)?
std::size_t numberLength(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    const std::size_t intStart = i;
    while (i < s.size() && isDigit(s[i]))
        ++i;
    const bool hasInt = i > intStart;
    bool hasFrac = false;
    if (i < s.size() && s[i] == '.') {
        std::size_t j = i + 1;
        while (j < s.size() && isDigit(s[j]))
            ++j;
        hasFrac = j > i + 1;
        if (hasInt || hasFrac)
            i = j;
    }
    if (!hasInt && !hasFrac)
        return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        const std::size_t expStart = j;
        while (j < s.size() && isDigit(s[j]))
            ++j;
        if (j > expStart)
            i = j;
    }
    return i;
}

// strtod on a text that is known to be a number; nullopt when it overflows. A value too
// small for a double reads 0; a subnormal one is a value like any other (strtod flags
// both with ERANGE).
std::optional<double> parse(std::string_view number) {
    const std::string copy(number);
    errno = 0;
    double value = std::strtod(copy.c_str(), nullptr);
    if (errno == ERANGE && std::isinf(value))
        return std::nullopt;
    return value;
}

double ageScore(double age, std::string_view education) {
    const bool exempt = education == "全日制本科" || education == "全日制本科有学位";
    if (age < 18)
        return 0;
    if (age < 35)
        return 5;
    if (age < 40)
        return 1;
    if (age < 45)
        return exempt ? 0 : -2 * (age - 39);
    if (age < 48)
        return exempt ? 0 : -(5 * (age - 44) + 10);
    return 0;
}

int educationScore(std::string_view education) {
    struct Row {
        std::string_view item;
        int points;
    };
    static constexpr Row kRows[] = {
        {"全日制大专或高技", 70},   {"全日制本科", 90},   {"全日制本科有学位", 100},
        {"非全日制大专或高技", 60}, {"非全日制本科", 80},
    };
    for (const Row& row : kRows) {
        if (row.item == education)
            return row.points;
    }
    return 0;
}

std::optional<int> propertyScore(std::string_view status) {
    if (status == "无房产" || status == "居住证")
        return 0;
    if (status == "有房无按揭")
        return 30;
    if (status == "有房有按揭")
        return 20;
    return std::nullopt;
}

double residenceScore(std::string_view days) {
    std::optional<double> d = strictValue(days);
    if (!d || *d <= 0)
        return 0;
    return std::min(10.0, std::trunc(std::nearbyint(*d) / 365));
}

double monthsScore(std::string_view months, int perYear) {
    std::optional<double> m = strictValue(months);
    if (!m || *m <= 0)
        return 0;
    return std::trunc(std::nearbyint(*m) / 12) * perYear;
}

struct Insurance {
    Field box;
    Field score;
    int perYear;
};
constexpr Insurance kInsurances[] = {
    {Field::养老月数, Field::养老得分, 3}, {Field::医疗月数, Field::医疗得分, 1},
    {Field::工伤月数, Field::工伤得分, 1}, {Field::生育险月数, Field::生育险得分, 1},
    {Field::失业月数, Field::失业得分, 1},
};

std::size_t sequenceLength(std::string_view s, std::size_t i) {
    auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    auto in = [&](std::size_t k, unsigned lo, unsigned hi) {
        return k < s.size() && at(k) >= lo && at(k) <= hi;
    };
    const unsigned b = at(i);
    if (b <= 0x7F)
        return 1;
    if (b >= 0xC2 && b <= 0xDF)
        return in(i + 1, 0x80, 0xBF) ? 2 : 0;
    if (b >= 0xE0 && b <= 0xEF) {
        unsigned lo = b == 0xE0 ? 0xA0 : 0x80;
        unsigned hi = b == 0xED ? 0x9F : 0xBF;
        return in(i + 1, lo, hi) && in(i + 2, 0x80, 0xBF) ? 3 : 0;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        unsigned lo = b == 0xF0 ? 0x90 : 0x80;
        unsigned hi = b == 0xF4 ? 0x8F : 0xBF;
        return in(i + 1, lo, hi) && in(i + 2, 0x80, 0xBF) && in(i + 3, 0x80, 0xBF) ? 4 : 0;
    }
    return 0;
}

// The code points of a text, or fewer than asked when it is longer than limit.
std::vector<std::string_view> characters(std::string_view utf8, std::size_t limit) {
    std::vector<std::string_view> out;
    for (std::size_t i = 0; i < utf8.size() && out.size() <= limit;) {
        std::size_t n = std::max<std::size_t>(1, sequenceLength(utf8, i));
        out.push_back(utf8.substr(i, n));
        i += n;
    }
    return out;
}

} // namespace

std::optional<double> strictValue(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    const std::size_t n = numberLength(text);
    if (n == 0 || n != text.size())
        return std::nullopt;
    return parse(text);
}

double leadingValue(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    const std::size_t n = numberLength(text);
    if (n == 0)
        return 0;
    return parse(text.substr(0, n)).value_or(0.0);
}

std::string decimalText(double value) {
    if (!std::isfinite(value) || value == 0)
        return "0";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

bool isValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = sequenceLength(text, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

std::string validUtf8(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = sequenceLength(text, i);
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out += text.substr(i, n);
            i += n;
        }
    }
    return out;
}

std::string withoutLastCharacter(std::string_view text) {
    // Back over continuation bytes to the start of the last code point.
    std::size_t i = text.size();
    while (i > 0 && (static_cast<unsigned char>(text[i - 1]) & 0xC0) == 0x80)
        --i;
    return std::string(text.substr(0, i > 0 ? i - 1 : 0));
}

bool takesTypedCharacter(Field box, char32_t character) {
    const bool digitOrBackspace = character == 8 || (character >= '0' && character <= '9');
    switch (box) {
    case Field::ID:
        return digitOrBackspace || character == 'X';
    case Field::年龄:
    case Field::居住时长:
    case Field::养老月数:
    case Field::医疗月数:
    case Field::工伤月数:
    case Field::生育险月数:
    case Field::失业月数:
        return digitOrBackspace;
    default:
        return true; // the unify boxes take everything
    }
}

std::span<const std::string_view> itemsOf(Field list) {
    static constexpr std::string_view kEducation[] = {
        "高中或以下学历",     "中专",        "全日制大专或高技", "全日制本科", "全日制本科有学位",
        "非全日制大专或高技", "非全日制本科"};
    static constexpr std::string_view kProperty[] = {"无房产", "居住证", "有房无按揭",
                                                     "有房有按揭"};
    static constexpr std::string_view kBirth[] = {"未育", "政策内生育", "政策外生育"};
    switch (list) {
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

Model::Model(int currentYear) : m_currentYear(currentYear) {
    // Short literals are assigned as std::string(...): assigning them directly makes GCC 12
    // warn, wrongly, of overlapping copies (-Wrestrict) in optimised builds.
    m_inputs[index(Field::年龄)] = std::string("18");
    for (Field box : {Field::居住时长, Field::养老月数, Field::医疗月数, Field::工伤月数,
                      Field::生育险月数, Field::失业月数, Field::统一月数, Field::统一年数})
        m_inputs[index(box)] = std::string("0");
}

void Model::beginOperation() {
    m_totalWritten = false;
}

void Model::categoryRewritten(bool personal) {
    m_totalWritten = true;
    m_verdictPending = true;
    if (personal)
        m_personalSumWritten = true;
}

void Model::write(Field field, std::string_view text) {
    std::string& stored = m_inputs[index(field)];
    stored = text;
    switch (field) {
    case Field::年龄:
        if (stored.empty())
            stored = std::string("18");
        categoryRewritten(true);
        break;
    case Field::居住时长:
        if (stored.empty())
            stored = std::string("0");
        m_propertyPoints.reset();
        categoryRewritten(true);
        break;
    case Field::选择学历:
    case Field::生育状况:
        categoryRewritten(true);
        break;
    case Field::房产状况:
        m_propertyPoints = propertyScore(stored);
        m_residenceEnabled = stored == "居住证";
        categoryRewritten(true);
        break;
    case Field::ID:
    case Field::统一月数:
    case Field::统一年数:
        break;
    default: // a months box
        if (stored.empty())
            stored = std::string("0");
        categoryRewritten(false);
        break;
    }
}

void Model::toggleEmployer() {
    m_checked = !m_checked;
    categoryRewritten(false);
}

void Model::unify(Command command) {
    const Field source = command == Command::统一年 ? Field::统一年数 : Field::统一月数;
    const double factor = command == Command::统一年 ? 12 : 1;
    const std::string text = m_inputs[index(source)];
    if (text.empty()) {
        write(source, "0");
        return;
    }
    std::optional<double> value = strictValue(text);
    if (!value || !std::isfinite(*value * factor))
        return; // documented: a text that is no number changes nothing
    std::string months = "0";
    if (*value > 0)
        months = factor == 1 ? text : decimalText(*value * factor);
    for (const Insurance& insurance : kInsurances)
        write(insurance.box, months);
}

void Model::interpretId() {
    std::vector<std::string_view> c = characters(m_inputs[index(Field::ID)], 18);
    auto digit = [&](std::size_t position) -> std::optional<int> {
        std::string_view ch = c[position - 1];
        if (ch.size() != 1 || !isDigit(ch[0]))
            return std::nullopt;
        return ch[0] - '0';
    };
    std::size_t yearDigits = 0, month = 0, day = 0, sex = 0;
    if (c.size() == 15)
        yearDigits = 2, month = 9, day = 11, sex = 15;
    else if (c.size() == 18)
        yearDigits = 4, month = 11, day = 13, sex = 17;
    int year = 0;
    bool readable = yearDigits > 0 && digit(sex).has_value();
    for (std::size_t p = 7; readable && p < 7 + yearDigits; ++p) {
        if (std::optional<int> d = digit(p))
            year = year * 10 + *d;
        else
            readable = false;
    }
    if (!readable) {
        m_inputs[index(Field::出生日期)] = "号码有误";
        return;
    }
    // A 15-character number gives 1900 plus its two digits; an 18-character one shows its
    // four year characters as they stand (leading zeros included).
    std::string date;
    if (yearDigits == 2) {
        year += 1900;
        date = std::to_string(year);
    } else {
        for (std::size_t p = 7; p < 11; ++p)
            date.append(c[p - 1]);
    }
    date += "年";
    date.append(c[month - 1]).append(c[month]) += "月";
    date.append(c[day - 1]).append(c[day]) += "日";
    m_inputs[index(Field::出生日期)] = date;
    m_inputs[index(Field::性别)] = *digit(sex) % 2 == 0 ? "女" : "男";
    write(Field::年龄, decimalText(double(m_currentYear) - year));
}

void Model::reset() {
    write(Field::选择学历, "高中或以下学历");
    write(Field::ID, "");
    write(Field::年龄, "18");
    write(Field::房产状况, "无房产");
    write(Field::生育状况, "未育");
    for (Field box : {Field::居住时长, Field::养老月数, Field::医疗月数, Field::工伤月数,
                      Field::生育险月数, Field::失业月数, Field::统一月数, Field::统一年数})
        write(box, "0");
    if (m_checked)
        toggleEmployer();
    m_verdictPending = false; // the last step overwrites whatever the cascade left
    m_verdict = kCalculating;
}

void Model::endOperation() {
    if (!m_verdictPending)
        return;
    m_verdictPending = false;
    const double total = strictValue(expectedTexts()[index(Field::合计得分)]).value_or(0);
    if (total > 99)
        m_verdict = "积分通过，马上入户";
    else if (total > 0)
        m_verdict = "差一点，考证入户";
    else
        m_verdict = "需要补充一点分数…";
}

std::array<std::string, kFieldCount> Model::expectedTexts() const {
    std::array<std::string, kFieldCount> t = m_inputs;
    auto in = [&](Field f) -> const std::string& { return t[index(f)]; };
    auto lead = [&](Field f) { return leadingValue(t[index(f)]); };
    auto set = [&](Field f, double value) { t[index(f)] = decimalText(value); };

    set(Field::学历得分, educationScore(in(Field::选择学历)));
    std::optional<double> age = strictValue(in(Field::年龄));
    set(Field::年龄得分, age ? ageScore(*age, in(Field::选择学历)) : 0);
    set(Field::房产得分,
        m_propertyPoints ? *m_propertyPoints : residenceScore(in(Field::居住时长)));
    set(Field::生育得分, in(Field::生育状况) == "政策外生育" ? -50 : 0);
    if (m_personalSumWritten)
        set(Field::个人得分,
            (lead(Field::年龄得分) + lead(Field::房产得分)) + lead(Field::生育得分));
    else
        t[index(Field::个人得分)] = std::string("0");

    double sum = 0;
    for (const Insurance& insurance : kInsurances) {
        set(insurance.score, monthsScore(in(insurance.box), insurance.perYear));
        sum += lead(insurance.score);
    }
    if (m_checked)
        sum += 10;
    set(Field::社保得分, std::min(sum, 60.0));

    set(Field::合计得分, (lead(Field::学历得分) + lead(Field::个人得分)) + lead(Field::社保得分));
    t[index(Field::评分结果)] = m_verdict;
    return t;
}

} // namespace pelmora::fuzz
