// The scoring core: the score sheet and the rules that carry points through it.
//
// ScoreSheet holds one text per field of the main window (fields.h) and is the single
// source of truth: the window shows what the sheet holds and writes the user's edits
// into it. A write raises the field's notification at once: observers hear of it, then
// the rules bound to the field run to completion before the write returns. Rules write
// further fields, so notifications nest (input -> item score -> category score ->
// total -> verdict). No rule keeps state: each recomputes from the current texts.
//
//   numbers.h   the text <-> number conversions every rule uses
//   scheme.h    the numbers of the scheme, which the explanations (present/) quote too
//   points.h    the points tables, as pure functions
//   idnumber.h  reading birth date, sex and age from an identity-card number
//   scoresheet.cpp  the sheet, and the rules (class Rules) bound to its notifications
#pragma once

#include "fields.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora {

// The current calendar year in local time, from the system clock.
int localCalendarYear();

class ScoreSheet {
  public:
    using YearSource = std::function<int()>;
    using Observer = std::function<void(Field)>;
    using SubscriptionId = std::uint64_t;

    explicit ScoreSheet(YearSource currentYear = localCalendarYear);
    // A copy takes the whole state (texts, check state, enabled state, year source) but
    // no observers: it is a scratch sheet for trying changes, and whatever listens to the
    // original must not hear of them. Explicit, so that no sheet is copied by accident.
    explicit ScoreSheet(const ScoreSheet& other);
    ScoreSheet& operator=(const ScoreSheet&) = delete;

    const std::string& text(Field field) const { return m_texts[index(field)]; }
    bool isChecked() const { return m_checked; }                   // 公司申办
    bool isResidenceEnabled() const { return m_residenceEnabled; } // 居住时长

    // Writes a text and raises the field's notification, even when the text is unchanged
    // (every rule recomputes from scratch, so a rewrite is harmless and lets an edit bring
    // a verdict back after a reset). Invalid UTF-8 is stored with U+FFFD in place of each
    // bad byte. A list accepts only its items: any other text is refused and false returned.
    bool setText(Field field, std::string_view text);
    // Changes the state of 公司申办; notifies only when the state changes.
    void setChecked(bool checked);
    // Runs the rule of a button.
    void click(Command command);

    // Observers hear of every write (and of the enabled state of 居住时长) before the
    // rules run. Subscribing or unsubscribing inside a notification is safe; an observer
    // added then hears only of later writes.
    SubscriptionId subscribe(Observer observer);
    void unsubscribe(SubscriptionId id);

    int currentYear() const { return m_currentYear(); }

  private:
    friend class Rules;
    void setResidenceEnabled(bool enabled);
    void notify(Field field);  // observers, then the rules bound to the field
    void deliver(Field field); // observers only
    void compactSubscribers();

    std::array<std::string, kFieldCount> m_texts;
    bool m_checked = false;
    bool m_residenceEnabled = false;
    YearSource m_currentYear;

    struct Subscriber {
        SubscriptionId id;
        std::shared_ptr<const Observer> observer; // null once unsubscribed
    };
    std::vector<Subscriber> m_subscribers;
    SubscriptionId m_nextId = 1;
    int m_delivering = 0;      // depth of observer loops under way
    bool m_hasRemoved = false; // null entries wait for the outermost loop to end
};

} // namespace pelmora
