#pragma once

#include "contacts/contact.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace natalix {

// Contacts exported as CSV by Google Contacts, Outlook and Thunderbird (a column each for
// the year, month and day of birth), with English or German column names. UTF-8 (with or without
// byte order mark) or, as Outlook writes, Windows-1252; separated by ',' or ';' (the one the header
// line uses); quoted fields may hold both and line breaks.

// The fields of every record; empty lines are skipped.
std::vector<QStringList> splitCsv(QStringView text, QChar separator);

struct CsvContacts {
    bool ok = false; // false: the header names no column a contacts export has
    std::vector<Contact> contacts;
};
CsvContacts readCsvContacts(QByteArrayView bytes);

// How a date with the year last and '/' or '-' between its numbers reads: 3/7/1980 is
// 7 March in the USA, 3 July almost everywhere else.
enum class DayOrder { MonthFirst, DayFirst };

// "1980-03-07", "19800307", "7.3.1980", "3/7/1980" or "03-07-1980" in `order`, "--03-07"
// (year unknown); the empty Outlook dates "0.0.00" and "0/0/00" mean no birthday.
ContactBirthday parseCsvBirthday(const QString& value, DayOrder order = DayOrder::MonthFirst);

// The order of a file's dates: the first one whose day or month lies above 12 tells it,
// else `fallback` (the language of the columns).
DayOrder dayOrderOf(const QStringList& values, DayOrder fallback);

} // namespace natalix
