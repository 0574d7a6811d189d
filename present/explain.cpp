#include "explain.h"

#include "scoring/numbers.h"
#include "scoring/points.h"
#include "scoring/scheme.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>

namespace pelmora {
namespace {

using namespace scheme;

std::string num(double value) {
    return shortestDecimal(value);
}

// Builds the sentence so that every quoted text and the stated score appear in it as they
// are recorded.
class Sentence {
  public:
    explicit Sentence(const ScoreSheet& sheet) : m_sheet(sheet) {}

    Sentence& operator<<(std::string_view text) {
        m_e.text += text;
        return *this;
    }
    // The text of another field, verbatim.
    Sentence& quote(Field field) {
        const std::string& text = m_sheet.text(field);
        m_e.text += text;
        if (!text.empty())
            m_e.quoted.emplace_back(field, text);
        return *this;
    }
    // A list item or an unreadable box text, in quotation marks.
    Sentence& quoteMarked(Field field) {
        *this << "“";
        quote(field);
        return *this << "”";
    }
    // The score the sentence arrives at; the caller then compares it with the field.
    Sentence& state(std::string value) {
        m_e.text += value;
        m_e.stated = std::move(value);
        return *this;
    }
    Explanation done() { return std::move(m_e); }

  private:
    const ScoreSheet& m_sheet;
    Explanation m_e;
};

// The leading number a sum reads from a score label, with the label's text quoted when
// it is that number as the rules write it.
double addend(Sentence& out, const ScoreSheet& sheet, Field label) {
    double value = leadingNumber(sheet.text(label));
    if (num(value) == sheet.text(label))
        out.quote(label);
    else
        out << num(value);
    return value;
}

bool isPristine(const ScoreSheet& sheet) {
    for (int i = 0; i < kFieldCount; ++i) {
        if (sheet.text(Field(i)) != startText(Field(i)))
            return false;
    }
    return !sheet.isChecked() && !sheet.isResidenceEnabled();
}

Explanation education(const ScoreSheet& sheet) {
    Sentence out(sheet);
    const std::string& education = sheet.text(Field::选择学历);
    if (education.empty()) {
        out << "尚未选择学历，计 ";
        out.state("0") << " 分。";
        return out.done();
    }
    auto row = std::find_if(kEducationPoints.begin(), kEducationPoints.end(),
                            [&](const EducationPoints& r) { return r.education == education; });
    out << "学历为";
    out.quoteMarked(Field::选择学历) << "，计 ";
    out.state(num(row == kEducationPoints.end() ? 0 : row->points)) << " 分。";
    return out.done();
}

Explanation age(const ScoreSheet& sheet) {
    Sentence out(sheet);
    std::optional<double> years = strictNumber(sheet.text(Field::年龄));
    if (!years) {
        out << "年龄一栏";
        out.quoteMarked(Field::年龄) << "不是可读的数字，按 ";
        out.state("0") << " 分计。";
        return out.done();
    }
    const double a = *years;
    out << "年龄 ";
    out.quote(Field::年龄) << " 岁，";
    auto band = [&](double from, double below) {
        out << "在 " << num(from) << " 至 " << num(below) << " 岁以下一段，";
    };
    auto exemption = [&]() {
        if (isExemptEducation(sheet.text(Field::选择学历))) {
            out << "学历为";
            out.quoteMarked(Field::选择学历) << "，免扣分，计 ";
            out.state("0") << " 分。";
            return true;
        }
        out << "学历不是全日制本科，不免扣分：";
        return false;
    };
    if (a < kAdultAge) {
        out << "不满 " << num(kAdultAge) << " 岁，计 ";
        out.state("0") << " 分。";
    } else if (a < kMiddleAge) {
        band(kAdultAge, kMiddleAge);
        out << "计 ";
        out.state(num(kYoungPoints)) << " 分。";
    } else if (a < kDeductionAge) {
        band(kMiddleAge, kDeductionAge);
        out << "计 ";
        out.state(num(kMiddlePoints)) << " 分。";
    } else if (a < kSteeperAge) {
        band(kDeductionAge, kSteeperAge);
        if (!exemption()) {
            out << num(-kDeductionRate) << " ×（" << num(a) << " − " << num(kDeductionBase)
                << "）= ";
            out.state(num(-kDeductionRate * (a - kDeductionBase))) << " 分。";
        }
    } else if (a < kNoDeductionAge) {
        band(kSteeperAge, kNoDeductionAge);
        if (!exemption()) {
            out << "-（" << num(kSteeperRate) << " ×（" << num(a) << " − " << num(kSteeperBase)
                << "）+ " << num(kSteeperOffset) << "）= ";
            out.state(num(-(kSteeperRate * (a - kSteeperBase) + kSteeperOffset))) << " 分。";
        }
    } else {
        out << "满 " << num(kNoDeductionAge) << " 岁，不再扣分，计 ";
        out.state("0") << " 分。";
    }
    return out.done();
}

// The residence clause under a residence permit.
void residence(Sentence& out, const ScoreSheet& sheet) {
    std::optional<double> days = strictNumber(sheet.text(Field::居住时长));
    if (!days) {
        out << "居住时长";
        out.quoteMarked(Field::居住时长) << "不是可读的数字，按 ";
        out.state("0") << " 分计。";
        return;
    }
    out << "居住时长 ";
    out.quote(Field::居住时长) << " 天，";
    if (*days <= 0) {
        out << "计 ";
        out.state("0") << " 分。";
        return;
    }
    const double years = std::trunc(roundHalfEven(*days) / kDaysPerYear);
    if (years < 1) {
        out << "不满一年（" << num(kDaysPerYear) << " 天），计 ";
        out.state("0") << " 分。";
    } else if (years > kResidenceCap) {
        out << "满 " << num(years) << " 年，超过上限 " << num(kResidenceCap) << " 分，按 ";
        out.state(num(kResidenceCap)) << " 分计。";
    } else {
        out << "满 " << num(years) << " 年（每满 " << num(kDaysPerYear) << " 天 1 分），计 ";
        out.state(num(years)) << " 分。";
    }
}

Explanation housing(const ScoreSheet& sheet) {
    const std::string& status = sheet.text(Field::房产状况);
    Sentence out(sheet);
    if (status.empty()) {
        out << "尚未选择房产状况，计 ";
        out.state("0") << " 分。";
        return out.done();
    }
    out << "房产状况为";
    out.quoteMarked(Field::房产状况) << "，";
    if (status != kResidencePermit) {
        std::optional<PropertyOutcome> outcome = propertyOutcome(status);
        out << "计 ";
        out.state(num(outcome ? outcome->points : 0)) << " 分。";
        return out.done();
    }
    Sentence byDays = out;
    residence(byDays, sheet);
    Explanation e = byDays.done();
    if (e.stated == sheet.text(Field::房产得分) || sheet.text(Field::房产得分) != "0")
        return e;
    // Picking the permit writes 0; the days already in the box count from their next change.
    Sentence picked(sheet);
    picked << "房产状况选为";
    picked.quoteMarked(Field::房产状况) << "时记 ";
    picked.state("0") << " 分；居住时长 ";
    picked.quote(Field::居住时长) << " 天要等这一栏再改动才计分。";
    return picked.done();
}

Explanation birth(const ScoreSheet& sheet) {
    Sentence out(sheet);
    const std::string& status = sheet.text(Field::生育状况);
    if (status.empty()) {
        out << "尚未选择生育状况，计 ";
        out.state("0") << " 分。";
        return out.done();
    }
    out << "生育状况为";
    out.quoteMarked(Field::生育状况) << (status == kDeductedBirth ? "，计 " : "，不扣分，计 ");
    out.state(num(status == kDeductedBirth ? kDeductedBirthPoints : 0)) << " 分。";
    return out.done();
}

std::string_view insuranceName(const Insurance& insurance) {
    std::string_view name = fieldName(insurance.box);
    name.remove_suffix(std::string_view("月数").size());
    return name;
}

Explanation insuranceItem(const ScoreSheet& sheet, const Insurance& insurance) {
    Sentence out(sheet);
    std::optional<double> months = strictNumber(sheet.text(insurance.box));
    if (!months) {
        out << fieldName(insurance.box);
        out.quoteMarked(insurance.box) << "不是可读的数字，按 ";
        out.state("0") << " 分计。";
        return out.done();
    }
    if (*months <= 0) {
        out << fieldName(insurance.box) << "为 ";
        out.quote(insurance.box) << "，计 ";
        out.state("0") << " 分。";
        return out.done();
    }
    const double counted = roundHalfEven(*months);
    out << insuranceName(insurance) << "已缴 ";
    out.quote(insurance.box) << " 个月";
    if (counted != *months)
        out << "（按 " << num(counted) << " 个月计）";
    const double years = std::trunc(counted / kMonthsPerYear);
    if (years < 1) {
        out << "，不满一年（" << num(kMonthsPerYear) << " 个月），计 ";
        out.state("0") << " 分。";
        return out.done();
    }
    out << "，满 " << num(years) << " 年，每年 " << num(insurance.pointsPerYear) << " 分："
        << num(years) << " × " << num(insurance.pointsPerYear) << " = ";
    out.state(num(years * insurance.pointsPerYear)) << " 分。";
    return out.done();
}

// "<intro>年龄 5 + 房产 0 + 生育 0 = 5 分。": a category written as the sum of its labels,
// added in their order as the rules add them.
struct Term {
    std::string_view name;
    Field label;
};
Explanation sumOf(const ScoreSheet& sheet, std::string_view intro,
                  std::initializer_list<Term> terms) {
    Sentence out(sheet);
    out << intro;
    double sum = 0;
    for (const Term& term : terms) {
        const bool first = &term == terms.begin();
        out << (first ? "" : " + ") << term.name << " ";
        const double value = addend(out, sheet, term.label);
        sum = first ? value : sum + value;
    }
    out << " = ";
    out.state(num(sum)) << " 分。";
    return out.done();
}

Explanation personal(const ScoreSheet& sheet) {
    return sumOf(sheet, "个人得分是三项之和：",
                 {{"年龄", Field::年龄得分}, {"房产", Field::房产得分}, {"生育", Field::生育得分}});
}

Explanation insurance(const ScoreSheet& sheet) {
    Sentence out(sheet);
    out << (sheet.isChecked() ? "社保得分是五项之和加公司申办：" : "社保得分是五项之和：");
    double sum = 0;
    for (const Insurance& insurance : kInsurances) {
        if (&insurance != kInsurances.data())
            out << " + ";
        out << insuranceName(insurance) << " ";
        sum += addend(out, sheet, insurance.score);
    }
    if (sheet.isChecked()) {
        out << " + 公司申办 " << num(kEmployerBonus);
        sum += kEmployerBonus;
    }
    out << " = ";
    if (sum > kInsuranceCap) {
        out << num(sum) << "，超过上限 " << num(kInsuranceCap) << "，按 ";
        out.state(num(kInsuranceCap)) << " 分计。";
    } else {
        out.state(num(sum)) << " 分。";
    }
    return out.done();
}

Explanation total(const ScoreSheet& sheet) {
    return sumOf(sheet, "合计得分是三类之和：",
                 {{"学历", Field::学历得分}, {"个人", Field::个人得分}, {"社保", Field::社保得分}});
}

Explanation verdict(const ScoreSheet& sheet) {
    Sentence out(sheet);
    const double t = strictNumber(sheet.text(Field::合计得分)).value_or(0);
    out << "合计 ";
    out.quote(Field::合计得分) << " 分，";
    if (t > kPassLine) {
        out << "高于 " << num(kPassLine) << " 分，结果为“";
        out.state(std::string(kVerdictPass)) << "”。";
    } else if (t > 0) {
        out << "通过须高于 " << num(kPassLine) << " 分，结果为“";
        out.state(std::string(kVerdictShort)) << "”；" << missingPhrase(kPassLine - t) << "。";
    } else {
        out << "不高于 0 分，结果为“";
        out.state(std::string(kVerdictNoPoints)) << "”；通过须高于 " << num(kPassLine) << " 分，"
                                                 << missingPhrase(kPassLine - t) << "。";
    }
    return out.done();
}

// The field holds a text the rules would not write now: its start caption, or one written
// from outside the rules.
Explanation notFromRules(const ScoreSheet& sheet, Field field, const Explanation& rules,
                         bool pristine) {
    const std::string& text = sheet.text(field);
    const bool marked = field == Field::评分结果;
    Explanation e;
    e.fromRules = false;
    e.stated = text;
    e.text = std::string(fieldName(field)) + (marked ? "“" : " ") + text + (marked ? "”" : " ");
    if (pristine) {
        e.text += "是窗口打开时的初始值，尚未计算。";
        return e;
    }
    e.text += text == startText(field) ? "仍是窗口打开时的初始值，尚未按输入重算；按当前输入，"
                                       : "不是按当前输入算出的；按当前输入，";
    e.text += rules.text;
    e.quoted = rules.quoted;
    return e;
}

constexpr std::array kExplained{
    Field::学历得分, Field::年龄得分, Field::房产得分, Field::生育得分,   Field::个人得分,
    Field::养老得分, Field::医疗得分, Field::工伤得分, Field::生育险得分, Field::失业得分,
    Field::社保得分, Field::合计得分, Field::评分结果,
};

} // namespace

std::span<const Field> explainedFields() {
    return kExplained;
}

Explanation explain(const ScoreSheet& sheet, Field field) {
    Explanation rules;
    switch (field) {
    case Field::学历得分:
        rules = education(sheet);
        break;
    case Field::年龄得分:
        rules = age(sheet);
        break;
    case Field::房产得分:
        rules = housing(sheet);
        break;
    case Field::生育得分:
        rules = birth(sheet);
        break;
    case Field::个人得分:
        rules = personal(sheet);
        break;
    case Field::社保得分:
        rules = insurance(sheet);
        break;
    case Field::合计得分:
        rules = total(sheet);
        break;
    case Field::评分结果:
        rules = verdict(sheet);
        break;
    default: {
        auto it = std::find_if(kInsurances.begin(), kInsurances.end(),
                               [&](const Insurance& i) { return i.score == field; });
        if (it == kInsurances.end())
            return {};
        rules = insuranceItem(sheet, *it);
        break;
    }
    }
    const bool pristine = isPristine(sheet);
    if (!pristine && rules.stated == sheet.text(field))
        return rules;
    return notFromRules(sheet, field, rules, pristine);
}

std::optional<double> missingPoints(const ScoreSheet& sheet) {
    // Read as the verdict rule reads it.
    const double t = strictNumber(sheet.text(Field::合计得分)).value_or(0);
    if (scheme::verdictFor(t) == scheme::kVerdictPass)
        return std::nullopt;
    return scheme::kPassLine - t;
}

std::string missingPhrase(double missing) {
    if (missing <= 0)
        return "再多得任何分数即可通过";
    return "还须再得多于 " + num(missing) + " 分";
}

} // namespace pelmora
