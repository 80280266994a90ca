#pragma once

#include <QDate>

#include <optional>

namespace natalix {

// The birthdays a record's reminders are about: from the age `start` on, every `cycle` years
// ("18. Geburtstag", "alle 10 Jahre": 18, 28, 38 ...).
struct ReminderCycle {
    int start = 1;
    int cycle = 1;

    bool includes(long long age) const;
    // The first of them at `age` or later.
    long long firstFrom(long long age) const;
};

// The cycle of a record's start and cycle numbers; nothing when either is not usable (a
// start that is no whole number from -10000 to 10000, a cycle below 1): such a record is
// never reminded.
std::optional<ReminderCycle> reminderCycle(std::optional<double> start, std::optional<int> cycle);

// The day a birthday falls on in `year`, as the day numbers count it: 29 February is 1 March
// in a common year, 31 April is 1 May. For a month from 1 to 12 and a day from 1 to 31.
QDate birthdayIn(int year, int monat, int tag);

struct NextBirthday {
    int year = 0;       // the year it falls in
    long long days = 0; // from today, by day numbers: 0 today, 1 tomorrow
    long long age = 0;  // reached then: year - Jahr (no age when Jahr is 0, the year unknown)
};

// The first birthday on or after `today` of a record born on `tag`.`monat`.`jahr`; with a
// cycle, the first of those the cycle reminds of. The reminder scan, the list of upcoming
// birthdays (and with it the tray's tool tip) and the calendar's alarms all count with it.
NextBirthday nextBirthday(int jahr, int monat, int tag, const QDate& today,
                          const std::optional<ReminderCycle>& cycle = std::nullopt);

} // namespace natalix
