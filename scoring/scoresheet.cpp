#include "scoresheet.h"

#include "idnumber.h"
#include "numbers.h"
#include "points.h"
#include "scheme.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace pelmora {

int localCalendarYear() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now); // the C runtime of Windows has only this thread-safe form
#else
    localtime_r(&now, &local);
#endif
    return local.tm_year + 1900;
}

// The rules, each bound to one notification. Every rule reads the current texts and
// recomputes its outputs from scratch; writes nest through ScoreSheet::setText.
class Rules {
  public:
    static void run(ScoreSheet& s, Field field) {
        switch (field) {
        case Field::学历得分:
        case Field::个人得分:
            total(s);
            break;
        case Field::社保得分:
            insuranceCap(s);
            total(s);
            break;
        case Field::合计得分:
            verdict(s);
            break;
        case Field::选择学历:
            education(s);
            break;
        case Field::年龄:
            age(s);
            break;
        case Field::居住时长:
            residence(s);
            break;
        case Field::房产状况:
            property(s);
            break;
        case Field::生育状况:
            birth(s);
            break;
        case Field::公司申办:
            insuranceSum(s);
            break;
        default:
            if (const Insurance* insurance = insuranceOfBox(field))
                months(s, *insurance);
            break;
        }
    }

    static void click(ScoreSheet& s, Command command) {
        switch (command) {
        case Command::统一月:
            unify(s, Field::统一月数, 1);
            break;
        case Command::统一年:
            unify(s, Field::统一年数, scheme::kMonthsPerYear);
            break;
        case Command::身份证解读:
            idNumber(s);
            break;
        }
    }

  private:
    using Insurance = scheme::Insurance;

    static const Insurance* insuranceOfBox(Field box) {
        for (const Insurance& insurance : scheme::kInsurances) {
            if (insurance.box == box)
                return &insurance;
        }
        return nullptr;
    }

    static double leading(const ScoreSheet& s, Field field) { return leadingNumber(s.text(field)); }
    static void write(ScoreSheet& s, Field field, double value) {
        s.setText(field, shortestDecimal(value));
    }

    static void total(ScoreSheet& s) {
        double sum = (leading(s, Field::学历得分) + leading(s, Field::个人得分)) +
                     leading(s, Field::社保得分);
        write(s, Field::合计得分, sum);
    }

    static void insuranceCap(ScoreSheet& s) {
        std::optional<double> value = strictNumber(s.text(Field::社保得分));
        if (value && *value > scheme::kInsuranceCap)
            write(s, Field::社保得分, scheme::kInsuranceCap);
    }

    static void verdict(ScoreSheet& s) {
        // The total is always written by the total rule; an unreadable one counts as 0.
        double t = strictNumber(s.text(Field::合计得分)).value_or(0);
        s.setText(Field::评分结果, scheme::verdictFor(t));
    }

    static void personalSum(ScoreSheet& s) {
        double sum = (leading(s, Field::年龄得分) + leading(s, Field::房产得分)) +
                     leading(s, Field::生育得分);
        write(s, Field::个人得分, sum);
    }

    // An age that is no number (pasted) scores 0, the same every time.
    static void writeAgePoints(ScoreSheet& s) {
        std::optional<double> years = strictNumber(s.text(Field::年龄));
        write(s, Field::年龄得分, years ? agePoints(*years, s.text(Field::选择学历)) : 0);
    }

    static void education(ScoreSheet& s) {
        write(s, Field::学历得分, educationPoints(s.text(Field::选择学历)));
        writeAgePoints(s);
        personalSum(s);
    }

    static void age(ScoreSheet& s) {
        if (s.text(Field::年龄).empty())
            s.setText(Field::年龄, refillText(Field::年龄));
        else
            writeAgePoints(s);
        personalSum(s);
    }

    static void residence(ScoreSheet& s) {
        if (s.text(Field::居住时长).empty())
            s.setText(Field::居住时长, refillText(Field::居住时长));
        else
            write(s, Field::房产得分, residencePoints(s.text(Field::居住时长)));
        personalSum(s);
    }

    static void property(ScoreSheet& s) {
        if (std::optional<PropertyOutcome> outcome = propertyOutcome(s.text(Field::房产状况))) {
            write(s, Field::房产得分, outcome->points);
            s.setResidenceEnabled(outcome->residenceEnabled);
        }
        personalSum(s);
    }

    static void birth(ScoreSheet& s) {
        write(s, Field::生育得分, birthPoints(s.text(Field::生育状况)));
        personalSum(s);
    }

