#pragma once

#include <QString>

namespace natalix {

// A birthday as a contact gives it. Year 0 means the year is unknown.
struct ContactBirthday {
    enum class Status {
        Known,          // year (or 0), month and day are a date the list can hold
        Missing,        // the contact has no birthday at all
        Unreadable,     // there is one, but it is no date ("someday", a text value, 30.2.)
        YearOutOfRange, // a real date, but its year lies outside 1880 to 2099
    };
    Status status = Status::Missing;
    int year = 0;
    int month = 0;
    int day = 0;

    bool readable() const { return status == Status::Known; }
    bool operator==(const ContactBirthday&) const = default;
};

constexpr int yearUnknownMarker = 1604;

// The verdict on a date read from a contact: Known when year is 0 (or the marker 1604) or
// 1880..2099 and the day exists in that month (29 February without a year is fine, with a
// common year it is not).
ContactBirthday checkedBirthday(int year, int month, int day);

// One contact of an address-book export, reduced to what a birthday list needs.
struct Contact {
    QString uid;           // vCard UID, empty when there is none (and for CSV)
    QString formattedName; // vCard FN, or the full-name column of a CSV export
    QString givenName;     // from N (given) or the first (and middle) name columns
    QString familyName;    // from N (family) or the last-name column
    QString birthdayText;  // the birthday value as found, for the preview
    ContactBirthday birthday;

    bool operator==(const Contact&) const = default;
};

} // namespace natalix
