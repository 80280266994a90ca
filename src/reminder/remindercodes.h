#pragma once

#include "table/record.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace natalix {

// The three closed lists of reminder settings; every combo box fills from these.
const QStringList& reminderOffsetTexts(); // "Keine Erinnerung" ... "3 Monate vorher"
const QStringList& reminderStartTexts();  // "1. Geburtstag" ... "125. Geburtstag"
const QStringList& reminderCycleTexts();  // "jährlich" ... "alle 100 Jahre"

// Lead time in days (-1 = no reminder); "4 Wochen vorher" is honoured as 28. Exact match only.
std::optional<int> offsetDays(const QString& text);
// The longest lead time any reminder text stands for ("3 Monate vorher").
int longestLeadDays();
// The leading number of the text; nothing when the text starts with no number.
std::optional<double> startNumber(const QString& text);
std::optional<int> cycleYears(const QString& text);
// The same, straight from the stored UTF-8 bytes (a scan need not build texts).
std::optional<int> offsetDays(QByteArrayView utf8);
std::optional<double> startNumber(QByteArrayView utf8);
std::optional<int> cycleYears(QByteArrayView utf8);

// A snapshot row with its reminder texts turned into numbers. A value that is not usable
// stays empty: no reminder for an offset, the whole record skipped for start or cycle.
struct ConvertedRow {
    int nummer = 0;
    QString name;
    int jahr = 0;
    int monat = 0;
    int tag = 0;
    std::array<std::optional<int>, 3> offset;
    std::optional<double> start;
    std::optional<int> cycle;
    std::array<int, 3> marker{0, 0, 0};
};

ConvertedRow convertRow(const Record& record);
std::vector<ConvertedRow> erinnerungstexteumwandeln(const Snapshot& snapshot);

} // namespace natalix
