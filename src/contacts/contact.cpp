#include "contacts/contact.h"

#include "table/birthyear.h"

#include <QDate>

namespace natalix {

ContactBirthday checkedBirthday(int year, int month, int day) {
    ContactBirthday b;
    // Apple and Android write a birthday without a year in the year 1604.
    if (year == yearUnknownMarker)
        year = 0;
    b.year = year;
    b.month = month;
    b.day = day;
    // Without a year, 29 February must stay possible: check the day against a leap year.
    if (!QDate::isValid(year == 0 ? 2000 : year, month, day) || year < 0)
        b.status = ContactBirthday::Status::Unreadable;
    else if (year != 0 && (year < firstBirthYear || year > lastBirthYear))
        b.status = ContactBirthday::Status::YearOutOfRange;
    else
        b.status = ContactBirthday::Status::Known;
    return b;
}

} // namespace natalix
