#pragma once

#include "table/record.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QString>

namespace natalix {

// iCalendar (RFC 5545) for the birthday list: one all-day, yearly VEVENT per record, with one
// VALARM per reminder. UTF-8, CR LF, lines folded at 75 octets.

struct CalendarContext {
    QDate today;            // the alarm texts are those of the next due birthday from here
    QDateTime stamp;        // DTSTAMP, written in UTC
    double dateDisplay = 1; // as the reminder lines: 0 gives 2025-3-7, else 7.3.2025
};

// The UID of a record's event: from its Nummer, the record's identity in the list, so that a
// corrected name or date updates the same event. Safe as a file name ("natalix-12").
QString eventUid(const Record& record);

// The VEVENT lines of a record (BEGIN:VEVENT ... END:VEVENT, CR LF after each, folded); empty
// when the record holds no date the program can remind (month or day out of range).
QByteArray renderEvent(const Record& record, const CalendarContext& context);

// A whole calendar; *skipped counts the records that got no event.
QByteArray renderCalendar(const Snapshot& records, const CalendarContext& context,
                          int* skipped = nullptr);

// A content line folded at 75 octets without splitting a UTF-8 sequence, with CR LF.
QByteArray foldContentLine(QByteArrayView line);
// A TEXT value: backslash, semicolon, comma and line breaks escaped.
QString escapeText(const QString& text);

} // namespace natalix
