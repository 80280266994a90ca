#include "reminder/daynumber.h"

#include <algorithm>
#include <limits>

namespace natalix {

namespace {
constexpr int daysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

// Division rounding towards minus infinity.
long long floorDiv(long long a, long long b) {
    const long long q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}
} // namespace

int berechnetage(int jahr, int monate, int tage) {
    // Whole numbers from hand-edited files may be huge; count in 64 bits.
    const long long jahre = jahr;
    long long t = 0;
    t += static_cast<long long>(tage) - 1;
    if (monate >= 1 && monate <= 12)
        t += daysBeforeMonth[monate - 1];
    t += (jahre - 1880) * 365;
    t += floorDiv(jahre - 1880, 4) + 1;
    if (monate < 3 && jahre - floorDiv(jahre, 4) * 4 == 0)
        t -= 1;
    if (jahre > 1900)
        t -= 1;
    if (jahre == 1900 && monate > 2)
        t -= 1;
    // Only absurd dates from hand-edited files fall outside; they stay out of every range.
    return static_cast<int>(
        std::clamp<long long>(t, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

int weekdayIndex(int dayNumber) {
    return static_cast<int>(dayNumber - 7 * floorDiv(dayNumber, 7));
}

const char* weekdayName(int dayNumber) {
    static const char* const names[7] = {"Donnerstag", "Freitag",  "Samstag", "Sonntag",
                                         "Montag",     "Dienstag", "Mittwoch"};
    return names[weekdayIndex(dayNumber)];
}

} // namespace natalix
