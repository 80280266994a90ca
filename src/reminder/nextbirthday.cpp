#include "reminder/nextbirthday.h"

#include "reminder/daynumber.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace natalix {

bool ReminderCycle::includes(long long age) const {
    return age >= start && (age - start) % cycle == 0;
}

long long ReminderCycle::firstFrom(long long age) const {
    if (age <= start)
        return start;
    return start + (age - start + cycle - 1) / cycle * cycle;
}

std::optional<ReminderCycle> reminderCycle(std::optional<double> start, std::optional<int> cycle) {
    if (!start || !cycle || *cycle < 1 || *start != std::floor(*start) || *start < -10000 ||
        *start > 10000)
        return std::nullopt;
    return ReminderCycle{static_cast<int>(*start), *cycle};
}

QDate birthdayIn(int year, int monat, int tag) {
    return QDate(year, monat, 1).addDays(tag - 1);
}

NextBirthday nextBirthday(int jahr, int monat, int tag, const QDate& today,
                          const std::optional<ReminderCycle>& cycle) {
    const long long todayNumber = berechnetage(today.year(), today.month(), today.day());
    NextBirthday next;
    const auto fallIn = [&](long long year) {
        next.year = static_cast<int>(std::clamp<long long>(year, INT_MIN, INT_MAX));
        next.days = berechnetage(next.year, monat, tag) - todayNumber;
        next.age = static_cast<long long>(next.year) - jahr;
    };
    fallIn(today.year());
    if (next.days < 0)
        fallIn(static_cast<long long>(today.year()) + 1);
    if (cycle && !cycle->includes(next.age))
        fallIn(jahr + cycle->firstFrom(next.age));
    return next;
}

} // namespace natalix
