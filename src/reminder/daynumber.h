#pragma once

namespace natalix {

// Days since 1 January 1880 (day 0), exact for every date from 1880 to 2099. A day that does
// not exist is not refused: 29 February 2025 counts as 1 March. A month outside 1 to 12 adds
// no month days.
int berechnetage(int jahre, int monate, int tage);

// 0 Donnerstag ... 6 Mittwoch, also for negative day numbers.
int weekdayIndex(int dayNumber);
// "Donnerstag" ... "Mittwoch"
const char* weekdayName(int dayNumber);

} // namespace natalix
