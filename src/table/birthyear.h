#pragma once

#include <QString>

namespace natalix {

// Jahr 0: the birth year is unknown (a contact without one, or a year box left empty).
constexpr int unknownYear = 0;

// The birth years a record may hold; others are pulled to the nearer bound or refused.
constexpr int firstBirthYear = 1880;
constexpr int lastBirthYear = 2099;

// The year as the edit box, the grid and the printed list show it: nothing when unknown.
inline QString yearBoxText(int jahr) {
    return jahr == unknownYear ? QString() : QString::number(jahr);
}

} // namespace natalix