    static void months(ScoreSheet& s, const Insurance& insurance) {
        const std::string& text = s.text(insurance.box);
        if (text.empty())
            s.setText(insurance.box, refillText(insurance.box));
        else
            write(s, insurance.score, monthsPoints(text, insurance.pointsPerYear));
        insuranceSum(s);
    }

    static void insuranceSum(ScoreSheet& s) {
        double sum = 0;
        for (const Insurance& insurance : scheme::kInsurances)
            sum += leading(s, insurance.score);
        if (s.isChecked())
            sum += scheme::kEmployerBonus;
        write(s, Field::社保得分, sum);
    }

    // Fills the five months boxes from a unify box holding months (factor 1) or years
    // (factor 12). A text that is no number, or whose months overflow, changes nothing:
    // a slip of the keyboard should not wipe five boxes.
    static void unify(ScoreSheet& s, Field source, int factor) {
        const std::string text = s.text(source);
        if (text.empty()) {
            s.setText(source, refillText(source));
            return;
        }
        std::optional<double> value = strictNumber(text);
        if (!value || !std::isfinite(*value * factor))
            return;
        std::string months = "0";
        if (*value > 0)
            months = factor == 1 ? text : shortestDecimal(*value * factor);
        for (const Insurance& insurance : scheme::kInsurances)
            s.setText(insurance.box, months);
    }

    static void idNumber(ScoreSheet& s) {
        std::optional<IdReading> reading = readIdNumber(s.text(Field::ID));
        if (!reading) {
            s.setText(Field::出生日期, kIdNumberError);
            return;
        }
        s.setText(Field::出生日期, reading->birthDate);
        s.setText(Field::性别, reading->sex);
        write(s, Field::年龄, static_cast<double>(s.currentYear()) - reading->birthYear);
    }
};

ScoreSheet::ScoreSheet(YearSource currentYear) : m_currentYear(std::move(currentYear)) {
    for (int i = 0; i < kFieldCount; ++i)
        m_texts[i] = std::string(startText(static_cast<Field>(i)));
}

ScoreSheet::ScoreSheet(const ScoreSheet& other)
    : m_texts(other.m_texts), m_checked(other.m_checked),
      m_residenceEnabled(other.m_residenceEnabled), m_currentYear(other.m_currentYear) {}

bool ScoreSheet::setText(Field field, std::string_view text) {
    switch (fieldKind(field)) {
    case FieldKind::CheckBox:
        return false;
    case FieldKind::List: {
        auto items = listItems(field);
        if (std::find(items.begin(), items.end(), text) == items.end())
            return false;
        m_texts[index(field)] = std::string(text);
        break;
    }
    default:
        m_texts[index(field)] = sanitizedUtf8(text);
        break;
    }
    notify(field);
    return true;
}

void ScoreSheet::setChecked(bool checked) {
    if (checked == m_checked)
        return;
    m_checked = checked;
    notify(Field::公司申办);
}

void ScoreSheet::click(Command command) {
    Rules::click(*this, command);
}

void ScoreSheet::setResidenceEnabled(bool enabled) {
    if (enabled == m_residenceEnabled)
        return;
    m_residenceEnabled = enabled;
    deliver(Field::居住时长); // observers only: no rule listens to the enabled state
}

void ScoreSheet::notify(Field field) {
    deliver(field);
    Rules::run(*this, field);
}

void ScoreSheet::deliver(Field field) {
    ++m_delivering;
    // Observers added while delivering hear only of later writes.
    const std::size_t count = m_subscribers.size();
    for (std::size_t i = 0; i < count; ++i) {
        // A copy of the handle keeps the observer alive should it unsubscribe itself.
        if (auto observer = m_subscribers[i].observer)
            (*observer)(field);
    }
    --m_delivering;
    compactSubscribers();
}

void ScoreSheet::compactSubscribers() {
    if (m_delivering == 0 && m_hasRemoved) {
        std::erase_if(m_subscribers, [](const Subscriber& s) { return !s.observer; });
        m_hasRemoved = false;
    }
}

ScoreSheet::SubscriptionId ScoreSheet::subscribe(Observer observer) {
    SubscriptionId id = m_nextId++;
    m_subscribers.push_back({id, std::make_shared<const Observer>(std::move(observer))});
    return id;
}

void ScoreSheet::unsubscribe(SubscriptionId id) {
    for (Subscriber& s : m_subscribers) {
        if (s.id == id) {
            s.observer.reset();
            m_hasRemoved = true;
        }
    }
    compactSubscribers();
}

} // namespace pelmora
