#pragma once

#include "contacts/contact.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace natalix {

// Contacts exported as CSV by Google Contacts and Outlook, with English or German column
// names. UTF-8 (with or without byte order mark) or, as Outlook writes, Windows-1252;
// separated by ',' or ';' (the one the header line uses); quoted fields may hold both and
// line breaks.

// The fields of every record; empty lines are skipped.
std::vector<QStringList> splitCsv(QStringView text, QChar separator);

struct CsvContacts {
    bool ok = false; // false: the header names no column a contacts export has
    std::vector<Contact> contacts;
};
CsvContacts readCsvContacts(QByteArrayView bytes);

// "1980-03-07", "19800307", "7.3.1980", "3/7/1980", "--03-07" (year unknown); the empty
// Outlook dates "0.0.00" and "0/0/00" mean no birthday.
ContactBirthday parseCsvBirthday(const QString& value);

} // namespace natalix
