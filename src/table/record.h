#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <vector>

namespace natalix {

// The thirteen fields of a birthday record, in table order.
enum class Field {
    Nummer = 0,
    Name,
    Jahr,
    Monat,
    Tag,
    Erinnerung1,
    Erinnerung2,
    Erinnerung3,
    Erinnerungsbeginn,
    Erinnerungszyklus,
    E1,
    E2,
    E3,
};

constexpr int fieldCount = 13;
// Fields carried by a list file: all but the three reminder markers.
constexpr int listFieldCount = 10;

// The field's name as used by the table and by sort expressions ("Erinnerung 1" with its blank).
QString fieldName(Field f);
std::optional<Field> fieldByName(QStringView name);
bool isWholeNumberField(Field f);

struct Record {
    int nummer = 0;
    QString name = QStringLiteral(" ");
    int jahr = 1900;
    int monat = 1;
    int tag = 1;
    std::array<QString, 3> erinnerung;
    QString erinnerungsbeginn;
    QString erinnerungszyklus;
    std::array<int, 3> marker{0, 0, 0};

    int wholeNumber(Field f) const;
    void setWholeNumber(Field f, int value);
    const QString& text(Field f) const;
    void setText(Field f, const QString& value);
    // The field's value as text: whole numbers in plain decimal digits.
    QString display(Field f) const;

    bool operator==(const Record&) const = default;
};

// The reminder settings a new record starts with (the user's options).
struct ReminderDefaults {
    QString erinnerung1 = QStringLiteral("1 Woche vorher");
    QString erinnerung2 = QStringLiteral("1 Tag vorher");
    QString erinnerung3 = QStringLiteral("Am Tage des Geburtstages");
    QString abjahr = QStringLiteral("1. Geburtstag");
    QString zyklus = QStringLiteral("jährlich");
};

// A record as created by the insert command: blank name, 1 January 1900, markers 0.
Record newRecord(int nummer, const ReminderDefaults& defaults);
// The record that seeds every new list.
Record sampleRecord(const ReminderDefaults& defaults);

using Snapshot = std::vector<Record>;

} // namespace natalix
